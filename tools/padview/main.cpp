// padview: lists the game controllers plugged in (name, instance GUID, axes, buttons, hats)
// and shows their live state as DirectInput reads it, for checking a pad and its layout.
//   padview [--frames N] [--print]
// --print writes the list and every change of a controller's state on standard output.
// Without a display it runs 120 frames (or N) off-screen.
// Exit status: 0 done, 1 the engine or DirectInput did not start, 2 a usage error.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "PadViewer.h"

namespace {

constexpr int kDone = 0;
constexpr int kNoEngine = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "usage: padview [--frames N] [--print]\n"
    "Lists the game controllers plugged in and shows their live state: a bar for each axis, a\n"
    "box for each button, each hat's direction. Esc quits. --frames N stops after N frames;\n"
    "--print writes the controllers and every change of their state on standard output.\n"
    "-h, --help shows this; --version the version.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "padview: %s\n%s", message.c_str(), kUsageText);
    return kUsage;
}

bool ParseFrames(const char* text, int* value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end || errno || parsed <= 0 || parsed > 100000000) return false;
    *value = static_cast<int>(parsed);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    PadViewOptions options;
    bool framesGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsageText, stdout);
            return kDone;
        }
        if (arg == "--version") {
            std::printf("padview (Velmora) %s\n", VELMORA_VERSION_TEXT);
            return kDone;
        }
        if (arg == "--print") {
            options.print = true;
        } else if (arg == "--frames") {
            if (i + 1 >= argc || !ParseFrames(argv[i + 1], &options.frames))
                return UsageError("--frames needs a number of frames above 0");
            ++i;
            framesGiven = true;
        } else {
            return UsageError("unknown argument " + arg);
        }
    }
    const bool headless = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    if (!framesGiven && headless) options.frames = 120;

    PadViewer viewer(options, stdout);
    viewer.SetWindowMode(true);
    viewer.SetWindowWidth(640);
    viewer.SetWindowHeight(480);
    viewer.SetFPS(60);
    if (!viewer.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "padview", nullptr) || !viewer.Start()) {
        viewer.Destroy();
        std::fprintf(stderr, "padview: the engine or DirectInput did not start\n");
        return kNoEngine;
    }
    viewer.Run();
    const int pads = viewer.PadCount();
    viewer.Destroy();
    std::printf("padview: %d frames, %d game controller%s plugged in at the end\n", viewer.FramesRun(), pads,
                pads == 1 ? "" : "s");
    return kDone;
}
