// The game controller slots: SDL joysticks opened as they are plugged in (as game controllers
// when SDL has a mapping for them), their events turned into DirectInput's layout, and the
// instance GUIDs that let a controller plugged in again find its old slot.
#include <velmora/platform/dinput8/detail/Controllers.h>

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <velmora/platform/replay/detail/Session.h>
#include <velmora/platform/win32/detail/ForeignAllocations.h>

namespace vlm_platform {

namespace {

struct Registry {
    std::vector<Controller> live;
    std::vector<Controller> replayed;  // a replay's, which no device backs
    std::vector<Controller>* slots = &live;
    ControllerSink sink = nullptr;
    bool started = false;
    bool ready = false;
};

// What a replayed controller has for SDL's instance ID: attached, and never one of SDL's.
constexpr int32_t kReplayedId = 0x40000000;

Registry& Slots() {
    static Registry registry;
    return registry;
}

void Tell(size_t slot, ControllerChange::Kind kind, int index) {
    const ControllerChange change{kind, index};
    if (Session* s = SessionHere()) s->ControllerChanged(slot, change);
    if (Slots().sink) Slots().sink(slot, change);
}

// SDL's stick values run from -32768 to 32767, its triggers from 0 to 32767.
float Stick(Sint16 value) { return value < 0 ? value / 32768.0f : value / 32767.0f; }
float Trigger(Sint16 value) { return std::clamp(value / 32767.0f, 0.0f, 1.0f) * 2 - 1; }

// The fixed layout's axis of an SDL controller axis, or -1.
int PadAxis(int axis) {
    switch (axis) {
        case SDL_CONTROLLER_AXIS_LEFTX: return 0;
        case SDL_CONTROLLER_AXIS_LEFTY: return 1;
        case SDL_CONTROLLER_AXIS_TRIGGERLEFT: return 2;
        case SDL_CONTROLLER_AXIS_RIGHTX: return 3;
        case SDL_CONTROLLER_AXIS_RIGHTY: return 4;
        case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: return 5;
        default: return -1;
    }
}

// The fixed layout's button of an SDL controller button; -1 for the D-pad and the rest.
int PadButton(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A: return 0;
        case SDL_CONTROLLER_BUTTON_B: return 1;
        case SDL_CONTROLLER_BUTTON_X: return 2;
        case SDL_CONTROLLER_BUTTON_Y: return 3;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return 4;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return 5;
        case SDL_CONTROLLER_BUTTON_BACK: return 6;
        case SDL_CONTROLLER_BUTTON_START: return 7;
        case SDL_CONTROLLER_BUTTON_LEFTSTICK: return 8;
        case SDL_CONTROLLER_BUTTON_RIGHTSTICK: return 9;
        case SDL_CONTROLLER_BUTTON_GUIDE: return 10;
        default: return -1;
    }
}

BYTE DpadBit(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP: return SDL_HAT_UP;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return SDL_HAT_RIGHT;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return SDL_HAT_DOWN;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return SDL_HAT_LEFT;
        default: return 0;
    }
}

// An SDL hat as a DirectInput point of view: hundredths of a degree clockwise from up.
DWORD PovOfHat(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP: return 0;
        case SDL_HAT_RIGHTUP: return 4500;
        case SDL_HAT_RIGHT: return 9000;
        case SDL_HAT_RIGHTDOWN: return 13500;
        case SDL_HAT_DOWN: return 18000;
        case SDL_HAT_LEFTDOWN: return 22500;
        case SDL_HAT_LEFT: return 27000;
        case SDL_HAT_LEFTUP: return 31500;
        default: return 0xFFFFFFFF;  // centred, or opposite directions at once
    }
}

// Unique among the slots: SDL's GUID names the kind of controller; the order tells apart two
// of one kind.
GUID InstanceGuid(const BYTE (&sdlGuid)[16], int ordinal) {
    GUID guid;
    std::memcpy(&guid, sdlGuid, sizeof(guid));
    guid.Data1 ^= 0x9E3779B9u * static_cast<DWORD>(ordinal + 1);
    return guid;
}

// DirectInput's "PIDVID" product GUID.
GUID ProductGuid(Uint16 vendor, Uint16 product) {
    return GUID{
        static_cast<DWORD>(vendor) | (static_cast<DWORD>(product) << 16), 0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
}

// The values of a controller just opened.
void ReadAll(Controller& c) {
    if (c.controller) {
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a) {
            const int axis = PadAxis(a);
            const Sint16 v = SDL_GameControllerGetAxis(c.controller, SDL_GameControllerAxis(a));
            if (axis >= 0) c.axis[axis] = (axis == 2 || axis == 5) ? Trigger(v) : Stick(v);
        }
        c.dpad = 0;
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            const bool down = SDL_GameControllerGetButton(c.controller, SDL_GameControllerButton(b)) != 0;
            const int button = PadButton(b);
            if (button >= 0) c.button[button] = down ? 0x80 : 0;
            if (down) c.dpad |= DpadBit(b);
        }
        c.pov[0] = PovOfHat(c.dpad);
        return;
    }
    for (int a = 0; a < c.axes; ++a) c.axis[a] = Stick(SDL_JoystickGetAxis(c.joystick, a));
    for (int b = 0; b < c.buttons; ++b) c.button[b] = SDL_JoystickGetButton(c.joystick, b) ? 0x80 : 0;
    for (int h = 0; h < c.povs; ++h) c.pov[h] = PovOfHat(SDL_JoystickGetHat(c.joystick, h));
}

void Attach(int deviceIndex) {
    ForeignAllocations sdl;
    const bool gamepad = SDL_IsGameController(deviceIndex) == SDL_TRUE;
    SDL_GameController* controller = gamepad ? SDL_GameControllerOpen(deviceIndex) : nullptr;
    SDL_Joystick* joystick = controller ? SDL_GameControllerGetJoystick(controller) : SDL_JoystickOpen(deviceIndex);
    if (!joystick) return;

    BYTE sdlGuid[16];
    const SDL_JoystickGUID g = SDL_JoystickGetGUID(joystick);
    std::memcpy(sdlGuid, g.data, sizeof(sdlGuid));
    // A controller plugged in again takes the first free slot of its kind.
    auto& slots = *Slots().slots;
    size_t slot = slots.size();
    int ordinal = 0;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (std::memcmp(slots[i].sdlGuid, sdlGuid, sizeof(sdlGuid)) != 0) continue;
        if (!slots[i].Attached() && slot == slots.size()) slot = i;
        ++ordinal;
    }
    if (slot == slots.size()) {
        slots.emplace_back();
        Controller& fresh = slots.back();
        std::memcpy(fresh.sdlGuid, sdlGuid, sizeof(sdlGuid));
        fresh.ordinal = ordinal;
        fresh.instance = InstanceGuid(fresh.sdlGuid, ordinal);
    }
    Controller& c = slots[slot];
    c.product = ProductGuid(SDL_JoystickGetVendor(joystick), SDL_JoystickGetProduct(joystick));
    const char* name = controller ? SDL_GameControllerName(controller) : SDL_JoystickName(joystick);
    c.name = name ? name : "Game controller";
    c.gamepad = controller != nullptr;
    if (c.gamepad) {
        c.axes = kPadAxes, c.buttons = kPadButtons, c.povs = kPadPovs;
    } else {
        c.axes = std::clamp(SDL_JoystickNumAxes(joystick), 0, kMaxControllerAxes);
        c.buttons = std::clamp(SDL_JoystickNumButtons(joystick), 0, kMaxControllerButtons);
        c.povs = std::clamp(SDL_JoystickNumHats(joystick), 0, kMaxControllerPovs);
    }
    c.sdlId = SDL_JoystickInstanceID(joystick);
    c.joystick = joystick;
    c.controller = controller;
    std::fill(std::begin(c.axis), std::end(c.axis), 0.0f);
    std::fill(std::begin(c.pov), std::end(c.pov), 0xFFFFFFFF);
    std::fill(std::begin(c.button), std::end(c.button), BYTE(0));
    ReadAll(c);
    Tell(slot, ControllerChange::Attached, 0);
}

void Detach(size_t slot) {
    Controller& c = (*Slots().slots)[slot];
    if (!c.Attached()) return;
    if (c.controller)
        SDL_GameControllerClose(c.controller);
    else
        SDL_JoystickClose(c.joystick);
    c.sdlId = -1;
    c.joystick = nullptr;
    c.controller = nullptr;
    // Nothing is held by a controller that is gone.
    std::fill(std::begin(c.axis), std::end(c.axis), 0.0f);
    if (c.gamepad) c.axis[2] = c.axis[5] = -1;
    std::fill(std::begin(c.pov), std::end(c.pov), 0xFFFFFFFF);
    std::fill(std::begin(c.button), std::end(c.button), BYTE(0));
    c.dpad = 0;
    Tell(slot, ControllerChange::Detached, 0);
}

// The attached slot of an SDL instance ID, or -1.
int SlotOf(SDL_JoystickID id) {
    if (id < 0) return -1;
    const auto& slots = *Slots().slots;
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i].sdlId == id) return static_cast<int>(i);
    return -1;
}

void SetAxis(size_t slot, int axis, float value) {
    Controller& c = (*Slots().slots)[slot];
    if (axis < 0 || axis >= c.axes || c.axis[axis] == value) return;
    c.axis[axis] = value;
    Tell(slot, ControllerChange::Axis, axis);
}

void SetButton(size_t slot, int button, bool down) {
    Controller& c = (*Slots().slots)[slot];
    const BYTE value = down ? 0x80 : 0;
    if (button < 0 || button >= c.buttons || c.button[button] == value) return;
    c.button[button] = value;
    Tell(slot, ControllerChange::Button, button);
}

void SetPov(size_t slot, int hat, DWORD value) {
    Controller& c = (*Slots().slots)[slot];
    if (hat < 0 || hat >= c.povs || c.pov[hat] == value) return;
    c.pov[hat] = value;
    Tell(slot, ControllerChange::Pov, hat);
}

}  // namespace

bool StartControllers(ControllerSink sink) {
    Registry& r = Slots();
    r.sink = sink;
    Session* session = SessionHere();
    const bool replaying = session && session->Replaying();
    if (r.started) {
        // The recording's first look for controllers may have come from a program that had
        // not looked before: a replay looks every time, finding what it recorded.
        if (replaying) SyncControllers();
        return r.ready || replaying;
    }
    r.started = true;
    // Focus is the devices' own business (their co-operative level): SDL must not drop events
    // while no window of it has the keyboard, as with the off-screen driver.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ForeignAllocations sdl;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "velmora: SDL game controller start-up failed: %s\n", SDL_GetError());
        return false;
    }
    r.ready = true;
    SyncControllers();
    return true;
}

void SyncControllers() {
    if (Session* s = SessionHere()) {
        s->SyncControllers();
        return;
    }
    LiveSyncControllers();
}

void LiveSyncControllers() {
    Registry& r = Slots();
    if (!r.ready || r.slots != &r.live) return;
    for (size_t i = 0; i < r.live.size(); ++i)
        if (r.live[i].Attached() && !SDL_JoystickGetAttached(r.live[i].joystick)) Detach(i);
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (id >= 0 && SlotOf(id) < 0) Attach(index);
    }
}

void ControllerEvent(const SDL_Event& e) {
    if (!Slots().ready) return;
    switch (e.type) {
        case SDL_JOYDEVICEADDED: SyncControllers(); return;
        case SDL_JOYDEVICEREMOVED: {
            const int slot = SlotOf(e.jdevice.which);
            if (slot >= 0) Detach(size_t(slot));
            return;
        }
        case SDL_CONTROLLERAXISMOTION: {
            const int slot = SlotOf(e.caxis.which);
            if (slot < 0 || !(*Slots().slots)[size_t(slot)].gamepad) return;
            const int axis = PadAxis(e.caxis.axis);
            if (axis >= 0)
                SetAxis(size_t(slot), axis, (axis == 2 || axis == 5) ? Trigger(e.caxis.value) : Stick(e.caxis.value));
            return;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            const int slot = SlotOf(e.cbutton.which);
            if (slot < 0 || !(*Slots().slots)[size_t(slot)].gamepad) return;
            const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
            if (const BYTE bit = DpadBit(e.cbutton.button)) {
                Controller& c = (*Slots().slots)[size_t(slot)];
                c.dpad = down ? BYTE(c.dpad | bit) : BYTE(c.dpad & ~bit);
                SetPov(size_t(slot), 0, PovOfHat(c.dpad));
            } else {
                SetButton(size_t(slot), PadButton(e.cbutton.button), down);
            }
            return;
        }
        case SDL_JOYAXISMOTION: {
            const int slot = SlotOf(e.jaxis.which);
            if (slot >= 0 && !(*Slots().slots)[size_t(slot)].gamepad)
                SetAxis(size_t(slot), e.jaxis.axis, Stick(e.jaxis.value));
            return;
        }
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: {
            const int slot = SlotOf(e.jbutton.which);
            if (slot >= 0 && !(*Slots().slots)[size_t(slot)].gamepad)
                SetButton(size_t(slot), e.jbutton.button, e.type == SDL_JOYBUTTONDOWN);
            return;
        }
        case SDL_JOYHATMOTION: {
            const int slot = SlotOf(e.jhat.which);
            if (slot >= 0 && !(*Slots().slots)[size_t(slot)].gamepad)
                SetPov(size_t(slot), e.jhat.hat, PovOfHat(e.jhat.value));
            return;
        }
        default: return;
    }
}

size_t ControllerCount() { return Slots().slots->size(); }

const Controller* ControllerAt(size_t slot) {
    std::vector<Controller>& slots = *Slots().slots;
    return slot < slots.size() ? &slots[slot] : nullptr;
}

int FindController(REFGUID instance) {
    const auto& slots = *Slots().slots;
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i].instance == instance) return static_cast<int>(i);
    return -1;
}

bool RumbleController(size_t slot, WORD low, WORD high, DWORD ms) {
    if (Session* s = SessionHere()) return s->Rumble(slot, low, high, ms);
    return LiveRumbleController(slot, low, high, ms);
}

bool LiveRumbleController(size_t slot, WORD low, WORD high, DWORD ms) {
    const Controller* c = ControllerAt(slot);
    if (!c || !c->Attached() || !c->joystick) return false;
    return SDL_JoystickRumble(c->joystick, low, high, ms) == 0;
}

void UseReplayedControllers(bool on) {
    Registry& r = Slots();
    r.replayed.clear();
    r.slots = on ? &r.replayed : &r.live;
}

void PutReplayedController(size_t slot, const Controller& description, bool attached, bool tell) {
    Registry& r = Slots();
    if (r.slots != &r.replayed) return;
    if (slot >= r.replayed.size()) r.replayed.resize(slot + 1);
    Controller& c = r.replayed[slot];
    c = description;
    c.joystick = nullptr;
    c.controller = nullptr;
    c.sdlId = attached ? kReplayedId + int32_t(slot) : -1;
    if (tell) Tell(slot, ControllerChange::Attached, 0);
}

void ReplayControllerChange(size_t slot, ControllerChange::Kind kind, int index, float axis, DWORD value) {
    Registry& r = Slots();
    if (r.slots != &r.replayed || slot >= r.replayed.size()) return;
    Controller& c = r.replayed[slot];
    switch (kind) {
        case ControllerChange::Detached:
            if (!c.Attached()) return;
            c.sdlId = -1;
            std::fill(std::begin(c.axis), std::end(c.axis), 0.0f);
            if (c.gamepad) c.axis[2] = c.axis[5] = -1;
            std::fill(std::begin(c.pov), std::end(c.pov), 0xFFFFFFFF);
            std::fill(std::begin(c.button), std::end(c.button), BYTE(0));
            Tell(slot, kind, 0);
            return;
        case ControllerChange::Axis: SetAxis(slot, index, axis); return;
        case ControllerChange::Button: SetButton(slot, index, value != 0); return;
        case ControllerChange::Pov: SetPov(slot, index, value); return;
        case ControllerChange::Attached: return;
    }
}

}  // namespace vlm_platform
