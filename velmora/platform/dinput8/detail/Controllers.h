// The game controllers SDL reports, kept as DirectInput sees them: one slot per controller
// ever plugged in, with its instance GUID, its objects in DirectInput's order and their values
// now, fed by SDL's joystick and game controller events.
#pragma once

#include <cstddef>
#include <string>

#include <velmora/platform/dinput8/DInput8.h>

union SDL_Event;
struct _SDL_Joystick;
struct _SDL_GameController;

namespace vlm_platform {

// DirectInput's limits: X, Y, Z, Rx, Ry, Rz and two sliders; four hats; 128 buttons.
constexpr int kMaxControllerAxes = 8;
constexpr int kMaxControllerPovs = 4;
constexpr int kMaxControllerButtons = 128;

// The fixed layout of pads SDL knows as game controllers.
constexpr int kPadAxes = 6;      // left stick X, Y; left trigger (Z); right stick (Rx, Ry); right trigger (Rz)
constexpr int kPadButtons = 11;  // A B X Y, left and right shoulder, back, start, stick presses, guide
constexpr int kPadPovs = 1;      // the D-pad

struct Controller {
    GUID instance{};  // from SDL's joystick GUID and the order among controllers of that GUID
    GUID product{};
    std::string name;
    bool gamepad = false;  // the fixed layout; otherwise the joystick's raw axes, buttons and hats
    int axes = 0, buttons = 0, povs = 0;
    // Values now: axes from -1 to 1 (a trigger rests at -1), hats as DirectInput reports
    // them, buttons 0x80 while down.
    float axis[kMaxControllerAxes] = {};
    DWORD pov[kMaxControllerPovs] = {};
    BYTE button[kMaxControllerButtons] = {};

    // While plugged in: SDL's instance ID and handles.
    int32_t sdlId = -1;
    _SDL_Joystick* joystick = nullptr;
    _SDL_GameController* controller = nullptr;
    BYTE dpad = 0;  // the D-pad's directions, made into the hat
    // SDL's joystick GUID, and how many controllers of that GUID came before.
    BYTE sdlGuid[16] = {};
    int ordinal = 0;

    bool Attached() const { return sdlId >= 0; }
};

// What changed in a slot: one object's value, or the controller came or went.
struct ControllerChange {
    enum Kind { Axis, Button, Pov, Attached, Detached } kind;
    int index;  // the axis, button or hat
};
using ControllerSink = void (*)(size_t slot, const ControllerChange& change);

// Starts SDL's joystick and game controller support once and takes in what is plugged in;
// `sink` hears of every change from then on. False when SDL cannot offer controllers.
bool StartControllers(ControllerSink sink);
// A joystick or controller event from the pump; other events are ignored.
void ControllerEvent(const SDL_Event& e);
// Takes in controllers plugged in or pulled out whose events were lost. A recording keeps what
// it finds; a replay finds what was recorded.
void SyncControllers();
// The look at SDL's joysticks itself.
void LiveSyncControllers();

size_t ControllerCount();
// The slot, or null past the end.
const Controller* ControllerAt(size_t slot);
// The slot of an instance GUID, or -1.
int FindController(REFGUID instance);
// Both motors from 0 to 65535 for `ms` milliseconds; false when the controller has none or is
// not plugged in.
bool RumbleController(size_t slot, WORD low, WORD high, DWORD ms);
bool LiveRumbleController(size_t slot, WORD low, WORD high, DWORD ms);

// A replay's controllers: the recorded ones, which no device backs, take the place of SDL's
// while on (off: SDL's again; either way the replayed ones start empty).
void UseReplayedControllers(bool on);
// Sets a replayed slot (the table grows to hold it), plugged in or not; `tell`: as a
// controller plugged in, which the devices hear of.
void PutReplayedController(size_t slot, const Controller& description, bool attached, bool tell);
// A recorded change of a replayed slot: `axis` for an axis, `value` for a button (0 or not) or
// a hat; the devices hear of it as of a live change.
void ReplayControllerChange(size_t slot, ControllerChange::Kind kind, int index, float axis, DWORD value);

}  // namespace vlm_platform
