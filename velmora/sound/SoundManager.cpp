// CSoundManager: the device, the sounds and their handles, list files, volumes, suspension,
// the frame's update and the streaming thread; and the engine's free sound functions.
// Voices are in SoundVoices.cpp, music in SoundMusic.cpp.
#include <velmora/sound/SoundManager.h>

#include <algorithm>

#include <velmora/core/Log.h>
#include <velmora/core/detail/EngineObjects.h>
#include <velmora/platform/win32/Synchronization.h>
#include <velmora/platform/win32/Threads.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/detail/ListFile.h>
#include <velmora/sound/detail/Playback.h>

using vlm_engine::CallerLoadValid;

CSoundManager::CSoundManager() { InitializeCriticalSection(&m_csStreams); }

CSoundManager::~CSoundManager() {
    StopStreamingThread();
    StopAll();
    while (!m_Tracks.empty()) RemoveTrack(m_Tracks.size() - 1);
    ReleaseDrainedBuffers(0, true);
    DestroyAll();
    if (m_pDirectSound) m_pDirectSound->Release();
    m_pDirectSound = nullptr;
    DeleteCriticalSection(&m_csStreams);
}

bool CSoundManager::Init(HWND window) {
    if (m_pDirectSound) return true;
    IDirectSound8* directSound = nullptr;
    if (FAILED(DirectSoundCreate8(nullptr, &directSound, nullptr))) {
        WriteLog(INFO_WARNING, "No sound device, the game runs silent! (%s)", vlm_AudioDeviceError());
        return false;
    }
    directSound->SetCooperativeLevel(window, DSSCL_PRIORITY);
    m_pDirectSound = directSound;
    StartStreamingThread();
    return true;
}

// --- Sounds -----------------------------------------------------------------------------

DWORD CSoundManager::QueryHandle(const char* file) {
    return m_Sounds.Share([&](const CSound& s) { return s.GetName() == file; });
}

bool CSoundManager::HandleFree(DWORD handle, const char* file) {
    if (!m_Sounds.Find(handle)) return true;
    WriteLog(INFO_WARNING, "Sound Handle has been used![%s]", file);
    return false;
}

DWORD CSoundManager::LoadSound(const char* file, MemoryMode mode) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file)) return shared;
    return m_Sounds.AddLoaded(0, [&](CSound& s) {
        if (!s.LoadSound(m_pDirectSound, file)) return false;
        s.SetMemMode(mode);
        return true;
    });
}

DWORD CSoundManager::LoadSoundDesc(const char* file) {
    if (!file || !*file) return 0;
    if (DWORD shared = QueryHandle(file)) return shared;
    return m_Sounds.AddLoaded(0, [&](CSound& s) { return s.LoadSoundDesc(m_pDirectSound, file); });
}

bool CSoundManager::LoadSound(DWORD handle, const char* file, MemoryMode mode) {
    return CallerLoadValid(handle, file) && HandleFree(handle, file) && m_Sounds.AddLoaded(handle, [&](CSound& s) {
        if (!s.LoadSound(m_pDirectSound, file)) return false;
        s.SetMemMode(mode);
        return true;
    });
}

bool CSoundManager::LoadSoundDesc(DWORD handle, const char* file) {
    return CallerLoadValid(handle, file) && HandleFree(handle, file) &&
           m_Sounds.AddLoaded(handle, [&](CSound& s) { return s.LoadSoundDesc(m_pDirectSound, file); });
}

// A record with fewer than four fields is skipped with a warning; a failed load has logged
// its cause and the batch goes on. Each problem of a record is logged with its line.
bool CSoundManager::BatchLoad(const char* listFile) {
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
        if (!resident && descOnly)
            LoadSoundDesc(handle, fields[3]);
        else
            LoadSound(handle, fields[3], resident ? MEM_STATIC : MEM_AUTO);
        return true;
    });
}

CSound* CSoundManager::GetSound(DWORD handle) {
    CSound* sound = m_Sounds.Find(handle);
    if (sound) sound->SetLastUseTime(vlm_CoarseTime());
    return sound;
}

void CSoundManager::ReleaseSound(DWORD handle) { m_Sounds.Release(handle); }

void CSoundManager::DestroySound(DWORD handle) {
    if (!m_Sounds.Find(handle)) return;
    std::vector<DWORD> playing;
    for (const auto& entry : m_Voices)
        if (entry.second->sound == handle) playing.push_back(entry.first);
    for (DWORD voice : playing) RemoveVoice(voice, -1);
    m_Sounds.Erase(handle);
}

void CSoundManager::DestroyAll() {
    StopAll();
    m_Sounds.Clear();
}

// --- Volumes, suspension and the frame -----------------------------------------------

void CSoundManager::SetVolume(SoundCategory category, int volume) {
    if (category < SOUND_MASTER || category > SOUND_MUSIC) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return;
    }
    m_nVolume[category] = std::clamp(volume, 0, 100);
    for (auto& entry : m_Voices) ApplyVoiceVolume(*entry.second);
    const DWORD now = timeGetTime();
    EnterCriticalSection(&m_csStreams);
    for (auto& track : m_Tracks) ApplyTrackVolume(*track, now);
    LeaveCriticalSection(&m_csStreams);
}

int CSoundManager::GetVolume(SoundCategory category) const {
    return category >= SOUND_MASTER && category <= SOUND_MUSIC ? m_nVolume[category] : 0;
}

void CSoundManager::Suspend(bool suspended) {
    if (suspended == m_bSuspended) return;
    const DWORD now = timeGetTime();
    RetireVoices(now);  // what ended before is over, suspended or not
    m_bSuspended = suspended;
    for (auto& entry : m_Voices) {
        Voice& v = *entry.second;
        v.Anchor(now);
        v.running = !suspended;
        if (!v.buffer) continue;
        if (suspended) {
            DWORD status = 0;
            v.buffer->GetStatus(&status);
            v.heardWhenSuspended = (status & DSBSTATUS_PLAYING) != 0;
            v.buffer->Stop();
        } else if (v.heardWhenSuspended) {
            v.buffer->Play(0, 0, v.loop ? DSBPLAY_LOOPING : 0);
        }
    }
    // Voices that ended by the clock but were still being heard stop with the rest; on the
    // way back they would only start again from their beginning.
    ReleaseDrainedBuffers(now, true);
    EnterCriticalSection(&m_csStreams);
    for (auto& track : m_Tracks) {
        const bool run = !suspended && !track->paused;
        track->Run(now, run);
        if (run)
            track->stream->Resume();
        else
            track->stream->Pause();
    }
    LeaveCriticalSection(&m_csStreams);
}

void CSoundManager::Update() {
    const DWORD now = timeGetTime();
    RetireVoices(now);
    ReleaseDrainedBuffers(now, false);
    // A looping voice lost with the device starts again once it is back.
    for (auto& entry : m_Voices) {
        Voice& v = *entry.second;
        DWORD status = 0;
        if (!v.loop || !v.buffer || !v.running || FAILED(v.buffer->GetStatus(&status)) ||
            !(status & DSBSTATUS_BUFFERLOST))
            continue;
        if (SUCCEEDED(v.buffer->Restore())) v.buffer->Play(0, 0, DSBPLAY_LOOPING);
    }
    UpdateMusic(now);
    // A sound counts as used while it plays.
    for (auto& entry : m_Voices)
        if (CSound* sound = m_Sounds.Find(entry.second->sound)) sound->SetLastUseTime(now);
    m_Sounds.Sweep(now, &CSound::GetLastUseTime);
}

// --- The streaming thread ------------------------------------------------------------

void CSoundManager::StartStreamingThread() {
    m_hRefill = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hQuit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (m_hRefill && m_hQuit) m_hThread = CreateThread(nullptr, 0, StreamingThread, this, 0, nullptr);
    // Without the thread the frame's update still refills: only a long stall is heard.
    if (!m_hThread) WriteLog(INFO_WARNING, "No music streaming thread: music refills once a frame");
}

void CSoundManager::StopStreamingThread() {
    if (m_hThread) {
        SetEvent(m_hQuit);
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    for (HANDLE* event : {&m_hRefill, &m_hQuit}) {
        if (*event) CloseHandle(*event);
        *event = nullptr;
    }
}

DWORD WINAPI CSoundManager::StreamingThread(LPVOID parameter) {
    CSoundManager& manager = *static_cast<CSoundManager*>(parameter);
    const HANDLE events[] = {manager.m_hQuit, manager.m_hRefill};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        EnterCriticalSection(&manager.m_csStreams);
        for (auto& track : manager.m_Tracks) track->stream->Refill();
        LeaveCriticalSection(&manager.m_csStreams);
    }
    return 0;
}

// --- Free functions --------------------------------------------------------------------

DWORD LoadSound(const char* file) {
    CSoundManager* manager = vlm_engine::Engine().soundManager;
    return manager ? manager->LoadSound(file, MEM_AUTO) : 0;
}

void ReleaseSound(DWORD handle) {
    if (CSoundManager* manager = vlm_engine::Engine().soundManager) manager->ReleaseSound(handle);
}
