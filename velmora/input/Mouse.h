// CMouse: the mouse. Queued codes are the button events below; movement and the fourth
// button are read from the immediate state only.
#pragma once

#include <velmora/input/InputDevice.h>

enum MOUSE_EVENT_CODE : DWORD {
    MOUSE_LDOWN = 1,  // left button (button 0) pressed
    MOUSE_RDOWN = 2,  // right button (button 1) pressed
    MOUSE_MDOWN = 4,  // middle button (button 2) pressed
    MOUSE_LUP = 8,    // left button released
    MOUSE_RUP = 16,   // right button released
    MOUSE_MUP = 32,   // middle button released
};

class VLM_API CMouse : public CInputDevice {
public:
    CMouse();
    ~CMouse() override;

    int CreateDevice(HWND hWnd) override;
    void ReleaseDevice() override;
    LONG GetState() override;
    LONG GetData() override;
    // Button 0 to 3; others log a warning and read as up.
    bool IsKeyDown(unsigned char button) override;
    // Codes 1 to 32, queued as they are; `down` is not used.
    void SetBufferKey(unsigned int code, bool down) override;

    // Movement along x, y and the wheel between the last two state reads; null pointers
    // are skipped.
    void GetPointerOffset(LONG* x, LONG* y, LONG* z);

protected:
    LONG m_lX;
    LONG m_lY;
    LONG m_lZ;
    DWORD m_dwButton[4];  // 1 while the button is down
};
