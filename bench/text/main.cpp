// bench_text: microseconds per call of the text drawing paths (a cached string, a new string
// every call, one new string a frame, ten cached lines) and of a draw from another texture (what
// a new string's texture costs the device, whatever it holds) against a sprite draw of a 32 x 32
// texture, on the engine's real device (off-screen when there is no display). The engine runs
// as it is and without the device's shared pages (VELMORA_NO_RASTER_SHORTCUTS=pages), each in
// child processes that take turns; prints the medians of the batches, their middle half, and
// the ratios of the medians.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <epoxy/gl.h>  // glFinish on the engine's context

#include <velmora/Velmora.h>

#include "support/BenchReport.h"

namespace {

constexpr int kWarmUpRounds = 3;

struct Case {
    const char* name;
    int callsPerBatch;
    std::function<void(int)> call;  // the argument counts the calls
};

struct Variant {
    const char* name;
    const char* noShortcuts;  // VELMORA_NO_RASTER_SHORTCUTS
};

const Variant kVariants[] = {{"as is", "0"}, {"no pages", "pages"}};

double CpuMicroseconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

// Microseconds of a batch.
struct BatchTimes {
    double calls = 0;    // the calls' wall time
    double thread = 0;   // the calling thread's processor time from the calls' start to the frame's end
    double process = 0;  // the same, all threads: the rasteriser's too
};

// One batch of a case as one frame: the calls are timed between BeginScene and EndScene, the
// present is not. The frame starts, untimed, as a game's does, with a background drawn: the
// first draw of a frame also starts the rasteriser's frame (and its clear), whatever it draws;
// a texture change to none then makes the device draw it. The frame is finished before the
// next batch, so that the rasteriser's threads are not still drawing it while the next calls
// are timed. Processor times run on to the frame's end, in which the device draws what the
// calls left in its batch.
BatchTimes TimeBatch(CGraphics* graphics, const DWORD (&background)[2], const Case* c, int* counter) {
    graphics->BeginScene();
    for (DWORD picture : background) Render(picture, 0, 0, nullptr, 0xFFFFFFFF);
    GetD3DDevice()->SetTexture(0, nullptr);
    const double threadStart = CpuMicroseconds(CLOCK_THREAD_CPUTIME_ID);
    const double processStart = CpuMicroseconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; c && i < c->callsPerBatch; ++i) c->call((*counter)++);
    const auto end = std::chrono::steady_clock::now();
    graphics->EndScene();
    glFinish();  // the device presented, so its context is the current one
    BatchTimes t;
    t.thread = CpuMicroseconds(CLOCK_THREAD_CPUTIME_ID) - threadStart;
    t.process = CpuMicroseconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
    t.calls = std::chrono::duration<double, std::micro>(end - start).count();
    return t;
}

// The value a fraction of the way through the sorted values.
double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

double Median(const std::vector<double>& values) { return Quantile(values, 0.5); }

// The child: `batches` frames of each case, taking turns, after rounds that warm the caches up. Prints one line per
// case and batch: the case, the calls' wall time per call and the calling thread's time per call with the frame's
// drawing, less a frame without calls.
int RunChild(int batches) {
    CGameApp game;
    game.SetWindowWidth(800);
    game.SetWindowHeight(600);
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "bench_text", nullptr)) {
        std::fprintf(stderr, "bench_text: the engine did not start\n");
        return 1;
    }
    CGraphics* graphics = GetGraphics();

    // One-level 32 x 32 textures, as a game's picture files give.
    auto makePicture = [](DWORD texel) {
        CTexture* picture = new CTexture();
        picture->CreateTexture(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(picture->GetTexture()->LockRect(0, &locked, nullptr, 0))) {
            for (int y = 0; y < 32; ++y)
                std::fill_n(reinterpret_cast<DWORD*>(static_cast<char*>(locked.pBits) + y * locked.Pitch), 32, texel);
            picture->GetTexture()->UnlockRect(0);
        }
        return GetTextureManager()->InsertTexture(picture, MEM_STATIC);
    };
    const DWORD sprite = makePicture(0xFFFFFFFF);
    const DWORD other = makePicture(0x80FF8040);
    const DWORD background[2] = {makePicture(0xFF203040), sprite};
    GFont font;
    font.CreateFontA("\xCB\xCE\xCC\xE5", 12, 0, 400);
    font.SetLineCount(50);
    // The system font's face and size, with a cache of its own: a hundred new strings a frame
    // through the system font would push the other cases' strings out of its cache every
    // round, and the cached string would be rendered again at the start of each of its batches.
    GFont churning;
    churning.CreateFontA("\xCB\xCE\xCC\xE5", 12, 0, 400);
    // Ten different lines of 50 bytes each.
    std::string tenLines;
    for (int i = 0; i < 10; ++i) {
        std::string line = "Line " + std::to_string(i) + " of a text that the font breaks";
        tenLines += line.append(50 - line.size(), '.');
    }

    const Case cases[] = {
        {"sprite: Render 32x32 at a point", 2000,
         [&](int i) { Render(sprite, i % 700, i % 500, nullptr, 0xFFFFFFFF); }},
        {"DrawSingleLine, cached string", 2000,
         [&](int i) { DrawSingleLine(i % 300, i % 500, 0xFFFFFF00, false, "%s", "Score: 12345 (cached)"); }},
        {"GFont::DrawSingleLine, new string", 100,
         [&](int i) { churning.DrawSingleLine(i % 300, i % 500, 0xFFFFFF00, false, "Score: %d (new)", i); }},
        // A score or timer: one string the cache does not hold, every frame, with a sprite drawn
        // after it. Without pages the sprite makes the device draw the string and upload its
        // pixels inside the calls' timing; with them, the frame's end does.
        {"DrawSingleLine, one new string a frame (+1 sprite)", 1,
         [&](int i) {
             DrawSingleLine(20, 20, 0xFFFFFF00, false, "Time: %d.%02d", i / 100, i % 100);
             Render(sprite, 0, 0, nullptr, 0xFFFFFFFF);
         }},
        // What any draw from another texture costs here, string or not: the same two draws the
        // device makes for the new string above, without the string's own work.
        {"Render of another texture, one a frame (+1 sprite)", 1,
         [&](int) {
             Render(other, 20, 20, nullptr, 0xFFFFFF00);
             Render(sprite, 0, 0, nullptr, 0xFFFFFFFF);
         }},
        {"GFont::DrawTextA, 10 cached lines", 200,
         [&](int i) { font.DrawTextA(i % 300, 0, 0xFFFFFFFF, "%s", tenLines.c_str()); }},
    };

    // The cases take turns batch by batch, so that a change in the machine's load falls on
    // all of them alike; each case's frame follows a frame without calls, the measure of what a
    // frame costs the calling thread by itself (which also takes what the frame before leaves
    // behind). The first rounds warm the caches and the device's pages up and are not counted.
    std::vector<int> counters(std::size(cases), 0);
    int none = 0;
    for (int round = 0; round < kWarmUpRounds + batches; ++round)
        for (size_t i = 0; i < std::size(cases); ++i) {
            const BatchTimes empty = TimeBatch(graphics, background, nullptr, &none);
            const BatchTimes t = TimeBatch(graphics, background, &cases[i], &counters[i]);
            const double n = cases[i].callsPerBatch;
            if (round >= kWarmUpRounds)
                std::printf("batch %zu %.4f %.4f %.4f\n", i, t.calls / n, (t.thread - empty.thread) / n,
                            (t.process - empty.process) / n);
        }
    for (size_t i = 0; i < std::size(cases); ++i) std::printf("case %zu %s\n", i, cases[i].name);
    std::fflush(stdout);

    game.Destroy();
    DestroyWindow(game.GetWndHandle());
    return 0;
}

// Per case, the figures of BatchTimes per call, less a frame without calls.
struct Times {
    std::vector<std::string> names;
    std::vector<std::vector<double>> calls, thread, process;
};

// Runs this program as a child with a variant's environment; false when it failed.
bool RunVariant(const Variant& v, int batches, Times* times) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        setenv("VELMORA_NO_RASTER_SHORTCUTS", v.noShortcuts, 1);
        const std::string count = std::to_string(batches);
        const char* argv[] = {"bench_text", "--child", count.c_str(), nullptr};
        execv("/proc/self/exe", const_cast<char* const*>(argv));
        _exit(127);
    }
    close(fds[1]);
    std::string output;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof(buffer))) > 0) output.append(buffer, size_t(got));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        size_t index = 0;
        double calls = 0, thread = 0, process = 0;
        int used = 0;
        if (std::sscanf(line.c_str(), "batch %zu %lf %lf %lf", &index, &calls, &thread, &process) == 4) {
            if (index >= times->calls.size()) {
                times->calls.resize(index + 1);
                times->thread.resize(index + 1);
                times->process.resize(index + 1);
            }
            times->calls[index].push_back(calls);
            times->thread[index].push_back(thread);
            times->process[index].push_back(process);
        } else if (std::sscanf(line.c_str(), "case %zu %n", &index, &used) == 1 && used > 0) {
            if (index >= times->names.size()) times->names.resize(index + 1);
            times->names[index] = line.substr(size_t(used));
        }
    }
    return !times->calls.empty() && times->names.size() == times->calls.size();
}

std::string Spread(const std::vector<double>& values) {
    return VelmoraBench::Format("%.2f", Median(values)) + " (" + VelmoraBench::Format("%.2f", Quantile(values, 0.25)) +
           "-" + VelmoraBench::Format("%.2f", Quantile(values, 0.75)) + ")";
}

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--quick] [--rounds N] [--batches N]\n"
                 "  Times the text drawing paths headless, the engine as it is and without the device's\n"
                 "  shared pages, each variant in child processes taking turns. Defaults: 5 rounds of\n"
                 "  13 batches a case (--quick: 1 round of 3).\n",
                 program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5, batches = 13;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--child") == 0 && i + 1 < argc) return RunChild(std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--quick") == 0) {
            rounds = 1, batches = 3;
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--batches") == 0 && i + 1 < argc) {
            batches = std::atoi(argv[++i]);
        } else {
            return Usage(argv[0]);
        }
    }
    if (rounds < 1 || batches < 1) return Usage(argv[0]);

    std::printf("%d rounds of %d batches a case and variant; load average at start %s\n", rounds, batches,
                VelmoraBench::LoadAverage().c_str());
    const size_t variants = std::size(kVariants);
    std::vector<Times> times(variants);
    for (int round = 0; round < rounds; ++round)
        for (size_t k = 0; k < variants; ++k) {
            const size_t v = (k + size_t(round)) % variants;  // each variant goes first in turn
            if (!RunVariant(kVariants[v], batches, &times[v])) {
                std::fprintf(stderr, "bench_text: a run failed (%s)\n", kVariants[v].name);
                return 1;
            }
        }
    const Times& now = times[0];
    const Times& plain = times[1];
    const size_t cases = now.names.size();
    if (plain.names.size() != cases) return 1;

    std::printf(
        "\nus per call, median (middle half). calls: the calls' wall time, the goals' measure. thread, process: the\n"
        "calling thread's and the whole process's processor time from the calls' start to the frame's end, where the\n"
        "device draws what the calls left in its batch, less a frame without calls\n");
    VelmoraBench::Table table({"case", "calls, as is", "x sprite", "calls, no pages", "thread, as is",
                               "thread, no pages", "process, as is", "process, no pages"});
    std::vector<double> medians;
    for (size_t i = 0; i < cases; ++i) medians.push_back(Median(now.calls[i]));
    for (size_t i = 0; i < cases; ++i)
        table.AddRow({now.names[i], Spread(now.calls[i]), VelmoraBench::Format("%.2f", medians[i] / medians[0]),
                      Spread(plain.calls[i]), Spread(now.thread[i]), Spread(plain.thread[i]), Spread(now.process[i]),
                      Spread(plain.process[i])});
    table.Print();

    const bool met = medians[1] <= 2.0 * medians[0];
    std::printf("goal: a cached string costs at most 2 x a sprite draw: %s\n", met ? "met" : "NOT met");
    const bool newMet = medians[3] <= 50.0 * medians[0];
    std::printf("goal: a new string, one a frame, costs at most 50 x a sprite draw: %s\n", newMet ? "met" : "NOT met");
    std::printf("the new string's own part (one a frame, less another texture's draw): %.2f us, %.0f x a sprite draw\n",
                medians[3] - medians[4], (medians[3] - medians[4]) / medians[0]);
    const double perLine = medians[5] / 10.0;
    std::printf("goal: ten cached lines of GFont::DrawTextA cost at most 2 us a line: %.2f us a line, %s\n", perLine,
                perLine <= 2.0 ? "met" : "NOT met");
    std::printf(
        "  a line: calls %.2f us (no pages %.2f); the calling thread to the frame's end %.2f us (no pages %.2f); "
        "the process %.2f us (no pages %.2f)\n",
        perLine, Median(plain.calls[5]) / 10.0, Median(now.thread[5]) / 10.0, Median(plain.thread[5]) / 10.0,
        Median(now.process[5]) / 10.0, Median(plain.process[5]) / 10.0);
    std::printf("load average at the end %s\n", VelmoraBench::LoadAverage().c_str());
    return 0;
}
