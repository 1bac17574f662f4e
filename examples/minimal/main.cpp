// Runs the minimal game: in a window when there is a display, off-screen otherwise.
// `minimal N` stops after N frames.
#include <cstdio>
#include <cstdlib>

#include "MinimalGame.h"

int main(int argc, char** argv) {
    MinimalGame game;
    game.SetFPS(60);
    if (argc > 1) game.maxFrames = std::atoi(argv[1]);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Minimal", nullptr)) {
        game.Destroy();
        return 1;
    }
    game.Run();
    game.Destroy();
    std::printf("minimal game ran %d frames\n", game.frames);
    return 0;
}
