// Replay files as the reader takes them: every kind of entry written and read back; runs of
// readings folded and given back as counts; and hostile files refused where they break the
// format's limits, with the reason, before anything is allocated for them.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include <velmora/platform/replay/ReplayFile.h>

namespace {

using velmora::ReplayEntry;
using velmora::ReplayKind;

std::string Header() {
    velmora::ReplayHeader h;
    h.engineVersion = "0.1.0";
    h.gameName = "game";
    h.clockStart = 0xFFFFFFF0u;  // the clock wraps in the recording
    velmora::ReplayWriter writer;
    EXPECT_TRUE(writer.Open("header.vlmreplay", h, nullptr));
    writer.Close();
    FILE* f = std::fopen("header.vlmreplay", "rb");
    std::string bytes(4096, '\0');
    bytes.resize(std::fread(&bytes[0], 1, bytes.size(), f));
    std::fclose(f);
    return bytes;
}

std::string Chunk(const std::string& raw, uint32_t claimedRaw = 0, uint32_t claimedPacked = 0) {
    uLongf size = compressBound(uLong(raw.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
             uLong(raw.size()));
    packed.resize(size);
    const uint32_t sizes[2] = {claimedRaw ? claimedRaw : uint32_t(raw.size()),
                               claimedPacked ? claimedPacked : uint32_t(packed.size())};
    return std::string(reinterpret_cast<const char*>(sizes), 8) + packed;
}

// All the entries a file gives, and the reader's error at its end.
std::vector<ReplayEntry> ReadAll(const std::string& bytes, std::string* error, bool* opened = nullptr) {
    velmora::ReplayReader reader;
    std::vector<ReplayEntry> entries;
    std::string why;
    const bool ok = reader.OpenMemory(bytes.data(), bytes.size(), &why);
    if (opened) *opened = ok;
    if (!ok) {
        *error = why;
        return entries;
    }
    for (ReplayEntry e; reader.Next(&e);) entries.push_back(e);
    *error = reader.Error();
    return entries;
}

TEST(ReplayFileTest, EveryKindOfEntryReadsBackAsWritten) {
    velmora::ReplayHeader h;
    h.engineVersion = "0.1.0";
    h.gameName = "\xCB\xCE game";
    h.clockStart = 0xFFFFFFF0u;
    h.counterStart = -5;
    std::vector<ReplayEntry> written;
    auto add = [&written](ReplayKind kind, auto&& fill) {
        ReplayEntry e;
        e.kind = kind;
        fill(e);
        written.push_back(e);
    };
    add(ReplayKind::Clock, [](ReplayEntry& e) { e.clock = 0xFFFFFFF8u; });
    add(ReplayKind::Clock, [](ReplayEntry& e) { e.clock = 3, e.count = 4; });  // across the wrap, read 4 times
    add(ReplayKind::Counter, [](ReplayEntry& e) { e.counter = INT64_MAX; });
    add(ReplayKind::PumpIdle, [](ReplayEntry& e) { e.count = 7; });
    add(ReplayKind::Pump, [](ReplayEntry&) {});
    add(ReplayKind::Key,
        [](ReplayEntry& e) { e.window = 1, e.scancode = 41, e.mod = 0x100, e.down = e.repeat = true; });
    add(ReplayKind::Motion, [](ReplayEntry& e) { e.window = 2, e.x = -30, e.y = 500, e.dx = 7, e.dy = -1; });
    add(ReplayKind::Button, [](ReplayEntry& e) { e.button = 3, e.down = true, e.x = 1, e.y = 2; });
    add(ReplayKind::Wheel, [](ReplayEntry& e) { e.y = -3, e.down = true; });
    add(ReplayKind::Window, [](ReplayEntry& e) { e.value = velmora::REPLAY_MOVED, e.x = -4, e.y = 9; });
    add(ReplayKind::QuitRequest, [](ReplayEntry&) {});
    add(ReplayKind::Other, [](ReplayEntry&) {});
    add(ReplayKind::PadAttach, [](ReplayEntry& e) {
        e.slot = 2;
        e.pad.name = "Pad";
        e.pad.gamepad = true;
        e.pad.axes = 6, e.pad.povs = 1, e.pad.buttons = 11;
        e.pad.axis[2] = -1;
        e.pad.pov[0] = 0xFFFFFFFF;
        e.pad.button[10] = 0x80;
        e.pad.instance[0] = 0xAB;
    });
    add(ReplayKind::PadAxis, [](ReplayEntry& e) { e.slot = 2, e.index = 1, e.axis = 0.25f; });
    add(ReplayKind::PadButton, [](ReplayEntry& e) { e.slot = 2, e.index = 127, e.value = 0x80; });
    add(ReplayKind::PadPov, [](ReplayEntry& e) { e.slot = 2, e.index = 3, e.value = 27000; });
    add(ReplayKind::PadDetach, [](ReplayEntry& e) { e.slot = 2; });
    add(ReplayKind::Wait, [](ReplayEntry& e) { e.value = 1; });
    add(ReplayKind::Sync, [](ReplayEntry&) {});
    add(ReplayKind::Seed, [](ReplayEntry& e) { e.value = 0xDEADBEEF; });
    add(ReplayKind::Rumble, [](ReplayEntry& e) { e.value = 1; });
    add(ReplayKind::Sound, [](ReplayEntry& e) { e.value = 1; });
    add(ReplayKind::File, [](ReplayEntry& e) { e.text = "art/a.png", e.size = 99, e.modified = -7, e.crc = 5; });
    add(ReplayKind::Screen, [](ReplayEntry& e) { e.x = 800, e.y = 600, e.value = 22, e.down = true; });
    add(ReplayKind::Quit, [](ReplayEntry& e) { e.value = uint32_t(-2); });
    add(ReplayKind::Frame, [](ReplayEntry&) {});
    add(ReplayKind::Checkpoint, [](ReplayEntry& e) { e.checksum = 0x0123456789ABCDEFull; });
    add(ReplayKind::End, [](ReplayEntry& e) { e.value = 2, e.down = true, e.checksum = 1; });

    velmora::ReplayWriter writer;
    ASSERT_TRUE(writer.Open("kinds.vlmreplay", h, nullptr));
    for (const ReplayEntry& e : written) writer.Write(e);
    ASSERT_TRUE(writer.Close());
    velmora::ReplayReader reader;
    ASSERT_TRUE(reader.Open("kinds.vlmreplay", nullptr));
    EXPECT_EQ(reader.Header().gameName, h.gameName);
    EXPECT_EQ(reader.Header().counterStart, -5);
    std::vector<ReplayEntry> read;
    for (ReplayEntry e; reader.Next(&e);) read.push_back(e);
    EXPECT_TRUE(reader.Error().empty()) << reader.Error();
    // The second clock entry comes back as a reading and a run of three repeats of it.
    ASSERT_EQ(read.size(), written.size() + 1);
    EXPECT_TRUE(read[1].kind == ReplayKind::Clock && read[1].clock == 3 && read[1].count == 1);
    EXPECT_TRUE(read[2].kind == ReplayKind::Clock && read[2].clock == 3 && read[2].count == 3);
    read.erase(read.begin() + 2);
    read[1].count = 4;
    for (size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(velmora::ReplayKindName(written[i].kind));
        const ReplayEntry &w = written[i], &r = read[i];
        EXPECT_EQ(r.kind, w.kind);
        EXPECT_EQ(r.count, w.count);
        EXPECT_EQ(r.clock, w.kind == ReplayKind::Clock ? w.clock : r.clock);
        EXPECT_EQ(r.counter, w.kind == ReplayKind::Counter ? w.counter : r.counter);
        EXPECT_TRUE(r.value == w.value && r.checksum == w.checksum && r.window == w.window &&
                    r.scancode == w.scancode && r.mod == w.mod && r.down == w.down && r.repeat == w.repeat &&
                    r.button == w.button && r.x == w.x && r.y == w.y && r.dx == w.dx && r.dy == w.dy &&
                    r.slot == w.slot && r.index == w.index && r.axis == w.axis && r.text == w.text &&
                    r.size == w.size && r.modified == w.modified && r.crc == w.crc);
        EXPECT_TRUE(r.pad.name == w.pad.name && r.pad.axes == w.pad.axes && r.pad.buttons == w.pad.buttons &&
                    std::memcmp(r.pad.button, w.pad.button, sizeof w.pad.button) == 0 &&
                    std::memcmp(r.pad.instance, w.pad.instance, 16) == 0 && r.pad.axis[2] == w.pad.axis[2]);
    }
}

TEST(ReplayFileTest, HostileFilesAreRefusedWithTheirReason) {
    const std::string head = Header();
    std::string bigHeader = head;
    bigHeader[10] = '\x01', bigHeader[11] = '\x20';  // 8193 bytes of fields
    std::string otherVersion = head;
    otherVersion[8] = 2;
    struct Case {
        const char* what;
        std::string bytes;
        const char* error;
    };
    const std::string u8 = std::string(1, '\0');
    const Case cases[] = {
        {"no magic", "VLMRPLAX" + head.substr(8), "not a replay file"},
        {"another version", otherVersion, "another format version"},
        {"a header too large", bigHeader, "a damaged header"},
        {"a header cut short", head.substr(0, 20), "cut short in its header"},
        {"a chunk claiming 2 MiB", head + Chunk("\x07", 2u << 20), "impossible sizes"},
        {"a chunk packed beyond zlib's bound", head + Chunk("\x07", 0, 1000), "impossible sizes"},
        {"a chunk that inflates to less", head + Chunk("\x07\x07", 3), "does not inflate to its size"},
        {"an unknown entry", head + Chunk("\x7f"), "unknown kind 127"},
        {"a key beyond the scancodes", head + Chunk(std::string("\x20\x00\x58\x02\x00\x00\x01", 7)), "(key)"},
        {"a button 9", head + Chunk(std::string("\x22\x00\x09\x01\x00\x00", 6)), "(button)"},
        {"a wheel of 5000 notches", head + Chunk(std::string("\x23\x00\x90\x4e\x00", 5)), "(wheel)"},
        {"a pad slot 64", head + Chunk(std::string("\x29\x40", 2)), "(pad pulled out)"},
        {"a pad axis at 2", head + Chunk(std::string("\x2a\x00\x00\x00\x00\x00\x40", 7)), "(pad axis)"},
        {"a hat at 400 degrees", head + Chunk(std::string("\x2c\x00\x00\x40\x9c\x00\x00", 7)), "(pad hat)"},
        {"a run of none", head + Chunk(std::string("\x04\x00", 2)), "(a count)"},
        {"a run beyond 2^24", head + Chunk(std::string("\x02\x81\x80\x80\x08", 5)), "(a count)"},
        {"an entry cut by its chunk's end", head + Chunk(std::string("\x08\x01\x02", 3)), "(checkpoint)"},
        {"a path with a NUL",
         head + Chunk(std::string("\x10\x03\x00"
                                  "a\0b"
                                  "\x00\x00\x00\x00\x00\x00",
                                  12)),
         "(file)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        const std::vector<ReplayEntry> entries = ReadAll(c.bytes, &error);
        EXPECT_TRUE(entries.empty());
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    // A file cut inside its last chunk is no damage: what came before it is read.
    const std::string frames = head + Chunk("\x07\x07") + Chunk("\x07");
    std::string error;
    EXPECT_EQ(ReadAll(frames.substr(0, frames.size() - 2), &error).size(), 2u);
    EXPECT_TRUE(error.empty()) << error;
}

}  // namespace
