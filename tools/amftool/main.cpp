// amftool: packs image files into AMF animation files with the engine's own frame set and
// writer, unpacks them into PNG files and describes them.
//   amftool pack [--delay MS] OUT.amf FRAME...   PNG, JPEG, BMP, TGA or DDS frames, in order
//   amftool unpack IN.amf DIR                    one PNG a picture: DIR/frame_000.png, ...
//   amftool info IN.amf                          header, index and compression ratio
//   amftool -h | --help | --version
// Exit status: 0 done, 1 a file could not be read or written, 2 a usage error.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <velmora/Velmora.h>
#include <velmora/platform/d3dx9/ImageCodec.h>  // the image codecs, to check frames and write PNG files

namespace {

constexpr int kDone = 0;
constexpr int kBadFile = 1;
constexpr int kUsage = 2;

// Longer runs report their progress on standard error.
constexpr size_t kQuietCount = 20;

const char kUsageText[] =
    "usage: amftool pack [--delay MS] OUT.amf FRAME...\n"
    "       amftool unpack IN.amf DIR\n"
    "       amftool info IN.amf\n"
    "       amftool -h | --help | --version\n"
    "Frames are PNG, JPEG, BMP, TGA or DDS files of any sizes; the delay (0 to 65535 ms) is 100\n"
    "unless given. unpack writes one PNG file a picture, DIR/frame_000.png onwards.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "amftool: %s\n%s", message.c_str(), kUsageText);
    return kUsage;
}

int FileError(const std::string& file, const std::string& what) {
    std::fprintf(stderr, "amftool: %s: %s\n", file.c_str(), what.c_str());
    return kBadFile;
}

bool Readable(const std::string& file) {
    std::FILE* fp = std::fopen(file.c_str(), "rb");
    if (fp) std::fclose(fp);
    return fp != nullptr;
}

// What the engine lets one load of `file` decode (velmora::DecodeBudget): a few bytes of runs
// could otherwise claim gigabytes of pictures.
uint64_t LoadBudget(const std::string& file) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(file, error);
    return velmora::DecodeBudget(error ? 0 : uint64_t(size));
}

uint64_t PictureBytes(const AMFIndex& entry) { return uint64_t(entry.nWidth) * uint64_t(entry.nHeight) * 4; }

// "packing 37/120": about ten lines for a long run, none for a short one.
void Progress(const char* verb, size_t done, size_t total) {
    if (total <= kQuietCount) return;
    if (done % ((total + 9) / 10) == 0 || done == total) std::fprintf(stderr, "%s %zu/%zu\n", verb, done, total);
}

// The device that frame textures live on, without anything on screen: a hidden window of a
// size every display mode list has.
class EngineSession {
public:
    bool Start() {
        m_app.SetWindowWidth(640);
        m_app.SetWindowHeight(480);
        return m_app.InitApplication(GetModuleHandleA(nullptr), SW_HIDE, "amftool", nullptr) == 1;
    }
    ~EngineSession() {
        m_app.Destroy();
        if (m_app.GetWndHandle()) DestroyWindow(m_app.GetWndHandle());
    }

private:
    CGameApp m_app;
};

int Pack(const std::vector<std::string>& args) {
    DWORD delay = 100;
    std::vector<std::string> names;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--delay") {
            names.push_back(args[i]);
            continue;
        }
        if (i + 1 == args.size()) return UsageError("pack: --delay needs a number of milliseconds");
        const std::string& value = args[++i];
        char* end = nullptr;
        errno = 0;
        unsigned long ms = std::strtoul(value.c_str(), &end, 10);
        if (value.empty() || value[0] == '-' || *end || errno || ms > 0xFFFF)
            return UsageError("pack: the delay must be 0 to 65535 ms, not '" + value + "'");
        delay = DWORD(ms);
    }
    if (names.empty()) return UsageError("pack: no output file and no frames given");
    const std::string out = names.front();
    const std::vector<std::string> frames(names.begin() + 1, names.end());
    if (frames.empty()) return UsageError("pack: no frames given for " + out);
    if (frames.size() > 0xFFFF) return UsageError("pack: an AMF file holds at most 65535 frames");

    // Every frame is checked before the device starts, so a bad one is named at once.
    for (const std::string& frame : frames) {
        velmora::ImageFileInfo info;
        if (!Readable(frame)) return FileError(frame, "cannot be opened");
        if (!velmora::ReadImageFileInfo(frame, &info))
            return FileError(frame, "not a PNG, JPEG, BMP, TGA or DDS image");
    }

    EngineSession engine;
    if (!engine.Start()) {
        std::fprintf(stderr, "amftool: cannot start the graphics device\n");
        return kBadFile;
    }
    CFrames set;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (!set.LoadFrameFromTGA(frames[i].c_str())) return FileError(frames[i], "cannot be decoded");
        Progress("packing", i + 1, frames.size());
    }
    CAniFile writer;
    writer.SetDelay(delay);
    if (!writer.SaveAMF(out.c_str(), &set)) return FileError(out, "cannot be written");
    std::printf("%s: %d frame%s, %dx%d, %s, delay %u ms\n", out.c_str(), set.GetFrameCount(),
                set.GetFrameCount() == 1 ? "" : "s", set.GetWidth(), set.GetHeight(),
                set.GetType() == AMF_UNIFORM ? "uniform" : "variable", delay);
    return kDone;
}

// The header of an AMF file, or the reason it has none.
bool ReadHeader(const std::string& file, AMFHeader* header, int* status) {
    if (!Readable(file)) {
        *status = FileError(file, "cannot be opened");
        return false;
    }
    // The engine's reader answers a file that is no AMF with a message box; the tool says so
    // in its own line first.
    AMFHeader own{};
    std::FILE* fp = std::fopen(file.c_str(), "rb");
    const bool whole = fp && std::fread(&own, sizeof own, 1, fp) == 1;
    if (fp) std::fclose(fp);
    if (!whole || own.dwMagic != CAniFile::AMF_MAGIC) {
        *status = FileError(file, "not an AMF file");
        return false;
    }
    auto sideOk = [&own](LONG side) {
        return side <= CAniFile::AMF_MAX_SIDE && (side > 0 || (side == 0 && own.wCount == 0));
    };
    if (!sideOk(own.nWidth) || !sideOk(own.nHeight) || !CAniFile().ReadHeader(file.c_str(), header)) {
        *status = FileError(file, "an AMF file whose header is damaged");
        return false;
    }
    return true;
}

int Unpack(const std::vector<std::string>& args) {
    if (args.size() != 2) return UsageError("unpack: needs IN.amf and DIR");
    const std::string& in = args[0];
    const std::filesystem::path dir = args[1];
    AMFHeader header;
    int status = kDone;
    if (!ReadHeader(in, &header, &status)) return status;
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (!std::filesystem::is_directory(dir)) return FileError(dir.string(), "cannot be made a folder");

    // Wide enough numbers that the names sort in picture order.
    const int digits = std::max<int>(3, int(std::to_string(header.wCount ? header.wCount - 1 : 0).size()));
    const CAniFile reader;
    const uint64_t budget = LoadBudget(in);
    uint64_t decoded = 0;
    for (DWORD i = 0; i < header.wCount; ++i) {
        AMFIndex entry;
        velmora::DecodedImage image;
        if (!reader.ReadIndex(in.c_str(), i, &entry)) return FileError(in, "has a damaged index");
        decoded += PictureBytes(entry);
        if (decoded > budget) return FileError(in, "claims more pixels than a file of its size can hold");
        image.width = uint32_t(entry.nWidth);
        image.height = uint32_t(entry.nHeight);
        image.pixels.resize(size_t(image.width) * image.height);
        if (!reader.ReadData(in.c_str(), i, image.pixels.data()))
            return FileError(in, "picture " + std::to_string(i) + " is damaged");
        char name[32];
        std::snprintf(name, sizeof name, "frame_%0*u.png", digits, i);
        const std::string path = (dir / name).string();
        if (!velmora::WritePngFile(path, image)) return FileError(path, "cannot be written");
        Progress("unpacking", i + 1, header.wCount);
    }
    std::printf("%s: %u pictures written to %s\n", in.c_str(), header.wCount, dir.string().c_str());
    return kDone;
}

int Info(const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError("info: needs one IN.amf");
    const std::string& in = args[0];
    AMFHeader header;
    int status = kDone;
    if (!ReadHeader(in, &header, &status)) return status;
    const char* type = header.wType == AMF_UNIFORM ? "uniform" : header.wType == AMF_VARIABLE ? "variable" : "unknown";
    std::printf("%s: AMF, %u pictures, %dx%d, %s (type %u), delay %u ms, format mark %u\n", in.c_str(), header.wCount,
                header.nWidth, header.nHeight, type, header.wType, header.wDelay, header.wVersion);
    if (header.wCount == 0) return kDone;

    std::printf("%7s %10s %10s %6s %6s %7s\n", "picture", "offset", "bytes", "width", "height", "ratio");
    const CAniFile reader;
    uint64_t raw = 0, packed = 0;
    for (DWORD i = 0; i < header.wCount; ++i) {
        AMFIndex entry;
        if (!reader.ReadIndex(in.c_str(), i, &entry)) return FileError(in, "has a damaged index");
        const uint64_t pictureBytes = PictureBytes(entry);
        raw += pictureBytes;
        packed += entry.dwSize;
        std::printf("%7u %10u %10u %6d %6d %6.1f%%\n", i, entry.dwOffset, entry.dwSize, entry.nWidth, entry.nHeight,
                    100.0 * double(entry.dwSize) / double(pictureBytes));
    }
    std::printf("pixels %llu bytes, compressed %llu bytes: %.1f%% of the pixels\n", (unsigned long long)raw,
                (unsigned long long)packed, 100.0 * double(packed) / double(raw));
    const uint64_t budget = LoadBudget(in);
    if (raw > budget)
        std::printf("more pixels than the %llu bytes a file of this size may load: the engine refuses the set\n",
                    (unsigned long long)budget);
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    // Never a window or a dialog box: SDL's off-screen driver gives the device (unless the
    // user chose a driver), and the engine's error boxes become lines on standard error.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);

    if (argc < 2) return UsageError("no command given");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "pack") return Pack(args);
    if (command == "unpack") return Unpack(args);
    if (command == "info") return Info(args);
    if (command == "help" || command == "--help" || command == "-h") {
        std::fputs(kUsageText, stdout);
        return kDone;
    }
    if (command == "--version") {
        std::printf("amftool (Velmora) %s\n", VELMORA_TOOLS_VERSION);
        return kDone;
    }
    return UsageError("unknown command '" + command + "'");
}
