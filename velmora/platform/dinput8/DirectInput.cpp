// DirectInput8Create, the DirectInput object that makes the system keyboard and mouse
// devices, and the standard data formats.
#include <velmora/platform/dinput8/DInput8.h>

#include <array>
#include <iterator>
#include <new>

#include <velmora/platform/dinput8/detail/Device.h>
#include <velmora/platform/win32/detail/ComObject.h>
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

constexpr DIDATAFORMAT StandardFormat(DWORD dataSize, const DIOBJECTDATAFORMAT* objects, size_t count) {
    return {
        sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, dataSize, static_cast<DWORD>(count), objects};
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
        if (device == GUID_SysKeyboard)
            kind = vlm_platform::DeviceKind::Keyboard;
        else if (device == GUID_SysMouse)
            kind = vlm_platform::DeviceKind::Mouse;
        else
            return DIERR_DEVICENOTREG;
        *out = new (std::nothrow) vlm_platform::DirectInputDevice(kind, this);
        return *out ? DI_OK : DIERR_OUTOFMEMORY;
    }
};

}  // namespace

const DIDATAFORMAT c_dfDIKeyboard = StandardFormat(256, kKeyboardObjects.data(), kKeyboardObjects.size());
const DIDATAFORMAT c_dfDIMouse = StandardFormat(sizeof(DIMOUSESTATE), kMouseObjects, std::size(kMouseObjects));

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* out, LPUNKNOWN outer) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (!instance) return DIERR_INVALIDPARAM;
    if (outer) return DIERR_NOAGGREGATION;
    if (version < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
    if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
    if (riid != IID_IDirectInput8A) return DIERR_NOINTERFACE;
    // The devices are fed by SDL's event queue.
    if (!vlm_platform::EnsureVideo()) return DIERR_GENERIC;
    IDirectInput8A* input = new (std::nothrow) DirectInput();
    if (!input) return DIERR_OUTOFMEMORY;
    *out = input;
    return DI_OK;
}
