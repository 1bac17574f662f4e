// CTexture: image-file and AMF loads, description-only loads, blank textures, and the
// release and reload of pixels.
#include <velmora/resource/Texture.h>

#include <velmora/core/ComRef.h>
#include <velmora/core/Log.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/platform/d3dx9/D3DXTexture.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/AniFile.h>
#include <velmora/resource/detail/AmfPicture.h>

namespace {

// The texture of an image file at the image's own size, never scaled, without colour key.
IDirect3DTexture9* CreateFromImageFile(const char* file, int mipLevels, D3DXIMAGE_INFO* info) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTextureFromFileExA(vlm_engine::Engine().device, file, info->Width, info->Height,
                                            UINT(mipLevels), 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                            D3DX_DEFAULT, 0, info, nullptr, &texture)))
        return nullptr;
    return texture;
}

}  // namespace

CTexture::CTexture()
    : m_nRef(0),
      m_nWidth(0),
      m_nHeight(0),
      m_dwLastUseTime(0),
      m_Pool(D3DPOOL_MANAGED),
      m_nMipLevels(1),
      m_dwIndex(0),
      m_bRelease(false),
      m_MemMode(MEM_AUTO),
      m_pTexture(nullptr) {}

CTexture::CTexture(const CTexture& other) : CTexture() { *this = other; }

CTexture& CTexture::operator=(const CTexture& other) {
    vlm_engine::ShareRef(m_pTexture, other.m_pTexture);
    m_nRef = other.m_nRef;
    m_nWidth = other.m_nWidth;
    m_nHeight = other.m_nHeight;
    m_dwLastUseTime = other.m_dwLastUseTime;
    m_Pool = other.m_Pool;
    m_nMipLevels = other.m_nMipLevels;
    m_dwIndex = other.m_dwIndex;
    m_strName = other.m_strName;
    m_bRelease = other.m_bRelease;
    m_MemMode = other.m_MemMode;
    return *this;
}

CTexture::~CTexture() { Destroy(); }

bool CTexture::StartImageLoad(const char* file, D3DXIMAGE_INFO* info) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    Destroy();
    if (FAILED(D3DXGetImageInfoFromFileA(file, info))) {
        WriteLog(INFO_ERROR, "Can't get image info from file[%s]!", file);
        return false;
    }
    return true;
}

void CTexture::DescribeImage(const char* file, const D3DXIMAGE_INFO& info, int mipLevels) {
    m_nWidth = LONG(info.Width);
    m_nHeight = LONG(info.Height);
    m_nRef = 1;
    m_Pool = D3DPOOL_MANAGED;
    m_strName = file;
    m_nMipLevels = mipLevels;
    m_dwLastUseTime = timeGetTime();
}

bool CTexture::LoadTexture(const char* file, int mipLevels) {
    D3DXIMAGE_INFO info{};
    if (!StartImageLoad(file, &info)) return false;
    m_pTexture = CreateFromImageFile(file, mipLevels, &info);
    if (!m_pTexture) {
        WriteLog(INFO_ERROR, "Can't create texture from file[%s]!", file);
        return false;
    }
    DescribeImage(file, info, mipLevels);
    return true;
}

bool CTexture::LoadTextureDesc(const char* file, int mipLevels) {
    D3DXIMAGE_INFO info{};
    if (!StartImageLoad(file, &info)) return false;
    DescribeImage(file, info, mipLevels);
    m_bRelease = true;
    return true;
}

bool CTexture::ReLoadAMFTexture(const char* file, DWORD index, int mipLevels) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    vlm_engine::FilePtr fp = vlm_engine::OpenBinary(file);
    AMFIndex entry;
    // ReadIndex checks the header and that the picture exists; the file must also pay for
    // the picture before its texture is made.
    if (!fp || !CAniFile().ReadIndex(fp.get(), index, &entry) ||
        vlm_engine::PictureBytes(entry) > vlm_engine::AmfLoadBudget(fp.get()))
        return false;
    vlm_engine::ComRef<IDirect3DTexture9> texture;
    if (FAILED(D3DXCreateTexture(vlm_engine::Engine().device, UINT(entry.nWidth), UINT(entry.nHeight), UINT(mipLevels),
                                 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Receive()))) {
        WriteLog(INFO_ERROR, "ERROR! Can't create texture.");
        return false;
    }
    bool filled =
        vlm_engine::ReadAmfPicture(fp.get(), index, entry, texture.Get()) &&
        (texture->GetLevelCount() == 1 || SUCCEEDED(D3DXFilterTexture(texture.Get(), nullptr, 0, D3DX_DEFAULT)));
    if (!filled) return false;
    vlm_engine::ReplaceRef(m_pTexture, texture.Detach());
    m_nWidth = entry.nWidth;
    m_nHeight = entry.nHeight;
    return true;
}

bool CTexture::LoadAMFTexture(const char* file, DWORD index, int mipLevels) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    Destroy();
    if (!ReLoadAMFTexture(file, index, mipLevels)) {
        WriteLog(INFO_ERROR, "Can't Load AMF[%s]!", file);
        return false;
    }
    m_nRef = 1;
    m_Pool = D3DPOOL_MANAGED;
    m_strName = file;
    m_nMipLevels = mipLevels;
    m_dwIndex = index | kAmfSource;
    m_dwLastUseTime = timeGetTime();
    return true;
}

bool CTexture::LoadAMFTextureDesc(const char* file, DWORD index, int mipLevels) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    Destroy();
    vlm_engine::FilePtr fp = vlm_engine::OpenBinary(file);
    AMFIndex entry;
    if (!fp || !CAniFile().ReadIndex(fp.get(), index, &entry)) return false;
    m_nWidth = entry.nWidth;
    m_nHeight = entry.nHeight;
    m_nRef = 1;
    m_Pool = D3DPOOL_MANAGED;
    m_strName = file;
    m_nMipLevels = mipLevels;
    m_dwLastUseTime = timeGetTime();
    m_bRelease = true;
    m_dwIndex = index | kAmfSource;
    return true;
}

bool CTexture::Create(int width, int height, UINT levels, D3DFORMAT format, D3DPOOL pool) {
    Destroy();
    // D3DX would read a size of 0 as its default; a texture has the size it was asked for.
    if (width <= 0 || height <= 0 ||
        FAILED(D3DXCreateTexture(vlm_engine::Engine().device, UINT(width), UINT(height), levels, 0, format, pool,
                                 &m_pTexture))) {
        m_pTexture = nullptr;
        WriteLog(INFO_ERROR, "ERROR! Can't create texture.");
        return false;
    }
    m_nRef = 1;
    m_nWidth = width;
    m_nHeight = height;
    m_Pool = pool;
    m_dwLastUseTime = timeGetTime();
    m_MemMode = MEM_STATIC;  // nothing to reload from
    return true;
}

bool CTexture::CreateTexture(int width, int height, D3DFORMAT format, D3DPOOL pool) {
    return Create(width, height, 1, format, pool);
}

bool CTexture::CreateMipTexture(int width, int height, D3DFORMAT format, D3DPOOL pool) {
    return Create(width, height, 0, format, pool);
}

int CTexture::AddRef() { return ++m_nRef; }

int CTexture::Release() {
    if (--m_nRef <= 0) Destroy();
    return m_nRef;
}

int CTexture::AutoRemove() {
    vlm_engine::ReplaceRef(m_pTexture);
    m_bRelease = true;
    return m_nRef;
}

bool CTexture::AutoLoad() {
    if (!m_bRelease || m_strName.empty()) return true;
    const char* file = m_strName.c_str();
    if (m_dwIndex & kAmfSource) {
        if (!ReLoadAMFTexture(file, m_dwIndex & kIndexMask, m_nMipLevels)) return false;
    } else {
        D3DXIMAGE_INFO info{};
        if (FAILED(D3DXGetImageInfoFromFileA(file, &info))) {
            WriteLog(INFO_ERROR, "Auto get image info fail[%s]!", file);
            return false;
        }
        IDirect3DTexture9* texture = CreateFromImageFile(file, m_nMipLevels, &info);
        if (!texture) {
            WriteLog(INFO_ERROR, "Auto load texture fail[%s]!", file);
            return false;
        }
        vlm_engine::ReplaceRef(m_pTexture, texture);
    }
    m_bRelease = false;
    return true;
}

void CTexture::Destroy() {
    vlm_engine::ReplaceRef(m_pTexture);
    m_strName.clear();
    m_nMipLevels = 1;
    m_dwIndex = 0;
    m_bRelease = false;
}
