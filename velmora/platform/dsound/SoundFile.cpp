// Sound files through libsndfile's virtual I/O, on a FILE* found by the tolerant path
// resolver or on memory. The formats are told apart by their first bytes before libsndfile
// sees them, so only the readers of the formats offered ever parse untrusted files.
#include <velmora/platform/dsound/SoundFile.h>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <velmora/platform/win32/FileSystem.h>

namespace velmora {

namespace {

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

DWORD SampleBytes(SoundSampleType type) { return type == SoundSampleType::Pcm16 ? 2 : 4; }

const char* FormatLabel(SoundFileFormat format) {
    switch (format) {
        case SoundFileFormat::Wav: return "WAV";
        case SoundFileFormat::Vorbis: return "Ogg Vorbis";
        case SoundFileFormat::Flac: return "FLAC";
        case SoundFileFormat::Opus: return "Ogg Opus";
        case SoundFileFormat::Mp3: return "MP3";
        default: return "sound";
    }
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

}  // namespace

WAVEFORMATEX MakeWaveFormat(SoundSampleType type, WORD channels, DWORD rate) {
    WAVEFORMATEX f{};
    f.wFormatTag = type == SoundSampleType::Pcm16 ? WAVE_FORMAT_PCM : WAVE_FORMAT_IEEE_FLOAT;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = WORD(8 * SampleBytes(type));
    f.nBlockAlign = WORD(channels * SampleBytes(type));
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    f.cbSize = 0;
    return f;
}

struct SoundFile::Impl {
    ~Impl() {
        if (sound) sf_close(sound);
        if (file) std::fclose(file);
    }

    // The bytes under the file: a stream or memory.
    FILE* file = nullptr;
    const uint8_t* memory = nullptr;
    sf_count_t length = 0;
    sf_count_t at = 0;  // in memory

    SNDFILE* sound = nullptr;
    SF_INFO info{};
    SoundFileFormat format = SoundFileFormat::Unknown;
    uint64_t position = 0;
    bool failed = false;
    std::string error;

    sf_count_t Read(void* out, sf_count_t bytes) {
        if (file) return sf_count_t(std::fread(out, 1, size_t(bytes), file));
        const sf_count_t n = std::max<sf_count_t>(0, std::min(bytes, length - at));
        if (n > 0) std::memcpy(out, memory + at, size_t(n));
        at += n;
        return n;
    }
    sf_count_t Seek(sf_count_t offset, int whence) {
        if (file) {
            if (fseeko(file, offset, whence) != 0) return -1;
            return ftello(file);
        }
        const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? at : length;
        if (offset < -base || offset > length - base) return -1;
        at = base + offset;
        return at;
    }
    sf_count_t Tell() { return file ? sf_count_t(ftello(file)) : at; }

    // Reads `bytes` at `offset`, leaving the position at 0; false when the file is shorter.
    bool Peek(sf_count_t offset, void* out, sf_count_t bytes) {
        const bool ok = Seek(offset, SEEK_SET) >= 0 && Read(out, bytes) == bytes;
        Seek(0, SEEK_SET);
        return ok;
    }

    static sf_count_t LengthOf(void* user) { return static_cast<Impl*>(user)->length; }
    static sf_count_t SeekOf(sf_count_t offset, int whence, void* user) {
        return static_cast<Impl*>(user)->Seek(offset, whence);
    }
    static sf_count_t ReadOf(void* out, sf_count_t bytes, void* user) {
        return static_cast<Impl*>(user)->Read(out, bytes);
    }
    static sf_count_t WriteOf(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t TellOf(void* user) { return static_cast<Impl*>(user)->Tell(); }

    // The format the first bytes show, and for WAV whether the data chunk fits the file.
    bool Sniff(std::string* error);
};

bool SoundFile::Impl::Sniff(std::string* error) {
    uint8_t head[12] = {};
    const bool whole = Peek(0, head, sizeof head);
    if (whole && (std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0) &&
        std::memcmp(head + 8, "WAVE", 4) == 0) {
        format = SoundFileFormat::Wav;
    } else if (whole && std::memcmp(head, "OggS", 4) == 0) {
        format = SoundFileFormat::Vorbis;  // or Opus: libsndfile tells
    } else if (whole && std::memcmp(head, "fLaC", 4) == 0) {
        format = SoundFileFormat::Flac;
    } else if (length >= 3 && (std::memcmp(head, "ID3", 3) == 0 || (head[0] == 0xFF && (head[1] & 0xE0) == 0xE0))) {
        format = SoundFileFormat::Mp3;
    } else {
        return Fail(error, "not a WAV, Ogg Vorbis, FLAC, Opus or MP3 file");
    }
    if (format != SoundFileFormat::Wav || std::memcmp(head, "RIFF", 4) != 0) return true;
    // libsndfile plays a WAV file whose data chunk runs past the end as far as it goes; a
    // cut file is damage, and is refused like a truncated picture.
    sf_count_t offset = 12;
    for (int chunk = 0; chunk < 4096 && offset + 8 <= length; ++chunk) {
        uint8_t header[8];
        if (!Peek(offset, header, 8)) break;
        const uint32_t size = Le32(header + 4);
        if (std::memcmp(header, "data", 4) == 0) {
            // 0 and 0xFFFFFFFF mark data written as a stream, of a length not known then.
            if (size != 0 && size != 0xFFFFFFFFu && offset + 8 + sf_count_t(size) > length)
                return Fail(error, "WAV: truncated data (" + std::to_string(length - offset - 8) + " of " +
                                       std::to_string(size) + " bytes)");
            break;
        }
        offset += 8 + sf_count_t(size) + (size & 1);
    }
    return true;
}

SoundFile::SoundFile() = default;
SoundFile::~SoundFile() = default;
SoundFile::SoundFile(SoundFile&& other) noexcept = default;
SoundFile& SoundFile::operator=(SoundFile&& other) noexcept = default;

bool SoundFile::Open(const char* path, std::string* error) {
    Close();
    if (!path || !*path) return Fail(error, "no file name");
    FILE* file = OpenFileA(path, "rb");
    if (!file) return Fail(error, "cannot open the file");
    auto impl = std::make_unique<Impl>();
    impl->file = file;
    if (fseeko(file, 0, SEEK_END) != 0 || (impl->length = ftello(file)) < 0 || fseeko(file, 0, SEEK_SET) != 0)
        return Fail(error, "cannot read the file");
    return Start(std::move(impl), error);
}

bool SoundFile::OpenMemory(const void* data, size_t size, std::string* error) {
    Close();
    if (!data && size) return Fail(error, "no data");
    auto impl = std::make_unique<Impl>();
    impl->memory = static_cast<const uint8_t*>(data);
    impl->length = sf_count_t(size);
    return Start(std::move(impl), error);
}

bool SoundFile::Start(std::unique_ptr<Impl> impl, std::string* error) {
    if (!impl->Sniff(error)) return false;
    SF_VIRTUAL_IO io{Impl::LengthOf, Impl::SeekOf, Impl::ReadOf, Impl::WriteOf, Impl::TellOf};
    impl->sound = sf_open_virtual(&io, SFM_READ, &impl->info, impl.get());
    const std::string label = FormatLabel(impl->format);
    if (!impl->sound) return Fail(error, label + ": " + sf_strerror(nullptr));
    const int major = impl->info.format & SF_FORMAT_TYPEMASK;
    const int minor = impl->info.format & SF_FORMAT_SUBMASK;
    bool expected = false;
    switch (impl->format) {
        case SoundFileFormat::Wav:
            expected = major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64;
            break;
        case SoundFileFormat::Vorbis:
            expected = major == SF_FORMAT_OGG && (minor == SF_FORMAT_VORBIS || minor == SF_FORMAT_OPUS);
            if (minor == SF_FORMAT_OPUS) impl->format = SoundFileFormat::Opus;
            break;
        case SoundFileFormat::Flac: expected = major == SF_FORMAT_FLAC; break;
        case SoundFileFormat::Mp3: expected = major == SF_FORMAT_MPEG; break;
        default: break;
    }
    if (!expected) return Fail(error, label + ": not a WAV, Ogg Vorbis, FLAC, Opus or MP3 file");
    const SF_INFO& info = impl->info;
    if (info.channels < 1 || info.channels > 2)
        return Fail(error, label + ": " + std::to_string(info.channels) + " channels (sounds are mono or stereo)");
    if (info.samplerate < 100 || info.samplerate > 200000)
        return Fail(error, label + ": unsupported rate of " + std::to_string(info.samplerate) + " frames a second");
    if (info.frames <= 0) return Fail(error, label + ": no sound in the file");
    // Float data read as 16-bit is clipped, not wrapped, where it goes beyond full scale.
    sf_command(impl->sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    m_impl = std::move(impl);
    return true;
}

void SoundFile::Close() { m_impl.reset(); }
bool SoundFile::IsOpen() const { return m_impl != nullptr; }

SoundFileFormat SoundFile::GetFileFormat() const { return m_impl ? m_impl->format : SoundFileFormat::Unknown; }

std::string SoundFile::GetFormatName() const {
    if (!m_impl) return std::string();
    std::string name = FormatLabel(m_impl->format);
    if (m_impl->format == SoundFileFormat::Wav) {
        SF_FORMAT_INFO sub{};
        sub.format = m_impl->info.format & SF_FORMAT_SUBMASK;
        if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof sub) == 0 && sub.name)
            name += std::string(" (") + sub.name + ")";
    }
    return name;
}

WORD SoundFile::GetChannels() const { return m_impl ? WORD(m_impl->info.channels) : 0; }
DWORD SoundFile::GetRate() const { return m_impl ? DWORD(m_impl->info.samplerate) : 0; }
uint64_t SoundFile::GetFrames() const { return m_impl ? uint64_t(m_impl->info.frames) : 0; }
uint64_t SoundFile::GetFileBytes() const { return m_impl ? uint64_t(m_impl->length) : 0; }

WAVEFORMATEX SoundFile::GetFormat(SoundSampleType type) const { return MakeWaveFormat(type, GetChannels(), GetRate()); }

DWORD SoundFile::Read(SoundSampleType type, void* out, DWORD frames) {
    if (!m_impl || !out || frames == 0) return 0;
    Impl& f = *m_impl;
    const int channels = f.info.channels;
    const int minor = f.info.format & SF_FORMAT_SUBMASK;
    sf_count_t got = 0;
    if (type == SoundSampleType::Pcm16 && minor != SF_FORMAT_FLOAT && minor != SF_FORMAT_DOUBLE) {
        got = sf_readf_short(f.sound, static_cast<short*>(out), frames);
    } else if (type == SoundSampleType::Float) {
        float* samples = static_cast<float*>(out);
        got = std::max<sf_count_t>(0, sf_readf_float(f.sound, samples, frames));
        for (sf_count_t i = 0; i < got * channels; ++i)
            if (!std::isfinite(samples[i])) samples[i] = 0.0f;
    } else {
        // libsndfile reads float data as integers unscaled (0.5 as 0) or scaled to the file's
        // own peak; read it as float and scale it here, as the integer formats are.
        int16_t* samples = static_cast<int16_t*>(out);
        float chunk[4096];
        const DWORD per = DWORD(sizeof chunk / sizeof chunk[0]) / DWORD(channels);
        while (got < sf_count_t(frames)) {
            const sf_count_t n = sf_readf_float(f.sound, chunk, std::min<sf_count_t>(per, frames - got));
            if (n <= 0) break;
            for (sf_count_t i = 0; i < n * channels; ++i) {
                const float x = std::isfinite(chunk[i]) ? chunk[i] * 32768.0f : 0.0f;
                samples[got * channels + i] = int16_t(std::lrint(std::min(32767.0f, std::max(-32768.0f, x))));
            }
            got += n;
        }
    }
    if (got < 0) got = 0;
    f.position += uint64_t(got);
    if (DWORD(got) < frames && sf_error(f.sound) != SF_ERR_NO_ERROR) {
        f.failed = true;
        f.error = std::string(FormatLabel(f.format)) + ": " + sf_strerror(f.sound);
    }
    return DWORD(got);
}

bool SoundFile::Seek(uint64_t frame) {
    if (!m_impl || frame > uint64_t(m_impl->info.frames)) return false;
    const sf_count_t at = sf_seek(m_impl->sound, sf_count_t(frame), SEEK_SET);
    if (at < 0) return false;
    m_impl->position = uint64_t(at);
    return uint64_t(at) == frame;
}

uint64_t SoundFile::GetPosition() const { return m_impl ? m_impl->position : 0; }
bool SoundFile::HasFailed() const { return m_impl && m_impl->failed; }

const std::string& SoundFile::GetError() const {
    static const std::string none;
    return m_impl ? m_impl->error : none;
}

namespace {

bool DecodeOpen(SoundFile& file, SoundSampleType type, DecodedSound* out, std::string* error) {
    const WAVEFORMATEX format = file.GetFormat(type);
    const std::string label = FormatLabel(file.GetFileFormat());
    const uint64_t budget = SoundDecodeBudget(file.GetFileBytes());
    const uint64_t claimed = file.GetFrames();
    if (claimed > budget / format.nBlockAlign)
        return Fail(error, label + ": " + std::to_string(claimed) + " frames are more than a file of " +
                               std::to_string(file.GetFileBytes()) + " bytes may hold");
    // Room grows with what actually decodes, so that a header that lies costs nothing.
    std::vector<uint8_t> samples;
    uint64_t done = 0;
    try {
        while (done < claimed) {
            const DWORD chunk = DWORD(std::min<uint64_t>(claimed - done, 1u << 16));
            if (samples.size() < (done + chunk) * format.nBlockAlign)
                samples.resize(size_t(std::min(claimed, std::max<uint64_t>(2 * done, done + chunk))) *
                               format.nBlockAlign);
            const DWORD got = file.Read(type, samples.data() + done * format.nBlockAlign, chunk);
            done += got;
            if (got < chunk) break;
        }
    } catch (const std::bad_alloc&) {
        return Fail(error, label + ": out of memory");
    }
    if (file.HasFailed()) return Fail(error, file.GetError());
    if (done < claimed && file.GetFileFormat() != SoundFileFormat::Mp3)
        return Fail(
            error, label + ": truncated data (" + std::to_string(done) + " of " + std::to_string(claimed) + " frames)");
    if (done == 0) return Fail(error, label + ": no sound in the file");
    samples.resize(size_t(done) * format.nBlockAlign);
    samples.shrink_to_fit();  // growing may have left twice the room
    out->format = format;
    out->frames = done;
    out->samples.swap(samples);
    return true;
}

}  // namespace

bool DecodeSoundFile(const char* path, SoundSampleType type, DecodedSound* out, std::string* error) {
    SoundFile file;
    return out && file.Open(path, error) && DecodeOpen(file, type, out, error);
}

bool DecodeSoundMemory(const void* data, size_t size, SoundSampleType type, DecodedSound* out, std::string* error) {
    SoundFile file;
    return out && file.OpenMemory(data, size, error) && DecodeOpen(file, type, out, error);
}

bool WriteWavFile(const char* path, const WAVEFORMATEX& format, const void* samples, uint64_t frames) {
    int subtype;
    if (format.wFormatTag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16)
        subtype = SF_FORMAT_PCM_16;
    else if (format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && format.wBitsPerSample == 32)
        subtype = SF_FORMAT_FLOAT;
    else
        return false;
    if (!path || (!samples && frames) || format.nChannels < 1 || format.nChannels > 2 || format.nSamplesPerSec == 0)
        return false;
    const std::string resolved = ResolveFilePath(path);
    SF_INFO info{};
    info.samplerate = int(format.nSamplesPerSec);
    info.channels = format.nChannels;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE* sound = sf_open(resolved.c_str(), SFM_WRITE, &info);
    if (!sound) return false;
    const sf_count_t written = subtype == SF_FORMAT_PCM_16
                                   ? sf_writef_short(sound, static_cast<const short*>(samples), sf_count_t(frames))
                                   : sf_writef_float(sound, static_cast<const float*>(samples), sf_count_t(frames));
    const bool ok = sf_close(sound) == 0 && written == sf_count_t(frames);
    if (!ok) std::remove(resolved.c_str());
    return ok;
}

}  // namespace velmora
