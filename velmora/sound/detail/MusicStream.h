// MusicStream: one music track streamed from its file through a DirectSound ring buffer of
// about a second, so that a track of any length costs the same memory. The ring is refilled
// behind the play cursor: by the sound manager's streaming thread, woken by the ring's
// position notifications at each quarter, and by the manager's update each frame. Both write
// the same frames to the same places (the track, in order, through its loop), so it does not
// matter which of them gets there first. Private to the sound manager.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include <velmora/platform/dsound/DirectSound8.h>
#include <velmora/platform/dsound/SoundFile.h>

namespace vlm_engine {

class MusicStream {
public:
    MusicStream() = default;
    MusicStream(const MusicStream&) = delete;
    MusicStream& operator=(const MusicStream&) = delete;
    ~MusicStream();

    // Reads the file's header and, with a device, makes the ring (stopped), whose quarter
    // notifications set `refill` (when not null). False, with the reason in `error`, for a file the sound
    // reader refuses. Without a device the file is only checked.
    bool Open(IDirectSound8* directSound, const char* file, HANDLE refill, std::string* error);
    DWORD GetRate() const { return m_Format.nSamplesPerSec; }
    uint64_t GetFrames() const { return m_qwTrackFrames; }
    bool HasRing() const { return m_pRing != nullptr; }

    // The rest runs under the sound manager's stream lock, which the streaming thread holds
    // while it refills.

    // Whether the track loops, and from which frame to which (end exclusive; 0 = the track's
    // end). When the ring already holds frames that the new loop would not play, they are
    // written again from just ahead of the mixer.
    void SetLoop(bool loop, uint64_t loopStart, uint64_t loopEnd);
    // Fills the ring from the start of the track and plays it.
    void Start();
    // Stops the ring where it is, and plays on from there.
    void Pause();
    void Resume();
    void SetVolume(LONG volume);
    // Writes what the play cursor has left behind. After a device loss, restores the ring
    // and plays on.
    void Refill();
    // A track that does not loop: the mixer has passed its last frame.
    bool PlayedThrough() const;
    // How often the mixer overtook the frames written: what it played then was stale.
    DWORD GetUnderruns() const { return m_dwUnderruns; }
    // Once, after the decoder found the file damaged: what it said.
    bool TakeDamage(std::string* what);

private:
    static constexpr uint64_t kSilence = ~uint64_t(0);

    // Where the track is at one place of the stream: from stream frame `at` on, track frame
    // `track` and onwards (kSilence after the end).
    struct Segment {
        uint64_t at;
        uint64_t track;
    };

    // Follows the play cursor (a frame of the ring) into stream frames.
    void Advance(DWORD cursor);
    // Stream frames, counted from the start, up to which the mixer may read in its next pass.
    uint64_t MixerReach();
    // Writes the ring up to `upTo` (stream frames).
    void Fill(uint64_t upTo);
    // The next `frames` frames of the track into `out`, from the decoder, through the loop.
    void Produce(uint8_t* out, DWORD frames);
    // Goes on writing from stream frame `at` (at most what is written): what was written
    // after it is written again.
    void Rewind(uint64_t at);
    // From here on the stream is silence.
    void MarkEnd();
    bool SeekTrack(uint64_t frame);
    uint64_t LoopEnd() const;

    velmora::SoundFile m_File;
    WAVEFORMATEX m_Format{};
    uint64_t m_qwTrackFrames = 0;
    IDirectSoundBuffer* m_pRing = nullptr;
    DWORD m_dwRingFrames = 0;

    bool m_bLoop = false;
    uint64_t m_qwLoopStart = 0, m_qwLoopEnd = 0;
    bool m_bPlaying = false;   // started and not paused
    uint64_t m_qwPlayed = 0;   // stream frames the play cursor has passed
    uint64_t m_qwWritten = 0;  // stream frames written
    DWORD m_dwCursor = 0;      // the play cursor when last seen, a frame of the ring
    bool m_bEnded = false;
    uint64_t m_qwEndAt = 0;          // with m_bEnded: the stream frame where the silence begins
    uint64_t m_qwReadSinceSeek = 1;  // since the last jump: a loop that yields none ends the track
    std::deque<Segment> m_Segments;  // what was written where, from before the play cursor on
    DWORD m_dwUnderruns = 0;
    std::string m_strDamage;
    bool m_bDamageTaken = false;
};

}  // namespace vlm_engine
