// CKey: the keyboard device.
#include <velmora/input/Key.h>

#include <velmora/input/detail/DeviceTraits.h>

namespace {

const vlm_engine::DeviceTraits kKeyboard = {
    GUID_SysKeyboard,
    c_dfDIKeyboard,
    "Create Keyboard Device Failed",
    "Set Keyboard Data Format Failed",
    "Set Keyboard Cooperative Level Failed",
    "Set Key Buffer Size Failed",
    "CKey::m_lpDevice==NULL",
    "CKey::GetState Failed",
    "[CKey::GetData] GetDeviceData Failed",
};

}  // namespace

CKey::CKey() : m_byKeyState{} {}

CKey::~CKey() { ReleaseDevice(); }

int CKey::CreateDevice(HWND hWnd) { return CreateDirectInputDevice(hWnd, kKeyboard); }

void CKey::ReleaseDevice() { ReleaseDirectInputDevice(); }

LONG CKey::GetState() { return ReadState(m_byKeyState, sizeof(m_byKeyState), kKeyboard); }

LONG CKey::GetData() {
    DIDEVICEOBJECTDATA records[kRingSize];
    DWORD count = 0;
    LONG result = ReadData(records, count, kKeyboard);
    for (DWORD i = 0; i < count; ++i) {
        bool pressed = (records[i].dwData & 0x80) != 0;
        PutBufferKey(pressed ? records[i].dwOfs : records[i].dwOfs + 256);
    }
    return result;
}

bool CKey::IsKeyDown(unsigned char key) { return (m_byKeyState[key] & 0x80) != 0; }

void CKey::SetBufferKey(unsigned int code, bool down) {
    if (code < 1 || code > DIK_MEDIASELECT) return;
    PutBufferKey(down ? code : code + 256);
}
