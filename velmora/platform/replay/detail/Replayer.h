// A replay: the game runs on what a replay file recorded instead of the live clocks, events
// and controllers, at the recorded pace or as fast as it goes, and the pictures' checksums
// are compared as they come. Live input is ignored but for the quit keys and the close box.
#pragma once

#include <set>
#include <string>
#include <vector>

#include <velmora/platform/replay/ReplayFile.h>
#include <velmora/platform/replay/detail/Session.h>

namespace vlm_platform {

// How a replay went, as the testing component reads it.
struct ReplayOutcome {
    bool ran = false;
    bool reachedEnd = false;  // replayed to the recording's last entry
    bool diverged = false;    // the game asked for something else than the recording holds
    bool stoppedByPlayer = false;
    bool damaged = false;         // the file is damaged after its header
    uint32_t frames = 0;          // frames replayed
    uint32_t recordedFrames = 0;  // frames recorded (known once the end is reached)
    uint32_t checkpoints = 0, matched = 0;
    uint32_t firstDifferentFrame = 0;  // 0: none
    uint64_t recordedChecksum = 0, replayedChecksum = 0;
    bool finalPictureCompared = false, finalPictureMatched = false;
    bool programChanged = false;
    std::vector<std::string> changedFiles;
    std::vector<std::string> report;  // the lines it wrote
};
const ReplayOutcome& LastReplayOutcome();

class Replayer final : public Session {
public:
    ~Replayer() override;
    // Opens `file` and checks that it is a recording of this game on this engine; false with
    // the reason otherwise.
    bool Start(const std::string& file, const std::string& gameName, bool fast, std::string* error);

    bool Replaying() const override { return true; }
    DWORD Clock(bool peek) override;
    LONGLONG Counter() override;
    void Sleep(DWORD milliseconds) override;
    BOOL WaitUntil(DWORD dueTime) override;
    void WaitForMessage() override;
    void Pump() override;
    void SyncControllers() override;
    void ControllerChanged(size_t, const ControllerChange&) override {}
    bool Rumble(size_t slot, WORD low, WORD high, DWORD milliseconds) override;
    bool SoundDevice(bool opened) override;
    unsigned Seed(unsigned seed) override;
    void QuitPosted(int) override {}
    void FileOpened(const char*) override {}
    void ScreenSet(const D3DPRESENT_PARAMETERS& params) override;
    void Presented(Device9Impl* device) override;
    void Finish() override;

private:
    // The next entry, read ahead; false when the file has no more.
    bool Peek();
    // The next point, which must be one of the kinds given, the notes before it taken in
    // (a file compared, a quit posted). False when the replay is over: the recording ended,
    // or the game asked for another kind of point (which ends it).
    bool TakePoint(velmora::ReplayKind a, velmora::ReplayKind b, velmora::ReplayEntry* point);
    void TakeNote(const velmora::ReplayEntry& note);
    void Apply(const velmora::ReplayEntry& event);
    // Ends the replay here: the game is asked to quit, and the clocks run on by themselves.
    void Over(const std::string& why, bool problem);
    // Live input: only the quit keys and the close box count, and stop the replay.
    void DrainLive();
    // At the recorded pace: waits until as much real time has passed since the start as the
    // recording's clock says.
    void Pace(DWORD clock);
    void Report(const std::string& line, bool problem);

    velmora::ReplayReader m_Reader;
    std::string m_strFile;
    bool m_bFast = false;
    velmora::ReplayEntry m_Next;
    bool m_bHaveNext = false;
    bool m_bOver = false;
    LONGLONG m_nLastCounter = 0;
    // The pace: real time (ns, monotonic) at the start, and recorded milliseconds since.
    int64_t m_nPaceStart = 0;
    int64_t m_nPaced = 0;
    bool m_bPaceStarted = false;
    DWORD m_dwPaceLast = 0;
    D3DPRESENT_PARAMETERS m_Screen{};
    bool m_bHaveScreen = false;
    std::set<std::string> m_ChangedFiles;
    ReplayOutcome m_Outcome;
};

}  // namespace vlm_platform
