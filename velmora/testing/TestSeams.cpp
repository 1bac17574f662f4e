// The testing component: each seam forwards to the engine library's hook of the same name.
#include <velmora/testing/TestSeams.h>

#include <utility>

#include <velmora/core/detail/EngineObjects.h>
#include <velmora/platform/hooks/detail/TestHooks.h>

namespace VelmoraTest {

void UseManualClock(bool on) { vlm_hooks::UseManualClock(on); }
bool IsManualClock() { return vlm_hooks::IsManualClock(); }
void SetClock(DWORD ms) { vlm_hooks::SetClock(ms); }
void AdvanceClock(DWORD ms) { vlm_hooks::AdvanceClock(ms); }
DWORD GetClock() { return vlm_hooks::GetClock(); }
void SetClockTickEveryReads(unsigned reads) { vlm_hooks::SetClockTickEveryReads(reads); }
unsigned GetSleepCalls() { return vlm_hooks::GetSleepCalls(); }
DWORD GetSleptMilliseconds() { return vlm_hooks::GetSleptMilliseconds(); }
void ResetSleepCount() { vlm_hooks::ResetSleepCount(); }
void InjectAt(DWORD when, std::function<void()> action) { vlm_hooks::InjectAt(when, std::move(action)); }
void ClearScheduledInjections() { vlm_hooks::ClearScheduledInjections(); }
void CaptureMessageBoxes(bool on) { vlm_hooks::CaptureMessageBoxes(on); }
std::vector<CapturedMessageBox> TakeMessageBoxes() {
    std::vector<CapturedMessageBox> out;
    for (auto& box : vlm_hooks::TakeMessageBoxes()) out.push_back({box.text, box.caption, box.type});
    return out;
}
void CaptureDebugOutput(bool on) { vlm_hooks::CaptureDebugOutput(on); }
std::string TakeDebugOutput() { return vlm_hooks::TakeDebugOutput(); }
void SetEngineLog(CLog* log) { vlm_hooks::SetEngineLog(log); }
void SetLocalTimeOverride(const SYSTEMTIME* time) { vlm_hooks::SetLocalTimeOverride(time); }
void InjectKey(int virtualKey, bool down, bool alt) { vlm_hooks::InjectKey(virtualKey, down, alt); }
void InjectFocus(HWND hwnd, bool gained) { vlm_hooks::InjectFocus(hwnd, gained); }
void InjectMinimize(HWND hwnd) { vlm_hooks::InjectMinimize(hwnd); }
void InjectRestore(HWND hwnd) { vlm_hooks::InjectRestore(hwnd); }
void InjectClose(HWND hwnd) { vlm_hooks::InjectClose(hwnd); }
void InjectQuit() { vlm_hooks::InjectQuit(); }
void InjectMouseMove(HWND hwnd, int x, int y) { vlm_hooks::InjectMouseMove(hwnd, x, y); }
void InjectMouseButton(HWND hwnd, int button, bool down) { vlm_hooks::InjectMouseButton(hwnd, button, down); }
void InjectMouseWheel(HWND hwnd, int delta) { vlm_hooks::InjectMouseWheel(hwnd, delta); }
void FlushEvents() { vlm_hooks::FlushEvents(); }
void ForceDeviceLost() { vlm_hooks::ForceDeviceLost(); }
void AllowDeviceReset() { vlm_hooks::AllowDeviceReset(); }
bool IsDeviceLost() { return vlm_hooks::IsDeviceLost(); }
unsigned GetDeviceResetCount() { return vlm_hooks::GetDeviceResetCount(); }
void SetMultisampleSupport(bool windowed, bool fullScreen) { vlm_hooks::SetMultisampleSupport(windowed, fullScreen); }
void SetSixteenBitModeFormat(DWORD d3dFormat) { vlm_hooks::SetSixteenBitModeFormat(d3dFormat); }
void AllowFlatBackBuffers(bool allow) { vlm_hooks::AllowFlatBackBuffers(allow); }
void SetMaxTextureSize(UINT size) { vlm_hooks::SetMaxTextureSize(size); }
bool IsBackBufferFlat(IDirect3DDevice9* device) { return vlm_hooks::IsBackBufferFlat(device); }
unsigned GetDeviceDrawBatches(IDirect3DDevice9* device) { return vlm_hooks::GetDeviceDrawBatches(device); }
UINT GetPresentationInterval(IDirect3DDevice9* device) { return vlm_hooks::GetPresentationInterval(device); }
void ResetGraphicsConditions() { vlm_hooks::ResetGraphicsConditions(); }
int CountInputDevices() { return vlm_hooks::CountInputDevices(); }
int AttachPad() { return vlm_hooks::AttachPad(); }
void DetachPad(int pad) { vlm_hooks::DetachPad(pad); }
void DetachAllPads() { vlm_hooks::DetachAllPads(); }
void InjectPadButton(int pad, int button, bool down) { vlm_hooks::InjectPadButton(pad, button, down); }
void InjectPadAxis(int pad, int axis, float value) { vlm_hooks::InjectPadAxis(pad, axis, value); }
PadRumble GetPadRumble(int pad) {
    PadRumble rumble{0, 0, 0};
    vlm_hooks::GetPadRumble(pad, &rumble.low, &rumble.high, &rumble.requests);
    return rumble;
}

bool Replay(const char* file) { return vlm_hooks::Replay(file); }
ReplayResult LastReplay() {
    vlm_hooks::ReplayOutcome o;
    vlm_hooks::LastReplay(&o);
    return ReplayResult{o.ran,
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
void UseManualAudio(bool on) { vlm_hooks::UseManualAudio(on); }
bool IsManualAudio() { return vlm_hooks::IsManualAudio(); }
void RenderAudio(float* stereoOut, unsigned frames) { vlm_hooks::RenderAudio(stereoOut, frames); }
unsigned GetAudioRate() { return vlm_hooks::GetAudioRate(); }
void LoseAudioDevice() { vlm_hooks::LoseAudioDevice(); }
AudioStats GetAudioStats() {
    const vlm_hooks::AudioStats s = vlm_hooks::GetAudioStats();
    return {s.callbacks, s.frames, s.lateCallbacks, s.longestMixMs, s.lastPassVoices, s.lastPassEndNs};
}

}  // namespace VelmoraTest
