// sndview run as a program: each file described (format, length, peak), their sound made
// offline one after the other and written as a WAV file that holds it, played on a device
// when there is one; bad input gets a message and a non-zero exit status.
#include "sound/SoundFixture.h"
#include "support/ToolProcess.h"

namespace {

using namespace sound;

Outcome RunViewer(const std::string& args) { return RunProgram(SNDVIEW, args); }

TEST(SndViewTest, DescribesTheFilesAndWritesWhatTheMixerMade) {
    WriteSound("tone.wav", 22050, 11025, Sine(441, 22050));                               // 0.5 s
    WriteSound("high.wav", 24000, 6000, Sine(800, 24000, 0.25), Sine(800, 24000, 0.25));  // 0.25 s, stereo
    std::remove("out.wav");
    const Outcome r = RunViewer("tone.wav high.wav --wav out.wav");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("tone.wav: WAV (Signed 16 bit PCM), mono, 22050 Hz, 0.500 s (11025 frames), peak 0.499 "
                            "(-6.0 dBFS), loads as a sound effect"),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("high.wav: WAV (Signed 16 bit PCM), stereo, 24000 Hz, 0.250 s (6000 frames), peak 0.249 "
                            "(-12.1 dBFS)"),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("sndview: mixed 36000 frames at 48000 Hz"), std::string::npos) << r.output;

    velmora::DecodedSound out;
    std::string error;
    ASSERT_TRUE(velmora::DecodeSoundFile("out.wav", velmora::SoundSampleType::Float, &out, &error)) << error;
    ASSERT_EQ(out.format.nChannels, 2);
    ASSERT_EQ(out.format.nSamplesPerSec, 48000u);
    ASSERT_EQ(out.frames, 36000u);
    Stereo mix(out.frames * 2);
    std::memcpy(mix.data(), out.samples.data(), mix.size() * 4);
    EXPECT_NEAR(LevelAt(mix, 441, At(10), At(490)), 0.5, 0.01);
    EXPECT_NEAR(Frequency(Channel(mix, 1, At(10), At(490)), 48000), 441, 1);
    EXPECT_NEAR(LevelAt(mix, 800, At(510), At(740)), 0.25, 0.01);
    EXPECT_LT(LevelAt(mix, 441, At(510), At(740)), 0.01);

    // --frames cuts the mix, or makes it longer with silence.
    const Outcome cut = RunViewer("tone.wav --frames 1000");
    EXPECT_EQ(cut.status, 0) << cut.output;
    EXPECT_NE(cut.output.find("sndview: mixed 1000 frames at 48000 Hz, peak 0.499"), std::string::npos) << cut.output;
    const Outcome longer = RunViewer("high.wav --frames 96000");
    EXPECT_NE(longer.output.find("sndview: mixed 96000 frames at 48000 Hz, peak 0.249"), std::string::npos)
        << longer.output;
}

TEST(SndViewTest, PlaysOnTheDeviceOrSaysThereIsNone) {
    WriteSound("click.wav", 22050, 2205, Sine(441, 22050));
    // The tests' environment gives SDL's dummy device, which takes the sound in real time.
    const Outcome played = RunViewer("click.wav");
    EXPECT_EQ(played.status, 0) << played.output;
    EXPECT_EQ(played.output.find("no sound device"), std::string::npos) << played.output;
    const Outcome silent = RunProgram("SDL_AUDIODRIVER=no-such-driver " SNDVIEW, "click.wav");
    EXPECT_EQ(silent.status, 0) << silent.output;
    EXPECT_NE(silent.output.find("click.wav: WAV"), std::string::npos) << silent.output;
    EXPECT_NE(silent.output.find("sndview: no sound device ("), std::string::npos) << silent.output;
}

TEST(SndViewTest, BadInputGetsAMessageAndAFailingStatus) {
    WriteFile("junk.wav", std::string(300, 'j'));
    WriteSound("good.wav", 8000, 800, Sine(400, 8000));
    struct Case {
        const char* args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"", 2, "no sound file given"},
        {"--frames 0 good.wav", 2, "--frames needs a number of frames above 0"},
        {"--frames -3 good.wav", 2, "--frames needs a number of frames above 0"},
        {"good.wav --frames", 2, "--frames needs a number of frames above 0"},
        {"good.wav --wav", 2, "--wav needs a file name"},
        {"--loud good.wav", 2, "unknown option --loud"},
        {"missing.wav --frames 10", 1, "sndview: missing.wav: "},
        {"junk.wav good.wav --frames 10", 1, "sndview: junk.wav: "},
        {"good.wav --frames 10 --wav no/such/folder/out.wav", 1, "no/such/folder/out.wav: could not be written"},
        {"-h", 0, "usage: sndview"},
        {"--version", 0, "sndview 0."},
    };
    for (const Case& c : cases) {
        const Outcome r = RunViewer(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
    }
    // The good file is still shown beside the bad one.
    EXPECT_NE(RunViewer("junk.wav good.wav --frames 10").output.find("good.wav: WAV"), std::string::npos);
}

}  // namespace
