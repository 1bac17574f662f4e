// CMessage: one record of the engine message queue, a plain value with a delivery window
// in system milliseconds (timeGetTime), and the engine's own message identifiers.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

// Posted by GUI controls: source ID = the control's ID, param1 = event code,
// param2 = event value, data = the control.
constexpr DWORD MSG_GUI_EVENT = 0xFF000001;
// Posted by the graphics device after each set-up (reset, screen-mode switch).
constexpr DWORD MSG_DEVICE_READY = 0xFF000002;
// Posted when a game pad is plugged in / pulled out: param1 = the pad's index.
constexpr DWORD MSG_PAD_CONNECTED = 0xFF000003;
constexpr DWORD MSG_PAD_DISCONNECTED = 0xFF000004;

class VLM_API CMessage {
public:
    // Both constructors read the clock once: receivable at once and for 10000 ms.
    CMessage();
    CMessage(DWORD message, DWORD sourceID, DWORD extra);

    // Opens the window `delay` ms after construction (not after posting) and gives it a
    // fresh 10000 ms span, so a span set earlier is lost: call SetDelay before SetAvail.
    void SetDelay(DWORD delay);
    // The window stays open `span` ms after it opens.
    void SetAvail(DWORD span);
    void SetParameter(DWORD param1, DWORD param2, void* data);

    DWORD m_dwMessage;
    DWORD m_dwSourceID;
    DWORD m_dwExtra;
    DWORD m_dwParam1;
    DWORD m_dwParam2;
    void* m_pData;
    DWORD m_dwPostTime;
    DWORD m_dwBeginTime;  // first receivable millisecond
    DWORD m_dwEndTime;    // last receivable millisecond
};
