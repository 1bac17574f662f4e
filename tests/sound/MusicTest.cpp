// Music heard through the manual audio clock: a track longer than its stream's buffer,
// streamed through its loop with every part in its place; loop points; fades, crossfades and
// the category volumes; pause; and a track's end by the engine's clock.
#include "SoundFixture.h"

namespace {

using namespace sound;

// Tracks at 24,000 Hz, whose tones of half a second each hold whole periods.
constexpr DWORD kRate = 24000;
const std::vector<double> kParts = {300, 600, 800};

class MusicTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        WriteTones("parts.wav", kRate, kParts, 0.5);  // 1.5 s: more than the stream's second
        WriteTones("low.wav", kRate, {300}, 2.0);
        WriteTones("high.wav", kRate, {800}, 2.0);
    }

    // Which of kParts sounds in the half second of `mix` from `ms` (its middle, away from the
    // joins); 0 when none or several do.
    static double PartAt(const Stereo& mix, double ms) {
        double found = 0;
        for (double f : kParts) {
            const double level = LevelAt(mix, f, At(ms + 50), At(ms + 450));
            if (level > 0.45)
                found = found ? -1 : f;
            else if (level > 0.02)
                return 0;
        }
        return found > 0 ? found : 0;
    }
};

TEST_F(MusicTest, ALongTrackStreamsThroughItsLoopWithEveryPartInPlace) {
    ASSERT_TRUE(manager->PlayMusic("parts.wav"));
    const Stereo mix = AdvanceMs(4500);  // three times round, the buffer refilled each frame
    for (int part = 0; part < 9; ++part) EXPECT_EQ(PartAt(mix, part * 500.0), kParts[part % 3]) << part;
    EXPECT_TRUE(manager->IsMusicPlaying());
    EXPECT_EQ(manager->GetMusicUnderruns(), 0u);
}

TEST_F(MusicTest, ATrackThatDoesNotLoopEndsOnTheClock) {
    ASSERT_TRUE(manager->PlayMusic("parts.wav", false));
    Stereo mix = AdvanceMs(1499);
    EXPECT_TRUE(manager->IsMusicPlaying());
    const Stereo after = AdvanceMs(501);
    mix.insert(mix.end(), after.begin(), after.end());
    EXPECT_FALSE(manager->IsMusicPlaying());
    for (int part = 0; part < 3; ++part) EXPECT_EQ(PartAt(mix, part * 500.0), kParts[part]) << part;
    EXPECT_EQ(Peak(Channel(mix, 0, At(1500) + 2)), 0.0);
}

TEST_F(MusicTest, LoopPointsPlayTheIntroOnceAndNeverTheEnd) {
    ASSERT_TRUE(manager->PlayMusic("parts.wav"));
    // The first second of the track is buffered already: the new loop is written over it.
    ASSERT_TRUE(manager->SetMusicLoop(kRate / 2, kRate));
    const Stereo mix = AdvanceMs(3000);
    EXPECT_EQ(PartAt(mix, 0), 300);
    for (double ms = 500; ms < 3000; ms += 500) EXPECT_EQ(PartAt(mix, ms), 600) << ms;
    EXPECT_LT(LevelAt(mix, 800, 0, mix.size() / 2), 0.01);

    EXPECT_FALSE(manager->SetMusicLoop(kRate, kRate / 2));
    EXPECT_FALSE(manager->SetMusicLoop(0, 10 * kRate));
    EXPECT_TRUE(manager->SetMusicLoop(0, 0));  // the whole track again, from where it is
    const Stereo whole = AdvanceMs(2000);
    for (int part = 0; part < 4; ++part) EXPECT_EQ(PartAt(whole, part * 500.0), kParts[(part + 1) % 3]) << part;
}

TEST_F(MusicTest, FadesAndACrossfade) {
    auto level = [](const Stereo& mix, double frequency, double ms) {
        return LevelAt(mix, frequency, At(ms - 10), At(ms + 10));
    };
    ASSERT_TRUE(manager->PlayMusic("low.wav", true, 1000));
    Stereo mix = AdvanceMs(1500);
    EXPECT_NEAR(level(mix, 300, 250), 0.125, 0.02);
    EXPECT_NEAR(level(mix, 300, 750), 0.375, 0.02);
    EXPECT_NEAR(level(mix, 300, 1250), 0.5, 0.01);

    // The new track fades in while the old one fades out.
    ASSERT_TRUE(manager->PlayMusic("high.wav", true, 1000));
    mix = AdvanceMs(1500);
    EXPECT_NEAR(level(mix, 300, 500), 0.25, 0.02);
    EXPECT_NEAR(level(mix, 800, 500), 0.25, 0.02);
    EXPECT_LT(level(mix, 300, 1250), 0.01);
    EXPECT_NEAR(level(mix, 800, 1250), 0.5, 0.01);
    EXPECT_TRUE(manager->IsMusicPlaying());

    manager->StopMusic(500);
    EXPECT_FALSE(manager->IsMusicPlaying());
    mix = AdvanceMs(1000);
    EXPECT_NEAR(level(mix, 800, 250), 0.25, 0.02);
    EXPECT_EQ(Peak(Channel(mix, 0, At(600))), 0.0);

    // Without a fade the old track stops at once.
    ASSERT_TRUE(manager->PlayMusic("low.wav"));
    AdvanceMs(100);
    ASSERT_TRUE(manager->PlayMusic("high.wav"));
    mix = AdvanceMs(100);
    EXPECT_LT(level(mix, 300, 50), 0.01);
    EXPECT_NEAR(level(mix, 800, 50), 0.5, 0.01);
    manager->StopMusic();
    EXPECT_EQ(Peak(Channel(AdvanceMs(50), 0, At(20))), 0.0);
}

TEST_F(MusicTest, CategoryVolumesScaleTheirOwnSounds) {
    WriteSound("effect.wav", 22050, 22050, Sine(441, 22050));
    const DWORD effect = manager->LoadSound("effect.wav");
    ASSERT_TRUE(manager->PlayMusic("high.wav"));
    struct Case {
        int master, effects, music;
        double effectLevel, musicLevel;
    };
    const Case cases[] = {{100, 100, 100, 0.25, 0.5},
                          {100, 100, 50, 0.25, 0.25},
                          {100, 0, 100, 0.0, 0.5},
                          {50, 100, 50, 0.125, 0.125},
                          {0, 100, 100, 0.0, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.master << " " << c.effects << " " << c.music);
        manager->SetVolume(SOUND_MASTER, c.master);
        manager->SetVolume(SOUND_EFFECTS, c.effects);
        manager->SetVolume(SOUND_MUSIC, c.music);
        const DWORD voice = manager->Play(effect, 50);
        const Stereo mix = AdvanceMs(100);
        manager->Stop(voice);
        EXPECT_NEAR(LevelAt(mix, 441, At(5), At(95)), c.effectLevel, 0.01);
        EXPECT_NEAR(LevelAt(mix, 800, At(5), At(95)), c.musicLevel, 0.01);
    }
}

TEST_F(MusicTest, APauseHoldsTheTrackAndItsClock) {
    ASSERT_TRUE(manager->PlayMusic("parts.wav", false));
    AdvanceMs(750);
    manager->PauseMusic();
    EXPECT_TRUE(manager->IsMusicPaused());
    EXPECT_TRUE(manager->IsMusicPlaying());
    EXPECT_EQ(Peak(Channel(AdvanceMs(2000), 0, At(20))), 0.0);
    EXPECT_TRUE(manager->IsMusicPlaying());
    manager->ResumeMusic();
    EXPECT_FALSE(manager->IsMusicPaused());
    // From the middle of the second part on: 250 ms of it, then the third.
    const Stereo mix = AdvanceMs(749);
    EXPECT_NEAR(LevelAt(mix, 600, At(20), At(230)), 0.5, 0.01);
    EXPECT_NEAR(LevelAt(mix, 800, At(270), At(740)), 0.5, 0.01);
    EXPECT_TRUE(manager->IsMusicPlaying());
    AdvanceMs(1);
    EXPECT_FALSE(manager->IsMusicPlaying());
}

}  // namespace
