// The keyboard and mouse devices: SDL key, button, motion and wheel events become buffered
// records and immediate state while the device is acquired; window focus events decide
// acquisition at the foreground co-operative level.
#include <velmora/platform/dinput8/detail/Device.h>

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <velmora/platform/dinput8/detail/KeyCodes.h>
#include <velmora/platform/win32/detail/Clock.h>
#include <velmora/platform/win32/detail/EventPump.h>
#include <velmora/platform/win32/detail/WindowObject.h>

namespace vlm_platform {

namespace {

constexpr LONG kWheelDelta = 120;  // one wheel notch, as Windows reports it

struct DeviceRegistry {
    std::vector<DirectInputDevice*> devices;
    DWORD sequence = 0;  // shared by all devices, so records of both can be ordered
};

DeviceRegistry& Registry();

void Dispatch(const SDL_Event& e, void*) {
    for (DirectInputDevice* device : Registry().devices) device->OnEvent(e);
}

DeviceRegistry& Registry() {
    // Never destroyed: devices owned by static objects are released while the process exits.
    static DeviceRegistry* registry = [] {
        AddRawEventListener(Dispatch, nullptr);
        return new DeviceRegistry;
    }();
    return *registry;
}

const DIDATAFORMAT& StandardFormat(DeviceKind kind) {
    return kind == DeviceKind::Keyboard ? c_dfDIKeyboard : c_dfDIMouse;
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

DirectInputDevice::DirectInputDevice(DeviceKind kind, IDirectInput8A* parent) : m_kind(kind), m_parent(parent) {
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
    if (!format || !SameLayout(*format, StandardFormat(m_kind))) return DIERR_INVALIDPARAM;
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
    if (property != DIPROP_BUFFERSIZE) return DIERR_UNSUPPORTED;
    if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHeaderSize != sizeof(DIPROPHEADER) ||
        header->dwHow != DIPH_DEVICE || header->dwObj != 0)
        return DIERR_INVALIDPARAM;
    if (m_acquired) return DIERR_ACQUIRED;
    m_bufferSize = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
    return DI_OK;
}

HRESULT DirectInputDevice::Acquire() {
    if (!m_formatSet) return DIERR_INVALIDPARAM;
    if (m_acquired) return DI_NOEFFECT;
    PumpEvents();  // what happened before this call is not recorded
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
    if (!data || size != StandardFormat(m_kind).dwDataSize) return DIERR_INVALIDPARAM;
    if (m_kind == DeviceKind::Keyboard) {
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

    if (m_kind == DeviceKind::Keyboard) {
        if ((e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) && !e.key.repeat)
            OnKey(e.key.keysym.scancode, e.type == SDL_KEYDOWN);
        return;
    }
    switch (e.type) {
        case SDL_MOUSEMOTION:
            if (!m_acquired) break;
            m_mouse.lX += e.motion.xrel;
            m_mouse.lY += e.motion.yrel;
            if (e.motion.xrel) Record(DIMOFS_X, static_cast<DWORD>(e.motion.xrel));
            if (e.motion.yrel) Record(DIMOFS_Y, static_cast<DWORD>(e.motion.yrel));
            break;
        case SDL_MOUSEWHEEL: {
            if (!m_acquired) break;
            LONG dz = e.wheel.y * kWheelDelta * (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1);
            m_mouse.lZ += dz;
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
