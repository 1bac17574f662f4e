// The sound file reader on libsndfile: every format it offers, streaming and seeking, the
// decode budget, and damaged, truncated and foreign files.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "AudioFixture.h"

namespace {

using namespace audio;
using velmora::DecodedSound;
using velmora::SoundFile;
using velmora::SoundFileFormat;
using velmora::SoundSampleType;

std::string Seed(const std::string& name) { return std::string(VELMORA_SOUND_SEEDS) + "/" + name; }

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Channel `channel` of decoded samples, as -1..1.
std::vector<double> Samples(const DecodedSound& d, int channel) {
    std::vector<double> out;
    const int channels = d.format.nChannels;
    for (uint64_t i = 0; i < d.frames; ++i) {
        if (d.format.wFormatTag == WAVE_FORMAT_PCM)
            out.push_back(reinterpret_cast<const int16_t*>(d.samples.data())[i * channels + channel] / 32768.0);
        else
            out.push_back(reinterpret_cast<const float*>(d.samples.data())[i * channels + channel]);
    }
    return out;
}

// Each seed is a tenth of a second (the float one half that) of 440 Hz at half of full scale.
TEST(SoundFile, EveryFormatDecodesToItsTone) {
    struct Case {
        const char* file;
        SoundFileFormat format;
        WORD channels;
        DWORD rate;
        double tolerance;  // of the level: lossy codecs change it a little
        double seconds = 0.1;
    };
    const Case cases[] = {
        {"tone-pcm16-mono-22050.wav", SoundFileFormat::Wav, 1, 22050, 0.002},
        {"tone-u8-stereo-11025.wav", SoundFileFormat::Wav, 2, 11025, 0.01},
        {"tone-pcm24-mono-8000.wav", SoundFileFormat::Wav, 1, 8000, 0.002},
        {"tone-float-stereo-11025.wav", SoundFileFormat::Wav, 2, 11025, 0.002, 0.05},
        {"tone-ima-mono-22050.wav", SoundFileFormat::Wav, 1, 22050, 0.02},
        {"tone-msadpcm-stereo-22050.wav", SoundFileFormat::Wav, 2, 22050, 0.02},
        {"tone-vorbis-mono-22050.ogg", SoundFileFormat::Vorbis, 1, 22050, 0.05},
        {"tone-flac-stereo-44100.flac", SoundFileFormat::Flac, 2, 44100, 0.002},
        {"tone-opus-mono-48000.opus", SoundFileFormat::Opus, 1, 48000, 0.05},
        {"tone-mp3-mono-22050.mp3", SoundFileFormat::Mp3, 1, 22050, 0.05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SoundFile file;
        std::string error;
        ASSERT_TRUE(file.Open(Seed(c.file).c_str(), &error)) << error;
        EXPECT_EQ(file.GetFileFormat(), c.format);
        EXPECT_EQ(file.GetChannels(), c.channels);
        EXPECT_EQ(file.GetRate(), c.rate);
        EXPECT_FALSE(file.GetFormatName().empty());
        for (SoundSampleType type : {SoundSampleType::Pcm16, SoundSampleType::Float}) {
            DecodedSound d;
            ASSERT_TRUE(velmora::DecodeSoundFile(Seed(c.file).c_str(), type, &d, &error)) << error;
            EXPECT_EQ(d.frames, file.GetFrames());
            EXPECT_EQ(d.samples.size(), d.frames * d.format.nBlockAlign);
            const WAVEFORMATEX expected = velmora::MakeWaveFormat(type, c.channels, c.rate);
            EXPECT_EQ(std::memcmp(&d.format, &expected, sizeof expected), 0);
            for (int channel = 0; channel < c.channels; ++channel) {
                const std::vector<double> all = Samples(d, channel);
                // The middle of the tone, away from the codecs' onsets and padding.
                const size_t length = size_t(c.seconds * c.rate);
                ASSERT_GE(all.size(), length);
                const std::vector<double> x(all.begin() + length / 4, all.begin() + length * 3 / 4);
                EXPECT_NEAR(Frequency(x, c.rate), 440.0, 2.0);
                EXPECT_NEAR(Amplitude(WholePeriods(x, 440, c.rate), 440, c.rate), 0.5, 0.5 * c.tolerance);
            }
        }
    }
}

// Music is read in chunks and loops by seeking: both give exactly what a whole decode gives.
TEST(SoundFile, ChunksAndSeeksReadWhatTheWholeDecodeDoes) {
    for (const char* name : {"tone-flac-stereo-44100.flac", "tone-vorbis-mono-22050.ogg", "tone-ima-mono-22050.wav"}) {
        SCOPED_TRACE(name);
        DecodedSound whole;
        std::string error;
        ASSERT_TRUE(velmora::DecodeSoundFile(Seed(name).c_str(), SoundSampleType::Float, &whole, &error)) << error;
        SoundFile file;
        ASSERT_TRUE(file.Open(Seed(name).c_str(), &error)) << error;
        const size_t block = whole.format.nBlockAlign;
        std::vector<uint8_t> streamed, chunk(333 * block);
        while (DWORD got = file.Read(SoundSampleType::Float, chunk.data(), 333))
            streamed.insert(streamed.end(), chunk.begin(), chunk.begin() + got * block);
        EXPECT_FALSE(file.HasFailed());
        EXPECT_EQ(file.GetPosition(), whole.frames);
        EXPECT_EQ(streamed, whole.samples);

        ASSERT_TRUE(file.Seek(1000));
        ASSERT_EQ(file.Read(SoundSampleType::Float, chunk.data(), 100), 100u);
        EXPECT_EQ(std::vector<uint8_t>(chunk.begin(), chunk.begin() + 100 * block),
                  std::vector<uint8_t>(whole.samples.begin() + 1000 * block, whole.samples.begin() + 1100 * block));
        EXPECT_FALSE(file.Seek(whole.frames + 1));
    }
}

std::string Le16(int v) { return std::string{char(v & 0xFF), char(v >> 8 & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(int(v & 0xFFFF)) + Le16(int(v >> 16)); }

std::string WavHeader(int channels, uint32_t rate, uint32_t dataBytes) {
    return "RIFF" + Le32(36 + dataBytes) + "WAVEfmt " + Le32(16) + Le16(1) + Le16(channels) + Le32(rate) +
           Le32(rate * channels * 2) + Le16(channels * 2) + Le16(16) + "data" + Le32(dataBytes);
}

// Damage is refused with a message that says what is wrong, before anything is decoded: a
// few bytes that claim hours of sound cost nothing.
TEST(SoundFile, DamagedTruncatedAndForeignFilesAreRefused) {
    const std::string wav = Bytes(Seed("tone-pcm16-mono-22050.wav"));
    const std::string flac = Bytes(Seed("tone-flac-stereo-44100.flac"));
    std::string huge = flac;
    huge[21] = char((huge[21] & 0xF0) | 0x08);  // STREAMINFO: 2^35 frames
    const std::string threeChannels = WavHeader(3, 22050, 600) + std::string(600, '\0');
    struct Case {
        const char* what;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"empty", "", "not a WAV"},
        {"text", "hello, this is not a sound at all", "not a WAV"},
        {"AIFF",
         "FORM\0\0\0\x20"
         "AIFFCOMM" +
             std::string(40, '\0'),
         "not a WAV"},
        {"cut WAV", wav.substr(0, wav.size() / 2), "WAV: truncated data"},
        {"cut FLAC", flac.substr(0, flac.size() * 2 / 3), "FLAC: "},
        {"claims 2^35 frames", huge, "may hold"},
        {"three channels", threeChannels, "3 channels"},
        {"RIFF header only", wav.substr(0, 20), "WAV:"},
        {"no samples", WavHeader(1, 22050, 0), "WAV:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (SoundSampleType type : {SoundSampleType::Pcm16, SoundSampleType::Float}) {
            DecodedSound d;
            d.frames = 7;
            std::string error;
            EXPECT_FALSE(velmora::DecodeSoundMemory(c.bytes.data(), c.bytes.size(), type, &d, &error));
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            EXPECT_EQ(d.frames, 7u);  // left as it was
        }
    }
    DecodedSound d;
    std::string error;
    EXPECT_FALSE(velmora::DecodeSoundFile("no/such/file.wav", SoundSampleType::Pcm16, &d, &error));
    EXPECT_EQ(error, "cannot open the file");
    EXPECT_FALSE(velmora::DecodeSoundFile(".", SoundSampleType::Pcm16, &d, &error));
    EXPECT_EQ(velmora::SoundDecodeBudget(0), uint64_t(64) << 20);
    EXPECT_EQ(velmora::SoundDecodeBudget(1000), (uint64_t(64) << 20) + 256000);
}

// WAV files written here read back the same, under Windows names too; damaged float
// samples read as silence.
TEST(SoundFile, WrittenWavFilesReadBackUnderWindowsNames) {
    mkdir("Sounds", 0755);
    const WAVEFORMATEX pcm = velmora::MakeWaveFormat(SoundSampleType::Pcm16, 2, 32000);
    const int16_t samples[] = {0, 1, -1, 32767, -32768, 1234, 99, -99};
    ASSERT_TRUE(velmora::WriteWavFile("Sounds/Beep.wav", pcm, samples, 4));
    DecodedSound d;
    std::string error;
    ASSERT_TRUE(velmora::DecodeSoundFile("sounds\\BEEP.WAV", SoundSampleType::Pcm16, &d, &error)) << error;
    EXPECT_EQ(d.frames, 4u);
    EXPECT_EQ(d.format.nSamplesPerSec, 32000u);
    EXPECT_EQ(std::memcmp(d.samples.data(), samples, sizeof samples), 0);

    const WAVEFORMATEX f32 = velmora::MakeWaveFormat(SoundSampleType::Float, 1, 8000);
    const float wild[] = {0.5f, std::nanf(""), INFINITY, -0.25f};
    ASSERT_TRUE(velmora::WriteWavFile("Sounds/wild.wav", f32, wild, 4));
    ASSERT_TRUE(velmora::DecodeSoundFile("Sounds/wild.wav", SoundSampleType::Float, &d, &error)) << error;
    EXPECT_EQ(Samples(d, 0), (std::vector<double>{0.5, 0.0, 0.0, -0.25}));

    const WAVEFORMATEX u8 = Format(WAVE_FORMAT_PCM, 8, 1, 8000);
    EXPECT_FALSE(velmora::WriteWavFile("Sounds/u8.wav", u8, samples, 4));
    EXPECT_FALSE(velmora::WriteWavFile("no/such/folder/x.wav", pcm, samples, 4));
}

}  // namespace
