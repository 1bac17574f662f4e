// The platform layer's hooks for the testing component: manual clock, dialog capture, local
// time, event injection, device conditions, the manual audio clock.
#include <velmora/platform/hooks/detail/TestHooks.h>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <vector>

#include <velmora/platform/d3d9/detail/Device9Impl.h>
#include <velmora/platform/d3d9/detail/DeviceConditions.h>

#include <velmora/platform/dinput8/detail/Device.h>
#include <velmora/platform/dsound/DirectSound8.h>
#include <velmora/platform/dsound/detail/Mixer.h>
#include <velmora/platform/replay/Replay.h>
#include <velmora/platform/replay/ReplayFile.h>
#include <velmora/platform/replay/detail/Replayer.h>
#include <velmora/platform/win32/detail/Clock.h>
#include <velmora/platform/win32/detail/DialogCapture.h>
#include <velmora/platform/win32/detail/EventPump.h>
#include <velmora/platform/win32/detail/ForeignAllocations.h>
#include <velmora/platform/win32/detail/KeyMap.h>
#include <velmora/platform/win32/detail/SdlVideo.h>
#include <velmora/platform/win32/detail/WindowObject.h>

namespace vlm_hooks {

using vlm_platform::Clock;

void UseManualClock(bool on) {
    Clock().manual = on;
    Clock().readsSinceTick = 0;
}
bool IsManualClock() { return Clock().manual; }
void SetClock(DWORD ms) { Clock().now = ms; }
void AdvanceClock(DWORD ms) { Clock().now += ms; }
DWORD GetClock() { return Clock().now; }
void SetClockTickEveryReads(unsigned reads) {
    Clock().tickEveryReads = reads;
    Clock().readsSinceTick = 0;
}
unsigned GetSleepCalls() { return Clock().sleepCalls; }
DWORD GetSleptMilliseconds() { return Clock().sleptMs; }
void ResetSleepCount() {
    Clock().sleepCalls = 0;
    Clock().sleptMs = 0;
}

void InjectAt(DWORD when, std::function<void()> action) {
    auto& list = Clock().scheduled;
    // Keep order of time, and of scheduling among equal times.
    DWORD now = Clock().now;
    auto later = std::find_if(list.begin(), list.end(), [&](const vlm_platform::ScheduledInjection& s) {
        return static_cast<int32_t>((s.when - now) - (when - now)) > 0;
    });
    list.insert(later, vlm_platform::ScheduledInjection{when, std::move(action)});
}

void ClearScheduledInjections() { Clock().scheduled.clear(); }

void CaptureMessageBoxes(bool on) { vlm_platform::Dialogs().captureBoxes = on; }

std::vector<CapturedMessageBox> TakeMessageBoxes() {
    std::vector<CapturedMessageBox> out;
    for (auto& box : vlm_platform::Dialogs().boxes) out.push_back({box.text, box.caption, box.type});
    vlm_platform::Dialogs().boxes.clear();
    return out;
}

void CaptureDebugOutput(bool on) { vlm_platform::Dialogs().captureDebug = on; }

std::string TakeDebugOutput() {
    std::string out;
    out.swap(vlm_platform::Dialogs().debugText);
    return out;
}

void SetLocalTimeOverride(const SYSTEMTIME* time) {
    Clock().localTimeOverridden = time != nullptr;
    if (time) Clock().localTime = *time;
}

namespace {

void Push(SDL_Event& e) {
    if (!vlm_platform::EnsureVideo()) return;
    e.common.timestamp = SDL_GetTicks();
    SDL_PushEvent(&e);
}

void PushWindowEvent(HWND hwnd, SDL_WindowEventID id) {
    if (!vlm_platform::IsLiveWindow(hwnd)) return;
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = static_cast<Uint8>(id);
    e.window.windowID = hwnd->sdlId;
    Push(e);
}

uint32_t WindowIdOf(HWND hwnd) { return vlm_platform::IsLiveWindow(hwnd) ? hwnd->sdlId : 0; }

// Where the injected pointer is: buttons are pressed there.
int g_pointerX = 0;
int g_pointerY = 0;

}  // namespace

void InjectKey(int virtualKey, bool down, bool alt) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    HWND target = vlm_platform::KeyboardWindow();
    e.key.windowID = WindowIdOf(target);
    e.key.keysym.scancode = static_cast<SDL_Scancode>(vlm_platform::ScancodeFromVirtualKey(virtualKey));
    e.key.keysym.sym = SDL_GetKeyFromScancode(e.key.keysym.scancode);
    e.key.keysym.mod = alt ? KMOD_LALT : KMOD_NONE;
    Push(e);
}

void InjectFocus(HWND hwnd, bool gained) {
    PushWindowEvent(hwnd, gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}
void InjectMinimize(HWND hwnd) { PushWindowEvent(hwnd, SDL_WINDOWEVENT_MINIMIZED); }
void InjectRestore(HWND hwnd) { PushWindowEvent(hwnd, SDL_WINDOWEVENT_RESTORED); }
void InjectClose(HWND hwnd) { PushWindowEvent(hwnd, SDL_WINDOWEVENT_CLOSE); }

void InjectQuit() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    Push(e);
}

void InjectMouseMove(HWND hwnd, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = WindowIdOf(hwnd);
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = x - g_pointerX;
    e.motion.yrel = y - g_pointerY;
    g_pointerX = x;
    g_pointerY = y;
    Push(e);
}

void InjectMouseButton(HWND hwnd, int button, bool down) {
    static const Uint8 kButtons[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1};
    if (button < 0 || button > 3) return;
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = WindowIdOf(hwnd);
    e.button.button = kButtons[button];
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = g_pointerX;
    e.button.y = g_pointerY;
    Push(e);
}

void InjectMouseWheel(HWND hwnd, int delta) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = WindowIdOf(hwnd);
    e.wheel.y = delta;
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    Push(e);
}

void FlushEvents() {
    if (vlm_platform::EnsureVideo()) SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    vlm_platform::Queue().messages.clear();
    vlm_platform::Queue().quitPosted = false;
}

void ForceDeviceLost() {
    vlm_platform::Conditions().lost = true;
    vlm_platform::Conditions().resettable = false;
}

void AllowDeviceReset() {
    if (vlm_platform::Conditions().lost) vlm_platform::Conditions().resettable = true;
}

bool IsDeviceLost() { return vlm_platform::Conditions().lost; }

unsigned GetDeviceResetCount() { return vlm_platform::Conditions().resets; }

void SetMultisampleSupport(bool windowed, bool fullScreen) {
    vlm_platform::Conditions().multisampleWindowed = windowed;
    vlm_platform::Conditions().multisampleFullScreen = fullScreen;
}

void SetSixteenBitModeFormat(DWORD d3dFormat) {
    vlm_platform::Conditions().sixteenBitFormat = static_cast<D3DFORMAT>(d3dFormat);
}

void AllowFlatBackBuffers(bool allow) { vlm_platform::Conditions().flatBackBuffers = allow; }

void SetMaxTextureSize(UINT size) { vlm_platform::Conditions().maxTextureSize = size; }

bool IsBackBufferFlat(IDirect3DDevice9* device) {
    if (!device) return false;
    auto* impl = static_cast<vlm_platform::Device9Impl*>(device);
    impl->Flush();  // draws still being collected decide it too
    return impl->Renderer().IsFlat();
}

unsigned GetDeviceDrawBatches(IDirect3DDevice9* device) {
    if (!device) return 0;
    auto* impl = static_cast<vlm_platform::Device9Impl*>(device);
    impl->Flush();
    return static_cast<unsigned>(impl->Renderer().DrawCount());
}

UINT GetPresentationInterval(IDirect3DDevice9* device) {
    return device ? static_cast<vlm_platform::Device9Impl*>(device)->Parameters().PresentationInterval : 0;
}

void ResetGraphicsConditions() {
    unsigned resets = vlm_platform::Conditions().resets;
    vlm_platform::Conditions() = vlm_platform::DeviceConditions{};
    vlm_platform::Conditions().resets = resets;
}

int CountInputDevices() { return static_cast<int>(vlm_platform::LiveDeviceCount()); }

namespace {

// A pad made of one of SDL's virtual joysticks, a game controller to SDL.
struct VirtualPad {
    SDL_JoystickID id = -1;
    SDL_Joystick* joystick = nullptr;
    float low = 0, high = 0;  // the last rumble started
    int rumbles = 0;
};

std::vector<std::unique_ptr<VirtualPad>>& Pads() {
    static std::vector<std::unique_ptr<VirtualPad>> pads;
    return pads;
}

VirtualPad* PadAt(int pad) {
    auto& pads = Pads();
    return pad >= 0 && size_t(pad) < pads.size() ? pads[size_t(pad)].get() : nullptr;
}

int SDLCALL RumblePad(void* user, Uint16 low, Uint16 high) {
    auto* pad = static_cast<VirtualPad*>(user);
    if (low || high) {
        pad->low = low / 65535.0f;
        pad->high = high / 65535.0f;
        ++pad->rumbles;
    }
    return 0;
}

// The testing component's button numbers: the engine's PAD_BUTTON_* order.
constexpr SDL_GameControllerButton kPadButtons[] = {SDL_CONTROLLER_BUTTON_A,
                                                    SDL_CONTROLLER_BUTTON_B,
                                                    SDL_CONTROLLER_BUTTON_X,
                                                    SDL_CONTROLLER_BUTTON_Y,
                                                    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                                                    SDL_CONTROLLER_BUTTON_BACK,
                                                    SDL_CONTROLLER_BUTTON_START,
                                                    SDL_CONTROLLER_BUTTON_LEFTSTICK,
                                                    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
                                                    SDL_CONTROLLER_BUTTON_GUIDE,
                                                    SDL_CONTROLLER_BUTTON_DPAD_UP,
                                                    SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                                                    SDL_CONTROLLER_BUTTON_DPAD_LEFT,
                                                    SDL_CONTROLLER_BUTTON_DPAD_RIGHT};

}  // namespace

int AttachPad() {
    if (!vlm_platform::EnsureVideo() || !vlm_platform::StartInputEvents()) return -1;
    auto& pads = Pads();
    size_t number = 0;
    while (number < pads.size() && pads[number]) ++number;
    if (number == pads.size()) pads.emplace_back();
    auto pad = std::make_unique<VirtualPad>();
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    // Every button and axis a game controller has, numbered as SDL numbers them: SDL maps
    // such a joystick as a game controller by itself.
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.vendor_id = 0x5656;  // "VV"
    desc.product_id = 0x0001;
    desc.name = "Velmora Virtual Pad";
    desc.userdata = pad.get();
    desc.Rumble = RumblePad;
    vlm_platform::ForeignAllocations sdl;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) return -1;
    pad->id = SDL_JoystickGetDeviceInstanceID(index);
    pad->joystick = SDL_JoystickOpen(index);
    pads[number] = std::move(pad);
    return int(number);
}

void DetachPad(int pad) {
    VirtualPad* p = PadAt(pad);
    if (!p) return;
    for (int index = 0; index < SDL_NumJoysticks(); ++index)
        if (SDL_JoystickGetDeviceInstanceID(index) == p->id) {
            SDL_JoystickDetachVirtual(index);
            break;
        }
    if (p->joystick) SDL_JoystickClose(p->joystick);
    Pads()[size_t(pad)].reset();
}

void DetachAllPads() {
    for (size_t pad = 0; pad < Pads().size(); ++pad) DetachPad(int(pad));
    Pads().clear();
}

void InjectPadButton(int pad, int button, bool down) {
    VirtualPad* p = PadAt(pad);
    if (!p || button < 0 || button >= int(std::size(kPadButtons))) return;
    SDL_JoystickSetVirtualButton(p->joystick, kPadButtons[button], down ? SDL_PRESSED : SDL_RELEASED);
    // Reported at once, so that a press and release between two looks at the events both
    // arrive, as a real pad's do.
    SDL_JoystickUpdate();
}

void InjectPadAxis(int pad, int axis, float value) {
    VirtualPad* p = PadAt(pad);
    if (!p || axis < 0 || axis >= SDL_CONTROLLER_AXIS_MAX) return;
    // Sticks from -1 to 1; triggers from 0 to 1, which SDL maps from the joystick axis's whole
    // range.
    const bool trigger = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    const float v = std::clamp(value, trigger ? 0.0f : -1.0f, 1.0f);
    const int raw = trigger ? int(std::lround(v * 65535)) - 32768 : int(std::lround(v * 32767));
    SDL_JoystickSetVirtualAxis(p->joystick, axis, Sint16(raw));
    SDL_JoystickUpdate();
}

bool GetPadRumble(int pad, float* low, float* high, int* requests) {
    VirtualPad* p = PadAt(pad);
    if (!p) return false;
    if (low) *low = p->low;
    if (high) *high = p->high;
    if (requests) *requests = p->rumbles;
    return true;
}

bool Replay(const char* file) {
    velmora::ReplayReader reader;
    if (!file || !reader.Open(file, nullptr)) return false;
    return vlm_ReplayNextSession(file, TRUE) != FALSE;
}

void LastReplay(ReplayOutcome* out) {
    const vlm_platform::ReplayOutcome& o = vlm_platform::LastReplayOutcome();
    *out = ReplayOutcome{o.ran,
                         o.reachedEnd,
                         o.diverged,
                         o.stoppedByPlayer,
                         o.damaged,
                         o.frames,
                         o.recordedFrames,
                         o.checkpoints,
                         o.matched,
                         o.firstDifferentFrame,
                         o.recordedChecksum,
                         o.replayedChecksum,
                         o.finalPictureCompared,
                         o.finalPictureMatched,
                         o.programChanged,
                         o.changedFiles,
                         o.report};
}

void UseManualAudio(bool on) { vlm_platform::Mixer::Get().UseManual(on); }
bool IsManualAudio() { return vlm_platform::Mixer::Get().IsManual(); }

void RenderAudio(float* stereoOut, unsigned frames) { vlm_RenderAudio(stereoOut, frames); }

unsigned GetAudioRate() { return vlm_platform::Mixer::Get().CurrentRate(); }
void LoseAudioDevice() { vlm_platform::Mixer::Get().LoseDevice(); }

AudioStats GetAudioStats() {
    const vlm_platform::MixStats s = vlm_platform::Mixer::Get().Stats();
    return {s.callbacks, s.frames, s.lateCallbacks, s.longestMixMs, s.lastPassVoices, s.lastPassEndNs};
}

}  // namespace vlm_hooks
