// The engine's pads on the testing component's virtual pads: indexes that stay with their
// pad, the frame's buttons, presses and releases, sticks and triggers after their dead zones,
// rumble, and the messages posted when a pad comes or goes.
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "support/EngineTest.h"

namespace {

using VelmoraTest::AttachPad;
using VelmoraTest::DetachPad;
using VelmoraTest::InjectPadAxis;
using VelmoraTest::InjectPadButton;

class PadGame : public CGameApp {
public:
    std::function<void()> onFrame;
    void MainLoop() override {
        if (onFrame) onFrame();
    }
};

class PadTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_EQ(app.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "pads", nullptr), 1);
        hwnd = app.GetWndHandle();
        ASSERT_EQ(input.CreateInput(hwnd), 1);
    }
    void TearDown() override {
        input.ReleaseInput();
        app.Destroy();
        DestroyWindow(hwnd);
        EngineTest::TearDown();
    }
    void Frame() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        stInputInfo info{};
        input.UpdateBufferInput(&info);
    }
    std::vector<std::pair<int, int>> Events() {
        std::vector<std::pair<int, int>> events;
        int event = 0, pad = 0;
        while (input.TakePadEvent(&event, &pad)) events.emplace_back(event, pad);
        return events;
    }
    const stPadInfo& Pad(int pad) { return *input.GetPadInfo(pad); }

    PadGame app;
    HWND hwnd = nullptr;
    CInput input;
};

constexpr int kConnected = CInput::PAD_EVENT_CONNECTED;
constexpr int kDisconnected = CInput::PAD_EVENT_DISCONNECTED;
constexpr DWORD Bit(int button) { return 1u << button; }

TEST_F(PadTest, APadKeepsItsIndexAndTakesItAgainWhenItComesBack) {
    Frame();
    EXPECT_EQ(input.GetPadCount(), 0);
    ASSERT_EQ(AttachPad(), 0);
    ASSERT_EQ(AttachPad(), 1);
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::pair<int, int>>{{kConnected, 0}, {kConnected, 1}}));
    EXPECT_EQ(input.GetPadCount(), 2);

    InjectPadButton(0, PAD_BUTTON_A, true);
    DetachPad(0);
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::pair<int, int>>{{kDisconnected, 0}}));
    EXPECT_EQ(input.GetPadCount(), 1);
    EXPECT_FALSE(Pad(0).bConnected);
    EXPECT_TRUE(Pad(1).bConnected);

    // A new pad takes an index never used; the first one, back, takes its own.
    ASSERT_EQ(AttachPad(), 0);
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::pair<int, int>>{{kConnected, 0}}));
    ASSERT_EQ(AttachPad(), 2);
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::pair<int, int>>{{kConnected, 2}}));
    EXPECT_EQ(input.GetPadCount(), 3);

    EXPECT_EQ(input.GetPadInfo(MAX_PADS), nullptr);
    EXPECT_EQ(input.GetPadInfo(-1), nullptr);
    EXPECT_FALSE(input.IsPadButtonDown(0, PAD_BUTTON_COUNT));
}

TEST_F(PadTest, ButtonsArePressedHeldAndReleasedFrameByFrame) {
    ASSERT_EQ(AttachPad(), 0);
    Frame();
    InjectPadButton(0, PAD_BUTTON_A, true);
    InjectPadButton(0, PAD_BUTTON_DPAD_LEFT, true);
    Frame();
    EXPECT_EQ(Pad(0).dwButtons, Bit(PAD_BUTTON_A) | Bit(PAD_BUTTON_DPAD_LEFT));
    EXPECT_EQ(Pad(0).dwPressed, Bit(PAD_BUTTON_A) | Bit(PAD_BUTTON_DPAD_LEFT));
    EXPECT_TRUE(input.IsPadButtonDown(0, PAD_BUTTON_A));
    Frame();
    EXPECT_EQ(Pad(0).dwPressed, 0u);
    EXPECT_EQ(Pad(0).dwButtons, Bit(PAD_BUTTON_A) | Bit(PAD_BUTTON_DPAD_LEFT));

    // A tap between two frames is pressed and released in the one frame.
    InjectPadButton(0, PAD_BUTTON_START, true);
    InjectPadButton(0, PAD_BUTTON_START, false);
    InjectPadButton(0, PAD_BUTTON_A, false);
    InjectPadButton(0, PAD_BUTTON_DPAD_LEFT, false);
    InjectPadButton(0, PAD_BUTTON_DPAD_UP, true);
    Frame();
    EXPECT_EQ(Pad(0).dwButtons, Bit(PAD_BUTTON_DPAD_UP));
    EXPECT_EQ(Pad(0).dwPressed, Bit(PAD_BUTTON_START) | Bit(PAD_BUTTON_DPAD_UP));
    EXPECT_EQ(Pad(0).dwReleased, Bit(PAD_BUTTON_START) | Bit(PAD_BUTTON_A) | Bit(PAD_BUTTON_DPAD_LEFT));

    // In the background the pad reads as untouched; what was held is released.
    VelmoraTest::InjectFocus(hwnd, false);
    Frame();
    EXPECT_EQ(Pad(0).dwButtons, 0u);
    EXPECT_EQ(Pad(0).dwReleased, Bit(PAD_BUTTON_DPAD_UP));
    EXPECT_TRUE(Pad(0).bConnected);
    VelmoraTest::InjectFocus(hwnd, true);
    Frame();
    EXPECT_EQ(Pad(0).dwButtons, Bit(PAD_BUTTON_DPAD_UP));
}

TEST_F(PadTest, SticksHaveARoundDeadZoneAndTriggersARestingOne) {
    ASSERT_EQ(AttachPad(), 0);
    Frame();
    const float d = CPad::kDefaultStickDeadZone, t = CPad::kDefaultTriggerDeadZone;
    const struct {
        float x, y, trigger;
        float outX, outY, outTrigger;
    } cases[] = {
        {0.2f, 0.1f, 0.1f, 0, 0, 0},                                     // inside both dead zones
        {0.5f, 0, 0.5f, (0.5f - d) / (1 - d), 0, (0.5f - t) / (1 - t)},  // along an axis
        {-0.6f, 0.8f, 1, -0.6f, 0.8f, 1},                                // full tilt keeps its direction
        {0.3f, -0.3f, 0, 0.3f * (0.4243f - d) / (1 - d) / 0.4243f, -0.3f * (0.4243f - d) / (1 - d) / 0.4243f, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        InjectPadAxis(0, PAD_AXIS_RIGHT_X, c.x);
        InjectPadAxis(0, PAD_AXIS_RIGHT_Y, c.y);
        InjectPadAxis(0, PAD_AXIS_LEFT_TRIGGER, c.trigger);
        Frame();
        EXPECT_NEAR(Pad(0).fAxis[PAD_AXIS_RIGHT_X], c.outX, 0.002);
        EXPECT_NEAR(Pad(0).fAxis[PAD_AXIS_RIGHT_Y], c.outY, 0.002);
        EXPECT_NEAR(Pad(0).fAxis[PAD_AXIS_LEFT_TRIGGER], c.outTrigger, 0.002);
        EXPECT_EQ(Pad(0).fAxis[PAD_AXIS_LEFT_X], 0);
    }
    input.SetPadDeadZone(0, 0);
    InjectPadAxis(0, PAD_AXIS_LEFT_X, 0.1f);
    Frame();
    EXPECT_NEAR(Pad(0).fAxis[PAD_AXIS_LEFT_X], 0.1f, 0.002);

    EXPECT_TRUE(input.SetPadRumble(0, 1, 0.25f, 100));
    const VelmoraTest::PadRumble rumble = VelmoraTest::GetPadRumble(0);
    EXPECT_EQ(rumble.requests, 1);
    EXPECT_NEAR(rumble.low, 1, 0.001);
    EXPECT_NEAR(rumble.high, 0.25f, 0.001);
    EXPECT_FALSE(input.SetPadRumble(1, 1, 1, 100));  // no pad there
}

TEST_F(PadTest, TheMainLoopPostsAPadsComingAndGoing) {
    std::vector<std::pair<DWORD, DWORD>> messages;
    int frame = 0;
    VelmoraTest::SetClockTickEveryReads(3);  // time passes while the loop waits for the next frame
    app.onFrame = [&] {
        int index = 0;
        CMessage message;
        while (PeekMessageA(index, message, true))
            if (message.m_dwMessage == MSG_PAD_CONNECTED || message.m_dwMessage == MSG_PAD_DISCONNECTED)
                messages.emplace_back(message.m_dwMessage, message.m_dwParam1);
        if (frame == 1) AttachPad();
        if (frame == 2) {
            EXPECT_TRUE(IsPadButtonDown(0, PAD_BUTTON_X));
            EXPECT_EQ(GetPadCount(), 1);
            DetachPad(0);
        }
        if (frame == 1) InjectPadButton(0, PAD_BUTTON_X, true);
        if (++frame == 4) PostQuitMessage(0);
    };
    app.Run();
    EXPECT_EQ(messages, (std::vector<std::pair<DWORD, DWORD>>{{MSG_PAD_CONNECTED, 0}, {MSG_PAD_DISCONNECTED, 0}}));
}

}  // namespace
