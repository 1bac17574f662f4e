// CMouse: the mouse device.
#include <velmora/input/Mouse.h>

#include <velmora/core/Log.h>
#include <velmora/input/detail/DeviceTraits.h>

namespace {

const vlm_engine::DeviceTraits kMouse = {
    GUID_SysMouse,
    c_dfDIMouse,
    "Create Mouse Device Failed",
    "Set Mouse Data Format Failed",
    "Set Mouse Cooperative Level Failed",
    "Set Mouse Buffer Size Failed",
    "CMouse::m_lpDevice==NULL",
    "CMouse::GetState Failed",
    "[CMouse::GetData] GetDeviceData Failed",
};

}  // namespace

CMouse::CMouse() : m_lX(0), m_lY(0), m_lZ(0), m_dwButton{} {}

CMouse::~CMouse() { ReleaseDevice(); }

int CMouse::CreateDevice(HWND hWnd) { return CreateDirectInputDevice(hWnd, kMouse); }

void CMouse::ReleaseDevice() { ReleaseDirectInputDevice(); }

LONG CMouse::GetState() {
    DIMOUSESTATE state{};
    LONG result = ReadState(&state, sizeof(state), kMouse);
    if (result < 0) return result;  // the fields keep their previous values
    m_lX = state.lX;
    m_lY = state.lY;
    m_lZ = state.lZ;
    for (int i = 0; i < 4; ++i) m_dwButton[i] = (state.rgbButtons[i] & 0x80) ? 1 : 0;
    return result;
}

LONG CMouse::GetData() {
    DIDEVICEOBJECTDATA records[kRingSize];
    DWORD count = 0;
    LONG result = ReadData(records, count, kMouse);
    for (DWORD i = 0; i < count; ++i) {
        bool pressed = (records[i].dwData & 0x80) != 0;
        switch (records[i].dwOfs) {
            case DIMOFS_BUTTON0: PutBufferKey(pressed ? MOUSE_LDOWN : MOUSE_LUP); break;
            case DIMOFS_BUTTON1: PutBufferKey(pressed ? MOUSE_RDOWN : MOUSE_RUP); break;
            case DIMOFS_BUTTON2: PutBufferKey(pressed ? MOUSE_MDOWN : MOUSE_MUP); break;
            default: break;  // axes and the fourth button are not queued
        }
    }
    return result;
}

bool CMouse::IsKeyDown(unsigned char button) {
    if (button >= 4) {
        WriteLog(INFO_WARNING, "[CMouse::IsKeyDown] wrong input");
        return false;
    }
    return m_dwButton[button] != 0;
}

void CMouse::SetBufferKey(unsigned int code, bool) {
    if (code < 1 || code > 32) return;
    PutBufferKey(code);
}

void CMouse::GetPointerOffset(LONG* x, LONG* y, LONG* z) {
    if (x) *x = m_lX;
    if (y) *y = m_lY;
    if (z) *z = m_lZ;
}
