// Fuzz target: replay files. The reader takes the file entry by entry; what it takes is written
// again by the writer and must read back the same; then, when the file is short enough, it is
// replayed by a running game (its engine version made this engine's, so that it starts), whose
// main loop takes the recorded clock values, events, pads and frames until the recording ends
// or the game goes another way.
#include <cstring>
#include <vector>

#include <velmora/platform/replay/Replay.h>
#include <velmora/platform/replay/ReplayFile.h>

#include "support/FuzzEngine.h"

using namespace VelmoraFuzz;
using velmora::ReplayEntry;
using velmora::ReplayKind;

namespace {

constexpr size_t kMaxEntries = 4096;
constexpr uint64_t kMaxPoints = 4096;  // looks and readings a replay of an input may take

class ReplayedGame : public CGameApp {
public:
    void MainLoop() override {
        const stInputInfo in = GetInputInfo();
        for (int pad = 0; pad < MAX_PADS; ++pad) GetPadInfo(pad);
        CGraphics* graphics = GetGraphics();
        if (graphics->BeginScene()) {
            graphics->Rectangle(RECT{in.ptCursor.x, in.ptCursor.y, in.ptCursor.x + 4, in.ptCursor.y + 4}, 0xFFFFFFFF,
                                true);
            graphics->EndScene();
        }
    }
};

ReplayedGame& Game() {
    static ReplayedGame game;
    return game;
}

bool Same(const ReplayEntry& a, const ReplayEntry& b) {
    return a.kind == b.kind && a.count == b.count && a.clock == b.clock && a.counter == b.counter &&
           a.value == b.value && a.checksum == b.checksum && a.window == b.window && a.scancode == b.scancode &&
           a.mod == b.mod && a.down == b.down && a.repeat == b.repeat && a.button == b.button && a.x == b.x &&
           a.y == b.y && a.dx == b.dx && a.dy == b.dy && a.slot == b.slot && a.index == b.index &&
           std::memcmp(&a.axis, &b.axis, sizeof a.axis) == 0 && a.text == b.text && a.size == b.size &&
           a.modified == b.modified && a.crc == b.crc && a.pad.name == b.pad.name && a.pad.axes == b.pad.axes &&
           a.pad.buttons == b.pad.buttons && a.pad.povs == b.pad.povs &&
           std::memcmp(a.pad.button, b.pad.button, sizeof a.pad.button) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Prepare(argc, argv);
    StartEngine(Game(), 160, 120);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BeginInput();
    velmora::ReplayReader reader;
    if (!reader.OpenMemory(data, size, nullptr)) return 0;
    std::vector<ReplayEntry> entries;
    uint64_t points = 0;
    ReplayEntry e;
    while (entries.size() < kMaxEntries && reader.Next(&e)) {
        if (velmora::IsReplayPoint(e.kind)) points += e.count;
        entries.push_back(e);
    }

    // Written again, as this engine's, and read back the same.
    velmora::ReplayHeader header = reader.Header();
    header.engineVersion = VELMORA_VERSION_TEXT;
    const std::string path = ScratchDir() + "/input.vlmreplay";
    {
        velmora::ReplayWriter writer;
        if (!writer.Open(path, header, nullptr)) __builtin_trap();
        for (const ReplayEntry& entry : entries) writer.Write(entry);
        if (!writer.Close()) __builtin_trap();
    }
    velmora::ReplayReader again;
    if (!again.Open(path, nullptr)) __builtin_trap();
    std::vector<ReplayEntry> read;
    while (read.size() <= entries.size() && again.Next(&e)) read.push_back(e);
    if (!again.Error().empty()) __builtin_trap();
    // The writer folds runs and Others in a row, so compare with the entries unfolded.
    auto unfold = [](const std::vector<ReplayEntry>& list) {
        std::vector<ReplayEntry> out;
        for (const ReplayEntry& x : list) {
            if (x.kind == ReplayKind::Other && !out.empty() && out.back().kind == ReplayKind::Other) continue;
            const bool run = x.kind == ReplayKind::Clock || x.kind == ReplayKind::PumpIdle;
            for (uint32_t i = 0; i < (run ? x.count : 1) && out.size() < 4 * kMaxEntries; ++i) {
                out.push_back(x);
                out.back().count = 1;
            }
        }
        return out;
    };
    if (points <= kMaxPoints) {
        const std::vector<ReplayEntry> a = unfold(entries), b = unfold(read);
        if (a.size() != b.size()) __builtin_trap();
        for (size_t i = 0; i < a.size(); ++i)
            if (!Same(a[i], b[i])) __builtin_trap();

        // Replayed by the running game.
        vlm_ReplayNextSession(path.c_str(), TRUE);
        if (vlm_BeginSession(header.gameName.c_str(), nullptr, 0)) {
            Game().Run();
            vlm_EndSession();
        }
    }
    EndInput();
    return 0;
}
