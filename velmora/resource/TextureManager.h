// CTextureManager: the engine's textures under 32-bit handles. Handles 1 to 5000 are chosen
// by callers, the manager issues those above 5000; loads without a handle share a texture
// by file name (and AMF picture index) and count references. Idle MEM_AUTO textures lose
// their pixels in a sweep every 3 s and get them back on their next use.
#pragma once

#include <velmora/Export.h>
#include <velmora/resource/HandleTable.h>
#include <velmora/resource/Texture.h>

class VLM_API CTextureManager {
public:
    CTextureManager();
    ~CTextureManager();
    // Owns its textures: a copy would delete them twice.
    CTextureManager(const CTextureManager&) = delete;
    CTextureManager& operator=(const CTextureManager&) = delete;

    // Under a new handle, or the handle of the same file already loaded without a handle
    // (whose reference count goes up). 0 on failure.
    DWORD LoadTexture(const char* file, MemoryMode mode, int mipLevels);
    DWORD LoadAMFTexture(const char* file, DWORD index, MemoryMode mode, int mipLevels);
    DWORD LoadTextureDesc(const char* file, int mipLevels);
    DWORD LoadAMFTextureDesc(const char* file, DWORD index, int mipLevels);

    // Under a caller-chosen handle from 1 to 5000. A taken handle gives the warning "Texture
    // Handle has been used![file]", except that LoadAMFTexture moves a handle that holds
    // another picture to the requested one, in the same texture object.
    bool LoadTexture(DWORD handle, const char* file, MemoryMode mode, int mipLevels);
    bool LoadAMFTexture(DWORD handle, const char* file, DWORD index, MemoryMode mode, int mipLevels);
    bool LoadTextureDesc(DWORD handle, const char* file, int mipLevels);
    bool LoadAMFTextureDesc(DWORD handle, const char* file, DWORD index, int mipLevels);

    // Loads every record of a list file, "#handle resident description index mips file":
    // resident (non-zero) loads now as MEM_STATIC; otherwise description (non-zero) loads
    // the size only, and 0 loads now as MEM_AUTO. The name is lower-cased; ".amf" from its
    // first dot on makes it an AMF picture, and a name without a dot ends the batch (false).
    bool BatchLoad(const char* listFile);

    // Takes ownership of a texture made elsewhere; its reference count is left as it is.
    DWORD InsertTexture(CTexture* texture, MemoryMode mode);
    // A MEM_STATIC texture with a mip chain from width x height ARGB pixels, row after row.
    DWORD LoadTextureFromMem(int width, int height, const DWORD* pixels);

    // Looks a texture up and marks it used. Released pixels are not brought back here:
    // callers that draw call AutoLoad on the result.
    CTexture* GetTexture(DWORD handle);
    // Locks level 0 (the whole of it for a null rectangle), loading released pixels first.
    bool LockTexture(DWORD handle, D3DLOCKED_RECT* locked, RECT* rect);
    void UnLockTexture(DWORD handle);
    // Drops one reference; the texture is deleted when none is left.
    void ReleaseTexture(DWORD handle);
    // Deletes the texture whatever its count.
    void DestroyTexture(DWORD handle);
    // Once per frame: the idle-release sweep.
    void Update();
    void DestroyAll();

private:
    // A texture loaded without a handle from `file` (and picture `index`), with a
    // reference taken; 0 when there is none.
    DWORD QueryHandle(const char* file, DWORD index);
    // A caller-chosen handle that can be loaded into: false after the log line otherwise.
    bool HandleFree(DWORD handle, const char* file);

    // The textures, the last issued handle and the time of the last sweep.
    vlm_engine::HandleTable<CTexture> m_Textures;
};

// The engine texture manager's loads with MEM_AUTO and one mip level; 0 without a manager.
VLM_API DWORD LoadTexture(const char* file);
VLM_API DWORD LoadAMFTexture(const char* file, DWORD index);
// Nothing without a manager.
VLM_API void ReleaseTexture(DWORD handle);
VLM_API void DestroyTexture(DWORD handle);
