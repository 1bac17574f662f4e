// guiview: shows a GUI description file as a game would, for checking a screen without
// writing code.
//   guiview FILE.ini [--snap OUT.bmp] [--frames N] [--size WxH] [--utf8]
//   guiview -h | --help | --version
// Each GUI message is printed on standard output as one line; the file is loaded again when
// it changes on disk; the error and warning lines of a load are printed, shown on screen and
// kept in VLMLog.html.
// Without a display it runs off-screen for N frames (120 unless given).
// Exit status: 0 done, 1 the engine did not start, 2 a usage error or an unreadable file,
// 3 the file's last load had errors (warnings alone leave 0).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "GuiViewer.h"

namespace {

const char kUsage[] =
    "usage: guiview FILE.ini [--snap OUT.bmp] [--frames N] [--size WxH] [--utf8]\n"
    "Shows the windows the GUI description file lists, prints every GUI message and reloads\n"
    "the file when it changes. --frames stops after N frames, --snap saves the last one as BMP,\n"
    "--size sets the screen (800x600 unless given), --utf8 reads the file's text as UTF-8, as a\n"
    "game that chose UTF-8 text does (GBK unless given).\n"
    "-h, --help: this text; --version: the version.\n";

int Usage(const char* message) {
    std::fprintf(stderr, "guiview: %s\n%s", message, kUsage);
    return 2;
}

bool ParseCount(const char* text, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 0 || v > 100000000) return false;
    *value = int(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    GuiViewOptions options;
    bool framesGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            std::printf("guiview (Velmora) %s\n", VELMORA_TOOLS_VERSION);
            return 0;
        }
        if (std::strcmp(arg, "--frames") == 0) {
            if (!hasValue || !ParseCount(argv[++i], &options.frames)) return Usage("--frames needs a count");
            framesGiven = true;
        } else if (std::strcmp(arg, "--snap") == 0) {
            if (!hasValue) return Usage("--snap needs a file name");
            options.snap = argv[++i];
        } else if (std::strcmp(arg, "--size") == 0) {
            int w = 0, h = 0;
            char extra = 0;
            if (!hasValue || std::sscanf(argv[++i], "%dx%d%c", &w, &h, &extra) != 2 || w < 64 || h < 64 || w > 8192 ||
                h > 8192)
                return Usage("--size needs WIDTHxHEIGHT, each 64 to 8192");
            options.width = w;
            options.height = h;
        } else if (std::strcmp(arg, "--utf8") == 0) {
            SetTextEncoding(TEXT_ENCODING_UTF8);
        } else if (arg[0] == '-' && arg[1]) {
            return Usage((std::string("unknown option ") + arg).c_str());
        } else if (options.file.empty()) {
            options.file = arg;
        } else {
            return Usage("only one description file");
        }
    }
    if (options.file.empty()) return Usage("no description file");
    if (!std::ifstream(options.file)) {
        std::fprintf(stderr, "guiview: %s: cannot read the file\n", options.file.c_str());
        return 2;
    }
    const bool headless = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    if (!framesGiven && (headless || !options.snap.empty())) options.frames = 120;

    GuiViewer viewer(options, stdout);
    if (!viewer.Start()) {
        viewer.Destroy();
        std::fprintf(stderr, "guiview: the engine did not start (see VLMLog.html)\n");
        return 1;
    }
    viewer.Run();
    const bool loaded = !viewer.LastLoadHadErrors();
    viewer.Destroy();
    std::printf("guiview: %d frames%s%s\n", viewer.FramesRun(), options.snap.empty() ? "" : ", last one saved to ",
                options.snap.c_str());
    if (!loaded) {
        std::fprintf(stderr, "guiview: %s has errors\n", options.file.c_str());
        return 3;
    }
    return 0;
}
