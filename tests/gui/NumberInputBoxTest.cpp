// Number input boxes: focus by press, typing from the main row and the keypad with its rules,
// the 16-character limit, Backspace and its auto-repeat on the manual clock, Enter posting the
// float's bits, SetValue, and the blinking cursor's phase on the real device.
#include <cstring>

#include "support/Encodings.h"
#include "support/GuiFixture.h"

namespace {

const DWORD kBox = 0xFF303090;
const DWORD kCursor = 0xFF00FF00;

class NumberInputBoxTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        WriteAmf("number.amf", {Solid(100, 20, kBox), Solid(2, 12, kCursor)});
        WriteIni("n.ini", "[N]\nGUIType=259\nID=70\nFile=number.amf\nPicture=0\nCursor=1\nPosition=50,60\n");
        CWindow* container = manager->GetDefaultContainer();
        box = new CNumberInputBox(container);
        container->AddWindow(box);
        box->LoadFromIni("n.ini", "N");
    }
    // Steps: focus by a press inside; a press elsewhere.
    std::function<void()> Focus() { return MoveAndButton(60, 65, true); }
    std::function<void()> Blur() { return MoveAndButton(10, 10, true); }
    // A step that strikes the keys, down and up; each event takes a frame of its own.
    static std::function<void()> Type(std::vector<int> keys) {
        return [keys] {
            for (int key : keys) {
                VelmoraTest::InjectKey(key, true);
                VelmoraTest::InjectKey(key, false);
            }
        };
    }
    // Runs the steps, then enough frames for every key event.
    void RunWithKeys(std::vector<std::function<void()>> steps, int keyEvents) {
        steps.resize(steps.size() + size_t(keyEvents) + 1);
        Run(steps);
    }
    std::function<void()> Clock(DWORD ms) {
        return [this, ms] { VelmoraTest::SetClock(start + ms); };
    }

    CNumberInputBox* box = nullptr;
    DWORD start = 0;
};

TEST_F(NumberInputBoxTest, TypingFollowsTheRules) {
    struct Case {
        std::vector<int> keys;
        const char* text;
    };
    const Case cases[] = {
        // Minus, 1, 2, point, 5; a second point and a late minus are ignored.
        {{VK_OEM_MINUS, '1', '2', VK_OEM_PERIOD, '5', VK_OEM_PERIOD, VK_OEM_MINUS, VK_SUBTRACT}, "-12.5"},
        // The keypad: minus, digits, decimal point.
        {{VK_SUBTRACT, VK_NUMPAD0 + 7, VK_NUMPAD0 + 9, VK_DECIMAL, VK_NUMPAD0 + 1, VK_DECIMAL}, "-79.1"},
        {{'0', '9', '8', '7', '6', '5', '4', '3'}, "09876543"},
        // Keys that type nothing.
        {{'A', VK_SPACE, VK_OEM_PLUS, VK_OEM_COMMA, '4'}, "4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        box->SetEmptyValue();
        RunWithKeys({Focus(), Left(false), Type(c.keys)}, int(c.keys.size()) * 2);
        EXPECT_STREQ(box->GetText(), c.text);
        // Typing never counts as handling the input.
        for (bool handled : game.handled) EXPECT_FALSE(handled);
    }
}

TEST_F(NumberInputBoxTest, SixteenCharactersAtMostAndBackspaceStillWorks) {
    // In two strokes: the device buffers 32 events.
    std::vector<std::function<void()>> steps{Focus(), Left(false), Type(std::vector<int>(8, '7'))};
    steps.resize(steps.size() + 16);
    steps.push_back(Type(std::vector<int>(9, '7')));
    RunWithKeys(steps, 18);
    EXPECT_EQ(std::string(box->GetText()), std::string(16, '7'));
    RunWithKeys({Type({VK_BACK, '1', '2'})}, 6);
    EXPECT_EQ(std::string(box->GetText()), std::string(15, '7') + "1");
}

TEST_F(NumberInputBoxTest, KeysWithoutTheFocusChangeNothing) {
    RunWithKeys({Type({'1', '2'})}, 4);
    EXPECT_STREQ(box->GetText(), "");
    EXPECT_FALSE(box->IsActive());
    RunWithKeys({Focus(), Left(false), Type({'1'}), {}, {}, Blur(), Left(false), Type({'2', VK_BACK, VK_RETURN})}, 6);
    EXPECT_STREQ(box->GetText(), "1");
    EXPECT_FALSE(box->IsActive());
    EXPECT_TRUE(game.events.empty());
}

TEST_F(NumberInputBoxTest, EnterPostsTheBitsOfTheFloat) {
    RunWithKeys(
        {Focus(), Left(false), Type({'2', VK_OEM_PERIOD, '5', VK_RETURN, VK_BACK, VK_BACK, VK_BACK, VK_RETURN})}, 16);
    ASSERT_EQ(game.events.size(), 2u);
    EXPECT_EQ(game.events[0], (GuiEvent{0, 70, GUI_EVENT_CHANGE, 0x40200000, box}));
    EXPECT_EQ(game.events[1].param2, 0u);  // an empty text is 0.0
    box->SetValue(-0.75f);
    float value = 0;
    Run({[&] { box->PostValue(); }});
    ASSERT_EQ(game.events.size(), 1u);
    std::memcpy(&value, &game.events[0].param2, sizeof(value));
    EXPECT_EQ(value, -0.75f);
}

TEST_F(NumberInputBoxTest, SetValueFormatsTheText) {
    box->SetValue(42);
    EXPECT_STREQ(box->GetText(), "42");
    box->SetValue(3.5f);
    EXPECT_STREQ(box->GetText(), "3.500000");
    EXPECT_EQ(box->GetValue(), 3.5f);
    box->SetValue(1e20f);  // "100000002004087734272.000000" keeps its first 16 characters
    EXPECT_STREQ(box->GetText(), "1000000020040877");
    box->SetValue(-2147483647 - 1);
    EXPECT_STREQ(box->GetText(), "-2147483648");
    box->SetEmptyValue();
    EXPECT_STREQ(box->GetText(), "");
    EXPECT_EQ(box->GetValue(), 0.0f);
    EXPECT_EQ(box->GetCursorOffset(), 0);
}

TEST_F(NumberInputBoxTest, BackspaceTakesAWholeCharacterInBothEncodings) {
    // Typing gives digits only; a derived box may hold any text.
    class TextBox : public CNumberInputBox {
    public:
        void Put(const std::string& text) {
            std::snprintf(m_szCaption, sizeof(m_szCaption), "%s", text.c_str());
            UpdateCursor();
        }
        using CNumberInputBox::BackSpace;
    };
    const Chars text{{Ascii("1"), kCharZhong, kCharKao, Ascii("2"), kCharWen}};
    for (TextEncoding encoding : kEncodings) {
        EncodingScope scope(encoding);
        TextBox edited;
        edited.Put(text.In(encoding));
        for (size_t left = text.chars.size(); left > 0; --left) {
            const std::string shown = text.Prefix(encoding, left);
            EXPECT_EQ(edited.GetText(), shown) << NameOf(encoding);
            const RECT extent = GetFontRect(shown.c_str());
            EXPECT_EQ(edited.GetCursorOffset(), extent.right - extent.left) << NameOf(encoding) << " " << shown;
            edited.BackSpace();
        }
        EXPECT_STREQ(edited.GetText(), "");
        edited.BackSpace();
        EXPECT_STREQ(edited.GetText(), "");
    }
}

TEST_F(NumberInputBoxTest, BackspaceRepeatsAfter330MsThenEvery50) {
    start = VelmoraTest::GetClock() + 1000;
    std::vector<size_t> lengths;
    auto note = [&] { lengths.push_back(std::strlen(box->GetText())); };
    std::vector<std::function<void()>> steps{Focus(), Left(false), Type({'1', '2', '3', '4', '5', '6', '7', '8', '9'})};
    steps.resize(steps.size() + 19);
    steps.push_back(Clock(0));
    steps.push_back([] { VelmoraTest::InjectKey(VK_BACK, true); });
    for (DWORD t : {320, 340, 360, 385, 395, 440, 450, 460, 900}) {
        steps.push_back(note);
        steps.push_back(Clock(t));
        if (t == 460) steps.push_back([] { VelmoraTest::InjectKey(VK_BACK, false); });
    }
    steps.push_back(note);
    Run(steps);
    // One at once, the next 330 ms later, then one each 50 ms until the release.
    EXPECT_EQ(lengths, (std::vector<size_t>{8, 8, 7, 7, 7, 6, 6, 5, 5, 5}));
}

TEST_F(NumberInputBoxTest, LosingTheFocusWhileBackspaceIsHeldStopsTheRepeat) {
    start = VelmoraTest::GetClock() + 1000;
    std::vector<std::function<void()>> steps{Focus(), Left(false), Type({'1', '2', '3', '4', '5'})};
    steps.resize(steps.size() + 11);
    steps.push_back(Clock(0));
    steps.push_back([] { VelmoraTest::InjectKey(VK_BACK, true); });
    steps.push_back(Blur());                                          // the release goes unseen
    steps.push_back([] { VelmoraTest::InjectKey(VK_BACK, false); });  // while the box has no focus
    steps.push_back(Left(false));
    steps.push_back(Focus());
    steps.push_back(Left(false));
    for (DWORD t : {400, 500, 600, 700}) steps.push_back(Clock(t));
    steps.push_back({});
    Run(steps);
    EXPECT_STREQ(box->GetText(), "1234");
}

TEST_F(NumberInputBoxTest, TheCursorBlinksAfterTheText) {
    RunWithKeys({Focus(), Left(false), Type({'1', '2'})}, 4);
    ASSERT_TRUE(box->IsActive());
    const RECT text = GetFontRect("12");
    const int x = 54 + (text.right - text.left);
    EXPECT_EQ(box->GetCursorOffset(), text.right - text.left);
    const DWORD t0 = VelmoraTest::GetClock() + 100;
    // The first drawing turns the cursor off; it comes back each 400 ms.
    struct Step {
        DWORD at;
        bool shown;
    };
    const Step steps[] = {{0, false}, {395, false}, {405, true}, {795, true}, {810, false}, {1215, true}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.at);
        VelmoraTest::SetClock(t0 + s.at);
        auto pixels = Frame([&] { manager->Render(); });
        EXPECT_EQ(box->IsCursorShown(), s.shown);
        // 2 x 12 from the text's end, 4 below the box's top.
        for (int dx : {0, 1})
            for (int y : {64, 75})
                EXPECT_EQ(At(pixels, x + dx, y), (s.shown ? kCursor : kBox) & 0xFFFFFF) << dx << "," << y;
        EXPECT_EQ(At(pixels, x + 2, 75), kBox & 0xFFFFFF);
        EXPECT_EQ(At(pixels, x, 76), kBox & 0xFFFFFF);
    }
    // Without the focus there is no cursor.
    RunWithKeys({Blur(), Left(false)}, 0);
    auto pixels = Frame([&] { manager->Render(); });
    EXPECT_EQ(At(pixels, x, 75), kBox & 0xFFFFFF);
}

}  // namespace
