// Buttons: state rectangles from "StateNum", and the pointer state machine with its messages
// through the real main loop, with injected pointer moves and left-button events.
#include <memory>

#include "support/GuiFixture.h"

namespace {

class ButtonTest : public GuiTest {
protected:
    // A button of `type` (2 or 256) with ID 7 at (100, 80) in the default container, from a
    // 40 x 64 picture of four 16-high states.
    ::Button* Make(int type, const std::string& extra = "") {
        WriteAmf("button.amf", {Painted(40, 64, [](int x, int y) { return 0xFF000000 | DWORD(x * 4 + y); })});
        WriteIni("b.ini", "[B]\nGUIType=" + std::to_string(type) +
                              "\nID=7\nFile=button.amf\nPicture=0\nPosition=100,80\nCaption=OK\n" + extra);
        CWindow* container = manager->GetDefaultContainer();
        ::Button* button = type == 256 ? new CoolButton(container) : new ::Button(container);
        container->AddWindow(button);
        button->LoadFromIni("b.ini", "B");
        return button;
    }
    GuiEvent Event(::Button* b, DWORD code) const { return GuiEvent{0, 7, code, b->GetType(), b}; }
};

TEST_F(ButtonTest, StateRectanglesComeFromTheStateCount) {
    struct Case {
        LONG pictureWidth, pictureHeight;
        const char* keys;
        LONG width, stateHeight;
    };
    const Case cases[] = {
        {64, 128, "StateNum=4\n", 64, 32},
        {64, 64, "StateNum=2\n", 64, 32},  // states 2 and 3 lie below the picture
        {64, 128, "SrcRect=10,10,74,138\n", 64, 32},
        {64, 128, "StateNum=0\n", 64, 128},  // a count below 1 counts as 1
        {64, 128, "StateNum=-3\n", 64, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        WriteAmf("states.amf", {Solid(c.pictureWidth, c.pictureHeight, 0xFFFFFFFF)});
        WriteIni("s.ini", std::string("[S]\nID=3\nFile=states.amf\nPicture=0\nPosition=5,6\n") + c.keys);
        ::Button b;
        EXPECT_TRUE(b.LoadFromIni("s.ini", "S"));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(b.GetStateRect(i), GRect(0, i * c.stateHeight, c.width, (i + 1) * c.stateHeight)) << i;
        EXPECT_EQ(b.GetRect(), GRect(5, 6, 5 + c.width, 6 + c.stateHeight));
        EXPECT_EQ(b.GetState(), ::Button::STATE_NORMAL);
    }
}

TEST_F(ButtonTest, EnterPressClickLeaveForBothClasses) {
    for (int type : {2, 256}) {
        SCOPED_TRACE(type);
        manager->GetDefaultContainer()->Release();
        ::Button* b = Make(type);
        std::vector<int> states;
        auto state = [&] { states.push_back(b->GetState()); };
        Run({MoveTo(110, 85), state, Left(true), state, Left(false), state, MoveTo(300, 200), state});
        EXPECT_EQ(states, (std::vector<int>{1, 2, 1, 0}));
        EXPECT_EQ(EventsOf(1), (std::vector<GuiEvent>{Event(b, GUI_EVENT_ENTER)}));
        EXPECT_EQ(EventsOf(3), (std::vector<GuiEvent>{Event(b, GUI_EVENT_PRESS)}));
        EXPECT_EQ(EventsOf(5), (std::vector<GuiEvent>{Event(b, GUI_EVENT_CLICK)}));
        EXPECT_EQ(EventsOf(7), (std::vector<GuiEvent>{Event(b, GUI_EVENT_LEAVE)}));
        EXPECT_EQ(game.events.size(), 4u);
        // Hovering counts as handling the input; elsewhere nothing handles it.
        EXPECT_EQ(game.handled, (std::vector<bool>{false, true, true, true, true, true, true, false, false}));
    }
}

TEST_F(ButtonTest, EnterAndPressInOneFrameComeInThatOrder) {
    ::Button* b = Make(2);
    int state = -1;
    Run({MoveAndButton(101, 81, true), [&] { state = b->GetState(); }, Left(false)});
    EXPECT_EQ(EventsOf(1), (std::vector<GuiEvent>{Event(b, GUI_EVENT_ENTER), Event(b, GUI_EVENT_PRESS)}));
    EXPECT_EQ(state, ::Button::STATE_PRESSED);
    EXPECT_EQ(EventsOf(3), (std::vector<GuiEvent>{Event(b, GUI_EVENT_CLICK)}));
}

TEST_F(ButtonTest, LeavingWhilePressedAndReleasingOutsidePostNoClick) {
    ::Button* b = Make(2);
    Run({MoveAndButton(110, 85, true), MoveTo(10, 10), Left(false), MoveTo(20, 10)});
    std::vector<DWORD> codes;
    for (const GuiEvent& e : game.events) codes.push_back(e.code);
    EXPECT_EQ(codes, (std::vector<DWORD>{GUI_EVENT_ENTER, GUI_EVENT_PRESS, GUI_EVENT_LEAVE}));
    EXPECT_EQ(b->GetState(), ::Button::STATE_NORMAL);
}

TEST_F(ButtonTest, ReleaseOverTheButtonClicksWhereverThePressWas) {
    Make(2);
    Run({MoveAndButton(10, 10, true), MoveTo(110, 85), Left(false)});
    std::vector<DWORD> codes;
    for (const GuiEvent& e : game.events) codes.push_back(e.code);
    EXPECT_EQ(codes, (std::vector<DWORD>{GUI_EVENT_ENTER, GUI_EVENT_CLICK}));
}

TEST_F(ButtonTest, ADisabledButtonIgnoresThePointerUntilEnabled) {
    ::Button* b = Make(2, "Attrib=2\n");
    EXPECT_EQ(b->GetState(), ::Button::STATE_DISABLED);
    Run({MoveAndButton(110, 85, true), Left(false)});
    EXPECT_TRUE(game.events.empty());
    EXPECT_EQ(game.handled, (std::vector<bool>{false, false, false}));
    b->Enable();
    EXPECT_EQ(b->GetState(), ::Button::STATE_NORMAL);
    Run({MoveTo(111, 85)});
    EXPECT_EQ(game.events, (std::vector<GuiEvent>{Event(b, GUI_EVENT_ENTER)}));
    b->Disable();
    EXPECT_EQ(b->GetState(), ::Button::STATE_DISABLED);
    b->Show(true);
    EXPECT_EQ(b->GetState(), ::Button::STATE_DISABLED);
}

TEST_F(ButtonTest, TheMaskFollowsTheNormalImage) {
    // Transparent left half in the normal image only.
    WriteAmf("masked.amf", {Painted(40, 64, [](int x, int y) { return y < 16 && x < 20 ? 0u : 0xFFFFFFFFu; })});
    WriteIni("m.ini", "[M]\nID=9\nFile=masked.amf\nPicture=0\nPosition=100,80\nUseRGN=1\n");
    auto* b = new ::Button(manager->GetDefaultContainer());
    manager->GetDefaultContainer()->AddWindow(b);
    b->LoadFromIni("m.ini", "M");
    Run({MoveTo(105, 85), MoveTo(125, 85)});
    ASSERT_EQ(game.events.size(), 1u);
    EXPECT_EQ(game.events[0].frame, 2);
    EXPECT_EQ(game.events[0].code, DWORD(GUI_EVENT_ENTER));
}

TEST_F(ButtonTest, ASetCaptionDrawsFromTheNextFrameAsALoadedOne) {
    // Each text control's caption set by the game draws exactly as the same caption read from
    // its file; the string textures cached for the old one do not stand in for it.
    WriteAmf("button.amf", {Painted(80, 64, [](int x, int y) { return 0xFF000000 | DWORD(x * 2 + y); })});
    const std::string quit = "Quit \xCD\xCB\xB3\xF6";  // "Quit 退出" in GBK
    WriteIni("c.ini",
             "[Old]\nID=7\nFile=button.amf\nPicture=0\nPosition=40,60\nColor=0xFFFFFF00\nCaption=Play\n"
             "[New]\nID=7\nFile=button.amf\nPicture=0\nPosition=40,60\nColor=0xFFFFFF00\nCaption=" +
                 quit + "\n");
    const auto make = [](int type) -> std::unique_ptr<CWindow> {
        switch (type) {
            case GUI_TYPE_BUTTON: return std::make_unique<::Button>();
            case GUI_TYPE_COOLBUTTON: return std::make_unique<CoolButton>();
            case GUI_TYPE_STATIC: return std::make_unique<GStatic>();
            default: return std::make_unique<MLStatic>();
        }
    };
    for (int type : {GUI_TYPE_BUTTON, GUI_TYPE_COOLBUTTON, GUI_TYPE_STATIC, GUI_TYPE_MLSTATIC}) {
        SCOPED_TRACE(type);
        std::unique_ptr<CWindow> control = make(type), loaded = make(type);
        control->LoadFromIni("c.ini", "Old");
        loaded->LoadFromIni("c.ini", "New");
        const auto before = Frame([&] { control->Render(); });
        control->SetCaption(quit.c_str());
        const auto after = Frame([&] { control->Render(); });
        EXPECT_EQ(after, Frame([&] { loaded->Render(); }));
        EXPECT_NE(after, before);
        char caption[4096];
        control->GetCaption(caption);
        EXPECT_EQ(caption, quit);

        // Too long for the caption (255 bytes; 4095 for MLStatic): refused, never cut.
        const size_t limit = type == GUI_TYPE_MLSTATIC ? 4095 : 255;
        VelmoraTest::TakeDebugOutput();
        control->SetCaption(std::string(limit + 1, 'x').c_str());
        control->SetCaption(nullptr);
        control->GetCaption(caption);
        EXPECT_EQ(caption, quit);
        EXPECT_NE(VelmoraTest::TakeDebugOutput().find("]Caption of " + std::to_string(limit + 1) +
                                                      " bytes for control 7 is longer than " + std::to_string(limit) +
                                                      " bytes and was not set"),
                  std::string::npos);
        control->SetCaption(std::string(limit, 'y').c_str());
        control->GetCaption(caption);
        EXPECT_EQ(std::string(caption), std::string(limit, 'y'));
    }
}

}  // namespace
