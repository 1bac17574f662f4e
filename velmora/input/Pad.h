// CPad: one game controller read through DirectInput, and what a frame of it looks like to the
// game (stPadInfo): buttons as bit masks, sticks and triggers as floats after a dead zone.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/dinput8/DInput8.h>

// The engine reads this many pads at once.
constexpr int MAX_PADS = 4;

// A pad's buttons: bit (1 << PAD_BUTTON_...) of stPadInfo's masks, and the numbers
// IsPadButtonDown takes. Pads are laid out as an Xbox pad: A at the bottom of the four face
// buttons, B at the right, X at the left, Y at the top.
enum PAD_BUTTON {
    PAD_BUTTON_A = 0,
    PAD_BUTTON_B = 1,
    PAD_BUTTON_X = 2,
    PAD_BUTTON_Y = 3,
    PAD_BUTTON_LEFT_SHOULDER = 4,
    PAD_BUTTON_RIGHT_SHOULDER = 5,
    PAD_BUTTON_BACK = 6,
    PAD_BUTTON_START = 7,
    PAD_BUTTON_LEFT_STICK = 8,  // the stick pressed in
    PAD_BUTTON_RIGHT_STICK = 9,
    PAD_BUTTON_GUIDE = 10,
    PAD_BUTTON_DPAD_UP = 11,
    PAD_BUTTON_DPAD_DOWN = 12,
    PAD_BUTTON_DPAD_LEFT = 13,
    PAD_BUTTON_DPAD_RIGHT = 14,
    PAD_BUTTON_COUNT = 15,
};

// A pad's axes, the indexes of stPadInfo::fAxis.
enum PAD_AXIS {
    PAD_AXIS_LEFT_X = 0,  // sticks: -1 (left, up) to 1 (right, down)
    PAD_AXIS_LEFT_Y = 1,
    PAD_AXIS_RIGHT_X = 2,
    PAD_AXIS_RIGHT_Y = 3,
    PAD_AXIS_LEFT_TRIGGER = 4,  // triggers: 0 (released) to 1
    PAD_AXIS_RIGHT_TRIGGER = 5,
    PAD_AXIS_COUNT = 6,
};

// One pad at the last update.
struct stPadInfo {
    bool bConnected;
    DWORD dwButtons;   // down now
    DWORD dwPressed;   // went down since the update before (a press and release in between counts)
    DWORD dwReleased;  // went up since the update before
    float fAxis[PAD_AXIS_COUNT];
};

class VLM_API CPad {
public:
    // Dead zones the engine starts with: a round one of the sticks, and the triggers' travel
    // that counts as released.
    static constexpr float kDefaultStickDeadZone = 0.24f;
    static constexpr float kDefaultTriggerDeadZone = 0.12f;

    CPad();
    ~CPad();
    CPad(const CPad&) = delete;  // owns its DirectInput device
    CPad& operator=(const CPad&) = delete;

    // Opens the controller with this instance GUID for the window; 1 on success, 0 (with a
    // line in the log) on failure.
    int CreateDevice(HWND hWnd, const GUID& instance);
    void ReleaseDevice();
    bool HasDevice() const { return m_lpDevice != nullptr; }
    const GUID& GetInstance() const { return m_guidInstance; }

    // Starts a frame: the presses and releases of the last one are forgotten.
    void BeginFrame();
    // Reads the controller into the pad's info: false when it has been pulled out (or there
    // is no device). While the window is in the background the pad reads as untouched.
    bool Update(float stickDeadZone, float triggerDeadZone);
    const stPadInfo& GetInfo() const { return m_Info; }
    // Both motors from 0 to 1 for `ms` milliseconds; false when the pad cannot rumble.
    bool Rumble(float low, float high, DWORD ms);

protected:
    // Acquires the device again after a failed read; false when it is pulled out or the
    // window is in the background.
    bool Reacquire(bool* unplugged);
    // Clears the pad to untouched; what was down counts as released.
    void ReadAsUntouched(bool connected);

    IDirectInputDevice8* m_lpDevice;
    GUID m_guidInstance;
    stPadInfo m_Info;
};
