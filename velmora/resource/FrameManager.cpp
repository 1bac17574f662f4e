// CFrameManager: handles, sharing by name, caller-chosen handles, batch list files and the
// idle-release sweep of frame sets.
#include <velmora/resource/FrameManager.h>

#include <new>

#include <velmora/core/Log.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/detail/HandleTable.h>
#include <velmora/resource/detail/ListFile.h>

CFrameManager::CFrameManager() : m_dwLastHandle(vlm_engine::kLastCallerHandle), m_dwLastSweep(0) {}

CFrameManager::~CFrameManager() { DestroyAll(); }

DWORD CFrameManager::CreateHandle() { return vlm_engine::IssueHandle(m_Frames, &m_dwLastHandle); }

DWORD CFrameManager::QueryHandle(const char* file) {
    for (auto& [handle, frames] : m_Frames) {
        if (handle > vlm_engine::kLastCallerHandle && frames->GetName() == file) {
            frames->AddRef();
            return handle;
        }
    }
    return 0;
}

template <class Load>
DWORD CFrameManager::AddLoaded(DWORD handle, Load load) {
    CFrames* frames = new (std::nothrow) CFrames();
    if (!frames) return 0;
    if (!load(*frames)) {
        delete frames;
        return 0;
    }
    if (!handle) handle = CreateHandle();
    m_Frames[handle] = frames;
    return handle;
}

bool CFrameManager::CallerHandleFree(DWORD handle, const char* file) {
    // Handle 0 could never be looked up again, so it is refused with the others.
    if (!file || !*file || !vlm_engine::IsCallerHandle(handle)) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    if (m_Frames.count(handle)) {
        WriteLog(INFO_WARNING, "Frames Handle has been used![%s]", file);
        return false;
    }
    return true;
}

DWORD CFrameManager::LoadFrame(const char* file, MemoryMode mode) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file)) return shared;
    return AddLoaded(0, [&](CFrames& f) {
        if (!f.LoadFrame(file)) return false;
        f.SetMemMode(mode);
        return true;
    });
}

DWORD CFrameManager::LoadFrameDesc(const char* file) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file)) return shared;
    return AddLoaded(0, [&](CFrames& f) { return f.LoadFrameDesc(file); });
}

bool CFrameManager::LoadFrame(DWORD handle, const char* file, MemoryMode mode) {
    return CallerHandleFree(handle, file) && AddLoaded(handle, [&](CFrames& f) {
               if (!f.LoadFrame(file)) return false;
               f.SetMemMode(mode);
               return true;
           });
}

bool CFrameManager::LoadFrameDesc(DWORD handle, const char* file) {
    return CallerHandleFree(handle, file) && AddLoaded(handle, [&](CFrames& f) { return f.LoadFrameDesc(file); });
}

bool CFrameManager::BatchLoad(const char* listFile) {
    return vlm_engine::ReadListFile(listFile, [&](const std::vector<char*>& fields) {
        if (fields.size() < 4) {
            WriteLog(INFO_WARNING, "Bad record in list file[%s]!", listFile);
            return true;
        }
        const DWORD handle = DWORD(vlm_engine::FieldToInt(fields[0]));
        const bool resident = vlm_engine::FieldToInt(fields[1]) != 0;
        const bool descOnly = vlm_engine::FieldToInt(fields[2]) != 0;
        if (resident)
            LoadFrame(handle, fields[3], MEM_STATIC);
        else if (descOnly)
            LoadFrameDesc(handle, fields[3]);
        else
            LoadFrame(handle, fields[3], MEM_AUTO);
        return true;
    });
}

DWORD CFrameManager::InsertFrame(CFrames* frames, MemoryMode mode) {
    if (!frames) return 0;
    frames->SetMemMode(mode);
    DWORD handle = CreateHandle();
    m_Frames[handle] = frames;
    return handle;
}

CFrames* CFrameManager::GetFrame(DWORD handle) {
    auto it = handle ? m_Frames.find(handle) : m_Frames.end();
    if (it == m_Frames.end()) return nullptr;
    it->second->SetLastAccess(timeGetTime());
    return it->second;
}

CTexture* CFrameManager::GetTexture(DWORD handle, DWORD frame) {
    CFrames* frames = GetFrame(handle);
    return frames ? frames->GetTexture(frame) : nullptr;
}

void CFrameManager::ReleaseFrame(DWORD handle) {
    auto it = handle ? m_Frames.find(handle) : m_Frames.end();
    if (it == m_Frames.end() || it->second->Release() > 0) return;
    delete it->second;
    m_Frames.erase(it);
}

void CFrameManager::DestroyFrame(DWORD handle) {
    auto it = handle ? m_Frames.find(handle) : m_Frames.end();
    if (it == m_Frames.end()) return;
    delete it->second;
    m_Frames.erase(it);
}

void CFrameManager::Update() {
    const DWORD now = timeGetTime();
    if (!vlm_engine::SweepDue(now, m_dwLastSweep)) return;
    for (auto& [handle, frames] : m_Frames) {
        // A set without a name has nothing to reload from, so its textures stay.
        if (vlm_engine::IsIdle(now, frames->GetLastAccess()) && !frames->IsRelease() &&
            frames->GetMemMode() == MEM_AUTO && !frames->GetName().empty())
            frames->AutoRemove();
    }
    m_dwLastSweep = now;
}

void CFrameManager::DestroyAll() {
    for (auto& [handle, frames] : m_Frames) delete frames;
    m_Frames.clear();
}
