// What the DirectSound tests share: a DirectSound object on the manual audio clock, and
// buffers filled with generated waves.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include <velmora/Velmora.h>
#include <velmora/testing/TestSeams.h>

#include "support/AudioMeasure.h"

namespace audio {

inline WAVEFORMATEX Format(WORD tag, WORD bits, WORD channels, DWORD rate) {
    WAVEFORMATEX f{};
    f.wFormatTag = tag;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = WORD(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

// Writes sample value `v` (-1..1) of the format at `p`.
inline void Put(const WAVEFORMATEX& f, uint8_t* p, double v) {
    if (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) {
        const float x = float(v);
        std::memcpy(p, &x, 4);
    } else if (f.wBitsPerSample == 16) {
        const int16_t x = int16_t(std::lround(std::max(-32768.0, std::min(32767.0, v * 32768.0))));
        std::memcpy(p, &x, 2);
    } else {
        *p = uint8_t(std::lround(std::max(0.0, std::min(255.0, 128.0 + v * 128.0))));
    }
}

// Fills `bytes` bytes at `p` with frames of `wave(frame, channel)`, from frame `first`.
inline void Fill(const WAVEFORMATEX& f, void* p, DWORD bytes, DWORD first,
                 const std::function<double(DWORD, int)>& wave) {
    auto* out = static_cast<uint8_t*>(p);
    const int sample = f.wBitsPerSample / 8;
    for (DWORD i = 0; i + f.nBlockAlign <= bytes; i += f.nBlockAlign)
        for (int c = 0; c < f.nChannels; ++c) Put(f, out + i + c * sample, wave(first + i / f.nBlockAlign, c));
}

inline std::function<double(DWORD, int)> Sine(double frequency, double rate, double amplitude = 0.5) {
    return [=](DWORD frame, int) { return amplitude * std::sin(2 * kPi * frequency * frame / rate); };
}

// A test on the manual audio clock with one DirectSound object.
class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        VelmoraTest::UseManualAudio(true);
        ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
        ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    }
    void TearDown() override {
        for (IDirectSoundBuffer* b : buffers) b->Release();
        buffers.clear();
        if (ds) ds->Release();
        ds = nullptr;
        PlaySoundA(nullptr, nullptr, 0);
        VelmoraTest::UseManualAudio(false);
    }

    // A secondary buffer of `frames` frames of `f`, released after the test; filled with
    // `wave` when given.
    IDirectSoundBuffer* MakeBuffer(const WAVEFORMATEX& f, DWORD frames, DWORD flags,
                                   const std::function<double(DWORD, int)>& wave = nullptr) {
        WAVEFORMATEX format = f;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = flags;
        desc.dwBufferBytes = frames * f.nBlockAlign;
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* b = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
        if (!b) return nullptr;
        buffers.push_back(b);
        if (wave) Write(b, f, 0, desc.dwBufferBytes, wave);
        return b;
    }

    // Writes `bytes` bytes of `wave` from byte `offset` (wrapping), through Lock and Unlock.
    static void Write(IDirectSoundBuffer* b, const WAVEFORMATEX& f, DWORD offset, DWORD bytes,
                      const std::function<double(DWORD, int)>& wave) {
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        ASSERT_EQ(b->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0), DS_OK);
        Fill(f, p1, n1, offset / f.nBlockAlign, wave);
        if (p2) Fill(f, p2, n2, 0, wave);
        ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    }

    static DWORD Status(IDirectSoundBuffer* b) {
        DWORD status = 0;
        b->GetStatus(&status);
        return status;
    }

    IDirectSound8* ds = nullptr;
    std::vector<IDirectSoundBuffer*> buffers;
};

}  // namespace audio
