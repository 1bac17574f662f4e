// A recording: the live system goes on as always, and what it gives the game is written into a
// replay file as it is given, a compressed chunk about once a second.
#pragma once

#include <map>
#include <string>
#include <utility>

#include <velmora/platform/replay/ReplayFile.h>
#include <velmora/platform/replay/detail/Session.h>

union SDL_Event;

namespace vlm_platform {

class Recorder final : public Session {
public:
    ~Recorder() override;
    // Creates `file` for the game called `gameName`; false with the reason when it cannot.
    bool Start(const std::string& file, const std::string& gameName, std::string* error);

    bool Replaying() const override { return false; }
    DWORD Clock(bool peek) override;
    LONGLONG Counter() override;
    void Sleep(DWORD milliseconds) override;
    BOOL WaitUntil(DWORD dueTime) override;
    void WaitForMessage() override;
    void Pump() override;
    void SyncControllers() override;
    void ControllerChanged(size_t slot, const ControllerChange& change) override;
    bool Rumble(size_t slot, WORD low, WORD high, DWORD milliseconds) override;
    bool SoundDevice(bool opened) override;
    unsigned Seed(unsigned seed) override;
    void QuitPosted(int exitCode) override;
    void FileOpened(const char* path) override;
    void ScreenSet(const D3DPRESENT_PARAMETERS& params) override;
    void Presented(Device9Impl* device) override;
    void Finish() override;

private:
    // The look at the events under way found something: its point goes first.
    void OpenPump();
    // An event found by the look at the events under way: after its point.
    void Event(const velmora::ReplayEntry& entry);
    // What an SDL event is written as; false for events that neither the devices nor the
    // messages take anything from.
    bool Describe(const SDL_Event& e, velmora::ReplayEntry* entry) const;
    // A chunk about once a second of the clock, so that an ended program loses no more.
    void FlushNow(DWORD clock);
    void Write(const velmora::ReplayEntry& entry);

    velmora::ReplayWriter m_Writer;
    std::string m_strFile;
    bool m_bInPump = false, m_bPumpOpened = false;
    bool m_bInSync = false, m_bSyncOpened = false;
    bool m_bInWait = false;
    bool m_bFailed = false;
    DWORD m_dwLastFlush = 0;
    std::map<std::string, std::pair<uint64_t, int64_t>> m_Files;  // noted: size, modification time
};

}  // namespace vlm_platform
