// Win32 stand-in: handles of kernel objects (the events of Synchronization.h, the threads of
// Threads.h), CloseHandle, and the calling thread's last error, which those calls set.
#pragma once

#include <velmora/platform/win32/Types.h>

#define ERROR_SUCCESS 0L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_ALREADY_EXISTS 183L

// Accepted where Windows takes them, and ignored: handles are not inherited by other processes.
struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// Closes a handle of an event or a thread. The object itself lives on while another handle,
// a wait or its running thread still holds it, as on Windows. FALSE (ERROR_INVALID_HANDLE)
// for a handle that is not open.
VLM_API BOOL CloseHandle(HANDLE object);

// Per thread, as on Windows.
VLM_API DWORD GetLastError();
VLM_API void SetLastError(DWORD error);
