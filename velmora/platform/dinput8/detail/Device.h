// The keyboard, the mouse and the game controllers behind IDirectInputDevice8A, fed by SDL
// events. Every read of every device passes through GetDeviceState and GetDeviceData here.
#pragma once

#include <cstddef>
#include <deque>

#include <velmora/platform/dinput8/DInput8.h>
#include <velmora/platform/dinput8/detail/Controllers.h>
#include <velmora/platform/win32/detail/ComObject.h>

union SDL_Event;

namespace vlm_platform {

enum class DeviceKind { Keyboard, Mouse, Joystick };

class DirectInputDevice final : public ComObject<IDirectInputDevice8A> {
public:
    // Holds a reference to `parent` for its whole life, as DirectInput devices do. A joystick
    // reads controller slot `slot`.
    DirectInputDevice(DeviceKind kind, IDirectInput8A* parent, size_t slot = 0);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags) override;
    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
    HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT GetDeviceState(DWORD size, LPVOID data) override;
    HRESULT GetDeviceData(DWORD objectSize, LPDIDEVICEOBJECTDATA records, LPDWORD inOut, DWORD flags) override;
    HRESULT GetProperty(REFGUID property, LPDIPROPHEADER header) override;
    HRESULT GetCapabilities(LPDIDEVCAPS caps) override;
    HRESULT GetDeviceInfo(LPDIDEVICEINSTANCEA info) override;
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref, DWORD flags) override;
    HRESULT Poll() override;
    HRESULT Escape(LPDIEFFESCAPE escape) override;

    void OnEvent(const SDL_Event& e);
    // A change in this joystick's controller slot.
    void OnControllerChange(const ControllerChange& change);
    DeviceKind Kind() const { return m_kind; }
    size_t Slot() const { return m_slot; }

private:
    // What DirectInput lets a game set per axis.
    struct AxisProperties {
        LONG min = 0;
        LONG max = 65535;
        DWORD deadZone = 0;
        DWORD saturation = 10000;
    };

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
    DWORD DataSize() const;
    // The controller's value of an axis on this device's scale.
    LONG AxisValue(int axis) const;
    void FillJoystickState(DIJOYSTATE2& state) const;
    // The axes a property header names (first, last + 1); an error when it names none.
    HRESULT AxesOf(const DIPROPHEADER& header, int* first, int* last) const;

    DeviceKind m_kind;
    IDirectInput8A* m_parent;
    size_t m_slot;
    bool m_formatSet = false;
    bool m_bigJoystickFormat = false;  // DIJOYSTATE2 rather than DIJOYSTATE
    HWND m_hwnd = nullptr;
    DWORD m_level = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;  // DirectInput's default
    DWORD m_bufferSize = 0;
    bool m_acquired = false;
    bool m_lost = false;
    std::deque<DIDEVICEOBJECTDATA> m_buffer;  // kept only while acquired
    bool m_overflowed = false;
    BYTE m_keys[256] = {};      // keyboard: 0x80 for every key down now
    DIMOUSESTATE m_mouse = {};  // mouse: axes moved since the last state read, buttons down now
    AxisProperties m_axes[kMaxControllerAxes];
    AxisProperties m_deviceAxes;  // what the last whole-device setting said
};

// How many keyboard and mouse devices exist (test seam).
size_t LiveDeviceCount();
// Starts the event feed of every device and the game controllers; false when there are no
// controllers to be had (keyboard and mouse still work).
bool StartInputEvents();

}  // namespace vlm_platform
