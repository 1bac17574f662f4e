// Win32 stand-in: the thread's message queue.
#include <velmora/platform/win32/MessageQueue.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include <velmora/platform/win32/Window.h>
#include <velmora/platform/win32/detail/Clock.h>
#include <velmora/platform/win32/detail/EventPump.h>
#include <velmora/platform/win32/detail/SdlVideo.h>
#include <velmora/platform/win32/detail/WindowObject.h>

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
        return TRUE;
    }
    while (q.messages.empty() && !q.quitPosted) {
        if (!vlm_platform::EnsureVideo()) return FALSE;
        SDL_WaitEventTimeout(nullptr, 100);
        vlm_platform::PumpEvents();
    }
    return TRUE;
}

void PostQuitMessage(int exitCode) {
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
