// The mixer: voices, the device they play on, and the passes of the mix.
#include <velmora/platform/dsound/detail/Mixer.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <velmora/platform/win32/Synchronization.h>

namespace vlm_platform {

SampleMemory::SampleMemory(DWORD bytes) : bytes(static_cast<uint8_t*>(std::calloc(bytes ? bytes : 1, 1))) {
    size = this->bytes ? bytes : 0;
}

SampleMemory::~SampleMemory() { std::free(bytes); }

void GainsOf(LONG volume, LONG pan, float* left, float* right) {
    auto attenuation = [](LONG hundredthsOfDb) {
        return hundredthsOfDb <= DSBVOLUME_MIN ? 0.0f : float(std::pow(10.0, hundredthsOfDb / 2000.0));
    };
    const float level = attenuation(volume);
    *left = level * (pan > 0 ? attenuation(-pan) : 1.0f);
    *right = level * (pan < 0 ? attenuation(pan) : 1.0f);
}

namespace {

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Into -1..1; a NaN that a game's float samples brought in becomes silence.
inline float Saturate(float x) { return x >= -1.0f ? (x <= 1.0f ? x : 1.0f) : (x < -1.0f ? -1.0f : 0.0f); }

}  // namespace

Mixer& Mixer::Get() {
    static Mixer* mixer = new Mixer;
    return *mixer;
}

bool Mixer::AcquireDevice(std::string* error) {
    std::lock_guard<std::mutex> device(m_deviceLock);
    if (m_deviceRefs == 0 && !OpenDevice(error)) return false;
    ++m_deviceRefs;
    return true;
}

void Mixer::AcquireWithoutDevice() {
    std::lock_guard<std::mutex> device(m_deviceLock);
    ++m_deviceRefs;
}

void Mixer::ReleaseDevice() {
    std::lock_guard<std::mutex> device(m_deviceLock);
    if (m_deviceRefs > 0 && --m_deviceRefs == 0) {
        CloseDevice();
        SetMasterGains(1.0f, 1.0f);  // the next DirectSound object starts afresh
    }
}

uint32_t Mixer::DeviceId() {
    std::lock_guard<std::mutex> device(m_deviceLock);
    return m_device.Id();
}

bool Mixer::OpenDevice(std::string* error) {
    DWORD rate = kManualRate, frames = kMaxPassFrames;
    if (!m_manual) {
        std::string why;
        if (!m_device.Open(kDeviceRate, kMaxPassFrames, Callback, this, &why)) {
            m_deviceError = why;
            if (error) *error = why;
            return false;
        }
        rate = m_device.Rate();
        frames = std::min<DWORD>(m_device.Frames(), kMaxPassFrames);
        m_lastCallbackNs = 0;  // the time between devices is no lateness
    }
    {
        std::lock_guard<std::mutex> mix(m_mixLock);
        std::lock_guard<std::mutex> state(m_stateLock);
        m_rate = rate;
        m_passFrames = frames;
    }
    m_device.Start();
    return true;
}

void Mixer::CloseDevice() { m_device.Close(); }

void Mixer::Register(Voice& voice) {
    std::lock_guard<std::mutex> state(m_stateLock);
    voice.restoredAfter = m_losses;
}

bool Mixer::Restore(Voice& voice) {
    std::lock_guard<std::mutex> device(m_deviceLock);
    if (!m_manual && !m_device.IsOpen() && !OpenDevice(nullptr)) return false;
    std::lock_guard<std::mutex> state(m_stateLock);
    voice.restoredAfter = m_losses;
    return true;
}

void Mixer::LoseDevice() {
    std::lock_guard<std::mutex> device(m_deviceLock);
    CloseDevice();
    std::lock_guard<std::mutex> mix(m_mixLock);
    std::lock_guard<std::mutex> state(m_stateLock);
    ++m_losses;
    while (!m_active.empty()) {
        Voice& voice = *m_active.back();
        Deactivate(voice);
        ++voice.generation;
        Notify(voice, 0, 0, false, true);
    }
}

void Mixer::UseManual(bool on) {
    std::lock_guard<std::mutex> device(m_deviceLock);
    if (on == m_manual) return;
    if (m_deviceRefs > 0) CloseDevice();
    m_manual = on;
    if (m_deviceRefs > 0 && !OpenDevice(nullptr)) {
        std::lock_guard<std::mutex> mix(m_mixLock);
        std::lock_guard<std::mutex> state(m_stateLock);
        ++m_losses;
    }
}

bool Mixer::IsManual() {
    std::lock_guard<std::mutex> device(m_deviceLock);
    return m_manual;
}

DWORD Mixer::CurrentRate() {
    std::lock_guard<std::mutex> device(m_deviceLock);
    if (m_manual) return kManualRate;
    return m_device.IsOpen() ? m_device.Rate() : 0;
}

std::string Mixer::LastDeviceError() {
    std::lock_guard<std::mutex> device(m_deviceLock);
    return m_deviceError;
}

void Mixer::SetDeviceError(const std::string& why) {
    std::lock_guard<std::mutex> device(m_deviceLock);
    m_deviceError = why;
}

MixStats Mixer::Stats() const {
    MixStats s;
    s.callbacks = m_callbacks.load();
    s.frames = m_frames.load();
    s.lateCallbacks = m_lateCallbacks.load();
    s.longestMixMs = m_longestMixMs.load();
    s.lastPassVoices = m_lastPassVoices.load();
    s.lastPassEndNs = m_lastPassEndNs.load();
    return s;
}

bool Mixer::Play(Voice& voice, bool looping) {
    size_t needed;
    {
        std::lock_guard<std::mutex> state(m_stateLock);
        if (IsLost(voice)) return false;
        if (!voice.playing) {
            Activate(voice);
            ++voice.generation;
        }
        voice.looping = looping;
        needed = m_active.size();
    }
    if (needed > m_passCapacity.load()) GrowPasses(needed);
    return true;
}

void Mixer::Stop(Voice& voice) {
    std::lock_guard<std::mutex> state(m_stateLock);
    if (!voice.playing) return;
    Deactivate(voice);
    ++voice.generation;
    Notify(voice, 0, 0, false, true);
}

void Mixer::Remove(Voice& voice) {
    std::lock_guard<std::mutex> mix(m_mixLock);
    std::lock_guard<std::mutex> state(m_stateLock);
    if (voice.playing) Deactivate(voice);
    ++voice.generation;
}

void Mixer::SetMasterGains(float left, float right) {
    std::lock_guard<std::mutex> state(m_stateLock);
    m_masterLeft = left;
    m_masterRight = right;
}

void Mixer::Activate(Voice& voice) {
    voice.playing = true;
    voice.activeIndex = m_active.size();
    m_active.push_back(&voice);
}

void Mixer::Deactivate(Voice& voice) {
    voice.playing = false;
    Voice* last = m_active.back();
    m_active[voice.activeIndex] = last;
    last->activeIndex = voice.activeIndex;
    m_active.pop_back();
}

void Mixer::GrowPasses(size_t needed) {
    std::lock_guard<std::mutex> mix(m_mixLock);
    if (m_passes.size() >= needed) return;
    m_passes.resize(std::max<size_t>({needed, 2 * m_passes.size(), 16}));
    m_passCapacity.store(m_passes.size());
}

void Mixer::Notify(const Voice& voice, DWORD oldByte, uint64_t advanced, bool ended, bool stopped) {
    const DWORD cycle = voice.frames * voice.blockAlign;
    for (const DSBPOSITIONNOTIFY& n : voice.notifications) {
        if (n.dwOffset == DSBPN_OFFSETSTOP) {
            if (stopped) SetEvent(n.hEventNotify);
            continue;
        }
        if (cycle == 0) continue;
        const DWORD offset = n.dwOffset % cycle;
        bool reached;
        if (ended) {
            reached = offset > oldByte;
        } else {
            const uint64_t ahead = (uint64_t(offset) + cycle - oldByte % cycle) % cycle;
            reached = advanced >= cycle || (ahead > 0 && ahead <= advanced);
        }
        if (reached) SetEvent(n.hEventNotify);
    }
}

void Mixer::Mix(float* out, DWORD frames) {
    std::lock_guard<std::mutex> mix(m_mixLock);
    while (frames > 0) {
        const DWORD n = std::min(frames, kMaxPassFrames);
        MixPass(out, n);
        out += 2 * n;
        frames -= n;
    }
}

void Mixer::MixPass(float* out, DWORD frames) {
    size_t count;
    float masterLeft, masterRight;
    {
        std::lock_guard<std::mutex> state(m_stateLock);
        count = std::min(m_active.size(), m_passes.size());
        for (size_t i = 0; i < count; ++i) {
            Voice& v = *m_active[i];
            Pass& p = m_passes[i];
            const bool muted = v.followsFocus && v.focus && v.focus->inactive;
            const float scale = muted ? 0.0f : SampleScale(v.layout);
            p.voice = &v;
            p.data = v.memory->bytes;
            p.position = v.position;
            // Rounded up, so that a cursor meant to land on a whole frame is not left short of it.
            p.step = ((uint64_t(v.frequency) << 32) + m_rate - 1) / m_rate;
            p.frames = v.frames;
            p.generation = v.generation;
            p.gainLeft = v.gainLeft * scale;
            p.gainRight = v.gainRight * scale;
            p.layout = v.layout;
            p.looping = v.looping;
            p.audible = p.gainLeft != 0.0f || p.gainRight != 0.0f;
        }
        masterLeft = m_masterLeft;
        masterRight = m_masterRight;
    }

    float* acc = m_accumulator;
    std::memset(acc, 0, sizeof(float) * 2 * frames);
    for (size_t i = 0; i < count; ++i) {
        Pass& p = m_passes[i];
        const MixSource source{p.data, p.frames, p.layout, p.looping, p.step, p.gainLeft, p.gainRight};
        uint64_t position = p.position;
        const bool going =
            p.audible ? MixSourceInto(source, &position, acc, frames) : AdvanceSource(source, &position, frames);
        // How far the voice went, unwrapped, for its notifications.
        const uint64_t travelled = going ? uint64_t(frames) * p.step : position - p.position;
        p.advanced = ((p.position + travelled) >> 32) - (p.position >> 32);
        p.position = position;
        p.ended = !going;
    }

    {
        std::lock_guard<std::mutex> state(m_stateLock);
        for (size_t i = 0; i < count; ++i) {
            const Pass& p = m_passes[i];
            Voice& v = *p.voice;
            if (v.generation != p.generation || !v.playing) continue;  // moved or stopped meanwhile
            const DWORD oldByte = DWORD(v.position >> 32) * v.blockAlign;
            v.position = p.ended ? 0 : p.position;
            if (p.ended) {
                Deactivate(v);
                ++v.generation;
            }
            if (!v.notifications.empty()) Notify(v, oldByte, p.advanced * v.blockAlign, p.ended, p.ended);
        }
    }

    for (DWORD i = 0; i < 2 * frames; i += 2) {
        out[i] = Saturate(acc[i] * masterLeft);
        out[i + 1] = Saturate(acc[i + 1] * masterRight);
    }
    m_frames.fetch_add(frames, std::memory_order_relaxed);
    m_lastPassVoices.store(DWORD(count), std::memory_order_relaxed);
    m_lastPassEndNs.store(SteadyNs(), std::memory_order_release);
}

void Mixer::Callback(void* user, uint8_t* stream, int bytes) {
    Mixer& mixer = *static_cast<Mixer*>(user);
    const DWORD frames = DWORD(bytes) / (2 * sizeof(float));
    const int64_t start = SteadyNs();
    // The device's rate is read without a lock: only opening the device sets it, before the
    // first call.
    const int64_t bufferNs = int64_t(frames) * 1000000000 / std::max<DWORD>(mixer.m_device.Rate(), 1);
    const bool cameLate = mixer.m_lastCallbackNs != 0 && start - mixer.m_lastCallbackNs > 2 * bufferNs;
    mixer.m_lastCallbackNs = start;
    mixer.Mix(reinterpret_cast<float*>(stream), frames);
    const int64_t took = SteadyNs() - start;
    mixer.m_callbacks.fetch_add(1, std::memory_order_relaxed);
    if (cameLate || took > bufferNs) mixer.m_lateCallbacks.fetch_add(1, std::memory_order_relaxed);
    if (took / 1e6 > mixer.m_longestMixMs.load(std::memory_order_relaxed))
        mixer.m_longestMixMs.store(took / 1e6, std::memory_order_relaxed);
}

}  // namespace vlm_platform
