// velmora_demo [--frames N] [--snap FILE] [--fullscreen]
// Opens its window (off-screen when there is no display), runs paced frames and logs to
// VLMLog.html. Quits on the close box, Alt+F4, Alt+F2 or Alt+Q, or after N frames; Alt+Enter
// toggles full screen. With --snap the last frame is saved as a BMP file.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "DemoGame.h"

namespace {

// The folder of the demo's AMF art: beside the executable when it was copied there with
// its art, otherwise the build's own (VELMORA_DEMO_DATA).
std::string ArtFolder() {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (n > 0) {
        std::string folder(exe, size_t(n));
        folder.erase(folder.find_last_of('/'));
        if (access((folder + "/ball.amf").c_str(), R_OK) == 0) return folder;
    }
    return VELMORA_DEMO_DATA;
}

}  // namespace

int main(int argc, char** argv) {
    bool headless = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    int frames = headless ? 120 : 0;
    std::string snapFile;
    bool windowed = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--snap") == 0 && i + 1 < argc) {
            snapFile = argv[++i];
        } else if (std::strcmp(argv[i], "--fullscreen") == 0) {
            windowed = false;
        } else {
            std::fprintf(stderr, "usage: %s [--frames N] [--snap FILE] [--fullscreen]\n", argv[0]);
            return 2;
        }
    }
    if (!snapFile.empty() && frames <= 0) frames = 120;

    DemoGame game(frames, snapFile);
    game.SetDLLFileLog(true);
    game.SetWindowMode(windowed);
    game.SetFPS(60);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Velmora demo", "velmora.bmp")) {
        game.Destroy();
        return 1;
    }
    game.LoadArt(ArtFolder());
    game.Run();
    game.Destroy();
    std::printf("demo: %d frames%s%s\n", game.FramesRun(), snapFile.empty() ? "" : ", last one saved to ",
                snapFile.c_str());
    return 0;
}
