// Win32 stand-in: time functions on CLOCK_MONOTONIC and localtime_r, or the manual clock.
#include <velmora/platform/win32/Time.h>

#include <ctime>

#include <velmora/platform/replay/detail/Session.h>
#include <velmora/platform/win32/detail/Clock.h>

namespace {

// Milliseconds of a monotonic clock, wrapping at 2^32.
DWORD Milliseconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000ull +
                              static_cast<uint64_t>(ts.tv_nsec) / 1000000ull);
}

}  // namespace

namespace vlm_platform {

ClockState& Clock() {
    static ClockState state;
    return state;
}

void RunDueInjections() {
    ClockState& c = Clock();
    if (!c.manual) return;
    // An action may schedule further injections, so take due ones one at a time.
    while (!c.scheduled.empty() && static_cast<int32_t>(c.now - c.scheduled.front().when) >= 0) {
        std::function<void()> action = std::move(c.scheduled.front().action);
        c.scheduled.erase(c.scheduled.begin());
        if (action) action();
    }
}

DWORD PeekClock() {
    if (Session* s = SessionHere()) return s->Clock(true);
    return LiveTime(true);
}

bool JumpToNextInjection() {
    ClockState& c = Clock();
    if (!c.manual || c.scheduled.empty()) return false;
    if (static_cast<int32_t>(c.scheduled.front().when - c.now) > 0) c.now = c.scheduled.front().when;
    RunDueInjections();
    return true;
}

}  // namespace vlm_platform

using vlm_platform::Clock;

namespace {

uint64_t MonotonicNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

constexpr LONGLONG kCounterFrequency = 1000000000;  // the counter ticks in nanoseconds

}  // namespace

namespace vlm_platform {

DWORD LiveTime(bool peek) {
    ClockState& c = Clock();
    if (!c.manual) return Milliseconds(CLOCK_MONOTONIC);
    DWORD value = c.now;
    if (peek) return value;
    if (c.tickEveryReads != 0 && ++c.readsSinceTick >= c.tickEveryReads) {
        c.readsSinceTick = 0;
        c.now += 1;
    }
    return value;
}

LONGLONG LiveCounter() {
    const ClockState& c = Clock();
    return c.manual ? static_cast<LONGLONG>(c.now) * 1000000 : static_cast<LONGLONG>(MonotonicNanoseconds());
}

void LiveLocalTime(SYSTEMTIME* time) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    time->wSecond = static_cast<WORD>(local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
}

void LiveSleep(DWORD milliseconds) {
    ClockState& c = Clock();
    if (c.manual) {
        c.now += milliseconds;
        return;
    }
    timespec ts{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

}  // namespace vlm_platform

DWORD timeGetTime() {
    if (vlm_platform::Session* s = vlm_platform::SessionHere()) return s->Clock(false);
    return vlm_platform::LiveTime(false);
}

DWORD GetTickCount() { return timeGetTime(); }

DWORD vlm_CoarseTime() {
    if (vlm_platform::Session* s = vlm_platform::SessionHere()) return s->LastClock();
    if (vlm_platform::Clock().manual) return timeGetTime();
    // The coarse clock is the fine one's value at its last tick: same origin, never ahead.
    return Milliseconds(CLOCK_MONOTONIC_COARSE);
}

UINT timeBeginPeriod(UINT periodMs) { return periodMs == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

UINT timeEndPeriod(UINT periodMs) { return periodMs == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

void Sleep(DWORD milliseconds) {
    vlm_platform::ClockState& c = Clock();
    c.sleepCalls += 1;
    c.sleptMs += milliseconds;
    if (vlm_platform::Session* s = vlm_platform::SessionHere())
        s->Sleep(milliseconds);
    else
        vlm_platform::LiveSleep(milliseconds);
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) return FALSE;
    vlm_platform::Session* s = vlm_platform::SessionHere();
    count->QuadPart = s ? s->Counter() : vlm_platform::LiveCounter();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) return FALSE;
    frequency->QuadPart = kCounterFrequency;
    return TRUE;
}

void GetLocalTime(SYSTEMTIME* time) {
    if (!time) return;
    vlm_platform::ClockState& c = Clock();
    if (c.localTimeOverridden) {
        *time = c.localTime;
        return;
    }
    if (const vlm_platform::Session* s = vlm_platform::SessionHere()) {
        s->LocalTime(time);
        return;
    }
    vlm_platform::LiveLocalTime(time);
}
