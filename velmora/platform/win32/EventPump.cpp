// SDL events → window messages (WM_ACTIVATE, WM_CLOSE, key and mouse messages).
#include <velmora/platform/win32/detail/EventPump.h>

#include <SDL.h>

#include <algorithm>
#include <utility>
#include <vector>

#include <velmora/platform/replay/detail/Session.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/platform/win32/detail/Clock.h>
#include <velmora/platform/win32/detail/KeyMap.h>
#include <velmora/platform/win32/detail/SdlVideo.h>
#include <velmora/platform/win32/detail/WindowObject.h>

namespace vlm_platform {

namespace {

std::vector<std::pair<RawEventListener, void*>>& Listeners() {
    static std::vector<std::pair<RawEventListener, void*>> listeners;
    return listeners;
}

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return;
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = PeekClock();
    Queue().messages.push_back(msg);
}

void PostActivate(HWND hwnd) {
    Post(hwnd, WM_ACTIVATE, MAKEWPARAM(hwnd->focused ? WA_ACTIVE : WA_INACTIVE, hwnd->minimized ? 1 : 0), 0);
}

void TranslateWindowEvent(const SDL_WindowEvent& e) {
    HWND hwnd = WindowFromSdlId(e.windowID);
    if (!hwnd) return;
    switch (e.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            hwnd->focused = true;
            PostActivate(hwnd);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            hwnd->focused = false;
            PostActivate(hwnd);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            hwnd->minimized = true;
            PostActivate(hwnd);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            if (hwnd->minimized) {
                hwnd->minimized = false;
                PostActivate(hwnd);
            }
            break;
        case SDL_WINDOWEVENT_CLOSE: Post(hwnd, WM_CLOSE, 0, 0); break;
        case SDL_WINDOWEVENT_MOVED: {
            // Keep the outer rectangle where the window system actually put the client area.
            RECT in = FrameInsets(hwnd->style);
            LONG w = hwnd->outer.right - hwnd->outer.left, h = hwnd->outer.bottom - hwnd->outer.top;
            hwnd->outer.left = e.data1 - in.left;
            hwnd->outer.top = e.data2 - in.top;
            hwnd->outer.right = hwnd->outer.left + w;
            hwnd->outer.bottom = hwnd->outer.top + h;
            break;
        }
        default: break;
    }
}

void TranslateKey(const SDL_KeyboardEvent& e) {
    HWND hwnd = e.windowID ? WindowFromSdlId(e.windowID) : KeyboardWindow();
    if (!hwnd) hwnd = KeyboardWindow();
    int vk = VirtualKeyFromScancode(e.keysym.scancode);
    if (vk == 0) return;
    bool alt = (e.keysym.mod & KMOD_ALT) != 0;
    bool down = e.type == SDL_KEYDOWN;
    UINT message = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    LPARAM lParam = 1 | (static_cast<LPARAM>(e.keysym.scancode & 0xFF) << 16);
    if (alt) lParam |= 1 << 29;
    if (e.repeat) lParam |= 1 << 30;
    if (!down) lParam |= static_cast<LPARAM>(3) << 30;
    Post(hwnd, message, static_cast<WPARAM>(vk), lParam);
}

// `inPicture`: the event's pointer positions are the picture's already (a replayed event).
void TranslateEvent(const SDL_Event& e, bool inPicture) {
    auto toPicture = [inPicture](HWND hwnd, int x, int y) {
        return inPicture ? POINT{x, y} : WindowToPicture(hwnd, x, y);
    };
    switch (e.type) {
        case SDL_WINDOWEVENT: TranslateWindowEvent(e.window); break;
        case SDL_QUIT: {
            HWND hwnd = KeyboardWindow();
            if (hwnd) Post(hwnd, WM_CLOSE, 0, 0);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: TranslateKey(e.key); break;
        case SDL_MOUSEMOTION: {
            HWND hwnd = EventWindow(e.motion.windowID);
            const POINT p = toPicture(hwnd, e.motion.x, e.motion.y);
            TrackPointer(hwnd, p.x, p.y);
            Post(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            HWND hwnd = EventWindow(e.button.windowID);
            const POINT p = toPicture(hwnd, e.button.x, e.button.y);
            TrackPointer(hwnd, p.x, p.y);
            bool down = e.type == SDL_MOUSEBUTTONDOWN;
            UINT message = 0;
            if (e.button.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            if (e.button.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            if (e.button.button == SDL_BUTTON_MIDDLE) message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            if (message) Post(hwnd, message, 0, MAKELPARAM(p.x, p.y));
            break;
        }
        case SDL_MOUSEWHEEL: {
            HWND hwnd = EventWindow(e.wheel.windowID);
            // The wheel's 16 bits of WHEEL_DELTA units, which a wild notch count must not overflow.
            const int delta = std::clamp(e.wheel.y, -273, 273) * 120;
            Post(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
            break;
        }
        default: break;
    }
}

}  // namespace

void AddRawEventListener(RawEventListener listener, void* user) { Listeners().emplace_back(listener, user); }

void RemoveRawEventListener(RawEventListener listener, void* user) {
    auto& l = Listeners();
    for (auto it = l.begin(); it != l.end(); ++it) {
        if (it->first == listener && it->second == user) {
            l.erase(it);
            return;
        }
    }
}

ThreadQueue& Queue() {
    static ThreadQueue queue;
    return queue;
}

void PumpEvents() {
    if (Session* s = SessionHere()) {
        s->Pump();
        return;
    }
    RunDueInjections();
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;  // nothing can have arrived yet
    SDL_Event e;
    while (SDL_PollEvent(&e)) DeliverEvent(e, false);
}

void DeliverEvent(const SDL_Event& e, bool inPicture) {
    // Copy: a listener may unregister itself while being called.
    auto listeners = Listeners();
    for (auto& l : listeners) l.first(e, l.second);
    TranslateEvent(e, inPicture);
}

HWND EventWindow(uint32_t windowID) {
    HWND hwnd = windowID ? WindowFromSdlId(windowID) : nullptr;
    return hwnd ? hwnd : KeyboardWindow();
}

}  // namespace vlm_platform
