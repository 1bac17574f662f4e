// Win32 stand-in: the thread's message queue. SDL events are translated into window
// messages (activation, close, keys, mouse) each time the queue is looked at.
#pragma once

#include <velmora/platform/win32/Types.h>

VLM_API BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Returns 0 for WM_QUIT, otherwise non-zero; waits for a message when none is queued.
VLM_API BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
VLM_API BOOL TranslateMessage(const MSG* msg);
VLM_API LRESULT DispatchMessageA(const MSG* msg);
// Blocks until a new event arrives. Under the manual test clock it moves the clock to the
// next scheduled injection instead, and aborts if nothing could ever arrive.
VLM_API BOOL WaitMessage();
// Our own: waits until timeGetTime() reaches `dueTime` (a time less than 2^31 ms ahead) or,
// on an X11 display, until the window system sends an event, without spinning: the thread
// sleeps to the microsecond the millisecond clock turns to `dueTime`. TRUE when it woke for an
// event, FALSE when the time has come (at once when it has come already); either way the
// caller looks at its queue and the clock again. Under the manual test clock the clock moves
// to `dueTime`, or to a scheduled injection before it, which runs (TRUE). With
// VELMORA_BUSY_WAIT=1 in the environment it waits as the Windows original paced its frames,
// for comparison: Sleep(1) while more than 3 ms remain, otherwise it returns at once, so that
// the caller polls through the last 3 ms.
VLM_API BOOL vlm_WaitMessageUntil(DWORD dueTime);
VLM_API void PostQuitMessage(int exitCode);
VLM_API BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
