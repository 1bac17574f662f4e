// The hooks the testing component (libvelmora-testing, <velmora/testing/TestSeams.h>)
// drives in the platform layer: exported from the engine library under their own namespace, declared only here,
// in a header that is not installed. Each does what its namesake in VelmoraTest says.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

class IDirect3DDevice9;

namespace vlm_hooks {

struct CapturedMessageBox {
    std::string text;
    std::string caption;
    UINT type;
};

struct AudioStats {
    uint64_t callbacks;
    uint64_t frames;
    uint64_t lateCallbacks;
    double longestMixMs;
    unsigned lastPassVoices;
    int64_t lastPassEndNs;
};

VLM_HOOK_API void UseManualClock(bool on);
VLM_HOOK_API bool IsManualClock();
VLM_HOOK_API void SetClock(DWORD ms);
VLM_HOOK_API void AdvanceClock(DWORD ms);
VLM_HOOK_API DWORD GetClock();
VLM_HOOK_API void SetClockTickEveryReads(unsigned reads);
VLM_HOOK_API unsigned GetSleepCalls();
VLM_HOOK_API DWORD GetSleptMilliseconds();
VLM_HOOK_API void ResetSleepCount();
VLM_HOOK_API void InjectAt(DWORD when, std::function<void()> action);
VLM_HOOK_API void ClearScheduledInjections();
VLM_HOOK_API void CaptureMessageBoxes(bool on);
VLM_HOOK_API std::vector<CapturedMessageBox> TakeMessageBoxes();
VLM_HOOK_API void CaptureDebugOutput(bool on);
VLM_HOOK_API std::string TakeDebugOutput();
VLM_HOOK_API void SetLocalTimeOverride(const SYSTEMTIME* time);
VLM_HOOK_API void InjectKey(int virtualKey, bool down, bool alt);
VLM_HOOK_API void InjectFocus(HWND hwnd, bool gained);
VLM_HOOK_API void InjectMinimize(HWND hwnd);
VLM_HOOK_API void InjectRestore(HWND hwnd);
VLM_HOOK_API void InjectClose(HWND hwnd);
VLM_HOOK_API void InjectQuit();
VLM_HOOK_API void InjectMouseMove(HWND hwnd, int x, int y);
VLM_HOOK_API void InjectMouseButton(HWND hwnd, int button, bool down);
VLM_HOOK_API void InjectMouseWheel(HWND hwnd, int delta);
VLM_HOOK_API void FlushEvents();
VLM_HOOK_API void ForceDeviceLost();
VLM_HOOK_API void AllowDeviceReset();
VLM_HOOK_API bool IsDeviceLost();
VLM_HOOK_API unsigned GetDeviceResetCount();
VLM_HOOK_API void SetMultisampleSupport(bool windowed, bool fullScreen);
VLM_HOOK_API void SetSixteenBitModeFormat(DWORD d3dFormat);
VLM_HOOK_API void AllowFlatBackBuffers(bool allow);
VLM_HOOK_API void SetMaxTextureSize(UINT size);
VLM_HOOK_API bool IsBackBufferFlat(IDirect3DDevice9* device);
VLM_HOOK_API unsigned GetDeviceDrawBatches(IDirect3DDevice9* device);
VLM_HOOK_API UINT GetPresentationInterval(IDirect3DDevice9* device);
VLM_HOOK_API void ResetGraphicsConditions();
VLM_HOOK_API int CountInputDevices();
VLM_HOOK_API int AttachPad();
VLM_HOOK_API void DetachPad(int pad);
VLM_HOOK_API void DetachAllPads();
VLM_HOOK_API void InjectPadButton(int pad, int button, bool down);
VLM_HOOK_API void InjectPadAxis(int pad, int axis, float value);
VLM_HOOK_API bool GetPadRumble(int pad, float* low, float* high, int* requests);
VLM_HOOK_API void UseManualAudio(bool on);
VLM_HOOK_API bool IsManualAudio();
VLM_HOOK_API void RenderAudio(float* stereoOut, unsigned frames);
VLM_HOOK_API unsigned GetAudioRate();
VLM_HOOK_API void LoseAudioDevice();
VLM_HOOK_API AudioStats GetAudioStats();

struct ReplayOutcome {
    bool ran, reachedEnd, diverged, stoppedByPlayer, damaged;
    unsigned frames, recordedFrames, checkpoints, matched, firstDifferentFrame;
    uint64_t recordedChecksum, replayedChecksum;
    bool finalPictureCompared, finalPictureMatched, programChanged;
    std::vector<std::string> changedFiles, report;
};
VLM_HOOK_API bool Replay(const char* file);
VLM_HOOK_API void LastReplay(ReplayOutcome* outcome);

}  // namespace vlm_hooks
