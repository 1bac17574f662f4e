// CInput: the keyboard and the mouse together, refreshed once per frame into the input
// snapshot (stInputInfo); and the free functions that ask the engine's input object.
#pragma once

#include <velmora/input/Key.h>
#include <velmora/input/Mouse.h>

// The input of one frame.
struct stInputInfo {
    POINT ptCursor;  // pointer in client coordinates of the main window
    DWORD dwKey;     // oldest queued keyboard event taken this frame, or 0
    DWORD dwMouse;   // oldest queued mouse event taken this frame, or 0
    bool bMoved;     // the pointer moved since the previous update
};

class VLM_API CInput {
public:
    CInput();
    ~CInput();

    CInput(const CInput&) = delete;  // owns the devices
    CInput& operator=(const CInput&) = delete;

    // 1 when DirectInput exists; the devices are then created (each may still fail).
    int CreateInput(HWND hWnd);
    void ReleaseInput();
    // Collects the frame's input into `info`: new events join the queues, one event of each
    // device is taken, and the immediate state is refreshed.
    int UpdateBufferInput(stInputInfo* info);

    CKey* GetKeyPtr() { return &m_Key; }
    CMouse* GetMousePtr() { return &m_Mouse; }

protected:
    CKey m_Key;
    CMouse m_Mouse;
    HWND m_hWnd;
    POINT m_ptLast;  // pointer position at the previous update
};

// On the engine's input object. Keys are DIK_* codes (0 to 255; others read as up).
VLM_API bool IsKeyDown(int key);
VLM_API bool IsMouseDown(unsigned char button);
// Always true; null pointers are skipped.
VLM_API bool GetPointerOffset(LONG* x, LONG* y, LONG* z);
// A copy of the snapshot taken at the start of the current frame.
VLM_API stInputInfo GetInputInfo();
