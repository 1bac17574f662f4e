// List boxes: items and the scroll range, areas and page size, where a press lands, single
// and multiple selection with Left Shift and Left Ctrl through the real main loop, walking
// the selection, SelectItem, the drawn lines and their highlight, the skinned variant's
// geometry, and the load failures.
#include "support/Encodings.h"
#include "support/GuiFixture.h"
#include "support/TextFixture.h"

namespace {

const DWORD kBody = 0xFF204060;
const DWORD kHigh = 0xFF806000;
const DWORD kBack = 0xFF402040;

class ListBoxTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        const Picture button = Solid(16, 64, 0xFF505050);
        // Background, highlight, body; the scroll bar's buttons and thumb; a frame strip of
        // eight 16 x 16 cells, opaque only in its outer 2 pixels.
        const Picture strip = Painted(128, 16, [](int x, int y) {
            const int k = x / 16, cx = x % 16;
            const bool left = k == 0 || k == 3 || k == 6, right = k == 2 || k == 5 || k == 7;
            const bool top = k <= 2, bottom = k >= 3 && k <= 5;
            const bool edge = (left && cx < 2) || (right && cx >= 14) || (top && y < 2) || (bottom && y >= 14);
            return edge ? 0xFFFFFFFFu : 0u;
        });
        WriteAmf("list.amf", {Solid(8, 8, kBack), Solid(8, 8, kHigh), Solid(8, 8, kBody), button, button,
                              Solid(16, 20, 0xFFA0A0A0), strip});
    }
    // A list box (type 8 or 258) with ID 60 at (40, 30), 200 x 100; `keys` come first and win.
    template <class List = GListBox>
    List* Load(const std::string& keys = "", const std::string& container = "") {
        const int type = std::is_same<List, CoolListBox>::value ? 258 : 8;
        WriteIni("l.ini", "[L]\nl=List\n" + (container.empty() ? "" : "\nContainer=Box\n[Box]\n" + container) +
                              "[List]\n" + keys + "GUIType=" + std::to_string(type) +
                              "\nID=60\nFile=list.amf\nBackGround=0\nHighLight=1\nPicture=" + (type == 8 ? "2" : "6") +
                              "\nPosition=40,30\nSrcRect=0,0,200,100\nScrollBar=Bar\n"
                              "[Bar]\nGUIType=7\nID=61\nFile=list.amf\nBtn1Picture=3\nBtn2Picture=4\nPinPicture=5\n");
        loaded = manager->LoadFromFile("l.ini");
        return static_cast<List*>(manager->GetElement(60));
    }
    void Fill(GListBox* list, int count) {
        for (int i = 0; i < count; ++i) list->AddItem(("item " + std::to_string(i)).c_str(), &data[size_t(i % 4)]);
    }
    // Steps: a press on line `line` of the list (track at 0), with keys held.
    std::function<void()> PressLine(int line, bool shift = false, bool ctrl = false) {
        return [=] {
            if (shift) VelmoraTest::InjectKey(VK_LSHIFT, true);
            if (ctrl) VelmoraTest::InjectKey(VK_LCONTROL, true);
            VelmoraTest::InjectMouseMove(hwnd, 100, 36 + 16 * line + 5);
            VelmoraTest::InjectMouseButton(hwnd, 0, true);
        };
    }
    std::function<void()> Release() {
        return [=] {
            VelmoraTest::InjectMouseButton(hwnd, 0, false);
            VelmoraTest::InjectKey(VK_LSHIFT, false);
            VelmoraTest::InjectKey(VK_LCONTROL, false);
        };
    }
    static std::vector<bool> Selected(const GListBox* list) {
        std::vector<bool> out;
        for (int i = 0; i < list->GetSize(); ++i) out.push_back(list->GetItem(i)->bSelect);
        return out;
    }

    bool loaded = false;
    int data[4] = {};
};

TEST_F(ListBoxTest, AreasPageSizeAndTheScrollBarBesideTheList) {
    GListBox* list = Load();
    ASSERT_TRUE(loaded);
    ASSERT_NE(list, nullptr);
    // Border 6, margin 5: a text area 88 high makes a page of 5.
    EXPECT_EQ(list->GetItemArea(), GRect(46, 36, 234, 124));
    EXPECT_EQ(GRect(list->GetTextArea()), GRect(51, 36, 229, 124));
    GScrollBar* bar = list->GetScrollBar();
    EXPECT_EQ(bar->GetPageSize(), 5);
    // The bar's track is level with the list against its right edge.
    EXPECT_EQ(bar->GetButtonRect(1), GRect(240, 30, 256, 46));
    EXPECT_EQ(bar->GetButtonRect(2), GRect(240, 114, 256, 130));
    list->SetBorder(10, 0);
    EXPECT_EQ(GRect(list->GetTextArea()), GRect(50, 40, 230, 120));
    EXPECT_EQ(bar->GetPageSize(), 5);
    list->SetBorder(20, 0);
    EXPECT_EQ(bar->GetPageSize(), 3);

    // Inside a container everything moves with it, the bar too.
    manager->Reset();
    list = Load("", "GUIType=1\nID=1\nPosition=10,20\n");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetItemArea(), GRect(56, 56, 244, 144));
    EXPECT_EQ(list->GetScrollBar()->GetButtonRect(1), GRect(250, 50, 266, 66));
}

TEST_F(ListBoxTest, ItemsAndTheScrollRange) {
    GListBox* list = Load();
    ASSERT_NE(list, nullptr);
    int start = -1, end = -1;
    auto range = [&] {
        list->GetScrollBar()->GetTrackRange(start, end);
        return end;
    };
    EXPECT_EQ(range(), 1);
    Fill(list, 3);
    EXPECT_EQ(range(), 3);
    EXPECT_FALSE(list->InsertItem(3, "end", nullptr));  // cannot append
    EXPECT_FALSE(list->InsertItem(-1, "before", nullptr));
    EXPECT_TRUE(list->InsertItem(0, "first", &data[3]));
    EXPECT_EQ(range(), 4);
    EXPECT_STREQ(list->GetItem(0)->szText, "first");
    EXPECT_EQ(list->GetItem(0)->pData, &data[3]);
    EXPECT_FALSE(list->GetItem(0)->bSelect);
    EXPECT_STREQ(list->GetItem(1)->szText, "item 0");
    EXPECT_EQ(list->GetItem(4), nullptr);
    EXPECT_EQ(list->GetItem(-1), nullptr);
    EXPECT_FALSE(list->AddItem(nullptr, nullptr));
    EXPECT_EQ(Errors(), std::vector<std::string>{"Invalidate parameter!"});

    // Removing the current last item makes the one before it current.
    list->SelectItem(3, false);
    list->RemoveItem(3);
    EXPECT_EQ(list->GetCurrentItem(), 2);
    list->RemoveItem(7);
    list->RemoveItem(-1);
    EXPECT_EQ(list->GetSize(), 3);
    EXPECT_EQ(range(), 3);
    list->RemoveAllItems();
    EXPECT_EQ(list->GetSize(), 0);
    EXPECT_EQ(list->GetCurrentItem(), -1);
    EXPECT_EQ(range(), 1);

    // Texts are cut to 255 characters, never inside a double-byte character.
    const std::string longText = std::string(254, 'a') + "\xD6\xD0" + "tail";
    EXPECT_TRUE(list->AddItem(longText.c_str(), nullptr));
    EXPECT_EQ(std::string(list->GetItem(0)->szText), std::string(254, 'a'));
    EXPECT_TRUE(list->AddItem(std::string(300, 'b').c_str(), nullptr));
    EXPECT_EQ(std::string(list->GetItem(1)->szText), std::string(255, 'b'));
}

TEST_F(ListBoxTest, ItemTextsInBothEncodingsAreCutBetweenCharacters) {
    const Chars texts[] = {
        Repeat({Ascii("a")}, kCharZhong, 200),
        Repeat({}, kCharKao, 200),
        Repeat({Ascii("a"), Ascii("b")}, kCharWen, 2),
    };
    for (TextEncoding encoding : kEncodings) {
        EncodingScope scope(encoding);
        GListBox list;
        for (const Chars& text : texts) EXPECT_TRUE(list.AddItem(text.In(encoding).c_str(), nullptr));
        for (int i = 0; i < list.GetSize(); ++i)
            EXPECT_EQ(std::string(list.GetItem(i)->szText), texts[i].Fitting(encoding, 255)) << NameOf(encoding) << i;
    }
}

TEST_F(ListBoxTest, ShiftCtrlAndCtrlShiftSelection) {
    GListBox* list = Load();
    ASSERT_NE(list, nullptr);
    Fill(list, 5);
    Frame([&] { manager->Render(); });  // the line height is known once drawn
    std::vector<std::vector<bool>> selections;
    std::vector<int> current;
    auto note = [&] {
        selections.push_back(Selected(list));
        current.push_back(list->GetCurrentItem());
    };
    Run({PressLine(0), Release(), note, PressLine(2, true), Release(), note, PressLine(1, false, true), Release(), note,
         PressLine(0), Release(), PressLine(3, true, true), Release(), note, PressLine(4), Release(), note});
    EXPECT_EQ(selections, (std::vector<std::vector<bool>>{
                              {1, 0, 0, 0, 0},  // a plain press selects only its item
                              {1, 1, 1, 0, 0},  // Shift: the range from the anchor
                              {1, 0, 1, 0, 0},  // Ctrl: the item toggles
                              {1, 1, 1, 1, 0},  // Ctrl+Shift: the items between take the anchor's state
                              {0, 0, 0, 0, 1},
                          }));
    // Ctrl+Shift puts the current item back on the anchor.
    EXPECT_EQ(current, (std::vector<int>{0, 2, 1, 0, 4}));
    // Every press posts the current item.
    std::vector<DWORD> posted;
    for (const GuiEvent& e : game.events) {
        EXPECT_EQ(e.code, DWORD(GUI_EVENT_CHANGE));
        EXPECT_EQ(e.data, list);
        posted.push_back(e.param2);
    }
    EXPECT_EQ(posted, (std::vector<DWORD>{0, 2, 1, 0, 0, 4}));
}

TEST_F(ListBoxTest, WherePressesLand) {
    GListBox* list = Load();
    ASSERT_NE(list, nullptr);
    Fill(list, 10);
    // Before the first drawing a press selects nothing, and posts nothing.
    Run({PressLine(1), Release()});
    EXPECT_TRUE(game.events.empty());
    EXPECT_EQ(list->GetCurrentItem(), -1);
    EXPECT_TRUE(game.handled.at(1));
    Frame([&] { manager->Render(); });

    struct Case {
        int track;
        POINT press;
        int selected;  // -1: none
    };
    const Case cases[] = {
        {3, {100, 36 + 20}, 4},                     // 20 pixels below the text area's top
        {3, {100, 36}, 3},                          // the first line
        {3, {100, 36 + 79}, 7},                     // the last line of the page
        {3, {100, 36 + 80}, -1},                    // below the page, still in the item area
        {5, {100, 36 + 70}, 9},  {0, {47, 40}, 0},  // in the margin, inside the item area
        {0, {45, 40}, -1},                          // in the border
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "track " << c.track << " at " << c.press.x << "," << c.press.y);
        list->SetStyle(0);
        list->GetScrollBar()->SetTrackPos(c.track);
        list->SelectItem(0, false);
        list->GetScrollBar()->SetTrackPos(c.track);
        Run({MoveAndButton(c.press.x, c.press.y, true), Left(false)});
        EXPECT_EQ(list->GetCurrentItem(), c.selected < 0 ? 0 : c.selected);
        EXPECT_EQ(game.events.size(), c.selected < 0 ? 0u : 1u);
    }
}

TEST_F(ListBoxTest, SingleSelectionAndWalkingTheSelection) {
    GListBox* list = Load();
    ASSERT_NE(list, nullptr);
    Fill(list, 6);
    for (int i : {0, 2, 3}) list->GetItem(i)->bSelect = true;
    std::vector<int> walk;
    for (int at = list->GetSelectedIndex(-1); at >= 0; at = list->GetSelectedIndex(at)) walk.push_back(at);
    EXPECT_EQ(walk, (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(list->GetSelectedIndex(-5), -1);
    EXPECT_EQ(list->GetSelectedItem(2), list->GetItem(3));
    EXPECT_EQ(list->GetSelectedItem(3), nullptr);

    list->SetStyle(0);
    Frame([&] { manager->Render(); });
    Run({PressLine(4), Release()});
    EXPECT_EQ(list->GetCurrentItem(), 4);
    EXPECT_EQ(list->GetSelectedIndex(5), 4);  // the argument is not looked at
    EXPECT_FALSE(list->GetItem(4)->bSelect);
    EXPECT_TRUE(list->GetItem(0)->bSelect);
}

TEST_F(ListBoxTest, SelectItemClampsScrollsAndPostsOnRequest) {
    GListBox* list = Load();
    ASSERT_NE(list, nullptr);
    Run({[&] { list->SelectItem(3, true); }});  // empty: nothing
    EXPECT_TRUE(game.events.empty());
    Fill(list, 20);
    Run({[&] {
        list->SelectItem(50, false);  // clamped to 19, brought into view
        list->SelectItem(19, true);   // no change, but asked to post
        list->SelectItem(-4, false);
    }});
    EXPECT_EQ(game.events, (std::vector<GuiEvent>{{0, 60, GUI_EVENT_CHANGE, 19, list}}));
    EXPECT_EQ(list->GetCurrentItem(), 0);
    EXPECT_EQ(list->GetAnchorItem(), 0);
    EXPECT_EQ(list->GetScrollBar()->GetTrackPos(), 0);
    EXPECT_TRUE(list->GetItem(19)->bSelect);
    EXPECT_TRUE(list->GetItem(0)->bSelect);
    list->SelectItem(12, false);
    EXPECT_EQ(list->GetScrollBar()->GetTrackPos(), 8);
}

TEST_F(ListBoxTest, RemovedItemsTakeTheAnchorWithThem) {
    GListBox* list = Load();
    ASSERT_NE(list, nullptr);
    Fill(list, 5);
    Frame([&] { manager->Render(); });
    Run({PressLine(4), Release()});
    ASSERT_EQ(list->GetAnchorItem(), 4);
    list->RemoveItem(4);
    list->RemoveItem(3);
    EXPECT_EQ(list->GetAnchorItem(), 2);
    // A Ctrl+Shift press reads the anchor item: it must still be there.
    Run({PressLine(0, true, true), Release()});
    EXPECT_EQ(Selected(list), (std::vector<bool>{1, 0, 0}));
}

TEST_F(ListBoxTest, LinesHighlightsAndTheirColours) {
    GListBox* list = Load();
    ASSERT_NE(list, nullptr);
    list->AddItem("50%", nullptr);
    for (int i = 1; i < 8; ++i) list->AddItem("x", nullptr);
    list->GetItem(0)->bSelect = true;
    list->GetItem(2)->bSelect = true;
    auto pixels = Frame([&] { manager->Render(); });
    // The highlight runs from the item area's left to its right, 2 pixels above each line.
    for (int line = 0; line < 5; ++line) {
        const bool lit = line == 0 || line == 2;
        const int y = 36 + 16 * line;
        for (int row = y - 2; row < y + 14; ++row) {
            ASSERT_EQ(At(pixels, 233, row), (lit ? kHigh : kBody) & 0xFFFFFF) << line << ", row " << row;
            ASSERT_EQ(At(pixels, 46, row), (lit ? kHigh : kBody) & 0xFFFFFF) << line << ", row " << row;
        }
        EXPECT_EQ(At(pixels, 234, y + 4), kBody & 0xFFFFFF);  // the border right of the item area
        EXPECT_EQ(At(pixels, 45, y + 4), kBody & 0xFFFFFF);   // the border shows the list's picture
    }
    // "50%" is drawn as it is, white on its highlight; "x" in yellow.
    const TextMask percent = MaskOf("50%", 12, 700);
    const TextMask x = MaskOf("x", 12, 700);
    ASSERT_GT(percent.Count(), 0);
    for (int yy = 0; yy < percent.height; ++yy)
        for (int xx = 0; xx < percent.width; ++xx)
            ASSERT_EQ(At(pixels, 51 + xx, 36 + yy), (percent.Lit(xx, yy) ? 0xFFFFFFu : kHigh & 0xFFFFFF))
                << xx << "," << yy;
    for (int yy = 0; yy < x.height; ++yy)
        for (int xx = 0; xx < x.width; ++xx)
            ASSERT_EQ(At(pixels, 51 + xx, 52 + yy), (x.Lit(xx, yy) ? 0xFFFF00u : kBody & 0xFFFFFF)) << xx << "," << yy;
    // Lines stop at the text area's bottom: the sixth line would pass it.
    EXPECT_EQ(At(pixels, 100, 36 + 16 * 5 + 4), kBody & 0xFFFFFF);

    // Single selection lights the current item only.
    list->SetStyle(0);
    list->SelectItem(1, false);
    pixels = Frame([&] { manager->Render(); });
    EXPECT_EQ(At(pixels, 233, 36), kBody & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 233, 52), kHigh & 0xFFFFFF);
}

TEST_F(ListBoxTest, TheSkinnedListBoxFramesItselfAndOverlapsItsBar) {
    CoolListBox* list = Load<CoolListBox>();
    ASSERT_TRUE(loaded);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetType(), DWORD(GUI_TYPE_COOLLISTBOX));
    GScrollBar* bar = list->GetScrollBar();
    EXPECT_EQ(bar->GetType(), DWORD(GUI_TYPE_COOLSCROLL));
    // Border 12: a text area 76 high, a page of 4.
    EXPECT_EQ(list->GetItemArea(), GRect(52, 42, 228, 118));
    EXPECT_EQ(bar->GetPageSize(), 4);
    // The track 12 longer than the list less the buttons, 6 into the frame.
    EXPECT_EQ(bar->GetButtonRect(1), GRect(234, 14, 250, 30));
    EXPECT_EQ(bar->GetButtonRect(2), GRect(234, 114, 250, 130));
    Fill(list, 3);
    list->GetItem(1)->bSelect = true;
    auto pixels = Frame([&] { manager->Render(); });
    // Frame (2 pixels), then the background from the inset of 5, the highlight over it.
    EXPECT_EQ(At(pixels, 41, 80), 0xFFFFFFu);
    EXPECT_EQ(At(pixels, 43, 80), kPaper & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 46, 80), kBack & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 227, 42 + 16 - 2), kHigh & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 227, 42 + 16 - 3), kBack & 0xFFFFFF);
}

TEST_F(ListBoxTest, LoadFailures) {
    struct Case {
        const char* keys;
        const char* error;
    };
    const Case cases[] = {
        {"HighLight=1\nSrcRect=0,0,50,50\n", ""},
        {"BackGround=0\nSrcRect=0,0,50,50\n", ""},
        {"BackGround=0\nHighLight=9\nSrcRect=0,0,50,50\n", nullptr},  // the reader names the missing picture
        {"BackGround=0\nHighLight=1\n", "Can't Get m_rcSrc in file[f.ini] index[F]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        WriteIni("f.ini", std::string("[F]\nFile=list.amf\n") + c.keys);
        GListBox list;
        EXPECT_FALSE(list.LoadFromIni("f.ini", "F"));
        const std::vector<std::string> errors = Errors();
        if (c.error) {
            EXPECT_EQ(errors, *c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{});
        }
    }
    // Without a picture the list loads but takes no input.
    WriteIni("f.ini", "[F]\nFile=list.amf\nBackGround=0\nHighLight=1\nSrcRect=0,0,50,50\n");
    auto* list = new GListBox(manager->GetDefaultContainer());
    manager->GetDefaultContainer()->AddWindow(list);
    EXPECT_TRUE(list->LoadFromIni("f.ini", "F"));
    Fill(list, 2);
    Frame([&] { manager->Render(); });
    Run({MoveAndButton(10, 10, true), Left(false)});
    EXPECT_TRUE(game.events.empty());
}

}  // namespace
