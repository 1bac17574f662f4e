// Navigation without a pointer: the focus of the top window's controls moved by Tab, the
// shoulders, the arrows, the D-pad and the stick; presses by Enter, Space and A; cancels by
// Escape and B; values changed by the arrows; the focus looks; and the focus kept per window.
#include "support/GuiFixture.h"

namespace {

using VelmoraTest::InjectKey;
using VelmoraTest::InjectPadAxis;
using VelmoraTest::InjectPadButton;

// The button's four state images, one colour each.
const DWORD kStateColors[4] = {0xFFC00000, 0xFF00C000, 0xFF0000C0, 0xFF808080};
const DWORD kFocusColor = 0xFFFFFF00;

// Control IDs of the screen.
constexpr DWORD kWindow = 100, kB1 = 1, kB2 = 2, kB3 = 3, kSlider = 4, kCheck = 5, kRadio = 6, kList = 8;

class NavigationTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        WriteAmf("nav.amf",
                 {Painted(40, 64, [](int, int y) { return kStateColors[y / 16]; }), Solid(10, 16, 0xFFFFFFFF),
                  Solid(16, 32, 0xFF406080),
                  Painted(16, 96, [](int, int y) { return y / 16 == 2 || y / 16 == 3 ? 0xFF00C000 : 0xFF404040; }),
                  Solid(8, 8, 0xFF101010), Solid(8, 8, 0xFF303030), Solid(8, 8, 0xFF202020), Solid(16, 64, 0xFF505050),
                  Solid(16, 16, 0xFFA0A0A0)});
        manager->SetFocusColor(kFocusColor);
    }
    // The screen: three buttons in a column on the left; a slider, a check box (without a
    // hover look), a row of three radio boxes and a list box on the right; `b2` and `list`
    // are more keys of B2 and of the list.
    void Load(const std::string& b2 = "", const std::string& list = "") {
        WriteIni("nav.ini",
                 "[Screen]\nb1=B1\nb2=B2\nb3=B3\ns=S\nc=C\nr=R\nl=L\n\nContainer=Win\n"
                 "[Win]\nGUIType=1\nID=100\n"
                 "[B1]\nGUIType=2\nID=1\nFile=nav.amf\nPicture=0\nPosition=20,20\n"
                 "[B2]\nGUIType=2\nID=2\nFile=nav.amf\nPicture=0\nPosition=20,60\n" +
                     b2 +
                     "[B3]\nGUIType=2\nID=3\nFile=nav.amf\nPicture=0\nPosition=20,100\n"
                     "[S]\nGUIType=6\nID=4\nFile=nav.amf\nBtnPicture=1\nSrcRect=0,0,100,16\nPosition=120,20\n"
                     "Min=0\nMax=10\nValue=5\n"
                     "[C]\nGUIType=4\nID=5\nFile=nav.amf\nPicture=2\nStateNum=2\nPosition=150,60\n"
                     "[R]\nGUIType=5\nID=6\nFile=nav.amf\nPicture=3\nStateNum=6\nPosition=120,100\nRadioNum=3\n"
                     "XOffset=20\nYOffset=0\nSubID0=61\nSubID1=62\nSubID2=63\nSelect=0\n"
                     "[L]\nGUIType=8\nID=8\nFile=nav.amf\nBackGround=4\nHighLight=5\nPicture=6\n"
                     "SrcRect=0,0,100,64\nPosition=120,140\nScrollBar=Bar\n" +
                     list + "[Bar]\nGUIType=7\nID=9\nFile=nav.amf\nBtn1Picture=7\nBtn2Picture=7\nPinPicture=8\n");
        ASSERT_TRUE(manager->LoadFromFile("nav.ini"));
        window = manager->GetElement(kWindow);
        auto* items = static_cast<GListBox*>(manager->GetElement(kList));
        for (const char* item : {"one", "two", "three"}) items->AddItem(item, nullptr);
        Run({});  // drains the slider's report of its loaded value
    }
    // A stroke of a key: down, then up the frame after.
    std::function<void()> Key(int vk) {
        return [vk] {
            InjectKey(vk, true);
            InjectKey(vk, false);
        };
    }
    std::function<void()> Pad(int button) {
        return [button] {
            InjectPadButton(0, button, true);
            InjectPadButton(0, button, false);
        };
    }
    DWORD Focus() const {
        const CWindow* focus = manager->GetFocus();
        return focus ? focus->GetID() : 0;
    }
    std::function<void()> Record(std::vector<DWORD>* ids) {
        return [this, ids] { ids->push_back(Focus()); };
    }
    std::vector<DWORD> Codes(DWORD id) const {
        std::vector<DWORD> codes;
        for (const GuiEvent& e : game.events)
            if (e.id == id) codes.push_back(e.code);
        return codes;
    }

    CWindow* window = nullptr;
};

TEST_F(NavigationTest, OffUntilTheGameTurnsItOn) {
    Load();
    Run({Key(VK_TAB), nullptr, Key(VK_RETURN), nullptr, Key(VK_ESCAPE)});
    EXPECT_EQ(manager->GetFocus(), nullptr);
    EXPECT_TRUE(game.events.empty());
    EXPECT_EQ(game.handled, std::vector<bool>(6, false));

    manager->EnableNavigation(true);
    Run({});
    EXPECT_EQ(Focus(), kB1);  // the first control of the top window
    // The focused button looks hovered; turned off, nothing is focused any more.
    EXPECT_EQ(At(Frame([&] { manager->Render(); }), 30, 25), kStateColors[1] & 0xFFFFFF);
    manager->EnableNavigation(false);
    EXPECT_EQ(manager->GetFocus(), nullptr);
    EXPECT_EQ(At(Frame([&] { manager->Render(); }), 30, 25), kStateColors[0] & 0xFFFFFF);
}

TEST_F(NavigationTest, TabAndTheShouldersFollowTheFocusOrder) {
    // The list first, B2 left out; the others in the order they were added.
    Load("TabIndex=-1\n", "TabIndex=1\n");
    manager->EnableNavigation(true);
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    std::vector<DWORD> ids;
    // Shift is held while Tab's press is taken (one key event a frame).
    auto shiftTab = [] {
        InjectKey(VK_LSHIFT, true);
        InjectKey(VK_TAB, true);
    };
    auto release = [] {
        InjectKey(VK_TAB, false);
        InjectKey(VK_LSHIFT, false);
    };
    Run({Record(&ids), Key(VK_TAB),
         nullptr,      Record(&ids),
         Key(VK_TAB),  nullptr,
         Record(&ids), shiftTab,
         nullptr,      release,
         nullptr,      Record(&ids),
         shiftTab,     nullptr,
         release,      nullptr,
         Record(&ids), Pad(PAD_BUTTON_LEFT_SHOULDER),
         Record(&ids), Pad(PAD_BUTTON_RIGHT_SHOULDER),
         Record(&ids)});
    EXPECT_EQ(ids, (std::vector<DWORD>{kList, kB1, kB3, kB1, kList, kRadio, kList}));
}

TEST_F(NavigationTest, EnterSpaceAndAPressTheFocusedButtonAsAClickWould) {
    Load();
    manager->EnableNavigation(true);
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    auto* b1 = static_cast<::Button*>(manager->GetElement(kB1));
    int pressedState = -1;
    Run({[] { InjectKey(VK_RETURN, true); }, [&] { pressedState = b1->GetState(); },
         [] { InjectKey(VK_RETURN, false); }, Key(VK_SPACE), nullptr, Pad(PAD_BUTTON_A)});
    EXPECT_EQ(pressedState, ::Button::STATE_PRESSED);
    EXPECT_EQ(b1->GetState(), ::Button::STATE_NORMAL);
    EXPECT_EQ(Codes(kB1), (std::vector<DWORD>{GUI_EVENT_PRESS, GUI_EVENT_CLICK, GUI_EVENT_PRESS, GUI_EVENT_CLICK,
                                              GUI_EVENT_PRESS, GUI_EVENT_CLICK}));
    EXPECT_EQ(game.events[0], (GuiEvent{0, kB1, GUI_EVENT_PRESS, GUI_TYPE_BUTTON, b1}));

    // A release after the focus moved on clicks nothing.
    game.events.clear();
    Run({[] { InjectKey(VK_RETURN, true); }, Key(VK_DOWN), nullptr, [] { InjectKey(VK_RETURN, false); }});
    EXPECT_EQ(Codes(kB1), (std::vector<DWORD>{GUI_EVENT_PRESS}));
    EXPECT_EQ(Focus(), kB2);
    EXPECT_EQ(b1->GetState(), ::Button::STATE_NORMAL);
}

TEST_F(NavigationTest, ArrowsMoveToTheNearestControlOrChangeTheFocusedValue) {
    Load();
    manager->EnableNavigation(true);
    std::vector<DWORD> ids;
    // B1 -> right: the slider, whose value Right then raises; Down: the check box; Left: B2;
    // Down: B3; Right: the radio row, whose choice Right moves on; Up: the check box.
    Run({Key(VK_RIGHT), nullptr,       Record(&ids), Key(VK_RIGHT), nullptr, Key(VK_DOWN), nullptr,       Record(&ids),
         Key(VK_LEFT),  nullptr,       Record(&ids), Key(VK_DOWN),  nullptr, Record(&ids), Key(VK_RIGHT), nullptr,
         Record(&ids),  Key(VK_RIGHT), nullptr,      Key(VK_UP),    nullptr, Record(&ids)});
    EXPECT_EQ(ids, (std::vector<DWORD>{kSlider, kCheck, kB2, kB3, kRadio, kCheck}));
    EXPECT_EQ(static_cast<CSlider*>(manager->GetElement(kSlider))->GetValue(), 6);
    auto* radio = static_cast<RadioGroup*>(manager->GetElement(kRadio));
    EXPECT_EQ(radio->GetSelectedID(), 62u);
    std::vector<GuiEvent> changes;
    for (const GuiEvent& e : game.events) changes.push_back(e);
    EXPECT_EQ(changes, (std::vector<GuiEvent>{{0, kSlider, GUI_EVENT_CHANGE, 6, manager->GetElement(kSlider)},
                                              {0, kRadio, GUI_EVENT_CHANGE, 62, radio}}));

    // The check box toggles on Space; the list's Down selects the next item alone.
    game.events.clear();
    auto* list = static_cast<GListBox*>(manager->GetElement(kList));
    list->SelectItem(0, false);
    Run({Key(VK_SPACE), nullptr, Key(VK_TAB), nullptr, Key(VK_TAB), nullptr, Key(VK_DOWN), nullptr, Key(VK_DOWN)});
    EXPECT_TRUE(static_cast<CCheckBox*>(manager->GetElement(kCheck))->GetSelect());
    EXPECT_EQ(list->GetCurrentItem(), 2);
    EXPECT_EQ(list->GetSelectedIndex(-1), 2);
    EXPECT_EQ(list->GetSelectedIndex(2), -1);
    EXPECT_EQ(Codes(kList), (std::vector<DWORD>{GUI_EVENT_CHANGE, GUI_EVENT_CHANGE}));
}

TEST_F(NavigationTest, TheDpadAndTheStickMoveAndAHeldDirectionRepeats) {
    Load();
    manager->EnableNavigation(true);
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    std::vector<DWORD> ids;
    auto* slider = static_cast<CSlider*>(manager->GetElement(kSlider));
    std::vector<int> values;
    auto value = [&] { values.push_back(slider->GetValue()); };
    // Down twice on the D-pad; the stick pushed up goes once however long it is held.
    Run({Pad(PAD_BUTTON_DPAD_DOWN), Pad(PAD_BUTTON_DPAD_DOWN), Record(&ids), [] { InjectPadAxis(0, 1, -0.9f); },
         Record(&ids), nullptr, Record(&ids), [] { InjectPadAxis(0, 1, 0); }, nullptr, Record(&ids)});
    EXPECT_EQ(ids, (std::vector<DWORD>{kB3, kB2, kB2, kB2}));

    // On the slider: the stick held right steps the value at once, again after the delay,
    // then every interval.
    manager->SetFocus(slider);
    Run({[] { InjectPadAxis(0, 0, 1); }, value, [] { VelmoraTest::AdvanceClock(GUIManager::kNavRepeatDelay); }, value,
         [] { VelmoraTest::AdvanceClock(GUIManager::kNavRepeatInterval); }, value, [] { InjectPadAxis(0, 0, 0); },
         [] { VelmoraTest::AdvanceClock(GUIManager::kNavRepeatDelay); }, value});
    EXPECT_EQ(values, (std::vector<int>{6, 7, 8, 8}));
}

TEST_F(NavigationTest, EscapeAndBCancelFromTheTopWindow) {
    Load();
    manager->EnableNavigation(true);
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    Run({Key(VK_ESCAPE), nullptr, Pad(PAD_BUTTON_B)});
    const GuiEvent cancel{0, kWindow, GUI_EVENT_CANCEL, 0, window};
    EXPECT_EQ(game.events, (std::vector<GuiEvent>{cancel, cancel}));
}

TEST_F(NavigationTest, ControlsWithoutAHoverLookGetTheFocusRectangle) {
    Load();
    manager->EnableNavigation(true);
    ASSERT_TRUE(manager->SetFocus(manager->GetElement(kCheck)));
    const std::vector<DWORD> with = Frame([&] { manager->Render(); });
    const DWORD focus = kFocusColor & 0xFFFFFF;
    // One pixel all round the 16 x 16 box at (150, 60), nothing inside it or further out.
    for (auto [x, y] : {std::pair{149, 59}, {166, 59}, {149, 76}, {166, 76}, {158, 59}, {149, 68}})
        EXPECT_EQ(At(with, x, y), focus) << x << "," << y;
    EXPECT_NE(At(with, 150, 60), focus);
    EXPECT_NE(At(with, 148, 58), focus);
    ASSERT_TRUE(manager->SetFocus(manager->GetElement(kB1)));
    EXPECT_NE(At(Frame([&] { manager->Render(); }), 149, 59), focus);
    EXPECT_FALSE(manager->SetFocus(window));  // not a control that takes the focus
}

TEST_F(NavigationTest, AWindowOnTopTakesTheFocusAndGivesItBack) {
    Load();
    WriteIni("dialog.ini",
             "[D]\nok=Ok\n\nContainer=Dialog\n[Dialog]\nGUIType=1\nID=200\n"
             "[Ok]\nGUIType=2\nID=201\nFile=nav.amf\nPicture=0\nPosition=250,200\n");
    manager->EnableNavigation(true);
    std::vector<DWORD> ids;
    CWindow* dialog = nullptr;
    Run({Key(VK_DOWN), nullptr, Record(&ids),
         [&] {
             ASSERT_TRUE(manager->LoadFromFile("dialog.ini"));
             dialog = manager->GetElement(200);
         },
         Record(&ids), [&] { dialog->Show(false); }, Record(&ids),
         // A left press on a control takes the focus there.
         MoveAndButton(30, 105, true), Left(false), Record(&ids)});
    EXPECT_EQ(ids, (std::vector<DWORD>{kB2, 201, kB2, kB3}));
    // A window removed while it has the focus leaves nothing behind.
    dialog->Show(true);
    Run({Record(&ids), [&] { manager->RemoveElement(dialog, true); }, Record(&ids)});
    EXPECT_EQ(ids.back(), kB3);
}

}  // namespace
