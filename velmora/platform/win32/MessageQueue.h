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
VLM_API void PostQuitMessage(int exitCode);
VLM_API BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
