// Win32 stand-in: window classes and windows on SDL2.
#include <velmora/platform/win32/Window.h>

#include <SDL.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <velmora/platform/d3dx9/ImageCodec.h>
#include <velmora/platform/replay/detail/Session.h>
#include <velmora/platform/win32/CodePage.h>
#include <velmora/platform/win32/FileSystem.h>
#include <velmora/platform/win32/detail/ForeignAllocations.h>
#include <velmora/platform/win32/detail/SdlVideo.h>
#include <velmora/platform/win32/detail/WindowObject.h>
#include <velmora/platform/win32/detail/X11Connection.h>

struct HICON__ {
    SDL_Surface* surface = nullptr;
};

namespace vlm_platform {

namespace {

constexpr int kDlgFrame = 3;
constexpr int kCaption = 19;

struct WindowClass {
    std::string name;
    WNDCLASSA wc{};
};

struct WindowSystem {
    std::vector<WindowClass> classes;
    std::vector<std::unique_ptr<HWND__>> windows;
    std::vector<std::unique_ptr<HICON__>> icons;
    HWND pointerWindow = nullptr;
    POINT pointerClient{};
    POINT pointerScreen{};

    ~WindowSystem() {
        // SDL_Quit may already have run at exit and taken the windows with it; after the
        // display went away, SDL would wait on the dead connection for ever.
        if (SDL_WasInit(SDL_INIT_VIDEO) && !DisplayLost())
            for (auto& w : windows)
                if (w->sdl) SDL_DestroyWindow(w->sdl);
        for (auto& icon : icons)
            if (icon->surface) SDL_FreeSurface(icon->surface);
    }
};

WindowSystem& System() {
    static WindowSystem system;
    return system;
}

WindowClass* FindClass(const char* name) {
    if (!name) return nullptr;
    for (WindowClass& c : System().classes)
        if (strcasecmp(c.name.c_str(), name) == 0) return &c;
    return nullptr;
}

RECT ClientRectOf(HWND hwnd) {
    RECT in = FrameInsets(hwnd->style);
    RECT r{0, 0, (hwnd->outer.right - hwnd->outer.left) - in.left - in.right,
           (hwnd->outer.bottom - hwnd->outer.top) - in.top - in.bottom};
    r.right = std::max<LONG>(r.right, 0);
    r.bottom = std::max<LONG>(r.bottom, 0);
    return r;
}

// Brings the SDL window in line with the window's style and outer rectangle.
void ApplyGeometry(HWND hwnd) {
    if (!hwnd->sdl) return;
    if (SDL_GetWindowFlags(hwnd->sdl) & SDL_WINDOW_FULLSCREEN) return;  // the display owns it
    RECT client = ClientRectOf(hwnd);
    POINT origin = ClientOrigin(hwnd);
    SDL_SetWindowBordered(hwnd->sdl, (hwnd->style & WS_CAPTION) == WS_CAPTION ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowSize(hwnd->sdl, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
    SDL_SetWindowPosition(hwnd->sdl, origin.x, origin.y);
    SDL_SetWindowAlwaysOnTop(hwnd->sdl, (hwnd->exStyle & WS_EX_TOPMOST) ? SDL_TRUE : SDL_FALSE);
}

}  // namespace

bool IsLiveWindow(HWND hwnd) {
    if (!hwnd) return false;
    for (auto& w : System().windows)
        if (w.get() == hwnd) return true;
    return false;
}

HWND WindowFromSdlId(uint32_t id) {
    for (auto& w : System().windows)
        if (w->sdlId == id) return w.get();
    return nullptr;
}

HWND WindowNumbered(uint32_t number) {
    if (number == 0) return nullptr;
    for (auto& w : System().windows)
        if (w->sessionNumber == number) return w.get();
    return nullptr;
}

HWND KeyboardWindow() {
    WindowSystem& s = System();
    for (auto& w : s.windows)
        if (w->focused) return w.get();
    return s.windows.empty() ? nullptr : s.windows.back().get();
}

RECT FrameInsets(LONG style) {
    if ((style & WS_CAPTION) == WS_CAPTION) return RECT{kDlgFrame, kDlgFrame + kCaption, kDlgFrame, kDlgFrame};
    if (style & (WS_DLGFRAME | WS_BORDER)) return RECT{kDlgFrame, kDlgFrame, kDlgFrame, kDlgFrame};
    return RECT{0, 0, 0, 0};
}

POINT ClientOrigin(HWND hwnd) {
    RECT in = FrameInsets(hwnd->style);
    return POINT{hwnd->outer.left + in.left, hwnd->outer.top + in.top};
}

namespace {

// Rounds towards minus infinity, for pointers left of or above the picture.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

RECT FitPicture(int drawableWidth, int drawableHeight, UINT pictureWidth, UINT pictureHeight) {
    if (drawableWidth <= 0 || drawableHeight <= 0 || pictureWidth == 0 || pictureHeight == 0)
        return RECT{0, 0, std::max(drawableWidth, 0), std::max(drawableHeight, 0)};
    // Exact integers: 800 × 600 in 1024 × 768 is 1024 × 768, not 1023 × 767.
    int64_t w = drawableWidth, h = drawableHeight;
    if (w * pictureHeight <= h * pictureWidth)
        h = std::max<int64_t>(w * pictureHeight / pictureWidth, 1);
    else
        w = std::max<int64_t>(h * pictureWidth / pictureHeight, 1);
    const LONG left = static_cast<LONG>((drawableWidth - w) / 2), top = static_cast<LONG>((drawableHeight - h) / 2);
    return RECT{left, top, left + static_cast<LONG>(w), top + static_cast<LONG>(h)};
}

RECT PictureArea(HWND hwnd) {
    return FitPicture(hwnd->drawableWidth, hwnd->drawableHeight, hwnd->pictureWidth, hwnd->pictureHeight);
}

POINT WindowToPicture(HWND hwnd, int x, int y) {
    if (!hwnd || !hwnd->pictureWidth || !hwnd->pictureHeight || hwnd->drawableWidth <= 0 || hwnd->drawableHeight <= 0)
        return POINT{x, y};
    const RECT a = PictureArea(hwnd);
    // The picture pixel under the window pixel's centre.
    return POINT{static_cast<LONG>(
                     FloorDiv((2 * (int64_t{x} - a.left) + 1) * hwnd->pictureWidth, 2 * int64_t{a.right - a.left})),
                 static_cast<LONG>(
                     FloorDiv((2 * (int64_t{y} - a.top) + 1) * hwnd->pictureHeight, 2 * int64_t{a.bottom - a.top}))};
}

POINT PictureToWindow(HWND hwnd, int x, int y) {
    if (!hwnd || !hwnd->pictureWidth || !hwnd->pictureHeight || hwnd->drawableWidth <= 0 || hwnd->drawableHeight <= 0)
        return POINT{x, y};
    const RECT a = PictureArea(hwnd);
    return POINT{a.left + static_cast<LONG>(
                              FloorDiv((2 * int64_t{x} + 1) * (a.right - a.left), 2 * int64_t{hwnd->pictureWidth})),
                 a.top + static_cast<LONG>(
                             FloorDiv((2 * int64_t{y} + 1) * (a.bottom - a.top), 2 * int64_t{hwnd->pictureHeight}))};
}

void EndSession() {
    // Copied: a window procedure may destroy windows.
    std::vector<HWND> windows;
    for (auto& w : System().windows) windows.push_back(w.get());
    for (HWND hwnd : windows) SendMessageA(hwnd, WM_ENDSESSION, TRUE, static_cast<LPARAM>(ENDSESSION_LOGOFF));
}

void ForgetPointer() {
    WindowSystem& s = System();
    s.pointerWindow = nullptr;
    s.pointerClient = s.pointerScreen = POINT{0, 0};
}

void TrackPointer(HWND hwnd, int clientX, int clientY) {
    WindowSystem& s = System();
    s.pointerWindow = hwnd;
    s.pointerClient = POINT{clientX, clientY};
    if (hwnd) {
        POINT origin = ClientOrigin(hwnd);
        s.pointerScreen = POINT{origin.x + clientX, origin.y + clientY};
    }
}

}  // namespace vlm_platform

using vlm_platform::System;

ATOM RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || !*wc->lpszClassName || !wc->lpfnWndProc) return 0;
    if (vlm_platform::FindClass(wc->lpszClassName)) return 0;  // already registered
    vlm_platform::WindowClass c;
    c.name = wc->lpszClassName;
    c.wc = *wc;
    c.wc.lpszClassName = nullptr;  // the copy in `name` is the one kept
    c.wc.lpszMenuName = nullptr;
    System().classes.push_back(c);
    return static_cast<ATOM>(0xC000 + System().classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    auto& classes = System().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if (className && strcasecmp(it->name.c_str(), className) == 0) {
            // Windows refuses while windows of the class live; here they simply keep their
            // procedure, so a game may start again after Destroy without closing its window.
            classes.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width, int height,
                     HWND, HMENU, HINSTANCE instance, LPVOID) {
    vlm_platform::WindowClass* wc = vlm_platform::FindClass(className);
    if (!wc || !vlm_platform::EnsureVideo()) return nullptr;

    auto window = std::make_unique<HWND__>();
    window->proc = wc->wc.lpfnWndProc;
    window->instance = instance;
    window->className = wc->name;
    window->style = static_cast<LONG>(style);
    window->exStyle = static_cast<LONG>(exStyle);
    if (width == CW_USEDEFAULT) width = 640;
    if (height == CW_USEDEFAULT) height = 480;
    if (x == CW_USEDEFAULT) x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    if (y == CW_USEDEFAULT) y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window->outer = RECT{x, y, x + width, y + height};

    RECT client = vlm_platform::ClientRectOf(window.get());
    POINT origin = vlm_platform::ClientOrigin(window.get());
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if ((style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
    if (exStyle & WS_EX_TOPMOST) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    {
        vlm_platform::ForeignAllocations graphicsLibraries;  // the first OpenGL window loads the GL driver
        window->sdl = SDL_CreateWindow(vlm_ToUtf8(CP_ACP, title).c_str(), origin.x, origin.y,
                                       std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1), flags);
    }
    if (!window->sdl) return nullptr;
    window->sdlId = SDL_GetWindowID(window->sdl);
    if (vlm_platform::Session* s = vlm_platform::SessionHere()) {
        window->sessionNumber = s->NumberWindow();
        // Until the first pointer event, the pointer is at the first window's origin.
        if (window->sessionNumber == 1 && !System().pointerWindow) System().pointerWindow = window.get();
    }
    if (wc->wc.hIcon && wc->wc.hIcon->surface) SDL_SetWindowIcon(window->sdl, wc->wc.hIcon->surface);

    HWND hwnd = window.get();
    System().windows.push_back(std::move(window));
    SendMessageA(hwnd, WM_CREATE, 0, 0);
    if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
    if (!vlm_platform::IsLiveWindow(hwnd)) return FALSE;
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    auto& windows = System().windows;
    for (auto it = windows.begin(); it != windows.end(); ++it) {
        if (it->get() == hwnd) {
            if (hwnd->sdl) SDL_DestroyWindow(hwnd->sdl);
            if (System().pointerWindow == hwnd) System().pointerWindow = nullptr;
            windows.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL IsWindow(HWND hwnd) { return vlm_platform::IsLiveWindow(hwnd) ? TRUE : FALSE; }

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    if (!vlm_platform::IsLiveWindow(hwnd)) return FALSE;
    BOOL wasVisible = (SDL_GetWindowFlags(hwnd->sdl) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    switch (cmdShow) {
        case SW_HIDE: SDL_HideWindow(hwnd->sdl); break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED: SDL_MinimizeWindow(hwnd->sdl); break;
        case SW_RESTORE:
            SDL_RestoreWindow(hwnd->sdl);
            SDL_ShowWindow(hwnd->sdl);
            break;
        default:
            SDL_ShowWindow(hwnd->sdl);
            // Showing a window activates it, as on Windows.
            for (auto& w : System().windows) w->focused = false;
            hwnd->focused = true;
            SendMessageA(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
            break;
    }
    return wasVisible;
}

BOOL UpdateWindow(HWND hwnd) { return vlm_platform::IsLiveWindow(hwnd) ? TRUE : FALSE; }

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!vlm_platform::IsLiveWindow(hwnd)) return FALSE;
    SDL_SetWindowTitle(hwnd->sdl, vlm_ToUtf8(CP_ACP, text).c_str());
    return TRUE;
}

int GetWindowTextA(HWND hwnd, LPSTR text, int maxCount) {
    if (!text || maxCount <= 0) return 0;
    text[0] = '\0';
    if (!vlm_platform::IsLiveWindow(hwnd)) return 0;
    const std::string title = vlm_FromUtf8(CP_ACP, SDL_GetWindowTitle(hwnd->sdl));
    const size_t length = vlm_CutLength(CP_ACP, title.data(), std::min(title.size(), size_t(maxCount) - 1));
    std::memcpy(text, title.data(), length);
    text[length] = '\0';
    return int(length);
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
    if (!vlm_platform::IsLiveWindow(hwnd)) return 0;
    LONG old = 0;
    if (index == GWL_STYLE) {
        old = hwnd->style;
        hwnd->style = value;
    } else if (index == GWL_EXSTYLE) {
        old = hwnd->exStyle;
        hwnd->exStyle = value;
    }
    // Like Windows, a new frame style shows only after SetWindowPos.
    return old;
}

LONG GetWindowLongA(HWND hwnd, int index) {
    if (!vlm_platform::IsLiveWindow(hwnd)) return 0;
    if (index == GWL_STYLE) return hwnd->style;
    if (index == GWL_EXSTYLE) return hwnd->exStyle;
    return 0;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!vlm_platform::IsLiveWindow(hwnd)) return FALSE;
    RECT& r = hwnd->outer;
    if (!(flags & SWP_NOMOVE)) {
        LONG w = r.right - r.left, h = r.bottom - r.top;
        r = RECT{x, y, x + w, y + h};
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + cx;
        r.bottom = r.top + cy;
    }
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST) hwnd->exStyle |= WS_EX_TOPMOST;
        if (insertAfter == HWND_NOTOPMOST) hwnd->exStyle &= ~WS_EX_TOPMOST;
    }
    vlm_platform::ApplyGeometry(hwnd);
    if (flags & SWP_SHOWWINDOW) SDL_ShowWindow(hwnd->sdl);
    if (flags & SWP_HIDEWINDOW) SDL_HideWindow(hwnd->sdl);
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    if (!vlm_platform::IsLiveWindow(hwnd) || !rect) return FALSE;
    *rect = hwnd->outer;
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    if (!vlm_platform::IsLiveWindow(hwnd) || !rect) return FALSE;
    *rect = vlm_platform::ClientRectOf(hwnd);
    return TRUE;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4) SendMessageA(hwnd, WM_CLOSE, 0, 0);
            return 0;
        default: return 0;
    }
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!vlm_platform::IsLiveWindow(hwnd) || !hwnd->proc) return 0;
    return hwnd->proc(hwnd, message, wParam, lParam);
}

HWND GetActiveWindow() {
    for (auto& w : System().windows)
        if (w->focused) return w.get();
    return nullptr;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN:
        case SM_CYSCREEN: {
            SDL_DisplayMode mode{};
            if (!vlm_platform::EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
            return index == SM_CXSCREEN ? mode.w : mode.h;
        }
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME: return vlm_platform::kDlgFrame;
        case SM_CYCAPTION: return vlm_platform::kCaption;
        case SM_CXFRAME:
        case SM_CYFRAME: return 4;
        default: return 0;
    }
}

HMODULE GetModuleHandleA(LPCSTR) {
    // One module: any non-null value identifies it.
    static char module;
    return reinterpret_cast<HMODULE>(&module);
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
    // Predefined icons are small integers cast to pointers; none has an image here.
    if (!name || reinterpret_cast<uintptr_t>(name) < 0x10000) return nullptr;
    const std::string base(name);
    for (const char* suffix : {"", ".png", ".bmp"}) {  // names are matched without regard to case
        // Our decoders rather than SDL_LoadBMP, which takes a picture as large as the header
        // claims before it finds whether the file holds it.
        velmora::DecodedImage image;
        if (!velmora::DecodeImageFile(ResolveFilePath((base + suffix).c_str()), &image, nullptr)) continue;
        if (!vlm_platform::EnsureVideo()) return nullptr;
        SDL_Surface* surface =
            SDL_CreateRGBSurfaceWithFormat(0, int(image.width), int(image.height), 32, SDL_PIXELFORMAT_ARGB8888);
        if (!surface) return nullptr;
        for (uint32_t y = 0; y < image.height; ++y)
            std::memcpy(static_cast<char*>(surface->pixels) + size_t(y) * size_t(surface->pitch),
                        &image.pixels[size_t(y) * image.width], size_t(image.width) * 4);
        auto icon = std::make_unique<HICON__>();
        icon->surface = surface;
        HICON handle = icon.get();
        System().icons.push_back(std::move(icon));
        return handle;
    }
    return nullptr;
}

BOOL DestroyIcon(HICON icon) {
    auto& icons = System().icons;
    for (auto it = icons.begin(); it != icons.end(); ++it) {
        if (it->get() == icon) {
            if (icon->surface) SDL_FreeSurface(icon->surface);
            icons.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
    // The system arrow is SDL's default cursor; a non-null handle stands for it.
    return name == IDC_ARROW ? reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(32512)) : nullptr;
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    vlm_platform::WindowSystem& s = System();
    if (s.pointerWindow) {
        POINT origin = vlm_platform::ClientOrigin(s.pointerWindow);
        s.pointerScreen = POINT{origin.x + s.pointerClient.x, origin.y + s.pointerClient.y};
    }
    *point = s.pointerScreen;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    vlm_platform::WindowSystem& s = System();
    s.pointerScreen = POINT{x, y};
    if (s.pointerWindow) {
        POINT origin = vlm_platform::ClientOrigin(s.pointerWindow);
        s.pointerClient = POINT{x - origin.x, y - origin.y};
        const POINT w = vlm_platform::PictureToWindow(s.pointerWindow, s.pointerClient.x, s.pointerClient.y);
        SDL_WarpMouseInWindow(s.pointerWindow->sdl, w.x, w.y);
    }
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
    if (!vlm_platform::IsLiveWindow(hwnd) || !point) return FALSE;
    POINT origin = vlm_platform::ClientOrigin(hwnd);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
    if (!vlm_platform::IsLiveWindow(hwnd) || !point) return FALSE;
    POINT origin = vlm_platform::ClientOrigin(hwnd);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

int ShowCursor(BOOL show) {
    static int counter = 0;
    counter += show ? 1 : -1;
    if (vlm_platform::EnsureVideo()) SDL_ShowCursor(counter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return counter;
}
