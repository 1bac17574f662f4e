// The one mixer behind every DirectSound buffer and PlaySoundA: the voices it plays, the
// audio device it feeds (or the manual clock of the testing component), and the mix.
//
// Threads: the mix runs on SDL's audio thread (or in RenderAudio). Two locks guard it:
// - the state lock, held briefly by every call that reads or changes a voice (play, stop,
//   position, volume, notifications) and by the mix twice a pass: to copy what it needs of
//   each playing voice, and to write back where each one got to;
// - the mix lock, held by the mix for a whole pass, so that a voice's samples are never
//   freed while the pass reads them. Only removing a voice and growing the mix's list of
//   voices take it outside the mix, so the common calls never wait for a pass.
// The device lock orders opening and closing the device; the audio thread never takes it.
// Order: device lock, then mix lock, then state lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <velmora/platform/dsound/DSoundTypes.h>
#include <velmora/platform/dsound/detail/AudioDevice.h>
#include <velmora/platform/dsound/detail/MixKernels.h>

namespace vlm_platform {

// Samples of a buffer, shared by its duplicates; their size never changes.
struct SampleMemory {
    explicit SampleMemory(DWORD bytes);
    ~SampleMemory();
    SampleMemory(const SampleMemory&) = delete;
    SampleMemory& operator=(const SampleMemory&) = delete;

    uint8_t* bytes = nullptr;
    DWORD size = 0;
};

// Whether the window a DirectSound object co-operates with is active, for the buffers that
// fall silent while it is not. Changed under the state lock.
struct FocusState {
    HWND window = nullptr;
    bool inactive = false;
};

// What the mixer has done since the process started, for benchmarks and soak runs: read
// from any thread while the audio thread counts.
struct MixStats {
    uint64_t callbacks = 0;      // the audio device's calls for samples
    uint64_t frames = 0;         // frames mixed, by the device or offline
    uint64_t lateCallbacks = 0;  // calls that came more than two device buffers after the
                                 // last, or whose mix took longer than the audio it made
    double longestMixMs = 0;     // the longest of those mixes
    DWORD lastPassVoices = 0;    // voices in the last pass
    int64_t lastPassEndNs = 0;   // when it ended, on the steady clock
};

// One sound buffer as the mixer sees it.
struct Voice {
    // Fixed for the voice's life.
    std::shared_ptr<SampleMemory> memory;
    std::shared_ptr<FocusState> focus;
    DWORD frames = 0;  // whole frames in the memory
    WORD blockAlign = 0;
    SampleLayout layout = SampleLayout::S16Mono;
    bool followsFocus = true;  // false for DSBCAPS_GLOBALFOCUS and STICKYFOCUS buffers

    // Under the state lock.
    bool playing = false;
    bool looping = false;
    uint64_t position = 0;  // in frames, 32.32 fixed point
    DWORD frequency = 0;
    float gainLeft = 1.0f, gainRight = 1.0f;
    DWORD generation = 0;                          // moves whenever the game starts, stops or moves the voice
    size_t activeIndex = 0;                        // where it stands in the list of playing voices
    DWORD restoredAfter = 0;                       // the device loss it was last restored after
    std::vector<DSBPOSITIONNOTIFY> notifications;  // offsets ascending, DSBPN_OFFSETSTOP last
};

class Mixer {
public:
    static constexpr DWORD kManualRate = 48000;
    static constexpr DWORD kDeviceRate = 48000;
    static constexpr DWORD kMaxPassFrames = 512;

    // Never destroyed: the audio thread may run until the process ends.
    static Mixer& Get();

    // Each DirectSound object and buffer holds the device: the first reference opens it (or
    // the manual stand-in), the last closes it. False (with the reason in `error`) when no
    // device can be opened.
    bool AcquireDevice(std::string* error);
    // A reference with no device behind it, for a replay of a session that had one on a
    // machine without: the buffers play as on a device that is never heard.
    void AcquireWithoutDevice();
    void ReleaseDevice();

    // The lock every voice field marked so is read and written under.
    std::mutex& StateLock() { return m_stateLock; }

    // Under the state lock: output frames a second, and how many frames one pass mixes.
    DWORD Rate() const { return m_rate; }
    DWORD PassFrames() const { return m_passFrames; }
    // A new voice: not lost, whatever the device went through before it.
    void Register(Voice& voice);
    // Under the state lock: whether the device was lost since `voice` was last restored.
    bool IsLost(const Voice& voice) const { return voice.restoredAfter != m_losses; }
    // Opens the device again after a loss and marks `voice` restored; false while no device
    // can be had.
    bool Restore(Voice& voice);

    // Not under the state lock: these take it. Play is false for a lost voice.
    bool Play(Voice& voice, bool looping);
    void Stop(Voice& voice);
    // Takes a voice out of the mix for good, waiting for a pass that may be reading it.
    void Remove(Voice& voice);
    // The primary buffer's volume and pan, applied to the whole mix.
    void SetMasterGains(float left, float right);

    // Mixes the next `frames` frames into `out` (interleaved stereo floats, saturated to
    // -1..1). The audio thread calls it; so does RenderAudio in manual mode.
    void Mix(float* out, DWORD frames);

    // The testing component's manual mode: no device, the mix advances only through Mix.
    void UseManual(bool on);
    bool IsManual();
    // Output frames a second now: the device's, kManualRate in manual mode, 0 with no device.
    DWORD CurrentRate();
    // The device went away (or a test says it did): every voice stops and reports
    // DSERR_BUFFERLOST until restored.
    void LoseDevice();
    // The SDL device open now, 0 for none (or manual mode).
    uint32_t DeviceId();
    // Why the audio device last failed to open (or was refused).
    std::string LastDeviceError();
    void SetDeviceError(const std::string& why);
    MixStats Stats() const;

    // Under the state lock: sets the events of the voice's notifications that lie after the
    // play cursor's old byte offset and no further than `advanced` bytes on (all of them
    // from `oldByte` to the end when the voice ended), then its stop notifications if it
    // stopped.
    static void Notify(const Voice& voice, DWORD oldByte, uint64_t advanced, bool ended, bool stopped);

private:
    Mixer() = default;

    struct Pass {
        Voice* voice;
        const uint8_t* data;
        uint64_t position;
        uint64_t step;
        DWORD frames;
        DWORD generation;
        float gainLeft, gainRight;
        SampleLayout layout;
        bool looping;
        bool audible;
        // After the pass:
        uint64_t advanced;  // whole frames the play cursor went on, unwrapped
        bool ended;
    };

    bool OpenDevice(std::string* error);  // under the device lock
    void CloseDevice();                   // under the device lock
    void MixPass(float* out, DWORD frames);
    void Activate(Voice& voice);    // under the state lock
    void Deactivate(Voice& voice);  // under the state lock
    void GrowPasses(size_t needed);
    static void Callback(void* user, uint8_t* stream, int bytes);

    std::mutex m_deviceLock;
    int m_deviceRefs = 0;
    bool m_manual = false;
    AudioDevice m_device;
    std::string m_deviceError;

    std::mutex m_mixLock;
    std::vector<Pass> m_passes;             // under the mix lock; never smaller than...
    std::atomic<size_t> m_passCapacity{0};  // ...this, which the state lock's callers read
    float m_accumulator[2 * kMaxPassFrames];

    std::mutex m_stateLock;
    std::vector<Voice*> m_active;  // playing voices
    DWORD m_rate = kDeviceRate;
    DWORD m_passFrames = kMaxPassFrames;
    DWORD m_losses = 0;
    float m_masterLeft = 1.0f, m_masterRight = 1.0f;

    // Counted by the mix (under the mix lock) and read without it.
    std::atomic<uint64_t> m_callbacks{0}, m_frames{0}, m_lateCallbacks{0};
    std::atomic<double> m_longestMixMs{0};
    std::atomic<DWORD> m_lastPassVoices{0};
    std::atomic<int64_t> m_lastPassEndNs{0};
    int64_t m_lastCallbackNs = 0;  // the audio thread's, and OpenDevice's before it starts
};

// Gains of DirectSound's laws: a volume of hundredths of a decibel (0 and below) and a pan
// that attenuates the other side by as much. DSBVOLUME_MIN is silence.
void GainsOf(LONG volume, LONG pan, float* left, float* right);

}  // namespace vlm_platform
