// Win32 stand-in: the multimedia millisecond clock, Sleep, the performance counter and
// local time. Carried by CLOCK_MONOTONIC and localtime_r, or by the manual test clock
// (see <velmora/testing/TestSeams.h>).
#pragma once

#include <velmora/platform/win32/Types.h>

#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97

// Milliseconds since an arbitrary start, wrapping at 2^32 like Windows.
VLM_API DWORD timeGetTime();
VLM_API DWORD GetTickCount();
// timeGetTime as of the system's last clock tick (a few milliseconds behind at most, never
// ahead), at a fraction of the cost: for use stamps that only need to be roughly right, such
// as a texture's last use. The manual test clock reads as timeGetTime.
VLM_API DWORD vlm_CoarseTime();
VLM_API UINT timeBeginPeriod(UINT periodMs);
VLM_API UINT timeEndPeriod(UINT periodMs);
VLM_API void Sleep(DWORD milliseconds);
VLM_API BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
VLM_API BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
VLM_API void GetLocalTime(SYSTEMTIME* time);
