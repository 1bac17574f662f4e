// Voices heard through the manual audio clock: a tone's frequency and level after volume,
// pan and the category volumes, one-shots that end when their sound does (by the engine's
// clock too), loops, pitch, a sound on several voices, the oldest voice taken when all are
// busy, and suspension.
#include "SoundFixture.h"

namespace {

using namespace sound;

constexpr double kToneRate = 22050;
constexpr double kTone = 441;  // 50 frames a period at 22,050 Hz: whole periods loop seamlessly

class VoiceTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        WriteSound("tone.wav", DWORD(kToneRate), DWORD(kToneRate), Sine(kTone, kToneRate));  // one second
        tone = manager->LoadSound("tone.wav");
        ASSERT_NE(tone, 0u);
    }

    DWORD tone = 0;
};

TEST_F(VoiceTest, LevelsFollowVolumePanAndTheCategoryVolumes) {
    struct Case {
        int volume, pan, effects, master;
        double left, right;
    };
    const Case cases[] = {
        {100, 0, 100, 100, 0.5, 0.5},   {50, 0, 100, 100, 0.25, 0.25},  {100, -100, 100, 100, 0.5, 0.0},
        {100, 100, 100, 100, 0.0, 0.5}, {100, 50, 100, 100, 0.25, 0.5}, {100, -75, 100, 100, 0.5, 0.125},
        {100, 0, 50, 100, 0.25, 0.25},  {80, 0, 50, 50, 0.1, 0.1},      {100, 0, 0, 100, 0.0, 0.0},
        {150, 300, 100, 100, 0.0, 0.5},  // held to 100 and 100
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan << " effects " << c.effects
                                        << " master " << c.master);
        manager->SetVolume(SOUND_EFFECTS, c.effects);
        manager->SetVolume(SOUND_MASTER, c.master);
        const DWORD voice = manager->Play(tone, c.volume, c.pan);
        ASSERT_NE(voice, 0u);
        const Stereo mix = AdvanceMs(100);
        manager->Stop(voice);
        const auto left = Channel(mix, 0, At(10), At(90)), right = Channel(mix, 1, At(10), At(90));
        EXPECT_NEAR(Amplitude(WholePeriods(left, kTone, kMixRate), kTone, kMixRate), c.left, 0.01);
        EXPECT_NEAR(Amplitude(WholePeriods(right, kTone, kMixRate), kTone, kMixRate), c.right, 0.01);
        if (c.left > 0) {
            EXPECT_NEAR(Frequency(left, kMixRate), kTone, 1.0);
        }
    }
    EXPECT_TRUE(Peak(Channel(AdvanceMs(20), 0)) == 0.0);  // stopped voices are silent
}

TEST_F(VoiceTest, AOneShotEndsWithItsSoundAndTheClockSaysSo) {
    WriteSound("short.wav", DWORD(kToneRate), DWORD(kToneRate / 10), Sine(kTone, kToneRate));  // 100 ms
    const DWORD sound = manager->LoadSound("short.wav");
    const DWORD voice = manager->Play(sound);
    Stereo mix = AdvanceMs(99);
    EXPECT_TRUE(manager->IsPlaying(voice));
    EXPECT_EQ(manager->GetVoiceCount(), 1);
    const Stereo rest = AdvanceMs(101);
    mix.insert(mix.end(), rest.begin(), rest.end());
    EXPECT_FALSE(manager->IsPlaying(voice));
    EXPECT_EQ(manager->GetVoiceCount(), 0);
    // The tone for 100 ms, then nothing.
    EXPECT_GT(Peak(Channel(mix, 0, At(90), At(99))), 0.45);
    EXPECT_EQ(Peak(Channel(mix, 0, At(100) + 2)), 0.0);
    EXPECT_FALSE(manager->SetVoiceVolume(voice, 50));
}

TEST_F(VoiceTest, ALoopPlaysOnWithoutASeamUntilStopped) {
    WriteSound("loop.wav", DWORD(kToneRate), 2200, Sine(kTone, kToneRate));  // 44 periods, 99.8 ms
    const DWORD voice = manager->Play(manager->LoadSound("loop.wav"), 100, 0, true);
    const Stereo mix = AdvanceMs(1000);
    EXPECT_NEAR(Frequency(Channel(mix, 0, At(5)), kMixRate), kTone, 0.5);
    for (double from = 0; from < 1000; from += 100)
        EXPECT_NEAR(LevelAt(mix, kTone, At(from + 5), At(from + 95)), 0.5, 0.01) << from << " ms";
    AdvanceMs(10000);
    EXPECT_TRUE(manager->IsPlaying(voice));
    manager->Stop(voice);
    EXPECT_FALSE(manager->IsPlaying(voice));
    EXPECT_EQ(Peak(Channel(AdvanceMs(50), 0)), 0.0);
}

TEST_F(VoiceTest, PitchChangesTheFrequencyAndTheLength) {
    // Half the sound at its own pitch (500 ms), the other half an octave higher (250 ms).
    const DWORD voice = manager->Play(tone);
    Stereo mix = AdvanceMs(500);
    EXPECT_NEAR(Frequency(Channel(mix, 0, At(10), At(490)), kMixRate), kTone, 1.0);
    EXPECT_TRUE(manager->SetVoicePitch(voice, 2.0f));
    mix = AdvanceMs(249);
    EXPECT_NEAR(Frequency(Channel(mix, 0, At(10), At(240)), kMixRate), 2 * kTone, 2.0);
    EXPECT_TRUE(manager->IsPlaying(voice));
    AdvanceMs(1);
    EXPECT_FALSE(manager->IsPlaying(voice));

    const DWORD low = manager->Play(tone);
    EXPECT_TRUE(manager->SetVoicePitch(low, 0.5f));
    mix = AdvanceMs(1999);
    EXPECT_NEAR(Frequency(Channel(mix, 0, At(10), At(1990)), kMixRate), kTone / 2, 0.5);
    EXPECT_TRUE(manager->IsPlaying(low));
    AdvanceMs(1);
    EXPECT_FALSE(manager->IsPlaying(low));
}

TEST_F(VoiceTest, OneSoundPlaysOnManyVoicesAtOnce) {
    const DWORD a = manager->Play(tone, 50), b = manager->Play(tone, 50);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_NEAR(LevelAt(AdvanceMs(100), kTone, At(5), At(95)), 0.5, 0.01);  // in step: they add up
    manager->Stop(a);
    EXPECT_NEAR(LevelAt(AdvanceMs(100), kTone, At(5), At(95)), 0.25, 0.01);
    EXPECT_TRUE(manager->IsPlaying(b));
    // A playing voice's volume and pan change, the category volumes still applied.
    manager->SetVolume(SOUND_EFFECTS, 50);
    EXPECT_TRUE(manager->SetVoiceVolume(b, 100));
    EXPECT_TRUE(manager->SetVoicePan(b, 100));
    const Stereo mix = AdvanceMs(100);
    EXPECT_LT(Amplitude(WholePeriods(Channel(mix, 0, At(5), At(95)), kTone, kMixRate), kTone, kMixRate), 0.01);
    EXPECT_NEAR(Amplitude(WholePeriods(Channel(mix, 1, At(5), At(95)), kTone, kMixRate), kTone, kMixRate), 0.25, 0.01);
}

TEST_F(VoiceTest, TheOldestVoiceIsTakenWhenEveryVoiceIsBusy) {
    WriteSound("low.wav", 24000, 24000, Sine(300, 24000));
    WriteSound("high.wav", 24000, 24000, Sine(800, 24000));
    manager->SetMaxVoices(2);
    const DWORD first = manager->Play(tone, 50, 0, true);
    AdvanceMs(20);
    const DWORD second = manager->Play(manager->LoadSound("low.wav"), 50, 0, true);
    AdvanceMs(20);
    const DWORD third = manager->Play(manager->LoadSound("high.wav"), 50, 0, true);
    EXPECT_FALSE(manager->IsPlaying(first));
    EXPECT_TRUE(manager->IsPlaying(second));
    EXPECT_TRUE(manager->IsPlaying(third));
    EXPECT_EQ(manager->GetVoiceCount(), 2);
    const Stereo mix = AdvanceMs(100);
    EXPECT_LT(LevelAt(mix, kTone, At(5), At(95)), 0.01);
    EXPECT_NEAR(LevelAt(mix, 300, At(5), At(95)), 0.25, 0.01);
    EXPECT_NEAR(LevelAt(mix, 800, At(5), At(95)), 0.25, 0.01);

    manager->SetMaxVoices(1);  // fewer voices: the oldest go at once
    EXPECT_FALSE(manager->IsPlaying(second));
    EXPECT_TRUE(manager->IsPlaying(third));
}

TEST_F(VoiceTest, SuspensionHoldsVoicesAndMusicWhereTheyAre) {
    WriteTones("music.wav", 24000, {300, 600}, 0.5);
    ASSERT_TRUE(manager->PlayMusic("music.wav", false));
    const DWORD voice = manager->Play(tone);  // one second
    AdvanceMs(400);
    manager->Suspend(true);
    EXPECT_TRUE(manager->IsSuspended());
    const Stereo quiet = AdvanceMs(3000);
    EXPECT_EQ(Peak(Channel(quiet, 0, At(20))), 0.0);
    EXPECT_TRUE(manager->IsPlaying(voice));
    EXPECT_TRUE(manager->IsMusicPlaying());

    manager->Suspend(false);
    // Both go on where they were: the tone, and the music's second half at 600 Hz.
    const Stereo again = AdvanceMs(599);
    EXPECT_NEAR(LevelAt(again, kTone, At(20), At(80)), 0.5, 0.01);
    EXPECT_LT(LevelAt(again, 300, At(120), At(580)), 0.01);
    EXPECT_NEAR(LevelAt(again, 600, At(120), At(580)), 0.5, 0.01);
    EXPECT_TRUE(manager->IsPlaying(voice));
    AdvanceMs(1);
    EXPECT_FALSE(manager->IsPlaying(voice));
    EXPECT_FALSE(manager->IsMusicPlaying());
}

}  // namespace
