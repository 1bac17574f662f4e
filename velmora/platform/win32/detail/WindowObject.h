// The object behind an HWND, and the registry of live windows.
#pragma once

#include <string>
#include <vector>

#include <velmora/platform/win32/Types.h>

struct SDL_Window;

struct HWND__ {
    SDL_Window* sdl = nullptr;
    uint32_t sdlId = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    std::string className;
    LONG style = 0;
    LONG exStyle = 0;
    RECT outer{};  // screen coordinates of the whole window, frame included
    bool focused = false;
    bool minimized = false;
};

namespace vlm_platform {

bool IsLiveWindow(HWND hwnd);
HWND WindowFromSdlId(uint32_t id);
// The window that receives keyboard input: the focused one, else the newest live one.
HWND KeyboardWindow();
// The frame around the client area that `style` implies, as insets from the outer rectangle.
RECT FrameInsets(LONG style);
// Screen position of the client area's top-left corner.
POINT ClientOrigin(HWND hwnd);

// Pointer tracking fed by mouse events.
void TrackPointer(HWND hwnd, int clientX, int clientY);

}  // namespace vlm_platform
