// The replay: each hooked call takes the next point of the recording, which must be of its
// kind; the notes on the way are compared (files, the screen) or done again (the quit).
#include <velmora/platform/replay/detail/Replayer.h>

#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include <velmora/platform/dinput8/detail/Controllers.h>
#include <velmora/platform/win32/MessageQueue.h>
#include <velmora/platform/win32/detail/EventPump.h>
#include <velmora/platform/win32/detail/WindowObject.h>

#ifndef VELMORA_VERSION_TEXT
#define VELMORA_VERSION_TEXT "unknown"
#endif

namespace vlm_platform {

using velmora::ReplayEntry;
using velmora::ReplayKind;

namespace {

ReplayOutcome& StoredOutcome() {
    static ReplayOutcome outcome;
    return outcome;
}

int64_t Nanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::string Hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIx64, v);
    return text;
}

uint32_t SdlWindowOf(uint32_t number) {
    HWND hwnd = WindowNumbered(number);
    return hwnd ? hwnd->sdlId : 0;
}

// What the game did, in words, for a replay that went another way.
std::string Doing(ReplayKind kind) {
    switch (kind) {
        case ReplayKind::Clock: return "read the clock";
        case ReplayKind::Counter: return "read the performance counter";
        case ReplayKind::PumpIdle:
        case ReplayKind::Pump: return "looked at the events";
        case ReplayKind::Wait: return "waited for the next frame";
        case ReplayKind::Frame:
        case ReplayKind::Checkpoint: return "presented a frame";
        case ReplayKind::Sync: return "looked for controllers";
        case ReplayKind::Seed: return "seeded the random numbers";
        case ReplayKind::Rumble: return "asked a pad to rumble";
        case ReplayKind::Sound: return "asked for the sound device";
        default: return std::string("has ") + velmora::ReplayKindName(kind);
    }
}

}  // namespace

const ReplayOutcome& LastReplayOutcome() { return StoredOutcome(); }

Replayer::~Replayer() {
    if (m_Outcome.ran) UseReplayedControllers(false);
}

bool Replayer::Start(const std::string& file, const std::string& gameName, bool fast, std::string* error) {
    StoredOutcome() = ReplayOutcome();
    std::string why;
    if (!m_Reader.Open(file, &why)) {
        *error = "cannot replay " + file + ": " + why;
        return false;
    }
    const velmora::ReplayHeader& h = m_Reader.Header();
    if (h.engineVersion != VELMORA_VERSION_TEXT) {
        *error = "cannot replay " + file + ": it was recorded on Velmora " + h.engineVersion + ", this is Velmora " +
                 VELMORA_VERSION_TEXT + " (record the session again)";
        return false;
    }
    if (h.gameName != gameName) {
        *error = "cannot replay " + file + ": it is a recording of \"" + h.gameName + "\", not of \"" + gameName + "\"";
        return false;
    }
    m_strFile = file;
    m_bFast = fast;
    m_Outcome.ran = true;
    m_dwStartClock = m_dwLastClock = h.clockStart;
    m_nLastCounter = h.counterStart;
    m_nCheckpointEvery = h.checkpointEvery;
    // The start's local time, in the ranges a SYSTEMTIME has.
    auto part = [&h](int i, int low, int high) {
        return WORD(h.startTime[i] < low || h.startTime[i] > high ? low : h.startTime[i]);
    };
    m_StartTime = SYSTEMTIME{part(0, 1601, 30827), part(1, 1, 12), part(2, 0, 6),  part(3, 1, 31),
                             part(4, 0, 23),       part(5, 0, 59), part(6, 0, 59), part(7, 0, 999)};
    SetRandState(h.randState);
    UseReplayedControllers(true);
    while (Peek() && m_Next.kind == ReplayKind::Slot) {
        PutReplayedController(m_Next.slot, ReplayedController(m_Next.pad), m_Next.down, false);
        m_bHaveNext = false;
    }
    char started[64];
    std::snprintf(started, sizeof started, "%04u-%02u-%02u %02u:%02u", m_StartTime.wYear, m_StartTime.wMonth,
                  m_StartTime.wDay, m_StartTime.wHour, m_StartTime.wMinute);
    Report("replaying " + file + " (\"" + h.gameName + "\", recorded " + started + " by " + h.programName + ")" +
               (fast ? ", as fast as it goes" : ", at its pace"),
           false);
    std::string program;
    uint64_t size = 0;
    uint32_t crc = 0;
    ProgramIdentity(&program, &size, &crc);
    if (program != h.programName || size != h.programSize || crc != h.programCrc) {
        m_Outcome.programChanged = true;
        Report(program != h.programName
                   ? "the game's program is " + program + ", not " + h.programName + ", which recorded"
                   : "the game's program " + program + " has changed since the recording (" +
                         std::to_string(h.programSize) + " bytes then, " + std::to_string(size) + " now)",
               true);
    }
    return true;
}

void Replayer::Report(const std::string& line, bool problem) {
    m_Outcome.report.push_back(line);
    SessionReport(line, problem);
}

bool Replayer::Peek() {
    if (!m_bHaveNext) m_bHaveNext = m_Reader.Next(&m_Next);
    return m_bHaveNext;
}

void Replayer::Over(const std::string& why, bool problem) {
    if (m_bOver) return;
    m_bOver = true;
    Report(why, problem);
    PostQuitMessage(0);
}

bool Replayer::TakePoint(ReplayKind a, ReplayKind b, ReplayEntry* point) {
    while (!m_bOver) {
        if (!Peek()) {
            if (!m_Reader.Error().empty()) {
                m_Outcome.damaged = true;
                Over("the recording is damaged after frame " + std::to_string(m_Outcome.frames) + " (" +
                         m_Reader.Error() + "): the replay stops",
                     true);
            } else {
                m_Outcome.reachedEnd = true;
                m_Outcome.recordedFrames = m_Outcome.frames;
                Over(std::string("the recording ends at frame ") + std::to_string(m_Outcome.frames) +
                         (m_Reader.Truncated() ? ", cut short (its program ended without closing it)" : ""),
                     false);
            }
            return false;
        }
        const ReplayKind kind = m_Next.kind;
        if (kind == ReplayKind::End) {
            // The game goes on where the recorded one had ended.
            m_Outcome.reachedEnd = true;
            m_Outcome.recordedFrames = m_Next.value;
            Over("the recording ends at frame " + std::to_string(m_Next.value) + ", where the game goes on", false);
            return false;
        }
        if (!velmora::IsReplayPoint(kind) && !velmora::IsReplayEvent(kind)) {
            const ReplayEntry note = m_Next;
            m_bHaveNext = false;
            TakeNote(note);
            continue;
        }
        if (kind == a || kind == b) {
            *point = m_Next;
            point->count = 1;
            // One of a run: the rest waits for the next asks.
            if (m_Next.count > 1)
                --m_Next.count;
            else
                m_bHaveNext = false;
            return true;
        }
        m_Outcome.diverged = true;
        Over("at frame " + std::to_string(m_Outcome.frames + 1) + " the game went another way than the recording: it " +
                 Doing(a) + " where the recording " + (velmora::IsReplayPoint(kind) ? Doing(kind) : "has an event") +
                 "; the replay stops",
             true);
    }
    return false;
}

void Replayer::TakeNote(const ReplayEntry& note) {
    switch (note.kind) {
        case ReplayKind::Quit: PostQuitMessage(int(note.value)); break;
        case ReplayKind::File: {
            if (m_ChangedFiles.count(note.text)) break;
            struct stat st {};
            std::string change;
            if (stat(note.text.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
                change = "is gone";
            } else if (uint64_t(st.st_size) != note.size) {
                change = "has " + std::to_string(st.st_size) + " bytes, not " + std::to_string(note.size);
            } else if (int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec != note.modified) {
                // Touched or copied since: only its bytes tell.
                uint64_t size = 0;
                uint32_t crc = 0;
                if (!velmora::ReplayFileCrc(note.text, &size, &crc) || size != note.size || crc != note.crc)
                    change = "has other bytes";
            }
            if (change.empty()) break;
            m_ChangedFiles.insert(note.text);
            m_Outcome.changedFiles.push_back(note.text);
            Report("the file " + note.text + " changed since the recording: it " + change +
                       "; the replay may go another way",
                   true);
            break;
        }
        case ReplayKind::Screen:
            if (m_bHaveScreen &&
                (m_Screen.BackBufferWidth != UINT(note.x) || m_Screen.BackBufferHeight != UINT(note.y) ||
                 (m_Screen.Windowed != FALSE) != note.down))
                Report("the recording's screen was " + std::to_string(note.x) + " x " + std::to_string(note.y) +
                           (note.down ? " in a window" : " full screen") + "; this one is " +
                           std::to_string(m_Screen.BackBufferWidth) + " x " + std::to_string(m_Screen.BackBufferHeight),
                       true);
            break;
        default: break;  // a slot after the start: nothing to do
    }
}

void Replayer::Apply(const ReplayEntry& r) {
    SDL_Event e{};
    switch (r.kind) {
        case ReplayKind::Key:
            e.type = r.down ? SDL_KEYDOWN : SDL_KEYUP;
            e.key.windowID = SdlWindowOf(r.window);
            e.key.state = r.down ? SDL_PRESSED : SDL_RELEASED;
            e.key.repeat = r.repeat ? 1 : 0;
            e.key.keysym.scancode = SDL_Scancode(r.scancode);
            e.key.keysym.mod = r.mod;
            break;
        case ReplayKind::Motion:
            e.type = SDL_MOUSEMOTION;
            e.motion.windowID = SdlWindowOf(r.window);
            e.motion.x = r.x, e.motion.y = r.y;
            e.motion.xrel = r.dx, e.motion.yrel = r.dy;
            break;
        case ReplayKind::Button:
            e.type = r.down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            e.button.windowID = SdlWindowOf(r.window);
            e.button.button = r.button;
            e.button.state = r.down ? SDL_PRESSED : SDL_RELEASED;
            e.button.clicks = 1;
            e.button.x = r.x, e.button.y = r.y;
            break;
        case ReplayKind::Wheel:
            e.type = SDL_MOUSEWHEEL;
            e.wheel.windowID = SdlWindowOf(r.window);
            e.wheel.y = r.y;
            e.wheel.direction = r.down ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
            break;
        case ReplayKind::Window: {
            static const Uint8 kEvents[] = {0,
                                            SDL_WINDOWEVENT_FOCUS_GAINED,
                                            SDL_WINDOWEVENT_FOCUS_LOST,
                                            SDL_WINDOWEVENT_MINIMIZED,
                                            SDL_WINDOWEVENT_RESTORED,
                                            SDL_WINDOWEVENT_CLOSE,
                                            SDL_WINDOWEVENT_MOVED,
                                            SDL_WINDOWEVENT_RESIZED};
            e.type = SDL_WINDOWEVENT;
            e.window.windowID = SdlWindowOf(r.window);
            e.window.event = kEvents[r.value];
            e.window.data1 = r.x, e.window.data2 = r.y;
            break;
        }
        case ReplayKind::QuitRequest: e.type = SDL_QUIT; break;
        case ReplayKind::Other: e.type = SDL_USEREVENT; break;
        case ReplayKind::PadAttach: PutReplayedController(r.slot, ReplayedController(r.pad), true, true); return;
        case ReplayKind::PadDetach: ReplayControllerChange(r.slot, ControllerChange::Detached, 0, 0, 0); return;
        case ReplayKind::PadAxis:
            ReplayControllerChange(r.slot, ControllerChange::Axis, int(r.index), r.axis, 0);
            return;
        case ReplayKind::PadButton:
            ReplayControllerChange(r.slot, ControllerChange::Button, int(r.index), 0, r.value);
            return;
        case ReplayKind::PadPov:
            ReplayControllerChange(r.slot, ControllerChange::Pov, int(r.index), 0, r.value);
            return;
        default: return;
    }
    DeliverEvent(e, true);
}

void Replayer::DrainLive() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        bool quit = e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE);
        if (e.type == SDL_KEYDOWN && (e.key.keysym.mod & KMOD_ALT)) {
            const SDL_Scancode key = e.key.keysym.scancode;
            quit = key == SDL_SCANCODE_F4 || key == SDL_SCANCODE_F2 || key == SDL_SCANCODE_Q;
        }
        if (!quit || m_bOver) continue;
        m_Outcome.stoppedByPlayer = true;
        Over("the replay was stopped at frame " + std::to_string(m_Outcome.frames), false);
    }
}

void Replayer::Pace(DWORD clock) {
    if (m_bFast) return;
    int64_t now = Nanoseconds();
    if (!m_bPaceStarted) {
        m_bPaceStarted = true;
        m_nPaceStart = now;
        m_dwPaceLast = clock;
        return;
    }
    const int32_t step = int32_t(clock - m_dwPaceLast);
    m_dwPaceLast = clock;
    if (step > 0) m_nPaced += step;
    const int64_t due = m_nPaceStart + m_nPaced * 1000000;
    // In slices, so that the quit keys and the close box answer during a long pause.
    while (now < due && !m_bOver) {
        const int64_t slice = std::min<int64_t>(due - now, 20000000);
        timespec ts{time_t(slice / 1000000000), long(slice % 1000000000)};
        nanosleep(&ts, nullptr);
        DrainLive();
        now = Nanoseconds();
    }
}

DWORD Replayer::Clock(bool) {
    ReplayEntry p;
    // Once over, the clock runs on by a millisecond a reading: whatever waits for time sees it pass.
    if (!TakePoint(ReplayKind::Clock, ReplayKind::Clock, &p)) return ++m_dwLastClock;
    Pace(p.clock);
    m_dwLastClock = p.clock;
    return p.clock;
}

LONGLONG Replayer::Counter() {
    ReplayEntry p;
    if (!TakePoint(ReplayKind::Counter, ReplayKind::Counter, &p)) return m_nLastCounter += 1000000;
    return m_nLastCounter = p.counter;
}

void Replayer::Sleep(DWORD) {}  // the recorded clock has the time slept in it

BOOL Replayer::WaitUntil(DWORD) {
    ReplayEntry p;
    if (!TakePoint(ReplayKind::Wait, ReplayKind::Wait, &p)) return FALSE;
    return p.value ? TRUE : FALSE;
}

void Replayer::WaitForMessage() {
    ThreadQueue& q = Queue();
    PumpEvents();
    while (q.messages.empty() && !q.quitPosted) {
        if (m_bOver) {
            PostQuitMessage(0);  // nothing more will come
            break;
        }
        PumpEvents();
    }
}

void Replayer::Pump() {
    DrainLive();
    ReplayEntry p;
    if (!TakePoint(ReplayKind::Pump, ReplayKind::PumpIdle, &p) || p.kind == ReplayKind::PumpIdle) return;
    // Its events; what they make the engine do (a message's time read) comes between them.
    while (!m_bOver && Peek() && velmora::IsReplayEvent(m_Next.kind)) {
        const ReplayEntry event = m_Next;
        m_bHaveNext = false;
        Apply(event);
    }
}

void Replayer::SyncControllers() {
    // Recorded only when it found something, right after its look at the events.
    if (m_bOver || !Peek() || m_Next.kind != ReplayKind::Sync) return;
    m_bHaveNext = false;
    while (!m_bOver && Peek() && velmora::IsReplayEvent(m_Next.kind)) {
        const ReplayEntry event = m_Next;
        m_bHaveNext = false;
        Apply(event);
    }
}

bool Replayer::Rumble(size_t, WORD, WORD, DWORD) {
    ReplayEntry p;
    return TakePoint(ReplayKind::Rumble, ReplayKind::Rumble, &p) && p.value;
}

bool Replayer::SoundDevice(bool opened) {
    ReplayEntry p;
    return TakePoint(ReplayKind::Sound, ReplayKind::Sound, &p) ? p.value != 0 : opened;
}

unsigned Replayer::Seed(unsigned seed) {
    ReplayEntry p;
    return TakePoint(ReplayKind::Seed, ReplayKind::Seed, &p) ? p.value : seed;
}

void Replayer::ScreenSet(const D3DPRESENT_PARAMETERS& params) {
    m_Screen = params;
    m_bHaveScreen = true;
}

void Replayer::Presented(Device9Impl* device) {
    m_pLastDevice = device;
    ReplayEntry p;
    if (!TakePoint(ReplayKind::Frame, ReplayKind::Checkpoint, &p)) return;
    const uint32_t frame = ++m_Outcome.frames;
    if (p.kind != ReplayKind::Checkpoint) return;
    uint64_t checksum = 0;
    PictureChecksum(device, &checksum);
    ++m_Outcome.checkpoints;
    if (checksum == p.checksum) {
        ++m_Outcome.matched;
        return;
    }
    if (m_Outcome.firstDifferentFrame) return;
    m_Outcome.firstDifferentFrame = frame;
    m_Outcome.recordedChecksum = p.checksum;
    m_Outcome.replayedChecksum = checksum;
    Report("frame " + std::to_string(frame) + " differs from the recording: checksum " + Hex(p.checksum) +
               " recorded, " + Hex(checksum) + " replayed",
           true);
}

void Replayer::Finish() {
    if (!m_Outcome.ran) return;
    if (!m_bOver) {
        // The game has ended: the notes up to the recording's end, which says how it ended.
        while (Peek() && !velmora::IsReplayPoint(m_Next.kind) && !velmora::IsReplayEvent(m_Next.kind) &&
               m_Next.kind != ReplayKind::End) {
            const ReplayEntry note = m_Next;
            m_bHaveNext = false;
            TakeNote(note);
        }
        if (Peek() && m_Next.kind == ReplayKind::End) {
            m_Outcome.reachedEnd = true;
            m_Outcome.recordedFrames = m_Next.value;
            uint64_t checksum = 0;
            if (m_Next.down && m_pLastDevice && PictureChecksum(m_pLastDevice, &checksum)) {
                m_Outcome.finalPictureCompared = true;
                m_Outcome.finalPictureMatched = checksum == m_Next.checksum;
            }
        } else if (m_bHaveNext) {
            Report("the game ended at frame " + std::to_string(m_Outcome.frames) + ", before the recording's end",
                   true);
        } else if (!m_Reader.Error().empty()) {
            m_Outcome.damaged = true;
            Report("the recording is damaged after frame " + std::to_string(m_Outcome.frames) + " (" +
                       m_Reader.Error() + ")",
                   true);
        } else {
            m_Outcome.reachedEnd = true;
            m_Outcome.recordedFrames = m_Outcome.frames;
        }
        m_bOver = true;
    }
    std::string summary = "replay of " + m_strFile + ": " + std::to_string(m_Outcome.frames) + " frames replayed";
    if (m_Outcome.reachedEnd) summary += " of " + std::to_string(m_Outcome.recordedFrames) + " recorded";
    summary += ", " + std::to_string(m_Outcome.matched) + " of " + std::to_string(m_Outcome.checkpoints) +
               " checkpoints matched";
    if (m_Outcome.finalPictureCompared)
        summary += m_Outcome.finalPictureMatched ? ", the last picture the same" : ", the last picture differs";
    if (m_Outcome.firstDifferentFrame)
        summary += "; first difference at frame " + std::to_string(m_Outcome.firstDifferentFrame) + " (checksum " +
                   Hex(m_Outcome.recordedChecksum) + " recorded, " + Hex(m_Outcome.replayedChecksum) + " replayed)";
    const bool same = m_Outcome.reachedEnd && !m_Outcome.diverged && !m_Outcome.damaged &&
                      m_Outcome.matched == m_Outcome.checkpoints && m_Outcome.frames == m_Outcome.recordedFrames &&
                      (!m_Outcome.finalPictureCompared || m_Outcome.finalPictureMatched);
    Report(summary, !same);
    UseReplayedControllers(false);
    StoredOutcome() = m_Outcome;
    m_Outcome.ran = false;
}

}  // namespace vlm_platform
