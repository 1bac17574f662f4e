// Velmora's testing component: deterministic, headless tests of a game. A manual millisecond
// clock, capture of message boxes and debugger output, a fixed local time, injection of
// window-system events (keys, pointer, focus, close), virtual game pads, forced device loss
// and a manual audio clock, all acting on the real engine. Opt-in: not part of <velmora/Velmora.h>; link
// libvelmora-testing (CMake Velmora::testing, pkg-config velmora-testing). Never ship it in a game.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <velmora/platform/win32/Types.h>

#if defined(VELMORA_BUILDING_TESTING)
#define VLM_TESTING_API __attribute__((visibility("default")))
#else
#define VLM_TESTING_API
#endif

class IDirect3DDevice9;

class CLog;

namespace VelmoraTest {

// --- Manual clock -------------------------------------------------------------------
// While on, timeGetTime() and the performance counter read the manual clock and Sleep(ms)
// advances it by ms instead of waiting.
VLM_TESTING_API void UseManualClock(bool on);
VLM_TESTING_API bool IsManualClock();
VLM_TESTING_API void SetClock(DWORD ms);
VLM_TESTING_API void AdvanceClock(DWORD ms);
VLM_TESTING_API DWORD GetClock();
// Lets time pass while code polls: every `reads` reads of timeGetTime() advance the manual
// clock by 1 ms (0 = the clock only moves when told or by Sleep).
VLM_TESTING_API void SetClockTickEveryReads(unsigned reads);
VLM_TESTING_API unsigned GetSleepCalls();
VLM_TESTING_API DWORD GetSleptMilliseconds();
VLM_TESTING_API void ResetSleepCount();

// Runs `action` (typically an Inject* call) once the manual clock reaches `when`: before
// the message queue is next looked at, or when WaitMessage moves the clock there.
VLM_TESTING_API void InjectAt(DWORD when, std::function<void()> action);
VLM_TESTING_API void ClearScheduledInjections();

// --- Message boxes and debugger output ----------------------------------------------
struct CapturedMessageBox {
    std::string text;
    std::string caption;
    UINT type;
};
// While capturing, MessageBoxA records its box and returns IDOK at once.
VLM_TESTING_API void CaptureMessageBoxes(bool on);
VLM_TESTING_API std::vector<CapturedMessageBox> TakeMessageBoxes();
// While capturing, OutputDebugStringA records its text instead of printing it.
VLM_TESTING_API void CaptureDebugOutput(bool on);
VLM_TESTING_API std::string TakeDebugOutput();

// --- Engine log ---------------------------------------------------------------------
// Makes `log` the engine log that WriteLog reports to (null: none), so classes that report
// through it can be tested without an application object.
VLM_TESTING_API void SetEngineLog(CLog* log);

// --- Local time ---------------------------------------------------------------------
// GetLocalTime returns `time` while set; null returns to the real local time.
VLM_TESTING_API void SetLocalTimeOverride(const SYSTEMTIME* time);

// --- Event injection (queued as window-system events, delivered by the message pump) ---
// Keys are virtual-key codes; `alt` holds the Alt key down for the stroke.
VLM_TESTING_API void InjectKey(int virtualKey, bool down, bool alt = false);
VLM_TESTING_API void InjectFocus(HWND hwnd, bool gained);
VLM_TESTING_API void InjectMinimize(HWND hwnd);
VLM_TESTING_API void InjectRestore(HWND hwnd);
VLM_TESTING_API void InjectClose(HWND hwnd);
VLM_TESTING_API void InjectQuit();
// Pointer position in client coordinates of `hwnd`.
VLM_TESTING_API void InjectMouseMove(HWND hwnd, int x, int y);
// Button 0 = left, 1 = right, 2 = middle, 3 = fourth.
VLM_TESTING_API void InjectMouseButton(HWND hwnd, int button, bool down);
VLM_TESTING_API void InjectMouseWheel(HWND hwnd, int delta);
// Drops everything waiting in the window system's queue and the thread's message queue.
VLM_TESTING_API void FlushEvents();

// --- Graphics adapter and device ---------------------------------------------------
// Every device reports itself lost: Present fails with D3DERR_DEVICELOST and
// TestCooperativeLevel says D3DERR_DEVICELOST until AllowDeviceReset.
VLM_TESTING_API void ForceDeviceLost();
// From now on TestCooperativeLevel says D3DERR_DEVICENOTRESET and Reset succeeds.
VLM_TESTING_API void AllowDeviceReset();
VLM_TESTING_API bool IsDeviceLost();
// Successful Reset calls of all devices so far.
VLM_TESTING_API unsigned GetDeviceResetCount();
// Whether the adapter offers multisampling for windowed and for full-screen use.
VLM_TESTING_API void SetMultisampleSupport(bool windowed, bool fullScreen);
// The format under which the adapter lists its 16-bit modes (R5G6B5 or X1R5G5B5); read
// when a Direct3D object is created.
VLM_TESTING_API void SetSixteenBitModeFormat(DWORD d3dFormat);
// Whether multisampled or depth-buffered back buffers are kept flat (one sample, depth
// writes deferred) while the frame allows it; off, every draw goes to the real buffers.
// Takes effect at the next whole clear.
VLM_TESTING_API void AllowFlatBackBuffers(bool allow);
// True while the device's picture is kept flat, counting the draws it is still collecting.
VLM_TESTING_API bool IsBackBufferFlat(IDirect3DDevice9* device);
// The batches of draws the device has handed to OpenGL so far, the draws it is still
// collecting included. Draws from different textures take a batch each, except draws of small
// textures copied texel for texel, which share one (VELMORA_NO_RASTER_SHORTCUTS=pages: not).
VLM_TESTING_API unsigned GetDeviceDrawBatches(IDirect3DDevice9* device);
// The presentation interval the device presents with (D3DPRESENT_INTERVAL_IMMEDIATE, _ONE...).
VLM_TESTING_API UINT GetPresentationInterval(IDirect3DDevice9* device);
// The largest texture side the device reports in its caps and creates (16384 at first).
VLM_TESTING_API void SetMaxTextureSize(UINT size);
// Back to a healthy device, multisampling on, R5G6B5 16-bit modes, flat back buffers, the
// largest texture side 16384.
VLM_TESTING_API void ResetGraphicsConditions();

// --- DirectInput ----------------------------------------------------------------------
// How many DirectInput devices (keyboard, mouse, game controllers) exist now.
VLM_TESTING_API int CountInputDevices();

// --- Game pads ---------------------------------------------------------------------------
// Virtual pads on SDL's virtual joysticks, which SDL knows as game controllers: they reach
// DirectInput, the engine's pads and the GUI as a real pad plugged in would, at the next
// look at the events.
// Plugs in a pad; its number (the lowest free, so a pad detached and attached again keeps
// its number), or -1 when SDL offers none. The number is the testing component's, not the
// engine's pad index, although the two agree while no other controller is plugged in.
VLM_TESTING_API int AttachPad();
VLM_TESTING_API void DetachPad(int pad);
VLM_TESTING_API void DetachAllPads();
// Buttons are numbered as the engine's PAD_BUTTON_* (<velmora/input/Pad.h>): 0 A, 1 B, 2 X,
// 3 Y, 4 left shoulder, 5 right shoulder, 6 back, 7 start, 8 left stick, 9 right stick,
// 10 guide, 11 D-pad up, 12 down, 13 left, 14 right.
VLM_TESTING_API void InjectPadButton(int pad, int button, bool down);
// Axes are numbered as PAD_AXIS_*: 0 left stick X, 1 left stick Y, 2 right stick X, 3 right
// stick Y (each -1 to 1, right and down positive), 4 left trigger, 5 right trigger (0 to 1).
VLM_TESTING_API void InjectPadAxis(int pad, int axis, float value);
// The rumble asked of a pad: the strengths (0 to 1) of the last request that started one,
// and how many such requests came since it was attached.
struct PadRumble {
    float low;
    float high;
    int requests;
};
VLM_TESTING_API PadRumble GetPadRumble(int pad);

// --- Sound ------------------------------------------------------------------------------
// While on, no audio device is opened (DirectSoundCreate8 succeeds without one) and the mix
// advances only through RenderAudio: the play cursors, notifications, the end of buffers
// and PlaySoundA all follow it, deterministically. Switching closes or opens the real
// device under the DirectSound objects that exist.
VLM_TESTING_API void UseManualAudio(bool on);
VLM_TESTING_API bool IsManualAudio();
// Mixes the next `frames` frames into `stereoOut` (interleaved left, right: 2 * frames
// floats, -1..1), in passes of at most 512 frames. Silence when not in manual mode.
VLM_TESTING_API void RenderAudio(float* stereoOut, unsigned frames);
// The mix's frames a second: 48,000 in manual mode, the device's otherwise, 0 with none open.
VLM_TESTING_API unsigned GetAudioRate();
// The audio device goes away as when it is unplugged: every buffer stops and reports
// DSERR_BUFFERLOST until its Restore.
VLM_TESTING_API void LoseAudioDevice();
// What the mixer has done since the process started, for benchmarks and soak runs.
struct AudioStats {
    uint64_t callbacks;       // the audio device's calls for samples
    uint64_t frames;          // frames mixed, by the device or by RenderAudio
    uint64_t lateCallbacks;   // calls that came more than two device buffers after the last one,
                              // or whose mix took longer than the audio it made: underruns
    double longestMixMs;      // the longest mix of one call
    unsigned lastPassVoices;  // buffers the last pass of the mix played
    int64_t lastPassEndNs;    // when that pass ended, in std::chrono::steady_clock nanoseconds
};
VLM_TESTING_API AudioStats GetAudioStats();

// --- Record and replay -------------------------------------------------------------------
// A session is recorded with CGameApp::StartRecording (or VELMORA_RECORD=FILE). Replay makes the
// next InitApplication replay `file` as fast as it goes, as VELMORA_REPLAY=FILE with
// VELMORA_REPLAY_FAST=1 does: the game must be set up as the recorded one was (its title, frame
// rate and options), and runs on the recorded clock and input until its Destroy. False when
// `file` is no replay file this engine reads.
VLM_TESTING_API bool Replay(const char* file);
// How the last replay went, once its game's Destroy has run.
struct ReplayResult {
    bool ran;                                     // a replay took place
    bool reachedEnd;                              // to the recording's end, without going another way
    bool diverged;                                // the game asked for something else than the recording holds
    bool stoppedByPlayer;                         // the quit keys or the close box
    bool damaged;                                 // the file is damaged after its header
    unsigned frames;                              // frames replayed
    unsigned recordedFrames;                      // frames recorded
    unsigned checkpoints, matched;                // pictures compared, and the same
    unsigned firstDifferentFrame;                 // 0 when none differed
    uint64_t recordedChecksum, replayedChecksum;  // of the first that differed
    bool finalPictureCompared, finalPictureMatched;
    bool programChanged;                    // the game's program is not the recording one
    std::vector<std::string> changedFiles;  // files loaded that changed since the recording
    std::vector<std::string> report;        // the lines it wrote (on standard error and in the log)
    // Everything the same: every frame, checkpoint and the last picture.
    bool Same() const {
        return ran && reachedEnd && !diverged && !damaged && frames == recordedFrames && matched == checkpoints &&
               (!finalPictureCompared || finalPictureMatched);
    }
};
VLM_TESTING_API ReplayResult LastReplay();

}  // namespace VelmoraTest
