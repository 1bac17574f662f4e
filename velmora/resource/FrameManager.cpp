// CFrameManager: handles, sharing by name, caller-chosen handles, batch list files and the
// idle-release sweep of frame sets.
#include <velmora/resource/FrameManager.h>

#include <string>

#include <velmora/core/Log.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/detail/ListFile.h>

CFrameManager::CFrameManager() = default;

CFrameManager::~CFrameManager() { DestroyAll(); }

DWORD CFrameManager::QueryHandle(const char* file) {
    return m_Frames.Share([&](const CFrames& f) { return f.GetName() == file; });
}

bool CFrameManager::CallerHandleFree(DWORD handle, const char* file) {
    if (!vlm_engine::CallerLoadValid(handle, file)) return false;
    if (m_Frames.Find(handle)) {
        WriteLog(INFO_WARNING, "Frames Handle has been used![%s]", file);
        return false;
    }
    return true;
}

DWORD CFrameManager::LoadFrame(const char* file, MemoryMode mode) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file)) return shared;
    return m_Frames.AddLoaded(0, [&](CFrames& f) {
        if (!f.LoadFrame(file)) return false;
        f.SetMemMode(mode);
        return true;
    });
}

DWORD CFrameManager::LoadFrameDesc(const char* file) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file)) return shared;
    return m_Frames.AddLoaded(0, [&](CFrames& f) { return f.LoadFrameDesc(file); });
}

bool CFrameManager::LoadFrame(DWORD handle, const char* file, MemoryMode mode) {
    return CallerHandleFree(handle, file) && m_Frames.AddLoaded(handle, [&](CFrames& f) {
        if (!f.LoadFrame(file)) return false;
        f.SetMemMode(mode);
        return true;
    });
}

bool CFrameManager::LoadFrameDesc(DWORD handle, const char* file) {
    return CallerHandleFree(handle, file) &&
           m_Frames.AddLoaded(handle, [&](CFrames& f) { return f.LoadFrameDesc(file); });
}

bool CFrameManager::BatchLoad(const char* listFile) {
    return vlm_engine::ReadListFile(listFile, [&](int line, const std::vector<char*>& fields) {
        if (fields.size() < 4) {
            WriteLog(INFO_WARNING, "Bad record in list file[%s]!", listFile);
            WriteLog(INFO_WARNING,
                     "Line %d of list file[%s] has %zu of the 4 fields: handle, resident, description only, file", line,
                     listFile, fields.size());
            return true;
        }
        vlm_engine::CheckNumberFields(listFile, line, fields, 3);
        const DWORD handle = DWORD(vlm_engine::FieldToInt(fields[0]));
        const bool resident = vlm_engine::FieldToInt(fields[1]) != 0;
        const bool descOnly = vlm_engine::FieldToInt(fields[2]) != 0;
        const CFrames* holder = m_Frames.Find(handle);
        const std::string heldBy = holder ? holder->GetName() : "";
        bool loaded;
        if (resident)
            loaded = LoadFrame(handle, fields[3], MEM_STATIC);
        else if (descOnly)
            loaded = LoadFrameDesc(handle, fields[3]);
        else
            loaded = LoadFrame(handle, fields[3], MEM_AUTO);
        if (!loaded)
            vlm_engine::ReportFailedRecord(listFile, line, handle, holder ? heldBy.c_str() : nullptr, fields[3], 0,
                                           true);
        return true;
    });
}

DWORD CFrameManager::InsertFrame(CFrames* frames, MemoryMode mode) {
    if (!frames) return 0;
    frames->SetMemMode(mode);
    return m_Frames.Adopt(frames);
}

CFrames* CFrameManager::GetFrame(DWORD handle) {
    CFrames* frames = m_Frames.Find(handle);
    if (frames) frames->SetLastAccess(timeGetTime());
    return frames;
}

CTexture* CFrameManager::GetTexture(DWORD handle, DWORD frame) {
    CFrames* frames = GetFrame(handle);
    return frames ? frames->GetTexture(frame) : nullptr;
}

void CFrameManager::ReleaseFrame(DWORD handle) { m_Frames.Release(handle); }

void CFrameManager::DestroyFrame(DWORD handle) { m_Frames.Erase(handle); }

void CFrameManager::Update() { m_Frames.Sweep(timeGetTime(), &CFrames::GetLastAccess); }

void CFrameManager::DestroyAll() { m_Frames.Clear(); }
