// The recording or the replay under way: what the stand-ins call at each place where something
// from outside enters the engine (a clock read, a look at the window system's events, the
// controllers looked for, a frame presented, the random numbers seeded, a file opened). Only
// the thread that started it, the game's, goes through it; other threads meet the live system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <velmora/platform/d3d9/D3D9Types.h>
#include <velmora/platform/replay/ReplayFile.h>
#include <velmora/platform/win32/Types.h>

namespace vlm_platform {

class Device9Impl;
struct Controller;
struct ControllerChange;

class Session {
public:
    virtual ~Session() = default;

    virtual bool Replaying() const = 0;
    // The millisecond clock, as timeGetTime (or, with `peek`, without the manual test clock's
    // tick: the time stamps of messages and input records).
    virtual DWORD Clock(bool peek) = 0;
    virtual LONGLONG Counter() = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    // vlm_WaitMessageUntil and WaitMessage.
    virtual BOOL WaitUntil(DWORD dueTime) = 0;
    virtual void WaitForMessage() = 0;
    // A look at the window system's events (PumpEvents).
    virtual void Pump() = 0;
    // The controller slots looked for (SyncControllers).
    virtual void SyncControllers() = 0;
    // A change of a controller slot, while recording.
    virtual void ControllerChanged(size_t slot, const ControllerChange& change) = 0;
    virtual bool Rumble(size_t slot, WORD low, WORD high, DWORD milliseconds) = 0;
    // The sound device asked for, `opened` or not: whether the game is to have one. A replay
    // gives the recorded answer, whatever this machine has.
    virtual bool SoundDevice(bool opened) = 0;
    // srand's seed: the one to use.
    virtual unsigned Seed(unsigned seed) = 0;
    virtual void QuitPosted(int exitCode) = 0;
    // A file opened for reading at `path`.
    virtual void FileOpened(const char* path) = 0;
    // A device's back buffer made or reset, and a frame presented.
    virtual void ScreenSet(const D3DPRESENT_PARAMETERS& params) = 0;
    virtual void Presented(Device9Impl* device) = 0;
    void DeviceGone(Device9Impl* device) {
        if (m_pLastDevice == device) m_pLastDevice = nullptr;
    }
    // Ends it: a recording is closed, a replay reports.
    virtual void Finish() = 0;

    // Coarse use stamps and local time follow the clock's last value: no reading of their own.
    DWORD LastClock() const { return m_dwLastClock; }
    void LocalTime(SYSTEMTIME* time) const;
    // Windows are known by the order the session made them in: 1 for the first.
    uint32_t NumberWindow() { return ++m_nWindows; }

protected:
    // Whether frame `frame` (from 1) keeps its picture's checksum.
    bool IsCheckpoint(uint32_t frame) const { return m_nCheckpointEvery && frame % m_nCheckpointEvery == 0; }
    // The checksum of what the device's back buffer holds; false when it holds nothing readable.
    bool PictureChecksum(Device9Impl* device, uint64_t* checksum);

    DWORD m_dwLastClock = 0;
    DWORD m_dwStartClock = 0;
    SYSTEMTIME m_StartTime{};
    uint32_t m_nWindows = 0;
    uint32_t m_nFrames = 0;
    uint32_t m_nCheckpointEvery = 60;
    Device9Impl* m_pLastDevice = nullptr;
    std::vector<uint8_t> m_Picture;  // the back buffer read back, kept for the next checkpoint
};

// The session of the calling thread, or null: the check every hooked call makes first.
Session* SessionHere();
// The session of any thread (devices going away tell it), or null.
Session* CurrentSession();

// The live versions of what a session stands between (the manual test clock included).
DWORD LiveTime(bool peek);
LONGLONG LiveCounter();
void LiveLocalTime(SYSTEMTIME* time);
void LiveSleep(DWORD milliseconds);
BOOL LiveWaitUntil(DWORD dueTime);
void LiveWaitForMessage();
// The state of the random numbers of the calling thread.
uint32_t RandState();
void SetRandState(uint32_t state);

// Writes one line of a session's report on standard error and to the engine's log.
void SessionReport(const std::string& line, bool problem);

// A controller slot as a replay file keeps it, and back.
velmora::ReplayPad RecordedPad(const Controller& controller);
Controller ReplayedController(const velmora::ReplayPad& pad);
// The running program's file name, size and CRC-32 (a changed game shows in them).
void ProgramIdentity(std::string* name, uint64_t* size, uint32_t* crc);

}  // namespace vlm_platform
