// A secondary DirectSound buffer: validation of every call, the cursors, locks and
// notifications; the mixer plays its voice.
#include <velmora/platform/dsound/detail/SoundBuffer.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include <velmora/platform/dsound/detail/WaveFormats.h>

namespace vlm_platform {

namespace {

constexpr DWORD kUnsupportedFlags = DSBCAPS_CTRL3D | DSBCAPS_CTRLFX | DSBCAPS_LOCHARDWARE;

}  // namespace

HRESULT SoundBuffer::Create(const DSBUFFERDESC& desc, std::shared_ptr<FocusState> focus, SoundBuffer** buffer) {
    *buffer = nullptr;
    SampleLayout layout;
    const HRESULT format = CheckWaveFormat(desc.lpwfxFormat, &layout);
    if (FAILED(format)) return format;
    if (desc.dwFlags & kUnsupportedFlags) return DSERR_CONTROLUNAVAIL;
    const WAVEFORMATEX& f = *desc.lpwfxFormat;
    if (desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX || desc.dwBufferBytes < f.nBlockAlign)
        return DSERR_INVALIDPARAM;

    auto memory = std::make_shared<SampleMemory>(desc.dwBufferBytes);
    if (memory->size != desc.dwBufferBytes) return DSERR_OUTOFMEMORY;
    if (layout == SampleLayout::U8Mono || layout == SampleLayout::U8Stereo)
        std::memset(memory->bytes, 0x80, memory->size);  // silence of unsigned samples
    SoundBuffer* created = new (std::nothrow) SoundBuffer();
    if (!created) return DSERR_OUTOFMEMORY;
    created->m_bHoldsDevice = created->m_mixer.AcquireDevice(nullptr);
    created->m_dwFlags = desc.dwFlags;
    created->m_dwBytes = desc.dwBufferBytes;
    created->m_format = f;
    created->m_format.cbSize = 0;
    Voice& v = created->m_voice;
    v.memory = std::move(memory);
    v.focus = std::move(focus);
    v.frames = desc.dwBufferBytes / f.nBlockAlign;
    v.blockAlign = f.nBlockAlign;
    v.layout = layout;
    v.followsFocus = (desc.dwFlags & (DSBCAPS_GLOBALFOCUS | DSBCAPS_STICKYFOCUS)) == 0;
    v.frequency = f.nSamplesPerSec;
    created->m_mixer.Register(v);
    *buffer = created;
    return DS_OK;
}

HRESULT SoundBuffer::Duplicate(SoundBuffer** duplicate) {
    *duplicate = nullptr;
    SoundBuffer* copy = new (std::nothrow) SoundBuffer();
    if (!copy) return DSERR_OUTOFMEMORY;
    copy->m_bHoldsDevice = m_mixer.AcquireDevice(nullptr);
    copy->m_dwFlags = m_dwFlags;
    copy->m_dwBytes = m_dwBytes;
    copy->m_format = m_format;
    Voice& v = copy->m_voice;
    v.memory = m_voice.memory;
    v.focus = m_voice.focus;
    v.frames = m_voice.frames;
    v.blockAlign = m_voice.blockAlign;
    v.layout = m_voice.layout;
    v.followsFocus = m_voice.followsFocus;
    {
        std::lock_guard<std::mutex> state(m_mixer.StateLock());
        v.frequency = m_voice.frequency;
        v.gainLeft = m_voice.gainLeft;
        v.gainRight = m_voice.gainRight;
        copy->m_lVolume = m_lVolume;
        copy->m_lPan = m_lPan;
    }
    m_mixer.Register(v);
    *duplicate = copy;
    return DS_OK;
}

SoundBuffer::~SoundBuffer() {
    m_mixer.Remove(m_voice);
    if (m_bHoldsDevice) m_mixer.ReleaseDevice();
}

HRESULT SoundBuffer::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDirectSoundBuffer || iid == IID_IDirectSoundBuffer8) {
        *object = static_cast<IDirectSoundBuffer8*>(this);
    } else if (iid == IID_IDirectSoundNotify && (m_dwFlags & DSBCAPS_CTRLPOSITIONNOTIFY)) {
        *object = static_cast<IDirectSoundNotify*>(&m_notify);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT SoundBuffer::GetCaps(LPDSBCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = m_dwFlags | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = m_dwBytes;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

DWORD SoundBuffer::WriteLead() const {
    // What the mixer's next pass may read: its frames at this frequency, and the frame
    // that the last one interpolates towards.
    const uint64_t lead = (uint64_t(m_mixer.PassFrames()) * m_voice.frequency + m_mixer.Rate() - 1) / m_mixer.Rate();
    return DWORD(std::min<uint64_t>(lead + 1, m_voice.frames - 1));
}

HRESULT SoundBuffer::GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) {
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    const DWORD frame = DWORD(m_voice.position >> 32);
    if (playCursor) *playCursor = frame * m_voice.blockAlign;
    if (writeCursor) {
        const DWORD lead = m_voice.playing ? WriteLead() : 0;
        *writeCursor = DWORD((uint64_t(frame) + lead) % m_voice.frames) * m_voice.blockAlign;
    }
    return DS_OK;
}

HRESULT SoundBuffer::GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) {
    if (!format) {
        if (!sizeWritten) return DSERR_INVALIDPARAM;
        *sizeWritten = sizeof(WAVEFORMATEX);
        return DS_OK;
    }
    if (sizeAllocated < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
    std::memcpy(format, &m_format, sizeof(WAVEFORMATEX));
    if (sizeWritten) *sizeWritten = sizeof(WAVEFORMATEX);
    return DS_OK;
}

HRESULT SoundBuffer::GetVolume(LPLONG volume) {
    if (!(m_dwFlags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (!volume) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    *volume = m_lVolume;
    return DS_OK;
}

HRESULT SoundBuffer::GetPan(LPLONG pan) {
    if (!(m_dwFlags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (!pan) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    *pan = m_lPan;
    return DS_OK;
}

HRESULT SoundBuffer::GetFrequency(LPDWORD frequency) {
    if (!(m_dwFlags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (!frequency) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    *frequency = m_voice.frequency;
    return DS_OK;
}

HRESULT SoundBuffer::GetStatus(LPDWORD status) {
    if (!status) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    *status = 0;
    if (m_mixer.IsLost(m_voice)) *status |= DSBSTATUS_BUFFERLOST;
    if (m_voice.playing) *status |= DSBSTATUS_PLAYING | (m_voice.looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT SoundBuffer::Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) { return DSERR_ALREADYINITIALIZED; }

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* audioPtr1, LPDWORD audioBytes1, LPVOID* audioPtr2,
                          LPDWORD audioBytes2, DWORD flags) {
    if (!audioPtr1 || !audioBytes1) return DSERR_INVALIDPARAM;
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = m_dwBytes;
    {
        std::lock_guard<std::mutex> state(m_mixer.StateLock());
        if (m_mixer.IsLost(m_voice)) return DSERR_BUFFERLOST;
        if (flags & DSBLOCK_FROMWRITECURSOR) {
            const DWORD lead = m_voice.playing ? WriteLead() : 0;
            offset = DWORD((uint64_t(m_voice.position >> 32) + lead) % m_voice.frames) * m_voice.blockAlign;
        }
    }
    if (offset >= m_dwBytes || bytes == 0 || bytes > m_dwBytes) return DSERR_INVALIDPARAM;
    const DWORD first = std::min(bytes, m_dwBytes - offset);
    *audioPtr1 = m_voice.memory->bytes + offset;
    *audioBytes1 = first;
    const bool wraps = bytes > first && audioPtr2 && audioBytes2;
    if (audioPtr2) *audioPtr2 = wraps ? m_voice.memory->bytes : nullptr;
    if (audioBytes2) *audioBytes2 = wraps ? bytes - first : 0;
    return DS_OK;
}

bool SoundBuffer::Owns(const void* pointer, DWORD bytes) const {
    const uint8_t* p = static_cast<const uint8_t*>(pointer);
    const uint8_t* begin = m_voice.memory->bytes;
    return p >= begin && p < begin + m_dwBytes && bytes <= DWORD(begin + m_dwBytes - p);
}

HRESULT SoundBuffer::Unlock(LPVOID audioPtr1, DWORD audioBytes1, LPVOID audioPtr2, DWORD audioBytes2) {
    if (!audioPtr1 || !Owns(audioPtr1, audioBytes1)) return DSERR_INVALIDPARAM;
    if (audioPtr2 && (audioPtr2 != m_voice.memory->bytes || audioBytes2 > m_dwBytes)) return DSERR_INVALIDPARAM;
    // Taking the state lock publishes what was written to the mixer, which reads the
    // samples after it takes the lock itself.
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    return DS_OK;
}

HRESULT SoundBuffer::Play(DWORD reserved1, DWORD priority, DWORD flags) {
    const bool deferred = (m_dwFlags & DSBCAPS_LOCDEFER) != 0;
    if (reserved1 != 0 || (priority != 0 && !deferred)) return DSERR_INVALIDPARAM;
    if ((flags & ~DWORD(DSBPLAY_LOOPING)) && !deferred) return DSERR_INVALIDPARAM;
    if ((flags & DSBPLAY_LOCHARDWARE) && (flags & DSBPLAY_LOCSOFTWARE)) return DSERR_INVALIDPARAM;
    return m_mixer.Play(m_voice, (flags & DSBPLAY_LOOPING) != 0) ? DS_OK : DSERR_BUFFERLOST;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD newPosition) {
    if (newPosition >= m_dwBytes) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    m_voice.position = uint64_t(newPosition / m_voice.blockAlign) << 32;
    ++m_voice.generation;
    return DS_OK;
}

HRESULT SoundBuffer::SetFormat(LPCWAVEFORMATEX) { return DSERR_INVALIDCALL; }

HRESULT SoundBuffer::SetVolume(LONG volume) {
    if (!(m_dwFlags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    float left, right;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    GainsOf(volume, m_lPan, &left, &right);
    m_lVolume = volume;
    m_voice.gainLeft = left;
    m_voice.gainRight = right;
    return DS_OK;
}

HRESULT SoundBuffer::SetPan(LONG pan) {
    if (!(m_dwFlags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    float left, right;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    GainsOf(m_lVolume, pan, &left, &right);
    m_lPan = pan;
    m_voice.gainLeft = left;
    m_voice.gainRight = right;
    return DS_OK;
}

HRESULT SoundBuffer::SetFrequency(DWORD frequency) {
    if (!(m_dwFlags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency == DSBFREQUENCY_ORIGINAL) frequency = m_format.nSamplesPerSec;
    if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> state(m_mixer.StateLock());
    m_voice.frequency = frequency;
    return DS_OK;
}

HRESULT SoundBuffer::Stop() {
    m_mixer.Stop(m_voice);
    return DS_OK;
}

HRESULT SoundBuffer::Restore() { return m_mixer.Restore(m_voice) ? DS_OK : DSERR_BUFFERLOST; }

HRESULT SoundBuffer::SetFX(DWORD, LPDSEFFECTDESC, LPDWORD) { return DSERR_CONTROLUNAVAIL; }

HRESULT SoundBuffer::AcquireResources(DWORD, DWORD, LPDWORD) {
    return (m_dwFlags & DSBCAPS_LOCDEFER) ? DS_OK : DSERR_INVALIDCALL;
}

HRESULT SoundBuffer::GetObjectInPath(REFGUID, DWORD, REFGUID, LPVOID* result) {
    if (result) *result = nullptr;
    return DSERR_CONTROLUNAVAIL;
}

HRESULT SoundBuffer::Notify::SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY positions) {
    if ((count > 0 && !positions) || count > DSBNOTIFICATIONS_MAX) return DSERR_INVALIDPARAM;
    std::vector<DSBPOSITIONNOTIFY> list;
    try {
        list.assign(positions, positions + count);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    for (const DSBPOSITIONNOTIFY& n : list)
        if ((n.dwOffset != DSBPN_OFFSETSTOP && n.dwOffset >= m_owner.m_dwBytes) || !n.hEventNotify)
            return DSERR_INVALIDPARAM;
    // Stop notifications (the largest offset) sort last.
    std::stable_sort(list.begin(), list.end(),
                     [](const DSBPOSITIONNOTIFY& a, const DSBPOSITIONNOTIFY& b) { return a.dwOffset < b.dwOffset; });
    std::lock_guard<std::mutex> state(m_owner.m_mixer.StateLock());
    if (m_owner.m_voice.playing) return DSERR_INVALIDCALL;
    m_owner.m_voice.notifications.swap(list);
    return DS_OK;  // the old list is freed after the lock
}

}  // namespace vlm_platform
