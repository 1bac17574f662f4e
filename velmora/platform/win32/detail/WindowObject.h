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
    uint32_t sessionNumber = 0;  // made during a recording or replay: its number there (1 first)
    // What a Direct3D device shows in the window: its back buffer, fitted into the drawable
    // (its size in pixels as the device last measured it) with its aspect kept. Pointer
    // positions follow the same mapping. No picture (0): window pixels are the client's.
    const void* pictureOwner = nullptr;
    UINT pictureWidth = 0;
    UINT pictureHeight = 0;
    int drawableWidth = 0;
    int drawableHeight = 0;
};

namespace vlm_platform {

bool IsLiveWindow(HWND hwnd);
HWND WindowFromSdlId(uint32_t id);
// The live window a recording or replay numbered `number`, or null.
HWND WindowNumbered(uint32_t number);
// The window that receives keyboard input: the focused one, else the newest live one.
HWND KeyboardWindow();
// The frame around the client area that `style` implies, as insets from the outer rectangle.
RECT FrameInsets(LONG style);
// Screen position of the client area's top-left corner.
POINT ClientOrigin(HWND hwnd);

// Pointer tracking fed by mouse events, in the client's (the picture's) coordinates.
void TrackPointer(HWND hwnd, int clientX, int clientY);
// A recording or replay starts with the pointer at its first window's origin, wherever the
// pointer was before and wherever that window is put.
void ForgetPointer();

// Where a picture of `pictureWidth` × `pictureHeight` goes in a drawable of `drawableWidth` ×
// `drawableHeight`: as large as fits with its aspect kept, centred (the whole drawable when
// either size is empty).
RECT FitPicture(int drawableWidth, int drawableHeight, UINT pictureWidth, UINT pictureHeight);
// FitPicture for what the window shows now.
RECT PictureArea(HWND hwnd);
// A window pixel (as the window system reports the pointer) to the picture pixel shown there,
// which may lie outside the picture over the bars around it; and back. The same pixel while
// the window shows no picture.
POINT WindowToPicture(HWND hwnd, int x, int y);
POINT PictureToWindow(HWND hwnd, int x, int y);

// The session ends (the display went away): every window is sent WM_ENDSESSION, so that
// what must be finished before the process ends gets done.
void EndSession();

}  // namespace vlm_platform
