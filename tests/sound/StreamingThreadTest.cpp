// Music on SDL's own audio thread (the disk driver, writing what it is given to a file,
// faster than real time) with no frame updates at all: only the sound manager's streaming
// thread, woken by the stream's notifications, keeps the ring filled. The file then holds
// the track through its loop, every part in its place. Run under ThreadSanitizer in CI.
#include <cstring>
#include <fstream>
#include <iterator>

#include "SoundFixture.h"

namespace {

using namespace sound;

const std::vector<double> kParts = {300, 600, 800};

class StreamingThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        VelmoraTest::UseManualAudio(false);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "music.raw", 1);
        setenv("SDL_DISKAUDIODELAY", "4", 1);
    }
    void TearDown() override {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
    }
};

TEST_F(StreamingThreadTest, TheStreamingThreadAloneKeepsTheMusicGoing) {
    WriteTones("parts.wav", 24000, kParts, 0.5);
    auto manager = std::make_unique<CSoundManager>();
    ASSERT_TRUE(manager->Init(nullptr)) << vlm_AudioDeviceError();
    ASSERT_EQ(VelmoraTest::GetAudioRate(), 48000u);

    // A silent looping buffer of one second of the mix, whose notification at its start
    // counts the seconds mixed.
    WAVEFORMATEX format = velmora::MakeWaveFormat(velmora::SoundSampleType::Pcm16, 1, 48000);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = 48000 * 2;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* seconds = nullptr;
    ASSERT_EQ(manager->GetDirectSound()->CreateSoundBuffer(&desc, &seconds, nullptr), DS_OK);
    HANDLE second = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    IDirectSoundNotify8* notify = nullptr;
    ASSERT_EQ(seconds->QueryInterface(IID_IDirectSoundNotify8, reinterpret_cast<void**>(&notify)), S_OK);
    const DSBPOSITIONNOTIFY start = {0, second};
    ASSERT_EQ(notify->SetNotificationPositions(1, &start), DS_OK);
    notify->Release();
    ASSERT_EQ(seconds->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

    ASSERT_TRUE(manager->PlayMusic("parts.wav"));
    for (int i = 0; i < 6; ++i) ASSERT_EQ(WaitForSingleObject(second, 60000), WAIT_OBJECT_0) << i;
    EXPECT_EQ(manager->GetMusicUnderruns(), 0u);
    seconds->Release();
    CloseHandle(second);
    manager.reset();  // the last reference: the device closes and its file is complete

    std::ifstream in("music.raw", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Stereo mix(raw.size() / 4);
    std::memcpy(mix.data(), raw.data(), mix.size() * 4);
    size_t first = 0;
    while (first < mix.size() / 2 && mix[2 * first] == 0.0f) ++first;
    ASSERT_GT(mix.size() / 2, first + At(4500));
    for (int part = 0; part < 9; ++part) {
        const size_t from = first + At(part * 500.0 + 50), to = first + At(part * 500.0 + 450);
        for (double f : kParts)
            EXPECT_NEAR(LevelAt(mix, f, from, to), f == kParts[part % 3] ? 0.5 : 0.0, 0.01) << part << " " << f;
    }
}

}  // namespace
