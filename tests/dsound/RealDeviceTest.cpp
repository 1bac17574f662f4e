// The mixer on SDL's own audio thread (the disk driver, writing what it is given to a file,
// up to five times faster than real time) while other threads stream into a buffer, change it
// and play others: what comes out is the streamed tone. Run under ThreadSanitizer in CI.
// And with no audio device at all, everything fails at once and cleanly.
#include <algorithm>
#include <chrono>
#include <fstream>

#include "AudioFixture.h"

namespace {

using namespace audio;

constexpr DWORD kSourceRate = 22050;
constexpr DWORD kHalf = 11025;  // frames: half a second
constexpr int kHalvesToStream = 12;

struct Stream {
    IDirectSoundBuffer* buffer = nullptr;
    WAVEFORMATEX format{};
    HANDLE halfway = nullptr, wrapped = nullptr, done = nullptr;
};

// Writes `bytes` bytes of the tone from byte `offset` on (wrapping), continuing from frame
// `index` of the stream, a little at a time: what is written is published at once, as a
// game's decoder does it, and never held locked while the mixer comes near.
void WriteTone(Stream& s, DWORD offset, DWORD bytes, DWORD index) {
    const DWORD size = 2 * kHalf * 2;
    for (DWORD done = 0; done < bytes;) {
        const DWORD at = (offset + done) % size;
        const DWORD n = std::min({bytes - done, size - at, DWORD(4096)});
        void* p = nullptr;
        DWORD locked = 0;
        if (FAILED(s.buffer->Lock(at, n, &p, &locked, nullptr, nullptr, 0))) return;
        const DWORD first = index + done / 2;
        Fill(s.format, p, locked, 0,
             [=](DWORD frame, int) { return 0.5 * std::sin(2 * kPi * 440.0 * double(first + frame) / kSourceRate); });
        s.buffer->Unlock(p, locked, nullptr, 0);
        done += n;
    }
}

// The streaming thread, woken by the notifications at the middle and the start: it fills
// what the play cursor has left behind since it last wrote, which the mixer reads again only
// when it comes round, a fifth of a second later at the least. Returns 0 once kHalvesToStream halves are written.
DWORD WINAPI StreamThread(LPVOID parameter) {
    Stream& s = *static_cast<Stream*>(parameter);
    const HANDLE events[] = {s.halfway, s.wrapped};
    const DWORD size = 2 * kHalf * 2;
    DWORD next = 0, written = 2 * kHalf;  // both halves were filled before playing
    while (written < kHalvesToStream * kHalf) {
        const DWORD which = WaitForMultipleObjects(2, events, FALSE, 10000);
        if (which == WAIT_TIMEOUT || which == WAIT_FAILED) return 1;
        DWORD play = 0;
        s.buffer->GetCurrentPosition(&play, nullptr);
        const DWORD bytes = (play + size - next) % size;
        if (bytes == 0) continue;
        WriteTone(s, next, bytes, written);
        written += bytes / 2;
        next = play;
    }
    SetEvent(s.done);
    return 0;
}

struct Meddler {
    IDirectSoundBuffer* stream;
    IDirectSoundBuffer* effect;
    HANDLE done;
};

// Another thread: volume, pan, cursors and status of the streamed buffer, and a second
// buffer started and stopped over and over.
DWORD WINAPI MeddleThread(LPVOID parameter) {
    Meddler& m = *static_cast<Meddler*>(parameter);
    for (LONG i = 0; WaitForSingleObject(m.done, 0) == WAIT_TIMEOUT; ++i) {
        m.stream->SetVolume(-(i % 100));
        m.stream->SetPan((i % 200) - 100);
        DWORD play = 0, write = 0, status = 0;
        m.stream->GetCurrentPosition(&play, &write);
        m.stream->GetStatus(&status);
        if (i % 2)
            m.effect->Play(0, 0, 0);
        else
            m.effect->Stop();
        m.effect->SetCurrentPosition(DWORD(i % 100) * 2);
    }
    return 0;
}

class RealDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        VelmoraTest::UseManualAudio(false);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "mix.raw", 1);
        setenv("SDL_DISKAUDIODELAY", "2", 1);
    }
    void TearDown() override {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
    }
};

TEST_F(RealDeviceTest, StreamsFromOtherThreadsIntoTheAudioThreadsMix) {
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK) << vlm_AudioDeviceError();
    ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DS_OK);
    const unsigned rate = VelmoraTest::GetAudioRate();
    ASSERT_EQ(rate, 48000u);

    Stream s;
    s.format = Format(WAVE_FORMAT_PCM, 16, 1, kSourceRate);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GLOBALFOCUS |
                   DSBCAPS_GETCURRENTPOSITION2;
    desc.dwBufferBytes = 2 * kHalf * 2;
    desc.lpwfxFormat = &s.format;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &s.buffer, nullptr), DS_OK);
    s.halfway = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    s.wrapped = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    s.done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    IDirectSoundNotify8* notify = nullptr;
    ASSERT_EQ(s.buffer->QueryInterface(IID_IDirectSoundNotify8, reinterpret_cast<void**>(&notify)), S_OK);
    const DSBPOSITIONNOTIFY positions[] = {{kHalf * 2, s.halfway}, {0, s.wrapped}};
    ASSERT_EQ(notify->SetNotificationPositions(2, positions), DS_OK);
    notify->Release();
    WriteTone(s, 0, 2 * kHalf * 2, 0);

    // The meddling thread's buffer: quiet, so that it leaves the tone measurable.
    desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS;
    Meddler m{s.buffer, nullptr, s.done};
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &m.effect, nullptr), DS_OK);
    m.effect->SetVolume(DSBVOLUME_MIN);

    ASSERT_EQ(s.buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    HANDLE threads[] = {CreateThread(nullptr, 0, StreamThread, &s, 0, nullptr),
                        CreateThread(nullptr, 0, MeddleThread, &m, 0, nullptr)};
    ASSERT_EQ(WaitForSingleObject(threads[0], 60000), WAIT_OBJECT_0);
    SetEvent(s.done);  // also when streaming gave up
    ASSERT_EQ(WaitForSingleObject(threads[1], 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeThread(threads[0], &code);
    EXPECT_EQ(code, 0u);
    s.buffer->Stop();
    s.buffer->Release();
    m.effect->Release();
    ds->Release();  // the last reference: the device closes and its file is complete
    EXPECT_EQ(VelmoraTest::GetAudioRate(), 0u);
    for (HANDLE h : {threads[0], threads[1], s.halfway, s.wrapped, s.done}) CloseHandle(h);

    // The file holds float stereo at 48,000 Hz: silence, then the streamed tone.
    std::ifstream in("mix.raw", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> samples(raw.size() / 4);
    std::memcpy(samples.data(), raw.data(), samples.size() * 4);
    std::vector<double> mono;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) mono.push_back(samples[i] + samples[i + 1]);
    size_t start = 0;
    while (start < mono.size() && mono[start] == 0.0) ++start;
    const size_t streamed = size_t(kHalvesToStream - 2) * kHalf * rate / kSourceRate;
    ASSERT_GT(mono.size(), start + streamed);
    const std::vector<double> tone(mono.begin() + start, mono.begin() + start + streamed);
    EXPECT_NEAR(Frequency(tone, rate), 440.0, 2.0);
    EXPECT_GT(Rms(tone), 0.3);
}

TEST_F(RealDeviceTest, WithoutADeviceEverythingFailsAtOnce) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const auto before = std::chrono::steady_clock::now();
    IDirectSound8* ds = reinterpret_cast<IDirectSound8*>(&ds);
    EXPECT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    EXPECT_STRNE(vlm_AudioDeviceError(), "");
    const int16_t click[] = {0, 16384, 0, -16384};
    ASSERT_TRUE(velmora::WriteWavFile("click.wav", velmora::MakeWaveFormat(velmora::SoundSampleType::Pcm16, 1, 8000),
                                      click, 4));
    EXPECT_FALSE(PlaySoundA("click.wav", nullptr, SND_ASYNC));
    EXPECT_EQ(VelmoraTest::GetAudioRate(), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
}

}  // namespace
