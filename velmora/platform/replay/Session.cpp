// What recordings and replays share: which one runs on which thread, the clock's derived
// readings, picture checksums, controllers as the file keeps them, the report, and the
// functions the application starts and ends a session with.
#include <velmora/platform/replay/Replay.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <velmora/platform/d3d9/detail/Device9Impl.h>
#include <velmora/platform/dinput8/detail/Controllers.h>
#include <velmora/platform/replay/detail/Recorder.h>
#include <velmora/platform/replay/detail/Replayer.h>
#include <velmora/platform/replay/detail/Session.h>
#include <velmora/platform/win32/detail/WindowObject.h>

namespace vlm_platform {

namespace {

thread_local Session* t_session = nullptr;
std::atomic<Session*> g_session{nullptr};
VLM_SESSIONREPORT g_report = nullptr;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.
int64_t DaysFromDate(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yearOfEra = unsigned(y - era * 400);
    const unsigned dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + int64_t(dayOfEra) - 719468;
}

void DateFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned dayOfEra = unsigned(z - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    *d = dayOfYear - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = int64_t(yearOfEra) + era * 400 + (*m <= 2);
}

}  // namespace

Session* SessionHere() { return t_session; }
Session* CurrentSession() { return g_session.load(std::memory_order_acquire); }

void Session::LocalTime(SYSTEMTIME* time) const {
    // The start's local time and the clock's time since: the same in a replay, wherever it runs.
    const SYSTEMTIME& s = m_StartTime;
    const int64_t days = DaysFromDate(s.wYear, s.wMonth, s.wDay);
    int64_t ms = (((days * 24 + s.wHour) * 60 + s.wMinute) * 60 + s.wSecond) * 1000 + s.wMilliseconds;
    ms += DWORD(m_dwLastClock - m_dwStartClock);
    const int64_t day = ms / 86400000, inDay = ms % 86400000;
    int64_t year = 0;
    unsigned month = 1, date = 1;
    DateFromDays(day, &year, &month, &date);
    time->wYear = WORD(year);
    time->wMonth = WORD(month);
    time->wDay = WORD(date);
    time->wDayOfWeek = WORD(((day % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    time->wHour = WORD(inDay / 3600000);
    time->wMinute = WORD(inDay / 60000 % 60);
    time->wSecond = WORD(inDay / 1000 % 60);
    time->wMilliseconds = WORD(inDay % 1000);
}

bool Session::PictureChecksum(Device9Impl* device, uint64_t* checksum) {
    *checksum = 0;
    INT pitch = 0;
    if (!device || !device->Renderer().ReadBackBuffer(&m_Picture, &pitch)) return false;
    const D3DPRESENT_PARAMETERS& p = device->Parameters();
    *checksum =
        velmora::ReplayPictureChecksum(m_Picture.data(), m_Picture.size(), p.BackBufferWidth, p.BackBufferHeight);
    return true;
}

void SessionReport(const std::string& line, bool problem) {
    std::fprintf(stderr, "velmora: %s\n", line.c_str());
    if (g_report) g_report(line.c_str(), problem ? TRUE : FALSE);
}

velmora::ReplayPad RecordedPad(const Controller& c) {
    velmora::ReplayPad pad;
    std::memcpy(pad.instance, &c.instance, 16);
    std::memcpy(pad.product, &c.product, 16);
    std::memcpy(pad.sdlGuid, c.sdlGuid, 16);
    pad.ordinal = uint32_t(c.ordinal) < velmora::kReplayMaxPads ? uint32_t(c.ordinal) : 0;
    pad.name = c.name.substr(0, velmora::kReplayMaxName);
    pad.gamepad = c.gamepad;
    pad.axes = uint8_t(c.axes), pad.povs = uint8_t(c.povs), pad.buttons = uint8_t(c.buttons);
    for (int i = 0; i < c.axes; ++i) pad.axis[i] = c.axis[i] < -1 ? -1 : c.axis[i] > 1 ? 1 : c.axis[i];
    for (int i = 0; i < c.povs; ++i) pad.pov[i] = c.pov[i];
    std::memcpy(pad.button, c.button, size_t(c.buttons));
    return pad;
}

Controller ReplayedController(const velmora::ReplayPad& pad) {
    Controller c;
    std::memcpy(&c.instance, pad.instance, 16);
    std::memcpy(&c.product, pad.product, 16);
    std::memcpy(c.sdlGuid, pad.sdlGuid, 16);
    c.ordinal = int(pad.ordinal);
    c.name = pad.name;
    c.gamepad = pad.gamepad;
    c.axes = pad.axes, c.povs = pad.povs, c.buttons = pad.buttons;
    std::fill(std::begin(c.pov), std::end(c.pov), 0xFFFFFFFF);
    for (int i = 0; i < c.axes; ++i) c.axis[i] = pad.axis[i];
    for (int i = 0; i < c.povs; ++i) c.pov[i] = pad.pov[i];
    std::memcpy(c.button, pad.button, pad.buttons);
    return c;
}

void ProgramIdentity(std::string* name, uint64_t* size, uint32_t* crc) {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    *size = 0, *crc = 0;
    if (n <= 0) {
        name->clear();
        return;
    }
    path[n] = '\0';
    const char* slash = std::strrchr(path, '/');
    *name = slash ? slash + 1 : path;
    velmora::ReplayFileCrc(path, size, crc);
}

namespace {

struct Request {
    bool replay = false;
    bool fast = false;
    std::string file;
};

std::unique_ptr<Request>& Requested() {
    static std::unique_ptr<Request> request;
    return request;
}

std::unique_ptr<Session>& Running() {
    static std::unique_ptr<Session> session;
    return session;
}

bool EnvironmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value && std::strcmp(value, "0") != 0;
}

// The environment's request, once a process: a game started again in the same process does not
// record over its own recording.
std::unique_ptr<Request> FromEnvironment() {
    static bool taken = false;
    if (taken) return nullptr;
    taken = true;
    const char* replay = std::getenv("VELMORA_REPLAY");
    const char* record = std::getenv("VELMORA_RECORD");
    auto request = std::make_unique<Request>();
    if (replay && *replay) {
        request->replay = true;
        request->fast = EnvironmentSet("VELMORA_REPLAY_FAST");
        request->file = replay;
        if (record && *record)
            SessionReport("VELMORA_REPLAY and VELMORA_RECORD both set: replaying, not recording", true);
        return request;
    }
    if (!record || !*record) return nullptr;
    request->file = record;
    return request;
}

}  // namespace

}  // namespace vlm_platform

using namespace vlm_platform;

BOOL vlm_RecordNextSession(const char* file) {
    if (!file || !*file) return FALSE;
    Requested() = std::make_unique<Request>(Request{false, false, file});
    return TRUE;
}

BOOL vlm_ReplayNextSession(const char* file, BOOL fast) {
    if (!file || !*file) return FALSE;
    Requested() = std::make_unique<Request>(Request{true, fast != FALSE, file});
    return TRUE;
}

BOOL vlm_BeginSession(const char* gameName, char* why, size_t whySize) {
    if (why && whySize) *why = '\0';
    vlm_EndSession();  // one at a time
    std::unique_ptr<Request> request = std::move(Requested());
    if (!request) request = FromEnvironment();
    if (!request) return TRUE;
    std::string error;
    std::unique_ptr<Session> session;
    ForgetPointer();
    const std::string game = gameName ? gameName : "";
    if (request->replay) {
        auto replayer = std::make_unique<Replayer>();
        if (replayer->Start(request->file, game, request->fast, &error)) session = std::move(replayer);
    } else {
        auto recorder = std::make_unique<Recorder>();
        if (recorder->Start(request->file, game, &error))
            session = std::move(recorder);
        else
            error = "cannot record the session: " + error;
    }
    if (!session) {
        SessionReport(error, true);
        if (why && whySize) std::snprintf(why, whySize, "%s", error.c_str());
        return FALSE;
    }
    t_session = session.get();
    g_session.store(session.get(), std::memory_order_release);
    Running() = std::move(session);
    return TRUE;
}

void vlm_EndSession() {
    std::unique_ptr<Session>& running = Running();
    if (!running) return;
    // Off the hooks first: what Finish does (reading the picture back) is no part of the session.
    t_session = nullptr;
    running->Finish();
    g_session.store(nullptr, std::memory_order_release);
    running.reset();
}

BOOL vlm_IsRecording() { return Running() && !Running()->Replaying() ? TRUE : FALSE; }
BOOL vlm_IsReplaying() { return Running() && Running()->Replaying() ? TRUE : FALSE; }
void vlm_SetSessionReport(VLM_SESSIONREPORT report) { g_report = report; }
