// CGameApp: window geometry, frame pacing, suspension, quit paths, FPS, start-up and
// shut-down, all on the manual clock with injected window-system events.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "support/EngineTest.h"

namespace {

using VelmoraTest::GetClock;
using VelmoraTest::InjectAt;

// A game that records when each frame started and can act on a given frame.
class RecordingGame : public CGameApp {
public:
    std::vector<DWORD> frameTimes;
    std::function<void(RecordingGame&)> onFrame;
    DWORD workPerFrame = 0;  // simulated time spent in MainLoop
    size_t maxFrames = 100000;

    void MainLoop() override {
        frameTimes.push_back(m_dwLastFrameTime);  // when this frame started
        if (workPerFrame) VelmoraTest::AdvanceClock(workPerFrame);
        if (onFrame) onFrame(*this);
        if (frameTimes.size() >= maxFrames) PostQuitMessage(0);
    }
};

class GameAppTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        VelmoraTest::SetClockTickEveryReads(3);  // time passes while the loop polls
    }
    void TearDown() override {
        if (game.GetWndHandle()) DestroyWindow(game.GetWndHandle());
        EngineTest::TearDown();
    }
    void Start() { ASSERT_EQ(game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "test", nullptr), 1); }
    void RunAndDestroy() {
        game.Run();
        EXPECT_EQ(game.Destroy(), 1);
    }

    RecordingGame game;
};

TEST_F(GameAppTest, WindowedStartIsCentredWithTheClassicFrame) {
    Start();
    RECT outer{}, client{};
    ASSERT_TRUE(GetWindowRect(game.GetWndHandle(), &outer));
    ASSERT_TRUE(GetClientRect(game.GetWndHandle(), &client));
    int width = 800 + 2 * GetSystemMetrics(SM_CXDLGFRAME);
    int height = 600 + 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(outer.right - outer.left, width);
    EXPECT_EQ(outer.bottom - outer.top, height);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    EXPECT_EQ(GetWindowLongA(game.GetWndHandle(), GWL_STYLE), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(GetMainApp(), &game);
    EXPECT_NE(GetLog(), nullptr);
    game.Destroy();
    EXPECT_EQ(GetLog(), nullptr);
}

TEST_F(GameAppTest, FullScreenStartIsATopMostPopupOverTheScreen) {
    game.SetWindowMode(false);
    Start();
    RECT outer{};
    GetWindowRect(game.GetWndHandle(), &outer);
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(outer.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(outer.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(game.GetWndHandle(), GWL_STYLE)), static_cast<DWORD>(WS_POPUP));
    EXPECT_TRUE(GetWindowLongA(game.GetWndHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    game.Destroy();
}

TEST_F(GameAppTest, SetFPSTruncatesTheInterval) {
    struct Case {
        int fps;
        DWORD intervalBetweenFrames;
    };
    for (Case c : {Case{60, 16}, {30, 33}, {75, 13}}) {
        RecordingGame paced;
        paced.SetFPS(c.fps);
        paced.maxFrames = 30;
        ASSERT_EQ(paced.InitApplication(nullptr, SW_SHOW, "paced", nullptr), 1);
        paced.Run();
        for (size_t i = 1; i < paced.frameTimes.size(); ++i) {
            DWORD gap = paced.frameTimes[i] - paced.frameTimes[i - 1];
            EXPECT_GE(gap, c.intervalBetweenFrames) << c.fps << " fps, frame " << i;
            EXPECT_LE(gap, c.intervalBetweenFrames + 1) << c.fps << " fps, frame " << i;
        }
        paced.Destroy();
        DestroyWindow(paced.GetWndHandle());
    }
}

TEST_F(GameAppTest, PacedWaitSleepsUntilTheFrameIsDueWithoutPolling) {
    // Only the wait moves the clock: a loop that polled it would never see a frame come due.
    VelmoraTest::SetClockTickEveryReads(0);
    game.SetFPS(50);  // 20 ms
    game.maxFrames = 11;
    Start();
    VelmoraTest::ResetSleepCount();
    RunAndDestroy();
    ASSERT_EQ(game.frameTimes.size(), 11u);
    for (size_t i = 1; i < game.frameTimes.size(); ++i)
        EXPECT_EQ(game.frameTimes[i] - game.frameTimes[i - 1], 20u) << "frame " << i;
    EXPECT_EQ(VelmoraTest::GetSleepCalls(), 0u);
}

// VELMORA_BUSY_WAIT=1 brings back the wait of the Windows original, for comparisons: 1 ms
// sleeps while more than 3 ms remain, then polling.
TEST_F(GameAppTest, BusyWaitSwitchSleepsUntilTheLastThreeMilliseconds) {
    struct BusyWait {
        BusyWait() { setenv("VELMORA_BUSY_WAIT", "1", 1); }
        ~BusyWait() { unsetenv("VELMORA_BUSY_WAIT"); }
    } busy;
    game.SetFPS(50);
    game.maxFrames = 11;
    Start();
    VelmoraTest::ResetSleepCount();
    RunAndDestroy();
    EXPECT_EQ(VelmoraTest::GetSleptMilliseconds(), VelmoraTest::GetSleepCalls());
    EXPECT_GE(VelmoraTest::GetSleepCalls(), 10u * 10u);
    EXPECT_LE(VelmoraTest::GetSleepCalls(), 10u * 16u);
}

TEST_F(GameAppTest, MessageArrivingDuringTheWaitIsHandledAtOnce) {
    VelmoraTest::SetClockTickEveryReads(0);
    game.SetFPS(10);  // 100 ms
    DWORD closedAt = 0;
    game.onFrame = [&closedAt](RecordingGame& g) {
        if (g.frameTimes.size() != 2) return;
        closedAt = GetClock() + 30;
        HWND hwnd = g.GetWndHandle();
        InjectAt(closedAt, [hwnd] { VelmoraTest::InjectClose(hwnd); });
    };
    Start();
    RunAndDestroy();
    EXPECT_EQ(game.frameTimes.size(), 2u);
    EXPECT_EQ(GetClock(), closedAt);  // Run returned then, not when the next frame was due
}

TEST_F(GameAppTest, VSyncPresentsOnTheRefreshAndKeepsFramesARefreshApartWithoutSync) {
    struct Case {
        int fps;
        bool vsync;
    };
    VelmoraTest::SetClockTickEveryReads(0);
    for (Case c : {Case{0, false}, {0, true}, {30, true}, {200, true}}) {
        RecordingGame paced;
        paced.SetFPS(c.fps);
        paced.SetVSync(c.vsync);
        paced.maxFrames = 5;
        ASSERT_EQ(paced.InitApplication(nullptr, SW_SHOW, "vsync", nullptr), 1);
        EXPECT_EQ(VelmoraTest::GetPresentationInterval(GetD3DDevice()),
                  c.vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE);
        // The off-screen display has no sync: the loop keeps the frames a refresh apart, or
        // SetFPS's interval apart when that is longer.
        D3DDISPLAYMODE mode{};
        ASSERT_EQ(GetD3DDevice()->GetDisplayMode(0, &mode), D3D_OK);
        const DWORD refresh = static_cast<DWORD>(1000.0 / (mode.RefreshRate ? mode.RefreshRate : 60));
        const DWORD interval = c.fps ? static_cast<DWORD>(1000.0 / c.fps) : 1;
        const DWORD expected = c.vsync ? std::max(refresh, interval) : interval;
        paced.Run();
        ASSERT_EQ(paced.frameTimes.size(), 5u);
        for (size_t i = 1; i < paced.frameTimes.size(); ++i)
            EXPECT_EQ(paced.frameTimes[i] - paced.frameTimes[i - 1], expected) << c.fps << " fps, frame " << i;
        paced.Destroy();
        DestroyWindow(paced.GetWndHandle());
    }
}

TEST_F(GameAppTest, UnpacedFramesNeverShareAMillisecondAndNeverSleepWindowed) {
    game.maxFrames = 200;
    Start();
    VelmoraTest::ResetSleepCount();
    RunAndDestroy();
    ASSERT_EQ(game.frameTimes.size(), 200u);
    for (size_t i = 1; i < game.frameTimes.size(); ++i) EXPECT_GT(game.frameTimes[i], game.frameTimes[i - 1]);
    EXPECT_EQ(VelmoraTest::GetSleepCalls(), 0u);
}

TEST_F(GameAppTest, FullScreenSleepsOneMillisecondAfterEachFrame) {
    game.SetWindowMode(false);
    game.maxFrames = 50;
    Start();
    VelmoraTest::ResetSleepCount();
    RunAndDestroy();
    EXPECT_EQ(VelmoraTest::GetSleepCalls(), 50u);
    EXPECT_EQ(VelmoraTest::GetSleptMilliseconds(), 50u);
}

TEST_F(GameAppTest, InactiveWindowSuspendsFramesUntilActivatedAgain) {
    Start();
    HWND hwnd = game.GetWndHandle();
    DWORD t0 = GetClock();
    InjectAt(t0 + 100, [hwnd] { VelmoraTest::InjectFocus(hwnd, false); });
    InjectAt(t0 + 5000, [hwnd] { VelmoraTest::InjectFocus(hwnd, true); });
    InjectAt(t0 + 5100, [hwnd] { VelmoraTest::InjectClose(hwnd); });
    RunAndDestroy();
    size_t during = 0, after = 0;
    for (DWORD t : game.frameTimes) {
        if (t > t0 + 101 && t < t0 + 5000) ++during;
        if (t >= t0 + 5000) ++after;
    }
    EXPECT_EQ(during, 0u);
    EXPECT_GT(after, 0u);
}

TEST_F(GameAppTest, NotSuspendKeepsFramesRunningWhileInactive) {
    game.SetNotSuspend(true);
    Start();
    HWND hwnd = game.GetWndHandle();
    DWORD t0 = GetClock();
    InjectAt(t0 + 10, [hwnd] { VelmoraTest::InjectFocus(hwnd, false); });
    InjectAt(t0 + 200, [hwnd] { VelmoraTest::InjectClose(hwnd); });
    RunAndDestroy();
    EXPECT_FALSE(game.GetActive());
    size_t during = 0;
    for (DWORD t : game.frameTimes)
        if (t > t0 + 20 && t < t0 + 200) ++during;
    EXPECT_GT(during, 10u);
}

TEST_F(GameAppTest, MinimisedWindowIsSuspendedEvenWhenActive) {
    Start();
    HWND hwnd = game.GetWndHandle();
    DWORD t0 = GetClock();
    InjectAt(t0 + 50, [hwnd] { VelmoraTest::InjectMinimize(hwnd); });
    InjectAt(t0 + 3000, [hwnd] { VelmoraTest::InjectRestore(hwnd); });
    InjectAt(t0 + 3050, [hwnd] { VelmoraTest::InjectClose(hwnd); });
    game.onFrame = [t0](RecordingGame& g) {
        if (GetClock() > t0 + 51 && GetClock() < t0 + 3000) ADD_FAILURE() << "frame while minimised";
    };
    RunAndDestroy();
    EXPECT_TRUE(game.GetActive());
    EXPECT_GT(game.frameTimes.back(), t0 + 3000);
}

TEST_F(GameAppTest, EachQuitPathEndsRun) {
    struct Path {
        const char* name;
        std::function<void(HWND)> inject;
    };
    const Path paths[] = {
        {"close box", [](HWND h) { VelmoraTest::InjectClose(h); }},
        {"window-system quit", [](HWND) { VelmoraTest::InjectQuit(); }},
        {"Alt+F4", [](HWND) { VelmoraTest::InjectKey(VK_F4, true, true); }},
        {"Alt+F2", [](HWND) { VelmoraTest::InjectKey(VK_F2, true, true); }},
        {"Alt+Q", [](HWND) { VelmoraTest::InjectKey('Q', true, true); }},
    };
    for (const Path& p : paths) {
        RecordingGame g;
        ASSERT_EQ(g.InitApplication(nullptr, SW_SHOW, "quit", nullptr), 1);
        HWND hwnd = g.GetWndHandle();
        auto inject = p.inject;
        InjectAt(GetClock() + 30, [inject, hwnd] { inject(hwnd); });
        g.Run();  // a path that failed would run until the test times out
        EXPECT_TRUE(IsWindow(hwnd)) << p.name << ": the window is not destroyed";
        g.Destroy();
        DestroyWindow(hwnd);
    }
}

TEST_F(GameAppTest, PlainQAndOtherAltKeysDoNotQuit) {
    Start();
    HWND hwnd = game.GetWndHandle();
    DWORD t0 = GetClock();
    InjectAt(t0 + 10, [] { VelmoraTest::InjectKey('Q', true, false); });
    InjectAt(t0 + 20, [] { VelmoraTest::InjectKey('W', true, true); });
    InjectAt(t0 + 30, [] { VelmoraTest::InjectKey(VK_F4, true, false); });
    InjectAt(t0 + 100, [hwnd] { VelmoraTest::InjectClose(hwnd); });
    RunAndDestroy();
    EXPECT_GE(game.frameTimes.back(), t0 + 99);
}

TEST_F(GameAppTest, FPSIsZeroUntilTheFirstWindowCloses) {
    game.SetFPS(100);  // 10 ms per frame
    std::vector<int> fps;
    game.onFrame = [&fps](RecordingGame& g) { fps.push_back(g.GetFPS()); };
    game.maxFrames = 250;
    Start();
    RunAndDestroy();
    ASSERT_EQ(fps.size(), 250u);
    EXPECT_EQ(fps[0], 0);
    // The first frame opens a window; the frame that closes it, about 1 s later, reports the
    // frames counted in between.
    size_t firstNonZero = 0;
    while (firstNonZero < fps.size() && fps[firstNonZero] == 0) ++firstNonZero;
    ASSERT_LT(firstNonZero, fps.size());
    EXPECT_GE(game.frameTimes[firstNonZero] - game.frameTimes[0], 1001u);
    EXPECT_GE(fps[firstNonZero], 90);
    EXPECT_LE(fps[firstNonZero], 100);
}

TEST_F(GameAppTest, ErrorLinesRaiseBoxesWithoutAFileLog) {
    Start();
    WriteLog(INFO_ERROR, "boom %d", 1);
    auto boxes = VelmoraTest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("boom 1"), std::string::npos);
    game.Destroy();
    WriteLog(INFO_ERROR, "after destroy");
    EXPECT_TRUE(VelmoraTest::TakeMessageBoxes().empty());
}

TEST_F(GameAppTest, FileLogRecordsStartUp) {
    std::remove("VLMLog.html");
    game.SetDLLFileLog(true);
    Start();
    WriteLog(INFO_NORMAL, "%s", "100%d done");  // formatted once: the sign stays
    WriteLog(INFO_NORMAL, nullptr);
    game.Destroy();
    std::string log = ReadFile("VLMLog.html");
    EXPECT_NE(log.find("]100%d done</font>"), std::string::npos);
    EXPECT_NE(log.find("]Initiate Velmora Core Application is OK.</font><br>\r\n"), std::string::npos);
    EXPECT_NE(log.find("]Processing User's code...</font><br>\r\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 15), "</body></html>\n");
}

// A session that ends (the display going away) ends the process without Destroy: the window
// hears it first and closes the log file, which then ends complete. A session that goes on
// (wParam FALSE) changes nothing.
TEST_F(GameAppTest, EndingSessionClosesTheLogFile) {
    std::remove("VLMLog.html");
    game.SetDLLFileLog(true);
    Start();
    SendMessageA(game.GetWndHandle(), WM_ENDSESSION, FALSE, 0);
    ASSERT_NE(GetLog(), nullptr);
    EXPECT_EQ(ReadFile("VLMLog.html").find("</body></html>"), std::string::npos);
    SendMessageA(game.GetWndHandle(), WM_ENDSESSION, TRUE, static_cast<LPARAM>(ENDSESSION_LOGOFF));
    EXPECT_EQ(GetLog(), nullptr);
    std::string log = ReadFile("VLMLog.html");
    EXPECT_EQ(log.substr(log.size() - 54), "]Processing User's code...</font><br>\r\n</body></html>\n");
    WriteLog(INFO_NORMAL, "after the session");  // nowhere to go any more
    EXPECT_EQ(ReadFile("VLMLog.html"), log);
    EXPECT_EQ(game.Destroy(), 1);
}

TEST_F(GameAppTest, DestroyIsSafeAnyTimeAndTheRegistrationFollowsTheObject) {
    EXPECT_EQ(game.Destroy(), 1);  // before any start-up
    Start();
    EXPECT_EQ(game.Destroy(), 1);
    EXPECT_EQ(game.Destroy(), 1);
    {
        RecordingGame copy(game);  // copies every field; the original stays registered
        EXPECT_EQ(copy.GetWndHandle(), game.GetWndHandle());
    }
    EXPECT_EQ(GetMainApp(), &game);
    {
        RecordingGame other;
        EXPECT_EQ(GetMainApp(), &other);
    }
    EXPECT_EQ(GetMainApp(), nullptr);
}

}  // namespace
