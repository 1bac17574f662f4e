// bench_frames: what real screens cost. Runs the example game, Breakout, headless at its 60
// frames a second for a fixed number of paced frames, on its title screen and in a match its
// autopilot plays, and measures per frame the processor time of the whole process, of the main
// thread (in all, and in the loop's wait between frames) and of the rasteriser's threads, the
// wall time, and how far each frame start lies from the interval after the one before it. Each
// variant (the engine as it is, and with its newer savings switched off through the environment,
// which gives the engine as it was before them, and the engine recording the session, as
// VELMORA_RECORD does) runs in a child process of its own, the variants taking turns run by run,
// so that every ratio compares runs made side by side. --replay-size MINUTES records an autopilot
// match that long, says how large its replay file is, and replays it.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "BreakoutGame.h"
#include "SaveFile.h"
#include "support/BenchReport.h"

namespace {

using VelmoraBench::Format;
using VelmoraBench::Median;

constexpr int kFps = 60;
constexpr int kWarmUpFrames = 60;

struct Variant {
    const char* name;
    const char* busyWait;     // VELMORA_BUSY_WAIT
    const char* noShortcuts;  // VELMORA_NO_RASTER_SHORTCUTS
    bool record;              // VELMORA_RECORD into a file of its own
};

// The first is the reference of the ratios: the frame loop's old wait, and the device without
// the shortcuts added since (which gives the device as it was: a previous build's pictures
// and times were checked against it).
const Variant kVariants[] = {
    {"before: busy wait, no new shortcuts", "1", "trim,opaque,white,pages", false},
    {"new wait, no new shortcuts", "0", "trim,opaque,white,pages", false},
    {"now without shared pages", "0", "pages", false},
    {"now", "0", "0", false},
    {"now, recording", "0", "0", true},
};
constexpr size_t kNow = 3, kRecording = 4;

const char* const kScreens[] = {"title", "match"};

int64_t Nanoseconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Processor time of this process's threads but the main one, in ns: the rasteriser's
// (llvmpipe's workers) and the others', from /proc/self/task/*/schedstat (time on a processor,
// to the nanosecond).
void ThreadTimes(int64_t* rasteriser, int64_t* others) {
    *rasteriser = *others = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return;
    const std::string mainThread = std::to_string(getpid());
    while (dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.' || mainThread == entry->d_name) continue;
        const std::string folder = std::string("/proc/self/task/") + entry->d_name;
        char name[64] = {};
        long long onCpu = 0;
        if (FILE* f = std::fopen((folder + "/comm").c_str(), "r")) {
            if (!std::fgets(name, sizeof(name), f)) name[0] = 0;
            std::fclose(f);
        }
        if (FILE* f = std::fopen((folder + "/schedstat").c_str(), "r")) {
            if (std::fscanf(f, "%lld", &onCpu) != 1) onCpu = 0;
            std::fclose(f);
        }
        (std::strncmp(name, "llvmpipe", 8) == 0 ? *rasteriser : *others) += onCpu;
    }
    closedir(tasks);
}

struct Snapshot {
    int64_t wall, process, main, rasteriser, others;
    static Snapshot Take() {
        Snapshot s{Nanoseconds(CLOCK_MONOTONIC), Nanoseconds(CLOCK_PROCESS_CPUTIME_ID),
                   Nanoseconds(CLOCK_THREAD_CPUTIME_ID), 0, 0};
        ThreadTimes(&s.rasteriser, &s.others);
        return s;
    }
};

// The game, timed from outside its frames: nothing of the game changes.
class MeasuredGame : public BreakoutGame {
public:
    MeasuredGame(Options options, int frames, std::string picture)
        : BreakoutGame(std::move(options)), m_nFrames(frames), m_strPicture(std::move(picture)) {}

    void MainLoop() override {
        const int64_t start = Nanoseconds(CLOCK_MONOTONIC);
        const int64_t mainNow = Nanoseconds(CLOCK_THREAD_CPUTIME_ID);
        if (m_nFrame == kWarmUpFrames) m_First = Snapshot::Take();
        if (m_nFrame > kWarmUpFrames) m_nWaiting += mainNow - m_nLastEnd;
        if (m_nFrame >= kWarmUpFrames) m_Starts.push_back(start);
        if (m_nFrame == kWarmUpFrames + m_nFrames) {
            m_Last = Snapshot::Take();
            // The last frame is still in the back buffer.
            if (!m_strPicture.empty()) GetGraphics()->SnapToFile(m_strPicture.c_str());
            PostQuitMessage(0);
            return;
        }
        ++m_nFrame;
        BreakoutGame::MainLoop();
        m_nLastEnd = Nanoseconds(CLOCK_THREAD_CPUTIME_ID);
    }

    bool Finished() const { return m_nFrame == kWarmUpFrames + m_nFrames; }

    // One line: per frame in ms, the waiting share of a core, the frame starts' distance
    // from the interval (median, 99th percentile, worst) in ms.
    void Report() const {
        const double frames = m_nFrames;
        auto perFrame = [&](int64_t first, int64_t last) { return double(last - first) / 1e6 / frames; };
        const int64_t interval = int64_t(1000 / kFps) * 1000000;  // SetFPS's whole milliseconds
        std::vector<double> off;
        for (size_t i = 1; i < m_Starts.size(); ++i)
            off.push_back(double(std::llabs(m_Starts[i] - m_Starts[i - 1] - interval)) / 1e6);
        std::sort(off.begin(), off.end());
        auto quantile = [&](double q) { return off.empty() ? 0.0 : off[size_t(q * double(off.size() - 1) + 0.5)]; };
        std::printf("result %.4f %.4f %.4f %.4f %.4f %.4f %.5f %.4f %.4f %.4f\n", perFrame(m_First.wall, m_Last.wall),
                    perFrame(m_First.process, m_Last.process), perFrame(m_First.main, m_Last.main),
                    perFrame(m_First.rasteriser, m_Last.rasteriser), perFrame(m_First.others, m_Last.others),
                    perFrame(0, m_nWaiting), 100.0 * double(m_nWaiting) / double(m_Last.wall - m_First.wall),
                    quantile(0.5), quantile(0.99), off.empty() ? 0.0 : off.back());
    }

private:
    int m_nFrames;
    std::string m_strPicture;
    int m_nFrame = 0;
    int64_t m_nLastEnd = 0;
    int64_t m_nWaiting = 0;  // the main thread's processor time between frames
    Snapshot m_First{}, m_Last{};
    std::vector<int64_t> m_Starts;
};

// The child: one screen, one variant (chosen by the environment it was given); the last frame
// goes to `picture` when one is named.
int RunScreen(const std::string& screen, int frames, const std::string& picture) {
    if (chdir(BREAKOUT_FOLDER) != 0) {
        std::fprintf(stderr, "bench_frames: no Breakout build in %s\n", BREAKOUT_FOLDER);
        return 1;
    }
    // A save file of its own, with a full high-score table for the title screen to show.
    char folder[] = "/tmp/bench_frames_XXXXXX";
    if (!mkdtemp(folder)) return 1;
    HighScoreTable scores;
    const char* names[] = {"Ayla", "Bram", "Chen", "Dara", "Emil"};
    for (int i = 0; i < HighScoreTable::kSize; ++i) scores.Insert(names[i], 4200 - 700 * i, 5 - i);
    scores.Save(SaveFile::PathIn(folder));

    BreakoutGame::Options options;
    options.dataFolder = folder;
    options.autopilot = screen == "match";
    MeasuredGame game(options, frames, picture);
    game.SetFPS(kFps);
    int status = 1;
    if (game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "bench_frames", nullptr) && game.Load()) {
        game.Run();
        if (game.Finished()) {
            game.Report();
            status = 0;
        }
    } else {
        std::fprintf(stderr, "bench_frames: Breakout did not start\n");
    }
    game.Destroy();
    DestroyWindow(game.GetWndHandle());
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::fflush(stdout);
    return status;
}

struct Result {
    double wall, process, main, rasteriser, others, waiting, waitingShare, jitter50, jitter99, jitterWorst;
    long long recorded;  // bytes of the replay file, when recording
};

// A replay file for a child of this process, in the working folder.
std::string ReplayFile() {
    char folder[4096];
    const std::string here = getcwd(folder, sizeof(folder)) ? folder : ".";
    return here + "/frames_" + std::to_string(getpid()) + ".vlmreplay";
}

long long FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? (long long)st.st_size : -1;
}

// Runs this program as a child with a variant's environment (and `extra`, NAME=VALUE, beside
// it); false when it failed. What the child writes on standard error goes to `errors`.
bool RunChild(const Variant& v, const std::string& screen, int frames, const std::string& picture, Result* result,
              const std::vector<std::string>& extra = {}, std::string* errors = nullptr) {
    const std::string replay = ReplayFile();
    if (v.record) std::remove(replay.c_str());
    int err[2] = {-1, -1};
    if (errors && pipe(err) != 0) return false;
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        if (errors) {
            dup2(err[1], STDERR_FILENO);
            close(err[0]);
            close(err[1]);
        }
        setenv("VELMORA_BUSY_WAIT", v.busyWait, 1);
        setenv("VELMORA_NO_RASTER_SHORTCUTS", v.noShortcuts, 1);
        if (v.record) setenv("VELMORA_RECORD", replay.c_str(), 1);
        for (const std::string& e : extra) putenv(const_cast<char*>(e.c_str()));
        const std::string count = std::to_string(frames);
        const char* argv[] = {"bench_frames", "--child", screen.c_str(), count.c_str(), picture.c_str(), nullptr};
        execv("/proc/self/exe", const_cast<char* const*>(argv));
        _exit(127);
    }
    close(fds[1]);
    if (errors) close(err[1]);
    std::string output;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof(buffer))) > 0) output.append(buffer, size_t(got));
    close(fds[0]);
    if (errors) {
        while ((got = read(err[0], buffer, sizeof(buffer))) > 0) errors->append(buffer, size_t(got));
        close(err[0]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result->recorded = v.record ? FileSize(replay) : 0;
    if (v.record && extra.empty()) std::remove(replay.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        Result r{};
        if (std::sscanf(line.c_str(), "result %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf", &r.wall, &r.process, &r.main,
                        &r.rasteriser, &r.others, &r.waiting, &r.waitingShare, &r.jitter50, &r.jitter99,
                        &r.jitterWorst) == 10) {
            r.recorded = result->recorded;
            *result = r;
            return true;
        }
    }
    return false;
}

// Where a variant's last title frame is saved: the working folder, named absolutely for the
// child, which works in the game's folder.
std::string TitlePicture(size_t variant) {
    char folder[4096];
    const std::string here = getcwd(folder, sizeof(folder)) ? folder : ".";
    return here + "/frames_title_" + std::to_string(variant) + ".bmp";
}

// True when both files exist and hold the same bytes.
bool SameFile(const std::string& a, const std::string& b) {
    auto read = [](const std::string& path, std::string* bytes) {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) return false;
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes->append(buffer, got);
        std::fclose(f);
        return true;
    };
    std::string x, y;
    return read(a, &x) && read(b, &y) && x == y;
}

// "median (lowest-highest)" of a figure over the rounds.
std::string Spread(const std::vector<double>& values, const char* format) {
    if (values.empty()) return "-";
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return Format(format, Median(values)) + " (" + Format(format, *low) + "-" + Format(format, *high) + ")";
}

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--quick] [--rounds N] [--frames N] | --replay-size MINUTES\n"
                 "  Breakout's title screen and an autopilot match, %d frames a second, headless; each\n"
                 "  variant in a child process, taking turns. Defaults: 5 rounds of 300 frames\n"
                 "  (--quick: 1 round of 30). --replay-size records a match of MINUTES and replays it.\n",
                 program, kFps);
    return 2;
}

// Records an autopilot match of `minutes` at the game's pace, then replays it as fast as it goes.
int ReplaySize(double minutes) {
    const int frames = int(minutes * 60 * kFps);
    std::printf(
        "Breakout's autopilot match recorded for %d frames (%.1f minutes at %d frames a second); load "
        "average at start %s\n",
        frames, minutes, kFps, VelmoraBench::LoadAverage().c_str());
    const std::string file = ReplayFile();
    const std::vector<std::string> keep = {"BENCH_FRAMES_KEEP=1"};
    Result recorded{}, replayed{};
    if (!RunChild(kVariants[kRecording], "match", frames, "", &recorded, keep)) {
        std::fprintf(stderr, "bench_frames: the recorded match failed\n");
        return 1;
    }
    std::printf("replay file: %lld bytes (%.1f KiB a minute); the recorded run's process time %.2f ms a frame\n",
                recorded.recorded, double(recorded.recorded) / 1024.0 / minutes, recorded.process);
    Variant replay = kVariants[kNow];
    replay.name = "replay";
    std::string report;
    const bool ran =
        RunChild(replay, "match", frames, "", &replayed, {"VELMORA_REPLAY=" + file, "VELMORA_REPLAY_FAST=1"}, &report);
    std::remove(file.c_str());
    const size_t summary = report.find("velmora: replay of ");
    std::printf("%s\n", summary == std::string::npos
                            ? "no replay report"
                            : report.substr(summary, report.find('\n', summary) - summary).c_str());
    if (ran) std::printf("the replay's wall time %.2f ms a frame (as fast as it goes)\n", replayed.wall);
    std::printf("load average at the end %s\n", VelmoraBench::LoadAverage().c_str());
    return ran && report.find(" checkpoints matched") != std::string::npos &&
                   report.find("differs") == std::string::npos
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5, frames = 300;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--child") == 0 && i + 3 < argc)
            return RunScreen(argv[i + 1], std::atoi(argv[i + 2]), argv[i + 3]);
        if (std::strcmp(argv[i], "--replay-size") == 0 && i + 1 < argc) return ReplaySize(std::atof(argv[i + 1]));
        if (std::strcmp(argv[i], "--quick") == 0) {
            rounds = 1, frames = 30;
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else {
            return Usage(argv[0]);
        }
    }
    if (rounds < 1 || frames < 2) return Usage(argv[0]);

    const size_t variants = std::size(kVariants);
    std::printf(
        "Breakout, %d frames a second (frames start 16 ms apart), %d measured frames after %d, %d rounds; "
        "load average at start %s\n",
        kFps, frames, kWarmUpFrames, rounds, VelmoraBench::LoadAverage().c_str());
    bool failed = false;
    for (const char* screen : kScreens) {
        // results[variant][round]
        std::vector<std::vector<Result>> results(variants);
        for (int round = 0; round < rounds; ++round)
            for (size_t k = 0; k < variants; ++k) {
                const size_t v = (k + size_t(round)) % variants;  // each variant goes first in turn
                // The title screen stands still: its last frame must be the same in every variant.
                const bool still = std::strcmp(screen, "title") == 0 && round == 0;
                const std::string picture = still ? TitlePicture(v) : "";
                Result r{};
                if (!RunChild(kVariants[v], screen, frames, picture, &r)) {
                    std::fprintf(stderr, "bench_frames: the %s screen's run failed (%s)\n", screen, kVariants[v].name);
                    failed = true;
                    continue;
                }
                results[v].push_back(r);
            }
        if (std::strcmp(screen, "title") == 0) {
            bool same = true;
            for (size_t v = 1; v < variants; ++v) same = same && SameFile(TitlePicture(0), TitlePicture(v));
            std::printf("\ntitle screen's last frame: %s\n",
                        same ? "the same picture in every variant" : "PICTURES DIFFER");
            failed = failed || !same;
        }
        std::printf(
            "\n%s screen: ms per frame, median (lowest-highest) over the rounds; ratios of each round's run "
            "to the same round's first variant\n",
            screen);
        VelmoraBench::Table table({"variant", "process", "x before", "main thread", "waiting (% core)", "rasteriser",
                                   "wall", "start off p50/p99/worst"});
        for (size_t v = 0; v < variants; ++v) {
            const std::vector<Result>& rs = results[v];
            std::vector<double> process, ratio, main, share, raster, wall, j50, j99, jw;
            for (size_t r = 0; r < rs.size(); ++r) {
                process.push_back(rs[r].process);
                if (r < results[0].size()) ratio.push_back(rs[r].process / results[0][r].process);
                main.push_back(rs[r].main);
                share.push_back(rs[r].waitingShare);
                raster.push_back(rs[r].rasteriser);
                wall.push_back(rs[r].wall);
                j50.push_back(rs[r].jitter50);
                j99.push_back(rs[r].jitter99);
                jw.push_back(rs[r].jitterWorst);
            }
            table.AddRow({kVariants[v].name, Spread(process, "%.2f"), Spread(ratio, "%.2f"), Spread(main, "%.2f"),
                          Spread(share, "%.2f"), Spread(raster, "%.2f"), Spread(wall, "%.2f"),
                          Format("%.2f", Median(j50)) + "/" + Format("%.2f", Median(j99)) + "/" +
                              Format("%.2f", jw.empty() ? 0.0 : *std::max_element(jw.begin(), jw.end()))});
        }
        table.Print();
        // The recording's cost: each round's recording run against the same round's run without.
        std::vector<double> cost;
        std::vector<long long> bytes;
        for (size_t r = 0; r < results[kRecording].size() && r < results[kNow].size(); ++r) {
            cost.push_back(100.0 * (results[kRecording][r].process / results[kNow][r].process - 1));
            bytes.push_back(results[kRecording][r].recorded);
        }
        if (!cost.empty())
            std::printf(
                "recording: %s %% of a frame's process time (median, lowest-highest over the rounds), a "
                "replay file of %lld bytes for %d frames\n",
                Spread(cost, "%+.2f").c_str(), bytes[0], frames + kWarmUpFrames);
    }
    std::printf(
        "\ngoals: the title screen's process time at most 0.5 x before, a match's at most 0.7 x; the main "
        "thread waiting at most 1 %% of a core; frame starts within 1 ms of the interval at the 99th "
        "percentile; recording at most 2 %% of a frame's process time\nload average at the end %s\n",
        VelmoraBench::LoadAverage().c_str());
    return failed ? 1 : 0;
}
