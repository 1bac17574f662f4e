// Win32 stand-in: the console. The process's standard output plays the console window;
// it is writable through WriteConsoleA only between AllocConsole and FreeConsole.
#pragma once

#include <velmora/platform/win32/Types.h>

VLM_API BOOL AllocConsole();
VLM_API BOOL FreeConsole();
VLM_API HANDLE GetStdHandle(DWORD stdHandle);
VLM_API BOOL WriteConsoleA(HANDLE console, const void* buffer, DWORD charsToWrite, LPDWORD charsWritten,
                           LPVOID reserved);
