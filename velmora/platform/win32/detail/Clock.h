// Clock state shared by the time functions and the test seams.
#pragma once

#include <functional>
#include <vector>

#include <velmora/platform/win32/Types.h>

namespace vlm_platform {

struct ScheduledInjection {
    DWORD when;
    std::function<void()> action;
};

struct ClockState {
    bool manual = false;
    DWORD now = 0;
    unsigned tickEveryReads = 0;
    unsigned readsSinceTick = 0;
    unsigned sleepCalls = 0;
    DWORD sleptMs = 0;
    bool localTimeOverridden = false;
    SYSTEMTIME localTime{};
    std::vector<ScheduledInjection> scheduled;  // kept in order of `when`
};

ClockState& Clock();

// The current millisecond time, read without letting the manual clock tick.
DWORD PeekClock();

// Runs the scheduled injections whose time has come on the manual clock.
void RunDueInjections();
// Under the manual clock, moves the clock to the earliest scheduled injection and runs it.
// False when nothing is scheduled.
bool JumpToNextInjection();

}  // namespace vlm_platform
