// The SDL audio device the mixer feeds: float stereo, opened with SDL's audio subsystem and
// closed with it, so that the next open reads SDL_AUDIODRIVER again.
#pragma once

#include <cstdint>
#include <string>

#include <velmora/platform/win32/Types.h>

namespace vlm_platform {

class AudioDevice {
public:
    using Callback = void (*)(void* user, uint8_t* stream, int bytes);

    // Opens the default output for interleaved float stereo at `rate` frames a second (the
    // device may choose another rate; Rate() says which) with callbacks of `frames` frames.
    // False, with SDL's reason in `error`, when there is no device.
    bool Open(DWORD rate, DWORD frames, Callback callback, void* user, std::string* error);
    // The callbacks begin.
    void Start();
    // Waits for a callback in progress; none comes after.
    void Close();
    bool IsOpen() const { return m_id != 0; }
    DWORD Rate() const { return m_rate; }
    DWORD Frames() const { return m_frames; }
    uint32_t Id() const { return m_id; }

private:
    uint32_t m_id = 0;
    DWORD m_rate = 0;
    DWORD m_frames = 0;
};

}  // namespace vlm_platform
