// What the sound manager keeps of each voice and each music track: the DirectSound side
// (a buffer, a stream) and the engine side, the clock by which the game sees it play.
// Private to the sound manager.
#pragma once

#include <cmath>
#include <memory>
#include <string>

#include <velmora/platform/dsound/DirectSound8.h>
#include <velmora/sound/detail/MusicStream.h>

namespace vlm_engine {

// A gain from 0 to 1 in DirectSound's hundredths of a decibel.
inline LONG VolumeOfGain(double gain) {
    if (!(gain > 0.0)) return DSBVOLUME_MIN;
    const double volume = 2000.0 * std::log10(gain < 1.0 ? gain : 1.0);
    return volume <= DSBVOLUME_MIN ? DSBVOLUME_MIN : LONG(std::lround(volume));
}

struct SoundVoice {
    DWORD id = 0;
    DWORD sound = 0;                       // the handle it plays
    IDirectSoundBuffer* buffer = nullptr;  // a duplicate of the sound's buffer; null without a device
    uint64_t serial = 0;                   // order of starting: the oldest is taken first
    int volume = 100, pan = 0;
    float pitch = 1.0f;
    bool loop = false;
    DWORD frames = 0;     // the sound's length
    DWORD rate = 0;       // the sound's own frames a second
    DWORD frequency = 0;  // frames a second it plays at now (the rate times the pitch)

    // The engine's clock of the voice: frames played at the anchor, and since then at
    // `frequency` while running. Suspension stops it.
    double playedAtAnchor = 0;
    DWORD anchor = 0;
    bool running = true;
    bool heardWhenSuspended = false;  // the buffer was playing when sound was suspended

    double Played(DWORD now) const {
        return playedAtAnchor + (running ? double(DWORD(now - anchor)) * frequency / 1000.0 : 0.0);
    }
    bool Ended(DWORD now) const { return !loop && Played(now) >= double(frames); }
    // Starts a new stretch of the clock at `now` (before a change of frequency or running).
    void Anchor(DWORD now) {
        playedAtAnchor = Played(now);
        anchor = now;
    }
};

struct MusicTrack {
    enum Role {
        ROLE_CURRENT,   // the track the game plays
        ROLE_FADING,    // stopped or replaced, fading out
        ROLE_DRAINING,  // played to its end; its last frames may still be on their way
    };

    std::unique_ptr<MusicStream> stream;  // the file, and the ring when there is a device
    std::string file;
    bool loop = true;
    Role role = ROLE_CURRENT;
    bool paused = false;  // by the game

    // Milliseconds the track has played, at the anchor and since then while running.
    DWORD playedAtAnchor = 0;
    DWORD anchor = 0;
    bool running = true;
    DWORD Played(DWORD now) const { return playedAtAnchor + (running ? DWORD(now - anchor) : 0); }
    void Run(DWORD now, bool run) {
        if (run == running) return;
        playedAtAnchor = Played(now);
        anchor = now;
        running = run;
    }
    DWORD Length() const {
        const DWORD rate = stream->GetRate();
        const uint64_t ms = (stream->GetFrames() * 1000 + rate - 1) / rate;
        return ms > 0xFFFFFFFFu ? 0xFFFFFFFFu : DWORD(ms);
    }

    // A fade of the gain from `fadeFrom` to `fadeTo` over `fadeLength` ms of the track's
    // clock from `fadeStart`.
    float fadeFrom = 1.0f, fadeTo = 1.0f;
    DWORD fadeStart = 0, fadeLength = 0;
    float Gain(DWORD played) const {
        const DWORD into = played - fadeStart;
        if (fadeLength == 0 || into >= fadeLength) return fadeTo;
        return fadeFrom + (fadeTo - fadeFrom) * float(into) / float(fadeLength);
    }
    bool FadeDone(DWORD played) const { return fadeLength == 0 || DWORD(played - fadeStart) >= fadeLength; }
    void FadeTo(DWORD played, float to, DWORD length) {
        fadeFrom = Gain(played);
        fadeTo = to;
        fadeStart = played;
        fadeLength = length;
    }

    DWORD drainSince = 0;    // engine time its end was reached
    LONG appliedVolume = 1;  // what the ring was last set to (1: nothing yet)
};

}  // namespace vlm_engine
