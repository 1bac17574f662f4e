// bench_amf [--quick]
// Decode speed and size of AMF pictures (CAniFile's run-length codec) against libpng on the
// same pictures, with memcpy of the decoded bytes as the limit: sprite-like art (64x64 and
// 256x256 animation frames) and photo-like pictures (512x512). The AMF files are written
// here with the engine's own encoder, the PNG files with the engine's PNG writer (libpng at
// its default settings). Prints the median microseconds per picture of each way and the
// file sizes; --quick runs each way a few times only, as a check.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <velmora/platform/d3dx9/ImageCodec.h>
#include <velmora/resource/AniFile.h>
#include <velmora/resource/detail/AmfCodec.h>

#include "amf/Pictures.h"
#include "support/BenchReport.h"

namespace amf_codec {
// The codec is private to CAniFile (a game only reads AMF files); the benchmark builds its
// source in.
struct AniFileCodec {
    static std::vector<uint8_t> Compress(const std::vector<uint32_t>& pixels) {
        std::vector<uint8_t> bytes(pixels.size() * 8);  // the codec's worst case: twice the input
        DWORD destSize = 0;
        vlm_engine::AmfCompress(pixels.data(), bytes.data(), DWORD(pixels.size() * 4), destSize);
        bytes.resize(destSize);
        return bytes;
    }
    static bool Decompress(const std::vector<uint8_t>& data, uint32_t* dest, size_t pixels) {
        DWORD destSize = DWORD(pixels * 4);
        return vlm_engine::AmfDecompress(data.data(), dest, DWORD(data.size()), destSize) && destSize == pixels * 4;
    }
};
}  // namespace amf_codec

namespace {

using AmfBench::Picture;
using Codec = amf_codec::AniFileCodec;
using VelmoraBench::Format;

struct PictureSet {
    std::string name;  // also the files' stem
    std::string kind;
    std::vector<Picture> pictures;
    std::string amfFile;
    FILE* amfOpen = nullptr;                    // held open, as a frame-set load holds its file
    std::vector<std::vector<uint8_t>> amfData;  // each picture's compressed bytes
    std::vector<std::string> pngFiles;
    std::vector<std::vector<uint8_t>> pngBytes;  // each PNG file's bytes
};

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    bytes->clear();
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes->insert(bytes->end(), buffer, buffer + got);
    std::fclose(file);
    return true;
}

long FileBytes(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return -1;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fclose(file);
    return size;
}

// An AMF file as the engine reads it: the header, one index entry per picture, then each
// picture's compressed data.
bool WriteAmf(PictureSet* set) {
    const Picture& first = set->pictures.front();
    AMFHeader header{CAniFile::AMF_MAGIC,
                     first.width,
                     first.height,
                     WORD(set->pictures.size()),
                     100,
                     AMF_UNIFORM,
                     CAniFile::AMF_VERSION,
                     0};
    std::vector<AMFIndex> index;
    DWORD offset = DWORD(sizeof(AMFHeader) + sizeof(AMFIndex) * set->pictures.size());
    for (const Picture& p : set->pictures) {
        set->amfData.push_back(Codec::Compress(p.pixels));
        index.push_back(AMFIndex{offset, DWORD(set->amfData.back().size()), p.width, p.height});
        offset += DWORD(set->amfData.back().size());
    }
    set->amfFile = set->name + ".amf";
    FILE* file = std::fopen(set->amfFile.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(&header, sizeof header, 1, file) == 1 &&
              std::fwrite(index.data(), sizeof(AMFIndex), index.size(), file) == index.size();
    for (const auto& data : set->amfData) ok = ok && std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && ok;
}

bool WritePngs(PictureSet* set) {
    for (size_t i = 0; i < set->pictures.size(); ++i) {
        const Picture& p = set->pictures[i];
        velmora::DecodedImage image;
        image.width = uint32_t(p.width);
        image.height = uint32_t(p.height);
        image.pixels = p.pixels;
        const std::string file = set->name + "-" + std::to_string(i) + ".png";
        std::vector<uint8_t> bytes;
        if (!velmora::WritePngFile(file, image) || !ReadWholeFile(file, &bytes)) return false;
        set->pngFiles.push_back(file);
        set->pngBytes.push_back(std::move(bytes));
    }
    return true;
}

// One way of turning picture `i` of a set into pixels in `dest` (which holds the picture).
struct Way {
    const char* name;
    std::function<bool(const PictureSet&, size_t i, uint32_t* dest)> decode;
};

bool SameAsPng(const velmora::DecodedImage& image, const Picture& p, uint32_t* dest) {
    if (image.width != uint32_t(p.width) || image.height != uint32_t(p.height)) return false;
    std::memcpy(dest, image.pixels.data(), image.pixels.size() * 4);
    return true;
}

std::vector<Way> Ways() {
    return {
        {"memcpy of the decoded bytes (the limit)",
         [](const PictureSet& s, size_t i, uint32_t* dest) {
             std::memcpy(dest, s.pictures[i].pixels.data(), s.pictures[i].pixels.size() * 4);
             return true;
         }},
        {"AMF codec, from memory",
         [](const PictureSet& s, size_t i, uint32_t* dest) {
             return Codec::Decompress(s.amfData[i], dest, s.pictures[i].pixels.size());
         }},
        {"libpng, from memory",
         [](const PictureSet& s, size_t i, uint32_t* dest) {
             velmora::DecodedImage image;
             std::string error;
             const auto& png = s.pngBytes[i];
             return velmora::DecodeImageMemory(png.data(), png.size(), &image, &error) &&
                    SameAsPng(image, s.pictures[i], dest);
         }},
        {"PNG file, libpng (DecodeImageFile)",
         [](const PictureSet& s, size_t i, uint32_t* dest) {
             velmora::DecodedImage image;
             std::string error;
             return velmora::DecodeImageFile(s.pngFiles[i], &image, &error) && SameAsPng(image, s.pictures[i], dest);
         }},
        {"AMF file held open, CAniFile::ReadData(fp)",
         [](const PictureSet& s, size_t i, uint32_t* dest) { return CAniFile().ReadData(s.amfOpen, DWORD(i), dest); }},
        {"AMF file opened per picture, ReadData(name)",
         [](const PictureSet& s, size_t i, uint32_t* dest) {
             return CAniFile().ReadData(s.amfFile.c_str(), DWORD(i), dest);
         }},
    };
}
// Which way each one is compared with: libpng from the same source (memory or file).
size_t LibpngFor(size_t way) { return way == 1 ? 2 : way >= 4 ? 3 : way; }

PictureSet MakeSet(const std::string& name, const std::string& kind, int side, int count,
                   Picture (*draw)(int side, int frame)) {
    PictureSet set;
    set.name = name;
    set.kind = kind;
    for (int f = 0; f < count; ++f) set.pictures.push_back(draw(side, f));
    return set;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    if (argc > 2 || (argc == 2 && !quick)) {
        std::fprintf(stderr, "usage: %s [--quick]\n", argv[0]);
        return 2;
    }
    std::vector<PictureSet> sets;
    sets.push_back(MakeSet("sprite64", "sprite-like", 64, 32, AmfBench::SpriteFrame));
    sets.push_back(MakeSet("sprite256", "sprite-like", 256, 8, AmfBench::SpriteFrame));
    sets.push_back(MakeSet("photo512", "photo-like", 512, 4, AmfBench::PhotoFrame));
    for (PictureSet& set : sets)
        if (!WriteAmf(&set) || !WritePngs(&set) || !(set.amfOpen = std::fopen(set.amfFile.c_str(), "rb"))) {
            std::fprintf(stderr, "bench_amf: cannot write the files of %s\n", set.name.c_str());
            return 1;
        }

    const std::vector<Way> ways = Ways();
    const int runs = quick ? 1 : 9;
    // Each run decodes a set's pictures over and over for about this long.
    const double runMs = quick ? 2.0 : 40.0;

    std::printf("# Velmora AMF benchmark\n\n");
    std::printf("- sets: ");
    for (const PictureSet& s : sets)
        std::printf("%s: %zu %s pictures of %dx%d; ", s.name.c_str(), s.pictures.size(), s.kind.c_str(),
                    s.pictures[0].width, s.pictures[0].height);
    std::printf(
        "\n- AMF files written with the engine's encoder (CAniFile's private CompressData, whose source the\n"
        "  benchmark builds in); PNG files with velmora::WritePngFile (libpng, default compression),\n"
        "  32-bit RGBA, one file per picture; all read back through the engine: CAniFile::ReadData (checks\n"
        "  the header and index entry, reads and decodes one picture; from a file held open, as frame sets\n"
        "  load, or opened by name, as a single AMF texture loads) and velmora::DecodeImageFile/Memory\n"
        "  (libpng); files come from the page cache\n");
    std::printf(
        "- runs per way and set: %d, the ways taking turns run by run, each run about %.0f ms; median of the "
        "runs\n",
        runs, runMs);

    // Every way must give the picture back exactly (the sprites' clear pixels are 0 already,
    // which is what AMF's transparent runs decode to).
    int status = 0;
    for (const PictureSet& s : sets)
        for (size_t w = 0; w < ways.size(); ++w)
            for (size_t i = 0; i < s.pictures.size(); ++i) {
                std::vector<uint32_t> out(s.pictures[i].pixels.size(), 0xDEADBEEF);
                if (!ways[w].decode(s, i, out.data()) || out != s.pictures[i].pixels) {
                    std::printf("- CHECK FAILED: %s, %s, picture %zu\n", ways[w].name, s.name.c_str(), i);
                    status = 1;
                }
            }
    std::printf("- check: every way gives every picture back exactly%s\n\n", status ? " — NOT MET, see above" : "");
    std::fflush(stdout);

    // The least speed-up over libpng on sprite-like art, per AMF way (the project's goal: 5).
    std::vector<double> leastSpriteSpeedUp(ways.size(), 1e30);
    VelmoraBench::Table speed({"set", "way", "us/picture", "MB/s", "time / memcpy's", "speed-up over libpng"});
    for (const PictureSet& s : sets) {
        const size_t largest = size_t(s.pictures[0].width) * s.pictures[0].height;
        std::vector<uint32_t> dest(largest);
        // Pictures per run: enough for the run to last about runMs on the slowest way.
        std::vector<int> rounds(ways.size(), 1);
        for (size_t w = 0; w < ways.size(); ++w) {
            VelmoraBench::Stopwatch watch;
            for (size_t i = 0; i < s.pictures.size(); ++i) ways[w].decode(s, i, dest.data());
            const double perRound = std::max(watch.Milliseconds(), 1e-3);
            rounds[w] = std::max(1, static_cast<int>(runMs / perRound));
        }
        std::vector<std::vector<double>> usPerPicture(ways.size());
        for (int run = 0; run < runs; ++run)
            for (size_t w = 0; w < ways.size(); ++w) {
                VelmoraBench::Stopwatch watch;
                for (int r = 0; r < rounds[w]; ++r)
                    for (size_t i = 0; i < s.pictures.size(); ++i) ways[w].decode(s, i, dest.data());
                usPerPicture[w].push_back(watch.Milliseconds() * 1000.0 / (double(rounds[w]) * s.pictures.size()));
            }
        std::vector<double> median(ways.size());
        for (size_t w = 0; w < ways.size(); ++w) median[w] = VelmoraBench::Median(usPerPicture[w]);
        const double pictureBytes = double(largest) * 4;
        for (size_t w = 0; w < ways.size(); ++w)
            if (s.kind == "sprite-like" && LibpngFor(w) != w)
                leastSpriteSpeedUp[w] = std::min(leastSpriteSpeedUp[w], median[LibpngFor(w)] / median[w]);
        for (size_t w = 0; w < ways.size(); ++w)
            speed.AddRow({s.name, ways[w].name, Format("%.1f", median[w]),
                          Format("%.0f", pictureBytes / median[w]),  // bytes per microsecond = MB/s
                          Format("%.2f", median[w] / median[0]),
                          LibpngFor(w) == w ? "-" : Format("%.1f", median[LibpngFor(w)] / median[w])});
    }
    speed.Print();
    std::printf(
        "\nMB/s counts the decoded picture's bytes (width x height x 4). Speed-up over libpng: libpng's time\n"
        "from the same source (memory or file) divided by AMF's.\n");
    std::printf(
        "Goal, AMF at least five times faster than libpng on sprite-like art (least speed-up over the sets):\n");
    for (size_t w = 0; w < ways.size(); ++w)
        if (LibpngFor(w) != w)
            std::printf("- %s: %.1f, %s\n", ways[w].name, leastSpriteSpeedUp[w],
                        leastSpriteSpeedUp[w] >= 5.0 ? "met" : "NOT met");
    std::printf("\n");

    VelmoraBench::Table sizes(
        {"set", "raw bytes", "AMF file bytes", "AMF / raw", "PNG bytes (all files)", "AMF / PNG"});
    for (const PictureSet& s : sets) {
        long raw = 0, png = 0;
        for (const Picture& p : s.pictures) raw += long(p.pixels.size()) * 4;
        for (const std::string& f : s.pngFiles) png += FileBytes(f);
        const long amf = FileBytes(s.amfFile);
        sizes.AddRow({s.name, std::to_string(raw), std::to_string(amf), Format("%.3f", double(amf) / raw),
                      std::to_string(png), Format("%.2f", double(amf) / png)});
    }
    sizes.Print();
    std::printf("\nAMF file bytes include its header and index; the PNG files hold one picture each.\n");
    for (PictureSet& set : sets) std::fclose(set.amfOpen);
    return status;
}
