// Fuzz target: sound files (WAV in its codings, Ogg Vorbis, FLAC, Opus, MP3) through the sound
// reader. Whole decodes from memory and from a file, as 16-bit PCM and as float, must agree
// with each other and keep the decode budget; reading in chunks must give what the whole
// decode gave, and so must a read after a seek (where the format seeks exactly). What
// decodes is then played through DirectSound on the manual audio clock, resampled from a
// rate the input chooses, and through PlaySoundA.
#include <cmath>
#include <cstring>
#include <vector>

#include "support/FuzzEngine.h"

using namespace VelmoraFuzz;
using velmora::DecodedSound;
using velmora::SoundFile;
using velmora::SoundSampleType;

namespace {

IDirectSound8* g_sound = nullptr;

void Stream(const uint8_t* data, size_t size, const DecodedSound& whole) {
    SoundFile file;
    std::string error;
    FUZZ_CHECK(file.OpenMemory(data, size, &error));
    const size_t block = whole.format.nBlockAlign;
    std::vector<uint8_t> read, chunk(1000 * block);
    while (DWORD got = file.Read(SoundSampleType::Pcm16, chunk.data(), 1000)) {
        read.insert(read.end(), chunk.begin(), chunk.begin() + got * block);
        FUZZ_CHECK(read.size() <= whole.samples.size());
    }
    FUZZ_CHECK(read == whole.samples);

    // MP3 seeks to the frame its index estimates; the others to the very sample.
    if (file.GetFileFormat() == velmora::SoundFileFormat::Mp3 || whole.frames < 4) return;
    const uint64_t middle = whole.frames / 2;
    const DWORD count = DWORD(std::min<uint64_t>(64, whole.frames - middle));
    if (!file.Seek(middle)) return;
    FUZZ_CHECK(file.Read(SoundSampleType::Pcm16, chunk.data(), count) == count);
    FUZZ_CHECK(std::memcmp(chunk.data(), whole.samples.data() + middle * block, count * block) == 0);
}

void Play(const DecodedSound& sound, const uint8_t* data, size_t size) {
    if (sound.samples.size() > DSBSIZE_MAX || sound.samples.size() < DSBSIZE_MIN) return;
    WAVEFORMATEX format = sound.format;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = DWORD(sound.samples.size());
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    FUZZ_CHECK(SUCCEEDED(g_sound->CreateSoundBuffer(&desc, &buffer, nullptr)));
    void* p = nullptr;
    DWORD bytes = 0;
    FUZZ_CHECK(SUCCEEDED(buffer->Lock(0, 0, &p, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER)));
    std::memcpy(p, sound.samples.data(), bytes);
    buffer->Unlock(p, bytes, nullptr, 0);
    // A rate, a pan and a start of the input's choosing.
    const DWORD pick = size >= 4 ? DWORD(data[size - 1]) | DWORD(data[size - 2]) << 8 : 0;
    FUZZ_CHECK(SUCCEEDED(buffer->SetFrequency(DSBFREQUENCY_MIN + pick * 3)));
    FUZZ_CHECK(SUCCEEDED(buffer->SetPan(LONG(pick % 20001) - 10000)));
    FUZZ_CHECK(SUCCEEDED(buffer->SetCurrentPosition(pick % desc.dwBufferBytes)));
    FUZZ_CHECK(SUCCEEDED(buffer->Play(0, 0, pick & 1 ? DSBPLAY_LOOPING : 0)));
    float out[2 * 1500];
    VelmoraTest::RenderAudio(out, 1500);
    for (float v : out) FUZZ_CHECK(v >= -1.0f && v <= 1.0f);
    buffer->Release();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Prepare(argc, argv);
    CaptureReports();
    VelmoraTest::UseManualAudio(true);
    if (FAILED(DirectSoundCreate8(nullptr, &g_sound, nullptr))) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodedSound pcm, floats, fromFile;
    std::string error;
    const bool decoded = velmora::DecodeSoundMemory(data, size, SoundSampleType::Pcm16, &pcm, &error);
    if (decoded) {
        FUZZ_CHECK(pcm.frames > 0 && pcm.samples.size() == pcm.frames * pcm.format.nBlockAlign);
        FUZZ_CHECK(pcm.samples.size() <= velmora::SoundDecodeBudget(size));
    } else {
        FUZZ_CHECK(!error.empty());
    }
    const bool asFloat = velmora::DecodeSoundMemory(data, size, SoundSampleType::Float, &floats, &error);
    // Floats take twice the bytes of 16-bit samples, so a header's claim may fit the budget
    // as one and not as the other; otherwise both decode the same frames or neither does.
    if (decoded && !asFloat)
        FUZZ_CHECK(error.find("bytes may hold") != std::string::npos);
    else
        FUZZ_CHECK(asFloat == decoded && floats.frames == pcm.frames);
    if (asFloat)
        for (size_t i = 0; i < floats.samples.size(); i += 4) {
            float v;
            std::memcpy(&v, &floats.samples[i], 4);
            FUZZ_CHECK(std::isfinite(v));
        }

    const std::string path = WriteScratch("input.snd", data, size);
    FUZZ_CHECK(velmora::DecodeSoundFile(path.c_str(), SoundSampleType::Pcm16, &fromFile, &error) == decoded);
    FUZZ_CHECK(fromFile.samples == pcm.samples);

    if (decoded) {
        Stream(data, size, pcm);
        Play(pcm, data, size);
        if (PlaySoundA(path.c_str(), nullptr, SND_ASYNC | SND_FILENAME)) {
            float out[2 * 600];
            VelmoraTest::RenderAudio(out, 600);
        }
        PlaySoundA(nullptr, nullptr, 0);
    }
    EndInput();
    return 0;
}
