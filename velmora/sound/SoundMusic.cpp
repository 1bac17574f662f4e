// CSoundManager's music: streamed tracks, their fades and crossfades, pauses, loop points
// and ends, timed by the engine's clock.
#include <velmora/core/Log.h>
#include <velmora/message/MessageManager.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/sound/SoundManager.h>
#include <velmora/sound/detail/Playback.h>

using vlm_engine::MusicStream;
using vlm_engine::MusicTrack;

namespace {

// How long a track that played to its end by the clock may still be heard.
constexpr DWORD kDrainMs = 1000;

}  // namespace

CSoundManager::Track* CSoundManager::CurrentTrack() const {
    for (const auto& track : m_Tracks)
        if (track->role == MusicTrack::ROLE_CURRENT) return track.get();
    return nullptr;
}

void CSoundManager::RemoveTrack(size_t index) { m_Tracks.erase(m_Tracks.begin() + ptrdiff_t(index)); }

void CSoundManager::ApplyTrackVolume(Track& track, DWORD now) {
    const double gain =
        track.Gain(track.Played(now)) * m_nVolume[SOUND_MUSIC] / 100.0 * m_nVolume[SOUND_MASTER] / 100.0;
    const LONG volume = vlm_engine::VolumeOfGain(gain);
    if (volume == track.appliedVolume) return;
    track.appliedVolume = volume;
    track.stream->SetVolume(volume);
}

bool CSoundManager::PlayMusic(const char* file, bool loop, DWORD fadeInMs) {
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    auto track = std::make_unique<MusicTrack>();
    track->stream = std::make_unique<MusicStream>();
    std::string error;
    if (!track->stream->Open(m_pDirectSound, file, m_hRefill, &error)) {
        WriteLog(INFO_ERROR, "Can't load music file[%s]! (%s)", file, error.c_str());
        return false;
    }
    const DWORD now = timeGetTime();
    track->file = file;
    track->loop = loop;
    track->anchor = now;
    track->running = !m_bSuspended;
    track->fadeFrom = fadeInMs ? 0.0f : 1.0f;
    track->fadeLength = fadeInMs;
    track->stream->SetLoop(loop, 0, 0);

    EnterCriticalSection(&m_csStreams);
    // The track playing now fades out while the new one fades in; without a fade, or paused,
    // it stops at once. Tracks fading out already go on doing so.
    for (size_t i = m_Tracks.size(); i-- > 0;) {
        MusicTrack& old = *m_Tracks[i];
        if (old.role != MusicTrack::ROLE_CURRENT) continue;
        if (fadeInMs > 0 && !old.paused) {
            old.role = MusicTrack::ROLE_FADING;
            old.FadeTo(old.Played(now), 0.0f, fadeInMs);
        } else {
            RemoveTrack(i);
        }
    }
    ApplyTrackVolume(*track, now);
    track->stream->Start();
    if (!track->running) track->stream->Pause();
    m_Tracks.push_back(std::move(track));
    LeaveCriticalSection(&m_csStreams);
    return true;
}

void CSoundManager::StopMusic(DWORD fadeOutMs) {
    const DWORD now = timeGetTime();
    EnterCriticalSection(&m_csStreams);
    for (size_t i = m_Tracks.size(); i-- > 0;) {
        MusicTrack& track = *m_Tracks[i];
        if (track.role != MusicTrack::ROLE_CURRENT) continue;
        if (fadeOutMs > 0 && !track.paused) {
            track.role = MusicTrack::ROLE_FADING;
            track.FadeTo(track.Played(now), 0.0f, fadeOutMs);
        } else {
            RemoveTrack(i);
        }
    }
    LeaveCriticalSection(&m_csStreams);
}

void CSoundManager::PauseMusic() {
    Track* track = CurrentTrack();
    if (!track || track->paused) return;
    EnterCriticalSection(&m_csStreams);
    track->paused = true;
    track->Run(timeGetTime(), false);
    track->stream->Pause();
    LeaveCriticalSection(&m_csStreams);
}

void CSoundManager::ResumeMusic() {
    Track* track = CurrentTrack();
    if (!track || !track->paused) return;
    EnterCriticalSection(&m_csStreams);
    track->paused = false;
    track->Run(timeGetTime(), !m_bSuspended);
    if (track->running) track->stream->Resume();
    LeaveCriticalSection(&m_csStreams);
}

bool CSoundManager::IsMusicPlaying() {
    UpdateMusic(timeGetTime());
    return CurrentTrack() != nullptr;
}

bool CSoundManager::IsMusicPaused() const {
    const Track* track = CurrentTrack();
    return track && track->paused;
}

bool CSoundManager::SetMusicLoop(DWORD loopStart, DWORD loopEnd) {
    Track* track = CurrentTrack();
    if (!track) return false;
    const uint64_t frames = track->stream->GetFrames();
    const uint64_t end = loopEnd ? loopEnd : frames;
    if (end > frames || loopStart >= end) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    EnterCriticalSection(&m_csStreams);
    track->stream->SetLoop(track->loop, loopStart, end);
    LeaveCriticalSection(&m_csStreams);
    return true;
}

DWORD CSoundManager::GetMusicUnderruns() {
    EnterCriticalSection(&m_csStreams);
    const Track* track = CurrentTrack();
    const DWORD underruns = track ? track->stream->GetUnderruns() : 0;
    LeaveCriticalSection(&m_csStreams);
    return underruns;
}

void CSoundManager::UpdateMusic(DWORD now) {
    EnterCriticalSection(&m_csStreams);
    for (size_t i = m_Tracks.size(); i-- > 0;) {
        MusicTrack& track = *m_Tracks[i];
        track.stream->Refill();
        std::string damage;
        if (track.stream->TakeDamage(&damage))
            WriteLog(INFO_WARNING, "Music file damaged[%s]! (%s)", track.file.c_str(), damage.c_str());
        const DWORD played = track.Played(now);
        if (track.role == MusicTrack::ROLE_CURRENT && !track.loop && played >= track.Length()) {
            track.role = MusicTrack::ROLE_DRAINING;
            track.drainSince = now;
            PostMessageA(CMessage(MSG_MUSIC_END, 0, 0));
        }
        const bool over =
            (track.role == MusicTrack::ROLE_FADING && track.FadeDone(played)) ||
            (track.role == MusicTrack::ROLE_DRAINING &&
             (!track.stream->HasRing() || track.stream->PlayedThrough() || DWORD(now - track.drainSince) >= kDrainMs));
        if (over)
            RemoveTrack(i);
        else
            ApplyTrackVolume(track, now);
    }
    LeaveCriticalSection(&m_csStreams);
}
