// Sound files in, through libsndfile: WAV (8/16/24/32-bit PCM, float, IMA and Microsoft
// ADPCM), Ogg Vorbis, FLAC, Opus and MP3, mono or stereo, read as interleaved 16-bit PCM or
// 32-bit float frames that a DirectSound buffer takes as they are. A file is streamed in
// chunks (constant memory, for music: Read and Seek) or decoded whole (for effects:
// DecodeSoundFile). Files are named as games name them: Windows paths with backslashes and
// any letter case find the file as textures do. A WAV file can also be written, for tools.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <velmora/Export.h>
#include <velmora/platform/win32/WaveFormat.h>

namespace velmora {

// The budget of a whole decode: the most bytes of samples that a file of `fileBytes` bytes
// may decode to at once. Up to 64 MiB (six minutes of 16-bit stereo at 44,100 Hz) whatever
// the file; beyond that the file must be at least 1/256 of its samples, which every real
// codec is (MP3 at 32 kbit/s is about 1/44). Judged from the header before anything is
// decoded, so a few bytes claiming hours of sound cost nothing.
constexpr uint64_t kSoundDecodeAllowance = uint64_t(64) << 20;
constexpr uint64_t kSoundDecodeRatio = 256;
constexpr uint64_t SoundDecodeBudget(uint64_t fileBytes) {
    return kSoundDecodeAllowance +
           kSoundDecodeRatio * (fileBytes < (uint64_t(1) << 48) ? fileBytes : uint64_t(1) << 48);
}

// How samples are read: 16-bit signed PCM, or 32-bit IEEE float from -1 to 1 (damaged
// values, NaN or infinite, read as 0).
enum class SoundSampleType { Pcm16, Float };

enum class SoundFileFormat { Unknown, Wav, Vorbis, Flac, Opus, Mp3 };

// The WAVEFORMATEX of frames of `type` with `channels` at `rate` frames a second.
VLM_API WAVEFORMATEX MakeWaveFormat(SoundSampleType type, WORD channels, DWORD rate);

// One open sound file. Not shared between threads without a lock of the caller's.
class VLM_API SoundFile {
public:
    SoundFile();
    ~SoundFile();
    SoundFile(SoundFile&& other) noexcept;
    SoundFile& operator=(SoundFile&& other) noexcept;
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // Reads the header. False, with a message in `error` ("WAV: truncated data"), for a file
    // that cannot be opened, is not one of the formats above, is damaged or truncated (WAV
    // data shorter than its chunk says), has more than two channels, a rate outside 100 to
    // 200,000 frames a second, or no frames.
    bool Open(const char* path, std::string* error);
    // The same from `size` bytes at `data`, which must stay as they are until Close.
    bool OpenMemory(const void* data, size_t size, std::string* error);
    void Close();
    bool IsOpen() const;

    SoundFileFormat GetFileFormat() const;
    // For people: "WAV (Signed 16 bit PCM)", "Ogg Vorbis", "MP3" ...
    std::string GetFormatName() const;
    WORD GetChannels() const;
    DWORD GetRate() const;
    // The length the header gives, in frames.
    uint64_t GetFrames() const;
    uint64_t GetFileBytes() const;
    // What Read gives for `type`.
    WAVEFORMATEX GetFormat(SoundSampleType type) const;

    // Up to `frames` interleaved frames into `out` (room for frames * GetChannels() samples);
    // returns how many were read, fewer only at the end of the data or at damage, after
    // which HasFailed() is true and GetError() says what.
    DWORD Read(SoundSampleType type, void* out, DWORD frames);
    // Moves to frame `frame` (0 to GetFrames()), for loops. False when the file cannot.
    bool Seek(uint64_t frame);
    uint64_t GetPosition() const;
    bool HasFailed() const;
    const std::string& GetError() const;

private:
    struct Impl;
    bool Start(std::unique_ptr<Impl> impl, std::string* error);
    std::unique_ptr<Impl> m_impl;
};

struct DecodedSound {
    WAVEFORMATEX format{};
    uint64_t frames = 0;
    std::vector<uint8_t> samples;  // frames * format.nBlockAlign bytes
};

// The whole file as `type` samples. False, with a message in `error`, for what Open
// refuses, a file whose samples would exceed SoundDecodeBudget of its size, damaged data,
// and data that ends before the length its header gives (a truncated file; MP3, whose
// length may be an estimate, excepted). `out` is left as it was on failure.
VLM_API bool DecodeSoundFile(const char* path, SoundSampleType type, DecodedSound* out, std::string* error);
VLM_API bool DecodeSoundMemory(const void* data, size_t size, SoundSampleType type, DecodedSound* out,
                               std::string* error);

// `frames` interleaved frames of 16-bit PCM or float (as `format` says) as a WAV file. False,
// leaving no file, when the format is neither or the file cannot be written.
VLM_API bool WriteWavFile(const char* path, const WAVEFORMATEX& format, const void* samples, uint64_t frames);

}  // namespace velmora
