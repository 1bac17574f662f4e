// padview: run as a program it reports no controller headless and refuses bad arguments; its
// viewer, run inside the test on a virtual pad, lists the pad and prints each change of its
// state, a pad pulled out and one plugged in.
#include <cstdio>

#include "PadViewer.h"
#include "support/EngineTest.h"
#include "support/ToolProcess.h"

namespace {

TEST(PadViewTest, AsAProgramItRunsHeadlessAndAnswersItsOptions) {
    struct Case {
        const char* args;
        int status;
        const char* output;
    };
    const Outcome run = RunProgram(PADVIEW, "--frames 3 --print");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("padview: no game controller is plugged in\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("padview: 3 frames, 0 game controllers plugged in at the end"), std::string::npos)
        << run.output;
    const Case cases[] = {
        {"--help", 0, "usage: padview [--frames N] [--print]"},
        {"-h", 0, "Esc quits"},
        {"--version", 0, "padview (Velmora) "},
        {"--frames 0", 2, "padview: --frames needs a number of frames above 0"},
        {"--frames", 2, "padview: --frames needs a number"},
        {"pad.ini", 2, "padview: unknown argument pad.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const Outcome r = RunProgram(PADVIEW, c.args);
        EXPECT_EQ(r.status, c.status) << r.output;
        EXPECT_NE(r.output.find(c.output), std::string::npos) << r.output;
    }
}

class PadViewerTest : public EngineTest {};

TEST_F(PadViewerTest, ListsAPadAndPrintsItsChanges) {
    VelmoraTest::SetClockTickEveryReads(3);
    ASSERT_EQ(VelmoraTest::AttachPad(), 0);
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    ASSERT_NE(out, nullptr);
    {
        PadViewOptions options;
        options.frames = 0;
        options.print = true;
        struct Scripted : PadViewer {
            using PadViewer::PadViewer;
            void MainLoop() override {
                PadViewer::MainLoop();
                if (FramesRun() == 2) {
                    VelmoraTest::InjectPadButton(0, PAD_BUTTON_X, true);
                    VelmoraTest::InjectPadButton(0, PAD_BUTTON_DPAD_RIGHT, true);
                }
                if (FramesRun() == 4) VelmoraTest::DetachPad(0);
                if (FramesRun() == 6) VelmoraTest::AttachPad();
                if (FramesRun() == 8) PostQuitMessage(0);
            }
        } viewer(options, out);
        ASSERT_EQ(viewer.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "padview", nullptr), 1);
        ASSERT_TRUE(viewer.Start());
        viewer.Run();
        EXPECT_EQ(viewer.PadCount(), 1);
        viewer.Destroy();
    }
    std::fclose(out);
    const std::string printed(text, size);
    std::free(text);
    for (const char* line :
         {"pad 0: \"Velmora Virtual Pad\" {", "}, 6 axes, 11 buttons, 1 POVs, game controller layout\n",
          "frame 1: pad 0: X=32767 Y=32767 Z=0 Rx=32767 Ry=32767 Rz=0 POV0=-1 buttons: none\n",
          "frame 3: pad 0: X=32767 Y=32767 Z=0 Rx=32767 Ry=32767 Rz=0 POV0=9000 buttons: 2\n",
          "frame 5: Velmora Virtual Pad pulled out\n"})
        EXPECT_NE(printed.find(line), std::string::npos) << line << "\nin\n" << printed;
    // Plugged in again: listed once more under the same GUID.
    const size_t first = printed.find('{'), again = printed.rfind('{');
    ASSERT_NE(first, again);
    EXPECT_EQ(printed.substr(first, 38), printed.substr(again, 38));
}

}  // namespace
