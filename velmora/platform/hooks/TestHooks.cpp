// The platform layer's hooks for the testing component: manual clock, dialog capture, local
// time, event injection, device conditions, the manual audio clock.
#include <velmora/platform/hooks/detail/TestHooks.h>

#include <SDL.h>

#include <algorithm>

#include <velmora/platform/d3d9/detail/Device9Impl.h>
#include <velmora/platform/d3d9/detail/DeviceConditions.h>

#include <velmora/platform/dinput8/detail/Device.h>
#include <velmora/platform/dsound/DirectSound8.h>
#include <velmora/platform/dsound/detail/Mixer.h>
#include <velmora/platform/win32/detail/Clock.h>
#include <velmora/platform/win32/detail/DialogCapture.h>
#include <velmora/platform/win32/detail/EventPump.h>
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

void ResetGraphicsConditions() {
    unsigned resets = vlm_platform::Conditions().resets;
    vlm_platform::Conditions() = vlm_platform::DeviceConditions{};
    vlm_platform::Conditions().resets = resets;
}

int CountInputDevices() { return static_cast<int>(vlm_platform::LiveDeviceCount()); }

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
