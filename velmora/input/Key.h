// CKey: the keyboard. Queued codes are DirectInput key codes (DIK_*) for a press and the
// code + 256 for a release.
#pragma once

#include <velmora/input/InputDevice.h>

class VLM_API CKey : public CInputDevice {
public:
    CKey();
    ~CKey() override;

    int CreateDevice(HWND hWnd) override;
    void ReleaseDevice() override;
    LONG GetState() override;
    LONG GetData() override;
    // Whether key `key` (a DIK_* code) was down at the last GetState.
    bool IsKeyDown(unsigned char key) override;
    // Codes 1 to 237 (DIK_MEDIASELECT); others are ignored.
    void SetBufferKey(unsigned int code, bool down) override;

protected:
    BYTE m_byKeyState[256];  // last immediate state: a key is down when its top bit is set
};
