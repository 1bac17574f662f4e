// winmm stand-in: PlaySoundA on a DirectSound object and buffer of its own.
#include <velmora/platform/dsound/PlaySound.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include <velmora/platform/dsound/DirectSound8.h>
#include <velmora/platform/dsound/SoundFile.h>
#include <velmora/platform/dsound/detail/Mixer.h>
#include <velmora/platform/win32/Synchronization.h>

namespace vlm_platform {

namespace {

struct Playing {
    std::mutex lock;
    IDirectSound8* sound = nullptr;
    IDirectSoundBuffer* buffer = nullptr;
    HANDLE stopped = nullptr;  // set when the buffer stops
};

// Never destroyed, like the mixer it plays on.
Playing& Current() {
    static Playing* playing = new Playing;
    return *playing;
}

bool IsPlaying(const Playing& p) {
    DWORD status = 0;
    return p.buffer && SUCCEEDED(p.buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

// Under the lock: stops and lets go of the sound; with `device`, of the device too.
void Release(Playing& p, bool device) {
    if (p.buffer) {
        p.buffer->Stop();
        p.buffer->Release();
        p.buffer = nullptr;
    }
    if (p.stopped) {
        CloseHandle(p.stopped);  // a SND_SYNC wait still holds the event itself
        p.stopped = nullptr;
    }
    if (device && p.sound) {
        p.sound->Release();
        p.sound = nullptr;
    }
}

bool Decode(LPCSTR name, DWORD flags, velmora::DecodedSound* decoded) {
    std::string error;
    if (flags & SND_MEMORY) {
        // The image's own RIFF header says how long it is.
        const uint8_t* image = reinterpret_cast<const uint8_t*>(name);
        if (std::memcmp(image, "RIFF", 4) != 0) return false;
        const size_t size = 8 + (image[4] | image[5] << 8 | image[6] << 16 | size_t(image[7]) << 24);
        return velmora::DecodeSoundMemory(image, size, velmora::SoundSampleType::Pcm16, decoded, &error);
    }
    return velmora::DecodeSoundFile(name, velmora::SoundSampleType::Pcm16, decoded, &error);
}

// A buffer holding the decoded sound, with a stop notification on `stopped`.
IDirectSoundBuffer* MakeBuffer(IDirectSound8* sound, const velmora::DecodedSound& decoded, HANDLE stopped) {
    if (decoded.samples.size() > DSBSIZE_MAX) return nullptr;
    WAVEFORMATEX format = decoded.format;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GLOBALFOCUS | DSBCAPS_STATIC;
    desc.dwBufferBytes = DWORD(decoded.samples.size());
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(sound->CreateSoundBuffer(&desc, &buffer, nullptr))) return nullptr;
    void* data = nullptr;
    DWORD bytes = 0;
    IDirectSoundNotify8* notify = nullptr;
    const DSBPOSITIONNOTIFY stop{DSBPN_OFFSETSTOP, stopped};
    bool ready = SUCCEEDED(buffer->Lock(0, 0, &data, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER));
    if (ready) {
        std::memcpy(data, decoded.samples.data(), bytes);
        buffer->Unlock(data, bytes, nullptr, 0);
        ready = SUCCEEDED(buffer->QueryInterface(IID_IDirectSoundNotify8, reinterpret_cast<void**>(&notify)));
    }
    if (ready) {
        ready = SUCCEEDED(notify->SetNotificationPositions(1, &stop));
        notify->Release();
    }
    if (!ready) {
        buffer->Release();
        return nullptr;
    }
    return buffer;
}

// SND_SYNC under the manual audio clock: the mix runs on until the sound has stopped.
void MixThrough(HANDLE stopped, uint64_t frames) {
    float scratch[2 * Mixer::kMaxPassFrames];
    Mixer& mixer = Mixer::Get();
    // Bounded, whatever happens: the sound's length at the slowest rate, and a pass more.
    uint64_t budget = frames * (Mixer::kManualRate / DSBFREQUENCY_MIN + 1) + Mixer::kMaxPassFrames;
    while (WaitForSingleObject(stopped, 0) != WAIT_OBJECT_0 && budget > 0) {
        mixer.Mix(scratch, Mixer::kMaxPassFrames);
        budget -= std::min<uint64_t>(budget, Mixer::kMaxPassFrames);
    }
}

}  // namespace

}  // namespace vlm_platform

using namespace vlm_platform;

BOOL PlaySoundA(LPCSTR name, HMODULE, DWORD flags) {
    Playing& p = Current();
    std::unique_lock<std::mutex> hold(p.lock);
    if (!name || (flags & SND_PURGE)) {
        Release(p, true);
        return TRUE;
    }
    if ((flags & SND_NOSTOP) && IsPlaying(p)) return FALSE;
    // Aliases and resources have no home here; a loop must not block forever.
    if ((flags & (SND_ALIAS | SND_ALIAS_ID)) || (flags & SND_RESOURCE) == SND_RESOURCE) return FALSE;
    const bool async = (flags & SND_ASYNC) != 0;
    if ((flags & SND_LOOP) && !async) return FALSE;
    velmora::DecodedSound decoded;
    Release(p, false);
    if (!Decode(name, flags, &decoded)) return FALSE;
    if (!p.sound && FAILED(DirectSoundCreate8(nullptr, &p.sound, nullptr))) {
        p.sound = nullptr;
        return FALSE;
    }
    p.stopped = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    p.buffer = MakeBuffer(p.sound, decoded, p.stopped);
    if (!p.buffer || FAILED(p.buffer->Play(0, 0, (flags & SND_LOOP) ? DSBPLAY_LOOPING : 0))) {
        Release(p, false);
        return FALSE;
    }
    if (async) return TRUE;
    // Wait without the lock, so that another thread's PlaySoundA can stop the sound; the
    // handle's object outlives its closing while the wait holds it.
    HANDLE stopped = p.stopped;
    hold.unlock();
    if (Mixer::Get().IsManual())
        MixThrough(stopped, decoded.frames);
    else
        WaitForSingleObject(stopped, INFINITE);
    return TRUE;
}

BOOL sndPlaySoundA(LPCSTR name, UINT flags) { return PlaySoundA(name, nullptr, flags); }
