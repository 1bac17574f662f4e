// The primary DirectSound buffer: the format it reports, and the volume and pan of the whole
// mix. The mixer writes the device itself, so the primary buffer cannot be locked.
#pragma once

#include <atomic>
#include <memory>

#include <velmora/platform/dsound/DirectSound8.h>
#include <velmora/platform/dsound/detail/Mixer.h>
#include <velmora/platform/win32/detail/ComObject.h>

namespace vlm_platform {

// What a DirectSound object and its primary buffers share; changed under the state lock.
struct DeviceSettings {
    std::shared_ptr<FocusState> focus = std::make_shared<FocusState>();
    DWORD level = 0;  // co-operative level, 0 before SetCooperativeLevel
    DWORD speakers = DSSPEAKER_STEREO;
    WAVEFORMATEX primaryFormat{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    LONG volume = DSBVOLUME_MAX;
    LONG pan = DSBPAN_CENTER;
    bool primaryPlaying = false;
};

class PrimaryBuffer final : public ComObject<IDirectSoundBuffer, std::atomic<ULONG>> {
public:
    PrimaryBuffer(std::shared_ptr<DeviceSettings> settings, DWORD flags);
    ~PrimaryBuffer() override;

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

private:
    void ApplyMaster();  // hands the settings' volume and pan to the mixer

    Mixer& m_mixer = Mixer::Get();
    std::shared_ptr<DeviceSettings> m_settings;
    DWORD m_dwFlags;
    bool m_bHoldsDevice;
};

}  // namespace vlm_platform
