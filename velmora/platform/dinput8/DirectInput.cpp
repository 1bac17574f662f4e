// DirectInput8Create, the DirectInput object that lists and makes the system keyboard and
// mouse and the game controllers, and the standard data formats.
#include <velmora/platform/dinput8/DInput8.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>

#include <velmora/platform/dinput8/detail/Device.h>
#include <velmora/platform/win32/detail/ComObject.h>
#include <velmora/platform/win32/detail/EventPump.h>
#include <velmora/platform/win32/detail/SdlVideo.h>

namespace {

constexpr std::array<DIOBJECTDATAFORMAT, 256> KeyboardObjects() {
    std::array<DIOBJECTDATAFORMAT, 256> objects{};
    for (DWORD key = 0; key < 256; ++key)
        objects[key] = {&GUID_Key, key, DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_MAKEINSTANCE(key), 0};
    return objects;
}
constexpr std::array<DIOBJECTDATAFORMAT, 256> kKeyboardObjects = KeyboardObjects();

constexpr DIOBJECTDATAFORMAT kMouseObjects[] = {
    {&GUID_XAxis, DIMOFS_X, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_YAxis, DIMOFS_Y, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_ZAxis, DIMOFS_Z, DIDFT_OPTIONAL | DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON0, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON1, DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON2, DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON3, DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
};

// A joystick state's objects: six axes, two sliders, four hats and `buttons` buttons; the
// big format adds velocities, accelerations and forces (each six axes and two sliders).
template <size_t N>
constexpr std::array<DIOBJECTDATAFORMAT, N> JoystickObjects(DWORD buttons, bool big) {
    std::array<DIOBJECTDATAFORMAT, N> objects{};
    const GUID* axes[6] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis, &GUID_RxAxis, &GUID_RyAxis, &GUID_RzAxis};
    const DWORD axis = DIDFT_OPTIONAL | DIDFT_AXIS | DIDFT_ANYINSTANCE;
    size_t n = 0;
    for (int group = 0; group < (big ? 4 : 1); ++group) {
        // The groups after the positions start after the buttons, 32 bytes each.
        const DWORD base = group == 0 ? 0 : DIJOFS_BUTTON(buttons) + DWORD(group - 1) * 32;
        for (DWORD a = 0; a < 6; ++a) objects[n++] = {axes[a], base + 4 * a, axis, 0};
        for (DWORD s = 0; s < 2; ++s) objects[n++] = {&GUID_Slider, base + 24 + 4 * s, axis, 0};
        if (group > 0) continue;
        for (DWORD p = 0; p < 4; ++p)
            objects[n++] = {&GUID_POV, DWORD(DIJOFS_POV(p)), DIDFT_OPTIONAL | DIDFT_POV | DIDFT_ANYINSTANCE, 0};
        for (DWORD b = 0; b < buttons; ++b)
            objects[n++] = {nullptr, DWORD(DIJOFS_BUTTON(b)), DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0};
    }
    return objects;
}
constexpr auto kJoystickObjects = JoystickObjects<8 + 4 + 32>(32, false);
constexpr auto kJoystick2Objects = JoystickObjects<8 + 4 + 128 + 3 * 8>(128, true);

constexpr DIDATAFORMAT StandardFormat(DWORD dataSize, const DIOBJECTDATAFORMAT* objects, size_t count) {
    return {
        sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, dataSize, static_cast<DWORD>(count), objects};
}

DWORD GamepadType(const vlm_platform::Controller& c) {
    return c.gamepad ? DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8)
                     : DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8);
}

// Offers one device to an EnumDevices callback; false when the callback says stop.
bool Offer(LPDIENUMDEVICESCALLBACKA callback, LPVOID ref, const GUID& instance, const GUID& product, DWORD type,
           const char* name) {
    DIDEVICEINSTANCEA device;
    std::memset(&device, 0, sizeof(device));
    device.dwSize = sizeof(device);
    device.guidInstance = instance;
    device.guidProduct = product;
    device.dwDevType = type;
    std::snprintf(device.tszInstanceName, sizeof(device.tszInstanceName), "%s", name);
    std::snprintf(device.tszProductName, sizeof(device.tszProductName), "%s", name);
    return callback(&device, ref) != DIENUM_STOP;
}

class DirectInput final : public vlm_platform::ComObject<IDirectInput8A> {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDirectInput8A) return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IDirectInput8A*>(this);
        return S_OK;
    }

    HRESULT CreateDevice(REFGUID device, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN outer) override {
        if (!out) return DIERR_INVALIDPARAM;
        *out = nullptr;
        if (outer) return DIERR_NOAGGREGATION;
        vlm_platform::DeviceKind kind;
        int slot = 0;
        if (device == GUID_SysKeyboard) {
            kind = vlm_platform::DeviceKind::Keyboard;
        } else if (device == GUID_SysMouse) {
            kind = vlm_platform::DeviceKind::Mouse;
        } else {
            // A controller known by its instance GUID, plugged in or not.
            slot = vlm_platform::FindController(device);
            if (slot < 0) return DIERR_DEVICENOTREG;
            kind = vlm_platform::DeviceKind::Joystick;
        }
        *out = new (std::nothrow) vlm_platform::DirectInputDevice(kind, this, size_t(slot));
        return *out ? DI_OK : DIERR_OUTOFMEMORY;
    }

    HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref, DWORD flags) override {
        if (!callback || devType > DI8DEVCLASS_GAMECTRL) return DIERR_INVALIDPARAM;
        if (devType == DI8DEVCLASS_ALL || devType == DI8DEVCLASS_KEYBOARD)
            if (!Offer(callback, ref, GUID_SysKeyboard, GUID_SysKeyboard, DI8DEVTYPE_KEYBOARD, "Keyboard"))
                return DI_OK;
        if (devType == DI8DEVCLASS_ALL || devType == DI8DEVCLASS_POINTER)
            if (!Offer(callback, ref, GUID_SysMouse, GUID_SysMouse, DI8DEVTYPE_MOUSE, "Mouse")) return DI_OK;
        if (devType != DI8DEVCLASS_ALL && devType != DI8DEVCLASS_GAMECTRL) return DI_OK;
        vlm_platform::PumpEvents();
        vlm_platform::SyncControllers();
        for (size_t i = 0; i < vlm_platform::ControllerCount(); ++i) {
            // Copied: the callback may pump events, which changes the slots.
            const vlm_platform::Controller c = *vlm_platform::ControllerAt(i);
            if ((flags & DIEDFL_ATTACHEDONLY) && !c.Attached()) continue;
            if (!Offer(callback, ref, c.instance, c.product, GamepadType(c), c.name.c_str())) return DI_OK;
        }
        return DI_OK;
    }

    HRESULT GetDeviceStatus(REFGUID instance) override {
        if (instance == GUID_SysKeyboard || instance == GUID_SysMouse) return DI_OK;
        vlm_platform::PumpEvents();
        const int slot = vlm_platform::FindController(instance);
        if (slot < 0) return DIERR_DEVICENOTREG;
        return vlm_platform::ControllerAt(size_t(slot))->Attached() ? DI_OK : DI_NOTATTACHED;
    }
};

}  // namespace

const DIDATAFORMAT c_dfDIKeyboard = StandardFormat(256, kKeyboardObjects.data(), kKeyboardObjects.size());
const DIDATAFORMAT c_dfDIMouse = StandardFormat(sizeof(DIMOUSESTATE), kMouseObjects, std::size(kMouseObjects));
const DIDATAFORMAT c_dfDIJoystick =
    StandardFormat(sizeof(DIJOYSTATE), kJoystickObjects.data(), kJoystickObjects.size());
const DIDATAFORMAT c_dfDIJoystick2 =
    StandardFormat(sizeof(DIJOYSTATE2), kJoystick2Objects.data(), kJoystick2Objects.size());

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* out, LPUNKNOWN outer) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (!instance) return DIERR_INVALIDPARAM;
    if (outer) return DIERR_NOAGGREGATION;
    if (version < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
    if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
    if (riid != IID_IDirectInput8A) return DIERR_NOINTERFACE;
    // The devices are fed by SDL's event queue; without controllers the keyboard and the
    // mouse still work.
    if (!vlm_platform::EnsureVideo()) return DIERR_GENERIC;
    vlm_platform::StartInputEvents();
    IDirectInput8A* input = new (std::nothrow) DirectInput();
    if (!input) return DIERR_OUTOFMEMORY;
    *out = input;
    return DI_OK;
}
