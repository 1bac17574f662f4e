// The X11 connection under SDL's x11 video driver: what the platform layer asks the X server
// itself (a window's real size) and what happens when the server goes away.
#pragma once

struct SDL_Window;
struct timespec;

namespace vlm_platform {

// Under the x11 driver, replaces Xlib's fatal I/O error handler. When the connection to the
// X server breaks (a logout, a crashed or remote server), every window is sent WM_ENDSESSION
// and the process ends with status 1, as Xlib would end it, but nothing that runs at exit
// waits on the dead connection: the platform leaves SDL and GL alone from then on (see
// DisplayLost), and should another library's exit work block anyway, an alarm ends the
// process after a few seconds. Nothing can go on instead: the break is noticed deep inside
// Xlib, SDL or the GL driver, which cannot be returned to.
void WatchX11Connection();

// True once the connection to the display has broken: nothing may call into SDL's video
// or the GL driver any more.
bool DisplayLost();

// The size in pixels of the window's X drawable as the server has it, which is not always what
// SDL believes (a full screen that no window manager granted). False when the window is not
// an X11 window or the server did not answer.
bool X11WindowSize(SDL_Window* window, int* width, int* height);

// Under the x11 driver, waits until the X server has sent an event that is not read yet, or
// the monotonic clock reaches `deadline`, whichever comes first. False, at once, when there is
// no X connection to wait on (another driver, no window yet, the display lost).
bool WaitForX11Event(const timespec& deadline);

}  // namespace vlm_platform
