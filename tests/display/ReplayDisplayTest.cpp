// A player's session recorded on a real X server and replayed headless: Breakout under Xvfb,
// played through xdotool (the pointer, a click on Play, keys, Alt+F4) as a player would, with
// VELMORA_RECORD; then the recording replayed off-screen, as fast as it goes, which must show
// the same pictures at every checkpoint and at the end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "XSession.h"

#ifdef BREAKOUT_GAME  // built with the example game

namespace {

using xsession::Clock;
using xsession::GameProcess;
using xsession::XClient;
using xsession::XServer;

std::string Folder(const std::string& name) {
    mkdir("runs", 0755);
    const std::string folder = "runs/" + name;
    mkdir(folder.c_str(), 0755);
    char absolute[4096];
    return realpath(folder.c_str(), absolute) ? absolute : folder;
}

// What a command printed on standard output and standard error, and its exit status.
std::string Output(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int raw = pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

TEST(ReplayDisplayTest, ASessionPlayedOnARealServerReplaysHeadless) {
    XServer server;
    std::string why;
    if (!server.Start(&why)) GTEST_SKIP() << "no X server: " << why;
    int status = -1;
    Output("xdotool --version", &status);
    ASSERT_EQ(status, 0) << "no xdotool (scripts/setup.sh installs it)";

    const std::string folder = Folder("replay"), session = folder + "/session.vlmreplay";
    std::remove(session.c_str());
    // A frame limit far away: headless, the game would otherwise stop after 300 frames.
    GameProcess game;
    ASSERT_TRUE(game.Start(BREAKOUT_GAME, folder, server.Name(), {"VELMORA_RECORD=" + session},
                           {"--frames", "1000000", "--data", folder + "/recorded-scores"}));
    XClient x;
    ASSERT_TRUE(x.Open(server.Name()));
    Window window = 0;
    for (const auto deadline = Clock::now() + std::chrono::seconds(60); !window && Clock::now() < deadline;) {
        window = x.GameWindow();
        if (!window) poll(nullptr, 0, 50);  // until the game has made its window
    }
    ASSERT_NE(window, 0u) << "the game showed no window";

    // The player: over the Play button and click, the pointer left and right under the ball,
    // P twice (a pause), Esc back to the title, and Alt+F4. xdotool waits between steps as a
    // player does, the game running its frames meanwhile.
    const std::string w = std::to_string(window);
    const std::string play = "DISPLAY=" + server.Name() + " xdotool windowfocus --sync " + w +
                             " sleep 1.5 mousemove --window " + w + " 210 250 sleep 0.5 click 1 sleep 1 " +
                             "mousemove --window " + w + " 200 500 sleep 0.6 mousemove --window " + w +
                             " 600 500 sleep 0.6 key p sleep 0.4 key p sleep 0.6 mousemove --window " + w +
                             " 400 520 sleep 0.5 key Escape sleep 0.5 key alt+F4";
    const std::string played = Output(play, &status);
    ASSERT_EQ(status, 0) << played;
    int exitStatus = -1;
    ASSERT_TRUE(game.WaitExit(30000, &exitStatus)) << "Alt+F4 did not end the game";
    ASSERT_TRUE(WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == 0) << "status " << exitStatus;

    // Off-screen, on a fresh high-score table as the recorded game had.
    const std::string replay = "cd " + folder + " && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen " +
                               "VELMORA_REPLAY=" + session + " VELMORA_REPLAY_FAST=1 " + BREAKOUT_GAME +
                               " --frames 1000000 --data " + folder + "/replayed-scores";
    const std::string report = Output(replay, &status);
    EXPECT_EQ(status, 0) << report;
    int frames = 0, recorded = 0, matched = 0, checkpoints = 0;
    const size_t at = report.find("velmora: replay of ");
    ASSERT_NE(at, std::string::npos) << report;
    const std::string summary = report.substr(report.find(": ", at + 19) + 2);
    ASSERT_EQ(std::sscanf(summary.c_str(), "%d frames replayed of %d recorded, %d of %d checkpoints matched", &frames,
                          &recorded, &matched, &checkpoints),
              4)
        << report;
    EXPECT_GE(recorded, 120) << report;
    EXPECT_EQ(frames, recorded) << report;
    EXPECT_GE(checkpoints, 2) << report;
    EXPECT_EQ(matched, checkpoints) << report;
    EXPECT_NE(summary.find("the last picture the same"), std::string::npos) << report;
}

}  // namespace

#endif
