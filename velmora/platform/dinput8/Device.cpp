// The DirectInput devices: SDL key, button, motion and wheel events, and the changes of the
// game controller slots, become buffered records and immediate state while the device is
// acquired; window focus events decide acquisition at the foreground co-operative level.
// GetDeviceState and GetDeviceData are the one way any device's input reaches the game.
#include <velmora/platform/dinput8/detail/Device.h>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <velmora/platform/dinput8/detail/KeyCodes.h>
#include <velmora/platform/win32/detail/Clock.h>
#include <velmora/platform/win32/detail/EventPump.h>
#include <velmora/platform/win32/detail/WindowObject.h>

namespace vlm_platform {

namespace {

constexpr LONG kWheelDelta = 120;  // one wheel notch, as Windows reports it
constexpr LONG kMaxWheelNotches = 0x7FFFFFFF / kWheelDelta;

// Relative axes add up until the game reads them, which it may never do: they stop at the
// ends of their range instead of overflowing.
LONG Accumulate(LONG total, LONG step) {
    return LONG(std::clamp<int64_t>(int64_t(total) + step, INT32_MIN, INT32_MAX));
}

struct DeviceRegistry {
    std::vector<DirectInputDevice*> devices;
    DWORD sequence = 0;  // shared by all devices, so records of both can be ordered
};

DeviceRegistry& Registry();

void Dispatch(const SDL_Event& e, void*) {
    // The controller slots first: their changes reach the joysticks before the next event.
    ControllerEvent(e);
    for (DirectInputDevice* device : Registry().devices) device->OnEvent(e);
}

void ControllerChanged(size_t slot, const ControllerChange& change) {
    // Copied: a device may be released by what it reports to.
    std::vector<DirectInputDevice*> devices = Registry().devices;
    for (DirectInputDevice* device : devices)
        if (device->Kind() == DeviceKind::Joystick && device->Slot() == slot) device->OnControllerChange(change);
}

DeviceRegistry& Registry() {
    // Never destroyed: devices owned by static objects are released while the process exits.
    static DeviceRegistry* registry = [] {
        AddRawEventListener(Dispatch, nullptr);
        return new DeviceRegistry;
    }();
    return *registry;
}

// The fixed layout's object names; other joysticks name their objects by kind.
const char* const kPadAxisNames[kPadAxes] = {"Left Stick X",  "Left Stick Y",  "Left Trigger",
                                             "Right Stick X", "Right Stick Y", "Right Trigger"};
const char* const kPadButtonNames[kPadButtons] = {
    "A", "B", "X", "Y", "Left Shoulder", "Right Shoulder", "Back", "Start", "Left Stick", "Right Stick", "Guide"};
const char* const kAxisNames[kMaxControllerAxes] = {"X Axis",     "Y Axis",     "Z Axis", "X Rotation",
                                                    "Y Rotation", "Z Rotation", "Slider", "Slider"};
const GUID* const kAxisGuids[kMaxControllerAxes] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,  &GUID_RxAxis,
                                                    &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};

constexpr DWORD kMaxDeadZone = 10000;

const DIDATAFORMAT& StandardFormat(DeviceKind kind) {
    return kind == DeviceKind::Keyboard ? c_dfDIKeyboard : c_dfDIMouse;
}

// A property header of `size` bytes naming an object or the whole device.
bool ValidHeader(const DIPROPHEADER& header, DWORD size) {
    return header.dwSize == size && header.dwHeaderSize == sizeof(DIPROPHEADER) &&
           (header.dwHow != DIPH_DEVICE || header.dwObj == 0) && header.dwHow <= DIPH_BYID;
}

// Only the standard layout of each device is supported: the same size and object offsets.
bool SameLayout(const DIDATAFORMAT& given, const DIDATAFORMAT& standard) {
    if (given.dwObjSize != sizeof(DIOBJECTDATAFORMAT) || given.dwDataSize != standard.dwDataSize ||
        given.dwNumObjs != standard.dwNumObjs || !given.rgodf)
        return false;
    for (DWORD i = 0; i < given.dwNumObjs; ++i)
        if (given.rgodf[i].dwOfs != standard.rgodf[i].dwOfs) return false;
    return true;
}

}  // namespace

size_t LiveDeviceCount() { return Registry().devices.size(); }

bool StartInputEvents() {
    Registry();
    return StartControllers(ControllerChanged);
}

DirectInputDevice::DirectInputDevice(DeviceKind kind, IDirectInput8A* parent, size_t slot)
    : m_kind(kind), m_parent(parent), m_slot(slot) {
    m_parent->AddRef();
    Registry().devices.push_back(this);
}

DirectInputDevice::~DirectInputDevice() {
    auto& devices = Registry().devices;
    devices.erase(std::remove(devices.begin(), devices.end(), this), devices.end());
    m_parent->Release();
}

HRESULT DirectInputDevice::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDirectInputDevice8A) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IDirectInputDevice8A*>(this);
    return S_OK;
}

HRESULT DirectInputDevice::SetDataFormat(LPCDIDATAFORMAT format) {
    if (m_acquired) return DIERR_ACQUIRED;
    if (!format) return DIERR_INVALIDPARAM;
    if (m_kind == DeviceKind::Joystick) {
        const bool big = SameLayout(*format, c_dfDIJoystick2);
        if (!big && !SameLayout(*format, c_dfDIJoystick)) return DIERR_INVALIDPARAM;
        m_bigJoystickFormat = big;
    } else if (!SameLayout(*format, StandardFormat(m_kind))) {
        return DIERR_INVALIDPARAM;
    }
    m_formatSet = true;
    return DI_OK;
}

HRESULT DirectInputDevice::SetCooperativeLevel(HWND hwnd, DWORD flags) {
    if (m_acquired) return DIERR_ACQUIRED;
    bool exclusive = flags & DISCL_EXCLUSIVE, nonExclusive = flags & DISCL_NONEXCLUSIVE;
    bool foreground = flags & DISCL_FOREGROUND, background = flags & DISCL_BACKGROUND;
    if (exclusive == nonExclusive || foreground == background) return DIERR_INVALIDPARAM;
    if ((hwnd || foreground || exclusive) && !IsLiveWindow(hwnd)) return DIERR_INVALIDPARAM;
    m_hwnd = hwnd;
    m_level = flags;
    return DI_OK;
}

HRESULT DirectInputDevice::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
    if (!header) return DIERR_INVALIDPARAM;
    if (property == DIPROP_BUFFERSIZE) {
        if (!ValidHeader(*header, sizeof(DIPROPDWORD)) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
        if (m_acquired) return DIERR_ACQUIRED;
        m_bufferSize = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        return DI_OK;
    }
    const bool range = property == DIPROP_RANGE;
    if (m_kind != DeviceKind::Joystick || (!range && property != DIPROP_DEADZONE && property != DIPROP_SATURATION))
        return DIERR_UNSUPPORTED;
    if (!ValidHeader(*header, range ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD))) return DIERR_INVALIDPARAM;
    int first = 0, last = 0;
    if (HRESULT found = AxesOf(*header, &first, &last); FAILED(found)) return found;
    AxisProperties* target = &m_deviceAxes;
    if (range) {
        const auto* r = reinterpret_cast<const DIPROPRANGE*>(header);
        if (r->lMin >= r->lMax) return DIERR_INVALIDPARAM;
    } else if (reinterpret_cast<const DIPROPDWORD*>(header)->dwData > kMaxDeadZone) {
        return DIERR_INVALIDPARAM;
    }
    // The whole device's setting is also kept for GetProperty of the whole device.
    for (int axis = header->dwHow == DIPH_DEVICE ? -1 : first; axis < last; ++axis) {
        target = axis < 0 ? &m_deviceAxes : &m_axes[axis];
        if (range) {
            target->min = reinterpret_cast<const DIPROPRANGE*>(header)->lMin;
            target->max = reinterpret_cast<const DIPROPRANGE*>(header)->lMax;
        } else if (property == DIPROP_DEADZONE) {
            target->deadZone = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        } else {
            target->saturation = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        }
    }
    return DI_OK;
}

HRESULT DirectInputDevice::GetProperty(REFGUID property, LPDIPROPHEADER header) {
    if (!header) return DIERR_INVALIDPARAM;
    if (property == DIPROP_BUFFERSIZE) {
        if (!ValidHeader(*header, sizeof(DIPROPDWORD)) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
        reinterpret_cast<DIPROPDWORD*>(header)->dwData = m_bufferSize;
        return DI_OK;
    }
    const bool range = property == DIPROP_RANGE;
    if (m_kind != DeviceKind::Joystick || (!range && property != DIPROP_DEADZONE && property != DIPROP_SATURATION))
        return DIERR_UNSUPPORTED;
    if (!ValidHeader(*header, range ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD))) return DIERR_INVALIDPARAM;
    int first = 0, last = 0;
    if (HRESULT found = AxesOf(*header, &first, &last); FAILED(found)) return found;
    const AxisProperties& source = header->dwHow == DIPH_DEVICE ? m_deviceAxes : m_axes[first];
    if (range) {
        reinterpret_cast<DIPROPRANGE*>(header)->lMin = source.min;
        reinterpret_cast<DIPROPRANGE*>(header)->lMax = source.max;
    } else {
        reinterpret_cast<DIPROPDWORD*>(header)->dwData =
            property == DIPROP_DEADZONE ? source.deadZone : source.saturation;
    }
    return DI_OK;
}

HRESULT DirectInputDevice::AxesOf(const DIPROPHEADER& header, int* first, int* last) const {
    const Controller* c = ControllerAt(m_slot);
    const int axes = c ? c->axes : 0;
    if (header.dwHow == DIPH_DEVICE) {
        *first = 0, *last = axes;
        return DI_OK;
    }
    int axis = -1;
    if (header.dwHow == DIPH_BYOFFSET) {
        if (header.dwObj % 4 == 0 && header.dwObj < DIJOFS_POV(0))
            axis = int(header.dwObj / 4);
        else if (header.dwObj < DWORD(DIJOFS_BUTTON(m_bigJoystickFormat ? 128 : 32)))
            return DIERR_UNSUPPORTED;
    } else if (DIDFT_GETTYPE(header.dwObj) & DIDFT_AXIS) {
        axis = DIDFT_GETINSTANCE(header.dwObj);
    } else if (DIDFT_GETTYPE(header.dwObj) & (DIDFT_BUTTON | DIDFT_POV)) {
        return DIERR_UNSUPPORTED;
    }
    if (axis < 0 || axis >= axes) return DIERR_OBJECTNOTFOUND;
    *first = axis, *last = axis + 1;
    return DI_OK;
}

HRESULT DirectInputDevice::Acquire() {
    if (!m_formatSet) return DIERR_INVALIDPARAM;
    if (m_acquired) return DI_NOEFFECT;
    PumpEvents();  // what happened before this call is not recorded
    if (m_kind == DeviceKind::Joystick) {
        const Controller* c = ControllerAt(m_slot);
        if (!c || !c->Attached()) return DIERR_UNPLUGGED;
    }
    if (Foreground() && !WindowInFront()) return DIERR_OTHERAPPHASPRIO;
    m_acquired = true;
    m_lost = false;
    m_buffer.clear();
    m_overflowed = false;
    m_mouse.lX = m_mouse.lY = m_mouse.lZ = 0;
    return DI_OK;
}

HRESULT DirectInputDevice::Unacquire() {
    if (!m_acquired) return DI_NOEFFECT;
    m_acquired = false;
    m_lost = false;
    m_buffer.clear();
    return DI_OK;
}

HRESULT DirectInputDevice::GetDeviceState(DWORD size, LPVOID data) {
    Refresh();
    if (!m_acquired) return NotAcquiredResult();
    if (!data || size != DataSize()) return DIERR_INVALIDPARAM;
    if (m_kind == DeviceKind::Joystick) {
        DIJOYSTATE2 state;
        FillJoystickState(state);
        std::memcpy(data, &state, size);  // a DIJOYSTATE is the start of a DIJOYSTATE2
    } else if (m_kind == DeviceKind::Keyboard) {
        std::memcpy(data, m_keys, sizeof(m_keys));
    } else {
        std::memcpy(data, &m_mouse, sizeof(m_mouse));
        m_mouse.lX = m_mouse.lY = m_mouse.lZ = 0;  // relative axes: movement since this read
    }
    return DI_OK;
}

HRESULT DirectInputDevice::GetDeviceData(DWORD objectSize, LPDIDEVICEOBJECTDATA records, LPDWORD inOut, DWORD flags) {
    if (!inOut || objectSize != sizeof(DIDEVICEOBJECTDATA)) return DIERR_INVALIDPARAM;
    Refresh();
    if (!m_acquired || m_bufferSize == 0) {
        *inOut = 0;
        return m_acquired ? DIERR_NOTBUFFERED : NotAcquiredResult();
    }
    size_t count = std::min<size_t>(*inOut, m_buffer.size());
    if (records) std::copy_n(m_buffer.begin(), count, records);
    *inOut = static_cast<DWORD>(count);
    HRESULT result = m_overflowed ? DI_BUFFEROVERFLOW : DI_OK;
    if (!(flags & DIGDD_PEEK)) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(count));
        m_overflowed = false;
    }
    return result;
}

HRESULT DirectInputDevice::Poll() {
    Refresh();
    if (!m_acquired) return NotAcquiredResult();
    return m_kind == DeviceKind::Joystick ? DI_OK : DI_NOEFFECT;
}

HRESULT DirectInputDevice::Escape(LPDIEFFESCAPE escape) {
    if (!escape || escape->dwSize != sizeof(DIEFFESCAPE)) return DIERR_INVALIDPARAM;
    if (m_kind != DeviceKind::Joystick || escape->dwCommand != VLM_DIESCAPE_RUMBLE) return DIERR_UNSUPPORTED;
    if (!escape->lpvInBuffer || escape->cbInBuffer != sizeof(VLM_DIRUMBLE)) return DIERR_INVALIDPARAM;
    const Controller* c = ControllerAt(m_slot);
    if (!c || !c->Attached()) return DIERR_UNPLUGGED;
    const auto* rumble = static_cast<const VLM_DIRUMBLE*>(escape->lpvInBuffer);
    escape->cbOutBuffer = 0;
    return RumbleController(m_slot, rumble->wLowFrequency, rumble->wHighFrequency, rumble->dwDuration)
               ? DI_OK
               : DIERR_UNSUPPORTED;
}

HRESULT DirectInputDevice::GetCapabilities(LPDIDEVCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DIDEVCAPS)) return DIERR_INVALIDPARAM;
    std::memset(caps, 0, sizeof(DIDEVCAPS));
    caps->dwSize = sizeof(DIDEVCAPS);
    caps->dwFlags = DIDC_ATTACHED;
    switch (m_kind) {
        case DeviceKind::Keyboard:
            caps->dwDevType = DI8DEVTYPE_KEYBOARD;
            caps->dwButtons = 128;
            break;
        case DeviceKind::Mouse:
            caps->dwDevType = DI8DEVTYPE_MOUSE;
            caps->dwAxes = 3;
            caps->dwButtons = 4;
            break;
        case DeviceKind::Joystick: {
            const Controller* c = ControllerAt(m_slot);
            if (!c) return DIERR_GENERIC;
            if (!c->Attached()) caps->dwFlags = 0;
            caps->dwDevType = c->gamepad ? DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8)
                                         : DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8);
            caps->dwAxes = DWORD(c->axes);
            caps->dwButtons = DWORD(c->buttons);
            caps->dwPOVs = DWORD(c->povs);
            break;
        }
    }
    return DI_OK;
}

HRESULT DirectInputDevice::GetDeviceInfo(LPDIDEVICEINSTANCEA info) {
    if (!info || info->dwSize != sizeof(DIDEVICEINSTANCEA)) return DIERR_INVALIDPARAM;
    std::memset(info, 0, sizeof(DIDEVICEINSTANCEA));
    info->dwSize = sizeof(DIDEVICEINSTANCEA);
    if (m_kind == DeviceKind::Joystick) {
        const Controller* c = ControllerAt(m_slot);
        if (!c) return DIERR_GENERIC;
        info->guidInstance = c->instance;
        info->guidProduct = c->product;
        info->dwDevType = c->gamepad ? DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8)
                                     : DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8);
        std::snprintf(info->tszInstanceName, sizeof(info->tszInstanceName), "%s", c->name.c_str());
        std::snprintf(info->tszProductName, sizeof(info->tszProductName), "%s", c->name.c_str());
        return DI_OK;
    }
    const bool keyboard = m_kind == DeviceKind::Keyboard;
    info->guidInstance = info->guidProduct = keyboard ? GUID_SysKeyboard : GUID_SysMouse;
    info->dwDevType = keyboard ? DI8DEVTYPE_KEYBOARD : DI8DEVTYPE_MOUSE;
    std::snprintf(info->tszInstanceName, sizeof(info->tszInstanceName), "%s", keyboard ? "Keyboard" : "Mouse");
    std::snprintf(info->tszProductName, sizeof(info->tszProductName), "%s", keyboard ? "Keyboard" : "Mouse");
    return DI_OK;
}

HRESULT DirectInputDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref, DWORD flags) {
    if (!callback) return DIERR_INVALIDPARAM;
    if (m_kind != DeviceKind::Joystick) return DIERR_UNSUPPORTED;
    const Controller* c = ControllerAt(m_slot);
    if (!c) return DIERR_GENERIC;
    // DIDFT_ALL (0) asks for everything; otherwise the kinds asked for.
    const DWORD kinds = DIDFT_GETTYPE(flags);
    auto wanted = [kinds](DWORD kind) { return kinds == DIDFT_ALL || (kinds & kind) != 0; };
    DIDEVICEOBJECTINSTANCEA object;
    auto offer = [&](const GUID& type, DWORD offset, DWORD id, DWORD objectFlags, const char* name, int number) {
        std::memset(&object, 0, sizeof(object));
        object.dwSize = sizeof(object);
        object.guidType = type;
        object.dwOfs = offset;
        object.dwType = id;
        object.dwFlags = objectFlags;
        if (number >= 0)
            std::snprintf(object.tszName, sizeof(object.tszName), "%s %d", name, number);
        else
            std::snprintf(object.tszName, sizeof(object.tszName), "%s", name);
        return callback(&object, ref) != DIENUM_STOP;
    };
    if (wanted(DIDFT_AXIS))
        for (int a = 0; a < c->axes; ++a)
            if (!offer(*kAxisGuids[a], DWORD(DIJOFS_X + 4 * a), DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(a),
                       DIDOI_ASPECTPOSITION, c->gamepad ? kPadAxisNames[a] : kAxisNames[a], -1))
                return DI_OK;
    if (wanted(DIDFT_POV))
        for (int p = 0; p < c->povs; ++p)
            if (!offer(GUID_POV, DWORD(DIJOFS_POV(p)), DIDFT_POV | DIDFT_MAKEINSTANCE(p), 0,
                       c->gamepad ? "D-pad" : "Hat Switch", c->gamepad ? -1 : p))
                return DI_OK;
    if (wanted(DIDFT_BUTTON))
        for (int b = 0; b < c->buttons; ++b)
            if (!offer(GUID_Button, DWORD(DIJOFS_BUTTON(b)), DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(b), 0,
                       c->gamepad ? kPadButtonNames[b] : "Button", c->gamepad ? -1 : b))
                return DI_OK;
    return DI_OK;
}

void DirectInputDevice::OnControllerChange(const ControllerChange& change) {
    const Controller* c = ControllerAt(m_slot);
    if (!c) return;
    switch (change.kind) {
        case ControllerChange::Detached: LoseAcquisition(); break;
        case ControllerChange::Attached: break;  // acquired again by the game
        case ControllerChange::Axis:
            Record(DWORD(DIJOFS_X + 4 * change.index), static_cast<DWORD>(AxisValue(change.index)));
            break;
        case ControllerChange::Button:
            if (change.index < (m_bigJoystickFormat ? 128 : 32))
                Record(DWORD(DIJOFS_BUTTON(change.index)), c->button[change.index]);
            break;
        case ControllerChange::Pov: Record(DWORD(DIJOFS_POV(change.index)), c->pov[change.index]); break;
    }
}

DWORD DirectInputDevice::DataSize() const {
    if (m_kind == DeviceKind::Joystick) return m_bigJoystickFormat ? sizeof(DIJOYSTATE2) : sizeof(DIJOYSTATE);
    return StandardFormat(m_kind).dwDataSize;
}

LONG DirectInputDevice::AxisValue(int axis) const {
    const Controller* c = ControllerAt(m_slot);
    const AxisProperties& p = m_axes[axis];
    // The dead zone and the saturation are shares of the way from the centre to either end.
    const float v = c ? c->axis[axis] : 0.0f;
    const double magnitude = std::fabs(v) * kMaxDeadZone;
    double n = 0;
    if (magnitude >= p.saturation && magnitude > 0)
        n = 1;
    else if (magnitude > p.deadZone)
        n = (magnitude - p.deadZone) / (double(p.saturation) - p.deadZone);
    if (v < 0) n = -n;
    const int64_t span = int64_t(p.max) - p.min;
    const int64_t centre = p.min + span / 2;
    const int64_t value = centre + std::llround(n * double(span) / 2);
    return LONG(std::clamp<int64_t>(value, p.min, p.max));
}

void DirectInputDevice::FillJoystickState(DIJOYSTATE2& state) const {
    std::memset(&state, 0, sizeof(state));
    const Controller* c = ControllerAt(m_slot);
    if (!c) return;
    LONG* axes[kMaxControllerAxes] = {&state.lX,  &state.lY,  &state.lZ,           &state.lRx,
                                      &state.lRy, &state.lRz, &state.rglSlider[0], &state.rglSlider[1]};
    for (int a = 0; a < c->axes; ++a) *axes[a] = AxisValue(a);
    for (int p = 0; p < kMaxControllerPovs; ++p) state.rgdwPOV[p] = p < c->povs ? c->pov[p] : 0xFFFFFFFF;
    std::memcpy(state.rgbButtons, c->button, sizeof(state.rgbButtons));
}

void DirectInputDevice::OnEvent(const SDL_Event& e) {
    if (e.type == SDL_WINDOWEVENT) {
        if (!IsLiveWindow(m_hwnd) || e.window.windowID != m_hwnd->sdlId) return;
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST || e.window.event == SDL_WINDOWEVENT_MINIMIZED) {
            // The window system reports no releases of what is held while the window is away.
            ReleaseAll();
            if (Foreground()) LoseAcquisition();
        }
        return;
    }
    // Input that arrives while a foreground device's window is in the back is not its own.
    if (m_acquired && Foreground() && !WindowInFront()) LoseAcquisition();

    if (m_kind == DeviceKind::Joystick) return;  // fed by its controller slot
    if (m_kind == DeviceKind::Keyboard) {
        if ((e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) && !e.key.repeat)
            OnKey(e.key.keysym.scancode, e.type == SDL_KEYDOWN);
        return;
    }
    switch (e.type) {
        case SDL_MOUSEMOTION:
            if (!m_acquired) break;
            m_mouse.lX = Accumulate(m_mouse.lX, e.motion.xrel);
            m_mouse.lY = Accumulate(m_mouse.lY, e.motion.yrel);
            if (e.motion.xrel) Record(DIMOFS_X, static_cast<DWORD>(e.motion.xrel));
            if (e.motion.yrel) Record(DIMOFS_Y, static_cast<DWORD>(e.motion.yrel));
            break;
        case SDL_MOUSEWHEEL: {
            if (!m_acquired) break;
            const LONG notches = std::clamp<LONG>(e.wheel.y, -kMaxWheelNotches, kMaxWheelNotches);
            LONG dz = notches * kWheelDelta * (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1);
            m_mouse.lZ = Accumulate(m_mouse.lZ, dz);
            if (dz) Record(DIMOFS_Z, static_cast<DWORD>(dz));
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: OnButton(e.button.button, e.type == SDL_MOUSEBUTTONDOWN); break;
        default: break;
    }
}

bool DirectInputDevice::WindowInFront() const { return IsLiveWindow(m_hwnd) && m_hwnd->focused && !m_hwnd->minimized; }

void DirectInputDevice::Refresh() {
    PumpEvents();
    if (m_acquired && Foreground() && !WindowInFront()) LoseAcquisition();
}

void DirectInputDevice::LoseAcquisition() {
    if (!m_acquired) return;
    m_acquired = false;
    m_lost = true;
    m_buffer.clear();
    m_overflowed = false;
}

HRESULT DirectInputDevice::NotAcquiredResult() {
    if (!m_lost) return DIERR_NOTACQUIRED;
    m_lost = false;
    return DIERR_INPUTLOST;
}

void DirectInputDevice::Record(DWORD offset, DWORD data) {
    if (!m_acquired || m_bufferSize == 0) return;
    if (m_buffer.size() >= m_bufferSize) {
        m_buffer.pop_front();
        m_overflowed = true;
    }
    m_buffer.push_back(DIDEVICEOBJECTDATA{offset, data, PeekClock(), ++Registry().sequence, 0});
}

void DirectInputDevice::OnKey(int scancode, bool down) {
    BYTE dik = DikFromScancode(scancode);
    if (dik == 0) return;
    m_keys[dik] = down ? 0x80 : 0;
    Record(dik, down ? 0x80 : 0);
}

void DirectInputDevice::OnButton(int sdlButton, bool down) {
    int button = -1;
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: button = 0; break;
        case SDL_BUTTON_RIGHT: button = 1; break;
        case SDL_BUTTON_MIDDLE: button = 2; break;
        case SDL_BUTTON_X1: button = 3; break;
        default: return;  // DIMOUSESTATE has four buttons
    }
    m_mouse.rgbButtons[button] = down ? 0x80 : 0;
    Record(DIMOFS_BUTTON0 + static_cast<DWORD>(button), down ? 0x80 : 0);
}

void DirectInputDevice::ReleaseAll() {
    std::memset(m_keys, 0, sizeof(m_keys));
    std::memset(m_mouse.rgbButtons, 0, sizeof(m_mouse.rgbButtons));
}

}  // namespace vlm_platform
