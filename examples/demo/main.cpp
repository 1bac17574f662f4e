// velmora_demo [--frames N] [--fullscreen]
// Opens its window (off-screen when there is no display), runs paced frames and logs to
// VLMLog.html. Quits on the close box, Alt+F4, Alt+F2 or Alt+Q, or after N frames.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "DemoGame.h"

int main(int argc, char** argv) {
    bool headless = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    int frames = headless ? 120 : 0;
    bool windowed = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--fullscreen") == 0) {
            windowed = false;
        } else {
            std::fprintf(stderr, "usage: %s [--frames N] [--fullscreen]\n", argv[0]);
            return 2;
        }
    }

    DemoGame game(frames);
    game.SetDLLFileLog(true);
    game.SetWindowMode(windowed);
    game.SetFPS(60);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Velmora demo", "velmora.bmp")) {
        game.Destroy();
        return 1;
    }
    game.Run();
    game.Destroy();
    std::printf("demo: %d frames\n", game.FramesRun());
    return 0;
}
