// Win32 stand-in: events and the waits on events and threads (a thread's handle is signalled
// once it has ended), on one process-wide lock and condition variable. Wait timeouts are real
// time, never the manual test clock.
#pragma once

#include <velmora/platform/win32/Handles.h>

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED_0 0x00000080L
#define WAIT_TIMEOUT 0x00000102L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
#define MAXIMUM_WAIT_OBJECTS 64

// A manual-reset event stays signalled until ResetEvent; an auto-reset one is reset by the
// one wait it releases. A named event already open in this process is opened again (the
// last error then says ERROR_ALREADY_EXISTS); names are not shared with other processes.
VLM_API HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
VLM_API BOOL SetEvent(HANDLE event);
VLM_API BOOL ResetEvent(HANDLE event);

// WAIT_OBJECT_0 once the object is signalled, WAIT_TIMEOUT after `milliseconds` (INFINITE:
// never; 0: look and return), WAIT_FAILED for a handle that is not open.
VLM_API DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
// Waits for all `count` objects (1 to MAXIMUM_WAIT_OBJECTS) together, returning WAIT_OBJECT_0,
// or for any of them, returning WAIT_OBJECT_0 + the index of the first one signalled.
VLM_API DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds);
