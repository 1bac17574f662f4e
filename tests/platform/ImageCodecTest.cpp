// The image codecs of the D3DX stand-in: every format and variant decoded from bytes made
// here (JPEG from two small fixtures), header-only info, damaged and cut files, writers.
#include <zlib.h>

#include <random>

#include <velmora/platform/d3dx9/ImageCodec.h>

#include "support/EngineTest.h"
#include "support/LoadCost.h"
#include "support/PictureBytes.h"

namespace {

using namespace velmora;
using Pixels = std::vector<uint32_t>;

// --- Byte builders ------------------------------------------------------------------

// A BMP file; masks go into headers of 52 bytes and more, after a 40-byte one.
std::string Bmp(uint32_t headerSize, int32_t width, int32_t height, int bits, uint32_t compression, const Pixels& masks,
                const std::string& palette, const std::string& data) {
    std::string h = Le(headerSize, 4);
    if (headerSize == 12) {
        h += Le(width, 2) + Le(height, 2) + Le(1, 2) + Le(bits, 2);
    } else {
        const uint32_t paletteEntries = uint32_t(palette.size() / 4);
        h += Le(width, 4) + Le(height, 4) + Le(1, 2) + Le(bits, 2) + Le(compression, 4) + Le(data.size(), 4) +
             Le(2835, 4) + Le(2835, 4) + Le(paletteEntries, 4) + Le(0, 4);
        for (size_t i = 0; i < masks.size(); ++i) h += Le(masks[i], 4);
        h.resize(std::max<size_t>(h.size(), headerSize), '\0');
    }
    const uint32_t offset = uint32_t(14 + h.size() + palette.size());
    return "BM" + Le(offset + data.size(), 4) + Le(0, 4) + Le(offset, 4) + h + palette + data;
}

// A TGA file; `map` holds the colour map's bytes, `mapLength` its entries.
std::string Tga(int type, int width, int height, int depth, int descriptor, const std::string& data,
                int mapEntryBits = 0, int mapFirst = 0, int mapLength = 0, const std::string& map = "",
                const std::string& id = "") {
    return Bytes({int(id.size()), mapLength ? 1 : 0, type}) + Le(mapFirst, 2) + Le(mapLength, 2) + char(mapEntryBits) +
           Le(0, 4) + Le(width, 2) + Le(height, 2) + char(depth) + char(descriptor) + id + map + data;
}

// Pixels as a BMP/TGA stores them: B, G, R (and A).
std::string Bgr(uint32_t argb) { return Le(argb, 3); }
std::string Bgra(uint32_t argb) { return Le(argb, 4); }

std::string Fixture(const char* name) { return ReadFile(std::string(VELMORA_TEST_DATA) + "/" + name); }

// The 16 x 8 grey JPEG fixture, its header saying another size; its one scan is the same.
std::string GreyJpegClaiming(uint32_t width, uint32_t height) {
    std::string bytes = Fixture("grey.jpg");
    const size_t sof = bytes.find("\xFF\xC0");
    return bytes.replace(sof + 5, 4, Be32(height << 16 | width));
}

// A progressive 8 x 8 grey JPEG of `scans` scans, every coefficient 0: the DC scan, then one
// AC coefficient after another, each first at 13 bits below full precision and then refined
// bit by bit, which keeps the progression valid for up to 1 + 63 x 14 scans.
std::string ProgressiveJpeg(int scans) {
    auto segment = [](int marker, const std::string& body) {
        return Bytes({0xFF, marker}) + Be32(uint32_t(body.size() + 2)).substr(2) + body;
    };
    std::string jpeg = Bytes({0xFF, 0xD8});
    jpeg += segment(0xDB, std::string(1, '\0') + std::string(64, '\1'));  // quantisation steps of 1
    jpeg += segment(0xC2, Bytes({8, 0, 8, 0, 8, 1, 1, 0x11, 0}));
    // Each table holds one symbol, 0, in one bit: DC difference 0, AC end of block.
    const std::string oneSymbol = '\1' + std::string(15, '\0') + '\0';
    jpeg += segment(0xC4, '\x00' + oneSymbol) + segment(0xC4, '\x10' + oneSymbol);
    auto scan = [&](int first, int last, int ah, int al) {
        jpeg += segment(0xDA, Bytes({1, 1, 0, first, last, ah << 4 | al})) + "\x7F";  // the 0 bit, padded
    };
    scan(0, 0, 0, 0);
    for (int k = 1, made = 1; made < scans; ++k)
        for (int al = 13; al >= 0 && made < scans; --al, ++made) scan(k, k, al == 13 ? 0 : al + 1, al);
    return jpeg + Bytes({0xFF, 0xD9});
}

// --- The samples --------------------------------------------------------------------

struct Sample {
    const char* name;  // also the file name the sample is written under
    std::string bytes;
    uint32_t width, height;
    Pixels pixels;
    uint32_t depth;
    ImageFileFormat format;
    int tolerance = 0;  // per channel
};

const uint32_t P = 0xFF112233, Q = 0xFFAABBCC, R = 0xFF405060, S = 0xFF0A0B0C, K = 0xFF000000;

std::vector<Sample> Samples() {
    const std::string pal2 = Bgra(P) + Bgra(Q), pal3 = pal2 + Bgra(R);
    const ImageFileFormat bmp = ImageFileFormat::Bmp, tga = ImageFileFormat::Tga, png = ImageFileFormat::Png;
    return {
        // BMP: rows bottom-up unless the height is negative, each padded to 4 bytes.
        {"1bit.bmp",
         Bmp(40, 3, 2, 1, 0, {}, pal2, Bytes({0x60, 0, 0, 0, 0xA0, 0, 0, 0})),
         3,
         2,
         {Q, P, Q, P, Q, Q},
         1,
         bmp},
        {"4bit-topdown-short-palette.bmp",
         Bmp(40, 3, -1, 4, 0, {}, pal3, Bytes({0x20, 0x50, 0, 0})),
         3,
         1,
         {R, P, K},
         4,
         bmp},
        {"8bit.bmp", Bmp(40, 2, 2, 8, 0, {}, pal2, Bytes({0, 1, 0, 0, 1, 0, 0, 0})), 2, 2, {Q, P, P, Q}, 8, bmp},
        {"core-header.bmp", Bmp(12, 2, 1, 1, 0, {}, Bgr(P) + Bgr(Q), Bytes({0x40, 0, 0, 0})), 2, 1, {P, Q}, 1, bmp},
        {"16bit-555.bmp",
         Bmp(40, 2, 1, 16, 0, {}, "", Le(0x7C00, 2) + Le(0x03FF, 2)),
         2,
         1,
         {0xFFFF0000, 0xFF00FFFF},
         16,
         bmp},
        {"16bit-565.bmp",
         Bmp(40, 2, 1, 16, 3, {0xF800, 0x07E0, 0x001F}, "", Le(0xF800, 2) + Le(0x0410, 2)),
         2,
         1,
         {0xFFFF0000, 0xFF008284},
         16,
         bmp},
        {"16bit-4444-v4.bmp",
         Bmp(108, 1, 1, 16, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}, "", Le(0x8F0F, 4)),
         1,
         1,
         {0x88FF00FF},
         16,
         bmp},
        {"24bit.bmp",
         Bmp(40, 3, 2, 24, 0, {}, "", Bgr(S) + Bgr(K) + Bgr(P) + "xyz" + Bgr(P) + Bgr(Q) + Bgr(R) + "xyz"),
         3,
         2,
         {P, Q, R, S, K, P},
         24,
         bmp},
        {"24bit-topdown.bmp", Bmp(40, 1, -2, 24, 0, {}, "", Bgr(P) + "x" + Bgr(Q) + "x"), 1, 2, {P, Q}, 24, bmp},
        {"32bit-rgb-is-opaque.bmp",
         Bmp(40, 2, 1, 32, 0, {}, "", Le(0x00112233, 4) + Le(0x80AABBCC, 4)),
         2,
         1,
         {P, Q},
         32,
         bmp},
        {"32bit-fields-no-alpha.bmp",
         Bmp(40, 1, 1, 32, 3, {0xFF, 0xFF00, 0xFF0000}, "", Le(0x80332211, 4)),
         1,
         1,
         {P},
         32,
         bmp},
        {"32bit-v5-alpha.bmp",
         Bmp(124, 2, 1, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, "", Le(0x80112233, 4) + Le(0x00AABBCC, 4)),
         2,
         1,
         {0x80112233, 0x00AABBCC},
         32,
         bmp},
        // TGA: bottom-up unless descriptor bit 5; right-to-left with bit 4; low bits count alpha.
        {"24bit.tga", Tga(2, 2, 2, 24, 0, Bgr(R) + Bgr(S) + Bgr(P) + Bgr(Q)), 2, 2, {P, Q, R, S}, 24, tga},
        {"32bit-topdown.tga",
         Tga(2, 2, 1, 32, 0x28, Bgra(0x80112233) + Bgra(0x00AABBCC)),
         2,
         1,
         {0x80112233, 0x00AABBCC},
         32,
         tga},
        {"right-to-left.tga", Tga(2, 2, 1, 24, 0x30, Bgr(P) + Bgr(Q)), 2, 1, {Q, P}, 24, tga},
        {"16bit-alpha-bit.tga",
         Tga(2, 2, 1, 16, 0x01, Le(0x7C00, 2) + Le(0x83E0, 2)),
         2,
         1,
         {0x00FF0000, 0xFF00FF00},
         16,
         tga},
        {"16bit-no-alpha.tga", Tga(2, 1, 1, 16, 0, Le(0x001F, 2)), 1, 1, {0xFF0000FF}, 16, tga},
        {"15bit.tga", Tga(2, 1, 1, 15, 0, Le(0xFC00, 2)), 1, 1, {0xFFFF0000}, 15, tga},
        {"grey.tga", Tga(3, 2, 1, 8, 0, Bytes({0x00, 0x80})), 2, 1, {K, 0xFF808080}, 8, tga},
        {"mapped-with-id.tga",
         Tga(1, 3, 1, 8, 0, Bytes({1, 3, 0}), 24, 1, 3, Bgr(P) + Bgr(Q) + Bgr(R), "hi"),
         3,
         1,
         {P, R, K},
         8,
         tga},
        {"truecolour-skips-map.tga", Tga(2, 1, 1, 24, 0, Bgr(S), 24, 0, 2, Bgr(P) + Bgr(Q)), 1, 1, {S}, 24, tga},
        // RLE: 0x80 | (n - 1) repeats one pixel, n - 1 alone is followed by n pixels;
        // packets run on across rows.
        {"rle32-topdown.tga",
         Tga(10, 3, 2, 32, 0x28, "\x83" + Bgra(P) + "\x01" + Bgra(0x40AABBCC) + Bgra(R)),
         3,
         2,
         {P, P, P, P, 0x40AABBCC, R},
         32,
         tga},
        {"rle-mapped.tga",
         Tga(9, 2, 1, 8, 0, Bytes({0x81, 0}), 32, 0, 1, Bgra(0x40AABBCC)),
         2,
         1,
         {0x40AABBCC, 0x40AABBCC},
         8,
         tga},
        {"rle-grey.tga",
         Tga(11, 2, 2, 8, 0, Bytes({0x03, 10, 20, 30, 40})),
         2,
         2,
         {0xFF1E1E1E, 0xFF282828, 0xFF0A0A0A, 0xFF141414},
         8,
         tga},
        // PNG: every colour type, sub-byte and 16-bit depths, tRNS, Adam7.
        {"rgba8.png",
         Png(2, 1, 8, 6, Bytes({0, 0x11, 0x22, 0x33, 0x80, 0xAA, 0xBB, 0xCC, 0})),
         2,
         1,
         {0x80112233, 0x00AABBCC},
         32,
         png},
        {"rgb16-trns.png",
         Png(2, 1, 16, 2, Bytes({0, 0x12, 0, 0x34, 0, 0x56, 0, 1, 0, 2, 0, 3, 0}), "", Bytes({1, 0, 2, 0, 3, 0})),
         2,
         1,
         {0xFF123456, 0x00010203},
         48,
         png},
        {"grey1.png", Png(3, 1, 1, 0, Bytes({0, 0xA0})), 3, 1, {0xFFFFFFFF, K, 0xFFFFFFFF}, 1, png},
        {"grey8-trns.png",
         Png(2, 1, 8, 0, Bytes({0, 0x80, 0x10}), "", Bytes({0, 0x10})),
         2,
         1,
         {0xFF808080, 0x00101010},
         8,
         png},
        {"grey-alpha16.png", Png(1, 1, 16, 4, Bytes({0, 0xFF, 0xFF, 0, 0})), 1, 1, {0x00FFFFFF}, 32, png},
        {"palette4-trns.png",
         Png(3, 1, 4, 3, Bytes({0, 0x01, 0x20}), Bytes({0x11, 0x22, 0x33, 0xAA, 0xBB, 0xCC, 0x40, 0x50, 0x60}),
             Bytes({0x00, 0x80})),
         3,
         1,
         {0x00112233, 0x80AABBCC, R},
         4,
         png},
        {"adam7.png",
         Png(2, 2, 8, 2, Bytes({0, 0x11, 0x22, 0x33, 0, 0xAA, 0xBB, 0xCC, 0, 0x40, 0x50, 0x60, 10, 11, 12}), "", "", 1),
         2,
         2,
         {P, Q, R, S},
         24,
         png},
        // JPEG: four flat 8 x 8 blocks (red, green, blue, white) and two grey ones.
        {"quadrants.jpg", Fixture("quadrants.jpg"), 16, 16, {}, 24, ImageFileFormat::Jpeg, 6},
        {"grey.jpg", Fixture("grey.jpg"), 16, 8, {}, 8, ImageFileFormat::Jpeg, 3},
    };
}

Pixels JpegExpectation(const Sample& s) {
    Pixels p(s.width * s.height);
    const uint32_t quadrant[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (uint32_t y = 0; y < s.height; ++y)
        for (uint32_t x = 0; x < s.width; ++x)
            p[y * s.width + x] = s.depth == 8 ? (x < 8 ? 0xFF404040 : 0xFFC0C0C0) : quadrant[(y / 8) * 2 + x / 8];
    return p;
}

void ExpectPixels(const DecodedImage& image, const Sample& s) {
    ASSERT_EQ(image.width, s.width);
    ASSERT_EQ(image.height, s.height);
    const Pixels expected = s.pixels.empty() ? JpegExpectation(s) : s.pixels;
    ASSERT_EQ(image.pixels.size(), expected.size());
    if (s.tolerance == 0) {
        EXPECT_EQ(image.pixels, expected);
        return;
    }
    for (size_t i = 0; i < expected.size(); ++i)
        for (int shift = 0; shift < 32; shift += 8)
            ASSERT_NEAR(int(image.pixels[i] >> shift & 0xFF), int(expected[i] >> shift & 0xFF), s.tolerance) << i;
}

TEST(ImageCodecTest, DecodesEveryFormatAndVariant) {
    for (const Sample& s : Samples()) {
        SCOPED_TRACE(s.name);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeImageMemory(s.bytes.data(), s.bytes.size(), &image, &error)) << error;
        ExpectPixels(image, s);

        WriteFile(s.name, s.bytes);
        DecodedImage fromFile;
        ASSERT_TRUE(DecodeImageFile(s.name, &fromFile, &error)) << error;
        EXPECT_EQ(fromFile.pixels, image.pixels);

        ImageFileInfo info;
        ASSERT_TRUE(ReadImageFileInfo(s.name, &info));
        EXPECT_EQ(info.width, s.width);
        EXPECT_EQ(info.height, s.height);
        EXPECT_EQ(info.depth, s.depth);
        EXPECT_EQ(info.format, s.format);
    }
}

TEST(ImageCodecTest, CutAndCorruptedFilesFailCleanly) {
    std::mt19937 rng(11);
    for (const Sample& s : Samples()) {
        SCOPED_TRACE(s.name);
        for (size_t length = 0; length < s.bytes.size(); ++length) {
            DecodedImage image;
            std::string error;
            EXPECT_FALSE(DecodeImageMemory(s.bytes.data(), length, &image, &error)) << length;
            EXPECT_FALSE(error.empty()) << length;
            EXPECT_TRUE(image.pixels.empty()) << length;
        }
        for (size_t length : {0, 1, 2, 8, 17}) {  // inside every header
            WriteFile("cut.img", s.bytes.substr(0, length));
            ImageFileInfo info;
            EXPECT_FALSE(ReadImageFileInfo("cut.img", &info)) << length;
        }
        // Damage anywhere may still decode, but must never read or write out of bounds.
        for (int round = 0; round < 100; ++round) {
            std::string bytes = s.bytes;
            for (int k = 0; k < 3; ++k) bytes[rng() % bytes.size()] = char(rng());
            DecodedImage image;
            std::string error;
            const bool ok = DecodeImageMemory(bytes.data(), bytes.size(), &image, &error);
            EXPECT_TRUE(ok || !error.empty());
        }
    }
}

TEST(ImageCodecTest, RefusesDamagedHeadersAndAbsurdSizes) {
    const std::string rgb = Bgr(P);
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;  // the start of the message
    };
    const Case cases[] = {
        {"huge.bmp", Bmp(40, 20000, 1, 24, 0, {}, "", rgb + "x"), "BMP: unsupported size"},
        {"min-height.bmp", Bmp(40, 1, INT32_MIN, 24, 0, {}, "", rgb + "x"), "BMP: unsupported size"},
        {"jpeg.bmp", Bmp(40, 1, 1, 8, 4, {}, Bgra(P), Bytes({0, 0, 0, 0})), "BMP: unsupported compression 4"},
        {"7bit.bmp", Bmp(40, 1, 1, 7, 0, {}, "", Bytes({0, 0, 0, 0})), "BMP: unsupported bit count"},
        {"no-pixels.bmp", Bmp(40, 4, 4, 24, 0, {}, "", rgb), "BMP: truncated pixel data"},
        {"wide.tga", Tga(2, 16385, 1, 24, 0, ""), "TGA: unsupported size"},
        {"empty.tga", Tga(2, 0, 1, 24, 0, ""), "TGA: unsupported size"},
        {"type4.tga", Tga(4, 1, 1, 24, 0, rgb), "TGA: unsupported image type"},
        {"depth7.tga", Tga(2, 1, 1, 7, 0, rgb), "TGA: unsupported pixel depth"},
        {"long-run.tga", Tga(10, 2, 1, 24, 0, "\x82" + rgb), "TGA: run-length packet runs past the image"},
        {"huge.png", Png(20000, 1, 8, 2, ""), "PNG: "},
        {"bad-crc.png", Png(1, 1, 8, 2, Bytes({0, 1, 2, 3})).replace(48, 1, "?"), "PNG: "},
        {"text.txt", "hello, world: no image here", "unknown image format"},
    };
    for (const Case& c : cases) {
        WriteFile(c.name, c.bytes);
        DecodedImage image;
        std::string error;
        EXPECT_FALSE(DecodeImageFile(c.name, &image, &error)) << c.name;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.name << ": " << error;
    }
    // Info reads headers only: pixel damage passes, header damage does not.
    ImageFileInfo info;
    EXPECT_TRUE(ReadImageFileInfo("no-pixels.bmp", &info));
    for (const char* name : {"huge.bmp", "wide.tga", "type4.tga", "huge.png", "text.txt", "missing.png"})
        EXPECT_FALSE(ReadImageFileInfo(name, &info)) << name;
    // A side of 16384 is still accepted.
    DecodedImage image;
    std::string error;
    const std::string widest = Tga(3, 16384, 1, 8, 0, std::string(16384, '\x7F'));
    ASSERT_TRUE(DecodeImageMemory(widest.data(), widest.size(), &image, &error)) << error;
    EXPECT_EQ(image.width, 16384u);
    EXPECT_FALSE(DecodeImageFile("missing.png", &image, &error));
    EXPECT_EQ(error, "cannot open file");
}

TEST(ImageCodecTest, SmallFilesClaimingHugePicturesAreRefusedBeforeTheyCost) {
    const uint32_t kHuge = 16384;
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;                     // the start of the message
        double megabytes = kRefusalMegabytes;  // the most the refusal may cost
    };
    const Case cases[] = {
        {"74-bytes.png", Png(kHuge, kHuge, 8, 6, std::string(6, '\0')),
         "PNG: 16384x16384 is too large for a file of 74"},
        {"336-bytes.jpg", GreyJpegClaiming(kHuge, kHuge), "JPEG: 16384x16384 is too large for a file of 336"},
        // Data enough for deflate's best ratio, not for the budget.
        {"megabyte.png", Png(kHuge, kHuge, 8, 6, std::string(1 << 20, '\0')), "PNG: 16384x16384 is too large"},
        // A whole, valid picture: runs of 128 grey pixels, two bytes each.
        {"runs.tga", Tga(11, kHuge, kHuge, 8, 0, std::string(kHuge * kHuge / 64, '\xFF')),
         "TGA: 16384x16384 is too large"},
        // Within the budget's allowance, yet a few bytes cannot hold the rows.
        {"no-rows.png", Png(2048, 2048, 8, 6, std::string(6, '\0')), "PNG: too little image data for 2048x2048", 8},
        // Within the allowance too: the rows, grown as they are decoded, stop at the first
        // missing one.
        {"cut.jpg", GreyJpegClaiming(2048, 2048), "JPEG: ", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(c.name, c.bytes);
        const LoadCost cost = MeasureLoad([&] {
            DecodedImage image;
            return DecodeImageFile(c.name, &image, nullptr);
        });
        ASSERT_TRUE(cost.finished);
        EXPECT_FALSE(cost.loaded);
        EXPECT_LE(cost.megabytes, c.megabytes);
        EXPECT_LT(cost.cpuSeconds, kRefusalCpuSeconds);

        DecodedImage image;
        std::string error;
        EXPECT_FALSE(DecodeImageFile(c.name, &image, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

TEST(ImageCodecTest, LargePicturesLoadWhenTheirFilesHoldThem) {
    // 4096 x 4096 grey noise, stored uncompressed: 16 MiB of file for 64 MiB of pixels.
    const uint32_t side = 4096;
    std::string scanlines(side * (1 + side), '\0');  // filter 0 leads each row
    Pixels noise(size_t(side) * side);
    uint32_t state = 12345;
    for (size_t i = 0; i < noise.size(); ++i) {
        state = state * 1664525 + 1013904223;
        const uint32_t grey = state >> 24;
        scanlines[i / side * (1 + side) + 1 + i % side] = char(grey);
        noise[i] = 0xFF000000 | grey * 0x010101;
    }
    WriteFile("noise.png", Png(side, side, 8, 0, scanlines));
    scanlines = std::string();
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeImageFile("noise.png", &image, &error)) << error;
    EXPECT_EQ(image.width, side);
    EXPECT_TRUE(image.pixels == noise);

    // One colour compresses about a thousand times: the allowance takes 2048 x 2048 so, not
    // 4096 x 4096.
    for (uint32_t flatSide : {2048u, 4096u}) {
        DecodedImage flat;
        flat.width = flat.height = flatSide;
        flat.pixels.assign(size_t(flatSide) * flatSide, 0xFF336699);
        ASSERT_TRUE(WritePngFile("flat.png", flat));
        DecodedImage back;
        if (flatSide == 2048) {
            ASSERT_TRUE(DecodeImageFile("flat.png", &back, &error)) << error;
            EXPECT_TRUE(back.pixels == flat.pixels);
        } else {
            EXPECT_FALSE(DecodeImageFile("flat.png", &back, &error));
            EXPECT_EQ(error.rfind("PNG: 4096x4096 is too large for a file of", 0), 0u) << error;
        }
    }
}

TEST(ImageCodecTest, CompressedTextChunksAreSkippedUnread) {
    // Forty zTXt chunks of 7 KiB, each inflating to 7 MiB of text: 280 MiB kept if read.
    const std::string text(7 << 20, 'a');
    std::string packed(compressBound(uLong(text.size())), '\0');
    uLongf packedSize = uLongf(packed.size());
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(text.data()),
                        uLong(text.size()), 9),
              Z_OK);
    packed.resize(packedSize);
    std::string png = Png(2, 1, 8, 6, Bytes({0, 0x11, 0x22, 0x33, 0x80, 0xAA, 0xBB, 0xCC, 0}));
    const size_t afterHeader = 8 + 25;
    for (int i = 0; i < 40; ++i) png.insert(afterHeader, Chunk("zTXt", std::string("Comment\0\0", 9) + packed));
    WriteFile("text.png", png);
    const LoadCost cost = MeasureLoad([] {
        DecodedImage image;
        return DecodeImageFile("text.png", &image, nullptr) && image.pixels == Pixels{0x80112233, 0x00AABBCC};
    });
    ASSERT_TRUE(cost.finished);
    EXPECT_TRUE(cost.loaded);
    EXPECT_LE(cost.megabytes, kRefusalMegabytes);
    EXPECT_LT(cost.cpuSeconds, kRefusalCpuSeconds);
}

TEST(ImageCodecTest, ProgressiveJpegStopsAfter500Scans) {
    for (int scans : {400, 501}) {
        SCOPED_TRACE(scans);
        const std::string bytes = ProgressiveJpeg(scans);
        DecodedImage image;
        std::string error;
        if (scans <= 500) {
            ASSERT_TRUE(DecodeImageMemory(bytes.data(), bytes.size(), &image, &error)) << error;
            EXPECT_EQ(image.pixels, Pixels(64, 0xFF808080));
        } else {
            EXPECT_FALSE(DecodeImageMemory(bytes.data(), bytes.size(), &image, &error));
            EXPECT_EQ(error, "JPEG: more than 500 scans");
        }
    }
}

TEST(ImageCodecTest, WritesPngThatReadsBackExactly) {
    DecodedImage image;
    image.width = 3, image.height = 2;
    image.pixels = {0x80112233, 0x00AABBCC, 0xFF405060, 0x01020304, 0xFFFFFFFF, 0x00000000};
    ASSERT_TRUE(WritePngFile("written.png", image));
    DecodedImage back;
    std::string error;
    ASSERT_TRUE(DecodeImageFile("written.png", &back, &error)) << error;
    EXPECT_EQ(back.width, 3u);
    EXPECT_EQ(back.height, 2u);
    EXPECT_EQ(back.pixels, image.pixels);
    ImageFileInfo info;
    ASSERT_TRUE(ReadImageFileInfo("written.png", &info));
    EXPECT_EQ(info.depth, 32u);

    DecodedImage wrongCount = image;
    wrongCount.pixels.pop_back();
    EXPECT_FALSE(WritePngFile("wrong.png", wrongCount));
    EXPECT_FALSE(WritePngFile("wrong.png", DecodedImage()));
    EXPECT_FALSE(WritePngFile("no-such-folder/x.png", image));
    EXPECT_TRUE(ReadFile("wrong.png").empty());
}

TEST(ImageCodecTest, WritesBottomUpOpaqueBmp) {
    // Three pixels a row, rows four apart; the fourth of each row is never written.
    const Pixels source = {0x00112233, 0x80AABBCC, 0xFF405060, 0xDEADBEEF,
                           0x7F0A0B0C, 0xFF000000, 0x01FFFFFF, 0xDEADBEEF};
    ASSERT_TRUE(WriteBmpFile("shot.bmp", 3, 2, source.data(), 4));
    const std::string bytes = ReadFile("shot.bmp");
    ASSERT_EQ(bytes.size(), 54u + 24u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes.substr(2, 4), Le(78, 4));
    EXPECT_EQ(bytes.substr(10, 8), Le(54, 4) + Le(40, 4));
    EXPECT_EQ(bytes.substr(18, 16), Le(3, 4) + Le(2, 4) + Le(1, 2) + Le(32, 2) + Le(0, 4));
    EXPECT_EQ(bytes.substr(54, 4), Bgr(0x0A0B0C) + "\xFF");  // the bottom row comes first

    DecodedImage back;
    std::string error;
    ASSERT_TRUE(DecodeImageFile("shot.bmp", &back, &error)) << error;
    EXPECT_EQ(back.pixels, Pixels({P, Q, R, S, K, 0xFFFFFFFF}));

    EXPECT_FALSE(WriteBmpFile("bad.bmp", 3, 2, source.data(), 2));
    EXPECT_FALSE(WriteBmpFile("bad.bmp", 0, 2, source.data(), 4));
    EXPECT_FALSE(WriteBmpFile("bad.bmp", 3, 2, nullptr, 4));
}

}  // namespace
