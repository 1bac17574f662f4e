// CInputDevice: device creation and reads shared by the keyboard and the mouse, and the
// ring of queued event codes.
#include <velmora/input/InputDevice.h>

#include <cstring>

#include <velmora/core/Log.h>
#include <velmora/input/detail/DeviceTraits.h>
#include <velmora/input/detail/SharedDirectInput.h>

CInputDevice::CInputDevice() : m_lpDevice(nullptr), m_dwBufferKey{}, m_nBufferHead(0), m_nBufferTail(0) {}

CInputDevice::~CInputDevice() = default;

unsigned int CInputDevice::GetBufferKey() {
    if (m_nBufferHead == m_nBufferTail) return 0;
    DWORD code = m_dwBufferKey[m_nBufferHead];
    m_nBufferHead = (m_nBufferHead + 1) % kRingSize;
    return code;
}

void CInputDevice::ClearBufferKey() {
    GetData();
    while (GetBufferKey() != 0) {
    }
}

void CInputDevice::PutBufferKey(DWORD code) {
    m_dwBufferKey[m_nBufferTail] = code;
    m_nBufferTail = (m_nBufferTail + 1) % kRingSize;
}

int CInputDevice::CreateDirectInputDevice(HWND hWnd, const vlm_engine::DeviceTraits& traits) {
    // A second creation replaces the device instead of leaking it.
    ReleaseDirectInputDevice();
    IDirectInput8* input = vlm_engine::SharedDirectInput();
    if (!input) return 0;

    const char* failure = nullptr;
    DIPROPDWORD buffer{};
    buffer.diph.dwSize = sizeof(DIPROPDWORD);
    buffer.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    buffer.diph.dwObj = 0;
    buffer.diph.dwHow = DIPH_DEVICE;
    buffer.dwData = kRingSize;
    if (FAILED(input->CreateDevice(traits.guid, &m_lpDevice, nullptr)))
        failure = traits.createFailed;
    else if (FAILED(m_lpDevice->SetDataFormat(&traits.format)))
        failure = traits.formatFailed;
    else if (FAILED(m_lpDevice->SetCooperativeLevel(hWnd, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE)))
        failure = traits.levelFailed;
    else if (FAILED(m_lpDevice->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph)))
        failure = traits.bufferFailed;
    if (!failure) return 1;  // acquired by the first read
    ReleaseDirectInputDevice();
    WriteLog(INFO_ERROR, "%s", failure);
    return 0;
}

void CInputDevice::ReleaseDirectInputDevice() {
    if (!m_lpDevice) return;
    m_lpDevice->Unacquire();
    m_lpDevice->Release();
    m_lpDevice = nullptr;
}

bool CInputDevice::Reacquire() {
    HRESULT result;
    do {
        result = m_lpDevice->Acquire();
    } while (result == DIERR_INPUTLOST);
    return result != DIERR_OTHERAPPHASPRIO && result != DIERR_NOTACQUIRED;
}

LONG CInputDevice::ReadState(void* state, DWORD size, const vlm_engine::DeviceTraits& traits) {
    if (!m_lpDevice) {
        WriteLog(INFO_WARNING, "%s", traits.noDevice);
        return -1;
    }
    std::memset(state, 0, size);
    HRESULT result = m_lpDevice->GetDeviceState(size, state);
    if (SUCCEEDED(result)) return result;
    if (!Reacquire()) return -1;
    std::memset(state, 0, size);
    result = m_lpDevice->GetDeviceState(size, state);
    if (FAILED(result)) WriteLog(INFO_WARNING, "%s", traits.stateFailed);
    return result;
}

LONG CInputDevice::ReadData(DIDEVICEOBJECTDATA* records, DWORD& count, const vlm_engine::DeviceTraits& traits) {
    count = 0;
    if (!m_lpDevice) {
        WriteLog(INFO_WARNING, "%s", traits.noDevice);
        return -1;
    }
    DWORD read = kRingSize;
    HRESULT result = m_lpDevice->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records, &read, 0);
    // An overflow still delivers the newest records: keep them rather than read again.
    if (result != DI_OK && result != DI_BUFFEROVERFLOW) {
        if (!Reacquire()) return -1;
        read = kRingSize;
        result = m_lpDevice->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records, &read, 0);
        if (FAILED(result)) {
            WriteLog(INFO_WARNING, "%s", traits.dataFailed);
            return result;
        }
    }
    count = read;
    return result;
}
