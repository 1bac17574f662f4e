// Sliders: the thumb's place and the pointer's mapping both ways, horizontal and vertical,
// clamping with its messages, jumps and drags through the real main loop, the failure lines,
// and ranges or tracks that leave the thumb nowhere to go.
#include "support/GuiFixture.h"

namespace {

const DWORD kFrame = 0xFF203040;
const DWORD kThumb = 0xFFE0C020;

class SliderTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        // A frame strip of eight 8 x 8 cells and a 10 x 16 thumb.
        WriteAmf("slider.amf", {Solid(64, 8, kFrame), Solid(10, 16, kThumb)});
    }
    // A slider with ID 40 in the default container: a horizontal track at (50, 100), 210 x 16,
    // 0 to 100. `keys` come first and win over the defaults after them.
    CSlider* Make(const std::string& keys = "") {
        WriteIni("s.ini", "[S]\n" + keys +
                              "ID=40\nFile=slider.amf\nPicture=0\nBtnPicture=1\nPosition=50,100\n"
                              "SrcRect=0,0,210,16\n");
        CWindow* container = manager->GetDefaultContainer();
        auto* slider = new CSlider(container);
        container->AddWindow(slider);
        loaded = slider->LoadFromIni("s.ini", "S");
        return slider;
    }
    std::vector<DWORD> Changes() const {
        std::vector<DWORD> values;
        for (const GuiEvent& e : game.events)
            if (e.code == GUI_EVENT_CHANGE) values.push_back(e.param2);
        return values;
    }
    bool loaded = false;
};

TEST_F(SliderTest, ThumbPlaceAndPointerMapping) {
    struct Case {
        const char* keys;
        int value;
        POINT thumb;  // for the value
        POINT click;  // where a press lands
        int clicked;  // the value it gives
    };
    const Case cases[] = {
        // 200 pixels of travel for 100 values: 2 a value.
        {"", 50, {150, 100}, {200, 108}, 75},
        {"", 0, {50, 100}, {51, 108}, 0},  // 0.5 truncates
        {"", 100, {250, 100}, {259, 108}, 100},
        {"Min=-10\nMax=10\n", 5, {200, 100}, {60, 108}, -9},
        // Vertical: a 16 x 116 track, the thumb centred across it, 1 pixel a value.
        {"Type=1\nSrcRect=0,0,16,116\n", 25, {53, 125}, {55, 150}, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        manager->Reset();
        CSlider* slider = Make(c.keys);
        ASSERT_TRUE(loaded);
        slider->SetValue(c.value);
        EXPECT_EQ(slider->GetThumbPos().x, c.thumb.x);
        EXPECT_EQ(slider->GetThumbPos().y, c.thumb.y);
        Run({MoveAndButton(c.click.x, c.click.y, true), Left(false)});
        EXPECT_EQ(slider->GetValue(), c.clicked);
        EXPECT_EQ(game.handled.at(1), true);
    }
}

TEST_F(SliderTest, TheThumbIsDrawnOverTheFrame) {
    CSlider* slider = Make("Value=50\n");
    auto pixels = Frame([&] { manager->Render(); });
    EXPECT_EQ(At(pixels, 149, 108), kFrame & 0xFFFFFF);
    for (int x = 150; x < 160; ++x) EXPECT_EQ(At(pixels, x, 108), kThumb & 0xFFFFFF) << x;
    EXPECT_EQ(At(pixels, 160, 108), kFrame & 0xFFFFFF);
    Run({MoveAndButton(200, 108, true), Left(false)});  // to 75: the thumb at 200
    pixels = Frame([&] { manager->Render(); });
    EXPECT_EQ(At(pixels, 199, 108), kFrame & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 200, 108), kThumb & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 209, 108), kThumb & 0xFFFFFF);
    EXPECT_EQ(slider->GetValue(), 75);
}

TEST_F(SliderTest, EveryChangeIsReportedOnce) {
    CSlider* slider = Make();
    Run({[&] {
        slider->SetValue(150);  // clamped to 100
        slider->SetValue(150);
        slider->SetRange(0, 10);  // clamps 100 to 10
        slider->SetValue(10);
        slider->SetRange(20, 30);
    }});
    EXPECT_EQ(Changes(), (std::vector<DWORD>{100, 10, 20}));
    int min = 0, max = 0;
    slider->GetRange(min, max);
    EXPECT_EQ(min, 20);
    EXPECT_EQ(max, 30);
    EXPECT_EQ(game.events.at(0), (GuiEvent{0, 40, GUI_EVENT_CHANGE, 100, slider}));
    // Loading reports a value other than the one held.
    Run({[&] { Make("Value=30\n"); }, [&] { Make("Value=50\n"); }});
    EXPECT_EQ(Changes(), (std::vector<DWORD>{30}));
}

TEST_F(SliderTest, DraggingFollowsThePointerUntilTheRelease) {
    CSlider* slider = Make("Value=50\n");  // thumb at 150 to 160
    Run({MoveTo(155, 108), Left(true), MoveTo(170, 120), MoveTo(170, 120), MoveTo(10, 30), Left(false),
         MoveTo(230, 108)});
    // The press on the thumb starts the drag without a jump; each move maps the pointer.
    EXPECT_EQ(Changes(), (std::vector<DWORD>{60, 0}));
    EXPECT_EQ(slider->GetValue(), 0);
    EXPECT_EQ(game.handled, (std::vector<bool>{false, false, true, true, true, true, false, false}));
}

TEST_F(SliderTest, FailureLines) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"[F]\nFile=slider.amf\nBtnPicture=1\n", "Can't Get m_rcSrc in file[f.ini] index[F]"},
        {"[F]\nFile=slider.amf\nPicture=7\nBtnPicture=1\n", "Can't Get m_rcSrc in file[f.ini] index[F]"},
        {"[F]\nFile=slider.amf\nPicture=0\n", "Can't Get m_rcButton in file[f.ini] index[F]"},
        {"[F]\nFile=slider.amf\nSrcRect=0,0,100,10\nBtnPicture=5\n", "Can't Get m_rcButton in file[f.ini] index[F]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WriteIni("f.ini", c.text);
        CSlider slider;
        EXPECT_FALSE(slider.LoadFromIni("f.ini", "F"));
        std::vector<std::string> errors = Errors();
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.back(), c.error);
    }
}

TEST_F(SliderTest, NoRangeOrNoTravelKeepsTheThumbAtOnePlace) {
    struct Case {
        const char* keys;
        int value;  // loaded, and kept by every press and drag
        POINT thumb;
    };
    const Case cases[] = {
        {"Min=5\nMax=5\n", 5, {50, 100}},                        // one value
        {"Min=0\nMax=100\nSrcRect=0,0,10,16\n", 50, {50, 100}},  // the thumb fills the track
        {"Min=0\nMax=100\nSrcRect=0,0,6,16\n", 50, {50, 100}},   // the thumb is wider than the track
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        manager->Reset();
        CSlider* slider = Make(c.keys);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(slider->GetValue(), c.value);
        EXPECT_EQ(slider->GetThumbPos().x, c.thumb.x);
        Run({MoveAndButton(52, 104, true), MoveTo(300, 104), MoveTo(-200, 104), Left(false),
             MoveAndButton(54, 104, true), Left(false)});
        EXPECT_EQ(slider->GetValue(), c.value);
        EXPECT_EQ(slider->GetThumbPos().x, c.thumb.x);
    }
}

}  // namespace
