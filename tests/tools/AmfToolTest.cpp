// amftool run as a program on real files: pack, info and unpack give the pictures back
// exactly, for uniform and variable sets of mixed image formats, and bad input gets a
// message and a non-zero exit status.
#include <cstdio>
#include <filesystem>

#include "support/ResourceFixture.h"
#include "support/ToolProcess.h"

namespace {

Outcome RunTool(const std::string& args) { return RunProgram(AMFTOOL, args); }

Pixels Decode(const std::string& path) {
    velmora::DecodedImage image;
    std::string error;
    EXPECT_TRUE(velmora::DecodeImageFile(path, &image, &error)) << path << ": " << error;
    return Pixels(image.pixels.begin(), image.pixels.end());
}

// Packs `frames`, describes the file and unpacks it: every PNG written equals its source
// as the engine's decoder reads it.
void ExpectRoundTrip(const std::string& amf, const std::vector<std::string>& frames, const std::string& described) {
    std::string list;
    for (const std::string& frame : frames) list += " " + frame;
    Outcome packed = RunTool("pack --delay 70 " + amf + list);
    ASSERT_EQ(packed.status, 0) << packed.output;

    Outcome info = RunTool("info " + amf);
    ASSERT_EQ(info.status, 0) << info.output;
    EXPECT_NE(info.output.find(described), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("delay 70 ms"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("% of the pixels"), std::string::npos) << info.output;

    const std::string dir = amf + ".frames";
    std::filesystem::remove_all(dir);
    Outcome unpacked = RunTool("unpack " + amf + " " + dir);
    ASSERT_EQ(unpacked.status, 0) << unpacked.output;
    for (size_t i = 0; i < frames.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%03zu.png", i);
        EXPECT_EQ(Decode(dir + name), Decode(frames[i])) << frames[i];
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), long(frames.size()));
}

TEST(AmfToolTest, UniformFramesRoundTrip) {
    std::vector<std::string> frames;
    for (DWORD i = 0; i < 3; ++i) {
        frames.push_back("walk" + std::to_string(i) + ".png");
        WritePng(frames.back(), MakePicture(6, 4, i));
    }
    ExpectRoundTrip("walk.amf", frames, "3 pictures, 6x4, uniform");
}

TEST(AmfToolTest, VariableFramesOfMixedFormatsRoundTripWithProgress) {
    std::vector<std::string> frames;
    for (DWORD i = 0; i < 22; ++i) {
        Picture p = MakePicture(LONG(1 + i % 5), LONG(1 + i % 3), i);
        const std::string stem = "mixed" + std::to_string(i);
        switch (i % 3) {
            case 0:
                WritePng(stem + ".png", p);
                frames.push_back(stem + ".png");
                break;
            case 1:
                WriteTga(stem + ".tga", p);
                frames.push_back(stem + ".tga");
                break;
            default:
                ASSERT_TRUE(velmora::WriteBmpFile(stem + ".bmp", uint32_t(p.width), uint32_t(p.height), p.pixels.data(),
                                                  size_t(p.width)));
                frames.push_back(stem + ".bmp");
        }
    }
    ExpectRoundTrip("mixed.amf", frames, "22 pictures, 5x3, variable");
    std::string list;
    for (const std::string& frame : frames) list += " " + frame;
    Outcome packed = RunTool("pack mixed.amf" + list);
    EXPECT_NE(packed.output.find("packing 22/22"), std::string::npos) << packed.output;
}

TEST(AmfToolTest, BadInputGetsAMessageAndAFailingStatus) {
    WritePng("good.png", MakePicture(2, 2, 1));
    WriteFile("text.png", "not an image at all");
    ASSERT_EQ(RunTool("pack good.amf good.png").status, 0);
    // Cut short: the picture's data lies past the end of the file.
    std::string bytes = ReadFile("good.amf");
    WriteFile("short.amf", bytes.substr(0, bytes.size() - 4));
    // 140 bytes claiming four pictures of 16384 x 13311 from the same 13 run-length tokens.
    WriteFile("tiny.amf", SharedBlockAmf(16384, 13311, 4, TransparentRuns(16384 * 13311)));

    std::string wide = SharedBlockAmf(4, 4, 1, TransparentRuns(16));
    wide.replace(4, 4, std::string("\x01\x40\0\0", 4));  // 16385 pixels wide
    WriteFile("wide.amf", wide);

    struct Case {
        const char* args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"", 2, "no command given"},
        {"frob x.amf", 2, "unknown command 'frob'"},
        {"pack out.amf", 2, "no frames given"},
        {"pack", 2, "no output file"},
        {"pack --delay 70000 out.amf good.png", 2, "the delay must be 0 to 65535 ms"},
        {"pack --delay out.amf good.png", 2, "the delay must be"},
        {"pack out.amf good.png missing.png", 1, "missing.png: cannot be opened"},
        {"pack out.amf good.png text.png", 1, "text.png: not a PNG, JPEG, BMP, TGA or DDS image"},
        {"pack no/such/folder/out.amf good.png", 1, "out.amf: cannot be written"},
        {"unpack good.amf", 2, "unpack: needs IN.amf and DIR"},
        {"unpack missing.amf dir", 1, "missing.amf: cannot be opened"},
        {"unpack short.amf dir", 1, "short.amf: has a damaged index"},
        {"unpack tiny.amf dir", 1, "tiny.amf: claims more pixels than a file of its size can hold"},
        {"info tiny.amf", 0, "the engine refuses the set"},
        {"info", 2, "info: needs one IN.amf"},
        {"info text.png", 1, "text.png: not an AMF file\n"},
        {"info wide.amf", 1, "wide.amf: an AMF file whose header is damaged\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        Outcome r = RunTool(c.args);
        EXPECT_EQ(r.status, c.status) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        // The tool's own line, not the engine's message box beside it.
        EXPECT_EQ(r.output.find("Invalid AMF File"), std::string::npos) << r.output;
    }
    EXPECT_FALSE(std::filesystem::exists("out.amf"));
}

}  // namespace
