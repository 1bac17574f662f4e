// CPad: a DirectInput game controller read once per frame into stPadInfo.
#include <velmora/input/Pad.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include <velmora/core/Log.h>
#include <velmora/input/detail/SharedDirectInput.h>

namespace {

// The axes are read on this scale, so that a value divided by it runs from -1 to 1.
constexpr LONG kAxisScale = 10000;
constexpr DWORD kBufferRecords = 32;

// The D-pad's directions of a point of view (hundredths of a degree clockwise from up).
DWORD DpadBits(DWORD pov) {
    if (pov > 36000) return 0;  // centred
    DWORD bits = 0;
    if (pov >= 31500 || pov <= 4500) bits |= 1u << PAD_BUTTON_DPAD_UP;
    if (pov >= 4500 && pov <= 13500) bits |= 1u << PAD_BUTTON_DPAD_RIGHT;
    if (pov >= 13500 && pov <= 22500) bits |= 1u << PAD_BUTTON_DPAD_DOWN;
    if (pov >= 22500 && pov <= 31500) bits |= 1u << PAD_BUTTON_DPAD_LEFT;
    return bits;
}

// The buttons down in a state: the first eleven of the controller, then the D-pad.
DWORD ButtonBits(const DIJOYSTATE2& state) {
    DWORD bits = 0;
    for (int b = 0; b <= PAD_BUTTON_GUIDE; ++b)
        if (state.rgbButtons[b] & 0x80) bits |= 1u << b;
    return bits | DpadBits(state.rgdwPOV[0]);
}

float Axis(LONG value) { return std::clamp(value / float(kAxisScale), -1.0f, 1.0f); }

// A trigger rests at the bottom of its axis.
float Trigger(LONG value, float deadZone) {
    const float t = (Axis(value) + 1) / 2;
    return t <= deadZone ? 0.0f : std::min(1.0f, (t - deadZone) / (1 - deadZone));
}

// A round dead zone: the stick's direction is kept, its distance from the centre rescaled.
void Stick(LONG x, LONG y, float deadZone, float* outX, float* outY) {
    const float fx = Axis(x), fy = Axis(y);
    const float distance = std::sqrt(fx * fx + fy * fy);
    if (distance <= deadZone) {
        *outX = *outY = 0;
        return;
    }
    const float scale = std::min(1.0f, (distance - deadZone) / (1 - deadZone)) / distance;
    *outX = std::clamp(fx * scale, -1.0f, 1.0f);
    *outY = std::clamp(fy * scale, -1.0f, 1.0f);
}

}  // namespace

CPad::CPad() : m_lpDevice(nullptr), m_guidInstance{}, m_Info{} {}

CPad::~CPad() { ReleaseDevice(); }

int CPad::CreateDevice(HWND hWnd, const GUID& instance) {
    ReleaseDevice();
    IDirectInput8* input = vlm_engine::SharedDirectInput();
    if (!input) return 0;
    m_guidInstance = instance;
    m_Info = stPadInfo{};
    const char* failure = nullptr;
    DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, -kAxisScale, kAxisScale};
    DIPROPDWORD buffer{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, kBufferRecords};
    if (FAILED(input->CreateDevice(instance, &m_lpDevice, nullptr)))
        failure = "Create Pad Device Failed";
    else if (FAILED(m_lpDevice->SetDataFormat(&c_dfDIJoystick2)))
        failure = "Set Pad Data Format Failed";
    else if (FAILED(m_lpDevice->SetCooperativeLevel(hWnd, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE)))
        failure = "Set Pad Cooperative Level Failed";
    else if (FAILED(m_lpDevice->SetProperty(DIPROP_RANGE, &range.diph)) ||
             FAILED(m_lpDevice->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph)))
        failure = "Set Pad Properties Failed";
    if (!failure) {
        m_Info.bConnected = true;
        return 1;
    }
    ReleaseDevice();
    WriteLog(INFO_ERROR, "%s", failure);
    return 0;
}

void CPad::ReleaseDevice() {
    if (m_lpDevice) {
        m_lpDevice->Unacquire();
        m_lpDevice->Release();
        m_lpDevice = nullptr;
    }
    ReadAsUntouched(false);
}

void CPad::BeginFrame() {
    m_Info.dwPressed = 0;
    m_Info.dwReleased = 0;
}

void CPad::ReadAsUntouched(bool connected) {
    m_Info.dwReleased |= m_Info.dwButtons;
    m_Info.dwButtons = 0;
    std::fill(std::begin(m_Info.fAxis), std::end(m_Info.fAxis), 0.0f);
    m_Info.bConnected = connected;
}

bool CPad::Reacquire(bool* unplugged) {
    HRESULT result;
    do {
        result = m_lpDevice->Acquire();
    } while (result == DIERR_INPUTLOST);
    *unplugged = result == DIERR_UNPLUGGED;
    return SUCCEEDED(result);
}

bool CPad::Update(float stickDeadZone, float triggerDeadZone) {
    if (!m_lpDevice) return false;
    bool unplugged = false;
    if (FAILED(m_lpDevice->Poll()) && !Reacquire(&unplugged)) {
        ReadAsUntouched(!unplugged);
        return !unplugged;
    }
    // The buffered records catch a press and release between two updates.
    DWORD pressed = 0, released = 0;
    DIDEVICEOBJECTDATA records[kBufferRecords];
    DWORD count = kBufferRecords;
    if (SUCCEEDED(m_lpDevice->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records, &count, 0))) {
        const DWORD dpad = DpadBits(0) | DpadBits(9000) | DpadBits(18000) | DpadBits(27000);
        DWORD pov = m_Info.dwButtons & dpad;
        for (DWORD i = 0; i < count; ++i) {
            const DWORD ofs = records[i].dwOfs;
            DWORD bits = 0;
            bool down = false;
            if (ofs >= DIJOFS_BUTTON(0) && ofs <= DIJOFS_BUTTON(PAD_BUTTON_GUIDE)) {
                bits = 1u << (ofs - DIJOFS_BUTTON(0));
                down = (records[i].dwData & 0x80) != 0;
            } else if (ofs == DIJOFS_POV(0)) {
                const DWORD now = DpadBits(records[i].dwData);
                pressed |= now & ~pov;
                released |= pov & ~now;
                pov = now;
                continue;
            }
            (down ? pressed : released) |= bits;
        }
    }
    DIJOYSTATE2 state;
    std::memset(&state, 0, sizeof(state));
    if (FAILED(m_lpDevice->GetDeviceState(sizeof(state), &state))) {
        ReadAsUntouched(true);
        return true;
    }
    const DWORD before = m_Info.dwButtons;
    m_Info.bConnected = true;
    m_Info.dwButtons = ButtonBits(state);
    m_Info.dwPressed |= pressed | (m_Info.dwButtons & ~before);
    m_Info.dwReleased |= released | (before & ~m_Info.dwButtons);
    Stick(state.lX, state.lY, stickDeadZone, &m_Info.fAxis[PAD_AXIS_LEFT_X], &m_Info.fAxis[PAD_AXIS_LEFT_Y]);
    Stick(state.lRx, state.lRy, stickDeadZone, &m_Info.fAxis[PAD_AXIS_RIGHT_X], &m_Info.fAxis[PAD_AXIS_RIGHT_Y]);
    m_Info.fAxis[PAD_AXIS_LEFT_TRIGGER] = Trigger(state.lZ, triggerDeadZone);
    m_Info.fAxis[PAD_AXIS_RIGHT_TRIGGER] = Trigger(state.lRz, triggerDeadZone);
    return true;
}

bool CPad::Rumble(float low, float high, DWORD ms) {
    if (!m_lpDevice) return false;
    VLM_DIRUMBLE rumble{WORD(std::lround(std::clamp(low, 0.0f, 1.0f) * 65535)),
                        WORD(std::lround(std::clamp(high, 0.0f, 1.0f) * 65535)), ms};
    DIEFFESCAPE escape{sizeof(DIEFFESCAPE), VLM_DIESCAPE_RUMBLE, &rumble, sizeof(rumble), nullptr, 0};
    return SUCCEEDED(m_lpDevice->Escape(&escape));
}
