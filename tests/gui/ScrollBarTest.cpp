// Scroll bars: clamping, thumb length and place, step-button places (plain, skinned,
// horizontal), ShowItem, SetSize, the failure lines, and through the real main loop the step
// buttons with their auto-repeat on the manual clock, track paging, thumb dragging and which
// changes are reported.
#include "support/GuiFixture.h"

namespace {

// Step-button states, each 16 x 16 in a 16 x 64 picture, and the thumb's colour.
const DWORD kStates[4] = {0xFF404040, 0xFF606060, 0xFF808080, 0xFF202020};
const DWORD kPin = 0xFFC08040;

class ScrollBarTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        const Picture button = Painted(16, 64, [](int, int y) { return kStates[y / 16]; });
        // Pictures: two step buttons, a 16 x 20 thumb and a 32 x 32 one.
        WriteAmf("bar.amf", {button, button, Solid(16, 20, kPin), Solid(32, 32, kPin)});
    }
    // A bar with ID 30 in the default container: track at (100, 20), 16 x 200, range 0 to
    // 100, page 10.
    template <class Bar = GScrollBar>
    Bar* Make(const std::string& keys = "") {
        // The first of two lines with one key counts: `keys` change the defaults after them.
        WriteIni("s.ini", "[S]\n" + keys +
                              "ID=30\nFile=bar.amf\nBtn1Picture=0\nBtn2Picture=1\nPinPicture=2\nPosition=100,20\n"
                              "SrcRect=0,0,16,200\nEnd=100\nPageSize=10\n");
        CWindow* container = manager->GetDefaultContainer();
        Bar* bar = new Bar(container);
        container->AddWindow(bar);
        EXPECT_TRUE(bar->LoadFromIni("s.ini", "S"));
        return bar;
    }
    // Sets the manual clock `ms` after the test's start.
    std::function<void()> Clock(DWORD ms) {
        return [this, ms] { VelmoraTest::SetClock(start + ms); };
    }
    std::vector<DWORD> Changes() const {
        std::vector<DWORD> positions;
        for (const GuiEvent& e : game.events)
            if (e.code == GUI_EVENT_CHANGE) positions.push_back(e.param2);
        return positions;
    }

    DWORD start = 0;
};

TEST_F(ScrollBarTest, PositionClampsAndTheThumbShowsThePage) {
    GScrollBar* bar = Make();
    struct Case {
        int start, end, page, pos;
        int expected;
        bool thumb;
        int top, length;  // from the track's top
    };
    const Case cases[] = {
        {0, 100, 10, 45, 45, true, 90, 20},
        {0, 100, 10, 95, 90, true, 180, 20},
        {0, 100, 10, -3, 0, true, 0, 20},
        {20, 120, 10, 30, 30, true, 20, 20},
        {0, 10, 20, 5, 0, false, 0, 0},  // the range fits in one page
        {0, 10, 10, 5, 0, false, 0, 0},
        {0, 1000, 1, 500, 500, true, 96, 8},  // 200 x 1 / 1000 = 0, raised to 8
        {0, 100, 0, 50, 50, true, 96, 8},     // no page
        // Nonsense from a file hides the thumb rather than dividing by a range of nothing.
        {0, 0, -5, 3, 3, false, 0, 0},
        {10, 0, -20, 3, 10, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.start << ".." << c.end << " page " << c.page << " pos " << c.pos);
        bar->SetTrackRange(c.start, c.end);
        bar->SetPageSize(c.page);
        bar->SetTrackPos(c.pos);
        EXPECT_EQ(bar->GetTrackPos(), c.expected);
        ASSERT_EQ(bar->IsThumbShown(), c.thumb);
        const RECT& t = bar->GetThumbRect();
        if (c.thumb) {
            EXPECT_EQ(GRect(t), GRect(100, 20 + c.top, 116, 20 + c.top + c.length));
        } else {
            EXPECT_EQ(t.bottom, t.top);
        }
    }
    // Scroll clamps as well.
    bar->SetTrackRange(0, 100);
    bar->SetPageSize(10);
    bar->SetTrackPos(85);
    bar->Scroll(7);
    EXPECT_EQ(bar->GetTrackPos(), 90);
    bar->Scroll(-1000);
    EXPECT_EQ(bar->GetTrackPos(), 0);
}

TEST_F(ScrollBarTest, ShowItemScrollsTheLeastAmount) {
    GScrollBar* bar = Make();
    const int items[] = {95, 3, -5, 50, 55, 1000};
    const int positions[] = {86, 3, 0, 41, 46, 90};
    for (size_t i = 0; i < 6; ++i) {
        bar->ShowItem(items[i]);
        EXPECT_EQ(bar->GetTrackPos(), positions[i]) << items[i];
    }
}

TEST_F(ScrollBarTest, StepButtonPlacesForEachShape) {
    struct Case {
        bool cool, horizontal;
        GRect button1, button2;
        GRect track;  // after SetSize(16, 232) or SetSize(232, 16)
    };
    // Track at (100, 20), 16 x 200 (vertical) or 200 x 16 (horizontal).
    const Case cases[] = {
        {false, false, GRect(100, 4, 116, 20), GRect(100, 220, 116, 236), GRect(100, 20, 116, 220)},
        {false, true, GRect(84, 20, 100, 36), GRect(300, 20, 316, 36), GRect(100, 20, 300, 36)},
        {true, false, GRect(100, -6, 116, 10), GRect(100, 214, 116, 230), GRect(100, 20, 116, 220)},
        {true, true, GRect(74, 20, 90, 36), GRect(294, 20, 310, 36), GRect(100, 20, 300, 36)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "cool " << c.cool << " horizontal " << c.horizontal);
        manager->Reset();
        const std::string keys = c.horizontal ? "SrcRect=0,0,200,16\nHorizontal=1\n" : "";
        GScrollBar* bar = c.cool ? Make<CoolScroll>(keys) : Make<GScrollBar>(keys);
        EXPECT_EQ(bar->IsHorizontal(), c.horizontal);
        EXPECT_EQ(bar->GetButtonRect(1), c.button1);
        EXPECT_EQ(bar->GetButtonRect(2), c.button2);
        EXPECT_EQ(bar->GetMinWidth(), 16);
        EXPECT_EQ(bar->GetMinHeight(), 16);
        // The overall size less the two buttons makes the track.
        bar->SetSize(c.horizontal ? 232 : 16, c.horizontal ? 16 : 232);
        EXPECT_EQ(bar->GetButtonRect(2), c.button2);
        // The setter turns a bar the other way.
        bar->SetHorizontal(!c.horizontal);
        EXPECT_EQ(bar->IsHorizontal(), !c.horizontal);
    }
    // The skinned bar of the example: track at (100, 50), 16 x 200.
    manager->Reset();
    CoolScroll* cool = Make<CoolScroll>("Position=100,50\n");
    EXPECT_EQ(cool->GetButtonRect(1).LeftTop(), GPoint(100, 24));
    EXPECT_EQ(cool->GetButtonRect(2).LeftTop(), GPoint(100, 244));
    cool->SetTrackPos(45);  // 32 x 32, travelling over the track less 20, 6 above its place
    EXPECT_EQ(GRect(cool->GetThumbRect()), GRect(100, 50 + 90 - 6, 132, 50 + 90 - 6 + 32));
}

TEST_F(ScrollBarTest, EachMissingPictureFailsWithItsLine) {
    struct Case {
        const char* keys;
        const char* error;
    };
    const Case cases[] = {
        {"Btn2Picture=1\nPinPicture=2\n", "Can't Get Min Button in file[m.ini] index[M]"},
        {"Btn1Picture=0\nPinPicture=2\n", "Can't Get Max Button in file[m.ini] index[M]"},
        {"Btn1Picture=0\nBtn2Picture=1\n", "Can't Get Slider Button in file[m.ini] index[M]"},
        {"Btn1Picture=0\nBtn2Picture=1\nPinPicture=9\n", "Can't Get Slider Button in file[m.ini] index[M]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        WriteIni("m.ini", std::string("[M]\nFile=bar.amf\nSrcRect=0,0,16,100\n") + c.keys);
        GScrollBar bar;
        EXPECT_FALSE(bar.LoadFromIni("m.ini", "M"));
        std::vector<std::string> errors = Errors();
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.back(), c.error);
    }
}

TEST_F(ScrollBarTest, TrackPressesPageByOneLessThanThePage) {
    GScrollBar* bar = Make();
    Run({[&] { bar->SetTrackPos(40); },  // silent: thumb at 20 + 80
         MoveAndButton(108, 200, true), Left(false), MoveAndButton(108, 25, true), Left(false),
         MoveAndButton(108, 105, true), Left(false)});
    // Below the thumb: +9; above it: -9; on the thumb: nothing.
    EXPECT_EQ(Changes(), (std::vector<DWORD>{49, 40}));
    ASSERT_EQ(game.events.size(), 2u);
    EXPECT_EQ(game.events[0], (GuiEvent{0, 30, GUI_EVENT_CHANGE, 49, bar}));
    EXPECT_EQ(game.events[0].frame, 2);
    EXPECT_EQ(bar->GetTrackPos(), 40);
    // The pointer on the track counts as handled.
    EXPECT_TRUE(game.handled.at(2));
    EXPECT_FALSE(game.handled.at(0));
}

TEST_F(ScrollBarTest, AHeldStepButtonRepeatsAfter330MsThenEvery50) {
    GScrollBar* bar = Make();
    start = VelmoraTest::GetClock() + 100;
    std::vector<int> positions;
    std::vector<int> states;
    auto note = [&] {
        positions.push_back(bar->GetTrackPos());
        states.push_back(bar->GetButton(2).nState);
    };
    // Press button 2 at 0, wander off while holding, release at 460.
    const std::vector<DWORD> times{320, 340, 360, 385, 395, 440, 450, 460, 900};
    std::vector<std::function<void()>> steps{Clock(0), MoveAndButton(108, 228, true)};
    for (DWORD t : times) {
        steps.push_back(note);
        steps.push_back(Clock(t));
        if (t == 360) steps.push_back(MoveTo(10, 10));
        if (t == 460) steps.push_back(Left(false));
    }
    steps.push_back(note);
    Run(steps);
    // Frames: the press, then 320 (wait), 340 (first repeat), 360, 385 (waiting 50 ms),
    // 395 (repeat), 440, 450 (repeat), the release at 460, 900.
    EXPECT_EQ(positions, (std::vector<int>{1, 1, 2, 2, 2, 3, 3, 4, 4, 4}));
    EXPECT_EQ(Changes(), (std::vector<DWORD>{1, 2, 3, 4}));
    // Pressed while over it, normal once the pointer left.
    EXPECT_EQ(states.front(), GScrollBar::BTN_PRESSED);
    EXPECT_EQ(states.back(), GScrollBar::BTN_NORMAL);
}

TEST_F(ScrollBarTest, StepButtonsStopAtTheEndsAndShowHover) {
    GScrollBar* bar = Make();
    std::vector<int> states;
    auto note = [&] { states.push_back(bar->GetButton(1).nState); };
    Run({MoveTo(108, 10), note, Left(true), note, Left(false), note, MoveTo(108, 50), note});
    EXPECT_EQ(bar->GetTrackPos(), 0);  // already at the start
    EXPECT_TRUE(Changes().empty());
    EXPECT_EQ(states, (std::vector<int>{GScrollBar::BTN_HOVER, GScrollBar::BTN_PRESSED, GScrollBar::BTN_HOVER,
                                        GScrollBar::BTN_NORMAL}));
    bar->Disable();
    EXPECT_EQ(bar->GetButton(1).nState, GScrollBar::BTN_DISABLED);
    Run({MoveAndButton(108, 228, true), Left(false)});
    EXPECT_EQ(bar->GetTrackPos(), 0);
    EXPECT_EQ(game.handled, (std::vector<bool>{false, false, false}));
    bar->Enable();
    EXPECT_EQ(bar->GetButton(2).nState, GScrollBar::BTN_NORMAL);
}

TEST_F(ScrollBarTest, CoolStepButtonsAreHitSixPixelsInside) {
    // Buttons at (100, -6) and (100, 214); button 2 is hit from (106, 220) to (110, 224),
    // below the track.
    CoolScroll* bar = Make<CoolScroll>();
    Run({MoveAndButton(102, 226, true), Left(false), MoveAndButton(108, 222, true), Left(false)});
    EXPECT_EQ(Changes(), (std::vector<DWORD>{1}));
    EXPECT_EQ(game.events.at(0).frame, 3);
    EXPECT_EQ(bar->GetTrackPos(), 1);
}

TEST_F(ScrollBarTest, DraggingTheThumbMapsBackOntoTheGrid) {
    GScrollBar* bar = Make();
    // The thumb covers 20 to 40; grab it 5 below its top. The pointer's travel of 180 (track
    // less the thumb picture) spans 90 positions: 2 pixels a position.
    Run({MoveAndButton(108, 25, true), MoveTo(108, 25 + 91), MoveTo(108, 25 + 91 + 600), Left(false), MoveTo(108, 60)});
    EXPECT_EQ(Changes(), (std::vector<DWORD>{46, 90}));
    // The thumb went back onto the grid: 46 x 2 below the track's top, not 91.
    EXPECT_EQ(bar->GetTrackPos(), 90);
    EXPECT_EQ(bar->GetThumbRect().top, 20 + 180);
    // Handled while dragging, even off the bar.
    EXPECT_EQ(std::vector<bool>(game.handled.begin() + 1, game.handled.end() - 1),
              (std::vector<bool>{true, true, true, false}));
}

TEST_F(ScrollBarTest, DragWithoutRoomForTheThumbLeavesThePosition) {
    // A 16 x 20 track with a thumb picture as high: the pointer has no travel to map.
    GScrollBar* bar = Make("SrcRect=0,0,16,20\nPosition=100,100\nPos=3\n");
    ASSERT_TRUE(bar->IsThumbShown());
    const RECT thumb = bar->GetThumbRect();
    Run({MoveAndButton(108, thumb.top + 1, true), MoveTo(108, 300), MoveTo(108, -300), Left(false)});
    EXPECT_EQ(bar->GetTrackPos(), 3);
    EXPECT_TRUE(Changes().empty());
    // Shorter still: the travel is negative.
    bar->SetSize(16, 32 + 10);
    Run({MoveAndButton(108, bar->GetThumbRect().top + 1, true), MoveTo(108, 200), Left(false)});
    EXPECT_EQ(bar->GetTrackPos(), 3);
}

TEST_F(ScrollBarTest, ExtremeNumbersFromAFileNeitherOverflowNorDivideByZero) {
    // Under the sanitizers a signed overflow or a bad conversion fails the test.
    const char* const keys[] = {
        "Start=-2147483648\nEnd=2147483647\nPageSize=-2147483648\nPos=2147483647\n",
        "Start=2147483647\nEnd=-2147483648\nPageSize=2147483647\nPos=-2147483648\n",
        "End=2147483647\nPageSize=2\nPos=2147483647\n",
        "End=-2147483648\nPageSize=0\n",
    };
    for (const char* k : keys) {
        SCOPED_TRACE(k);
        manager->Reset();
        GScrollBar* bar = Make(k);
        int start = 0, end = 0;
        bar->GetTrackRange(start, end);
        bar->ShowItem(2147483647);
        bar->ShowItem(-2147483647 - 1);
        bar->Scroll(2147483647);
        Run({MoveAndButton(108, 228, true), Left(false), MoveAndButton(108, 10, true), Left(false),
             MoveAndButton(108, 210, true), Left(false), MoveAndButton(108, 25, true), Left(false),
             MoveAndButton(108, 60, true), MoveTo(108, 300), Left(false)});
        EXPECT_GE(bar->GetTrackPos(), std::min(start, end));
    }
}

TEST_F(ScrollBarTest, TheThumbIsDrawnAtItsPlace) {
    GScrollBar* bar = Make("Pos=45\n");
    auto pixels = Frame([&] { manager->Render(); });
    // Thumb rows 110 to 129; the track itself is not drawn.
    for (int y = 105; y < 135; ++y) {
        const DWORD expected = y >= 110 && y < 130 ? kPin : kPaper;
        EXPECT_EQ(At(pixels, 108, y), expected & 0xFFFFFF) << y;
    }
    EXPECT_EQ(At(pixels, 100, 115), kPin & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 116, 115), kPaper & 0xFFFFFF);
    // Both step buttons in their normal state.
    EXPECT_EQ(At(pixels, 108, 10), kStates[0] & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 108, 228), kStates[0] & 0xFFFFFF);
    bar->SetTrackRange(0, 5);  // fits in a page: no thumb
    pixels = Frame([&] { manager->Render(); });
    EXPECT_EQ(At(pixels, 108, 25), kPaper & 0xFFFFFF);
}

}  // namespace
