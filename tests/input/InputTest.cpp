// Keyboard and mouse input: queued events one per frame, the queue's rules, the immediate
// state, pointer movement, background loss, and the snapshot a game reads inside Run.
#include <algorithm>
#include <functional>
#include <vector>

#include "support/EngineTest.h"

namespace {

using VelmoraTest::InjectAt;
using VelmoraTest::InjectKey;
using VelmoraTest::InjectMouseButton;
using VelmoraTest::InjectMouseMove;

class InputGame : public CGameApp {
public:
    std::function<void()> onFrame;
    void MainLoop() override {
        if (onFrame) onFrame();
    }
};

// A started application (window, log) and an input object of the test's own on its window.
class InputTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_EQ(app.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "input", nullptr), 1);
        hwnd = app.GetWndHandle();
        ASSERT_EQ(input.CreateInput(hwnd), 1);
        Frame();  // the first reads acquire the devices
    }
    void TearDown() override {
        input.ReleaseInput();
        app.Destroy();
        DestroyWindow(hwnd);
        EngineTest::TearDown();
    }
    // One frame as Run makes it: window messages first, then the input update.
    stInputInfo Frame() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        stInputInfo info{};
        EXPECT_EQ(input.UpdateBufferInput(&info), 1);
        return info;
    }
    CKey& Key() { return *input.GetKeyPtr(); }
    CMouse& Mouse() { return *input.GetMousePtr(); }

    InputGame app;
    HWND hwnd = nullptr;
    CInput input;
};

TEST_F(InputTest, AStrokeWithinOneFrameArrivesOverTwoFrames) {
    InjectKey('A', true);
    InjectKey('A', false);
    EXPECT_EQ(Frame().dwKey, DWORD{DIK_A});
    EXPECT_FALSE(Key().IsKeyDown(DIK_A));  // the immediate state has it up already
    EXPECT_EQ(Frame().dwKey, DWORD{DIK_A + 256});
    EXPECT_EQ(Frame().dwKey, 0u);
}

TEST_F(InputTest, KeysArriveAsTheirDirectInputCodes) {
    struct Case {
        int virtualKey;
        DWORD dik;
    };
    const Case cases[] = {
        {'A', DIK_A},
        {'Q', DIK_Q},
        {'M', DIK_M},
        {'1', DIK_1},
        {'0', DIK_0},
        {VK_ESCAPE, DIK_ESCAPE},
        {VK_RETURN, DIK_RETURN},
        {VK_SPACE, DIK_SPACE},
        {VK_F1, DIK_F1},
        {VK_F11, DIK_F11},
        {VK_UP, DIK_UP},
        {VK_DELETE, DIK_DELETE},
        {VK_NUMPAD0 + 5, DIK_NUMPAD5},
        {VK_DIVIDE, DIK_DIVIDE},
        {VK_RCONTROL, DIK_RCONTROL},
        {VK_RMENU, DIK_RMENU},
        {VK_OEM_3, DIK_GRAVE},
        {VK_OEM_COMMA, DIK_COMMA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.virtualKey);
        InjectKey(c.virtualKey, true);
        EXPECT_EQ(Frame().dwKey, c.dik);
        EXPECT_TRUE(Key().IsKeyDown(static_cast<unsigned char>(c.dik)));
        InjectKey(c.virtualKey, false);
        EXPECT_EQ(Frame().dwKey, c.dik + 256);
        EXPECT_FALSE(Key().IsKeyDown(static_cast<unsigned char>(c.dik)));
    }
}

TEST_F(InputTest, ClicksQueuedBeforeAFrameComeOnePerFrameInOrder) {
    InjectMouseMove(hwnd, 50, 60);
    for (int button : {0, 1, 2}) {
        InjectMouseButton(hwnd, button, true);
        InjectMouseButton(hwnd, button, false);
    }
    InjectMouseButton(hwnd, 3, true);  // the fourth button is only in the immediate state
    std::vector<DWORD> events;
    for (int frame = 0; frame < 7; ++frame) events.push_back(Frame().dwMouse);
    EXPECT_EQ(events, (std::vector<DWORD>{MOUSE_LDOWN, MOUSE_LUP, MOUSE_RDOWN, MOUSE_RUP, MOUSE_MDOWN, MOUSE_MUP, 0}));
    EXPECT_TRUE(Mouse().IsKeyDown(3));
    EXPECT_FALSE(Mouse().IsKeyDown(0));
}

TEST_F(InputTest, ClicksSurviveWhenMovementOverflowsTheDeviceBuffer) {
    // Sixteen diagonal moves fill the 32-record buffer; the click pushes the oldest out.
    for (int i = 1; i <= 16; ++i) InjectMouseMove(hwnd, 10 * i, 5 * i);
    InjectMouseButton(hwnd, 0, true);
    InjectMouseButton(hwnd, 0, false);
    EXPECT_EQ(Frame().dwMouse, DWORD{MOUSE_LDOWN});
    EXPECT_EQ(Frame().dwMouse, DWORD{MOUSE_LUP});
}

TEST_F(InputTest, CreatingAgainReplacesTheDevicesAndReleasingEndsThem) {
    int live = VelmoraTest::CountInputDevices();
    ASSERT_EQ(input.CreateInput(hwnd), 1);  // the first devices are released, not leaked
    EXPECT_EQ(VelmoraTest::CountInputDevices(), live);
    Frame();
    InjectKey('Z', true);
    EXPECT_EQ(Frame().dwKey, DWORD{DIK_Z});
    input.ReleaseInput();
    EXPECT_EQ(VelmoraTest::CountInputDevices(), live - 2);
    app.Destroy();  // releases the engine's own devices
    EXPECT_EQ(VelmoraTest::CountInputDevices(), live - 4);
}

TEST_F(InputTest, SetBufferKeyQueuesOnlyCodesInRange) {
    struct Case {
        const char* device;
        unsigned code;
        bool down;
        DWORD queued;  // 0: nothing
    };
    const Case cases[] = {
        {"key", 0, true, 0},     {"key", 1, true, 1},   {"key", 0x1C, true, 0x1C},    {"key", 0x1C, false, 0x11C},
        {"key", 237, true, 237}, {"key", 238, true, 0}, {"key", 0xFFFFFFFF, true, 0}, {"mouse", 0, true, 0},
        {"mouse", 1, false, 1},  {"mouse", 8, true, 8}, {"mouse", 32, false, 32},     {"mouse", 33, true, 0},
    };
    for (const Case& c : cases) {
        CInputDevice& device = c.device[0] == 'k' ? static_cast<CInputDevice&>(Key()) : Mouse();
        device.SetBufferKey(c.code, c.down);
        EXPECT_EQ(device.GetBufferKey(), c.queued) << c.device << " " << c.code << " " << c.down;
        EXPECT_EQ(device.GetBufferKey(), 0u);
    }
}

TEST_F(InputTest, TheThirtySecondUnreadEntryEmptiesTheRing) {
    for (unsigned code = 1; code <= 32; ++code) Key().SetBufferKey(code, true);
    EXPECT_EQ(Key().GetBufferKey(), 0u);
    // Writing goes on over the oldest entries.
    for (unsigned code = 1; code <= 33; ++code) Key().SetBufferKey(code, true);
    EXPECT_EQ(Key().GetBufferKey(), 33u);
    EXPECT_EQ(Key().GetBufferKey(), 0u);
}

TEST_F(InputTest, ClearBufferKeyAlsoDropsEventsStillInTheDevice) {
    Key().SetBufferKey(DIK_W, true);
    InjectKey('S', true);  // not collected by any read yet
    Key().ClearBufferKey();
    EXPECT_EQ(Key().GetBufferKey(), 0u);
    EXPECT_EQ(Frame().dwKey, 0u);
    EXPECT_TRUE(Key().IsKeyDown(DIK_S));  // the state still shows it held
}

TEST_F(InputTest, OutOfRangeButtonsAndKeysWarnAndReadAsUp) {
    EXPECT_FALSE(IsMouseDown(4));
    EXPECT_NE(VelmoraTest::TakeDebugOutput().find("[CMouse::IsKeyDown] wrong input"), std::string::npos);
    EXPECT_FALSE(IsMouseDown(255));
    EXPECT_NE(VelmoraTest::TakeDebugOutput().find("[CMouse::IsKeyDown] wrong input"), std::string::npos);
    for (int key : {-1, 256, DIK_A + 256}) {
        EXPECT_FALSE(IsKeyDown(key)) << key;
        EXPECT_NE(VelmoraTest::TakeDebugOutput().find("Invalidate parameter!"), std::string::npos) << key;
    }
    EXPECT_FALSE(IsMouseDown(0));
    EXPECT_TRUE(VelmoraTest::TakeDebugOutput().empty());
}

TEST_F(InputTest, MovedComparesWithThePreviousUpdate) {
    InjectMouseMove(hwnd, 100, 120);
    stInputInfo info = Frame();
    EXPECT_TRUE(info.bMoved);
    EXPECT_EQ(info.ptCursor.x, 100);
    EXPECT_EQ(info.ptCursor.y, 120);
    EXPECT_FALSE(Frame().bMoved);
    // Away and back between two updates is no movement.
    InjectMouseMove(hwnd, 300, 20);
    InjectMouseMove(hwnd, 100, 120);
    EXPECT_FALSE(Frame().bMoved);
    InjectMouseMove(hwnd, 101, 120);
    EXPECT_TRUE(Frame().bMoved);
}

TEST_F(InputTest, MouseOffsetsAreTheMovementSinceThePreviousUpdate) {
    InjectMouseMove(hwnd, 10, 10);
    Frame();
    InjectMouseMove(hwnd, 25, 40);
    InjectMouseMove(hwnd, 20, 45);
    VelmoraTest::InjectMouseWheel(hwnd, 1);
    Frame();
    LONG x = 0, y = 0, z = 0;
    Mouse().GetPointerOffset(&x, &y, &z);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 35);
    EXPECT_EQ(z, 120);
    Frame();
    Mouse().GetPointerOffset(&x, nullptr, &z);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(z, 0);
}

TEST_F(InputTest, InTheBackgroundReadsFailAndKeysReadAsUp) {
    InjectKey('A', true);
    InjectMouseButton(hwnd, 0, true);
    Frame();
    ASSERT_TRUE(Key().IsKeyDown(DIK_A));

    VelmoraTest::InjectFocus(hwnd, false);
    EXPECT_EQ(Key().GetState(), -1);
    EXPECT_EQ(Mouse().GetState(), -1);
    EXPECT_EQ(Key().GetData(), -1);
    for (int key = 0; key < 256; ++key) EXPECT_FALSE(Key().IsKeyDown(static_cast<unsigned char>(key))) << key;
    EXPECT_TRUE(Mouse().IsKeyDown(0));                    // the mouse keeps its last values
    EXPECT_TRUE(VelmoraTest::TakeDebugOutput().empty());  // losing the foreground is not logged

    VelmoraTest::InjectFocus(hwnd, true);
    EXPECT_EQ(Key().GetState(), DI_OK);
    EXPECT_EQ(Mouse().GetState(), DI_OK);
    EXPECT_FALSE(Mouse().IsKeyDown(0));  // its release went unseen in the background
    InjectKey('C', true);
    EXPECT_EQ(Frame().dwKey, DWORD{DIK_C});
}

TEST_F(InputTest, DevicesThatWereNeverCreatedWarnOnEveryRead) {
    CKey key;
    CMouse mouse;
    EXPECT_EQ(key.GetState(), -1);
    EXPECT_EQ(mouse.GetData(), -1);
    std::string warnings = VelmoraTest::TakeDebugOutput();
    EXPECT_NE(warnings.find("CKey::m_lpDevice==NULL"), std::string::npos);
    EXPECT_NE(warnings.find("CMouse::m_lpDevice==NULL"), std::string::npos);
    EXPECT_EQ(input.UpdateBufferInput(nullptr), 0);
}

// Through the main loop: the engine snapshot and the free functions, on the manual clock.
class InputRunTest : public EngineTest {};

TEST_F(InputRunTest, TheGameReadsTheFrameSnapshotInMainLoop) {
    std::remove("VLMLog.html");
    InputGame game;
    game.SetDLLFileLog(true);
    VelmoraTest::SetClockTickEveryReads(3);
    ASSERT_EQ(game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "run", nullptr), 1);
    HWND hwnd = game.GetWndHandle();
    DWORD t0 = VelmoraTest::GetClock();
    InjectAt(t0 + 5, [] { InjectKey('A', true); });
    InjectAt(t0 + 5, [] { InjectKey('A', false); });
    InjectAt(t0 + 10, [hwnd] {
        InjectMouseMove(hwnd, 30, 40);
        InjectMouseButton(hwnd, 0, true);
        InjectMouseButton(hwnd, 0, false);
    });
    InjectAt(t0 + 20, [] { InjectKey('S', true); });
    InjectAt(t0 + 40, [hwnd] { VelmoraTest::InjectClose(hwnd); });

    std::vector<DWORD> keys, clicks;  // each frame's events
    bool sHeld = false, sAliasHeld = false;
    POINT lastCursor{};
    game.onFrame = [&] {
        stInputInfo info = GetInputInfo();
        keys.push_back(info.dwKey);
        clicks.push_back(info.dwMouse);
        lastCursor = info.ptCursor;
        sHeld = sHeld || IsKeyDown(DIK_S);
        sAliasHeld = sAliasHeld || IsKeyDown(DIK_S + 256);
    };
    game.Run();
    game.Destroy();
    DestroyWindow(hwnd);

    // Press and release come in two consecutive frames; nothing else is queued.
    auto press = std::find(keys.begin(), keys.end(), DWORD{DIK_A});
    ASSERT_NE(press, keys.end());
    ASSERT_NE(press + 1, keys.end());
    EXPECT_EQ(press[1], DWORD{DIK_A + 256});
    keys.erase(std::remove(keys.begin(), keys.end(), 0u), keys.end());
    EXPECT_EQ(keys, (std::vector<DWORD>{DIK_A, DIK_A + 256, DIK_S}));
    auto click = std::find(clicks.begin(), clicks.end(), DWORD{MOUSE_LDOWN});
    ASSERT_NE(click, clicks.end());
    ASSERT_NE(click + 1, clicks.end());
    EXPECT_EQ(click[1], DWORD{MOUSE_LUP});
    EXPECT_EQ(lastCursor.x, 30);
    EXPECT_EQ(lastCursor.y, 40);
    EXPECT_TRUE(sHeld);
    EXPECT_FALSE(sAliasHeld);
    std::string log = ReadFile("VLMLog.html");
    size_t keyboard = log.find("]Initiate Keyboard input device...OK</font>");
    size_t mouse = log.find("]Initiate Mouse input device...OK</font>");
    ASSERT_NE(keyboard, std::string::npos);
    ASSERT_NE(mouse, std::string::npos);
    EXPECT_LT(keyboard, mouse);
}

}  // namespace
