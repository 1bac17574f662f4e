// CSound: one sound effect, decoded whole into a DirectSound buffer (16-bit PCM at the file's
// own rate and channels), with what it takes to load it again: the file's name. The samples
// can be released and brought back by AutoLoad, as a texture's pixels are. Without a sound
// device a sound is still read and measured, so that a game behaves the same with or
// without one; it just holds no samples.
#pragma once

#include <string>

#include <velmora/Export.h>
#include <velmora/platform/dsound/DirectSound8.h>
#include <velmora/resource/Texture.h>

class VLM_API CSound {
public:
    CSound();
    // Owns its buffer: a copy would release it twice.
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;
    virtual ~CSound();

    // Each load first empties the object; a failed one leaves it empty, after a log line
    // naming the file. A successful one sets the reference count to 1. `directSound` makes
    // the buffers (null: no device, nothing is kept but the description).
    bool LoadSound(IDirectSound8* directSound, const char* file);
    // Reads only the file's header; the samples come with the first AutoLoad.
    bool LoadSoundDesc(IDirectSound8* directSound, const char* file);

    // The buffer holding the samples (null while released or without a device); voices play
    // duplicates of it.
    IDirectSoundBuffer* GetBuffer() const { return m_pBuffer; }
    const std::string& GetName() const { return m_strName; }
    // The samples' format as the file gives its rate and channels.
    const WAVEFORMATEX& GetFormat() const { return m_Format; }
    DWORD GetFrames() const { return m_dwFrames; }
    // Milliseconds at the sound's own rate, rounded up.
    DWORD GetLength() const;
    DWORD GetLastUseTime() const { return m_dwLastUseTime; }
    void SetLastUseTime(DWORD time) { m_dwLastUseTime = time; }
    MemoryMode GetMemMode() const { return m_MemMode; }
    void SetMemMode(MemoryMode mode) { m_MemMode = mode; }
    // True when the samples are not resident but can be loaded again from the name.
    bool IsRelease() const { return m_bRelease; }

    int AddRef();
    // Drops one reference and empties the object at 0; the owner deletes it. Returns the
    // count after the decrement.
    int Release();
    // Releases the samples but keeps the description; returns the reference count.
    int AutoRemove();
    // Brings back released samples; true when the sound can be played.
    bool AutoLoad();
    void Destroy();

private:
    // Reads the header: name, format and length. False after the log line.
    bool Describe(IDirectSound8* directSound, const char* file);
    // Decodes the file into a new buffer (nothing is kept without a device).
    bool Decode();

    int32_t m_nRef = 0;
    DWORD m_dwLastUseTime = 0;
    MemoryMode m_MemMode = MEM_AUTO;
    bool m_bRelease = false;
    std::string m_strName;
    WAVEFORMATEX m_Format{};
    DWORD m_dwFrames = 0;
    IDirectSound8* m_pDirectSound = nullptr;  // the manager's; it outlives its sounds
    IDirectSoundBuffer* m_pBuffer = nullptr;
};
