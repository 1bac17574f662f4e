// Win32 stand-in: the thread's message queue.
#include <velmora/platform/win32/MessageQueue.h>

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <velmora/platform/replay/detail/Session.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/platform/win32/Window.h>
#include <velmora/platform/win32/detail/Clock.h>
#include <velmora/platform/win32/detail/EventPump.h>
#include <velmora/platform/win32/detail/SdlVideo.h>
#include <velmora/platform/win32/detail/WindowObject.h>
#include <velmora/platform/win32/detail/X11Connection.h>

namespace {

bool Matches(const MSG& m, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd && m.hwnd != hwnd) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

}  // namespace

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    vlm_platform::PumpEvents();
    vlm_platform::ThreadQueue& q = vlm_platform::Queue();
    for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
        if (!Matches(*it, hwnd, filterMin, filterMax)) continue;
        if (msg) *msg = *it;
        if (removeMsg & PM_REMOVE) q.messages.erase(it);
        return TRUE;
    }
    // WM_QUIT comes after every other message, like on Windows.
    if (q.quitPosted && ((filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax))) {
        if (msg) {
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = static_cast<WPARAM>(q.quitCode);
            msg->time = vlm_platform::PeekClock();
        }
        if (removeMsg & PM_REMOVE) q.quitPosted = false;
        return TRUE;
    }
    return FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    MSG local{};
    while (!PeekMessageA(&local, hwnd, filterMin, filterMax, PM_REMOVE)) WaitMessage();
    if (msg) *msg = local;
    return local.message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* msg) { return msg ? FALSE : FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WaitMessage() {
    if (vlm_platform::Session* s = vlm_platform::SessionHere()) {
        s->WaitForMessage();
        return TRUE;
    }
    vlm_platform::LiveWaitForMessage();
    return TRUE;
}

namespace vlm_platform {

void LiveWaitForMessage() {
    vlm_platform::ThreadQueue& q = vlm_platform::Queue();
    vlm_platform::PumpEvents();
    if (vlm_platform::Clock().manual) {
        while (q.messages.empty() && !q.quitPosted) {
            if (!vlm_platform::JumpToNextInjection()) {
                // Real time would block here for good: fail loudly instead of hanging a test.
                std::fprintf(stderr,
                             "velmora: WaitMessage would wait forever under the manual clock "
                             "(no event queued or scheduled)\n");
                std::abort();
            }
            vlm_platform::PumpEvents();
        }
        return;
    }
    while (q.messages.empty() && !q.quitPosted) {
        if (!vlm_platform::EnsureVideo()) return;
        SDL_WaitEventTimeout(nullptr, 100);
        vlm_platform::PumpEvents();
    }
}

}  // namespace vlm_platform

namespace {

// Read at every wait, so that a comparison can switch it in one process.
bool BusyWaitWanted() {
    const char* busy = SDL_getenv("VELMORA_BUSY_WAIT");
    return busy && *busy && std::strcmp(busy, "0") != 0;
}

// The instant CLOCK_MONOTONIC reaches the millisecond `dueTime` of timeGetTime, which reads
// that clock in whole milliseconds wrapped to 32 bits; false when `dueTime` has come.
bool MonotonicDeadline(DWORD dueTime, timespec* deadline) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t nowMs = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
    const int32_t ahead = static_cast<int32_t>(dueTime - static_cast<DWORD>(nowMs));
    if (ahead <= 0) return false;
    const uint64_t dueMs = nowMs + uint64_t(ahead);
    *deadline = timespec{time_t(dueMs / 1000u), long(dueMs % 1000u) * 1000000L};
    return true;
}

}  // namespace

BOOL vlm_WaitMessageUntil(DWORD dueTime) {
    if (vlm_platform::Session* s = vlm_platform::SessionHere()) return s->WaitUntil(dueTime);
    return vlm_platform::LiveWaitUntil(dueTime);
}

BOOL vlm_platform::LiveWaitUntil(DWORD dueTime) {
    if (BusyWaitWanted()) {
        if (static_cast<int32_t>(dueTime - timeGetTime()) > 3) Sleep(1);
        return FALSE;
    }
    vlm_platform::ClockState& c = vlm_platform::Clock();
    if (c.manual) {
        if (static_cast<int32_t>(dueTime - c.now) <= 0) return FALSE;
        // An injection before the due time is the event that would have ended the wait.
        if (!c.scheduled.empty() && static_cast<int32_t>(c.scheduled.front().when - dueTime) < 0)
            return vlm_platform::JumpToNextInjection() ? TRUE : FALSE;
        c.now = dueTime;
        return FALSE;
    }
    timespec deadline{};
    if (!MonotonicDeadline(dueTime, &deadline)) return FALSE;
    if (vlm_platform::EnsureVideo() && vlm_platform::WaitForX11Event(deadline)) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return now.tv_sec < deadline.tv_sec || (now.tv_sec == deadline.tv_sec && now.tv_nsec < deadline.tv_nsec);
    }
    // A signal ends the sleep early; the caller looks at the clock and waits again.
    return clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
    if (vlm_platform::Session* s = vlm_platform::SessionHere()) s->QuitPosted(exitCode);
    vlm_platform::ThreadQueue& q = vlm_platform::Queue();
    q.quitPosted = true;
    q.quitCode = exitCode;
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !IsWindow(hwnd)) return FALSE;
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = vlm_platform::PeekClock();
    vlm_platform::Queue().messages.push_back(m);
    return TRUE;
}
