// bench_sprites [--quick]
// N sprites of 32 x 32 pixels from one texture per frame in an 800 x 600 window, moving every
// frame: the engine's three drawing paths against SDL2's renderer (opengl driver) and SFML.
// Each library runs in a child process of this program (bench_sprites --child <group>), the
// libraries taking turns run by run; the parent checks that all draw the same picture and
// prints the median milliseconds per frame with the ratio to SDL2's batched renderer.
// Works on whatever display it is given; SFML needs an X server and is left out without one.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <velmora/platform/d3dx9/ImageCodec.h>

#include "sprites/Group.h"
#include "sprites/Scene.h"
#include "support/BenchReport.h"
#include "support/Pictures.h"

namespace {

using namespace SpriteBench;
using VelmoraBench::Format;

struct Plan {
    int sprites;
    int frames;  // timed frames per variant and run
};

std::vector<Plan> Plans(bool quick) {
    // Frames per run shrink as N grows, so each run lasts a similar time on llvmpipe.
    return quick ? std::vector<Plan>{{1000, 2}, {10000, 1}, {50000, 1}}
                 : std::vector<Plan>{{1000, 20}, {10000, 4}, {50000, 1}};
}

const char* const kReferenceGroup = "sdl-batched";
const int kCheckSprites = 1000, kCheckFrame = 7;

std::unique_ptr<Group> MakeGroup(const std::string& name) {
    if (name == "engine") return MakeEngineGroup(false);
    if (name == "engine-plain") return MakeEngineGroup(true);
    if (name == "sdl-batched") return MakeSdlGroup(true);
    if (name == "sdl-unbatched") return MakeSdlGroup(false);
    if (name == "sfml") return MakeSfmlGroup();
    return nullptr;
}

std::string PictureFile(const std::string& group, size_t variant) {
    return "picture-" + group + "-" + std::to_string(variant) + ".png";
}

// The child: one library, all plans; results as lines on standard output.
int RunGroup(const std::string& name, bool quick, bool pictures) {
    std::unique_ptr<Group> group = MakeGroup(name);
    if (!group) {
        std::fprintf(stderr, "bench_sprites: no group %s\n", name.c_str());
        return 2;
    }
    std::string error;
    if (!group->Start(&error)) {
        std::printf("error %s\n", error.c_str());
        return 1;
    }
    std::printf("describe %s\n", group->Describe().c_str());
    const std::vector<std::string> variants = group->Variants();
    for (size_t v = 0; v < variants.size(); ++v) std::printf("variant %zu %s\n", v, variants[v].c_str());
    if (pictures) {
        for (size_t v = 0; v < variants.size(); ++v) {
            velmora::DecodedImage image;
            image.width = kWidth;
            image.height = kHeight;
            image.pixels = group->Picture(v, kCheckSprites, kCheckFrame);
            const std::string file = PictureFile(name, v);
            if (image.pixels.size() == size_t(kWidth) * kHeight && velmora::WritePngFile(file, image))
                std::printf("picture %zu %s\n", v, file.c_str());
        }
    }
    const int warmUp = 1;
    for (const Plan& plan : Plans(quick)) {
        for (size_t v = 0; v < variants.size(); ++v)
            for (int f = 0; f < warmUp; ++f) {
                group->DrainEvents();
                group->Frame(v, plan.sprites, f);
            }
        // The variants take turns frame by frame, so a busy spell falls on all of them alike.
        std::vector<double> wall(variants.size()), cpu(variants.size());
        for (int f = 0; f < plan.frames; ++f)
            for (size_t v = 0; v < variants.size(); ++v) {
                group->DrainEvents();
                VelmoraBench::Stopwatch watch;
                group->Frame(v, plan.sprites, warmUp + f);
                wall[v] += watch.Milliseconds();
                cpu[v] += watch.CpuMilliseconds();
            }
        for (size_t v = 0; v < variants.size(); ++v)
            std::printf("result %d %zu %.4f %.4f\n", plan.sprites, v, wall[v] / plan.frames, cpu[v] / plan.frames);
    }
    std::fflush(stdout);
    return 0;
}

// Runs this program with `args` and returns what it printed; stderr passes through.
bool RunChild(const std::vector<std::string>& args, std::string* output) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof(buffer))) > 0) output->append(buffer, static_cast<size_t>(got));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct GroupReport {
    std::string name;
    std::string describe;
    std::string error;
    std::vector<std::string> variants;
    std::map<size_t, std::string> pictures;
    // wall[N][variant] and cpu[N][variant]: one value per run
    std::map<int, std::map<size_t, std::vector<double>>> wall, cpu;
    bool failed = false;
};

void Parse(const std::string& output, GroupReport* report) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string kind;
        in >> kind;
        std::string rest;
        if (kind == "describe" || kind == "error") {
            std::getline(in >> std::ws, rest);
            (kind == "describe" ? report->describe : report->error) = rest;
        } else if (kind == "variant") {
            size_t v = 0;
            in >> v;
            std::getline(in >> std::ws, rest);
            if (report->variants.size() <= v) report->variants.resize(v + 1);
            report->variants[v] = rest;
        } else if (kind == "picture") {
            size_t v = 0;
            in >> v >> rest;
            report->pictures[v] = rest;
        } else if (kind == "result") {
            int n = 0;
            size_t v = 0;
            double wallMs = 0, cpuMs = 0;
            if (in >> n >> v >> wallMs >> cpuMs) {
                report->wall[n][v].push_back(wallMs);
                report->cpu[n][v].push_back(cpuMs);
            }
        }
    }
}

// Compares two pictures written by the children; false when either cannot be read.
bool ComparePictureFiles(const std::string& fileA, const std::string& fileB, int slack,
                         VelmoraBench::PictureDifference* d) {
    velmora::DecodedImage a, b;
    std::string error;
    if (!velmora::DecodeImageFile(fileA, &a, &error) || !velmora::DecodeImageFile(fileB, &b, &error)) return false;
    *d = VelmoraBench::ComparePictures(a.pixels, b.pixels, slack);
    return true;
}

int RunParent(const char* program, bool quick) {
    velmora::DecodedImage texture;
    texture.width = texture.height = kSprite;
    texture.pixels = TexturePixels();
    if (!velmora::WritePngFile(kTextureFile, texture)) {
        std::fprintf(stderr, "bench_sprites: cannot write %s\n", kTextureFile);
        return 1;
    }
    const char* display = std::getenv("DISPLAY");
    const bool haveX = display && *display;
    std::vector<GroupReport> groups;
    for (const char* name : {kReferenceGroup, "sdl-unbatched", "engine", "engine-plain", "sfml"})
        if (haveX || std::strcmp(name, "sfml") != 0) {
            groups.emplace_back();
            groups.back().name = name;
        }

    const int runs = quick ? 1 : 5;
    const std::vector<Plan> plans = Plans(quick);
    std::printf("# Velmora sprite benchmark\n\n");
    std::printf("N sprites of %dx%d pixels from one %dx%d texture loaded from a PNG file, alpha-blended, tinted,\n",
                kSprite, kSprite, kSprite, kSprite);
    std::printf("at whole-pixel places in an %dx%d window, all moving every frame.\n", kWidth, kHeight);
    std::printf("- display: %s; SDL_VIDEODRIVER=%s; LIBGL_ALWAYS_SOFTWARE=%s\n", haveX ? display : "none",
                std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "(unset)",
                std::getenv("LIBGL_ALWAYS_SOFTWARE") ? std::getenv("LIBGL_ALWAYS_SOFTWARE") : "(unset)");
    if (!haveX) std::printf("- no X display: SFML is left out\n");
    std::printf(
        "- a frame, every variant alike: clear, draw N sprites, present (buffer swap), glFinish; "
        "window events are handled between frames, untimed\n");
    std::printf(
        "- each library runs in a process of its own; runs: %d, the processes taking turns, one run each; within a "
        "process its variants take turns frame by frame; frames per run:",
        runs);
    for (const Plan& p : plans) std::printf(" %d for N=%d;", p.frames, p.sprites);
    std::printf(" median of the runs\n");
    std::fflush(stdout);

    const std::string loadBefore = VelmoraBench::LoadAverage();
    VelmoraBench::Stopwatch total;
    for (int run = 0; run < runs; ++run)
        for (GroupReport& g : groups) {
            if (g.failed) continue;
            std::vector<std::string> args = {program, "--child", g.name};
            if (quick) args.push_back("--quick");
            if (run == 0) args.push_back("--pictures");
            std::string output;
            const bool ok = RunChild(args, &output);
            Parse(output, &g);
            if (!ok) {
                g.failed = true;
                if (g.error.empty()) g.error = "the process failed";
            }
        }
    const double totalSeconds = total.Milliseconds() / 1000.0;

    int status = 0;
    for (const GroupReport& g : groups) {
        if (!g.describe.empty()) std::printf("- %s\n", g.describe.c_str());
        if (g.failed) {
            std::printf("- %s FAILED: %s\n", g.name.c_str(), g.error.c_str());
            status = 1;
        }
    }

    // All must draw the same picture, or the comparison means nothing.
    const GroupReport& reference = groups[0];
    const auto referencePicture = reference.pictures.find(0);
    for (const GroupReport& g : groups)
        for (size_t v = 0; v < g.variants.size(); ++v) {
            if (&g == &reference && v == 0) continue;
            const auto picture = g.pictures.find(v);
            VelmoraBench::PictureDifference d;
            if (referencePicture == reference.pictures.end() || picture == g.pictures.end() ||
                !ComparePictureFiles(picture->second, referencePicture->second, 2, &d)) {
                std::printf("- picture check, %s: no picture to compare\n", g.variants[v].c_str());
                status = 1;
                continue;
            }
            std::printf("- picture check, %s vs SDL2 batched (N=%d): largest channel difference %d, %zu pixels off\n",
                        g.variants[v].c_str(), kCheckSprites, d.largest, d.pixels);
            if (d.pixels) status = 1;
        }
    std::printf("\n");

    VelmoraBench::Table table({"N", "variant", "median ms/frame", "ratio to SDL2 batched", "median CPU ms/frame"});
    for (const Plan& plan : plans) {
        const auto& referenceRuns = reference.wall.find(plan.sprites);
        const double referenceMs = referenceRuns == reference.wall.end() || referenceRuns->second.count(0) == 0
                                       ? 0.0
                                       : VelmoraBench::Median(referenceRuns->second.at(0));
        for (const GroupReport& g : groups)
            for (size_t v = 0; v < g.variants.size(); ++v) {
                const auto n = g.wall.find(plan.sprites);
                if (n == g.wall.end() || n->second.count(v) == 0) continue;
                const double ms = VelmoraBench::Median(n->second.at(v));
                const double cpuMs = VelmoraBench::Median(g.cpu.at(plan.sprites).at(v));
                table.AddRow({std::to_string(plan.sprites), g.variants[v], Format("%.2f", ms),
                              referenceMs > 0 ? Format("%.2f", ms / referenceMs) : "-", Format("%.2f", cpuMs)});
            }
    }
    table.Print();

    // The project's goal: every engine path at least as fast as SDL2's batched renderer at 10,000.
    const int goalSprites = 10000;
    for (const GroupReport& g : groups) {
        if (g.name != "engine" || reference.wall.count(goalSprites) == 0 || g.wall.count(goalSprites) == 0) continue;
        const double referenceMs = VelmoraBench::Median(reference.wall.at(goalSprites).at(0));
        bool met = true;
        std::string ratios;
        for (const auto& [v, runs] : g.wall.at(goalSprites)) {
            const double ratio = VelmoraBench::Median(runs) / referenceMs;
            met = met && ratio <= 1.0;
            ratios += (ratios.empty() ? "" : ", ") + Format("%.2f", ratio);
        }
        std::printf("\nGoal, every engine path at least as fast as SDL2's batched renderer at N=%d: %s (ratios %s).\n",
                    goalSprites, met ? "met" : "NOT met", ratios.c_str());
    }
    std::printf(
        "\nRatio below 1: faster than SDL2's batched renderer. CPU time is the process's own (all its threads, the\n"
        "rasteriser's too), not the X server's.\n");
    std::printf("Timed part (with process start-ups): %.1f s; load average before %s, after %s.\n", totalSeconds,
                loadBefore.c_str(), VelmoraBench::LoadAverage().c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = false, pictures = false;
    std::string child;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--pictures") == 0) {
            pictures = true;
        } else if (std::strcmp(argv[i], "--child") == 0 && i + 1 < argc) {
            child = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--quick]\n", argv[0]);
            return 2;
        }
    }
    if (!child.empty()) return RunGroup(child, quick, pictures);
    return RunParent(argv[0], quick);
}
