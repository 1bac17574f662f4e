// bench_sound: the engine's sound manager against SDL_mixer.
// (a) Processor time per second of mixed audio for 8, 32 and 128 looping voices (sources of
//     16-bit mono at 22,050 and 44,100 Hz, each voice with its own volume and pan) into
//     48,000 Hz stereo, both on SDL's disk audio driver running flat out into /dev/null
//     (SDL_DISKAUDIODELAY=0), taking turns run by run; the median and the spread of the runs.
// (b) The time from Play to the end of the first pass of the mix that holds the voice (its
//     first samples are in the device's buffer), on SDL's dummy driver, which takes a buffer of
//     512 frames every 10 ms as a sound card would; SDL_mixer's the same way, to its first
//     buffer that is not silent.
// (c) A soak on the real device path (SDL's default driver, or the dummy one without a sound
//     card): the breakout's music streamed and 16 voices of its effects kept playing from a
//     60 Hz frame loop; it counts the audio callbacks that found the mixer late and the
//     times the music's stream fell behind.
//   bench_sound [--quick] [--soak SECONDS]
#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <velmora/Velmora.h>
#include <velmora/testing/TestSeams.h>

#include "support/BenchReport.h"

using namespace VelmoraBench;

namespace {

constexpr int kRate = 48000;
constexpr int kDeviceFrames = 512;
const int kVoiceCounts[] = {8, 32, 128};
const char* const kSources[] = {"source22050.wav", "source44100.wav"};

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SleepMs(double ms) { std::this_thread::sleep_for(std::chrono::microseconds(int64_t(ms * 1000))); }

// One second of a tone with a few partials, looping seamlessly.
bool WriteSource(const char* file, DWORD rate) {
    std::vector<int16_t> samples(rate);
    for (DWORD i = 0; i < rate; ++i) {
        const double t = double(i) / rate;
        samples[i] = int16_t(9000 * std::sin(2 * M_PI * 220 * t) + 3000 * std::sin(2 * M_PI * 660 * t) +
                             1500 * std::sin(2 * M_PI * 1100 * t));
    }
    return velmora::WriteWavFile(file, velmora::MakeWaveFormat(velmora::SoundSampleType::Pcm16, 1, rate),
                                 samples.data(), rate);
}

// Voice i's volume (40 to 100) and pan (-80 to 80), the same for both.
int VolumeOf(int i) { return 40 + (i * 37) % 61; }
int PanOf(int i) { return -80 + (i * 53) % 161; }

void UseDriver(const char* driver) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
}

// --- The players -------------------------------------------------------------------------

class Player {
public:
    virtual ~Player() = default;
    virtual const char* Name() const = 0;
    virtual bool Start(int voices) = 0;
    virtual uint64_t Frames() = 0;
    virtual void Stop() = 0;
};

class EnginePlayer : public Player {
public:
    const char* Name() const override { return "engine (CSoundManager)"; }
    bool Start(int voices) override {
        m_pManager = new CSoundManager;
        if (!m_pManager->Init(nullptr)) return false;
        m_pManager->SetMaxVoices(voices);
        DWORD sounds[2] = {m_pManager->LoadSound(kSources[0], MEM_STATIC),
                           m_pManager->LoadSound(kSources[1], MEM_STATIC)};
        for (int i = 0; i < voices; ++i)
            if (!m_pManager->Play(sounds[i % 2], VolumeOf(i), PanOf(i), true)) return false;
        return true;
    }
    uint64_t Frames() override { return VelmoraTest::GetAudioStats().frames; }
    void Stop() override {
        delete m_pManager;
        m_pManager = nullptr;
    }

private:
    CSoundManager* m_pManager = nullptr;
};

std::atomic<uint64_t> g_mixerFrames{0};
std::atomic<int64_t> g_mixerHeardNs{0};  // when SDL_mixer last made a buffer that was not silent

void CountMixerFrames(void*, Uint8* stream, int bytes) {
    g_mixerFrames.fetch_add(uint64_t(bytes) / 8, std::memory_order_relaxed);
    const float* samples = reinterpret_cast<const float*>(stream);
    for (int i = 0; i < bytes / 4; ++i)
        if (samples[i] != 0.0f) {
            g_mixerHeardNs.store(NowNs(), std::memory_order_relaxed);
            break;
        }
}

class MixerPlayer : public Player {
public:
    explicit MixerPlayer(bool pan) : m_bPan(pan) {}
    const char* Name() const override { return m_bPan ? "SDL_mixer, volume and pan" : "SDL_mixer, volume"; }
    bool Open() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        if (Mix_OpenAudioDevice(kRate, AUDIO_F32SYS, 2, kDeviceFrames, nullptr, 0) != 0) return false;
        for (int i = 0; i < 2; ++i)
            if (!(m_Chunks[i] = Mix_LoadWAV(kSources[i]))) return false;
        Mix_SetPostMix(CountMixerFrames, nullptr);
        return true;
    }
    bool Start(int voices) override {
        if (!Open()) return false;
        Mix_AllocateChannels(voices);
        for (int i = 0; i < voices; ++i) {
            Mix_Volume(i, VolumeOf(i) * MIX_MAX_VOLUME / 100);
            if (m_bPan) {
                // The engine's law: the far side keeps 1 - |pan| / 100 of its level.
                const int pan = PanOf(i), far = int(255 * (1 - std::abs(pan) / 100.0));
                Mix_SetPanning(i, Uint8(pan > 0 ? far : 255), Uint8(pan < 0 ? far : 255));
            }
            if (Mix_PlayChannel(i, m_Chunks[i % 2], -1) < 0) return false;
        }
        return true;
    }
    uint64_t Frames() override { return g_mixerFrames.load(); }
    void Stop() override {
        Mix_HaltChannel(-1);
        Mix_SetPostMix(nullptr, nullptr);
        Mix_CloseAudio();
        for (Mix_Chunk*& chunk : m_Chunks) {
            if (chunk) Mix_FreeChunk(chunk);
            chunk = nullptr;
        }
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

private:
    bool m_bPan;
    Mix_Chunk* m_Chunks[2] = {};
};

// --- (a) processor time ------------------------------------------------------------------

// Milliseconds of processor time per second of audio while `player` plays `voices` voices
// for `seconds` of wall time; -1 when it could not start.
double MeasureCpu(Player& player, int voices, double seconds) {
    if (!player.Start(voices)) {
        player.Stop();
        return -1;
    }
    SleepMs(100);  // the device's first passes, and the caches warm
    const double cpu0 = CpuMs();
    const uint64_t frames0 = player.Frames();
    SleepMs(seconds * 1000);
    const double cpu = CpuMs() - cpu0;
    const uint64_t frames = player.Frames() - frames0;
    player.Stop();
    return frames ? cpu / (double(frames) / kRate) : -1;
}

void CpuTable(int runs, double seconds) {
    UseDriver("disk");
    EnginePlayer engine;
    MixerPlayer mixer(false), mixerPan(true);
    Player* players[] = {&engine, &mixer, &mixerPan};
    Table table({"voices", "player", "CPU ms per s of audio (median)", "spread of the runs", "vs SDL_mixer, volume"});
    for (int voices : kVoiceCounts) {
        std::vector<double> results[3];
        for (int run = 0; run < runs; ++run)
            for (int p = 0; p < 3; ++p) results[p].push_back(MeasureCpu(*players[p], voices, seconds));
        const double reference = Median(results[1]);
        for (int p = 0; p < 3; ++p) {
            const auto [low, high] = std::minmax_element(results[p].begin(), results[p].end());
            const double median = Median(results[p]);
            table.AddRow({std::to_string(voices), players[p]->Name(), Format("%.3f", median),
                          Format("%.3f", *low) + " to " + Format("%.3f", *high), Format("%.2fx", median / reference)});
        }
    }
    std::printf(
        "(a) processor time per second of 48,000 Hz stereo audio, disk driver flat out, %d runs of %.1f s "
        "each (load average %s)\n",
        runs, seconds, LoadAverage().c_str());
    table.Print();
    std::printf("goal: the engine at most 1.0x SDL_mixer (volume) at every count\n\n");
}

// --- (b) latency -------------------------------------------------------------------------

void LatencyTable(int tries) {
    UseDriver("dummy");
    WriteSource("click.wav", 22050);
    std::mt19937 random(5);
    std::vector<double> engineMs, mixerMs;
    {
        CSoundManager manager;
        if (!manager.Init(nullptr)) {
            std::printf("(b) latency: no dummy audio device (%s)\n\n", vlm_AudioDeviceError());
            return;
        }
        const DWORD click = manager.LoadSound("click.wav", MEM_STATIC);
        for (int i = 0; i < tries; ++i) {
            SleepMs(std::uniform_real_distribution<double>(2, 12)(random));
            const int64_t start = NowNs();
            const DWORD voice = manager.Play(click);
            // The audio thread stamps its passes: looking every half millisecond costs it nothing
            // on a busy machine, and the stamp is what is measured.
            VelmoraTest::AudioStats s;
            while (!((s = VelmoraTest::GetAudioStats()).lastPassVoices > 0 && s.lastPassEndNs > start) &&
                   NowNs() - start < 1000000000)
                SleepMs(0.5);
            engineMs.push_back((s.lastPassEndNs - start) / 1e6);
            manager.Stop(voice);
            while (VelmoraTest::GetAudioStats().lastPassVoices > 0 && NowNs() - start < 2000000000) SleepMs(1);
        }
    }
    MixerPlayer mixer(false);
    if (mixer.Open()) {
        Mix_AllocateChannels(1);
        Mix_Chunk* click = Mix_LoadWAV("click.wav");
        for (int i = 0; click && i < tries; ++i) {
            SleepMs(std::uniform_real_distribution<double>(2, 12)(random));
            const int64_t start = NowNs();
            Mix_PlayChannel(0, click, 0);
            while (g_mixerHeardNs.load() <= start && NowNs() - start < 1000000000) SleepMs(0.5);
            mixerMs.push_back((g_mixerHeardNs.load() - start) / 1e6);
            Mix_HaltChannel(0);
            SleepMs(25);
        }
        mixer.Stop();
        if (click) Mix_FreeChunk(click);
    }
    auto quantile = [](std::vector<double> v, double q) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[size_t(q * double(v.size() - 1) + 0.5)];
    };
    Table table({"player", "median ms", "90th percentile ms", "longest ms"});
    for (auto& [name, values] :
         {std::pair<const char*, std::vector<double>&>{"engine (CSoundManager)", engineMs}, {"SDL_mixer", mixerMs}})
        table.AddRow({name, Format("%.2f", quantile(values, 0.5)), Format("%.2f", quantile(values, 0.9)),
                      Format("%.2f", quantile(values, 1.0))});
    std::printf(
        "(b) from Play to the first samples in the device's buffer, dummy driver (a buffer of %d frames "
        "every 10 ms), %d tries each at random moments\n",
        kDeviceFrames, tries);
    table.Print();
    std::printf("goal: at most one device buffer (%.1f ms)\n\n", kDeviceFrames * 1000.0 / kRate);
}

// --- (c) soak ----------------------------------------------------------------------------

void Soak(double seconds) {
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
    CSoundManager manager;
    if (!manager.Init(nullptr)) {
        UseDriver("dummy");
        if (!manager.Init(nullptr)) {
            std::printf("(c) soak: no audio device at all (%s)\n", vlm_AudioDeviceError());
            return;
        }
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    const std::string folder = BREAKOUT_SOUNDS;
    std::vector<DWORD> effects;
    for (const char* name : {"paddle", "wall", "brick", "steel", "capsule", "lost", "click"})
        if (DWORD h = manager.LoadSound((folder + "/" + name + ".wav").c_str(), MEM_STATIC)) effects.push_back(h);
    if (effects.empty() || !manager.PlayMusic((folder + "/music.ogg").c_str())) {
        std::printf("(c) soak: the breakout's sounds are missing in %s\n", folder.c_str());
        return;
    }
    manager.SetMaxVoices(16);
    std::mt19937 random(11);
    const VelmoraTest::AudioStats before = VelmoraTest::GetAudioStats();
    const double cpu0 = CpuMs();
    const int64_t start = NowNs(), end = start + int64_t(seconds * 1e9);
    uint64_t plays = 0, frames = 0;
    for (int64_t next = start; NowNs() < end; ++frames) {
        manager.Update();
        // The court is busy: whatever voices ended are started again with other effects.
        while (manager.GetVoiceCount() < 16) {
            manager.Play(effects[random() % effects.size()], 50 + int(random() % 51), int(random() % 121) - 60);
            ++plays;
        }
        next += 1000000000 / 60;
        const int64_t wait = next - NowNs();
        if (wait > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
    }
    const double cpu = CpuMs() - cpu0;
    const VelmoraTest::AudioStats after = VelmoraTest::GetAudioStats();
    const double ran = (NowNs() - start) / 1e9;
    Table table({"driver", "seconds", "frames", "effects played", "audio callbacks", "late callbacks", "longest mix ms",
                 "music underruns", "CPU % of one core"});
    table.AddRow({driver ? driver : "?", Format("%.0f", ran), std::to_string(frames), std::to_string(plays),
                  std::to_string(after.callbacks - before.callbacks),
                  std::to_string(after.lateCallbacks - before.lateCallbacks), Format("%.2f", after.longestMixMs),
                  std::to_string(manager.GetMusicUnderruns()), Format("%.1f", 100 * cpu / 1000 / ran)});
    std::printf(
        "(c) soak: the breakout's music streamed and 16 voices of its effects, a 60 Hz frame loop (load "
        "average at the end %s)\n",
        LoadAverage().c_str());
    table.Print();
    std::printf("goal: no late callbacks and no music underruns\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = false;
    double soak = 60;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
            soak = 2;
        } else if (std::strcmp(argv[i], "--soak") == 0 && i + 1 < argc) {
            soak = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: bench_sound [--quick] [--soak SECONDS]\n");
            return 2;
        }
    }
    if (!WriteSource(kSources[0], 22050) || !WriteSource(kSources[1], 44100)) {
        std::fprintf(stderr, "bench_sound: cannot write the sources here\n");
        return 1;
    }
    CpuTable(quick ? 1 : 5, quick ? 0.1 : 0.5);
    LatencyTable(quick ? 5 : 60);
    if (soak > 0) Soak(soak);
    return 0;
}
