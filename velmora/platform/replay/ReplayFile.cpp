// Replay files: the header, the zlib chunks and the entries' bytes, written and read back with
// every field checked against the format's limits.
#include <velmora/platform/replay/ReplayFile.h>

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

// Tags of the file that no entry kind has: counts of the writer.
constexpr uint8_t kClockRepeat = 0x02;

constexpr size_t kChunkHeader = 8;
// The writer makes a chunk of what it holds once it holds this much, whatever the time.
constexpr size_t kFlushAt = kReplayMaxChunk / 2;

void PutU8(std::string& out, uint32_t v) { out.push_back(char(v & 0xFF)); }
void PutU16(std::string& out, uint32_t v) {
    PutU8(out, v);
    PutU8(out, v >> 8);
}
void PutU32(std::string& out, uint32_t v) {
    PutU16(out, v);
    PutU16(out, v >> 16);
}
void PutU64(std::string& out, uint64_t v) {
    PutU32(out, uint32_t(v));
    PutU32(out, uint32_t(v >> 32));
}
void PutVar(std::string& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(char((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.push_back(char(v));
}
void PutSigned(std::string& out, int64_t v) { PutVar(out, (uint64_t(v) << 1) ^ uint64_t(v >> 63)); }
void PutText(std::string& out, const std::string& s, size_t limit, bool wide) {
    const size_t n = s.size() < limit ? s.size() : limit;
    wide ? PutU16(out, uint32_t(n)) : PutU8(out, uint32_t(n));
    out.append(s, 0, n);
}
void PutFloat(std::string& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    PutU32(out, bits);
}

void PutPad(std::string& out, const ReplayPad& pad) {
    out.append(reinterpret_cast<const char*>(pad.instance), 16);
    out.append(reinterpret_cast<const char*>(pad.product), 16);
    out.append(reinterpret_cast<const char*>(pad.sdlGuid), 16);
    PutVar(out, pad.ordinal);
    PutText(out, pad.name, kReplayMaxName, false);
    PutU8(out, pad.gamepad ? 1 : 0);
    const uint8_t axes = pad.axes < kReplayPadAxes ? pad.axes : kReplayPadAxes;
    const uint8_t povs = pad.povs < kReplayPadPovs ? pad.povs : kReplayPadPovs;
    const uint8_t buttons = pad.buttons < kReplayPadButtons ? pad.buttons : kReplayPadButtons;
    PutU8(out, axes);
    PutU8(out, povs);
    PutU8(out, buttons);
    for (int i = 0; i < axes; ++i) PutFloat(out, pad.axis[i]);
    for (int i = 0; i < povs; ++i) PutU32(out, pad.pov[i]);
    out.append(reinterpret_cast<const char*>(pad.button), buttons);
}

// Reads the little-endian fields of one chunk or header; every read checks what is left.
class Cursor {
public:
    Cursor(const std::string& data, size_t at) : m_data(data), m_at(at) {}
    size_t At() const { return m_at; }
    bool Left() const { return m_at < m_data.size(); }

    bool U8(uint32_t* v) {
        if (m_at >= m_data.size()) return false;
        *v = uint8_t(m_data[m_at++]);
        return true;
    }
    bool U16(uint32_t* v) {
        uint32_t a, b;
        if (!U8(&a) || !U8(&b)) return false;
        *v = a | (b << 8);
        return true;
    }
    bool U32(uint32_t* v) {
        uint32_t a, b;
        if (!U16(&a) || !U16(&b)) return false;
        *v = a | (b << 16);
        return true;
    }
    bool U64(uint64_t* v) {
        uint32_t a, b;
        if (!U32(&a) || !U32(&b)) return false;
        *v = uint64_t(a) | (uint64_t(b) << 32);
        return true;
    }
    bool Var(uint64_t* v) {
        uint64_t result = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            uint32_t byte;
            if (!U8(&byte)) return false;
            if (shift == 63 && byte > 1) return false;  // more than 64 bits
            result |= uint64_t(byte & 0x7F) << shift;
            if (!(byte & 0x80)) {
                *v = result;
                return true;
            }
        }
        return false;
    }
    bool Var32(uint32_t* v, uint32_t limit) {
        uint64_t w;
        if (!Var(&w) || w > limit) return false;
        *v = uint32_t(w);
        return true;
    }
    bool Signed(int64_t* v) {
        uint64_t w;
        if (!Var(&w)) return false;
        *v = int64_t(w >> 1) ^ -int64_t(w & 1);
        return true;
    }
    bool Signed32(int32_t* v, int32_t limit) {
        int64_t w;
        if (!Signed(&w) || w < -int64_t(limit) || w > limit) return false;
        *v = int32_t(w);
        return true;
    }
    bool Text(std::string* s, size_t limit, bool wide) {
        uint32_t n;
        if (!(wide ? U16(&n) : U8(&n)) || n > limit || n > m_data.size() - m_at) return false;
        s->assign(m_data, m_at, n);
        m_at += n;
        return true;
    }
    bool Bytes(void* out, size_t n) {
        if (n > m_data.size() - m_at) return false;
        std::memcpy(out, m_data.data() + m_at, n);
        m_at += n;
        return true;
    }
    bool Float(float* f) {
        uint32_t bits;
        if (!U32(&bits)) return false;
        std::memcpy(f, &bits, 4);
        return true;
    }

private:
    const std::string& m_data;
    size_t m_at;
};

bool ReadPad(Cursor& c, ReplayPad* pad) {
    uint32_t gamepad, axes, povs, buttons;
    if (!c.Bytes(pad->instance, 16) || !c.Bytes(pad->product, 16) || !c.Bytes(pad->sdlGuid, 16) ||
        !c.Var32(&pad->ordinal, kReplayMaxPads) || !c.Text(&pad->name, kReplayMaxName, false) || !c.U8(&gamepad) ||
        gamepad > 1 || !c.U8(&axes) || axes > uint32_t(kReplayPadAxes) || !c.U8(&povs) ||
        povs > uint32_t(kReplayPadPovs) || !c.U8(&buttons) || buttons > uint32_t(kReplayPadButtons))
        return false;
    pad->gamepad = gamepad != 0;
    pad->axes = uint8_t(axes), pad->povs = uint8_t(povs), pad->buttons = uint8_t(buttons);
    for (uint32_t i = 0; i < axes; ++i)
        if (!c.Float(&pad->axis[i]) || !(pad->axis[i] >= -1.0f && pad->axis[i] <= 1.0f)) return false;
    for (uint32_t i = 0; i < povs; ++i)
        if (!c.U32(&pad->pov[i]) || (pad->pov[i] >= 36000 && pad->pov[i] != 0xFFFFFFFF)) return false;
    if (!c.Bytes(pad->button, buttons)) return false;
    for (uint32_t i = 0; i < buttons; ++i)
        if (pad->button[i] != 0 && pad->button[i] != 0x80) return false;
    return true;
}

}  // namespace

const char* ReplayKindName(ReplayKind kind) {
    switch (kind) {
        case ReplayKind::Clock: return "clock";
        case ReplayKind::Counter: return "counter";
        case ReplayKind::PumpIdle: return "look at events, none";
        case ReplayKind::Pump: return "look at events";
        case ReplayKind::Wait: return "wait";
        case ReplayKind::Frame: return "frame";
        case ReplayKind::Checkpoint: return "checkpoint";
        case ReplayKind::Sync: return "controller look-up";
        case ReplayKind::Seed: return "seed";
        case ReplayKind::Rumble: return "rumble";
        case ReplayKind::Sound: return "sound device";
        case ReplayKind::File: return "file";
        case ReplayKind::Screen: return "screen";
        case ReplayKind::Quit: return "quit";
        case ReplayKind::Slot: return "controller slot";
        case ReplayKind::End: return "end";
        case ReplayKind::Key: return "key";
        case ReplayKind::Motion: return "pointer";
        case ReplayKind::Button: return "button";
        case ReplayKind::Wheel: return "wheel";
        case ReplayKind::Window: return "window";
        case ReplayKind::QuitRequest: return "quit request";
        case ReplayKind::Other: return "other event";
        case ReplayKind::PadAttach: return "pad plugged in";
        case ReplayKind::PadDetach: return "pad pulled out";
        case ReplayKind::PadAxis: return "pad axis";
        case ReplayKind::PadButton: return "pad button";
        case ReplayKind::PadPov: return "pad hat";
    }
    return "?";
}

uint64_t ReplayPictureChecksum(const void* bytes, size_t size, uint32_t width, uint32_t height) {
    constexpr uint64_t kPrime = 0x100000001B3ull;
    uint64_t h = 0xCBF29CE484222325ull;
    h = (h ^ ((uint64_t(width) << 32) | height)) * kPrime;
    const auto* p = static_cast<const uint8_t*>(bytes);
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);  // little-endian, as every machine the engine runs on
        h = (h ^ w) * kPrime;
    }
    if (i < size) {
        uint64_t w = 0;
        std::memcpy(&w, p + i, size - i);
        h = (h ^ w) * kPrime;
    }
    return h;
}

bool ReplayFileCrc(const std::string& path, uint64_t* size, uint32_t* crc) {
    FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) return false;
    struct stat st {};
    // Only regular files: a device or a pipe may never end, or block.
    if (fstat(fileno(fp), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(fp);
        return false;
    }
    uLong sum = crc32(0, nullptr, 0);
    uint64_t total = 0;
    std::vector<unsigned char> block(1 << 16);
    for (;;) {
        const size_t n = std::fread(block.data(), 1, block.size(), fp);
        if (n == 0) break;
        sum = crc32(sum, block.data(), uInt(n));
        total += n;
    }
    const bool ok = !std::ferror(fp);
    std::fclose(fp);
    if (!ok) return false;
    *size = total;
    *crc = uint32_t(sum);
    return true;
}

// --- writer -----------------------------------------------------------------------------

ReplayWriter::ReplayWriter() = default;

ReplayWriter::~ReplayWriter() { Close(); }

bool ReplayWriter::Open(const std::string& path, const ReplayHeader& header, std::string* error) {
    Close();
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) {
        if (error) *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string fields;
    PutText(fields, header.engineVersion, kReplayMaxName, false);
    PutText(fields, header.gameName, kReplayMaxName, false);
    PutText(fields, header.programName, kReplayMaxName, false);
    PutU64(fields, header.programSize);
    PutU32(fields, header.programCrc);
    for (uint16_t part : header.startTime) PutU16(fields, part);
    PutU32(fields, header.clockStart);
    PutU64(fields, uint64_t(header.counterStart));
    PutU32(fields, header.randState);
    PutU32(fields, header.checkpointEvery);
    PutU32(fields, header.desktopWidth);
    PutU32(fields, header.desktopHeight);
    PutU32(fields, header.flags);
    std::string head(kReplayMagic, sizeof kReplayMagic);
    PutU16(head, kReplayFormatVersion);
    PutU16(head, uint32_t(fields.size()));
    head += fields;
    m_failed = std::fwrite(head.data(), 1, head.size(), m_file) != head.size() || std::fflush(m_file) != 0;
    m_buffer.clear();
    m_lastClock = header.clockStart;
    m_lastCounter = header.counterStart;
    m_clockRepeats = m_idlePumps = 0;
    m_lastWasOther = false;
    if (m_failed && error) *error = "cannot write " + path;
    return !m_failed;
}

void ReplayWriter::FlushRuns() {
    // Runs longer than a reader takes are split.
    for (; m_clockRepeats; m_clockRepeats -= std::min<uint64_t>(m_clockRepeats, kReplayMaxRun)) {
        PutU8(m_buffer, kClockRepeat);
        PutVar(m_buffer, std::min<uint64_t>(m_clockRepeats, kReplayMaxRun));
    }
    for (; m_idlePumps; m_idlePumps -= std::min<uint64_t>(m_idlePumps, kReplayMaxRun)) {
        PutU8(m_buffer, uint32_t(ReplayKind::PumpIdle));
        PutVar(m_buffer, std::min<uint64_t>(m_idlePumps, kReplayMaxRun));
    }
}

void ReplayWriter::Put(ReplayKind kind) {
    FlushRuns();
    m_lastWasOther = kind == ReplayKind::Other;
    PutU8(m_buffer, uint32_t(kind));
}

void ReplayWriter::Clock(uint32_t value, uint32_t count) {
    m_lastWasOther = false;
    if (count == 0) return;
    if (value != m_lastClock) {
        Put(ReplayKind::Clock);
        PutSigned(m_buffer, int32_t(value - m_lastClock));
        m_lastClock = value;
        --count;
    } else if (m_idlePumps) {
        FlushRuns();  // a run holds readings in a row only
    }
    m_clockRepeats += count;
    if (m_buffer.size() >= kFlushAt) Flush();
}

void ReplayWriter::PumpIdle(uint32_t count) {
    m_lastWasOther = false;
    if (m_clockRepeats) FlushRuns();
    m_idlePumps += count;
}

void ReplayWriter::Write(const ReplayEntry& e) {
    switch (e.kind) {
        case ReplayKind::Clock: Clock(e.clock, e.count); return;
        case ReplayKind::PumpIdle: PumpIdle(e.count); return;
        case ReplayKind::Other:
            if (m_lastWasOther) return;  // the devices' check finds the same a second time
            Put(e.kind);
            return;
        default: break;
    }
    Put(e.kind);
    std::string& out = m_buffer;
    switch (e.kind) {
        case ReplayKind::Counter:
            PutSigned(out, int64_t(uint64_t(e.counter) - uint64_t(m_lastCounter)));
            m_lastCounter = e.counter;
            break;
        case ReplayKind::Wait:
        case ReplayKind::Rumble:
        case ReplayKind::Sound: PutU8(out, e.value ? 1 : 0); break;
        case ReplayKind::Checkpoint: PutU64(out, e.checksum); break;
        case ReplayKind::Seed: PutU32(out, e.value); break;
        case ReplayKind::File:
            PutText(out, e.text, kReplayMaxPath, true);
            PutVar(out, e.size);
            PutSigned(out, e.modified);
            PutU32(out, e.crc);
            break;
        case ReplayKind::Screen:
            PutVar(out, uint32_t(e.x));
            PutVar(out, uint32_t(e.y));
            PutU32(out, e.value);
            PutU8(out, e.down ? 1 : 0);
            break;
        case ReplayKind::Quit: PutSigned(out, int32_t(e.value)); break;
        case ReplayKind::Slot:
            PutVar(out, e.slot);
            PutU8(out, e.down ? 1 : 0);
            PutPad(out, e.pad);
            break;
        case ReplayKind::End:
            PutVar(out, e.value);
            PutU8(out, e.down ? 1 : 0);
            PutU64(out, e.checksum);
            break;
        case ReplayKind::Key:
            PutVar(out, e.window);
            PutU16(out, e.scancode);
            PutU16(out, e.mod);
            PutU8(out, (e.down ? 1 : 0) | (e.repeat ? 2 : 0));
            break;
        case ReplayKind::Motion:
            PutVar(out, e.window);
            PutSigned(out, e.x);
            PutSigned(out, e.y);
            PutSigned(out, e.dx);
            PutSigned(out, e.dy);
            break;
        case ReplayKind::Button:
            PutVar(out, e.window);
            PutU8(out, e.button);
            PutU8(out, e.down ? 1 : 0);
            PutSigned(out, e.x);
            PutSigned(out, e.y);
            break;
        case ReplayKind::Wheel:
            PutVar(out, e.window);
            PutSigned(out, e.y);
            PutU8(out, e.down ? 1 : 0);
            break;
        case ReplayKind::Window:
            PutVar(out, e.window);
            PutU8(out, e.value);
            PutSigned(out, e.x);
            PutSigned(out, e.y);
            break;
        case ReplayKind::PadAttach:
            PutVar(out, e.slot);
            PutPad(out, e.pad);
            break;
        case ReplayKind::PadDetach: PutVar(out, e.slot); break;
        case ReplayKind::PadAxis:
            PutVar(out, e.slot);
            PutU8(out, e.index);
            PutFloat(out, e.axis);
            break;
        case ReplayKind::PadButton:
            PutVar(out, e.slot);
            PutU8(out, e.index);
            PutU8(out, e.value);
            break;
        case ReplayKind::PadPov:
            PutVar(out, e.slot);
            PutU8(out, e.index);
            PutU32(out, e.value);
            break;
        default: break;  // no fields
    }
    if (m_buffer.size() >= kFlushAt) Flush();
}

bool ReplayWriter::Flush() {
    if (!m_file) return false;
    FlushRuns();
    m_lastWasOther = false;  // a chunk starts afresh
    if (m_buffer.empty() || m_failed) return !m_failed;
    // The buffer never reaches the chunk's limit: Write flushes at half of it.
    uLongf packedSize = compressBound(uLong(m_buffer.size()));
    std::string chunk(kChunkHeader + packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&chunk[kChunkHeader]), &packedSize,
                  reinterpret_cast<const Bytef*>(m_buffer.data()), uLong(m_buffer.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK) {
        m_failed = true;
        return false;
    }
    chunk.resize(kChunkHeader + packedSize);
    std::string head;
    PutU32(head, uint32_t(m_buffer.size()));
    PutU32(head, uint32_t(packedSize));
    chunk.replace(0, kChunkHeader, head);
    // One write per chunk, passed to the system at once: a program killed afterwards leaves
    // every chunk written before whole.
    m_failed = std::fwrite(chunk.data(), 1, chunk.size(), m_file) != chunk.size() || std::fflush(m_file) != 0;
    m_buffer.clear();
    return !m_failed;
}

bool ReplayWriter::Close() {
    if (!m_file) return true;
    Flush();
    const bool ok = !m_failed && std::fclose(m_file) == 0;
    m_file = nullptr;
    m_buffer.clear();
    return ok;
}

// --- reader -----------------------------------------------------------------------------

ReplayReader::ReplayReader() = default;

ReplayReader::~ReplayReader() {
    if (m_file) std::fclose(m_file);
}

bool ReplayReader::Open(const std::string& path, std::string* error) {
    if (m_file) std::fclose(m_file);
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file) {
        if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (fstat(fileno(m_file), &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = path + " is not a file";
        return false;
    }
    return ReadHeader(error);
}

bool ReplayReader::OpenMemory(const void* data, size_t size, std::string* error) {
    m_memory = static_cast<const uint8_t*>(data);
    m_memorySize = size;
    m_memoryAt = 0;
    return ReadHeader(error);
}

bool ReplayReader::ReadBytes(void* out, size_t size, size_t* got) {
    if (m_file) {
        *got = std::fread(out, 1, size, m_file);
        return !std::ferror(m_file);
    }
    const size_t left = m_memorySize - m_memoryAt;
    *got = size < left ? size : left;
    if (*got) std::memcpy(out, m_memory + m_memoryAt, *got);
    m_memoryAt += *got;
    return true;
}

bool ReplayReader::ReadHeader(std::string* error) {
    auto fail = [error](const char* why) {
        if (error) *error = why;
        return false;
    };
    uint8_t start[12];
    size_t got = 0;
    if (!ReadBytes(start, sizeof start, &got) || got < sizeof start ||
        std::memcmp(start, kReplayMagic, sizeof kReplayMagic) != 0)
        return fail("not a replay file");
    const uint32_t version = start[8] | (uint32_t(start[9]) << 8);
    const uint32_t size = start[10] | (uint32_t(start[11]) << 8);
    if (version != kReplayFormatVersion) return fail("a replay file of another format version");
    if (size > kReplayMaxHeader) return fail("a replay file with a damaged header");
    std::string fields(size, '\0');
    if (!ReadBytes(&fields[0], size, &got) || got != size) return fail("a replay file cut short in its header");
    Cursor c(fields, 0);
    ReplayHeader& h = m_header;
    uint64_t counterStart = 0;
    uint32_t parts[8];
    bool ok = c.Text(&h.engineVersion, kReplayMaxName, false) && c.Text(&h.gameName, kReplayMaxName, false) &&
              c.Text(&h.programName, kReplayMaxName, false) && c.U64(&h.programSize) && c.U32(&h.programCrc);
    for (uint32_t& part : parts) ok = ok && c.U16(&part);
    ok = ok && c.U32(&h.clockStart) && c.U64(&counterStart) && c.U32(&h.randState) && c.U32(&h.checkpointEvery) &&
         c.U32(&h.desktopWidth) && c.U32(&h.desktopHeight) && c.U32(&h.flags);
    // Fields a later version adds after these are skipped.
    if (!ok) return fail("a replay file with a damaged header");
    for (int i = 0; i < 8; ++i) h.startTime[i] = uint16_t(parts[i]);
    h.counterStart = int64_t(counterStart);
    m_lastClock = h.clockStart;
    m_lastCounter = h.counterStart;
    return true;
}

bool ReplayReader::Fail(const std::string& why) {
    m_failed = true;
    if (m_error.empty()) m_error = why;
    return false;
}

bool ReplayReader::LoadChunk() {
    uint8_t head[kChunkHeader];
    size_t got = 0;
    if (!ReadBytes(head, sizeof head, &got)) return Fail("the file cannot be read");
    if (got == 0) return false;  // the end
    if (got < sizeof head) {
        m_truncated = true;
        return false;
    }
    const uint32_t raw = head[0] | uint32_t(head[1]) << 8 | uint32_t(head[2]) << 16 | uint32_t(head[3]) << 24;
    const uint32_t packed = head[4] | uint32_t(head[5]) << 8 | uint32_t(head[6]) << 16 | uint32_t(head[7]) << 24;
    // Sizes first, before anything is allocated for them.
    if (raw == 0 || raw > kReplayMaxChunk || packed == 0 || packed > compressBound(raw))
        return Fail("a damaged chunk (impossible sizes)");
    m_packed.resize(packed);
    if (!ReadBytes(&m_packed[0], packed, &got)) return Fail("the file cannot be read");
    if (got < packed) {
        m_truncated = true;
        return false;
    }
    m_chunk.resize(raw);
    uLongf rawSize = raw;
    uLong packedSize = packed;
    if (uncompress2(reinterpret_cast<Bytef*>(&m_chunk[0]), &rawSize, reinterpret_cast<const Bytef*>(m_packed.data()),
                    &packedSize) != Z_OK ||
        rawSize != raw || packedSize != packed)
        return Fail("a damaged chunk (its data does not inflate to its size)");
    m_at = 0;
    return true;
}

bool ReplayReader::Next(ReplayEntry* entry) {
    if (m_failed || m_ended || !entry) return false;
    while (m_at >= m_chunk.size())
        if (!LoadChunk()) return false;
    return Decode(entry);
}

bool ReplayReader::Decode(ReplayEntry* e) {
    *e = ReplayEntry();
    Cursor c(m_chunk, m_at);
    uint32_t tag = 0, u = 0;
    c.U8(&tag);
    bool ok = true;
    if (tag == kClockRepeat || tag == uint32_t(ReplayKind::PumpIdle)) {
        if (!c.Var32(&e->count, kReplayMaxRun) || e->count == 0) return Fail("a damaged entry (a count)");
        m_at = c.At();
        e->kind = tag == kClockRepeat ? ReplayKind::Clock : ReplayKind::PumpIdle;
        e->clock = m_lastClock;
        return true;
    }
    e->kind = ReplayKind(tag);
    int64_t wide = 0;
    switch (e->kind) {
        case ReplayKind::Clock: {
            int32_t delta = 0;
            ok = c.Signed32(&delta, 0x7FFFFFFF);
            m_lastClock += uint32_t(delta);
            e->clock = m_lastClock;
            break;
        }
        case ReplayKind::Counter:
            ok = c.Signed(&wide);
            m_lastCounter = int64_t(uint64_t(m_lastCounter) + uint64_t(wide));
            e->counter = m_lastCounter;
            break;
        case ReplayKind::Pump:
        case ReplayKind::Frame:
        case ReplayKind::Sync:
        case ReplayKind::QuitRequest:
        case ReplayKind::Other: break;
        case ReplayKind::Wait:
        case ReplayKind::Rumble:
        case ReplayKind::Sound: ok = c.U8(&e->value) && e->value <= 1; break;
        case ReplayKind::Checkpoint: ok = c.U64(&e->checksum); break;
        case ReplayKind::Seed: ok = c.U32(&e->value); break;
        case ReplayKind::File: {
            ok = c.Text(&e->text, kReplayMaxPath, true) && !e->text.empty() &&
                 e->text.find('\0') == std::string::npos && c.Var(&e->size) && e->size < (uint64_t(1) << 62) &&
                 c.Signed(&e->modified) && c.U32(&e->crc);
            break;
        }
        case ReplayKind::Screen: {
            uint32_t w = 0, h = 0;
            ok = c.Var32(&w, 1u << 16) && c.Var32(&h, 1u << 16) && c.U32(&e->value) && c.U8(&u) && u <= 1;
            e->x = int32_t(w), e->y = int32_t(h), e->down = u != 0;
            break;
        }
        case ReplayKind::Quit: {
            int32_t code = 0;
            ok = c.Signed32(&code, 0x7FFFFFFF);
            e->value = uint32_t(code);
            break;
        }
        case ReplayKind::Slot:
            ok = c.Var32(&e->slot, kReplayMaxPads - 1) && c.U8(&u) && u <= 1 && ReadPad(c, &e->pad);
            e->down = u != 0;
            break;
        case ReplayKind::End:
            ok = c.Var32(&e->value, 0xFFFFFFFFu) && c.U8(&u) && u <= 1 && c.U64(&e->checksum);
            e->down = u != 0;
            break;
        case ReplayKind::Key: {
            uint32_t scancode = 0, mod = 0;
            ok = c.Var32(&e->window, kReplayMaxWindow) && c.U16(&scancode) && scancode < 512 && c.U16(&mod) &&
                 c.U8(&u) && u <= 3;
            e->scancode = uint16_t(scancode), e->mod = uint16_t(mod);
            e->down = u & 1, e->repeat = (u & 2) != 0;
            break;
        }
        case ReplayKind::Motion:
            ok = c.Var32(&e->window, kReplayMaxWindow) && c.Signed32(&e->x, kReplayMaxCoordinate) &&
                 c.Signed32(&e->y, kReplayMaxCoordinate) && c.Signed32(&e->dx, kReplayMaxCoordinate) &&
                 c.Signed32(&e->dy, kReplayMaxCoordinate);
            break;
        case ReplayKind::Button: {
            uint32_t button = 0;
            ok = c.Var32(&e->window, kReplayMaxWindow) && c.U8(&button) && button >= 1 && button <= 5 && c.U8(&u) &&
                 u <= 1 && c.Signed32(&e->x, kReplayMaxCoordinate) && c.Signed32(&e->y, kReplayMaxCoordinate);
            e->button = uint8_t(button), e->down = u != 0;
            break;
        }
        case ReplayKind::Wheel:
            ok = c.Var32(&e->window, kReplayMaxWindow) && c.Signed32(&e->y, kReplayMaxWheel) && c.U8(&u) && u <= 1;
            e->down = u != 0;
            break;
        case ReplayKind::Window:
            ok = c.Var32(&e->window, kReplayMaxWindow) && c.U8(&e->value) && e->value >= REPLAY_FOCUS_GAINED &&
                 e->value <= REPLAY_RESIZED && c.Signed32(&e->x, kReplayMaxCoordinate) &&
                 c.Signed32(&e->y, kReplayMaxCoordinate);
            break;
        case ReplayKind::PadAttach: ok = c.Var32(&e->slot, kReplayMaxPads - 1) && ReadPad(c, &e->pad); break;
        case ReplayKind::PadDetach: ok = c.Var32(&e->slot, kReplayMaxPads - 1); break;
        case ReplayKind::PadAxis:
            ok = c.Var32(&e->slot, kReplayMaxPads - 1) && c.U8(&e->index) && e->index < uint32_t(kReplayPadAxes) &&
                 c.Float(&e->axis) && e->axis >= -1.0f && e->axis <= 1.0f;
            break;
        case ReplayKind::PadButton:
            ok = c.Var32(&e->slot, kReplayMaxPads - 1) && c.U8(&e->index) && e->index < uint32_t(kReplayPadButtons) &&
                 c.U8(&e->value) && (e->value == 0 || e->value == 0x80);
            break;
        case ReplayKind::PadPov:
            ok = c.Var32(&e->slot, kReplayMaxPads - 1) && c.U8(&e->index) && e->index < uint32_t(kReplayPadPovs) &&
                 c.U32(&e->value) && (e->value < 36000 || e->value == 0xFFFFFFFF);
            break;
        default: return Fail("a damaged entry (unknown kind " + std::to_string(tag) + ")");
    }
    if (!ok) return Fail(std::string("a damaged entry (") + ReplayKindName(e->kind) + ")");
    m_at = c.At();
    if (e->kind == ReplayKind::End) m_ended = true;
    return true;
}

}  // namespace velmora
