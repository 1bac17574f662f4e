// SDL start-up for the platform layer.
#include <velmora/platform/win32/detail/SdlVideo.h>

#include <velmora/platform/win32/detail/ForeignAllocations.h>
#include <velmora/platform/win32/detail/X11Connection.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vlm_platform {

namespace {

bool NoDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (!x11 || !*x11) && (!wayland || !*wayland);
}

// SDL is never shut down: quitting at exit would unload the graphics drivers before the
// process ends, for no gain.
struct SdlVideo {
    bool ready = false;
    bool tried = false;
};

SdlVideo& Video() {
    static SdlVideo video;
    return video;
}

}  // namespace

bool EnsureVideo() {
    SdlVideo& v = Video();
    if (v.tried) return v.ready;
    v.tried = true;
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if ((!chosen || !*chosen) && NoDisplay()) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    // The engine owns quitting: a closed last window must arrive as a close, not a quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    ForeignAllocations keptForLife;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "velmora: SDL video start-up failed: %s\n", SDL_GetError());
        return false;
    }
    WatchX11Connection();
    v.ready = true;
    return true;
}

bool HasRealDisplay() {
    if (!EnsureVideo() || DisplayLost()) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

}  // namespace vlm_platform
