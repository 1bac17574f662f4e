// CFrames: frame sets from AMF files, from AMF headers and picture by picture; their
// release and reload.
#include <velmora/resource/Frames.h>

#include <new>

#include <velmora/core/Log.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/detail/AmfPicture.h>

namespace {

// Each copy is a texture of its own that shares the original's Direct3D texture.
std::vector<std::unique_ptr<CTexture>> CopyTextures(const std::vector<std::unique_ptr<CTexture>>& textures) {
    std::vector<std::unique_ptr<CTexture>> copies;
    copies.reserve(textures.size());
    for (const auto& texture : textures) copies.emplace_back(new CTexture(*texture));
    return copies;
}

}  // namespace

CFrames::CFrames()
    : m_nRef(0),
      m_nWidth(0),
      m_nHeight(0),
      m_nFrameCount(0),
      m_dwDelay(0),
      m_dwReserved1(0),
      m_dwReserved2(0),
      m_Type(AMF_UNIFORM),
      m_dwLastAccess(0),
      m_bRelease(false),
      m_MemMode(MEM_AUTO) {}

CFrames::CFrames(const CFrames& other) : CFrames() { *this = other; }

CFrames& CFrames::operator=(const CFrames& other) {
    if (this == &other) return *this;
    m_Textures = CopyTextures(other.m_Textures);
    m_nRef = other.m_nRef;
    m_nWidth = other.m_nWidth;
    m_nHeight = other.m_nHeight;
    m_nFrameCount = other.m_nFrameCount;
    m_dwDelay = other.m_dwDelay;
    m_dwReserved1 = other.m_dwReserved1;
    m_dwReserved2 = other.m_dwReserved2;
    m_Type = other.m_Type;
    m_dwLastAccess = other.m_dwLastAccess;
    m_bRelease = other.m_bRelease;
    m_MemMode = other.m_MemMode;
    m_strName = other.m_strName;
    return *this;
}

CFrames::~CFrames() { Destroy(); }

bool CFrames::ReLoadAMF(const char* file) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    vlm_engine::FilePtr fp = vlm_engine::OpenBinary(file);
    CAniFile reader;
    AMFHeader header;
    if (!fp || !reader.ReadHeader(fp.get(), &header)) return false;
    m_nWidth = header.nWidth;
    m_nHeight = header.nHeight;
    m_nFrameCount = header.wCount;
    m_dwDelay = header.wDelay;
    m_dwReserved1 = 0;
    m_dwReserved2 = 0;
    m_Type = header.wType == AMF_UNIFORM ? AMF_UNIFORM : AMF_VARIABLE;

    const size_t held = m_Textures.size();
    // The pictures of the set share one budget: entries may all point at the same few bytes.
    const uint64_t budget = vlm_engine::AmfLoadBudget(fp.get());
    uint64_t decoded = 0;
    for (DWORD i = 0; i < header.wCount; ++i) {
        AMFIndex entry;
        std::unique_ptr<CTexture> texture(new (std::nothrow) CTexture());
        bool ok = texture && reader.ReadIndex(fp.get(), i, &entry);
        if (ok) decoded += vlm_engine::PictureBytes(entry);
        if (!ok || decoded > budget ||
            !texture->CreateTexture(entry.nWidth, entry.nHeight, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED) ||
            !vlm_engine::ReadAmfPicture(fp.get(), i, entry, texture->GetTexture())) {
            // Frames of a half-read file would be appended again by the next reload.
            m_Textures.resize(held);
            return false;
        }
        m_Textures.push_back(std::move(texture));
    }
    return true;
}

bool CFrames::LoadFrame(const char* file) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    // Always from empty: a released set keeping its release flag would load again on top.
    Destroy();
    if (!ReLoadAMF(file)) {
        Destroy();
        WriteLog(INFO_ERROR, "Can't Load AMF[%s]!", file);
        return false;
    }
    m_strName = file;
    m_nRef = 1;
    m_MemMode = MEM_AUTO;
    m_dwLastAccess = timeGetTime();
    return true;
}

bool CFrames::LoadFrameDesc(const char* file) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    Destroy();
    AMFHeader header;
    if (!CAniFile().ReadHeader(file, &header)) return false;
    m_strName = file;
    m_nRef = 1;
    m_dwLastAccess = timeGetTime();
    m_nWidth = header.nWidth;
    m_nHeight = header.nHeight;
    m_nFrameCount = header.wCount;
    m_dwDelay = header.wDelay;
    m_Type = header.wType == AMF_UNIFORM ? AMF_UNIFORM : AMF_VARIABLE;
    m_dwReserved1 = 0;
    m_dwReserved2 = 0;
    m_bRelease = true;
    return true;
}

void CFrames::AppendFrame(CTexture* texture) {
    texture->SetMemMode(MEM_STATIC);
    const int width = texture->GetWidth();
    const int height = texture->GetHeight();
    if (m_nFrameCount == 0) {
        m_nWidth = width;
        m_nHeight = height;
        m_dwDelay = 100;
    }
    m_nFrameCount += 1;
    if (m_nWidth != width) {
        m_Type = AMF_VARIABLE;
        if (width > m_nWidth) m_nWidth = width;
    }
    if (m_nHeight != height) {
        m_Type = AMF_VARIABLE;
        if (height > m_nHeight) m_nHeight = height;
    }
    m_nRef = 1;
    m_MemMode = MEM_STATIC;
    m_dwLastAccess = timeGetTime();
    m_Textures.emplace_back(texture);
}

bool CFrames::LoadFrameFromTGA(const char* file) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    std::unique_ptr<CTexture> texture(new (std::nothrow) CTexture());
    if (!texture) {
        WriteLog(INFO_ERROR, "Memory allocate error!");
        return false;
    }
    if (!texture->LoadTexture(file, 1)) return false;
    AppendFrame(texture.release());
    m_strName = "TGA Group";
    return true;
}

bool CFrames::LoadFrameFromTexture(CTexture* texture) {
    if (!texture) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    AppendFrame(texture);
    return true;
}

CTexture* CFrames::GetTexture(DWORD frame) {
    if (m_bRelease && !m_strName.empty() && ReLoadAMF(m_strName.c_str())) m_bRelease = false;
    if (m_Textures.empty()) return nullptr;
    return m_Textures[frame % m_Textures.size()].get();
}

bool CFrames::DeleteTexture(DWORD frame) {
    if (frame >= m_Textures.size()) return false;
    m_Textures.erase(m_Textures.begin() + frame);
    m_nFrameCount -= 1;
    return true;
}

bool CFrames::AutoLoad() {
    if (!m_bRelease || m_strName.empty()) return true;
    if (!ReLoadAMF(m_strName.c_str())) return false;
    m_bRelease = false;
    return true;
}

int CFrames::AutoRemove() {
    DeleteTextures();
    m_bRelease = true;
    return m_nRef;
}

int CFrames::AddRef() { return ++m_nRef; }

int CFrames::Release() {
    if (--m_nRef <= 0) Destroy();
    return m_nRef;
}

void CFrames::Destroy() {
    DeleteTextures();
    m_strName.clear();
    m_Type = AMF_UNIFORM;
    m_nWidth = 0;
    m_nHeight = 0;
    m_nFrameCount = 0;
    m_dwDelay = 0;
    m_dwReserved1 = 0;
    m_dwReserved2 = 0;
    m_bRelease = false;
}

void CFrames::GetFrameDesc(FrameDesc* desc) const {
    if (!desc) return;
    *desc = FrameDesc{m_nWidth, m_nHeight, m_nFrameCount, m_dwDelay, m_dwReserved1, m_dwReserved2};
}

void CFrames::DeleteTextures() {
    m_Textures.clear();
    m_Textures.shrink_to_fit();
}
