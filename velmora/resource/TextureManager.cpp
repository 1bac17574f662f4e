// CTextureManager: handles, sharing by name, caller-chosen handles, batch list files and the
// idle-release sweep; and the engine's free texture functions.
#include <velmora/resource/TextureManager.h>

#include <cstring>
#include <string>

#include <velmora/core/Log.h>
#include <velmora/core/TextEncoding.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/platform/d3dx9/D3DXTexture.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/detail/ListFile.h>

using vlm_engine::CallerLoadValid;

namespace {

// Lower-cases the ASCII letters of a name; the bytes of a longer character are left alone,
// since a GBK trail byte may look like a capital letter.
void LowerCaseName(char* name) {
    const size_t length = std::strlen(name);
    for (size_t i = 0; i < length;) {
        const size_t n = TextCharLength(name + i, length - i);
        if (n == 1 && name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
        i += n;
    }
}

}  // namespace

CTextureManager::CTextureManager() = default;

CTextureManager::~CTextureManager() { DestroyAll(); }

DWORD CTextureManager::QueryHandle(const char* file, DWORD index) {
    return m_Textures.Share([&](const CTexture& t) { return t.GetIndex() == index && t.GetName() == file; });
}

bool CTextureManager::HandleFree(DWORD handle, const char* file) {
    if (!m_Textures.Find(handle)) return true;
    WriteLog(INFO_WARNING, "Texture Handle has been used![%s]", file);
    return false;
}

DWORD CTextureManager::LoadTexture(const char* file, MemoryMode mode, int mipLevels) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file, 0)) return shared;
    return m_Textures.AddLoaded(0, [&](CTexture& t) {
        if (!t.LoadTexture(file, mipLevels)) return false;
        t.SetMemMode(mode);
        return true;
    });
}

DWORD CTextureManager::LoadAMFTexture(const char* file, DWORD index, MemoryMode mode, int mipLevels) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file, index)) return shared;
    return m_Textures.AddLoaded(0, [&](CTexture& t) {
        if (!t.LoadAMFTexture(file, index, mipLevels)) return false;
        t.SetMemMode(mode);
        return true;
    });
}

DWORD CTextureManager::LoadTextureDesc(const char* file, int mipLevels) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file, 0)) return shared;
    return m_Textures.AddLoaded(0, [&](CTexture& t) { return t.LoadTextureDesc(file, mipLevels); });
}

DWORD CTextureManager::LoadAMFTextureDesc(const char* file, DWORD index, int mipLevels) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file, index)) return shared;
    return m_Textures.AddLoaded(0, [&](CTexture& t) { return t.LoadAMFTextureDesc(file, index, mipLevels); });
}

bool CTextureManager::LoadTexture(DWORD handle, const char* file, MemoryMode mode, int mipLevels) {
    return CallerLoadValid(handle, file) && HandleFree(handle, file) && m_Textures.AddLoaded(handle, [&](CTexture& t) {
        if (!t.LoadTexture(file, mipLevels)) return false;
        t.SetMemMode(mode);
        return true;
    });
}

bool CTextureManager::LoadAMFTexture(DWORD handle, const char* file, DWORD index, MemoryMode mode, int mipLevels) {
    if (!CallerLoadValid(handle, file)) return false;
    if (CTexture* texture = GetTexture(handle)) {
        // A handle on another picture moves to the requested one: animations step one caller
        // handle through the pictures of a file this way.
        if (texture->GetIndex() == index) {
            WriteLog(INFO_WARNING, "Texture Handle has been used![%s]", file);
            return false;
        }
        texture->Release();
        if (!texture->LoadAMFTexture(file, index, mipLevels)) return false;
        texture->SetMemMode(mode);
        return true;
    }
    return m_Textures.AddLoaded(handle, [&](CTexture& t) {
        if (!t.LoadAMFTexture(file, index, mipLevels)) return false;
        t.SetMemMode(mode);
        return true;
    });
}

bool CTextureManager::LoadTextureDesc(DWORD handle, const char* file, int mipLevels) {
    return CallerLoadValid(handle, file) && HandleFree(handle, file) &&
           m_Textures.AddLoaded(handle, [&](CTexture& t) { return t.LoadTextureDesc(file, mipLevels); });
}

bool CTextureManager::LoadAMFTextureDesc(DWORD handle, const char* file, DWORD index, int mipLevels) {
    return CallerLoadValid(handle, file) && HandleFree(handle, file) &&
           m_Textures.AddLoaded(handle, [&](CTexture& t) { return t.LoadAMFTextureDesc(file, index, mipLevels); });
}

// A record with fewer than six fields is skipped with a warning; a failed load has logged
// its cause and the batch goes on. Each problem of a record is logged with its line.
bool CTextureManager::BatchLoad(const char* listFile) {
    return vlm_engine::ReadListFile(listFile, [&](int line, const std::vector<char*>& fields) {
        if (fields.size() < 6) {
            WriteLog(INFO_WARNING, "Bad record in list file[%s]!", listFile);
            WriteLog(INFO_WARNING,
                     "Line %d of list file[%s] has %zu of the 6 fields: handle, resident, description only, AMF "
                     "picture, mip levels, file",
                     line, listFile, fields.size());
            return true;
        }
        vlm_engine::CheckNumberFields(listFile, line, fields, 5);
        const DWORD handle = DWORD(vlm_engine::FieldToInt(fields[0]));
        const bool resident = vlm_engine::FieldToInt(fields[1]) != 0;
        const bool descOnly = vlm_engine::FieldToInt(fields[2]) != 0;
        const DWORD index = DWORD(vlm_engine::FieldToInt(fields[3]));
        const int mipLevels = vlm_engine::FieldToInt(fields[4]);
        char* file = fields[5];
        LowerCaseName(file);
        const char* extension = std::strchr(file, '.');
        if (!extension) {
            WriteLog(INFO_ERROR, "Line %d of list file[%s]: the file name [%s] has no \".\"; the batch stops here",
                     line, listFile, file);
            return false;
        }
        const bool amf = std::strcmp(extension, ".amf") == 0;
        // An AMF record moves a handle that holds another picture of a file; any other holder
        // keeps it.
        const CTexture* holder = m_Textures.Find(handle);
        const std::string heldBy = holder && (!amf || holder->GetIndex() == index) ? holder->GetName() : "";
        bool loaded;
        if (!resident && descOnly) {
            loaded =
                amf ? LoadAMFTextureDesc(handle, file, index, mipLevels) : LoadTextureDesc(handle, file, mipLevels);
        } else {
            MemoryMode mode = resident ? MEM_STATIC : MEM_AUTO;
            loaded =
                amf ? LoadAMFTexture(handle, file, index, mode, mipLevels) : LoadTexture(handle, file, mode, mipLevels);
        }
        if (!loaded)
            vlm_engine::ReportFailedRecord(listFile, line, handle, heldBy.empty() ? nullptr : heldBy.c_str(), file,
                                           index, amf);
        return true;
    });
}

DWORD CTextureManager::InsertTexture(CTexture* texture, MemoryMode mode) {
    if (!texture) return 0;
    texture->SetMemMode(mode);
    return m_Textures.Adopt(texture);
}

DWORD CTextureManager::LoadTextureFromMem(int width, int height, const DWORD* pixels) {
    if (!pixels) return 0;
    return m_Textures.AddLoaded(0, [&](CTexture& t) {
        if (!t.CreateMipTexture(width, height, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED)) return false;
        IDirect3DTexture9* texture = t.GetTexture();
        D3DLOCKED_RECT locked{};
        if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return false;
        for (int y = 0; y < height; ++y)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + size_t(y) * size_t(locked.Pitch),
                        pixels + size_t(y) * size_t(width), size_t(width) * 4);
        texture->UnlockRect(0);
        D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT);
        return true;
    });
}

CTexture* CTextureManager::GetTexture(DWORD handle) {
    CTexture* texture = m_Textures.Find(handle);
    // Every draw comes here: the stamp only has to be right to the idle time's seconds.
    if (texture) texture->SetLastUseTime(vlm_CoarseTime());
    return texture;
}

bool CTextureManager::LockTexture(DWORD handle, D3DLOCKED_RECT* locked, RECT* rect) {
    CTexture* texture = GetTexture(handle);
    if (!texture || !texture->AutoLoad() || !texture->GetTexture() || !locked) return false;
    return SUCCEEDED(texture->GetTexture()->LockRect(0, locked, rect, 0));
}

void CTextureManager::UnLockTexture(DWORD handle) {
    CTexture* texture = GetTexture(handle);
    if (texture && texture->AutoLoad() && texture->GetTexture()) texture->GetTexture()->UnlockRect(0);
}

void CTextureManager::ReleaseTexture(DWORD handle) { m_Textures.Release(handle); }

void CTextureManager::DestroyTexture(DWORD handle) { m_Textures.Erase(handle); }

void CTextureManager::Update() { m_Textures.Sweep(timeGetTime(), &CTexture::GetLastUseTime); }

void CTextureManager::DestroyAll() { m_Textures.Clear(); }

DWORD LoadTexture(const char* file) {
    CTextureManager* manager = vlm_engine::Engine().textureManager;
    return manager ? manager->LoadTexture(file, MEM_AUTO, 1) : 0;
}

DWORD LoadAMFTexture(const char* file, DWORD index) {
    CTextureManager* manager = vlm_engine::Engine().textureManager;
    return manager ? manager->LoadAMFTexture(file, index, MEM_AUTO, 1) : 0;
}

void ReleaseTexture(DWORD handle) {
    if (CTextureManager* manager = vlm_engine::Engine().textureManager) manager->ReleaseTexture(handle);
}

void DestroyTexture(DWORD handle) {
    if (CTextureManager* manager = vlm_engine::Engine().textureManager) manager->DestroyTexture(handle);
}
