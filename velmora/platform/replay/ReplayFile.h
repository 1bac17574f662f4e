// Replay files (.vlmreplay): a recorded session of a game, as docs/formats/replay.md describes
// them. A header, then zlib-compressed chunks holding one stream of entries: the clock values
// the game read, the window-system events and controller changes each look at the events
// delivered, the frames with the checksums of some of their pictures, and notes (files loaded,
// the screen, the quit). ReplayWriter writes one as a game runs; ReplayReader reads one back,
// an entry at a time, trusting nothing in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <velmora/Export.h>

namespace velmora {

constexpr char kReplayMagic[8] = {'V', 'L', 'M', 'R', 'P', 'L', 'A', 'Y'};
constexpr uint16_t kReplayFormatVersion = 1;

// What a file may hold; a reader refuses anything beyond.
constexpr size_t kReplayMaxHeader = 4096;          // bytes of the header's fields
constexpr uint32_t kReplayMaxChunk = 1u << 20;     // bytes of entries in one chunk
constexpr size_t kReplayMaxName = 255;             // names (engine version, game, program, pads)
constexpr size_t kReplayMaxPath = 4096;            // paths of files loaded
constexpr uint32_t kReplayMaxPads = 64;            // controller slots
constexpr uint32_t kReplayMaxWindow = 1u << 20;    // window numbers
constexpr int32_t kReplayMaxCoordinate = 1 << 24;  // pointer positions and movements
constexpr int32_t kReplayMaxWheel = 1024;          // notches of one wheel event
constexpr int kReplayPadAxes = 8, kReplayPadPovs = 4, kReplayPadButtons = 128;
constexpr uint32_t kReplayMaxRun = 1u << 24;  // readings or looks one entry stands for

// The entries. The values are the tags of the file (the format page lists their fields).
enum class ReplayKind : uint8_t {
    // Points: the places where the game took something from the outside world, in order.
    Clock = 0x01,       // the millisecond clock read: `clock`
    Counter = 0x03,     // the performance counter read: `counter`
    PumpIdle = 0x04,    // a look at the events that found none
    Pump = 0x05,        // a look at the events; the events it found follow
    Wait = 0x06,        // a wait for the next frame ended: `value` 1 when an event woke it
    Frame = 0x07,       // a frame presented
    Checkpoint = 0x08,  // a frame presented, with its picture's `checksum`
    Sync = 0x09,        // the controllers looked for; the changes it found follow
    Seed = 0x0A,        // the random numbers seeded: `value`
    Rumble = 0x0B,      // a pad asked to rumble: `value` 1 when it could
    Sound = 0x0C,       // the sound device asked for: `value` 1 when it opened
    // Notes: what the session met, kept for the replay to compare or to do again.
    File = 0x10,    // a file opened for reading: `text` (its path), `size`, `modified`, `crc`
    Screen = 0x11,  // the device's back buffer: `x` × `y`, `value` (its format), `down` (windowed)
    Quit = 0x12,    // the game posted its quit message: `value` (the exit code)
    Slot = 0x13,    // a controller slot as the session found it: `slot`, `pad`, `down` (attached)
    End = 0x1F,     // the recording's end: `value` (frames), `down` (a final picture), `checksum`
    // Events: what one look at the events delivered.
    Key = 0x20,          // `window`, `scancode`, `mod`, `down`, `repeat`
    Motion = 0x21,       // `window`, `x`, `y` (in the picture), `dx`, `dy` (window pixels)
    Button = 0x22,       // `window`, `button` (1 left, 2 middle, 3 right, 4, 5), `down`, `x`, `y`
    Wheel = 0x23,        // `window`, `y` (notches), `down` (flipped)
    Window = 0x24,       // `window`, `value` (ReplayWindowEvent), `x`, `y`
    QuitRequest = 0x25,  // the window system asked the program to quit
    Other = 0x26,        // any other event (the input devices check their window's focus)
    PadAttach = 0x28,    // `slot`, `pad`
    PadDetach = 0x29,    // `slot`
    PadAxis = 0x2A,      // `slot`, `index`, `axis`
    PadButton = 0x2B,    // `slot`, `index`, `value`
    PadPov = 0x2C,       // `slot`, `index`, `value`
};

enum ReplayWindowEvent : uint32_t {
    REPLAY_FOCUS_GAINED = 1,
    REPLAY_FOCUS_LOST = 2,
    REPLAY_MINIMIZED = 3,
    REPLAY_RESTORED = 4,
    REPLAY_CLOSE = 5,
    REPLAY_MOVED = 6,
    REPLAY_RESIZED = 7,
};

// Points are what a replay must meet in the same order; events belong to the point before.
inline bool IsReplayPoint(ReplayKind k) { return uint8_t(k) < 0x10; }
inline bool IsReplayEvent(ReplayKind k) { return uint8_t(k) >= 0x20; }
// A short name of each kind ("clock", "key", ...), for listings and messages.
VLM_API const char* ReplayKindName(ReplayKind kind);

// A game controller as plugged in: what DirectInput tells of it and its values then.
struct ReplayPad {
    uint8_t instance[16] = {};
    uint8_t product[16] = {};
    uint8_t sdlGuid[16] = {};  // the kind of controller, and its order among those of that kind
    uint32_t ordinal = 0;
    std::string name;
    bool gamepad = false;
    uint8_t axes = 0, povs = 0, buttons = 0;
    float axis[kReplayPadAxes] = {};  // -1 to 1
    uint32_t pov[kReplayPadPovs] = {};
    uint8_t button[kReplayPadButtons] = {};
};

struct ReplayEntry {
    ReplayKind kind = ReplayKind::End;
    uint32_t count = 1;     // Clock, PumpIdle: how many in a row this entry stands for
    uint32_t clock = 0;     // Clock: the value read
    int64_t counter = 0;    // Counter: the value read
    uint32_t value = 0;     // see the kinds
    uint64_t checksum = 0;  // Checkpoint, End
    uint32_t window = 0;    // the window's number in the session (1: the first it made), 0: none
    uint16_t scancode = 0, mod = 0;
    bool down = false, repeat = false;
    uint8_t button = 0;
    int32_t x = 0, y = 0, dx = 0, dy = 0;
    uint32_t slot = 0, index = 0;
    float axis = 0;
    std::string text;      // File: the path as opened
    uint64_t size = 0;     // File
    int64_t modified = 0;  // File: nanoseconds since 1970
    uint32_t crc = 0;      // File: CRC-32 of its bytes
    ReplayPad pad;         // Slot, PadAttach
};

struct ReplayHeader {
    std::string engineVersion;
    std::string gameName;     // what the game calls itself (the title it starts with)
    std::string programName;  // the program's file name
    uint64_t programSize = 0;
    uint32_t programCrc = 0;     // CRC-32 of the program's file
    uint16_t startTime[8] = {};  // local time at the start: year, month, weekday, day, h, min, s, ms
    uint32_t clockStart = 0;     // the millisecond clock's first reading is a difference from this
    int64_t counterStart = 0;    // and the counter's
    uint32_t randState = 0;      // the random numbers' state at the start
    uint32_t checkpointEvery = 60;
    uint32_t desktopWidth = 0, desktopHeight = 0;
    uint32_t flags = 0;  // REPLAY_FLAG_*
};
constexpr uint32_t REPLAY_FLAG_MANUAL_CLOCK = 1;  // recorded on the testing component's clock

// The checksum a checkpoint keeps of a picture: FNV-1a over its bytes taken 8 at a time (see the
// format page), starting from its size.
VLM_API uint64_t ReplayPictureChecksum(const void* bytes, size_t size, uint32_t width, uint32_t height);
// CRC-32 (zlib's) of a file's bytes; false when it cannot be read. Regular files only.
VLM_API bool ReplayFileCrc(const std::string& path, uint64_t* size, uint32_t* crc);

class VLM_API ReplayWriter {
public:
    ReplayWriter();
    ~ReplayWriter();
    ReplayWriter(const ReplayWriter&) = delete;
    ReplayWriter& operator=(const ReplayWriter&) = delete;

    // Creates `path` and writes the header; false with the reason when the file cannot be made.
    bool Open(const std::string& path, const ReplayHeader& header, std::string* error);
    bool IsOpen() const { return m_file != nullptr; }

    // Appends an entry (`count` of them for Clock and PumpIdle). Readings of an unchanged clock
    // and looks that found no events are kept as counts, and one Other stands for several in a
    // row.
    void Write(const ReplayEntry& entry);
    void Clock(uint32_t value, uint32_t count = 1);
    void PumpIdle(uint32_t count = 1);

    // Bytes of entries not written to the file yet.
    size_t Pending() const { return m_buffer.size(); }
    // Compresses what is pending into a chunk and writes it through to the file.
    bool Flush();
    // Flushes and closes the file; false when something could not be written.
    bool Close();

private:
    void FlushRuns();
    void Put(ReplayKind kind);

    FILE* m_file = nullptr;
    std::string m_buffer;
    bool m_failed = false;
    uint32_t m_lastClock = 0;
    int64_t m_lastCounter = 0;
    uint64_t m_clockRepeats = 0;  // readings of m_lastClock not written yet
    uint64_t m_idlePumps = 0;
    bool m_lastWasOther = false;
};

class VLM_API ReplayReader {
public:
    ReplayReader();
    ~ReplayReader();
    ReplayReader(const ReplayReader&) = delete;
    ReplayReader& operator=(const ReplayReader&) = delete;

    // Opens a file and reads its header; false with the reason when it is no replay file (or
    // one this engine cannot read).
    bool Open(const std::string& path, std::string* error);
    // The same from bytes in memory (which must outlive the reader).
    bool OpenMemory(const void* data, size_t size, std::string* error);
    const ReplayHeader& Header() const { return m_header; }

    // The next entry; readings of an unchanged clock and looks that found no events in a row
    // come as one entry with their `count`. False at the end of the data, or at damage, which
    // Error() then names; the end of a file cut short is no damage (see Truncated).
    bool Next(ReplayEntry* entry);
    const std::string& Error() const { return m_error; }
    // Bytes at the file's end that make no whole chunk: the last chunk of a recording whose
    // program ended without closing it.
    bool Truncated() const { return m_truncated; }

private:
    bool ReadHeader(std::string* error);
    bool ReadBytes(void* out, size_t size, size_t* got);
    bool LoadChunk();
    bool Decode(ReplayEntry* entry);
    bool Fail(const std::string& why);

    FILE* m_file = nullptr;
    const uint8_t* m_memory = nullptr;
    size_t m_memorySize = 0, m_memoryAt = 0;
    ReplayHeader m_header;
    std::string m_chunk;
    size_t m_at = 0;
    std::string m_packed;
    std::string m_error;
    bool m_failed = false;
    bool m_truncated = false;
    bool m_ended = false;
    uint32_t m_lastClock = 0;
    int64_t m_lastCounter = 0;
};

}  // namespace velmora
