// The game under a real X server without a window manager, driven as a player drives it: Alt+Enter
// and the pointer through XTest, the window moved and resized behind the game's back, and what
// the window shows read back from the server; and the server going away under a running game.
// Each test starts an Xvfb of its own and is skipped only when Xvfb cannot start at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "XSession.h"

namespace {

using xsession::Frame;
using xsession::GameProcess;
using xsession::WindowImage;
using xsession::XClient;
using xsession::XServer;

constexpr unsigned long kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;
// A rectangle of window pixels (right and bottom excluded) and a pixel.
struct Area {
    int left, top, right, bottom;
};
struct Spot {
    int x, y;
};

constexpr int kStartMs = 60000;  // a game built with the sanitizers starts slowly on a busy machine

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh folder for one run of the game, under the test's working folder.
std::string RunFolder(const std::string& name) {
    mkdir("runs", 0755);
    const std::string folder = "runs/" + name;
    mkdir(folder.c_str(), 0755);
    std::remove((folder + "/VLMLog.html").c_str());
    char absolute[4096];
    return realpath(folder.c_str(), absolute) ? absolute : folder;
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!server.Start(&why)) GTEST_SKIP() << "no X server for the display tests: " << why;
    }

    XServer server;
};

// The window shows the game's 800 × 600 picture fitted into `area` (pixels of the window):
// the four quarters meet at the area's centre, and outside it there are black bars.
void ExpectPictureIn(const WindowImage& image, Area area, int windowWidth, int windowHeight) {
    const int l = area.left, t = area.top, r = area.right - 1, b = area.bottom - 1;
    const int cx = (area.left + area.right) / 2, cy = (area.top + area.bottom) / 2;
    struct Sample {
        int x, y;
        unsigned long colour;
    };
    std::vector<Sample> samples = {
        {l + 2, t + 2, kRed},        {r - 2, t + 2, kGreen},        {l + 2, b - 2, kBlue},   {r - 2, b - 2, kWhite},
        {cx - 4, cy - 4, kRed},      {cx + 3, cy - 4, kGreen},      {cx - 4, cy + 3, kBlue}, {cx + 3, cy + 3, kWhite},
        {(l + cx) / 2, t + 2, kRed}, {(cx + r) / 2, b - 2, kWhite},
    };
    if (area.left > 0) samples.push_back({area.left - 2, cy, kBlack}), samples.push_back({area.right + 1, cy, kBlack});
    if (area.top > 0) samples.push_back({cx, area.top - 2, kBlack}), samples.push_back({cx, area.bottom + 1, kBlack});
    for (const Sample& s : samples) {
        ASSERT_TRUE(s.x >= 0 && s.y >= 0 && s.x < windowWidth && s.y < windowHeight) << s.x << "," << s.y;
        EXPECT_EQ(image.At(s.x, s.y), s.colour) << "at window pixel " << s.x << "," << s.y;
    }
}

// Alt+Enter on a server without a window manager: the window keeps its 800 × 600, and the picture
// must still fill it exactly, not be drawn for the screen's 1024 × 768 and cropped. Then the
// window is resized as a window manager might (wider, taller, the whole screen): the picture is
// fitted with its aspect kept, and the pointer at a window pixel reaches the game where the
// picture shows that pixel. Alt+Enter brings the window back; Alt+F4 ends the game cleanly.
TEST_F(DisplayTest, FullScreenThatIsNotGrantedStillShowsTheWholePicture) {
    GameProcess game;
    ASSERT_TRUE(game.Start(DISPLAY_GAME, RunFolder("full-screen"), server.Name(), {}));
    ASSERT_TRUE(game.WaitFor([](const Frame& f) { return f.number >= 3; }, kStartMs)) << "the game did not start";
    XClient x;
    ASSERT_TRUE(x.Open(server.Name())) << "no XTest on " << server.Name();
    const Window window = x.GameWindow();
    ASSERT_NE(window, 0u);

    int width = 0, height = 0;
    auto lookAtWindow = [&](Area area) {
        x.Size(window, &width, &height);
        WindowImage image(x.Get(), window, width, height);
        ASSERT_TRUE(image.Valid());
        ExpectPictureIn(image, area, width, height);
    };
    auto pointAt = [&](int wx, int wy, int px, int py) {
        x.PointAt(window, wx, wy);
        EXPECT_TRUE(game.WaitFor([&](const Frame& f) { return f.pointerX == px && f.pointerY == py; }, 10000))
            << "pointer at window pixel " << wx << "," << wy << " reached the game at " << game.Last().pointerX << ","
            << game.Last().pointerY << ", not " << px << "," << py;
    };

    ASSERT_NO_FATAL_FAILURE(lookAtWindow(Area{0, 0, 800, 600}));
    x.AltKey(window, XK_Return);
    ASSERT_TRUE(game.WaitFor([](const Frame& f) { return !f.windowed; }, 10000)) << "Alt+Enter did not toggle";
    ASSERT_TRUE(game.WaitFrames(3));
    x.Size(window, &width, &height);
    EXPECT_EQ(width, 800) << "a window manager granted the full screen: not the case under test";
    EXPECT_EQ(height, 600);
    ASSERT_NO_FATAL_FAILURE(lookAtWindow(Area{0, 0, 800, 600}));
    pointAt(600, 450, 600, 450);

    struct Case {
        int width, height;  // the window as the window system makes it
        Area area;          // where the picture must be
        Spot window, picture;
    };
    const Case cases[] = {
        {1000, 600, {100, 0, 900, 600}, {700, 150}, {600, 150}},  // bars left and right
        {1000, 600, {100, 0, 900, 600}, {50, 300}, {-50, 300}},   // the pointer over a bar
        {800, 700, {0, 50, 800, 650}, {200, 60}, {200, 10}},      // bars above and below
        {1024, 768, {0, 0, 1024, 768}, {512, 384}, {400, 300}},   // the whole screen, scaled by 1.28
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "window " << c.width << "x" << c.height);
        x.MoveResize(window, 0, 0, c.width, c.height);
        ASSERT_TRUE(game.WaitFrames(3));
        ASSERT_NO_FATAL_FAILURE(lookAtWindow(c.area));
        pointAt(c.window.x, c.window.y, c.picture.x, c.picture.y);
    }

    x.AltKey(window, XK_Return);
    ASSERT_TRUE(game.WaitFor([](const Frame& f) { return f.windowed; }, 10000)) << "Alt+Enter did not toggle back";
    ASSERT_TRUE(game.WaitFrames(3));
    x.Size(window, &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    ASSERT_NO_FATAL_FAILURE(lookAtWindow(Area{0, 0, 800, 600}));
    pointAt(10, 590, 10, 590);

    x.AltKey(window, XK_F4);
    int status = -1;
    ASSERT_TRUE(game.WaitExit(10000, &status)) << "Alt+F4 did not end the game";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// Every record of a log file is whole, and the document is closed.
void ExpectCompleteLog(const std::string& log) {
    const std::string header = "</u></b></font><br>\r\n", footer = "</body></html>\n";
    const size_t body = log.find(header);
    ASSERT_NE(body, std::string::npos) << "no header:\n" << log;
    ASSERT_GE(log.size(), body + header.size() + footer.size());
    EXPECT_EQ(log.substr(log.size() - footer.size()), footer) << "the log was not closed:\n" << log;
    std::istringstream records(log.substr(body + header.size(), log.size() - footer.size() - body - header.size()));
    for (std::string record; std::getline(records, record);) {
        EXPECT_EQ(record.rfind("<font face=\"Arial\" size=\"2\" color=\"#", 0), 0u) << record;
        const std::string end = "</font><br>\r";
        EXPECT_TRUE(record.size() >= end.size() && record.compare(record.size() - end.size(), end.size(), end) == 0)
            << record;
    }
}

// The X server goes away under a running game: killed outright or told to end, while the game
// runs its frames, right as it starts them, or in the middle of Alt+Enter. Each way, and again,
// since it depends on timing: the game ends within five seconds on its own, not by a signal, with
// its log file closed and no record cut short.
TEST_F(DisplayTest, GameEndsPromptlyWithItsLogClosedWhenTheServerGoesAway) {
    server.Stop(SIGKILL);  // each run has a server of its own
    struct Case {
        const char* name;
        int signal;
        int afterFrames;    // killed once the game has shown this many frames
        bool duringToggle;  // and has just been sent Alt+Enter
    };
    const Case cases[] = {
        {"kill-first-frame", SIGKILL, 1, false}, {"term-first-frame", SIGTERM, 1, false},
        {"kill-running", SIGKILL, 20, false},    {"term-running", SIGTERM, 20, false},
        {"kill-toggle", SIGKILL, 5, true},       {"term-toggle", SIGTERM, 5, true},
    };
    for (int round = 1; round <= 2; ++round) {
        for (const Case& c : cases) {
            const std::string name = std::string(c.name) + "-" + std::to_string(round);
            SCOPED_TRACE(name);
            XServer own;
            std::string why;
            ASSERT_TRUE(own.Start(&why)) << why;
            const std::string folder = RunFolder(name);
            GameProcess game;
            // A game ended this way never got to Destroy: what it leaves is not a leak to report.
            ASSERT_TRUE(game.Start(DISPLAY_GAME, folder, own.Name(), {"ASAN_OPTIONS=detect_leaks=0"}));
            ASSERT_TRUE(game.WaitFor([&](const Frame& f) { return f.number >= c.afterFrames; }, kStartMs))
                << "the game did not start: " << ReadText(folder + "/stderr.txt");
            if (c.duringToggle) {
                XClient x;
                ASSERT_TRUE(x.Open(own.Name()));
                x.AltKey(x.GameWindow(), XK_Return);
            }
            own.Stop(c.signal);
            int status = -1;
            const bool ended = game.WaitExit(5000, &status);
            ASSERT_TRUE(ended) << "still running 5 s after the server went away";
            EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0) << "\n"
                                           << ReadText(folder + "/stderr.txt");
            ASSERT_NO_FATAL_FAILURE(ExpectCompleteLog(ReadText(folder + "/VLMLog.html")));
        }
    }
}

}  // namespace
