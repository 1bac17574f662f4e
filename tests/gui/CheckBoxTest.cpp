// Check boxes and radio groups: images from "StateNum", toggling and look rows with their
// messages, and a group's placement, selection, messages and IDs, through the real main loop
// with injected pointer events.
#include "support/GuiFixture.h"

namespace {

// Six 16 x 16 images, each its own colour: normal, hover and disabled looks, each unselected
// and selected.
const DWORD kImages[6] = {0xFF800000, 0xFF008000, 0xFF000080, 0xFF808000, 0xFF008080, 0xFF800080};

Picture SixImages() {
    return Painted(16, 96, [](int, int y) { return kImages[y / 16]; });
}

class CheckBoxTest : public GuiTest {
protected:
    // A check box with ID 9 at (100, 80) in the default container.
    CCheckBox* Make(const std::string& keys) {
        WriteAmf("box.amf", {SixImages()});
        WriteIni("c.ini", "[C]\nID=9\nFile=box.amf\nPicture=0\nPosition=100,80\n" + keys);
        CWindow* container = manager->GetDefaultContainer();
        auto* box = new CCheckBox(container);
        container->AddWindow(box);
        box->LoadFromIni("c.ini", "C");
        return box;
    }
    // The colour the box shows at its top-left.
    DWORD Shown(CCheckBox* box) {
        const GPoint p = box->GetPosition();
        return At(Frame([&] { manager->Render(); }), p.x + 3, p.y + 3);
    }
    static GuiEvent Event(CCheckBox* box, DWORD code, DWORD select) {
        return GuiEvent{0, box->GetID(), code, select, box};
    }
};

TEST_F(CheckBoxTest, ImagesComeFromTheStateCount) {
    struct Case {
        const char* keys;
        int imageHeight;
    };
    const Case cases[] = {
        {"", 24},  // four images
        {"StateNum=6\n", 16},
        {"StateNum=2\n", 48},  // images 2 to 5 lie below the picture
        {"StateNum=0\n", 96},  // a count below 1 counts as 1
        {"StateNum=-4\n", 96},
    };
    WriteAmf("box.amf", {SixImages()});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        WriteIni("s.ini", std::string("[S]\nFile=box.amf\nPicture=0\nPosition=5,6\n") + c.keys);
        CCheckBox box;
        EXPECT_TRUE(box.LoadFromIni("s.ini", "S"));
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(box.GetImageRect(i), GRect(0, i * c.imageHeight, 16, (i + 1) * c.imageHeight)) << i;
        EXPECT_EQ(box.GetRect(), GRect(5, 6, 21, 6 + c.imageHeight));
    }
}

TEST_F(CheckBoxTest, PressesToggleAndReportTheNewState) {
    CCheckBox* box = Make("StateNum=6\n");
    std::vector<DWORD> shown;
    auto look = [&] { shown.push_back(Shown(box)); };
    Run({look, MoveTo(105, 85), look, Left(true), look, Left(false), Left(true), look, Left(false), MoveTo(10, 10),
         look});
    const std::vector<GuiEvent> expected{Event(box, GUI_EVENT_ENTER, 0), Event(box, GUI_EVENT_CHANGE, 1),
                                         Event(box, GUI_EVENT_CHANGE, 0), Event(box, GUI_EVENT_LEAVE, 0)};
    EXPECT_EQ(game.events, expected);
    // Normal unselected, hover unselected, hover selected, hover unselected, normal.
    const std::vector<DWORD> images{kImages[0], kImages[2], kImages[3], kImages[2], kImages[0]};
    ASSERT_EQ(shown.size(), images.size());
    for (size_t i = 0; i < images.size(); ++i) EXPECT_EQ(shown[i], images[i] & 0xFFFFFF) << i;
    // Hovering alone is not handling; a press is.
    EXPECT_EQ(game.handled,
              (std::vector<bool>{false, false, false, false, true, false, false, true, false, false, false, false}));
}

TEST_F(CheckBoxTest, DisablingShowsTheDisabledRowOnlyWhenThePictureHasOne) {
    CCheckBox* six = Make("StateNum=6\n");
    six->SetSelect(true);
    six->Disable();
    EXPECT_EQ(six->GetLook(), CCheckBox::LOOK_DISABLED);
    EXPECT_EQ(Shown(six), kImages[5] & 0xFFFFFF);
    Run({MoveAndButton(105, 85, true), Left(false)});
    EXPECT_TRUE(game.events.size() == 1 && game.events[0].code == GUI_EVENT_CHANGE);  // SetSelect's only
    six->Enable();
    EXPECT_EQ(Shown(six), kImages[1] & 0xFFFFFF);

    // With two images there is neither a hover nor a disabled look.
    manager->GetDefaultContainer()->Release();
    CCheckBox* two = Make("StateNum=2\nAttrib=2\n");
    EXPECT_EQ(two->GetLook(), CCheckBox::LOOK_NORMAL);
    two->Enable();
    Run({MoveTo(105, 85), Left(true), Left(false), MoveTo(10, 10)});
    EXPECT_EQ(game.events, (std::vector<GuiEvent>{Event(two, GUI_EVENT_CHANGE, 1)}));
    two->Disable();
    EXPECT_EQ(two->GetLook(), CCheckBox::LOOK_NORMAL);
}

TEST_F(CheckBoxTest, SetSelectReportsOnlyChangesOfAnIndependentBox) {
    CCheckBox* box = Make("");
    Run({[&] {
        box->SetSelect(false);  // no change
        box->SetSelect(true);
        box->SetSelect(true);
        box->SetDependent(true);
        box->SetSelect(false);
    }});
    EXPECT_EQ(game.events, (std::vector<GuiEvent>{Event(box, GUI_EVENT_CHANGE, 1)}));
    EXPECT_FALSE(box->GetSelect());
}

class RadioGroupTest : public CheckBoxTest {
protected:
    // A group of three boxes 24 pixels apart in a container at (100, 100).
    RadioGroup* Load(const std::string& keys) {
        WriteAmf("box.amf", {SixImages()});
        WriteIni("r.ini",
                 "[L]\nr=Radio\n\nContainer=Box\n[Box]\nGUIType=1\nID=1\nPosition=100,100\n"
                 "[Radio]\nGUIType=5\nID=50\nFile=box.amf\nPicture=0\nStateNum=6\nPosition=10,10\nRadioNum=3\n"
                 "XOffset=0\nYOffset=24\nSubID0=51\nSubID1=52\nSubID2=53\n" +
                     keys);
        loaded = manager->LoadFromFile("r.ini");
        return static_cast<RadioGroup*>(manager->GetElement(50));
    }
    bool loaded = false;
};

TEST_F(RadioGroupTest, BoxesArePlacedByTheOffsetsInsideTheParent) {
    RadioGroup* group = Load("Select=1\n");
    ASSERT_TRUE(loaded);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->GetElementNum(), 3);
    const GPoint places[3] = {{110, 110}, {110, 134}, {110, 158}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(group->GetElement(i)->GetPosition(), places[i]) << i;
        EXPECT_EQ(group->GetElement(i)->GetID(), DWORD(51 + i));
        EXPECT_TRUE(group->GetElement(i)->GetDependent());
    }
    EXPECT_EQ(group->GetElement(3), nullptr);
    EXPECT_EQ(group->GetElement(-1), nullptr);
    EXPECT_EQ(group->GetSelectedIndex(), 1);
    EXPECT_EQ(group->GetSelectedID(), 52u);
    EXPECT_TRUE(game.events.empty());
    auto pixels = Frame([&] { manager->Render(); });
    EXPECT_EQ(At(pixels, 112, 112), kImages[0] & 0xFFFFFF);
    EXPECT_EQ(At(pixels, 112, 136), kImages[1] & 0xFFFFFF);
    // Moving the container moves the boxes.
    manager->GetElement(1)->OffSet(5, -5);
    EXPECT_EQ(group->GetElement(2)->GetPosition(), GPoint(115, 153));
}

TEST_F(RadioGroupTest, SelectOutOfRangeSelectsTheFirstBox) {
    for (const char* keys : {"Select=5\n", "Select=-1\n", ""}) {  // the default, 30, is out of range too
        SCOPED_TRACE(keys);
        manager->Reset();
        RadioGroup* group = Load(keys);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->GetSelectedIndex(), 0);
    }
}

TEST_F(RadioGroupTest, PressingAnotherBoxChangesTheSelectionOnce) {
    RadioGroup* group = Load("");
    ASSERT_NE(group, nullptr);
    // Press the selected box, then the third one.
    Run({MoveAndButton(112, 112, true), Left(false), MoveAndButton(112, 160, true), Left(false)});
    std::vector<GuiEvent> changes;
    for (const GuiEvent& e : game.events)
        if (e.code == GUI_EVENT_CHANGE) changes.push_back(e);
    EXPECT_EQ(changes, (std::vector<GuiEvent>{{0, 50, GUI_EVENT_CHANGE, 53, group}}));
    EXPECT_EQ(changes.at(0).frame, 3);
    EXPECT_EQ(group->GetSelectedIndex(), 2);
    EXPECT_FALSE(group->GetElement(0)->GetSelect());
    // Both presses count as handled, the selected box's too.
    EXPECT_TRUE(game.handled.at(1));
    EXPECT_TRUE(game.handled.at(3));
}

TEST_F(RadioGroupTest, BoxIDsAreRegisteredWithTheFile) {
    WriteAmf("box.amf", {SixImages()});
    const std::string group = "[G]\nGUIType=5\nID=50\nFile=box.amf\nPicture=0\nRadioNum=2\nSubID0=51\nSubID1=";
    struct Case {
        const char* text;
        bool loads;
        const char* error;
    };
    const Case cases[] = {
        {"52\n[L]\ng=G\n", true, ""},
        {"51\n[L]\ng=G\n", false, "Control ID[51] has been used in file[g.ini]index[G]"},
        {"52\n[L]\ng=G\nb=B\n[B]\nGUIType=3\nID=52\n", false, "Control ID[52] has been used in file[g.ini]index[B]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        manager->Reset();
        WriteIni("g.ini", group + c.text);
        EXPECT_EQ(manager->LoadFromFile("g.ini"), c.loads);
        const std::vector<std::string> errors = Errors();
        EXPECT_EQ(errors, *c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{});
        EXPECT_NE(manager->GetElement(50), nullptr);  // the group stays loaded
    }
}

TEST_F(RadioGroupTest, GroupsWithoutBoxesOrWithoutAParent) {
    WriteAmf("box.amf", {SixImages()});
    WriteIni("g.ini",
             "[None]\nRadioNum=0\n[Negative]\nRadioNum=-3\n[Huge]\nRadioNum=100000000\n"
             "[Loose]\nFile=box.amf\nPicture=0\nPosition=10,20\nRadioNum=2\nXOffset=40\nYOffset=0\nSelect=1\n");
    for (const char* section : {"None", "Negative", "Huge"}) {
        RadioGroup group;
        EXPECT_FALSE(group.LoadFromIni("g.ini", section)) << section;
        EXPECT_EQ(group.GetElementNum(), 0);
        EXPECT_EQ(group.GetSelectedIndex(), -1);
        EXPECT_EQ(group.GetSelectedID(), 0u);
    }
    EXPECT_EQ(Errors(), (std::vector<std::string>{"RadioNum[100000000] is too large in file[g.ini] index[Huge]"}));
    // Offsets too large for the screen stop at the GUI's coordinate range.
    WriteIni("far.ini", "[Far]\nFile=box.amf\nPicture=0\nRadioNum=4\nXOffset=2000000000\nYOffset=-2000000000\n");
    RadioGroup far;
    ASSERT_TRUE(far.LoadFromIni("far.ini", "Far"));
    EXPECT_EQ(far.GetElement(3)->GetPosition(), GPoint(1 << 24, -(1 << 24)));
    // Without a parent the group stands where "Position" says.
    RadioGroup loose;
    ASSERT_TRUE(loose.LoadFromIni("g.ini", "Loose"));
    EXPECT_EQ(loose.GetElement(0)->GetPosition(), GPoint(10, 20));
    EXPECT_EQ(loose.GetElement(1)->GetPosition(), GPoint(50, 20));
    EXPECT_EQ(loose.GetSelectedIndex(), 1);
}

}  // namespace
