// breakout [--autopilot] [--data DIR] [--frames N] [--snap FILE.bmp] [--fullscreen] [--record FILE]
//          | --scores [--data DIR]
// Velmora's example game. Its files (art, effects, screens, texts) lie beside the program,
// where its build puts them; the player's high scores and settings are kept in DIR
// (by default ~/.local/share/velmora-breakout). --autopilot lets the paddle play by itself;
// --frames and --snap run a fixed number of frames and save the last one, which lets it run
// headless; --record FILE records the session into FILE for a replay (VELMORA_REPLAY=FILE);
// --scores prints the high-score table and quits.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BreakoutGame.h"
#include "SaveFile.h"

namespace {

// A path given on the command line, made absolute before the game moves into its folder.
std::string Absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    return getcwd(cwd, sizeof(cwd)) ? std::string(cwd) + "/" + path : path;
}

// Like a Windows game, the game works in its own folder: its description files name their
// pictures from there, and the engine looks file names up from the working directory.
bool EnterGameFolder() {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (n <= 0) return false;
    std::string folder(exe, size_t(n));
    folder.erase(folder.find_last_of('/'));
    return chdir(folder.c_str()) == 0;
}

int PrintScores(const std::string& folder) {
    HighScoreTable scores;
    scores.Load(SaveFile::PathIn(folder));
    std::printf("high scores in %s:\n", SaveFile::PathIn(folder).c_str());
    int rank = 0;
    for (const HighScore& entry : scores.Entries())
        std::printf("%d. %s %d (level %d)\n", ++rank, entry.name.c_str(), entry.score, entry.level);
    return 0;
}

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--autopilot] [--data DIR] [--frames N] [--snap FILE.bmp] [--fullscreen] [--record FILE]\n"
                 "       %s --scores [--data DIR]\n",
                 program, program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    BreakoutGame::Options options;
    bool windowed = true, printScores = false;
    std::string recording;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--frames") == 0 && hasValue) {
            options.frames = std::atoi(argv[++i]);
            if (options.frames <= 0) return Usage(argv[0]);
        } else if (std::strcmp(argv[i], "--snap") == 0 && hasValue) {
            options.snapFile = Absolute(argv[++i]);
        } else if (std::strcmp(argv[i], "--record") == 0 && hasValue) {
            recording = Absolute(argv[++i]);
        } else if (std::strcmp(argv[i], "--data") == 0 && hasValue) {
            options.dataFolder = Absolute(argv[++i]);
        } else if (std::strcmp(argv[i], "--autopilot") == 0) {
            options.autopilot = true;
        } else if (std::strcmp(argv[i], "--fullscreen") == 0) {
            windowed = false;
        } else if (std::strcmp(argv[i], "--scores") == 0) {
            printScores = true;
        } else {
            return Usage(argv[0]);
        }
    }
    if (options.dataFolder.empty()) options.dataFolder = SaveFile::DefaultFolder();
    if (printScores) return PrintScores(options.dataFolder);
    // Without a display the game runs off-screen: for a limited number of frames.
    const bool headless = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    if (headless && options.frames == 0) options.frames = 300;
    if (!options.snapFile.empty() && options.frames == 0) options.frames = 300;
    if (!EnterGameFolder()) std::fprintf(stderr, "breakout: can't enter the game's folder\n");

    BreakoutGame game(options);
    game.SetWindowMode(windowed);
    game.SetFPS(60);
    game.SetDLLFileLog(true);  // VLMLog.html, beside the game
    // [record]
    // A player who meets a bug runs the game with --record and sends the file; the developer
    // runs it with VELMORA_REPLAY=FILE and sees the same session. (VELMORA_RECORD=FILE in the
    // environment records any game without this.)
    if (!recording.empty()) game.StartRecording(recording.c_str());
    // [/record]
    if (!game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "Velmora Breakout", nullptr)) {
        game.Destroy();
        return 1;
    }
    const bool loaded = game.Load();
    game.Run();
    game.Finish();
    game.Destroy();
    std::printf("breakout: %d frames, score %d%s%s%s\n", game.FramesRun(), game.LastScore(),
                game.LastRank() >= 0 ? ", a high score" : "", options.snapFile.empty() ? "" : ", last frame saved to ",
                options.snapFile.c_str());
    return loaded ? 0 : 1;
}
