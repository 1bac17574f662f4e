// A secondary DirectSound buffer: its memory, its voice in the mixer and its notifications.
#pragma once

#include <atomic>
#include <memory>

#include <velmora/platform/dsound/DirectSound8.h>
#include <velmora/platform/dsound/detail/Mixer.h>
#include <velmora/platform/win32/detail/ComObject.h>

namespace vlm_platform {

class SoundBuffer final : public ComObject<IDirectSoundBuffer8, std::atomic<ULONG>> {
public:
    // A new buffer as `desc` describes it (a secondary buffer), heard while `focus` allows.
    static HRESULT Create(const DSBUFFERDESC& desc, std::shared_ptr<FocusState> focus, SoundBuffer** buffer);
    // A buffer on the same memory; see IDirectSound::DuplicateSoundBuffer.
    HRESULT Duplicate(SoundBuffer** duplicate);

    HRESULT QueryInterface(REFIID iid, void** object) override;

    HRESULT GetCaps(LPDSBCAPS caps) override;
    HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override;
    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) override;
    HRESULT GetVolume(LPLONG volume) override;
    HRESULT GetPan(LPLONG pan) override;
    HRESULT GetFrequency(LPDWORD frequency) override;
    HRESULT GetStatus(LPDWORD status) override;
    HRESULT Initialize(LPDIRECTSOUND directSound, LPCDSBUFFERDESC desc) override;
    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audioPtr1, LPDWORD audioBytes1, LPVOID* audioPtr2,
                 LPDWORD audioBytes2, DWORD flags) override;
    HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD newPosition) override;
    HRESULT SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT SetPan(LONG pan) override;
    HRESULT SetFrequency(DWORD frequency) override;
    HRESULT Stop() override;
    HRESULT Unlock(LPVOID audioPtr1, DWORD audioBytes1, LPVOID audioPtr2, DWORD audioBytes2) override;
    HRESULT Restore() override;
    HRESULT SetFX(DWORD effectsCount, LPDSEFFECTDESC effects, LPDWORD resultCodes) override;
    HRESULT AcquireResources(DWORD flags, DWORD effectsCount, LPDWORD resultCodes) override;
    HRESULT GetObjectInPath(REFGUID object, DWORD index, REFGUID iid, LPVOID* result) override;

private:
    // The IDirectSoundNotify8 face of the buffer, counted with it.
    class Notify final : public IDirectSoundNotify {
    public:
        explicit Notify(SoundBuffer& owner) : m_owner(owner) {}
        HRESULT QueryInterface(REFIID iid, void** object) override { return m_owner.QueryInterface(iid, object); }
        ULONG AddRef() override { return m_owner.AddRef(); }
        ULONG Release() override { return m_owner.Release(); }
        HRESULT SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY positions) override;

    private:
        SoundBuffer& m_owner;
    };

    SoundBuffer() : m_notify(*this) {}
    ~SoundBuffer() override;
    // The write cursor's lead over the play cursor, in frames; under the state lock.
    DWORD WriteLead() const;
    bool Owns(const void* pointer, DWORD bytes) const;

    Mixer& m_mixer = Mixer::Get();
    bool m_bHoldsDevice = false;
    DWORD m_dwFlags = 0;
    DWORD m_dwBytes = 0;
    WAVEFORMATEX m_format{};
    Voice m_voice;
    LONG m_lVolume = DSBVOLUME_MAX;  // under the state lock, as are the voice's fields
    LONG m_lPan = DSBPAN_CENTER;
    Notify m_notify;
};

}  // namespace vlm_platform
