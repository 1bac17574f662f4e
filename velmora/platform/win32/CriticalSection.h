// Win32 stand-in: critical sections, recursive locks that a thread may enter again. The
// structure keeps Windows' fields; the lock itself lives behind DebugInfo, made by
// InitializeCriticalSection and freed by DeleteCriticalSection.
#pragma once

#include <velmora/platform/win32/Types.h>

struct RTL_CRITICAL_SECTION {
    void* DebugInfo;
    LONG LockCount;       // unused
    LONG RecursionCount;  // how often the owner has entered it
    HANDLE OwningThread;  // the owner's thread id, or null
    HANDLE LockSemaphore;
    ULONG_PTR SpinCount;
};
typedef RTL_CRITICAL_SECTION CRITICAL_SECTION;
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

VLM_API void InitializeCriticalSection(LPCRITICAL_SECTION section);
// The spin count is kept and otherwise ignored. FALSE when out of memory.
VLM_API BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
VLM_API void EnterCriticalSection(LPCRITICAL_SECTION section);
// TRUE when the section was free or already the caller's, and is now entered.
VLM_API BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
VLM_API void LeaveCriticalSection(LPCRITICAL_SECTION section);
VLM_API void DeleteCriticalSection(LPCRITICAL_SECTION section);
