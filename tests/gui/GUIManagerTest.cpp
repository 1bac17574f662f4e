// GUIManager: start-up and shut-down, description files (containers, elements, duplicate
// IDs, bad elements), stacking, look-ups and removal, and the input offered top down with
// dragging, through the real main loop.
#include <algorithm>
#include <filesystem>

#include "support/GuiFixture.h"

namespace {

using GUIManagerTest = GuiTest;

// The menu of the description-file example, its art made to measure.
const char kMainMenu[] =
    "[MainMenu]\nOk=MenuOk\nQuit=MenuQuit\n\nContainer=MenuWindow\n"
    "[MenuWindow]\nGUIType=1\nID=100\nFile=menu.dat\nPicture=0\nPosition=200,150\n"
    "[MenuOk]\nGUIType=2\nID=101\nFile=menu.dat\nPicture=1\nPosition=20,40\n"
    "[MenuQuit]\nGUIType=256\nID=102\nFile=menu.dat\nPicture=2\nPosition=20,80\n";

void WriteMenuArt() {
    WriteAmf("menu.dat", {Solid(100, 80, 0xFF204080), Solid(60, 64, 0xFFFFFFFF), Solid(60, 64, 0xFFFFFF00)});
}

TEST_F(GUIManagerTest, StartUpCreatesTheManagerAfterTheMessagesAndDestroyDeletesIt) {
    game.Destroy();
    DestroyWindow(hwnd);
    EXPECT_EQ(GetGUIManager(), nullptr);
    std::remove("VLMLog.html");
    game.SetDLLFileLog(true);
    ASSERT_EQ(game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "gui", nullptr), 1);
    hwnd = game.GetWndHandle();
    GUIManager* created = GetGUIManager();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetWindowCount(), 1);  // the default container
    EXPECT_EQ(created->GetElement(0), created->GetDefaultContainer());
    game.Destroy();
    EXPECT_EQ(GetGUIManager(), nullptr);
    const std::string log = ReadFile("VLMLog.html");
    const size_t messages = log.find("]Create Main Message System...</font>");
    const size_t gui = log.find("]Create GUI System...</font>");
    const size_t font = log.find("]Create System Font...</font>");
    ASSERT_NE(gui, std::string::npos);
    EXPECT_LT(messages, gui);
    EXPECT_LT(gui, font);
}

TEST_F(GUIManagerTest, TheMainMenuExamplePlacesItsButtonsInTheWindow) {
    WriteMenuArt();
    // Saved with LF lines, as a Linux editor saves it.
    WriteFile("menu.ini", kMainMenu);
    ASSERT_TRUE(manager->LoadFromFile("menu.ini"));
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(VelmoraTest::TakeDebugOutput(), "");
    ASSERT_EQ(manager->GetWindowCount(), 2);
    CWindow* window = manager->GetElement(100);
    CWindow* ok = manager->GetElement(101);
    CWindow* quit = manager->GetElement(102);
    ASSERT_TRUE(window && ok && quit);
    EXPECT_EQ(window->GetPosition(), GPoint(200, 150));
    EXPECT_EQ(ok->GetPosition(), GPoint(220, 190));
    EXPECT_EQ(quit->GetPosition(), GPoint(220, 230));
    EXPECT_EQ(ok->GetType(), DWORD(GUI_TYPE_BUTTON));
    EXPECT_EQ(quit->GetType(), DWORD(GUI_TYPE_COOLBUTTON));
    EXPECT_EQ(ok->GetParent(), window);
    EXPECT_EQ(window->GetSubWindowsCount(), 2);
    EXPECT_EQ(window->GetSubWindow(101), ok);
    EXPECT_EQ(manager->GetDefaultContainer()->GetSubWindowsCount(), 0);
}

TEST_F(GUIManagerTest, BadFilesFailAtTheFirstBadLineAndKeepWhatWasBuilt) {
    WriteMenuArt();
    const std::string elements =
        "[A]\nGUIType=2\nID=11\nFile=menu.dat\nPicture=1\n[B]\nGUIType=3\nID=12\nCaption=b\n"
        "[Again]\nGUIType=2\nID=11\nFile=menu.dat\nPicture=1\n"
        "[NoID]\nGUIType=2\nFile=menu.dat\nPicture=1\n[Unknown]\nGUIType=999\nID=14\n"
        "[Box]\nGUIType=1\nID=100\n[Box2]\nGUIType=1\nID=200\n";
    // Each failure names its cause: an error line, and for a duplicate ID a warning after the
    // error saying where the ID was first used.
    struct Case {
        const char* lists;
        bool loads;
        const char* error;    // "" for none
        const char* warning;  // "" for none
        int windows;          // top-level windows after the load
        int defaultChildren;
    };
    const Case cases[] = {
        {"", true, "", "", 1, 0},  // element sections alone build nothing
        {"[L]\nx=A\ny=B\n", true, "", "", 1, 2},
        {"[L]\nx=A\n[M]\nx=Again\ny=B\n", false, "Control ID[11] has been used in file[f.ini]index[Again]",
         "ID 11 of section [Again] in file[f.ini] was first used by section [A] in file[f.ini]", 1, 1},
        {"[L]\nx=A\nmissing=Missing\ny=B\n", false,
         "Key missing of list section [L] in file[f.ini] names the section [Missing], which the file does not have", "",
         1, 1},
        // A section without a GUIType is a list: the load has stopped before reaching it.
        {"[L]\nx=A\nx=NoType\n[NoType]\nID=15\n", false, "Element section [NoType] in file[f.ini] has no GUIType", "",
         1, 1},
        {"[L]\nx=A\nx=NoID\n", false,
         "Element section [NoID] in file[f.ini] has no ID (a control needs one other than 0)", "", 1, 1},
        {"[L]\nx=Unknown\n", false,
         "Element section [Unknown] in file[f.ini]: GUIType 999 is no control type (1 to 8, 256 to 260)", "", 1, 0},
        {"[L]\nx=\n", false, "Key x of list section [L] in file[f.ini] names no element section", "", 1, 0},
        {"[L]\nx=A\n\nContainer=Box\n[M]\ny=B\n\nContainer=Box\n", false,
         "Control ID[100] has been used in file[f.ini]index[Box]",
         "ID 100 of container section [Box] of list section [M] in file[f.ini] was first used by container section "
         "[Box] of list section [L] in file[f.ini]",
         2, 0},
        // "Container" inside the run is taken as a control: the box's ID comes twice.
        {"[L]\nx=A\nContainer=Box\n", false, "Control ID[100] has been used in file[f.ini]index[Box]",
         "ID 100 of section [Box] in file[f.ini] was first used by container section [Box] of list section [L] in "
         "file[f.ini]",
         2, 0},
        {"[L]\ny=B\n\nContainer=Box2\n", true, "", "", 2, 0},
        // A container that is missing or has no ID is no error: the default container takes
        // the controls, with a warning.
        {"[L]\ny=B\n\nContainer=Bx\n", true, "",
         "Key Container of list section [L] in file[f.ini]: the file has no section [Bx]; its controls go into the "
         "default container",
         1, 1},
        {"[L]\ny=B\n\nContainer=NoID\n", true, "",
         "Key Container of list section [L] in file[f.ini]: the section [NoID] has no ID; its controls go into the "
         "default container",
         1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lists);
        manager->Reset();
        VelmoraTest::TakeDebugOutput();
        WriteIni("f.ini", std::string(c.lists) + elements);
        EXPECT_EQ(manager->LoadFromFile("f.ini"), c.loads);
        std::vector<std::string> errors = Errors();
        if (*c.error) {
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0], c.error);
        } else {
            EXPECT_TRUE(errors.empty());
        }
        const std::string warnings = VelmoraTest::TakeDebugOutput();
        if (*c.warning)
            EXPECT_NE(warnings.find(std::string("]") + c.warning + "\r\n"), std::string::npos) << warnings;
        else
            EXPECT_EQ(warnings, "");
        EXPECT_EQ(manager->GetWindowCount(), c.windows);
        EXPECT_EQ(manager->GetDefaultContainer()->GetSubWindowsCount(), c.defaultChildren);
    }
}

TEST_F(GUIManagerTest, PicturesAndValuesThatDoNotLoadAreNamed) {
    // The file loads; each picture that does not load, and each value that is not a number,
    // gets a warning with its key, its section and its cause.
    WriteMenuArt();
    WriteFile("not.amf", "plain text, no AMF header at all");
    std::remove("gone.amf");
    WriteFile("p.ini",
              "[L]\na=Gone\nb=Beyond\nc=NotAmf\nd=NoFile\ne=Odd\n"
              "[Gone]\nGUIType=2\nID=1\nFile=gone.amf\nPicture=0\n"
              "[Beyond]\nGUIType=1\nID=2\nFile=menu.dat\nPicture=1\nBackground=7\n"
              "[NotAmf]\nGUIType=4\nID=3\nFile=not.amf\nPicture=0\n"
              "[NoFile]\nGUIType=2\nID=4\nPicture=2\n"
              "[Odd]\nGUIType=3\nID=5\nPosition=20,4O\nFontSize=12pt\nCaption=x\n");
    VelmoraTest::TakeDebugOutput();
    EXPECT_TRUE(manager->LoadFromFile("p.ini"));
    const std::string warnings = VelmoraTest::TakeDebugOutput();
    const std::string cwd = std::filesystem::current_path().string();
    const std::string expected[] = {
        "Key Picture of section [Gone] in file[p.ini]: picture 0 of [gone.amf] did not load; the name resolves to [" +
            cwd + "/gone.amf]: no such file",
        "Key Background of section [Beyond] in file[p.ini]: picture 7 of [menu.dat] did not load; the name resolves "
        "to [" +
            cwd + "/menu.dat]: the AMF file holds 3 pictures (0 to 2), not picture 7",
        "Key Picture of section [NotAmf] in file[p.ini]: picture 0 of [not.amf] did not load; the name resolves to [" +
            cwd + "/not.amf]: not an AMF file",
        "Key Picture of section [NoFile] in file[p.ini]: picture 2 did not load; the section names no File",
        "Key Position of section [Odd] in file[p.ini]: the value [20,4O] is not a point x,y, read as 20,4",
        "Key FontSize of section [Odd] in file[p.ini]: the value [12pt] is not a number, read as 12",
    };
    for (const std::string& line : expected) EXPECT_NE(warnings.find("]" + line + "\r\n"), std::string::npos) << line;
    // The errors the texture manager logs of the same loads come first, as they always did.
    const std::vector<std::string> errors = Errors();
    EXPECT_NE(std::find(errors.begin(), errors.end(), "Can't Load AMF[gone.amf]!"), errors.end());
    EXPECT_EQ(manager->GetElement(5)->GetPosition(), GPoint(20, 4));
}

TEST_F(GUIManagerTest, FilesWithoutSectionsAndMissingPaths) {
    WriteIni("empty.ini", "; nothing here\n");
    EXPECT_TRUE(manager->LoadFromFile("empty.ini"));
    EXPECT_TRUE(manager->LoadFromFile("no-such-file.ini"));  // read as an empty file
    EXPECT_FALSE(manager->LoadFromFile(nullptr));
    EXPECT_EQ(manager->GetWindowCount(), 1);
}

TEST_F(GUIManagerTest, IDsStayTakenAfterRemoveElementUntilRemoveAll) {
    WriteMenuArt();
    WriteIni("menu.ini", kMainMenu);
    ASSERT_TRUE(manager->LoadFromFile("menu.ini"));
    CWindow* ok = manager->GetElement(101);
    manager->RemoveElement(ok, true);
    EXPECT_EQ(manager->GetElement(101), nullptr);
    EXPECT_EQ(manager->GetElement(100)->GetSubWindowsCount(), 1);
    WriteIni("ok.ini", "[L]\nx=MenuOk\n[MenuOk]\nGUIType=2\nID=101\nFile=menu.dat\nPicture=1\n");
    EXPECT_FALSE(manager->LoadFromFile("ok.ini"));
    EXPECT_EQ(Errors().size(), 1u);
    manager->RemoveAll();
    EXPECT_EQ(manager->GetWindowCount(), 0);
    EXPECT_EQ(manager->GetDefaultContainer(), nullptr);
    EXPECT_FALSE(manager->LoadFromFile("ok.ini"));  // no default container any more
    EXPECT_TRUE(manager->LoadFromFile("menu.ini"));
    EXPECT_NE(manager->GetElement(101), nullptr);
}

// Records the drawing order, which is the stacking order.
class OrderWindow : public CWindow {
public:
    OrderWindow(DWORD id, std::vector<DWORD>* order) : m_pOrder(order) { SetID(id); }
    void Render() override { m_pOrder->push_back(GetID()); }

private:
    std::vector<DWORD>* m_pOrder;
};

TEST_F(GUIManagerTest, StackingOrderAndLookUps) {
    std::vector<DWORD> order;
    auto drawn = [&] {
        order.clear();
        manager->Render();
        return order;
    };
    manager->RemoveElement(manager->GetDefaultContainer(), true);
    auto* a = new OrderWindow(1, &order);
    auto* b = new OrderWindow(2, &order);
    auto* c = new OrderWindow(0, &order);
    auto* child = new CWindow(a);
    child->SetID(5);
    a->AddWindow(child);
    manager->AddWindowBack(a);
    manager->AddWindowBack(b);
    manager->AddWindowBack(a);  // already listed: nothing changes
    manager->AddWindowBack(nullptr);
    EXPECT_EQ(drawn(), (std::vector<DWORD>{1, 2}));
    EXPECT_EQ(manager->GetElement(5), child);
    manager->SetAsTopWindow(DWORD(1));
    manager->SetAsTopWindow(DWORD(77));  // no such window
    manager->SetAsTopWindow(child);      // not a top-level window
    EXPECT_EQ(drawn(), (std::vector<DWORD>{2, 1}));
    manager->AddWindowFront(c);
    EXPECT_EQ(manager->GetElement(0), c);
    manager->SetAsTopWindow(b);
    EXPECT_EQ(drawn(), (std::vector<DWORD>{0, 1, 2}));
    manager->RemoveElement(child, false);  // a direct child of a top-level window
    EXPECT_EQ(manager->GetElement(5), nullptr);
    delete child;
    manager->RemoveElement(c, true);
    EXPECT_EQ(drawn(), (std::vector<DWORD>{1, 2}));
    // Without the default container, lists that name no container cannot load.
    EXPECT_EQ(manager->GetDefaultContainer(), nullptr);
    WriteIni("l.ini", "[L]\nx=E\n[E]\nGUIType=1\nID=9\n");
    EXPECT_FALSE(manager->LoadFromFile("l.ini"));
    EXPECT_EQ(manager->GetWindowCount(), 2);
}

// Two overlapping 100 x 100 windows each with a 40 x 32 button at their top-left; the
// upper window is draggable.
const char kOverlap[] =
    "[L1]\nb=Low\n\nContainer=Lower\n[L2]\nb=High\n\nContainer=Upper\n"
    "[Lower]\nGUIType=1\nID=1\nFile=art.amf\nPicture=0\nPosition=20,20\n"
    "[Upper]\nGUIType=1\nID=2\nFile=art.amf\nPicture=0\nPosition=60,40\nAttrib=14\n"
    "[Low]\nGUIType=2\nID=11\nFile=art.amf\nPicture=1\nPosition=40,20\n"
    "[High]\nGUIType=2\nID=12\nFile=art.amf\nPicture=1\nPosition=50,50\n";

TEST_F(GUIManagerTest, OnlyTheTopWindowGetsAPressWhereTwoOverlap) {
    WriteAmf("art.amf", {Solid(100, 100, 0xFF404040), Solid(40, 128, 0xFFFFFFFF)});
    WriteIni("o.ini", kOverlap);
    ASSERT_TRUE(manager->LoadFromFile("o.ini"));
    // (65, 45) lies on both windows and on Low's button (60-100, 40-72), not on High's.
    Run({MoveAndButton(65, 45, true), Left(false), MoveAndButton(30, 30, true), Left(false)});
    std::vector<DWORD> ids;
    for (const GuiEvent& e : game.events) ids.push_back(e.id);
    EXPECT_TRUE(ids.empty());
    EXPECT_TRUE(game.handled[1]);  // the upper window took it
    // Outside the upper window the lower one's own area answers.
    EXPECT_TRUE(game.handled[3]);
    EXPECT_EQ(manager->GetElement(1)->GetPosition(), GPoint(20, 20));
}

TEST_F(GUIManagerTest, DraggingMovesTheWindowWithItsChildrenUntilRelease) {
    WriteAmf("art.amf", {Solid(100, 100, 0xFF404040), Solid(40, 128, 0xFFFFFFFF)});
    WriteIni("o.ini", kOverlap);
    ASSERT_TRUE(manager->LoadFromFile("o.ini"));
    CWindow* upper = manager->GetElement(2);
    CWindow* button = manager->GetElement(12);
    manager->SetAsTopWindow(DWORD(1));  // a press on the upper window raises it again
    Run({MoveAndButton(150, 130, true), MoveTo(155, 127), Left(false), MoveTo(180, 100)});
    EXPECT_EQ(upper->GetPosition(), GPoint(65, 37));
    EXPECT_EQ(button->GetPosition(), GPoint(115, 87));
    EXPECT_EQ(manager->GetElement(1)->GetPosition(), GPoint(20, 20));
    // Raised on the press: drawn last, offered the input first.
    Run({MoveAndButton(70, 45, true), Left(false)});
    EXPECT_TRUE(game.events.empty());
}

TEST_F(GUIManagerTest, APressInANonDraggableWindowIsHandledWithoutRaisingIt) {
    WriteAmf("art.amf", {Solid(100, 100, 0xFF404040), Solid(40, 128, 0xFFFFFFFF)});
    WriteIni("o.ini", kOverlap);
    ASSERT_TRUE(manager->LoadFromFile("o.ini"));
    Run({MoveAndButton(30, 30, true), Left(false), MoveTo(40, 30)});
    EXPECT_TRUE(game.handled[1]);
    // Still below: where they overlap the upper window's button answers.
    Run({MoveTo(115, 95)});
    EXPECT_EQ(game.events, (std::vector<GuiEvent>{{0, 12, GUI_EVENT_ENTER, 2, manager->GetElement(12)}}));
    EXPECT_EQ(manager->GetElement(1)->GetPosition(), GPoint(20, 20));
}

}  // namespace
