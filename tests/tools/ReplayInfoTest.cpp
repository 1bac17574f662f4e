// replayinfo: a small recording made with the format's writer, described and listed; a file
// cut in its middle or no replay at all; its options.
#include <velmora/platform/replay/ReplayFile.h>

#include "support/EngineTest.h"
#include "support/ToolProcess.h"

namespace {

using velmora::ReplayEntry;
using velmora::ReplayKind;

ReplayEntry Entry(ReplayKind kind) {
    ReplayEntry e;
    e.kind = kind;
    return e;
}

// Two seconds of a game: a key and a click, 120 frames, a checkpoint every 60.
void WriteSession(const char* path, bool complete) {
    velmora::ReplayHeader h;
    h.engineVersion = "0.1.0";
    h.gameName = "Demo";
    h.programName = "demo";
    h.clockStart = 5000;
    velmora::ReplayWriter writer;
    ASSERT_TRUE(writer.Open(path, h, nullptr));
    ReplayEntry file = Entry(ReplayKind::File);
    file.text = "art/ball.amf";
    file.size = 1234;
    writer.Write(file);
    for (uint32_t frame = 1; frame <= 120; ++frame) {
        writer.Clock(5000 + frame * 16);
        writer.Write(Entry(ReplayKind::Pump));
        if (frame == 10) {
            ReplayEntry key = Entry(ReplayKind::Key);
            key.scancode = 41;  // Escape
            key.down = true;
            writer.Write(key);
        }
        if (frame == 20) {
            ReplayEntry click = Entry(ReplayKind::Button);
            click.button = 1;
            click.down = true;
            click.x = 210, click.y = 250;
            writer.Write(click);
        }
        ReplayEntry frameEntry = Entry(frame % 60 ? ReplayKind::Frame : ReplayKind::Checkpoint);
        frameEntry.checksum = 0xABCDEF0000000000ull + frame;
        writer.Write(frameEntry);
        if (frame == 60 && !complete) writer.Flush();
    }
    if (complete) writer.Write(Entry(ReplayKind::End));
    ASSERT_TRUE(writer.Close());
}

TEST(ReplayInfoTest, DescribesAndListsARecording) {
    WriteSession("session.vlmreplay", true);
    Outcome r = RunProgram(REPLAYINFO, "session.vlmreplay");
    EXPECT_EQ(r.status, 0) << r.output;
    for (const char* line : {"a replay of \"Demo\", recorded by demo", "length 1.920 s, 120 frames; complete",
                             "events 2 (key 1, button 1)", "looks at the events 120 (120 finding some)",
                             "checkpoints 2, every 60 frames:", "frame 60     abcdef000000003c", "files loaded 1"})
        EXPECT_NE(r.output.find(line), std::string::npos) << line << "\n" << r.output;
    EXPECT_EQ(r.output.find("key Escape"), std::string::npos);

    r = RunProgram(REPLAYINFO, "--events session.vlmreplay");
    EXPECT_EQ(r.status, 0) << r.output;
    for (const char* line :
         {"frame 1          0.000 s  file art/ball.amf loaded (1234 bytes)",
          "frame 10         0.160 s  key Escape down", "frame 20         0.320 s  button 1 down at 210,250"})
        EXPECT_NE(r.output.find(line), std::string::npos) << line << "\n" << r.output;
}

TEST(ReplayInfoTest, FilesCutShortDamagedOrNoReplayAtAll) {
    WriteSession("cut.vlmreplay", false);
    std::string bytes = ReadFile("cut.vlmreplay");
    Outcome r = RunProgram(REPLAYINFO, "cut.vlmreplay");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("120 frames; cut short"), std::string::npos) << r.output;
    WriteFile("cut.vlmreplay", bytes.substr(0, bytes.size() - 3));  // the last chunk in part
    r = RunProgram(REPLAYINFO, "cut.vlmreplay");
    EXPECT_NE(r.output.find("60 frames; cut short"), std::string::npos) << r.output;
    bytes[bytes.size() - 5] ^= 0x55;  // inside the last chunk's compressed data
    WriteFile("damaged.vlmreplay", bytes);
    r = RunProgram(REPLAYINFO, "damaged.vlmreplay");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("damaged after frame 60: a damaged chunk"), std::string::npos) << r.output;

    struct Case {
        const char* args;
        int status;
        const char* output;
    };
    WriteFile("picture.png", "\x89PNG\r\n\x1a\n not a replay");
    const Case cases[] = {
        {"--help", 0, "usage: replayinfo FILE [--events]"},
        {"-h", 0, "--events lists every event"},
        {"--version", 0, "replayinfo (Velmora) "},
        {"", 2, "replayinfo: no file given"},
        {"a b", 2, "replayinfo: one file at a time"},
        {"--frames 3", 2, "replayinfo: unknown option --frames"},
        {"no-such.vlmreplay", 1, "replayinfo: no-such.vlmreplay: cannot open no-such.vlmreplay"},
        {"picture.png", 1, "replayinfo: picture.png: not a replay file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        r = RunProgram(REPLAYINFO, c.args);
        EXPECT_EQ(r.status, c.status) << r.output;
        EXPECT_NE(r.output.find(c.output), std::string::npos) << r.output;
    }
}

}  // namespace
