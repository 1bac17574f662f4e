// winmm's PlaySoundA through the mixer, on the manual audio clock.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "AudioFixture.h"

namespace {

using namespace audio;

class PlaySoundTest : public AudioTest {
protected:
    void SetUp() override {
        AudioTest::SetUp();
        mkdir("Sounds", 0755);
        // A tenth of a second of 440 Hz at half of full scale.
        std::vector<int16_t> tone(2205);
        for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t(16384 * std::sin(2 * kPi * 440 * i / 22050));
        ASSERT_TRUE(velmora::WriteWavFile("Sounds/Tone.wav",
                                          velmora::MakeWaveFormat(velmora::SoundSampleType::Pcm16, 1, 22050),
                                          tone.data(), tone.size()));
    }

    // The level of the tone in 0.05 s from now.
    static double Level() { return Amplitude(Channel(Render(2400), 0), 440, 48000); }
};

TEST_F(PlaySoundTest, PlaysOnceLoopsAndStops) {
    ASSERT_TRUE(PlaySoundA("sounds\\TONE.WAV", nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
    EXPECT_NEAR(Level(), 0.5, 0.01);
    EXPECT_NEAR(Level(), 0.5, 0.01);
    EXPECT_EQ(Peak(Channel(Render(2400), 0)), 0.0);  // a tenth of a second, then over

    ASSERT_TRUE(PlaySoundA("Sounds/Tone.wav", nullptr, SND_ASYNC | SND_LOOP));
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(Level(), 0.5, 0.01);
    // SND_NOSTOP leaves a playing sound alone; a missing file plays nothing and says so.
    EXPECT_FALSE(PlaySoundA("Sounds/Tone.wav", nullptr, SND_ASYNC | SND_NOSTOP));
    EXPECT_NEAR(Level(), 0.5, 0.01);
    EXPECT_FALSE(PlaySoundA("Sounds/missing.wav", nullptr, SND_ASYNC | SND_FILENAME));
    EXPECT_EQ(Peak(Channel(Render(2400), 0)), 0.0);

    ASSERT_TRUE(PlaySoundA("Sounds/Tone.wav", nullptr, SND_ASYNC | SND_LOOP));
    ASSERT_TRUE(PlaySoundA(nullptr, nullptr, 0));
    EXPECT_EQ(Peak(Channel(Render(2400), 0)), 0.0);
    ASSERT_TRUE(PlaySoundA("Sounds/Tone.wav", nullptr, SND_ASYNC | SND_LOOP));
    ASSERT_TRUE(PlaySoundA("Sounds/Tone.wav", nullptr, SND_PURGE));
    EXPECT_EQ(Peak(Channel(Render(2400), 0)), 0.0);

    // SND_SYNC returns when the sound is over: the manual clock plays it through.
    ASSERT_TRUE(PlaySoundA("Sounds/Tone.wav", nullptr, SND_SYNC));
    EXPECT_EQ(Peak(Channel(Render(2400), 0)), 0.0);
    EXPECT_TRUE(PlaySoundA("Sounds/Tone.wav", nullptr, SND_NOSTOP | SND_ASYNC));  // nothing plays now

    EXPECT_FALSE(PlaySoundA("Sounds/Tone.wav", nullptr, SND_LOOP));  // a loop would never return
    EXPECT_FALSE(PlaySoundA("SystemAsterisk", nullptr, SND_ALIAS | SND_ASYNC));
}

TEST_F(PlaySoundTest, PlaysAWavImageInMemory) {
    std::ifstream in("Sounds/Tone.wav", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string image = bytes.str() + "trailing bytes the header does not cover";
    ASSERT_TRUE(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC));
    EXPECT_NEAR(Level(), 0.5, 0.01);
    EXPECT_FALSE(PlaySoundA("not a RIFF image", nullptr, SND_MEMORY | SND_ASYNC));
    EXPECT_TRUE(sndPlaySoundA(nullptr, 0));
}

}  // namespace
