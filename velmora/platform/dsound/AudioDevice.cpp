// The SDL audio device: SDL's audio subsystem and one playback device.
#include <velmora/platform/dsound/detail/AudioDevice.h>

#include <SDL.h>
#include <dlfcn.h>

#include <cstring>

#include <velmora/platform/win32/detail/ForeignAllocations.h>

namespace vlm_platform {

namespace {

void Silent(const char*, int, const char*, int, const char*, ...) {}

// ALSA's library prints its own lines on standard error when there is no sound card, on top
// of the reason SDL gives back; the game's one line about running silent is enough. SDL loads
// the library itself, so it is only reached, never loaded, here.
void QuietAlsa() {
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || std::strcmp(driver, "alsa") != 0) return;
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!alsa) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(Silent);
    dlclose(alsa);  // drops the reference the look-up took
}

}  // namespace

bool AudioDevice::Open(DWORD rate, DWORD frames, Callback callback, void* user, std::string* error) {
    if (m_id) return true;
    ForeignAllocations keptForLife;  // sound servers' client libraries keep some for the process
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (error) *error = SDL_GetError();
        return false;
    }
    QuietAlsa();
    SDL_AudioSpec want{}, have{};
    want.freq = static_cast<int>(rate);
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(frames);
    want.callback = callback;
    want.userdata = user;
    // SDL converts format, channels and callback size for the device as needed; only the
    // rate is the device's to choose, so that nothing resamples the mix a second time.
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (id != 0 && (have.freq < 8000 || have.freq > 384000)) {
        SDL_CloseAudioDevice(id);
        SDL_SetError("the device asks for %d frames a second", have.freq);
        id = 0;
    }
    if (id == 0) {
        if (error) *error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    m_id = id;
    m_rate = static_cast<DWORD>(have.freq);
    m_frames = have.samples;
    return true;
}

void AudioDevice::Start() {
    if (m_id) SDL_PauseAudioDevice(m_id, 0);
}

void AudioDevice::Close() {
    if (!m_id) return;
    SDL_CloseAudioDevice(m_id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_id = 0;
    m_rate = m_frames = 0;
}

}  // namespace vlm_platform
