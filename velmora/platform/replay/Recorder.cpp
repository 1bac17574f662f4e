// The recording: each hooked call goes to the live system and writes what it got.
#include <velmora/platform/replay/detail/Recorder.h>

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <velmora/platform/dinput8/detail/Controllers.h>
#include <velmora/platform/win32/detail/Clock.h>
#include <velmora/platform/win32/detail/EventPump.h>
#include <velmora/platform/win32/detail/SdlVideo.h>
#include <velmora/platform/win32/detail/WindowObject.h>

#ifndef VELMORA_VERSION_TEXT
#define VELMORA_VERSION_TEXT "unknown"
#endif

namespace vlm_platform {

using velmora::ReplayEntry;
using velmora::ReplayKind;

namespace {

constexpr DWORD kFlushEveryMs = 1000;

ReplayEntry Entry(ReplayKind kind) {
    ReplayEntry e;
    e.kind = kind;
    return e;
}

uint32_t NumberOfWindow(uint32_t sdlWindowId) {
    HWND hwnd = sdlWindowId ? WindowFromSdlId(sdlWindowId) : nullptr;
    return hwnd ? hwnd->sessionNumber : 0;
}

int32_t Coordinate(int32_t v) { return std::clamp(v, -velmora::kReplayMaxCoordinate, velmora::kReplayMaxCoordinate); }

}  // namespace

Recorder::~Recorder() { m_Writer.Close(); }

bool Recorder::Start(const std::string& file, const std::string& gameName, std::string* error) {
    velmora::ReplayHeader h;
    h.engineVersion = VELMORA_VERSION_TEXT;
    h.gameName = gameName;
    ProgramIdentity(&h.programName, &h.programSize, &h.programCrc);
    if (vlm_platform::Clock().localTimeOverridden)
        m_StartTime = vlm_platform::Clock().localTime;
    else
        LiveLocalTime(&m_StartTime);
    const WORD* t = &m_StartTime.wYear;
    for (int i = 0; i < 8; ++i) h.startTime[i] = t[i];
    h.clockStart = LiveTime(true);
    h.counterStart = LiveCounter();
    h.randState = RandState();
    h.checkpointEvery = 60;
    if (const char* every = std::getenv("VELMORA_RECORD_CHECKPOINTS")) {
        char* end = nullptr;
        const unsigned long n = std::strtoul(every, &end, 10);
        if (end != every && *end == '\0' && n <= 1000000) h.checkpointEvery = uint32_t(n);
    }
    SDL_DisplayMode desktop{};
    if (EnsureVideo() && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        h.desktopWidth = uint32_t(desktop.w);
        h.desktopHeight = uint32_t(desktop.h);
    }
    if (vlm_platform::Clock().manual) h.flags |= velmora::REPLAY_FLAG_MANUAL_CLOCK;
    if (!m_Writer.Open(file, h, error)) return false;
    m_strFile = file;
    m_dwStartClock = m_dwLastClock = m_dwLastFlush = h.clockStart;
    m_nCheckpointEvery = h.checkpointEvery;
    // The controllers known before the game started, which the devices may find again.
    for (size_t slot = 0; slot < ControllerCount() && slot < velmora::kReplayMaxPads; ++slot) {
        const Controller* c = ControllerAt(slot);
        ReplayEntry e = Entry(ReplayKind::Slot);
        e.slot = uint32_t(slot);
        e.down = c->Attached();
        e.pad = RecordedPad(*c);
        m_Writer.Write(e);
    }
    return m_Writer.Flush();
}

void Recorder::Write(const ReplayEntry& entry) {
    if (!m_bFailed) m_Writer.Write(entry);
}

void Recorder::FlushNow(DWORD clock) {
    if (m_bFailed) return;
    m_dwLastFlush = clock;
    if (!m_Writer.Flush()) {
        m_bFailed = true;
        SessionReport("recording into " + m_strFile +
                          " failed: the file cannot be written; the rest of the session "
                          "is not recorded",
                      true);
    }
}

DWORD Recorder::Clock(bool peek) {
    const DWORD value = LiveTime(peek);
    if (m_bInWait) return value;  // the wait's own looks at the clock: its result is recorded
    if (!m_bFailed) m_Writer.Clock(value);
    m_dwLastClock = value;
    if (value - m_dwLastFlush >= kFlushEveryMs) FlushNow(value);
    return value;
}

LONGLONG Recorder::Counter() {
    ReplayEntry e = Entry(ReplayKind::Counter);
    e.counter = LiveCounter();
    Write(e);
    return e.counter;
}

void Recorder::Sleep(DWORD milliseconds) { LiveSleep(milliseconds); }

BOOL Recorder::WaitUntil(DWORD dueTime) {
    m_bInWait = true;
    const BOOL woke = LiveWaitUntil(dueTime);
    m_bInWait = false;
    ReplayEntry e = Entry(ReplayKind::Wait);
    e.value = woke ? 1 : 0;
    Write(e);
    return woke;
}

void Recorder::WaitForMessage() { LiveWaitForMessage(); }  // its looks at the events are recorded

void Recorder::OpenPump() {
    if (m_bPumpOpened) return;
    Write(Entry(ReplayKind::Pump));
    m_bPumpOpened = true;
}

void Recorder::Event(const ReplayEntry& entry) {
    OpenPump();
    Write(entry);
}

bool Recorder::Describe(const SDL_Event& e, ReplayEntry* r) const {
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            r->kind = ReplayKind::Key;
            r->window = NumberOfWindow(e.key.windowID);
            r->scancode = uint16_t(e.key.keysym.scancode < 512 ? e.key.keysym.scancode : 0);
            r->mod = e.key.keysym.mod;
            r->down = e.type == SDL_KEYDOWN;
            r->repeat = e.key.repeat != 0;
            return true;
        case SDL_MOUSEMOTION: {
            // Where the pointer is in the picture, as the messages have it: a replay shows the
            // picture in a window of any size.
            const POINT p = WindowToPicture(EventWindow(e.motion.windowID), e.motion.x, e.motion.y);
            r->kind = ReplayKind::Motion;
            r->window = NumberOfWindow(e.motion.windowID);
            r->x = Coordinate(p.x), r->y = Coordinate(p.y);
            r->dx = Coordinate(e.motion.xrel), r->dy = Coordinate(e.motion.yrel);
            return true;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (e.button.button < 1 || e.button.button > 5) break;  // no message, no device button
            const POINT p = WindowToPicture(EventWindow(e.button.windowID), e.button.x, e.button.y);
            r->kind = ReplayKind::Button;
            r->window = NumberOfWindow(e.button.windowID);
            r->button = e.button.button;
            r->down = e.type == SDL_MOUSEBUTTONDOWN;
            r->x = Coordinate(p.x), r->y = Coordinate(p.y);
            return true;
        }
        case SDL_MOUSEWHEEL:
            r->kind = ReplayKind::Wheel;
            r->window = NumberOfWindow(e.wheel.windowID);
            r->y = std::clamp(e.wheel.y, -velmora::kReplayMaxWheel, velmora::kReplayMaxWheel);
            r->down = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED;
            return true;
        case SDL_WINDOWEVENT: {
            uint32_t what = 0;
            switch (e.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED: what = velmora::REPLAY_FOCUS_GAINED; break;
                case SDL_WINDOWEVENT_FOCUS_LOST: what = velmora::REPLAY_FOCUS_LOST; break;
                case SDL_WINDOWEVENT_MINIMIZED: what = velmora::REPLAY_MINIMIZED; break;
                case SDL_WINDOWEVENT_RESTORED: what = velmora::REPLAY_RESTORED; break;
                case SDL_WINDOWEVENT_CLOSE: what = velmora::REPLAY_CLOSE; break;
                case SDL_WINDOWEVENT_MOVED: what = velmora::REPLAY_MOVED; break;
                case SDL_WINDOWEVENT_RESIZED: what = velmora::REPLAY_RESIZED; break;
                default: return false;  // nothing takes anything from the others
            }
            r->kind = ReplayKind::Window;
            r->window = NumberOfWindow(e.window.windowID);
            r->value = what;
            r->x = Coordinate(e.window.data1), r->y = Coordinate(e.window.data2);
            return true;
        }
        case SDL_QUIT: r->kind = ReplayKind::QuitRequest; return true;
        default: break;
    }
    // The devices still look at their window's focus on any event.
    r->kind = ReplayKind::Other;
    return true;
}

void Recorder::Pump() {
    RunDueInjections();
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
        m_bInPump = true;
        m_bPumpOpened = false;
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            ReplayEntry entry;
            if (!Describe(e, &entry)) {
                DeliverEvent(e, false);
                continue;
            }
            // An event before its delivery, which reads the clock; but an Other after it: the
            // controller changes it brings come first.
            if (entry.kind != ReplayKind::Other)
                Event(entry);
            else
                OpenPump();
            DeliverEvent(e, false);
            if (entry.kind == ReplayKind::Other) Event(entry);
        }
        m_bInPump = false;
    }
    if (!m_bPumpOpened && !m_bFailed) m_Writer.PumpIdle();
    m_bPumpOpened = false;
    // A game waiting for events reads no clock: the time to write comes here too.
    const DWORD now = LiveTime(true);
    if (now - m_dwLastFlush >= kFlushEveryMs) FlushNow(now);
}

void Recorder::SyncControllers() {
    if (m_bInPump) {  // a controller plugged in, found by the look at the events
        LiveSyncControllers();
        return;
    }
    m_bInSync = true;
    m_bSyncOpened = false;
    LiveSyncControllers();
    m_bInSync = false;
}

void Recorder::ControllerChanged(size_t slot, const ControllerChange& change) {
    const Controller* c = ControllerAt(slot);
    if (!c || slot >= velmora::kReplayMaxPads) return;
    ReplayEntry e;
    e.slot = uint32_t(slot);
    e.index = uint32_t(change.index);
    switch (change.kind) {
        case ControllerChange::Attached:
            e.kind = ReplayKind::PadAttach;
            e.pad = RecordedPad(*c);
            break;
        case ControllerChange::Detached: e.kind = ReplayKind::PadDetach; break;
        case ControllerChange::Axis:
            e.kind = ReplayKind::PadAxis;
            e.axis = std::clamp(c->axis[change.index], -1.0f, 1.0f);
            break;
        case ControllerChange::Button:
            e.kind = ReplayKind::PadButton;
            e.value = c->button[change.index];
            break;
        case ControllerChange::Pov:
            e.kind = ReplayKind::PadPov;
            e.value = c->pov[change.index];
            break;
    }
    if (m_bInPump) {
        Event(e);
        return;
    }
    if (!m_bInSync || !m_bSyncOpened) Write(Entry(ReplayKind::Sync));
    m_bSyncOpened = m_bInSync;
    Write(e);
}

bool Recorder::Rumble(size_t slot, WORD low, WORD high, DWORD milliseconds) {
    const bool ok = LiveRumbleController(slot, low, high, milliseconds);
    ReplayEntry e = Entry(ReplayKind::Rumble);
    e.value = ok ? 1 : 0;
    Write(e);
    return ok;
}

bool Recorder::SoundDevice(bool opened) {
    ReplayEntry e = Entry(ReplayKind::Sound);
    e.value = opened ? 1 : 0;
    Write(e);
    return opened;
}

unsigned Recorder::Seed(unsigned seed) {
    ReplayEntry e = Entry(ReplayKind::Seed);
    e.value = seed;
    Write(e);
    return seed;
}

void Recorder::QuitPosted(int exitCode) {
    ReplayEntry e = Entry(ReplayKind::Quit);
    e.value = uint32_t(exitCode);
    Write(e);
}

void Recorder::FileOpened(const char* path) {
    if (!path || !*path || std::strlen(path) > velmora::kReplayMaxPath) return;
    struct stat st {};
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return;
    const int64_t modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    auto known = m_Files.find(path);
    if (known != m_Files.end() && known->second == std::make_pair(uint64_t(st.st_size), modified)) return;
    ReplayEntry e = Entry(ReplayKind::File);
    e.text = path;
    e.modified = modified;
    if (!velmora::ReplayFileCrc(path, &e.size, &e.crc)) return;
    m_Files[path] = {e.size, modified};
    Write(e);
}

void Recorder::ScreenSet(const D3DPRESENT_PARAMETERS& params) {
    ReplayEntry e = Entry(ReplayKind::Screen);
    e.x = int32_t(std::min<UINT>(params.BackBufferWidth, 1u << 16));
    e.y = int32_t(std::min<UINT>(params.BackBufferHeight, 1u << 16));
    e.value = uint32_t(params.BackBufferFormat);
    e.down = params.Windowed != FALSE;
    Write(e);
}

void Recorder::Presented(Device9Impl* device) {
    m_pLastDevice = device;
    ++m_nFrames;
    ReplayEntry e = Entry(ReplayKind::Frame);
    if (IsCheckpoint(m_nFrames)) {
        e.kind = ReplayKind::Checkpoint;
        PictureChecksum(device, &e.checksum);
    }
    Write(e);
}

void Recorder::Finish() {
    if (!m_Writer.IsOpen()) return;
    ReplayEntry e = Entry(ReplayKind::End);
    e.value = m_nFrames;
    e.down = m_pLastDevice && PictureChecksum(m_pLastDevice, &e.checksum);
    Write(e);
    const bool ok = m_Writer.Close() && !m_bFailed;
    SessionReport("recorded " + std::to_string(m_nFrames) + " frames into " + m_strFile +
                      (ok ? "" : ", but the file could not be written whole"),
                  !ok);
}

}  // namespace vlm_platform
