// What the sound manager's tests share: sound files of generated tones, a sound manager on
// the manual audio clock, and a way to let time pass as a game's frames do: the manager's
// update, one frame of the mix, and the engine's clock moved on as far as the mix went.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/AudioMeasure.h"
#include "support/EngineTest.h"

namespace sound {

using namespace audio;

constexpr double kMixRate = 48000;  // the manual audio clock's

// A WAV file of 16-bit frames at `rate` (mono, or stereo with `right`), `wave(frame)` from
// -1 to 1.
inline void WriteSound(const std::string& path, DWORD rate, DWORD frames, const std::function<double(DWORD)>& wave,
                       const std::function<double(DWORD)>& right = nullptr) {
    const WORD channels = right ? 2 : 1;
    std::vector<int16_t> samples;
    for (DWORD i = 0; i < frames; ++i) {
        samples.push_back(int16_t(std::lround(wave(i) * 32767)));
        if (right) samples.push_back(int16_t(std::lround(right(i) * 32767)));
    }
    ASSERT_TRUE(velmora::WriteWavFile(path.c_str(),
                                      velmora::MakeWaveFormat(velmora::SoundSampleType::Pcm16, channels, rate),
                                      samples.data(), frames));
}

inline std::function<double(DWORD)> Sine(double frequency, double rate, double amplitude = 0.5) {
    return [=](DWORD frame) { return amplitude * std::sin(2 * kPi * frequency * frame / rate); };
}

// A track of tones one after the other, each `seconds` long (whole periods of each, for a
// seamless loop).
inline void WriteTones(const std::string& path, DWORD rate, const std::vector<double>& frequencies, double seconds) {
    const DWORD each = DWORD(rate * seconds);
    WriteSound(path, rate, each * DWORD(frequencies.size()), [=](DWORD frame) {
        return 0.5 * std::sin(2 * kPi * frequencies[frame / each] * (frame % each) / rate);
    });
}

// The amplitude of `frequency` in frames [from, to) of the left channel.
inline double LevelAt(const Stereo& mix, double frequency, size_t from, size_t to) {
    return Amplitude(WholePeriods(Channel(mix, 0, from, to), frequency, kMixRate), frequency, kMixRate);
}

// Frame of the mix at `ms` milliseconds.
inline size_t At(double ms) { return size_t(ms * kMixRate / 1000.0); }

// Keeps the engine's clock with the manual mix.
class MixClock {
public:
    MixClock() : m_dwStart(VelmoraTest::GetClock()) {}

    // `frames` more of the mix, in frames of a 60 Hz game: 800 frames of the mix, the clock
    // moved on to where the mix is, and the manager's update, as a frame starts.
    Stereo Advance(CSoundManager* manager, size_t frames, size_t step = 800) {
        Stereo out;
        while (frames > 0) {
            const size_t n = std::min(step, frames);
            const Stereo part = Render(unsigned(n));
            out.insert(out.end(), part.begin(), part.end());
            m_qwFrames += n;
            frames -= n;
            VelmoraTest::SetClock(m_dwStart + DWORD(m_qwFrames * 1000 / uint64_t(kMixRate)));
            if (manager) manager->Update();
        }
        return out;
    }
    Stereo AdvanceMs(CSoundManager* manager, double ms) { return Advance(manager, At(ms)); }

private:
    DWORD m_dwStart;
    uint64_t m_qwFrames = 0;
};

// A sound manager of its own on the manual audio clock, logging to an engine log.
class SoundTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        VelmoraTest::SetEngineLog(&log);
        manager = std::make_unique<CSoundManager>();
        ASSERT_TRUE(manager->Init(nullptr));
        clock = MixClock();
    }
    void TearDown() override {
        manager.reset();
        VelmoraTest::SetEngineLog(nullptr);
        EngineTest::TearDown();
    }

    Stereo Advance(size_t frames) { return clock.Advance(manager.get(), frames); }
    Stereo AdvanceMs(double ms) { return clock.AdvanceMs(manager.get(), ms); }

    CLog log;
    std::unique_ptr<CSoundManager> manager;
    MixClock clock;
};

// A started game, whose sound manager posts into the main message queue.
class SoundGameTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_EQ(game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "sound", nullptr), 1);
        manager = GetSoundManager();
        ASSERT_NE(manager, nullptr);
        clock = MixClock();
    }
    void TearDown() override {
        game.Destroy();
        if (game.GetWndHandle()) DestroyWindow(game.GetWndHandle());
        EngineTest::TearDown();
    }

    Stereo AdvanceMs(double ms) { return clock.AdvanceMs(manager, ms); }

    // The messages of the main queue with this identifier, taken out of it.
    std::vector<CMessage> Take(DWORD id) {
        std::vector<CMessage> found;
        int index = 0;
        CMessage message;
        while (PeekMessageA(index, message, true))
            if (message.m_dwMessage == id) found.push_back(message);
        return found;
    }

    CGameApp game;
    CSoundManager* manager = nullptr;
    MixClock clock;
};

}  // namespace sound
