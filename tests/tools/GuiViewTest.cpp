// guiview: its viewer run inside the test on the manual clock with injected pointer events
// (the printed messages, the snapshot, reloading, errors on screen), and the program itself
// (headless run, bad input).
#include <cstdio>

#include "GuiViewer.h"
#include "support/GuiFixture.h"
#include "support/ToolProcess.h"

namespace {

constexpr DWORD kPanel = 0xFF2080C0;
constexpr DWORD kBackdrop = 0x3A4048;

void WriteScreen(int panelX) {
    WriteAmf("view.amf", {Solid(120, 90, kPanel), Painted(48, 64, [](int, int y) { return 0xFF000000u | y * 4; })});
    WriteIni("view.ini",
             "[L]\nb=Ok\n\nContainer=Panel\n[Panel]\nGUIType=1\nID=100\nFile=view.amf\nPicture=0\n"
             "Position=" +
                 std::to_string(panelX) + ",30\n[Ok]\nGUIType=2\nID=101\nFile=view.amf\nPicture=1\nPosition=20,20\n");
}

velmora::DecodedImage Snapshot(const std::string& path) {
    velmora::DecodedImage image;
    std::string error;
    EXPECT_TRUE(velmora::DecodeImageFile(path, &image, &error)) << error;
    return image;
}

DWORD Pixel(const velmora::DecodedImage& image, int x, int y) {
    return image.pixels.at(size_t(y) * image.width + size_t(x)) & 0xFFFFFF;
}

class GuiViewTest : public EngineTest {
protected:
    // Runs the viewer for `frames` frames of 320 x 240 with the scheduled injections, and
    // returns what it printed.
    std::string View(int frames, const std::function<void(HWND, DWORD)>& schedule) {
        std::remove("view.bmp");
        FILE* out = std::tmpfile();
        GuiViewOptions options;
        options.file = "view.ini";
        options.snap = "view.bmp";
        options.frames = frames;
        options.width = 320;
        options.height = 240;
        VelmoraTest::SetClockTickEveryReads(3);
        {
            GuiViewer viewer(options, out);
            EXPECT_TRUE(viewer.Start());
            HWND hwnd = viewer.GetWndHandle();
            if (schedule) schedule(hwnd, VelmoraTest::GetClock());
            viewer.Run();
            loads = viewer.LoadCount();
            lines = viewer.LoadLines();
            viewer.Destroy();
            DestroyWindow(hwnd);
        }
        std::string printed;
        std::rewind(out);
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) printed.append(buffer, n);
        std::fclose(out);
        return printed;
    }

    int loads = 0;
    std::vector<LoadLogLine> lines;
};

TEST_F(GuiViewTest, PrintsTheMessagesOfAClickAndSnapsTheScreen) {
    WriteScreen(40);
    const std::string printed = View(50, [](HWND hwnd, DWORD t0) {
        VelmoraTest::InjectAt(t0 + 100, [hwnd] { VelmoraTest::InjectMouseMove(hwnd, 70, 55); });
        VelmoraTest::InjectAt(t0 + 200, [hwnd] { VelmoraTest::InjectMouseButton(hwnd, 0, true); });
        VelmoraTest::InjectAt(t0 + 300, [hwnd] { VelmoraTest::InjectMouseButton(hwnd, 0, false); });
        VelmoraTest::InjectAt(t0 + 400, [hwnd] { VelmoraTest::InjectMouseMove(hwnd, 10, 10); });
    });
    EXPECT_EQ(printed,
              "loaded view.ini\n"
              "id=101 class=Button event=GUI_EVENT_ENTER param2=2\n"
              "id=101 class=Button event=GUI_EVENT_PRESS param2=2\n"
              "id=101 class=Button event=GUI_EVENT_CLICK param2=2\n"
              "id=101 class=Button event=GUI_EVENT_LEAVE param2=2\n");
    EXPECT_TRUE(lines.empty());
    const auto image = Snapshot("view.bmp");
    ASSERT_EQ(image.width, 320u);
    EXPECT_EQ(Pixel(image, 40, 30), kPanel & 0xFFFFFF);
    EXPECT_EQ(Pixel(image, 159, 119), kPanel & 0xFFFFFF);
    EXPECT_EQ(Pixel(image, 39, 30), kBackdrop);
    EXPECT_EQ(Pixel(image, 60, 50), 0u);         // the button's normal image, row 0
    EXPECT_EQ(Pixel(image, 60, 65), DWORD(60));  // row 15 of it
    EXPECT_EQ(Pixel(image, 60, 66), kPanel & 0xFFFFFF);
}

TEST_F(GuiViewTest, ReloadsTheFileWhenItChanges) {
    WriteScreen(40);
    View(60, [](HWND, DWORD t0) { VelmoraTest::InjectAt(t0 + 100, [] { WriteScreen(150); }); });
    EXPECT_EQ(loads, 2);
    const auto image = Snapshot("view.bmp");
    EXPECT_EQ(Pixel(image, 40, 30), kBackdrop);
    EXPECT_EQ(Pixel(image, 150, 30), kPanel & 0xFFFFFF);
}

TEST_F(GuiViewTest, ShowsTheErrorsOfALoad) {
    WriteScreen(40);
    WriteFile("view.ini", ReadFile("view.ini") + "[M]\r\nc=Again\r\n[Again]\r\nGUIType=2\r\nID=101\r\n");
    const std::string printed = View(3, nullptr);
    // The engine's lines say what and where; the last one that the load stopped there.
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].error);
    EXPECT_EQ(lines[0].text, "Control ID[101] has been used in file[view.ini]index[Again]");
    EXPECT_FALSE(lines[1].error);
    EXPECT_EQ(lines[1].text,
              "ID 101 of section [Again] in file[view.ini] was first used by section [Ok] in file[view.ini]");
    EXPECT_TRUE(lines[2].error);
    EXPECT_NE(printed.find("\nerror: Control ID[101] has been used"), std::string::npos);
    EXPECT_NE(printed.find("\nwarning: ID 101 of section [Again]"), std::string::npos);
    // In red along the bottom of the screen; the panel built before the error stays.
    const auto image = Snapshot("view.bmp");
    int red = 0;
    for (int y = 180; y < 240; ++y)
        for (int x = 0; x < 320; ++x) red += Pixel(image, x, y) == 0xFF6060;
    EXPECT_GT(red, 50);
    EXPECT_EQ(Pixel(image, 40, 30), kPanel & 0xFFFFFF);
}

TEST(GuiViewDescribeTest, ChangesSayWhatTheirValueMeans) {
    CNumberInputBox number;
    RadioGroup group;
    GListBox list;
    list.AddItem("first", nullptr);
    list.AddItem("50% off", nullptr);
    CSlider slider;
    struct Case {
        CWindow* control;
        DWORD code, param2;
        const char* line;
    };
    const Case cases[] = {
        {&number, GUI_EVENT_CHANGE, 0x40200000,
         "id=5 class=CNumberInputBox event=GUI_EVENT_CHANGE param2=1075838976 value=2.5"},
        {&group, GUI_EVENT_CHANGE, 53, "id=5 class=RadioGroup event=GUI_EVENT_CHANGE param2=53 box=53"},
        {&list, GUI_EVENT_CHANGE, 1, "id=5 class=GListBox event=GUI_EVENT_CHANGE param2=1 item=\"50% off\""},
        {&list, GUI_EVENT_CHANGE, 7, "id=5 class=GListBox event=GUI_EVENT_CHANGE param2=7"},
        {&slider, GUI_EVENT_CHANGE, 30, "id=5 class=CSlider event=GUI_EVENT_CHANGE param2=30"},
        {&number, GUI_EVENT_PRESS, 3, "id=5 class=CNumberInputBox event=GUI_EVENT_PRESS param2=3"},
    };
    for (const Case& c : cases) {
        CMessage message(MSG_GUI_EVENT, 5, 0);
        message.SetParameter(c.code, c.param2, c.control);
        EXPECT_EQ(GuiViewer::Describe(message), c.line);
    }
}

TEST(GuiViewProgramTest, RunsHeadlessAndAnswersBadInput) {
    WriteScreen(40);
    std::remove("program.bmp");
    Outcome run = RunProgram(GUIVIEW, "view.ini --frames 3 --snap program.bmp --size 400x300");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("guiview: 3 frames, last one saved to program.bmp"), std::string::npos) << run.output;
    const auto image = Snapshot("program.bmp");
    EXPECT_EQ(image.width, 400u);
    EXPECT_EQ(Pixel(image, 100, 100), kPanel & 0xFFFFFF);

    struct Case {
        const char* args;
        int status;
        const char* says;
    };
    // Files saved with LF lines, as Linux editors save them; each load's lines are printed.
    WriteFile("bad.ini", "[L]\nx=Nothing\n");
    WriteFile("odd.ini", "[L]\nx=Odd\n[Odd]\nGUIType=3\nID=1\nCaption=odd\nFontSize=12pt\n");
    // In UTF-8 the section name's last byte would pair with its "]" when read as GBK.
    WriteIni("utf8.ini", "[L]\nx=中\n[中]\nGUIType=3\nID=1\nCaption=中文\n");
    for (const Case& c :
         {Case{"", 2, "no description file"}, Case{"missing.ini", 2, "cannot read the file"},
          Case{"view.ini --frames", 2, "--frames needs a count"}, Case{"view.ini --size 10x10", 2, "--size needs"},
          Case{"view.ini --bogus", 2, "unknown option"}, Case{"bad.ini --frames 1", 3, "bad.ini has errors"},
          Case{"bad.ini --frames 1", 3,
               "error: Key x of list section [L] in file[bad.ini] names the section [Nothing], which the file does not "
               "have"},
          Case{"odd.ini --frames 1", 0,
               "warning: Key FontSize of section [Odd] in file[odd.ini]: the value [12pt] is not a number, read as 12"},
          Case{"utf8.ini --frames 1", 3, "utf8.ini has errors"}, Case{"utf8.ini --frames 1 --utf8", 0, "1 frames"}}) {
        Outcome r = RunProgram(GUIVIEW, c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << c.args << "\n" << r.output;
    }
}

}  // namespace
