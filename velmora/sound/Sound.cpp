// CSound: a sound file decoded into a DirectSound buffer, released and reloaded by name.
#include <velmora/sound/Sound.h>

#include <algorithm>
#include <cstring>

#include <velmora/core/Log.h>
#include <velmora/platform/dsound/SoundFile.h>
#include <velmora/platform/win32/Time.h>

CSound::CSound() = default;

CSound::~CSound() { Destroy(); }

DWORD CSound::GetLength() const {
    const DWORD rate = m_Format.nSamplesPerSec;
    return rate ? DWORD((uint64_t(m_dwFrames) * 1000 + rate - 1) / rate) : 0;
}

bool CSound::Describe(IDirectSound8* directSound, const char* file) {
    Destroy();
    if (!file || !*file) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return false;
    }
    velmora::SoundFile sound;
    std::string error;
    if (!sound.Open(file, &error)) {
        WriteLog(INFO_ERROR, "Can't load sound file[%s]! (%s)", file, error.c_str());
        return false;
    }
    // What one buffer can hold; a longer sound is music, which is streamed.
    const WAVEFORMATEX format = sound.GetFormat(velmora::SoundSampleType::Pcm16);
    if (sound.GetFrames() > DSBSIZE_MAX / format.nBlockAlign) {
        WriteLog(INFO_ERROR, "Can't load sound file[%s]! (too long for a sound: play it as music)", file);
        return false;
    }
    m_strName = file;
    m_Format = format;
    m_dwFrames = DWORD(sound.GetFrames());
    m_pDirectSound = directSound;
    m_dwLastUseTime = timeGetTime();
    m_nRef = 1;
    return true;
}

bool CSound::Decode() {
    velmora::DecodedSound decoded;
    std::string error;
    if (!velmora::DecodeSoundFile(m_strName.c_str(), velmora::SoundSampleType::Pcm16, &decoded, &error)) {
        WriteLog(INFO_ERROR, "Can't load sound file[%s]! (%s)", m_strName.c_str(), error.c_str());
        return false;
    }
    // The length a decode finds is the true one (an MP3 header may only estimate it).
    m_dwFrames = DWORD(std::min<uint64_t>(decoded.frames, DSBSIZE_MAX / decoded.format.nBlockAlign));
    m_Format = decoded.format;
    m_bRelease = false;
    if (!m_pDirectSound) return true;

    // A buffer holds at least DSBSIZE_MIN bytes: a sound shorter than that plays a frame or
    // so of silence after its end.
    const DWORD align = m_Format.nBlockAlign;
    const DWORD bytes = std::max<DWORD>(m_dwFrames, (DSBSIZE_MIN + align - 1) / align) * align;
    WAVEFORMATEX format = m_Format;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_GLOBALFOCUS |
                   DSBCAPS_GETCURRENTPOSITION2;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    if (FAILED(m_pDirectSound->CreateSoundBuffer(&desc, &buffer, nullptr)) ||
        FAILED(buffer->Lock(0, bytes, &p1, &n1, &p2, &n2, 0))) {
        if (buffer) buffer->Release();
        WriteLog(INFO_ERROR, "Can't load sound file[%s]! (no sound buffer)", m_strName.c_str());
        m_bRelease = true;
        return false;
    }
    std::memcpy(p1, decoded.samples.data(), size_t(m_dwFrames) * align);
    buffer->Unlock(p1, n1, p2, n2);
    m_pBuffer = buffer;
    return true;
}

bool CSound::LoadSound(IDirectSound8* directSound, const char* file) {
    if (!Describe(directSound, file)) return false;
    if (Decode()) return true;
    Destroy();
    return false;
}

bool CSound::LoadSoundDesc(IDirectSound8* directSound, const char* file) {
    if (!Describe(directSound, file)) return false;
    m_bRelease = true;
    return true;
}

int CSound::AddRef() { return ++m_nRef; }

int CSound::Release() {
    if (--m_nRef <= 0) Destroy();
    return m_nRef;
}

int CSound::AutoRemove() {
    if (m_pBuffer) {
        m_pBuffer->Release();
        m_pBuffer = nullptr;
    }
    m_bRelease = true;
    return m_nRef;
}

bool CSound::AutoLoad() {
    if (!m_bRelease) return !m_strName.empty();
    return !m_strName.empty() && Decode();
}

void CSound::Destroy() {
    if (m_pBuffer) m_pBuffer->Release();
    m_pBuffer = nullptr;
    m_pDirectSound = nullptr;
    m_strName.clear();
    m_Format = WAVEFORMATEX{};
    m_dwFrames = 0;
    m_bRelease = false;
    m_nRef = 0;
}
