// Win32 stand-in: window classes, top-level windows, their geometry and styles, system
// metrics, icons, cursors and the pointer position. Carried by SDL2 windows (created with
// OpenGL support so the Direct3D stand-in can render into them).
#pragma once

#include <velmora/platform/win32/Types.h>

VLM_API ATOM RegisterClassA(const WNDCLASSA* wc);
VLM_API BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

// The client area of the window made is the outer size less the frame that the style
// implies (see GetSystemMetrics), so a window sized by the classic arithmetic has exactly
// the requested client size.
VLM_API HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                             int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
VLM_API BOOL DestroyWindow(HWND hwnd);
VLM_API BOOL IsWindow(HWND hwnd);
VLM_API BOOL ShowWindow(HWND hwnd, int cmdShow);
VLM_API BOOL UpdateWindow(HWND hwnd);
// Titles are text in the active code page; the window system shows them as UTF-8.
VLM_API BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
// The title in the active code page, cut to maxCount - 1 bytes between two characters; its length.
VLM_API int GetWindowTextA(HWND hwnd, LPSTR text, int maxCount);
VLM_API LONG SetWindowLongA(HWND hwnd, int index, LONG value);
VLM_API LONG GetWindowLongA(HWND hwnd, int index);
VLM_API BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
VLM_API BOOL GetWindowRect(HWND hwnd, LPRECT rect);
VLM_API BOOL GetClientRect(HWND hwnd, LPRECT rect);
VLM_API LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
VLM_API LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
VLM_API HWND GetActiveWindow();
VLM_API HWND GetForegroundWindow();

// SM_CXSCREEN and SM_CYSCREEN are the desktop size; the frame metrics are the classic
// fixed-frame values (3, 3 and a caption of 19).
VLM_API int GetSystemMetrics(int index);

VLM_API HMODULE GetModuleHandleA(LPCSTR moduleName);
// Loads the image file `name` (as given, or with ".png" or ".bmp" added), in any format the
// image codecs read, as a window icon; null when there is none or it cannot be decoded.
VLM_API HICON LoadIconA(HINSTANCE instance, LPCSTR name);
VLM_API BOOL DestroyIcon(HICON icon);
VLM_API HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);

// The pointer in screen coordinates (the window's client origin plus the client position
// tracked from mouse events).
VLM_API BOOL GetCursorPos(LPPOINT point);
VLM_API BOOL SetCursorPos(int x, int y);
VLM_API BOOL ScreenToClient(HWND hwnd, LPPOINT point);
VLM_API BOOL ClientToScreen(HWND hwnd, LPPOINT point);
VLM_API int ShowCursor(BOOL show);
