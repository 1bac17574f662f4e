// The DirectSound object: buffer creation, capabilities, co-operative level, and the focus
// of its window, followed from the window system's events.
#include <velmora/platform/dsound/DirectSound8.h>

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <new>

#include <velmora/platform/dsound/detail/PrimaryBuffer.h>
#include <velmora/platform/dsound/detail/SoundBuffer.h>
#include <velmora/platform/replay/detail/Session.h>
#include <velmora/platform/win32/detail/EventPump.h>
#include <velmora/platform/win32/detail/WindowObject.h>

namespace vlm_platform {

namespace {

class DirectSound final : public ComObject<IDirectSound8, std::atomic<ULONG>> {
public:
    ~DirectSound() override {
        if (m_bListening) RemoveRawEventListener(OnEvent, this);
        m_mixer.ReleaseDevice();
    }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDirectSound && iid != IID_IDirectSound8) return E_NOINTERFACE;
        *object = static_cast<IDirectSound8*>(this);
        AddRef();
        return S_OK;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) override {
        if (!buffer) return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        if (outer) return DSERR_NOAGGREGATION;
        if (!desc || (desc->dwSize != sizeof(DSBUFFERDESC) && desc->dwSize != sizeof(DSBUFFERDESC1)))
            return DSERR_INVALIDPARAM;
        // Older code passes the shorter structure, without the 3D algorithm.
        DSBUFFERDESC d{};
        std::memcpy(&d, desc, desc->dwSize);
        if (d.dwFlags & DSBCAPS_PRIMARYBUFFER) {
            if (d.lpwfxFormat || d.dwBufferBytes != 0) return DSERR_INVALIDPARAM;
            if (d.dwFlags & (DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_CTRLFX | DSBCAPS_STATIC))
                return DSERR_INVALIDPARAM;
            PrimaryBuffer* primary = new (std::nothrow) PrimaryBuffer(m_settings, d.dwFlags);
            if (!primary) return DSERR_OUTOFMEMORY;
            *buffer = primary;
            return DS_OK;
        }
        SoundBuffer* created = nullptr;
        const HRESULT hr = SoundBuffer::Create(d, m_settings->focus, &created);
        *buffer = created;
        return hr;
    }

    HRESULT GetCaps(LPDSCAPS caps) override {
        if (!caps || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
        *caps = DSCAPS{};
        caps->dwSize = sizeof(DSCAPS);
        caps->dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                        DSCAPS_CONTINUOUSRATE | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT |
                        DSCAPS_SECONDARY16BIT;
        caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
        caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
        caps->dwPrimaryBuffers = 1;
        return DS_OK;
    }

    HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) override {
        if (!duplicate) return DSERR_INVALIDPARAM;
        *duplicate = nullptr;
        if (!original) return DSERR_INVALIDPARAM;
        SoundBuffer* source = dynamic_cast<SoundBuffer*>(original);
        if (!source) return DSERR_INVALIDCALL;  // the primary buffer
        SoundBuffer* copy = nullptr;
        const HRESULT hr = source->Duplicate(&copy);
        *duplicate = copy;
        return hr;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
        if (level == DSSCL_WRITEPRIMARY) return DSERR_UNSUPPORTED;
        if (level < DSSCL_NORMAL || level > DSSCL_EXCLUSIVE) return DSERR_INVALIDPARAM;
        if (window && !IsLiveWindow(window)) return DSERR_INVALIDPARAM;
        {
            std::lock_guard<std::mutex> state(m_mixer.StateLock());
            m_settings->level = level;
            if (m_settings->focus->window != window) {
                m_settings->focus->window = window;
                m_settings->focus->inactive = false;
            }
        }
        if (!m_bListening) {
            AddRawEventListener(OnEvent, this);
            m_bListening = true;
        }
        return DS_OK;
    }

    HRESULT Compact() override {
        std::lock_guard<std::mutex> state(m_mixer.StateLock());
        return m_settings->level >= DSSCL_PRIORITY ? DS_OK : DSERR_PRIOLEVELNEEDED;
    }

    HRESULT GetSpeakerConfig(LPDWORD config) override {
        if (!config) return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> state(m_mixer.StateLock());
        *config = m_settings->speakers;
        return DS_OK;
    }

    HRESULT SetSpeakerConfig(DWORD config) override {
        if (DSSPEAKER_CONFIG(config) > DSSPEAKER_7POINT1) return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> state(m_mixer.StateLock());
        m_settings->speakers = config;
        return DS_OK;
    }

    HRESULT Initialize(LPCGUID) override { return DSERR_ALREADYINITIALIZED; }

    HRESULT VerifyCertification(LPDWORD certified) override {
        if (!certified) return DSERR_INVALIDPARAM;
        *certified = DS_UNCERTIFIED;
        return DS_OK;
    }

private:
    // On the thread that pumps the window system's events.
    static void OnEvent(const SDL_Event& e, void* user) {
        auto* self = static_cast<DirectSound*>(user);
        Mixer& mixer = self->m_mixer;
        if (e.type == SDL_AUDIODEVICEREMOVED && !e.adevice.iscapture && e.adevice.which != 0 &&
            e.adevice.which == mixer.DeviceId()) {
            mixer.LoseDevice();
            return;
        }
        if (e.type != SDL_WINDOWEVENT) return;
        if (e.window.event != SDL_WINDOWEVENT_FOCUS_GAINED && e.window.event != SDL_WINDOWEVENT_FOCUS_LOST) return;
        std::lock_guard<std::mutex> state(mixer.StateLock());
        FocusState& focus = *self->m_settings->focus;
        if (focus.window && IsLiveWindow(focus.window) && focus.window->sdlId == e.window.windowID)
            focus.inactive = e.window.event == SDL_WINDOWEVENT_FOCUS_LOST;
    }

    Mixer& m_mixer = Mixer::Get();
    std::shared_ptr<DeviceSettings> m_settings = std::make_shared<DeviceSettings>();
    bool m_bListening = false;
};

bool IsDefaultPlayback(LPCGUID device) {
    return !device || *device == GUID_NULL || *device == DSDEVID_DefaultPlayback ||
           *device == DSDEVID_DefaultVoicePlayback;
}

}  // namespace

}  // namespace vlm_platform

HRESULT DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* directSound, LPUNKNOWN outer) {
    if (!directSound) return DSERR_INVALIDPARAM;
    *directSound = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (!vlm_platform::IsDefaultPlayback(device)) return DSERR_NODRIVER;
    vlm_platform::Mixer& mixer = vlm_platform::Mixer::Get();
    bool opened = mixer.AcquireDevice(nullptr);
    // A recorded session's game has the device it had then, or none as then: with a device
    // or without, it goes the same way.
    if (vlm_platform::Session* session = vlm_platform::SessionHere()) {
        const bool wanted = session->SoundDevice(opened);
        if (opened && !wanted) {
            mixer.ReleaseDevice();
            mixer.SetDeviceError("the recorded session had none");
        }
        if (!opened && wanted) mixer.AcquireWithoutDevice();
        opened = wanted;
    }
    if (!opened) return DSERR_NODRIVER;
    auto* created = new (std::nothrow) vlm_platform::DirectSound();
    if (!created) {
        mixer.ReleaseDevice();
        return DSERR_OUTOFMEMORY;
    }
    *directSound = created;
    return DS_OK;
}

HRESULT DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* directSound, LPUNKNOWN outer) {
    if (!directSound) return DSERR_INVALIDPARAM;
    LPDIRECTSOUND8 created = nullptr;
    const HRESULT hr = DirectSoundCreate8(device, &created, outer);
    *directSound = created;
    return hr;
}

const char* vlm_AudioDeviceError() {
    thread_local std::string text;
    text = vlm_platform::Mixer::Get().LastDeviceError();
    return text.c_str();
}

void vlm_UseOfflineAudio(BOOL on) { vlm_platform::Mixer::Get().UseManual(on != FALSE); }

void vlm_RenderAudio(float* stereoOut, DWORD frames) {
    if (!stereoOut) return;
    vlm_platform::Mixer& mixer = vlm_platform::Mixer::Get();
    if (mixer.IsManual())
        mixer.Mix(stereoOut, frames);
    else
        std::fill(stereoOut, stereoOut + 2 * size_t(frames), 0.0f);
}
