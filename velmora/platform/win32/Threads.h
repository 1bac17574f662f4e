// Win32 stand-in: threads. A thread's handle is a kernel object that is signalled once the
// thread has returned, so WaitForSingleObject on it joins it; closing the handle does not
// stop the thread.
#pragma once

#include <velmora/platform/win32/Handles.h>

typedef DWORD(WINAPI* PTHREAD_START_ROUTINE)(LPVOID parameter);
typedef PTHREAD_START_ROUTINE LPTHREAD_START_ROUTINE;

#define CREATE_SUSPENDED 0x00000004
#define STILL_ACTIVE 259

// Runs start(parameter) on a new thread; with CREATE_SUSPENDED it waits for ResumeThread.
// The stack size is left to the system. Null when no thread can be started.
VLM_API HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                            LPVOID parameter, DWORD flags, LPDWORD threadId);
// The suspend count before the call (1 for a suspended thread, then 0), or (DWORD)-1 for
// a handle that is not a thread.
VLM_API DWORD ResumeThread(HANDLE thread);
// The value the thread returned, or STILL_ACTIVE while it runs.
VLM_API BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// A number for the calling thread, unique in the process.
VLM_API DWORD GetCurrentThreadId();
