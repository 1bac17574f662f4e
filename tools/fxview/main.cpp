// fxview: the particle effect previewer, for tuning an effect's numbers.
//   fxview FILE.ini [--snap OUT.bmp] [--frames N] [--at X,Y]
//   fxview -h | --help | --version
// Fires the effect of FILE.ini (section "FX") at the window's centre or at X,Y; while the
// left button is held the effect follows the pointer. Space fires it again, S stops it.
// The file is read again whenever it changes on disk. The texture's name is looked up from
// the working directory, then from the file's folder upwards. Without a display it runs 120 frames
// (or N) off-screen; --snap saves the last frame as a BMP file. What each load logs (a value
// that is not a number, a texture that does not load) is printed and shown along the bottom.
// Exit status: 0 done, 1 the file or its texture could not be read, 2 a usage error.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "FxViewer.h"

namespace {

constexpr int kDone = 0;
constexpr int kBadFile = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "usage: fxview FILE.ini [--snap OUT.bmp] [--frames N] [--at X,Y]\n"
    "Shows the particle effect of FILE.ini (section \"FX\"), fired at the window's centre or\n"
    "at X,Y. Left button: drag the effect; Space: fire again; S: stop. The file reloads when\n"
    "it changes. --frames N stops after N frames; --snap saves the last frame as a BMP file.\n"
    "-h, --help: this text; --version: the version.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "fxview: %s\n%s", message.c_str(), kUsageText);
    return kUsage;
}

int FileError(const std::string& file, const std::string& what) {
    std::fprintf(stderr, "fxview: %s: %s\n", file.c_str(), what.c_str());
    return kBadFile;
}

bool Readable(const std::string& file) {
    std::FILE* fp = std::fopen(file.c_str(), "rb");
    if (fp) std::fclose(fp);
    return fp != nullptr;
}

// A whole decimal number, nothing else.
bool ParseInt(const char* text, int* value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end || errno || parsed < 0 || parsed > 100000000) return false;
    *value = static_cast<int>(parsed);
    return true;
}

// "X,Y" in window pixels, both at or above 0.
bool ParsePoint(const char* text, float* x, float* y) {
    char* end = nullptr;
    const double px = std::strtod(text, &end);
    if (end == text || *end != ',') return false;
    const char* second = end + 1;
    const double py = std::strtod(second, &end);
    if (end == second || *end || !(px >= 0 && px < 100000) || !(py >= 0 && py < 100000)) return false;
    *x = static_cast<float>(px);
    *y = static_cast<float>(py);
    return true;
}

bool HasEffectSection(CIniFile& ini) {
    char name[CIniFile::MAX_BUFFER];
    for (int i = 0; i < ini.GetIndexNum(); ++i)
        if (ini.GetIndex(i, name, sizeof name) && std::strcmp(name, "FX") == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    FxViewer::Options options;
    bool headless = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    bool framesGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsageText, stdout);
            return kDone;
        }
        if (arg == "--version") {
            std::printf("fxview (Velmora) %s\n", VELMORA_TOOLS_VERSION);
            return kDone;
        }
        if (arg == "--snap") {
            if (!hasValue || !*argv[i + 1]) return UsageError("--snap needs a file name");
            options.snapFile = argv[++i];
        } else if (arg == "--frames") {
            if (!hasValue || !ParseInt(argv[i + 1], &options.frames) || options.frames == 0)
                return UsageError("--frames needs a number of frames above 0");
            ++i;
            framesGiven = true;
        } else if (arg == "--at") {
            if (!hasValue || !ParsePoint(argv[i + 1], &options.x, &options.y))
                return UsageError("--at needs a point X,Y of window pixels");
            ++i;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else if (options.file.empty()) {
            options.file = arg;
        } else {
            return UsageError("one effect file at a time");
        }
    }
    if (options.file.empty()) return UsageError("no effect file given");
    if (!framesGiven && (headless || !options.snapFile.empty())) options.frames = 120;

    if (!Readable(options.file)) return FileError(options.file, std::strerror(errno));
    {
        CIniFile ini(options.file.c_str());
        if (!HasEffectSection(ini)) return FileError(options.file, "no [FX] section: not a particle effect");
        char texture[CIniFile::MAX_BUFFER];
        ini.ReadString("FX", "TextureFile", texture, sizeof texture, "");
        // Texture names are read from the working directory, as a game reads them from its
        // own folder. When the name isn't found from here, fxview works from the first folder
        // that has it, from the file's own folder upwards (the game's folder, for a name like
        // "fx/spark.png").
        if (*texture && !Readable(texture)) {
            const std::filesystem::path file = std::filesystem::absolute(options.file);
            std::filesystem::path folder = file.parent_path();
            while (!Readable((folder / texture).string()) && folder != folder.root_path())
                folder = folder.parent_path();
            if (!Readable((folder / texture).string()))
                return FileError(options.file, std::string("texture ") + texture + " not found");
            if (!options.snapFile.empty()) options.snapFile = std::filesystem::absolute(options.snapFile).string();
            if (chdir(folder.c_str()) != 0) return FileError(folder.string(), std::strerror(errno));
            options.file = std::filesystem::relative(file, folder).string();
        }
    }

    if (!options.snapFile.empty()) std::remove(options.snapFile.c_str());  // no stale picture passes as this run's

    FxViewer viewer(options);
    viewer.SetWindowMode(true);
    viewer.SetFPS(60);
    if (!viewer.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "fxview", nullptr)) {
        viewer.Destroy();
        std::fprintf(stderr, "fxview: the engine did not start\n");
        return kBadFile;
    }
    viewer.Start();
    viewer.Run();
    viewer.Destroy();
    std::printf("fxview: %s: %d frames, particles alive at the end: %d, update %s and draw %s per frame\n",
                options.file.c_str(), viewer.FramesRun(), viewer.ParticlesAlive(),
                FrameTimeText(viewer.MeanUpdateMs(), true).c_str(), FrameTimeText(viewer.MeanDrawMs(), true).c_str());
    if (!options.snapFile.empty()) {
        if (!Readable(options.snapFile)) return FileError(options.snapFile, "the last frame could not be saved");
        std::printf("fxview: last frame saved to %s\n", options.snapFile.c_str());
    }
    return kDone;
}
