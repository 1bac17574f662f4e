// sndview: the sound file viewer, for checking a game's sound assets.
//   sndview [--frames N] [--wav OUT.wav] FILE...
// Prints each file's format, length and peak, and whether the game can load it as a sound
// effect (or only stream it as music), then plays the files one after the other on the
// sound device, streamed as the game streams music. With --frames or --wav it opens no
// device: the engine's mixer makes the files' sound offline (N frames of it, or each file's
// whole length), and --wav writes what it made as a 48,000 Hz stereo float WAV file.
// Exit status: 0 done, 1 a file could not be read (the others are still shown), 2 a usage
// error.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <velmora/Velmora.h>

namespace {

constexpr int kDone = 0;
constexpr int kBadFile = 1;
constexpr int kUsage = 2;
constexpr DWORD kMixRate = 48000;  // the offline mix's

const char kUsageText[] =
    "usage: sndview [--frames N] [--wav OUT.wav] FILE...\n"
    "Prints each sound file's format, length and peak, then plays the files one after the\n"
    "other on the sound device. --frames N makes N frames of the mix offline instead (no\n"
    "device), --wav OUT.wav writes what the mixer made (48,000 Hz stereo float; without\n"
    "--frames, each file's whole length). -h, --help: this text; --version: the version.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "sndview: %s\n%s", message.c_str(), kUsageText);
    return kUsage;
}

bool ParseFrames(const char* text, uint64_t* frames) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (end == text || *end || errno || *text == '-' || parsed == 0 || parsed > 48000ull * 3600 * 24) return false;
    *frames = parsed;
    return true;
}

struct FileInfo {
    bool ok = false;
    std::string error;
    uint64_t frames = 0;
    DWORD rate = 0;
};

// Describes the file on standard output: format, length, peak (read through the file, so a
// track of any length costs little memory) and whether a game can load it as an effect.
FileInfo Describe(const std::string& file) {
    FileInfo info;
    velmora::SoundFile sound;
    if (!sound.Open(file.c_str(), &info.error)) return info;
    const WORD channels = sound.GetChannels();
    std::vector<float> chunk(size_t(4096) * channels);
    float peak = 0;
    uint64_t read = 0;
    for (DWORD n; (n = sound.Read(velmora::SoundSampleType::Float, chunk.data(), 4096)) > 0; read += n)
        for (size_t i = 0; i < size_t(n) * channels; ++i) peak = std::max(peak, std::fabs(chunk[i]));
    if (sound.HasFailed()) {
        info.error = sound.GetError();
        return info;
    }
    info.ok = true;
    info.rate = sound.GetRate();
    info.frames = std::max<uint64_t>(read, sound.GetFrames());
    const uint64_t bytes = info.frames * channels * 2;
    const bool asEffect = bytes <= velmora::SoundDecodeBudget(sound.GetFileBytes()) && bytes <= DSBSIZE_MAX;
    char decibels[16] = "-inf";
    if (peak > 0) std::snprintf(decibels, sizeof decibels, "%.1f", 20 * std::log10(double(peak)));
    std::printf("%s: %s, %s, %u Hz, %.3f s (%llu frames), peak %.3f (%s dBFS), %s\n", file.c_str(),
                sound.GetFormatName().c_str(), channels == 1 ? "mono" : "stereo", unsigned(info.rate),
                double(info.frames) / info.rate, static_cast<unsigned long long>(info.frames), double(peak), decibels,
                asEffect ? "loads as a sound effect" : "too long for an effect: only as music");
    return info;
}

// Streams each file through the sound manager on the device, one after the other.
void PlayAll(CSoundManager& sound, const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        if (!sound.PlayMusic(file.c_str(), false)) continue;
        while (sound.IsMusicPlaying()) {
            sound.Update();
            Sleep(10);
        }
        // The end by the clock: let the device play out its last frames.
        for (int i = 0; i < 10; ++i, Sleep(10)) sound.Update();
        sound.StopMusic();
    }
}

// Makes the files' sound offline, one after the other, `limit` frames in all (0: each
// file's whole length), and returns it.
std::vector<float> RenderAll(CSoundManager& sound, const std::vector<std::string>& files,
                             const std::vector<FileInfo>& infos, uint64_t limit) {
    std::vector<float> mix;
    const uint64_t step = 512;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!infos[i].ok || !sound.PlayMusic(files[i].c_str(), false)) continue;
        // The file's length at the mix's rate, and a frame the resampler may reach beyond.
        uint64_t frames = (infos[i].frames * kMixRate + infos[i].rate - 1) / infos[i].rate;
        if (limit) frames = std::min(frames, limit - mix.size() / 2);
        for (uint64_t done = 0; done < frames; done += step) {
            const uint64_t n = std::min(step, frames - done);
            const size_t at = mix.size();
            mix.resize(at + 2 * n);
            vlm_RenderAudio(mix.data() + at, DWORD(n));
            sound.Update();  // refills the stream; the clock plays no part offline
        }
        sound.StopMusic();
        if (limit && mix.size() / 2 >= limit) break;
    }
    // Frames asked for beyond the files' end are silence.
    if (limit && mix.size() / 2 < limit) mix.resize(2 * limit, 0.0f);
    return mix;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t frames = 0;
    std::string wavFile;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsageText, stdout);
            return kDone;
        } else if (arg == "--version") {
            std::printf("sndview %s\n", VELMORA_VERSION);
            return kDone;
        } else if (arg == "--frames") {
            if (!hasValue || !ParseFrames(argv[i + 1], &frames))
                return UsageError("--frames needs a number of frames above 0");
            ++i;
        } else if (arg == "--wav") {
            if (!hasValue || !*argv[i + 1]) return UsageError("--wav needs a file name");
            wavFile = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return UsageError("no sound file given");

    int status = kDone;
    std::vector<FileInfo> infos;
    std::vector<std::string> playable;
    for (const std::string& file : files) {
        infos.push_back(Describe(file));
        if (infos.back().ok) {
            playable.push_back(file);
        } else {
            std::fprintf(stderr, "sndview: %s: %s\n", file.c_str(), infos.back().error.c_str());
            status = kBadFile;
        }
    }

    const bool offline = frames > 0 || !wavFile.empty();
    if (offline) vlm_UseOfflineAudio(TRUE);
    CSoundManager sound;
    if (!sound.Init(nullptr)) {
        std::printf("sndview: no sound device (%s): nothing played\n", vlm_AudioDeviceError());
        return status;
    }
    if (!offline) {
        PlayAll(sound, playable);
        return status;
    }
    const std::vector<float> mix = RenderAll(sound, files, infos, frames);
    float peak = 0;
    for (float v : mix) peak = std::max(peak, std::fabs(v));
    std::printf("sndview: mixed %llu frames at %u Hz, peak %.3f\n", static_cast<unsigned long long>(mix.size() / 2),
                unsigned(kMixRate), double(peak));
    if (!wavFile.empty()) {
        if (!velmora::WriteWavFile(wavFile.c_str(),
                                   velmora::MakeWaveFormat(velmora::SoundSampleType::Float, 2, kMixRate), mix.data(),
                                   mix.size() / 2)) {
            std::fprintf(stderr, "sndview: %s: could not be written\n", wavFile.c_str());
            return kBadFile;
        }
        std::printf("sndview: written to %s\n", wavFile.c_str());
    }
    return status;
}
