// CTextureManager: handles, sharing by name, caller-chosen handles, batch list files and the
// idle-release sweep; and the engine's free texture functions.
#include <velmora/resource/TextureManager.h>

#include <cstring>
#include <new>

#include <velmora/core/Log.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/platform/d3dx9/D3DXTexture.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/detail/HandleTable.h>
#include <velmora/resource/detail/ListFile.h>

using vlm_engine::IsCallerHandle;

namespace {

// Lower-cases the ASCII letters of a GBK name; the two bytes of a double-byte character
// are left alone, since a trail byte may look like a capital letter.
void LowerCaseName(char* name) {
    for (unsigned char* p = reinterpret_cast<unsigned char*>(name); *p; ++p) {
        if (*p >= 0x81 && *p <= 0xFE && p[1]) {
            ++p;
        } else if (*p >= 'A' && *p <= 'Z') {
            *p = static_cast<unsigned char>(*p - 'A' + 'a');
        }
    }
}

bool CallerLoadValid(DWORD handle, const char* file) {
    // Handle 0 could never be looked up again, so it is refused with the others.
    if (!file || !*file || !IsCallerHandle(handle)) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    return true;
}

}  // namespace

CTextureManager::CTextureManager() : m_dwLastHandle(vlm_engine::kLastCallerHandle), m_dwLastSweep(0) {}

CTextureManager::~CTextureManager() { DestroyAll(); }

DWORD CTextureManager::CreateHandle() { return vlm_engine::IssueHandle(m_Textures, &m_dwLastHandle); }

DWORD CTextureManager::QueryHandle(const char* file, DWORD index) {
    for (auto& [handle, texture] : m_Textures) {
        if (handle > vlm_engine::kLastCallerHandle && texture->GetIndex() == index && texture->GetName() == file) {
            texture->AddRef();
            return handle;
        }
    }
    return 0;
}

bool CTextureManager::HandleFree(DWORD handle, const char* file) {
    if (!m_Textures.count(handle)) return true;
    WriteLog(INFO_WARNING, "Texture Handle has been used![%s]", file);
    return false;
}

template <class Load>
DWORD CTextureManager::AddLoaded(DWORD handle, Load load) {
    CTexture* texture = new (std::nothrow) CTexture();
    if (!texture) return 0;
    if (!load(*texture)) {
        delete texture;
        return 0;
    }
    if (!handle) handle = CreateHandle();
    m_Textures[handle] = texture;
    return handle;
}

DWORD CTextureManager::LoadTexture(const char* file, MemoryMode mode, int mipLevels) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file, 0)) return shared;
    return AddLoaded(0, [&](CTexture& t) {
        if (!t.LoadTexture(file, mipLevels)) return false;
        t.SetMemMode(mode);
        return true;
    });
}

DWORD CTextureManager::LoadAMFTexture(const char* file, DWORD index, MemoryMode mode, int mipLevels) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file, index)) return shared;
    return AddLoaded(0, [&](CTexture& t) {
        if (!t.LoadAMFTexture(file, index, mipLevels)) return false;
        t.SetMemMode(mode);
        return true;
    });
}

DWORD CTextureManager::LoadTextureDesc(const char* file, int mipLevels) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file, 0)) return shared;
    return AddLoaded(0, [&](CTexture& t) { return t.LoadTextureDesc(file, mipLevels); });
}

DWORD CTextureManager::LoadAMFTextureDesc(const char* file, DWORD index, int mipLevels) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file, index)) return shared;
    return AddLoaded(0, [&](CTexture& t) { return t.LoadAMFTextureDesc(file, index, mipLevels); });
}

bool CTextureManager::LoadTexture(DWORD handle, const char* file, MemoryMode mode, int mipLevels) {
    return CallerLoadValid(handle, file) && HandleFree(handle, file) && AddLoaded(handle, [&](CTexture& t) {
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
    return AddLoaded(handle, [&](CTexture& t) {
        if (!t.LoadAMFTexture(file, index, mipLevels)) return false;
        t.SetMemMode(mode);
        return true;
    });
}

bool CTextureManager::LoadTextureDesc(DWORD handle, const char* file, int mipLevels) {
    return CallerLoadValid(handle, file) && HandleFree(handle, file) &&
           AddLoaded(handle, [&](CTexture& t) { return t.LoadTextureDesc(file, mipLevels); });
}

bool CTextureManager::LoadAMFTextureDesc(DWORD handle, const char* file, DWORD index, int mipLevels) {
    return CallerLoadValid(handle, file) && HandleFree(handle, file) &&
           AddLoaded(handle, [&](CTexture& t) { return t.LoadAMFTextureDesc(file, index, mipLevels); });
}

// A record with fewer than six fields is skipped with a warning; a failed load has logged
// its cause and the batch goes on.
bool CTextureManager::BatchLoad(const char* listFile) {
    return vlm_engine::ReadListFile(listFile, [&](const std::vector<char*>& fields) {
        if (fields.size() < 6) {
            WriteLog(INFO_WARNING, "Bad record in list file[%s]!", listFile);
            return true;
        }
        const DWORD handle = DWORD(vlm_engine::FieldToInt(fields[0]));
        const bool resident = vlm_engine::FieldToInt(fields[1]) != 0;
        const bool descOnly = vlm_engine::FieldToInt(fields[2]) != 0;
        const DWORD index = DWORD(vlm_engine::FieldToInt(fields[3]));
        const int mipLevels = vlm_engine::FieldToInt(fields[4]);
        char* file = fields[5];
        LowerCaseName(file);
        const char* extension = std::strchr(file, '.');
        if (!extension) return false;
        const bool amf = std::strcmp(extension, ".amf") == 0;
        if (!resident && descOnly) {
            amf ? LoadAMFTextureDesc(handle, file, index, mipLevels) : LoadTextureDesc(handle, file, mipLevels);
        } else {
            MemoryMode mode = resident ? MEM_STATIC : MEM_AUTO;
            amf ? LoadAMFTexture(handle, file, index, mode, mipLevels) : LoadTexture(handle, file, mode, mipLevels);
        }
        return true;
    });
}

DWORD CTextureManager::InsertTexture(CTexture* texture, MemoryMode mode) {
    if (!texture) return 0;
    texture->SetMemMode(mode);
    DWORD handle = CreateHandle();
    m_Textures[handle] = texture;
    return handle;
}

DWORD CTextureManager::LoadTextureFromMem(int width, int height, const DWORD* pixels) {
    if (!pixels) return 0;
    return AddLoaded(0, [&](CTexture& t) {
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
    auto it = handle ? m_Textures.find(handle) : m_Textures.end();
    if (it == m_Textures.end()) return nullptr;
    it->second->SetLastUseTime(timeGetTime());
    return it->second;
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

void CTextureManager::ReleaseTexture(DWORD handle) {
    auto it = handle ? m_Textures.find(handle) : m_Textures.end();
    if (it == m_Textures.end() || it->second->Release() > 0) return;
    delete it->second;
    m_Textures.erase(it);
}

void CTextureManager::DestroyTexture(DWORD handle) {
    auto it = handle ? m_Textures.find(handle) : m_Textures.end();
    if (it == m_Textures.end()) return;
    delete it->second;
    m_Textures.erase(it);
}

void CTextureManager::Update() {
    const DWORD now = timeGetTime();
    if (!vlm_engine::SweepDue(now, m_dwLastSweep)) return;
    for (auto& [handle, texture] : m_Textures) {
        // A texture without a name has nothing to reload from, so its pixels stay.
        if (vlm_engine::IsIdle(now, texture->GetLastUseTime()) && !texture->IsRelease() &&
            texture->GetMemMode() == MEM_AUTO && !texture->GetName().empty())
            texture->AutoRemove();
    }
    m_dwLastSweep = now;
}

void CTextureManager::DestroyAll() {
    for (auto& [handle, texture] : m_Textures) delete texture;
    m_Textures.clear();
}

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
