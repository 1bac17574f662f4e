// CSoundManager: the engine's sound. Sound effects under 32-bit handles, like textures
// (handles 1 to 5000 chosen by callers, the manager issues those above 5000; loads without a
// handle share a sound by file name and count references; idle MEM_AUTO sounds lose their
// samples in a sweep every 3 s and get them back on their next play), played on voices;
// music streamed from its file, with fades, crossfades and loop points; a volume for each
// category; and a pause while the application is suspended.
//
// What a game sees follows the engine's clock (timeGetTime), not the audio device: a voice
// plays for its sound's length from the call that started it, a track for its own, and
// IsPlaying, IsMusicPlaying and the end messages say so on the frames where that time has
// passed, with a sound device or without one. The device only makes it audible.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <velmora/Export.h>
#include <velmora/platform/win32/CriticalSection.h>
#include <velmora/resource/HandleTable.h>
#include <velmora/sound/Sound.h>

// Posted to the main message queue when a voice ends by itself or is taken for a new one:
// source ID = the voice, param1 = its sound's handle, param2 = a SoundEndReason. A voice the
// game stops posts nothing.
constexpr DWORD MSG_SOUND_END = 0xFF000005;
// Posted when a track that does not loop has played to its end. Stopping or replacing the
// track posts nothing.
constexpr DWORD MSG_MUSIC_END = 0xFF000006;

enum SoundEndReason : int {
    SOUND_END_FINISHED = 0,  // the sound played to its end
    SOUND_END_STOLEN = 1,    // every voice was busy: the oldest one was taken for a new sound
};

// Volumes, 0 to 100, multiply: a voice is heard at master x effects x its own volume, music
// at master x music x its fades. A fixed underlying type: any other value is a bad argument,
// not undefined.
enum SoundCategory : int { SOUND_MASTER = 0, SOUND_EFFECTS = 1, SOUND_MUSIC = 2 };

namespace vlm_engine {
struct SoundVoice;
struct MusicTrack;
}  // namespace vlm_engine

class VLM_API CSoundManager {
public:
    static constexpr int kDefaultMaxVoices = 32;
    static constexpr int kMostVoices = 256;

    CSoundManager();
    ~CSoundManager();
    CSoundManager(const CSoundManager&) = delete;
    CSoundManager& operator=(const CSoundManager&) = delete;

    // Opens the sound device for `window` (whose focus does not matter: the application
    // pauses sound itself while suspended). False when there is none: the manager goes on
    // silent, every call behaving as with a device.
    bool Init(HWND window);
    bool HasDevice() const { return m_pDirectSound != nullptr; }
    // The DirectSound object, for a game's own buffers; null without a device.
    IDirectSound8* GetDirectSound() const { return m_pDirectSound; }

    // --- Sounds -------------------------------------------------------------------------
    // Decodes a sound file (WAV, Ogg Vorbis, FLAC, Opus, MP3) under a new handle, or the
    // handle of the same file already loaded without a handle (whose count goes up). 0 on
    // failure, after a log line naming the file.
    DWORD LoadSound(const char* file, MemoryMode mode = MEM_AUTO);
    // Reads only the header; the samples are decoded at the first play (MEM_AUTO).
    DWORD LoadSoundDesc(const char* file);
    // Under a caller-chosen handle from 1 to 5000; a taken handle gives the warning "Sound
    // Handle has been used![file]".
    bool LoadSound(DWORD handle, const char* file, MemoryMode mode = MEM_AUTO);
    bool LoadSoundDesc(DWORD handle, const char* file);
    // Loads every record of a list file, "#handle resident description file": resident
    // (non-zero) decodes now as MEM_STATIC; otherwise description (non-zero) reads the
    // header only, and 0 decodes now as MEM_AUTO. The name is used as written.
    bool BatchLoad(const char* listFile);
    // Looks a sound up (and marks it used); null for 0 or an unknown handle.
    CSound* GetSound(DWORD handle);
    // Drops one reference; the sound is deleted when none is left. Its voices play on.
    void ReleaseSound(DWORD handle);
    // Deletes the sound whatever its count; its voices stop.
    void DestroySound(DWORD handle);
    void DestroyAll();

    // --- Voices -------------------------------------------------------------------------
    // Plays a sound on a voice of its own: volume 0 to 100, pan -100 (left) to 100 (right),
    // both held to their range; looping until stopped. Returns the voice, 0 when the sound
    // cannot be played. When every voice is busy the oldest is taken (MSG_SOUND_END,
    // SOUND_END_STOLEN). A sound may play on any number of voices at once.
    DWORD Play(DWORD sound, int volume = 100, int pan = 0, bool loop = false);
    void Stop(DWORD voice);
    // Whether the voice still plays by the engine's clock; false for 0 and unknown voices.
    bool IsPlaying(DWORD voice);
    // False for a voice that has ended (or never was).
    bool SetVoiceVolume(DWORD voice, int volume);
    bool SetVoicePan(DWORD voice, int pan);
    // A factor of the sound's own rate: 2 plays an octave higher and twice as fast. Held to
    // what the device takes (100 to 200,000 frames a second); a voice's length follows it.
    bool SetVoicePitch(DWORD voice, float pitch);
    // Stops every voice; the music plays on.
    void StopAll();
    // The most voices at once, 1 to kMostVoices; more voices than that stop, the oldest first.
    void SetMaxVoices(int count);
    int GetMaxVoices() const { return m_nMaxVoices; }
    int GetVoiceCount();

    // --- Music --------------------------------------------------------------------------
    // Streams a track from its file, fading in over `fadeInMs`. Over a track that plays, the
    // new one crossfades: the old one fades out over the same time (at once for 0). False,
    // with the old track playing on, when the file cannot be read.
    bool PlayMusic(const char* file, bool loop = true, DWORD fadeInMs = 0);
    // Fades the track out over `fadeOutMs` (at once for 0). IsMusicPlaying is false at once.
    void StopMusic(DWORD fadeOutMs = 0);
    void PauseMusic();
    void ResumeMusic();
    // A track was started and neither stopped nor played to its end; a paused one counts.
    bool IsMusicPlaying();
    bool IsMusicPaused() const;
    // The playing track's loop, in frames of the track: having played frame loopEnd - 1 it
    // goes on at loopStart (loopEnd 0: the track's end). An intro before loopStart plays
    // once. Takes effect at once, also for the part of the track already buffered. A track
    // started without looping plays through them. False without a track, or for points
    // outside it (a start at or after the end).
    bool SetMusicLoop(DWORD loopStart, DWORD loopEnd);
    // How often the stream of the music fell behind the mixer since it started (the
    // streaming thread was starved); 0 without a track.
    DWORD GetMusicUnderruns();

    // --- Volumes and suspension ---------------------------------------------------------
    // 0 to 100, held to the range; all start at 100.
    void SetVolume(SoundCategory category, int volume);
    int GetVolume(SoundCategory category) const;
    // While suspended every voice and the music stand still, their clocks too; they go on
    // where they were. The application suspends it while its window is inactive and the game
    // has not asked to keep running (CGameApp::SetNotSuspend).
    void Suspend(bool suspended);
    bool IsSuspended() const { return m_bSuspended; }

    // Once per frame (the application's Run calls it before MainLoop): ends voices and
    // tracks whose time is up and posts their messages, runs fades, tops up the music's
    // buffers, restores sound after the device came back, and sweeps idle sounds.
    void Update();

private:
    using Voice = vlm_engine::SoundVoice;
    using Track = vlm_engine::MusicTrack;

    DWORD QueryHandle(const char* file);
    bool HandleFree(DWORD handle, const char* file);
    Voice* FindVoice(DWORD voice);
    // Ends the voices whose time is up at `now`, posting their messages in voice order.
    void RetireVoices(DWORD now);
    // Takes a voice out; `reason` < 0 posts nothing. Its buffer stops at once, or, when it
    // ended by itself (at `now`), once the device has played it out. No clock is read here:
    // whether the device is still playing must not change what the game's thread reads.
    void RemoveVoice(DWORD voice, int reason, DWORD now = 0);
    void ApplyVoiceVolume(Voice& voice);
    void ReleaseDrainedBuffers(DWORD now, bool all);
    DWORD NewVoiceId();

    Track* CurrentTrack() const;
    void UpdateMusic(DWORD now);
    void ApplyTrackVolume(Track& track, DWORD now);
    void RemoveTrack(size_t index);
    void StartStreamingThread();
    void StopStreamingThread();
    static DWORD WINAPI StreamingThread(LPVOID manager);

    IDirectSound8* m_pDirectSound = nullptr;
    vlm_engine::HandleTable<CSound> m_Sounds;

    std::map<DWORD, std::unique_ptr<Voice>> m_Voices;  // by voice id
    struct DrainingBuffer {
        IDirectSoundBuffer* buffer;
        DWORD since;
    };
    std::vector<DrainingBuffer> m_Draining;  // voices that ended but may still be heard
    DWORD m_dwLastVoice = 0;
    uint64_t m_qwVoiceSerial = 0;
    int m_nMaxVoices = kDefaultMaxVoices;

    // The tracks: the current one, and those fading out or playing out after their end.
    // Changed under m_csStreams, which the streaming thread holds while it refills them.
    std::vector<std::unique_ptr<Track>> m_Tracks;
    CRITICAL_SECTION m_csStreams;
    HANDLE m_hRefill = nullptr;  // set by the rings' notifications
    HANDLE m_hQuit = nullptr;
    HANDLE m_hThread = nullptr;

    int m_nVolume[3] = {100, 100, 100};
    bool m_bSuspended = false;
};

// The engine sound manager's LoadSound (MEM_AUTO); 0 without a manager.
VLM_API DWORD LoadSound(const char* file);
// Nothing without a manager.
VLM_API void ReleaseSound(DWORD handle);
