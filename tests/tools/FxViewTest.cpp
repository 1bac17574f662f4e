// fxview run as a program: an effect kept beside its texture is fired where asked, its
// particles land in the saved last frame and the run is summed up on standard output; bad
// input gets a message and a non-zero exit status.
#include <filesystem>
#include <regex>

#include "FxViewer.h"
#include "support/ResourceFixture.h"
#include "support/ToolProcess.h"

namespace {

Outcome RunViewer(const std::string& args) { return RunProgram(FXVIEW, args); }

// A still 6 x 6 particle that lives long, drawn from a white texture.
const char kDot[] =
    "[FX]\r\nTextureFile=art/white.png\r\nEmissionNum=1\r\nfLifetime=-1\r\nfParticleLifeMin=100\r\n"
    "fParticleLifeMax=100\r\nfSizeStart=6\r\nfSizeEnd=6\r\ndwColorStart=0xFF20C040\r\ndwColorEnd=0xFF20C040\r\n";

TEST(FxViewTest, FiresTheEffectWhereAskedAndSavesTheLastFrame) {
    std::filesystem::remove_all("art");  // the texture must not be found from here
    std::filesystem::create_directories("game/art");
    WritePng("game/art/white.png", Picture{4, 4, Pixels(16, 0xFFFFFFFF)});
    WriteFile("game/art/dot.ini", kDot);
    std::filesystem::remove("dot.bmp");
    // The texture's name is relative to the game's folder, so fxview works from there; the
    // snapshot still lands where it was asked for.
    Outcome r = RunViewer("game/art/dot.ini --frames 20 --at 100,200 --snap dot.bmp");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("fxview: art/dot.ini: 20 frames, particles alive at the end: 1, update "),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("last frame saved to "), std::string::npos) << r.output;
    EXPECT_TRUE(
        std::regex_search(r.output, std::regex("update [0-9.]+ (\xC2\xB5s|ms) and draw [0-9.]+ (\xC2\xB5s|ms) per")))
        << r.output;

    velmora::DecodedImage image;
    std::string error;
    ASSERT_TRUE(velmora::DecodeImageFile("dot.bmp", &image, &error)) << error;
    ASSERT_EQ(image.width, 800u);
    ASSERT_EQ(image.height, 600u);
    auto at = [&](int x, int y) { return image.pixels[size_t(y) * image.width + size_t(x)] & 0xFFFFFF; };
    size_t dot = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (at(x, y) == 0x20C040) {
                ++dot;
                EXPECT_TRUE(x >= 100 && x < 106 && y >= 200 && y < 206) << x << "," << y;
            }
    EXPECT_EQ(dot, 36u);
    EXPECT_EQ(at(99, 203), 0x181818u);  // the background
}

TEST(FxViewTest, PrintsWhatTheLoadLogged) {
    // Saved with LF lines; a value that is not a number is named, and the effect still runs.
    std::filesystem::create_directories("game/art");
    WritePng("game/art/white.png", Picture{4, 4, Pixels(16, 0xFFFFFFFF)});
    WriteFile("game/art/typo.ini", "[FX]\nTextureFile=art/white.png\nEmissionNum=1\nfLifetime=forever\n");
    Outcome r = RunViewer("game/art/typo.ini --frames 2");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("fxview: warning: Key fLifetime of section [FX] in file[art/typo.ini]: the value "
                            "[forever] is not a number, read as 0"),
              std::string::npos)
        << r.output;
}

class FxViewStatusTest : public EngineTest {};

// The figures on screen are the ones measured, from the first frame on, in the units the
// standard output uses.
TEST_F(FxViewStatusTest, ShowsWhatItMeasuresFromTheFirstFrame) {
    EXPECT_EQ(FrameTimeText(0.0134, true), "13.4 \xC2\xB5s");
    EXPECT_EQ(FrameTimeText(0.0134, false), "13.4 \xA6\xCCs");  // GBK's Greek mu
    EXPECT_EQ(FrameTimeText(2.5, true), "2.50 ms");

    std::filesystem::create_directories("art");
    WritePng("art/white.png", Picture{4, 4, Pixels(16, 0xFFFFFFFF)});
    WriteFile("status.ini", kDot);
    FxViewer::Options options;
    options.file = "status.ini";
    options.frames = 5;
    VelmoraTest::SetClockTickEveryReads(3);  // the main loop waits for the clock to move
    FxViewer viewer(options);
    viewer.SetWindowMode(true);
    ASSERT_TRUE(viewer.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "fxview", nullptr));
    HWND hwnd = viewer.GetWndHandle();
    viewer.Start();
    viewer.Run();
    const std::string status = viewer.StatusText();
    viewer.Destroy();
    DestroyWindow(hwnd);
    ASSERT_EQ(viewer.FramesRun(), 5);
    EXPECT_NE(status.find("update " + FrameTimeText(viewer.MeanUpdateMs(), false) + "   draw " +
                          FrameTimeText(viewer.MeanDrawMs(), false)),
              std::string::npos)
        << status;
}

TEST(FxViewTest, BadInputGetsAMessageAndAFailingStatus) {
    WriteFile("plain.ini", "[Other]\r\nk=1\r\n");
    WriteFile("lost.ini", "[FX]\r\nTextureFile=nothere.png\r\n");
    struct Case {
        const char* args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"", 2, "no effect file given"},
        {"missing.ini --frames 1", 1, "missing.ini: No such file or directory"},
        {"plain.ini --frames 1", 1, "plain.ini: no [FX] section"},
        {"lost.ini --frames 1", 1, "lost.ini: texture nothere.png not found"},
        {"plain.ini --frames many", 2, "--frames needs a number"},
        {"plain.ini --at 5", 2, "--at needs a point X,Y"},
        {"plain.ini --at -5,3", 2, "--at needs a point X,Y"},
        {"plain.ini --zoom 2", 2, "unknown option --zoom"},
        {"plain.ini lost.ini", 2, "one effect file at a time"},
    };
    for (const Case& c : cases) {
        Outcome r = RunViewer(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
    }
}

}  // namespace
