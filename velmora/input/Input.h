// CInput: the keyboard and the mouse together, refreshed once per frame into the input
// snapshot (stInputInfo), and up to four game pads beside them; and the free functions that
// ask the engine's input object.
#pragma once

#include <deque>

#include <velmora/input/Key.h>
#include <velmora/input/Mouse.h>
#include <velmora/input/Pad.h>

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

    // --- Pads, read by UpdateBufferInput after the keyboard and the mouse. A pad keeps its
    // index (0 to MAX_PADS - 1) while it is plugged in, and takes it again when it comes back.
    // How many pads are connected now.
    int GetPadCount() const;
    // Pad 0 to MAX_PADS - 1 (bConnected false when none is there), or null for another index.
    const stPadInfo* GetPadInfo(int pad) const;
    bool IsPadButtonDown(int pad, int button) const;
    // Both motors from 0 to 1 for `ms` milliseconds; false when the pad is not there or
    // cannot rumble.
    bool SetPadRumble(int pad, float low, float high, DWORD ms);
    // The round dead zone of the sticks and the released travel of the triggers, from 0 to 1.
    void SetPadDeadZone(float stick, float trigger);
    // Pads that came and went at the updates, oldest first: PAD_EVENT_CONNECTED or
    // PAD_EVENT_DISCONNECTED and the pad's index. The application posts them as messages.
    enum PAD_EVENT { PAD_EVENT_CONNECTED = 1, PAD_EVENT_DISCONNECTED = 2 };
    bool TakePadEvent(int* event, int* pad);

protected:
    // Opens the pads plugged in, closes those pulled out, and reads them.
    void UpdatePads();

    CKey m_Key;
    CMouse m_Mouse;
    HWND m_hWnd;
    POINT m_ptLast;  // pointer position at the previous update
    CPad m_Pad[MAX_PADS];
    GUID m_PadGuid[MAX_PADS];  // the controller that had each index last
    bool m_bPadUsed[MAX_PADS];
    float m_fStickDeadZone;
    float m_fTriggerDeadZone;
    std::deque<std::pair<int, int>> m_PadEvents;
};

// On the engine's input object. Keys are DIK_* codes (0 to 255; others read as up).
VLM_API bool IsKeyDown(int key);
VLM_API bool IsMouseDown(unsigned char button);
// Always true; null pointers are skipped.
VLM_API bool GetPointerOffset(LONG* x, LONG* y, LONG* z);
// A copy of the snapshot taken at the start of the current frame.
VLM_API stInputInfo GetInputInfo();
// The engine input object's pads (see CInput).
VLM_API int GetPadCount();
VLM_API const stPadInfo* GetPadInfo(int pad);
VLM_API bool IsPadButtonDown(int pad, int button);
VLM_API bool SetPadRumble(int pad, float low, float high, DWORD ms);
VLM_API void SetPadDeadZone(float stick, float trigger);
