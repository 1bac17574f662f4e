// CInputDevice: what the keyboard and the mouse share: a DirectInput device and a ring of
// queued event codes, filled from the device's buffered data and by the game.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/dinput8/DInput8.h>

namespace vlm_engine {
struct DeviceTraits;
}

class VLM_API CInputDevice {
public:
    CInputDevice();
    virtual ~CInputDevice();

    // A device object owns its DirectInput device: copies would release it twice.
    CInputDevice(const CInputDevice&) = delete;
    CInputDevice& operator=(const CInputDevice&) = delete;

    virtual int CreateDevice(HWND hWnd) = 0;
    virtual void ReleaseDevice() = 0;
    // Immediate state; the DirectInput result, or -1.
    virtual LONG GetState() = 0;
    // Moves buffered events into the ring; the DirectInput result, or -1.
    virtual LONG GetData() = 0;
    virtual bool IsKeyDown(unsigned char key) = 0;
    // Queues an event of the game's own.
    virtual void SetBufferKey(unsigned int code, bool down) = 0;

    // The oldest queued code, or 0 when nothing is queued.
    unsigned int GetBufferKey();
    // Collects what DirectInput still holds, then drops everything queued.
    void ClearBufferKey();

protected:
    static constexpr int kRingSize = 32;

    int CreateDirectInputDevice(HWND hWnd, const vlm_engine::DeviceTraits& traits);
    void ReleaseDirectInputDevice();
    // Reads the immediate state into `state` (cleared before each try), re-acquiring once.
    LONG ReadState(void* state, DWORD size, const vlm_engine::DeviceTraits& traits);
    // Reads up to kRingSize buffered records, re-acquiring once; `count` gets how many.
    LONG ReadData(DIDEVICEOBJECTDATA* records, DWORD& count, const vlm_engine::DeviceTraits& traits);
    // Writes at the tail without checking for a full ring: the 32nd unread entry makes the
    // ring look empty, and later ones overwrite the oldest.
    void PutBufferKey(DWORD code);

    IDirectInputDevice8* m_lpDevice;
    DWORD m_dwBufferKey[kRingSize];
    int32_t m_nBufferHead;  // next slot to read
    int32_t m_nBufferTail;  // next slot to write

private:
    // Acquires again after a failed read; false when the window is in the background.
    bool Reacquire();
};
