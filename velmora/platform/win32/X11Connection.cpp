// The X11 connection under SDL's x11 video driver: window sizes from the server, and an end of
// the process that cannot hang when the server goes away.
#include <velmora/platform/win32/detail/X11Connection.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <velmora/platform/win32/detail/WindowObject.h>

namespace vlm_platform {

namespace {

std::atomic<bool> g_lost{false};

// Seconds that the work at exit (static destructors, other libraries' exit handlers) may take
// once the display is gone.
constexpr unsigned kExitGraceSeconds = 3;

int OnConnectionBroken(Display*) {
    // A second break while exiting: end now.
    if (g_lost.exchange(true)) _exit(1);
    std::fputs("velmora: the connection to the display was lost; ending\n", stderr);
    // Like a logout on Windows: the windows hear that the session ends before the process does.
    EndSession();
    // Xlib would now call exit() and leave anything at exit that touches the connection
    // spinning on it for ever. Ours skips it; the alarm covers what is not ours.
    sigset_t alarm;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    sigprocmask(SIG_UNBLOCK, &alarm, nullptr);
    signal(SIGALRM, SIG_DFL);
    ::alarm(kExitGraceSeconds);
    std::exit(1);
}

}  // namespace

void WatchX11Connection() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && SDL_strcmp(driver, "x11") == 0) XSetIOErrorHandler(OnConnectionBroken);
}

bool DisplayLost() { return g_lost.load(); }

bool X11WindowSize(SDL_Window* window, int* width, int* height) {
    if (!window || DisplayLost()) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    ::Window root = 0;
    int x = 0, y = 0;
    unsigned int w = 0, h = 0, border = 0, depth = 0;
    if (!XGetGeometry(info.info.x11.display, info.info.x11.window, &root, &x, &y, &w, &h, &border, &depth))
        return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

bool WaitForX11Event(const timespec& deadline) {
    HWND hwnd = KeyboardWindow();
    if (!hwnd || !hwnd->sdl || DisplayLost()) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(hwnd->sdl, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* display = info.info.x11.display;
    // Requests still in Xlib's buffer go out before the wait, and events Xlib has read already
    // (while waiting for a reply) would not wake it.
    XFlush(display);
    if (XEventsQueued(display, QueuedAlready) > 0) return true;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t left = (int64_t(deadline.tv_sec) - int64_t(now.tv_sec)) * 1000000000 +
                         (int64_t(deadline.tv_nsec) - int64_t(now.tv_nsec));
    if (left <= 0) return true;
    const timespec timeout{time_t(left / 1000000000), long(left % 1000000000)};
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    ppoll(&connection, 1, &timeout, nullptr);
    return true;
}

}  // namespace vlm_platform
