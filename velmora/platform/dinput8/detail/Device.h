// The keyboard and mouse behind IDirectInputDevice8A, fed by SDL events.
#pragma once

#include <cstddef>
#include <deque>

#include <velmora/platform/dinput8/DInput8.h>
#include <velmora/platform/win32/detail/ComObject.h>

union SDL_Event;

namespace vlm_platform {

enum class DeviceKind { Keyboard, Mouse };

class DirectInputDevice final : public ComObject<IDirectInputDevice8A> {
public:
    // Holds a reference to `parent` for its whole life, as DirectInput devices do.
    DirectInputDevice(DeviceKind kind, IDirectInput8A* parent);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags) override;
    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
    HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT GetDeviceState(DWORD size, LPVOID data) override;
    HRESULT GetDeviceData(DWORD objectSize, LPDIDEVICEOBJECTDATA records, LPDWORD inOut, DWORD flags) override;

    void OnEvent(const SDL_Event& e);

private:
    ~DirectInputDevice() override;

    bool Foreground() const { return (m_level & DISCL_FOREGROUND) != 0; }
    bool WindowInFront() const;
    // Collects waiting events, then drops acquisition if the window went to the back.
    void Refresh();
    void LoseAcquisition();
    // The error a read gets while not acquired: DIERR_INPUTLOST once after a loss.
    HRESULT NotAcquiredResult();
    void Record(DWORD offset, DWORD data);
    void OnKey(int scancode, bool down);
    void OnButton(int sdlButton, bool down);
    void ReleaseAll();

    DeviceKind m_kind;
    IDirectInput8A* m_parent;
    bool m_formatSet = false;
    HWND m_hwnd = nullptr;
    DWORD m_level = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;  // DirectInput's default
    DWORD m_bufferSize = 0;
    bool m_acquired = false;
    bool m_lost = false;
    std::deque<DIDEVICEOBJECTDATA> m_buffer;  // kept only while acquired
    bool m_overflowed = false;
    BYTE m_keys[256] = {};      // keyboard: 0x80 for every key down now
    DIMOUSESTATE m_mouse = {};  // mouse: axes moved since the last state read, buttons down now
};

// How many keyboard and mouse devices exist (test seam).
size_t LiveDeviceCount();

}  // namespace vlm_platform
