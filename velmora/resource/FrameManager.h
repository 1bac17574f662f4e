// CFrameManager: the engine's frame sets under 32-bit handles, by the texture manager's
// rules: caller-chosen handles 1 to 5000, issued ones above, sharing by file name for loads
// without a handle, reference counts, a batch list file, and a sweep every 3 s that releases
// the textures of MEM_AUTO sets not accessed for 5 s (the next GetTexture reloads them).
#pragma once

#include <velmora/Export.h>
#include <velmora/resource/Frames.h>
#include <velmora/resource/HandleTable.h>

class VLM_API CFrameManager {
public:
    CFrameManager();
    ~CFrameManager();
    // Owns its frame sets: a copy would delete them twice.
    CFrameManager(const CFrameManager&) = delete;
    CFrameManager& operator=(const CFrameManager&) = delete;

    // Under a new handle, or the handle of the same file already loaded without a handle
    // (whose reference count goes up). 0 on failure.
    DWORD LoadFrame(const char* file, MemoryMode mode);
    DWORD LoadFrameDesc(const char* file);
    // Under a caller-chosen handle from 1 to 5000; a taken handle gives the warning "Frames
    // Handle has been used![file]".
    bool LoadFrame(DWORD handle, const char* file, MemoryMode mode);
    bool LoadFrameDesc(DWORD handle, const char* file);
    // Loads every record of a list file, "#handle resident description file": resident
    // (non-zero) loads now as MEM_STATIC; otherwise description (non-zero) loads the header
    // only, and 0 loads now as MEM_AUTO. The name is used exactly as written.
    bool BatchLoad(const char* listFile);
    // Takes ownership of a frame set built elsewhere; its reference count is left as it is.
    DWORD InsertFrame(CFrames* frames, MemoryMode mode);

    // Looks a set up and marks it accessed; a released set is not reloaded here.
    CFrames* GetFrame(DWORD handle);
    // The texture of one frame (wrapped around the set), reloading a released set; marks
    // the set accessed.
    CTexture* GetTexture(DWORD handle, DWORD frame);
    void ReleaseFrame(DWORD handle);
    void DestroyFrame(DWORD handle);
    // Once per frame: the idle-release sweep.
    void Update();
    void DestroyAll();

private:
    // A set loaded without a handle from `file`, with a reference taken; 0 when there is none.
    DWORD QueryHandle(const char* file);
    // A caller-chosen handle that can be loaded into: false after the log line otherwise.
    bool CallerHandleFree(DWORD handle, const char* file);

    // The frame sets, the last issued handle and the time of the last sweep.
    vlm_engine::HandleTable<CFrames> m_Frames;
};
