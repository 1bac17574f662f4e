// replayinfo: what a replay file (VELMORA_RECORD) holds: its header, its length, frames and
// checkpoints, and its events counted by kind; with --events every event and note with the
// frame it came in.
//   replayinfo FILE [--events]
// Exit status: 0 done, 1 the file is no replay file or is damaged (what came before the damage
// is shown), 2 a usage error.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <velmora/platform/replay/ReplayFile.h>  // the format's reader

namespace {

constexpr int kDone = 0;
constexpr int kDamaged = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "usage: replayinfo FILE [--events]\n"
    "Prints what a replay file recorded by a Velmora game holds: the game and engine that\n"
    "recorded it, when, its length in time and frames, its checkpoints (a checksum of every\n"
    "so many pictures) and its events counted by kind. --events lists every event and note\n"
    "with the frame it came in and its time from the start.\n"
    "-h, --help shows this; --version the version.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "replayinfo: %s\n%s", message.c_str(), kUsageText);
    return kUsage;
}

// Names of the keys a game mostly meets, by their USB scancode (SDL's numbering).
std::string KeyName(unsigned scancode) {
    if (scancode >= 4 && scancode <= 29) return std::string(1, char('A' + scancode - 4));
    if (scancode >= 30 && scancode <= 38) return std::string(1, char('1' + scancode - 30));
    if (scancode >= 58 && scancode <= 69) return "F" + std::to_string(scancode - 57);
    static const std::map<unsigned, const char*> names = {
        {39, "0"},     {40, "Return"}, {41, "Escape"}, {42, "Backspace"}, {43, "Tab"},   {44, "Space"},
        {79, "Right"}, {80, "Left"},   {81, "Down"},   {82, "Up"},        {224, "Ctrl"}, {225, "Shift"},
        {226, "Alt"},  {228, "Ctrl"},  {229, "Shift"}, {230, "Alt"}};
    const auto found = names.find(scancode);
    return found != names.end() ? found->second : "scancode " + std::to_string(scancode);
}

const char* WindowEventName(uint32_t what) {
    static const char* const names[] = {"?",        "focus gained", "focus lost", "minimised",
                                        "restored", "close box",    "moved",      "resized"};
    return what < sizeof names / sizeof *names ? names[what] : "?";
}

std::string Describe(const velmora::ReplayEntry& e) {
    using velmora::ReplayKind;
    char text[512];
    switch (e.kind) {
        case ReplayKind::Key:
            std::snprintf(text, sizeof text, "key %s %s%s%s", KeyName(e.scancode).c_str(), e.down ? "down" : "up",
                          e.repeat ? " (repeat)" : "", (e.mod & 0x0300) ? " with Alt" : "");
            break;
        case ReplayKind::Motion:
            std::snprintf(text, sizeof text, "pointer to %d,%d (moved %d,%d)", e.x, e.y, e.dx, e.dy);
            break;
        case ReplayKind::Button:
            std::snprintf(text, sizeof text, "button %u %s at %d,%d", unsigned(e.button), e.down ? "down" : "up", e.x,
                          e.y);
            break;
        case ReplayKind::Wheel: std::snprintf(text, sizeof text, "wheel %+d", e.down ? -e.y : e.y); break;
        case ReplayKind::Window:
            std::snprintf(text, sizeof text, "window %s", WindowEventName(e.value));
            if (e.value >= velmora::REPLAY_MOVED)
                std::snprintf(text + std::strlen(text), sizeof text - std::strlen(text), " %d,%d", e.x, e.y);
            break;
        case ReplayKind::PadAttach:
            std::snprintf(text, sizeof text, "pad %u plugged in: %s", e.slot, e.pad.name.c_str());
            break;
        case ReplayKind::PadDetach: std::snprintf(text, sizeof text, "pad %u pulled out", e.slot); break;
        case ReplayKind::PadAxis:
            std::snprintf(text, sizeof text, "pad %u axis %u to %.3f", e.slot, e.index, double(e.axis));
            break;
        case ReplayKind::PadButton:
            std::snprintf(text, sizeof text, "pad %u button %u %s", e.slot, e.index, e.value ? "down" : "up");
            break;
        case ReplayKind::PadPov:
            std::snprintf(text, sizeof text, "pad %u hat %u to %u", e.slot, e.index, e.value);
            break;
        case ReplayKind::File:
            std::snprintf(text, sizeof text, "file %s loaded (%" PRIu64 " bytes)", e.text.c_str(), e.size);
            break;
        case ReplayKind::Screen:
            std::snprintf(text, sizeof text, "screen %d x %d %s", e.x, e.y, e.down ? "in a window" : "full screen");
            break;
        case ReplayKind::Quit: std::snprintf(text, sizeof text, "the game quits (%d)", int32_t(e.value)); break;
        case ReplayKind::Seed: std::snprintf(text, sizeof text, "random numbers seeded with %u", e.value); break;
        case ReplayKind::Sound:
            std::snprintf(text, sizeof text, "%s", e.value ? "sound device opened" : "no sound device");
            break;
        case ReplayKind::Checkpoint: std::snprintf(text, sizeof text, "checkpoint %016" PRIx64, e.checksum); break;
        default: std::snprintf(text, sizeof text, "%s", velmora::ReplayKindName(e.kind)); break;
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    std::string file;
    bool events = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsageText, stdout);
            return kDone;
        }
        if (arg == "--version") {
            std::printf("replayinfo (Velmora) %s\n", VELMORA_VERSION_TEXT);
            return kDone;
        }
        if (arg == "--events") {
            events = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else if (file.empty()) {
            file = arg;
        } else {
            return UsageError("one file at a time");
        }
    }
    if (file.empty()) return UsageError("no file given");

    velmora::ReplayReader reader;
    std::string error;
    if (!reader.Open(file, &error)) {
        std::fprintf(stderr, "replayinfo: %s: %s\n", file.c_str(), error.c_str());
        return kDamaged;
    }
    const velmora::ReplayHeader& h = reader.Header();
    std::printf("%s: a replay of \"%s\", recorded by %s (%" PRIu64 " bytes, CRC-32 %08x) on Velmora %s\n", file.c_str(),
                h.gameName.c_str(), h.programName.c_str(), h.programSize, h.programCrc, h.engineVersion.c_str());
    std::printf("started %04u-%02u-%02u %02u:%02u:%02u local time; desktop %u x %u%s\n", h.startTime[0], h.startTime[1],
                h.startTime[3], h.startTime[4], h.startTime[5], h.startTime[6], h.desktopWidth, h.desktopHeight,
                (h.flags & velmora::REPLAY_FLAG_MANUAL_CLOCK) ? "; on a test's manual clock" : "");

    using velmora::ReplayKind;
    std::map<ReplayKind, uint64_t> counts;
    std::vector<std::pair<uint32_t, uint64_t>> checkpoints;
    uint32_t frames = 0, files = 0, pumpsWithEvents = 0;
    uint32_t clock = h.clockStart;
    bool ended = false, finalPicture = false;
    uint64_t finalChecksum = 0;
    velmora::ReplayEntry e;
    while (reader.Next(&e)) {
        counts[e.kind] += e.count;
        switch (e.kind) {
            case ReplayKind::Clock: clock = e.clock; break;
            case ReplayKind::Frame: ++frames; break;
            case ReplayKind::Checkpoint: checkpoints.emplace_back(++frames, e.checksum); break;
            case ReplayKind::Pump: ++pumpsWithEvents; break;
            case ReplayKind::File: ++files; break;
            case ReplayKind::End:
                ended = true;
                finalPicture = e.down;
                finalChecksum = e.checksum;
                break;
            default: break;
        }
        const bool listed =
            velmora::IsReplayEvent(e.kind) ||
            (!velmora::IsReplayPoint(e.kind) && e.kind != ReplayKind::End && e.kind != ReplayKind::Slot) ||
            e.kind == ReplayKind::Seed || e.kind == ReplayKind::Sound;
        if (events && listed)
            std::printf("  frame %-6u %9.3f s  %s\n", frames + 1, double(uint32_t(clock - h.clockStart)) / 1000.0,
                        Describe(e).c_str());
    }
    const double seconds = double(uint32_t(clock - h.clockStart)) / 1000.0;
    std::printf("length %.3f s, %u frames; %s\n", seconds, frames,
                ended                                          ? "complete"
                : reader.Truncated() || reader.Error().empty() ? "cut short (its program ended without closing it)"
                                                               : "damaged");
    uint64_t eventCount = 0;
    std::string byKind;
    for (const auto& [kind, n] : counts) {
        if (!velmora::IsReplayEvent(kind)) continue;
        eventCount += n;
        byKind += (byKind.empty() ? "" : ", ") + std::string(velmora::ReplayKindName(kind)) + " " + std::to_string(n);
    }
    std::printf("events %" PRIu64 "%s%s%s\n", eventCount, byKind.empty() ? "" : " (", byKind.c_str(),
                byKind.empty() ? "" : ")");
    std::printf("clock readings %" PRIu64 ", counter readings %" PRIu64 ", looks at the events %" PRIu64
                " (%u finding some), waits %" PRIu64 ", seeds %" PRIu64 ", files loaded %u\n",
                counts[ReplayKind::Clock], counts[ReplayKind::Counter],
                counts[ReplayKind::PumpIdle] + counts[ReplayKind::Pump], pumpsWithEvents, counts[ReplayKind::Wait],
                counts[ReplayKind::Seed], files);
    std::printf("checkpoints %zu", checkpoints.size());
    if (h.checkpointEvery) std::printf(", every %u frames", h.checkpointEvery);
    std::printf("%s\n", checkpoints.empty() ? "" : ":");
    for (const auto& [frame, checksum] : checkpoints) std::printf("  frame %-6u %016" PRIx64 "\n", frame, checksum);
    if (finalPicture) std::printf("last picture %016" PRIx64 "\n", finalChecksum);
    if (!reader.Error().empty()) {
        std::fprintf(stderr, "replayinfo: %s is damaged after frame %u: %s\n", file.c_str(), frames,
                     reader.Error().c_str());
        return kDamaged;
    }
    return kDone;
}
