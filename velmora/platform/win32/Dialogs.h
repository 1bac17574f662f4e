// Win32 stand-in: message boxes and debugger output. A message box is an SDL message box
// when a display is present and the process is interactive, otherwise one line on
// standard error; debugger output goes to standard error. Both take text in the active code
// page and show it as UTF-8. Tests may capture both (as the bytes given).
#pragma once

#include <velmora/platform/win32/Types.h>

VLM_API int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
VLM_API void OutputDebugStringA(LPCSTR text);
