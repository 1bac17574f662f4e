// The primary DirectSound buffer.
#include <velmora/platform/dsound/detail/PrimaryBuffer.h>

#include <cstring>

#include <velmora/platform/dsound/detail/WaveFormats.h>

namespace vlm_platform {

PrimaryBuffer::PrimaryBuffer(std::shared_ptr<DeviceSettings> settings, DWORD flags)
    : m_settings(std::move(settings)), m_dwFlags(flags), m_bHoldsDevice(m_mixer.AcquireDevice(nullptr)) {}

PrimaryBuffer::~PrimaryBuffer() {
    if (m_bHoldsDevice) m_mixer.ReleaseDevice();
}

HRESULT PrimaryBuffer::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDirectSoundBuffer) return E_NOINTERFACE;
    *object = static_cast<IDirectSoundBuffer*>(this);
    AddRef();
    return S_OK;
}

HRESULT PrimaryBuffer::GetCaps(LPDSBCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    caps->dwFlags = m_dwFlags | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = m_mixer.PassFrames() * m_settings->primaryFormat.nBlockAlign;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) {
    if (playCursor) *playCursor = 0;
    if (writeCursor) *writeCursor = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) {
    if (!format) {
        if (!sizeWritten) return DSERR_INVALIDPARAM;
        *sizeWritten = sizeof(WAVEFORMATEX);
        return DS_OK;
    }
    if (sizeAllocated < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    std::memcpy(format, &m_settings->primaryFormat, sizeof(WAVEFORMATEX));
    if (sizeWritten) *sizeWritten = sizeof(WAVEFORMATEX);
    return DS_OK;
}

HRESULT PrimaryBuffer::GetVolume(LPLONG volume) {
    if (!(m_dwFlags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (!volume) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    *volume = m_settings->volume;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetPan(LPLONG pan) {
    if (!(m_dwFlags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (!pan) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    *pan = m_settings->pan;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetFrequency(LPDWORD) { return DSERR_CONTROLUNAVAIL; }

HRESULT PrimaryBuffer::GetStatus(LPDWORD status) {
    if (!status) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    *status = m_settings->primaryPlaying ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) { return DSERR_ALREADYINITIALIZED; }

// Writing the primary buffer needs DSSCL_WRITEPRIMARY, which is not offered.
HRESULT PrimaryBuffer::Lock(DWORD, DWORD, LPVOID* audioPtr1, LPDWORD audioBytes1, LPVOID* audioPtr2,
                            LPDWORD audioBytes2, DWORD) {
    if (audioPtr1) *audioPtr1 = nullptr;
    if (audioBytes1) *audioBytes1 = 0;
    if (audioPtr2) *audioPtr2 = nullptr;
    if (audioBytes2) *audioBytes2 = 0;
    return DSERR_PRIOLEVELNEEDED;
}

HRESULT PrimaryBuffer::Unlock(LPVOID, DWORD, LPVOID, DWORD) { return DSERR_PRIOLEVELNEEDED; }

HRESULT PrimaryBuffer::Play(DWORD reserved1, DWORD priority, DWORD flags) {
    if (reserved1 != 0 || priority != 0 || flags != DSBPLAY_LOOPING) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    m_settings->primaryPlaying = true;
    return DS_OK;
}

HRESULT PrimaryBuffer::Stop() {
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    m_settings->primaryPlaying = false;
    return DS_OK;
}

HRESULT PrimaryBuffer::SetCurrentPosition(DWORD) { return DSERR_INVALIDCALL; }

HRESULT PrimaryBuffer::SetFormat(LPCWAVEFORMATEX format) {
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    if (m_settings->level < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    const HRESULT check = CheckWaveFormat(format, nullptr);
    if (FAILED(check)) return check;
    m_settings->primaryFormat = *format;
    m_settings->primaryFormat.cbSize = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::SetVolume(LONG volume) {
    if (!(m_dwFlags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    {
        std::lock_guard<std::mutex> state(m_mixer.StateLock());
        m_settings->volume = volume;
    }
    ApplyMaster();
    return DS_OK;
}

HRESULT PrimaryBuffer::SetPan(LONG pan) {
    if (!(m_dwFlags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    {
        std::lock_guard<std::mutex> state(m_mixer.StateLock());
        m_settings->pan = pan;
    }
    ApplyMaster();
    return DS_OK;
}

void PrimaryBuffer::ApplyMaster() {
    LONG volume, pan;
    {
        std::lock_guard<std::mutex> state(m_mixer.StateLock());
        volume = m_settings->volume;
        pan = m_settings->pan;
    }
    float left, right;
    GainsOf(volume, pan, &left, &right);
    m_mixer.SetMasterGains(left, right);
}

HRESULT PrimaryBuffer::SetFrequency(DWORD) { return DSERR_CONTROLUNAVAIL; }

HRESULT PrimaryBuffer::Restore() { return DS_OK; }

}  // namespace vlm_platform
