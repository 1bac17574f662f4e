// The Win32 stand-in: message translation, the manual clock, files, console, dialogs.
#include <SDL.h>
#include <sys/stat.h>

#include <vector>

#include <velmora/platform/d3dx9/ImageCodec.h>

#include <velmora/platform/win32/detail/WindowObject.h>

#include "support/Encodings.h"
#include "support/EngineTest.h"
#include "support/LoadCost.h"

namespace {

struct Recorded {
    UINT message;
    WPARAM wParam;
};
std::vector<Recorded> g_recorded;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CREATE && message != WM_DESTROY) g_recorded.push_back({message, wParam});
    if (message == WM_CLOSE) return 0;  // keep the window for the next case
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Win32Test : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "recording";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, "recording", "t", WS_CAPTION | WS_SYSMENU, 10, 20, 206, 125, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        g_recorded.clear();
    }
    void TearDown() override {
        DestroyWindow(hwnd);
        UnregisterClassA("recording", nullptr);
        EngineTest::TearDown();
    }
    std::vector<Recorded> Pump() {
        g_recorded.clear();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return g_recorded;
    }
    HWND hwnd = nullptr;
};

TEST_F(Win32Test, WindowEventsBecomeMessages) {
    struct Case {
        const char* name;
        std::function<void(HWND)> inject;
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {
        {"focus lost", [](HWND h) { VelmoraTest::InjectFocus(h, false); }, WM_ACTIVATE, WA_INACTIVE},
        {"focus gained", [](HWND h) { VelmoraTest::InjectFocus(h, true); }, WM_ACTIVATE, WA_ACTIVE},
        {"minimised", [](HWND h) { VelmoraTest::InjectMinimize(h); }, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1)},
        {"restored", [](HWND h) { VelmoraTest::InjectRestore(h); }, WM_ACTIVATE, WA_ACTIVE},
        {"close box", [](HWND h) { VelmoraTest::InjectClose(h); }, WM_CLOSE, 0},
        {"Alt+Enter", [](HWND) { VelmoraTest::InjectKey(VK_RETURN, true, true); }, WM_SYSKEYDOWN, VK_RETURN},
        {"Alt+F4 up", [](HWND) { VelmoraTest::InjectKey(VK_F4, false, true); }, WM_SYSKEYUP, VK_F4},
        {"plain A", [](HWND) { VelmoraTest::InjectKey('A', true); }, WM_KEYDOWN, 'A'},
        {"left click", [](HWND h) { VelmoraTest::InjectMouseButton(h, 0, true); }, WM_LBUTTONDOWN, 0},
    };
    for (const Case& c : cases) {
        c.inject(hwnd);
        std::vector<Recorded> got = Pump();
        ASSERT_EQ(got.size(), 1u) << c.name;
        EXPECT_EQ(got[0].message, c.message) << c.name;
        EXPECT_EQ(got[0].wParam, c.wParam) << c.name;
    }
}

TEST_F(Win32Test, QuitComesAfterQueuedMessages) {
    PostMessageA(hwnd, WM_USER, 1, 0);
    PostQuitMessage(3);
    PostMessageA(hwnd, WM_USER, 2, 0);
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(Win32Test, WaitMessageMovesTheManualClockToTheNextInjection) {
    DWORD t0 = VelmoraTest::GetClock();
    VelmoraTest::InjectAt(t0 + 750, [this] { VelmoraTest::InjectClose(hwnd); });
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    WaitMessage();
    EXPECT_EQ(VelmoraTest::GetClock(), t0 + 750);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
}

TEST_F(Win32Test, PointerPositionIsTrackedInClientCoordinates) {
    VelmoraTest::InjectMouseMove(hwnd, 40, 30);
    Pump();
    POINT p{};
    ASSERT_TRUE(GetCursorPos(&p));
    RECT in = {};
    GetWindowRect(hwnd, &in);
    EXPECT_EQ(p.x, in.left + GetSystemMetrics(SM_CXDLGFRAME) + 40);
    EXPECT_EQ(p.y, in.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) + 30);
    ScreenToClient(hwnd, &p);
    EXPECT_EQ(p.x, 40);
    EXPECT_EQ(p.y, 30);
}

TEST_F(Win32Test, WindowGeometryFollowsStyleChanges) {
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    SetWindowLongA(hwnd, GWL_STYLE, WS_POPUP);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 320, 240, SWP_SHOWWINDOW);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 240);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(hwnd, HWND_NOTOPMOST, 5, 5, 100, 100, SWP_SHOWWINDOW);
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Win32Test, ManualClockSleepAndCounter) {
    VelmoraTest::SetClock(0xFFFFFFF0u);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
    Sleep(0x20);
    EXPECT_EQ(timeGetTime(), 0x10u);  // wraps like the Windows clock
    EXPECT_EQ(VelmoraTest::GetSleepCalls(), 1u);
    LARGE_INTEGER f{}, c{};
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    EXPECT_EQ(c.QuadPart * 1000 / f.QuadPart, 0x10);
    VelmoraTest::SetClockTickEveryReads(2);
    DWORD a = timeGetTime(), b = timeGetTime(), d = timeGetTime();
    EXPECT_EQ(a, b);
    EXPECT_EQ(d, a + 1);
}

// The coarse clock shares timeGetTime's origin: never ahead of it and at most a few ticks
// behind on the real clock, and the manual clock itself under the manual clock.
TEST_F(Win32Test, CoarseTimeFollowsTheClockWithoutPassingIt) {
    VelmoraTest::SetClock(1234);
    EXPECT_EQ(vlm_CoarseTime(), 1234u);
    VelmoraTest::UseManualClock(false);
    for (int i = 0; i < 1000; ++i) {
        const DWORD coarse = vlm_CoarseTime(), fine = timeGetTime();
        ASSERT_LT(fine - coarse, 100u) << "coarse " << coarse << ", fine " << fine;  // unsigned: also not ahead
    }
    VelmoraTest::UseManualClock(true);
}

// SDL, the window system and the terminal read UTF-8; the game's text is in its own encoding.
TEST_F(Win32Test, WindowTitlesAreShownAsUtf8AndReadBackInTheTextEncoding) {
    const std::string zhong8 = kCharZhong.utf8, zhongGbk = kCharZhong.gbk;
    struct Case {
        TextEncoding encoding;
        std::string given;  // by the game
        std::string shown;  // by SDL
        std::string back;   // by GetWindowTextA
    };
    const Case cases[] = {
        {TEXT_ENCODING_GBK, "Go " + zhongGbk, "Go " + zhong8, "Go " + zhongGbk},
        {TEXT_ENCODING_UTF8, "Go " + zhong8, "Go " + zhong8, "Go " + zhong8},
        {TEXT_ENCODING_UTF8, "bad \xE4\xB8.", "bad ??.", "bad ??."},  // cut short: a ? a byte
    };
    for (const Case& c : cases) {
        EncodingScope scope(c.encoding);
        SCOPED_TRACE(std::string(NameOf(c.encoding)) + " " + c.given);
        HWND made = CreateWindowExA(0, "recording", c.given.c_str(), WS_CAPTION, 0, 0, 50, 50, nullptr, nullptr,
                                    nullptr, nullptr);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(SDL_GetWindowTitle(made->sdl), c.shown);
        DestroyWindow(made);
        ASSERT_TRUE(SetWindowTextA(hwnd, c.given.c_str()));
        EXPECT_EQ(SDL_GetWindowTitle(hwnd->sdl), c.shown);
        char back[64];
        EXPECT_EQ(GetWindowTextA(hwnd, back, sizeof back), int(c.back.size()));
        EXPECT_EQ(back, c.back);
    }
    // A title set through SDL in characters GBK lacks; a short buffer ends between characters.
    SDL_SetWindowTitle(hwnd->sdl, (zhong8 + " \xF0\x9F\x98\x80").c_str());
    char back[8];
    EXPECT_EQ(GetWindowTextA(hwnd, back, sizeof back), 4);
    EXPECT_EQ(back, zhongGbk + " ?");
    EXPECT_EQ(GetWindowTextA(hwnd, back, 2), 0);
    EXPECT_EQ(back, std::string());
}

TEST_F(Win32Test, MessageBoxesAndDebugOutputReachTheTerminalAsUtf8) {
    VelmoraTest::CaptureMessageBoxes(false);
    VelmoraTest::CaptureDebugOutput(false);
    testing::internal::CaptureStderr();
    MessageBoxA(nullptr, (std::string("text ") + kCharZhong.gbk).c_str(), kCharZhong.gbk, MB_OK);
    OutputDebugStringA((std::string(kCharZhong.gbk) + "\r\n").c_str());
    const std::string shown = testing::internal::GetCapturedStderr();
    VelmoraTest::CaptureMessageBoxes(true);
    VelmoraTest::CaptureDebugOutput(true);
    const std::string zhong8 = kCharZhong.utf8;
    EXPECT_EQ(shown, "[" + zhong8 + "] text " + zhong8 + "\n" + zhong8 + "\r\n");
}

TEST_F(Win32Test, FilesAreFoundWithBackslashesAndAnyCase) {
    mkdir("Data", 0755);
    mkdir("Data/Sub", 0755);
    WriteFile("Data/Sub/Picture.TGA", "x");
    FILE* f = OpenFileA("data\\SUB\\picture.tga", "rb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(ResolveFilePath("DATA\\sub\\new.txt"), "Data/Sub/new.txt");
    EXPECT_EQ(OpenFileA("data\\missing.tga", "rb"), nullptr);
    EXPECT_EQ(OpenFileA(nullptr, "rb"), nullptr);
}

TEST_F(Win32Test, FileLengthLeavesTheStreamAsItStands) {
    std::string bytes(5000, 'a');
    bytes[4100] = 'b';
    WriteFile("length.bin", bytes);
    FILE* f = std::fopen("length.bin", "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fseek(f, 4100, SEEK_SET), 0);
    EXPECT_EQ(_filelengthi64(_fileno(f)), 5000);
    EXPECT_EQ(std::ftell(f), 4100);
    EXPECT_EQ(std::fgetc(f), 'b');
    std::fclose(f);
    EXPECT_EQ(_fileno(nullptr), -1);
    EXPECT_EQ(_filelengthi64(-1), -1);
}

TEST_F(Win32Test, ConsoleWritesOnlyWhileAllocated) {
    DWORD written = 7;
    EXPECT_FALSE(WriteConsoleA(GetStdHandle(STD_OUTPUT_HANDLE), "x", 1, &written, nullptr));
    EXPECT_EQ(written, 0u);
    ASSERT_TRUE(AllocConsole());
    EXPECT_FALSE(AllocConsole());
    testing::internal::CaptureStdout();
    EXPECT_TRUE(WriteConsoleA(GetStdHandle(STD_OUTPUT_HANDLE), "hello", 5, &written, nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "hello");
    EXPECT_EQ(written, 5u);
    EXPECT_TRUE(FreeConsole());
}

TEST_F(Win32Test, IconsLoadFromImageFiles) {
    EXPECT_EQ(LoadIconA(nullptr, "no-such-icon"), nullptr);
    // A 1x1 24-bit BMP.
    const unsigned char bmp[] = {'B', 'M', 58,   0,    0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40, 0, 0,   0, 1,    0,
                                 0,   0,   1,    0,    0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,  0, 0,   0, 0x13, 0x0B,
                                 0,   0,   0x13, 0x0B, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0,  0, 255, 0};
    std::string bytes(reinterpret_cast<const char*>(bmp), sizeof bmp);
    WriteFile("game.bmp", bytes);
    HICON icon = LoadIconA(nullptr, "game");
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(DestroyIcon(icon));
    velmora::DecodedImage png;
    png.width = png.height = 2;
    png.pixels.assign(4, 0x80FF0000);
    ASSERT_TRUE(velmora::WritePngFile("other.png", png));
    icon = LoadIconA(nullptr, "other");
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(DestroyIcon(icon));

    // The same 58 bytes claiming 16384 x 16384 pixels are refused before they are believed.
    bytes.replace(18, 8, std::string("\0\x40\0\0\0\x40\0\0", 8));
    WriteFile("huge.bmp", bytes);
    const LoadCost cost = MeasureLoad([] { return LoadIconA(nullptr, "huge") != nullptr; });
    ASSERT_TRUE(cost.finished);
    EXPECT_FALSE(cost.loaded);
    EXPECT_LE(cost.megabytes, kRefusalMegabytes);
    EXPECT_LT(cost.cpuSeconds, kRefusalCpuSeconds);
}

}  // namespace
