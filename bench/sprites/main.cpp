// bench_sprites [--quick]
// N sprites of 32 x 32 pixels from one texture per frame in an 800 x 600 window, moving every
// frame: the engine's three drawing paths against SDL2's renderer (opengl driver) and SFML.
// Each library runs in a child process of this program (bench_sprites --child <group>), the
// libraries taking turns run by run; the parent checks that all draw the same picture and
// prints the median milliseconds per frame with the ratios to SDL2's batched renderer and to
// SFML's vertex array, the fastest peer. A second table gives the cost of one draw call where
// the rasteriser has almost nothing to do (100,000 sprites of one pixel, or wholly outside the
// window), in nanoseconds of processor time.
// Works on whatever display it is given; SFML needs an X server and is left out without one.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
    Shape shape;
};

std::vector<Plan> Plans(bool quick) {
    // Frames per run shrink as N grows, so each run lasts a similar time on llvmpipe.
    constexpr int kCallSprites = 100000;
    return quick ? std::vector<Plan>{{1000, 2, Shape::Sprite},
                                     {10000, 1, Shape::Sprite},
                                     {50000, 1, Shape::Sprite},
                                     {kCallSprites, 1, Shape::Pixel},
                                     {kCallSprites, 1, Shape::Outside}}
                 : std::vector<Plan>{{1000, 20, Shape::Sprite},
                                     {10000, 4, Shape::Sprite},
                                     {50000, 2, Shape::Sprite},
                                     {kCallSprites, 3, Shape::Pixel},
                                     {kCallSprites, 3, Shape::Outside}};
}

const char* const kReferenceGroup = "sdl-batched";
// The fastest peer, and its variant: the goal for the sprite scenes.
const char* const kFastestGroup = "sfml";
const size_t kFastestVariant = 1;
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
    const std::vector<Plan> plans = Plans(quick);
    for (size_t p = 0; p < plans.size(); ++p) {
        const Plan& plan = plans[p];
        for (size_t v = 0; v < variants.size(); ++v)
            for (int f = 0; f < warmUp; ++f) {
                group->DrainEvents();
                group->Frame(v, plan.sprites, f, plan.shape);
            }
        // The variants take turns frame by frame, so a busy spell falls on all of them alike.
        std::vector<double> wall(variants.size()), cpu(variants.size()), calls(variants.size());
        for (int f = 0; f < plan.frames; ++f)
            for (size_t v = 0; v < variants.size(); ++v) {
                group->DrainEvents();
                VelmoraBench::Stopwatch watch;
                calls[v] += group->Frame(v, plan.sprites, warmUp + f, plan.shape);
                wall[v] += watch.Milliseconds();
                cpu[v] += watch.CpuMilliseconds();
            }
        for (size_t v = 0; v < variants.size(); ++v)
            std::printf("result %zu %zu %.4f %.4f %.4f\n", p, v, wall[v] / plan.frames, cpu[v] / plan.frames,
                        calls[v] / plan.frames);
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
    // wall[plan][variant], cpu[...] (the process) and calls[...] (the calling thread in the
    // draw calls): one value per run, in ms per frame
    std::map<size_t, std::map<size_t, std::vector<double>>> wall, cpu, calls;
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
            size_t p = 0, v = 0;
            double wallMs = 0, cpuMs = 0, callsMs = 0;
            if (in >> p >> v >> wallMs >> cpuMs >> callsMs) {
                report->wall[p][v].push_back(wallMs);
                report->cpu[p][v].push_back(cpuMs);
                report->calls[p][v].push_back(callsMs);
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

using RunTable = std::map<size_t, std::map<size_t, std::vector<double>>>;

// The runs of a variant in a plan; null when there are none.
const std::vector<double>* RunsOf(const RunTable& table, size_t plan, size_t variant) {
    const auto p = table.find(plan);
    if (p == table.end()) return nullptr;
    const auto v = p->second.find(variant);
    return v == p->second.end() || v->second.empty() ? nullptr : &v->second;
}

double Median(const std::vector<double>& values) { return VelmoraBench::Median(values); }

std::string RatioText(const std::vector<double>* values, const std::vector<double>* base) {
    return values && base && Median(*base) > 0 ? Format("%.2f", Median(*values) / Median(*base)) : "-";
}

// The lowest and highest ratio of run r to the base's run r.
std::string RunRatios(const std::vector<double>* values, const std::vector<double>* base) {
    if (!values || !base) return "-";
    double low = 0, high = 0;
    bool any = false;
    for (size_t r = 0; r < values->size() && r < base->size(); ++r) {
        if ((*base)[r] <= 0) continue;
        const double ratio = (*values)[r] / (*base)[r];
        low = any ? std::min(low, ratio) : ratio;
        high = any ? std::max(high, ratio) : ratio;
        any = true;
    }
    return any ? Format("%.2f", low) + "-" + Format("%.2f", high) : "-";
}

int RunParent(const char* program, bool quick) {
    velmora::DecodedImage texture;
    texture.width = texture.height = kSprite;
    texture.pixels = TexturePixels();
    velmora::DecodedImage pixel;
    pixel.width = pixel.height = 1;
    pixel.pixels = {0xFFFFFFFFu};
    if (!velmora::WritePngFile(kTextureFile, texture) || !velmora::WritePngFile(kPixelFile, pixel)) {
        std::fprintf(stderr, "bench_sprites: cannot write %s or %s\n", kTextureFile, kPixelFile);
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
    std::printf("at whole-pixel places in an %dx%d window, all moving every frame. The call scenes draw sprites of\n",
                kWidth, kHeight);
    std::printf("one pixel from a 1x1 texture, or of %dx%d wholly outside the window.\n", kSprite, kSprite);
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
    for (const Plan& p : plans) std::printf(" %d for N=%d (%s);", p.frames, p.sprites, ShapeName(p.shape));
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

    const GroupReport* fastest = nullptr;
    for (const GroupReport& g : groups)
        if (g.name == kFastestGroup) fastest = &g;

    // Sprite scenes: milliseconds per frame, with the ratios to both references; the spread is
    // that of the ratios run by run (each run of one library next to the same run of the other).
    VelmoraBench::Table table({"N", "variant", "median ms/frame", "ratio to SDL2 batched", "ratio to SFML vertex array",
                               "per run", "median CPU ms/frame", "CPU ratio to SFML vertex array"});
    for (size_t p = 0; p < plans.size(); ++p) {
        if (plans[p].shape != Shape::Sprite) continue;
        const std::vector<double>* sdl = RunsOf(reference.wall, p, 0);
        const std::vector<double>* sfml = fastest ? RunsOf(fastest->wall, p, kFastestVariant) : nullptr;
        const std::vector<double>* sfmlCpu = fastest ? RunsOf(fastest->cpu, p, kFastestVariant) : nullptr;
        for (const GroupReport& g : groups)
            for (size_t v = 0; v < g.variants.size(); ++v) {
                const std::vector<double>* wall = RunsOf(g.wall, p, v);
                const std::vector<double>* cpu = RunsOf(g.cpu, p, v);
                if (!wall || !cpu) continue;
                table.AddRow({std::to_string(plans[p].sprites), g.variants[v], Format("%.2f", Median(*wall)),
                              RatioText(wall, sdl), RatioText(wall, sfml), RunRatios(wall, sfml),
                              Format("%.2f", Median(*cpu)), RatioText(cpu, sfmlCpu)});
            }
    }
    table.Print();

    // Call scenes: processor time per draw call, the whole frame's (the process, all its
    // threads) and the calls' alone (the calling thread between the first and the last call).
    std::printf("\nCost per draw call where the rasteriser has almost nothing to do, in ns of processor time:\n\n");
    VelmoraBench::Table calls({"N", "sprites", "variant", "whole frame ns/call", "ratio to SDL2 batched", "per run",
                               "calls alone ns/call", "median ms/frame"});
    for (size_t p = 0; p < plans.size(); ++p) {
        if (plans[p].shape == Shape::Sprite) continue;
        const double perCall = 1e6 / plans[p].sprites;  // ms per frame to ns per call
        const std::vector<double>* sdl = RunsOf(reference.cpu, p, 0);
        for (const GroupReport& g : groups)
            for (size_t v = 0; v < g.variants.size(); ++v) {
                const std::vector<double>* cpu = RunsOf(g.cpu, p, v);
                const std::vector<double>* alone = RunsOf(g.calls, p, v);
                const std::vector<double>* wall = RunsOf(g.wall, p, v);
                if (!cpu || !alone || !wall) continue;
                calls.AddRow({std::to_string(plans[p].sprites), ShapeName(plans[p].shape), g.variants[v],
                              Format("%.0f", Median(*cpu) * perCall), RatioText(cpu, sdl), RunRatios(cpu, sdl),
                              Format("%.0f", Median(*alone) * perCall), Format("%.2f", Median(*wall))});
            }
    }
    calls.Print();

    // The goals: every engine path at most as slow as the fastest peer on the sprite scenes
    // of 10,000 and 50,000, and at most half SDL2's processor time per call on the call scenes.
    std::printf("\n");
    for (const GroupReport& g : groups) {
        if (g.name != "engine") continue;
        for (size_t p = 0; p < plans.size(); ++p) {
            const bool spriteGoal = plans[p].shape == Shape::Sprite && plans[p].sprites >= 10000;
            const bool callGoal = plans[p].shape != Shape::Sprite;
            if (!spriteGoal && !callGoal) continue;
            const GroupReport* peer = spriteGoal ? fastest : &reference;
            const size_t peerVariant = spriteGoal ? kFastestVariant : 0;
            const auto& measure =
                [&](const GroupReport& r) -> const std::map<size_t, std::map<size_t, std::vector<double>>>& {
                return spriteGoal ? r.wall : r.cpu;
            };
            const std::vector<double>* base = peer ? RunsOf(measure(*peer), p, peerVariant) : nullptr;
            if (!base) continue;
            const double limit = spriteGoal ? 1.0 : 0.5;
            bool met = true;
            std::string ratios;
            for (size_t v = 0; v < g.variants.size(); ++v) {
                const std::vector<double>* mine = RunsOf(measure(g), p, v);
                if (!mine) continue;
                const double ratio = Median(*mine) / Median(*base);
                met = met && ratio <= limit;
                ratios += (ratios.empty() ? "" : ", ") + Format("%.2f", ratio);
            }
            if (spriteGoal)
                std::printf("Goal, every engine path at most as slow as SFML's vertex array at N=%d: %s (ratios %s).\n",
                            plans[p].sprites, met ? "met" : "NOT met", ratios.c_str());
            else
                std::printf(
                    "Goal, every engine path at most 0.5x SDL2's batched processor time per call, %s sprites: %s "
                    "(ratios %s).\n",
                    ShapeName(plans[p].shape), met ? "met" : "NOT met", ratios.c_str());
        }
    }
    std::printf(
        "\nRatio below 1: faster than the reference. \"per run\": the lowest and highest of the ratios run by run. "
        "CPU\n"
        "time is the process's own (all its threads, the rasteriser's too), not the X server's.\n");
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
