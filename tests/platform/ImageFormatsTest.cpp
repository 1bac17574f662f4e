// The image formats Windows tools and games of the Direct3D 9 era write: run-length BMP (made by
// ImageMagick, and by hand for the codes it never writes), CMYK and YCCK JPEG (made by
// ImageMagick and libjpeg, checked against ImageMagick's own decode), and DDS files written
// here, uncompressed and with DXT blocks of known colours, with their mip levels.
#include <cstddef>
#include <cstdio>

// after <cstddef> and <cstdio>: it uses size_t and FILE
#include <jpeglib.h>

#include <velmora/platform/d3dx9/ImageCodec.h>

#include "support/DeviceFixture.h"
#include "support/LoadCost.h"
#include "support/PictureBytes.h"
#include "support/ToolProcess.h"

namespace {

using namespace velmora;
using Pixels = std::vector<uint32_t>;

// --- Files made by real tools ---------------------------------------------------------

// A binary PPM of opaque pixels, for ImageMagick to convert.
void WritePpm(const std::string& path, uint32_t width, uint32_t height, const Pixels& pixels) {
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (uint32_t p : pixels) ppm += {char(p >> 16), char(p >> 8), char(p)};
    WriteFile(path, ppm);
}

// ImageMagick's convert; its output on failure.
void Convert(const std::string& args) {
    const Outcome r = RunProgram("convert", args);
    ASSERT_EQ(r.status, 0) << "convert " << args << ": " << r.output;
}

// ImageMagick's own decode of `path` as opaque sRGB pixels.
Pixels DecodedByImageMagick(const std::string& path) {
    const Outcome r = RunProgram("convert", path + " -colorspace sRGB -depth 8 rgb:- 2>/dev/null");
    Pixels pixels;
    for (size_t i = 0; i + 3 <= r.output.size(); i += 3)
        pixels.push_back(0xFF000000 | uint8_t(r.output[i]) << 16 | uint8_t(r.output[i + 1]) << 8 |
                         uint8_t(r.output[i + 2]));
    return pixels;
}

// The largest difference of one channel between two pictures (256 when their sizes differ).
int LargestDifference(const Pixels& a, const Pixels& b) {
    if (a.size() != b.size()) return 256;
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 32; shift += 8)
            largest = std::max(largest, std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)));
    return largest;
}

// 16 x 16 in four flat 8 x 8 blocks, which JPEG keeps almost exactly.
const uint32_t kQuadrants[4] = {0xFFE02010, 0xFF10C080, 0xFF203070, 0xFFF0F0E0};
Pixels Quadrants() {
    Pixels pixels(256);
    for (uint32_t i = 0; i < 256; ++i) pixels[i] = kQuadrants[(i / 16 >= 8) * 2 + (i % 16 >= 8)];
    return pixels;
}

// A CMYK JPEG as Photoshop stores it: inverted ink amounts, an Adobe segment saying so
// (transform 0: no YCCK), written by libjpeg.
void WriteInvertedCmykJpeg(const std::string& path, const Pixels& rgb) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_CMYK);  // writes the Adobe segment, transform 0
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    for (uint32_t y = 0; y < 16; ++y) {
        JSAMPLE row[16 * 4];
        for (uint32_t x = 0; x < 16; ++x) {
            // Black ink takes the darkest channel; C, M, Y the rest. Inverted: 255 - ink.
            const uint32_t p = rgb[y * 16 + x], r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            const uint32_t lightest = std::max({r, g, b});
            const uint32_t k = 255 - lightest;
            auto ink = [&](uint32_t v) { return lightest ? 255 - (v * 255 + lightest / 2) / lightest : 255; };
            JSAMPLE* out = row + x * 4;
            out[0] = JSAMPLE(255 - ink(r));
            out[1] = JSAMPLE(255 - ink(g));
            out[2] = JSAMPLE(255 - ink(b));
            out[3] = JSAMPLE(255 - k);
        }
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

// The Adobe segment's transform byte (0 CMYK, 1 YCbCr, 2 YCCK), or -1 without one.
int AdobeTransform(const std::string& jpeg) {
    const size_t at = jpeg.find("Adobe");
    return at == std::string::npos || at + 11 >= jpeg.size() ? -1 : jpeg[at + 11];
}

TEST(ImageFormatsTest, RunLengthBmpFromImageMagickDecodesToItsSource) {
    // Runs, lone pixels and an odd width, from a handful of colours.
    const uint32_t width = 13, height = 5;
    const uint32_t colours[] = {0xFF102030, 0xFFE0C0A0, 0xFF00FF00, 0xFF8040C0};
    Pixels source(width * height);
    for (uint32_t i = 0; i < source.size(); ++i) source[i] = colours[(i % width < 6 ? 0 : i % 3 + 1) ^ (i / 39)];
    WritePpm("source.ppm", width, height, source);
    ASSERT_NO_FATAL_FAILURE(Convert("source.ppm -type Palette -compress RLE bmp3:rle8.bmp"));
    const std::string file = ReadFile("rle8.bmp");
    ASSERT_GE(file.size(), 34u);
    ASSERT_EQ(file[30], 1) << "ImageMagick did not write BI_RLE8";

    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeImageFile("rle8.bmp", &image, &error)) << error;
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    EXPECT_EQ(image.pixels, source);
    ImageFileInfo info;
    ASSERT_TRUE(ReadImageFileInfo("rle8.bmp", &info));
    EXPECT_EQ(info.depth, 8u);
}

// A BMP of 4 x 3 pixels, compressed as `compression` (1 RLE8, 2 RLE4) with `bits` per pixel.
std::string RleBmp(int bits, int compression, const std::string& data, int32_t height = 3) {
    const std::string palette = Le(0x000000, 4) + Le(0xFF0000, 4) + Le(0x00FF00, 4) + Le(0x0000FF, 4);
    const std::string info = Le(40, 4) + Le(4, 4) + Le(uint32_t(height), 4) + Le(1, 2) + Le(bits, 2) +
                             Le(compression, 4) + Le(data.size(), 4) + Le(0, 4) + Le(0, 4) + Le(4, 4) + Le(0, 4);
    const uint32_t offset = uint32_t(14 + info.size() + palette.size());
    return "BM" + Le(offset + data.size(), 4) + Le(0, 4) + Le(offset, 4) + info + palette + data;
}

TEST(ImageFormatsTest, RunLengthCodesImageMagickNeverWrites) {
    const uint32_t k = 0xFF000000, r = 0xFFFF0000, g = 0xFF00FF00, b = 0xFF0000FF, none = 0;
    struct Case {
        const char* name;
        std::string bytes;
        Pixels pixels;  // top row first
    };
    const Case cases[] = {
        // Absolute runs (3 indices, padded to 16 bits), end of row, and the bottom row first.
        {"rle8 absolute",
         RleBmp(8, 1, Bytes({0, 3, 1, 2, 3, 0, 1, 0, 0, 0, 4, 2, 0, 0, 2, 3, 2, 1, 0, 1})),
         {b, b, r, r, g, g, g, g, r, g, b, k}},
        // A delta moves right 1 and up 1; skipped pixels and rows left after the end stay empty.
        {"rle8 delta",
         RleBmp(8, 1, Bytes({1, 1, 0, 2, 1, 1, 1, 3, 0, 1})),
         {none, none, none, none, none, none, b, none, r, none, none, none}},
        // RLE4: runs alternate two indices; an absolute run of 5 takes 3 bytes and a pad byte
        // (and is cut at its row's end).
        {"rle4",
         RleBmp(4, 2, Bytes({4, 0x12, 0, 0, 0, 5, 0x31, 0x23, 0x10, 0, 0, 0, 3, 0x30, 0, 1})),
         {b, k, b, none, b, r, g, b, r, g, r, g}},
        // A run longer than its row is cut at the row's end.
        {"rle8 long run",
         RleBmp(8, 1, Bytes({9, 3, 0, 0, 4, 2, 0, 0, 4, 1, 0, 1})),
         {r, r, r, r, g, g, g, g, b, b, b, b}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeImageMemory(c.bytes.data(), c.bytes.size(), &image, &error)) << error;
        EXPECT_EQ(image.pixels, c.pixels);
    }
    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } refused[] = {
        {"cut", RleBmp(8, 1, Bytes({4, 1, 0})), "BMP: truncated run-length data"},
        {"cut absolute", RleBmp(8, 1, Bytes({0, 4, 1, 2})), "BMP: truncated run-length data"},
        {"top-down", RleBmp(8, 1, Bytes({0, 1}), -3), "BMP: a top-down picture cannot be run-length compressed"},
        {"rle4 of 8 bits", RleBmp(8, 2, Bytes({0, 1})), "BMP: run-length compression of 8 bits per pixel"},
    };
    for (const auto& c : refused) {
        DecodedImage image;
        std::string error;
        EXPECT_FALSE(DecodeImageMemory(c.bytes.data(), c.bytes.size(), &image, &error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

TEST(ImageFormatsTest, CmykAndYcckJpegAgreeWithImageMagick) {
    const Pixels source = Quadrants();
    WritePpm("quadrants.ppm", 16, 16, source);
    ASSERT_NO_FATAL_FAILURE(Convert("quadrants.ppm -colorspace CMYK -quality 100 ycck.jpg"));
    ASSERT_NO_FATAL_FAILURE(WriteInvertedCmykJpeg("cmyk.jpg", source));
    struct Case {
        const char* file;
        int transform;
    };
    for (const Case& c : {Case{"ycck.jpg", 2}, Case{"cmyk.jpg", 0}}) {
        SCOPED_TRACE(c.file);
        ASSERT_EQ(AdobeTransform(ReadFile(c.file)), c.transform);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeImageFile(c.file, &image, &error)) << error;
        const Pixels reference = DecodedByImageMagick(c.file);
        ASSERT_EQ(reference.size(), 256u);
        EXPECT_LE(LargestDifference(image.pixels, reference), 2);
        EXPECT_LE(LargestDifference(image.pixels, source), 6);
        ImageFileInfo info;
        ASSERT_TRUE(ReadImageFileInfo(c.file, &info));
        EXPECT_EQ(info.depth, 32u);
        D3DXIMAGE_INFO d3dx{};
        ASSERT_EQ(D3DXGetImageInfoFromFileA(c.file, &d3dx), D3D_OK);
        EXPECT_EQ(d3dx.Format, D3DFMT_X8R8G8B8);  // four components, no alpha
    }
}

// --- DDS ------------------------------------------------------------------------------

constexpr uint32_t kDdpfAlphaPixels = 0x1, kDdpfAlpha = 0x2, kDdpfFourCC = 0x4, kDdpfRgb = 0x40,
                   kDdpfLuminance = 0x20000;

struct DdsFormat {
    const char* name;
    uint32_t flags, fourCC, bits, masks[4];  // red, green, blue, alpha
    D3DFORMAT format;
};

const DdsFormat kA8R8G8B8{"A8R8G8B8", kDdpfRgb | kDdpfAlphaPixels,          0,
                          32,         {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, D3DFMT_A8R8G8B8};
const DdsFormat kDxt1{"DXT1", kDdpfFourCC, 0x31545844, 0, {}, D3DFMT_DXT1};
const DdsFormat kDxt3{"DXT3", kDdpfFourCC, 0x33545844, 0, {}, D3DFMT_DXT3};
const DdsFormat kDxt5{"DXT5", kDdpfFourCC, 0x35545844, 0, {}, D3DFMT_DXT5};

// A DDS file as the DirectX tools write it: the magic, the 124-byte header, the levels' data.
std::string Dds(const DdsFormat& f, uint32_t width, uint32_t height, uint32_t levels, const std::string& data,
                uint32_t caps2 = 0) {
    std::string h = "DDS " + Le(124, 4) + Le(0x1007 | (levels > 1 ? 0x20000 : 0), 4) + Le(height, 4) + Le(width, 4) +
                    Le(0, 4) + Le(0, 4) + Le(levels, 4) + std::string(44, '\0');
    h += Le(32, 4) + Le(f.flags, 4) + Le(f.fourCC, 4) + Le(f.bits, 4);
    for (uint32_t m : f.masks) h += Le(m, 4);
    h += Le(0x1000 | (levels > 1 ? 0x400008 : 0), 4) + Le(caps2, 4) + std::string(12, '\0');
    return h + data;
}

// One pixel stored under the format's masks, each 8-bit channel scaled to its mask's width.
std::string Stored(const DdsFormat& f, uint32_t argb) {
    const uint32_t channels[4] = {argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF, argb >> 24};
    uint32_t v = 0;
    for (int c = 0; c < 4; ++c) {
        const uint32_t mask = f.masks[c];
        if (!mask) continue;
        const int shift = __builtin_ctz(mask);
        const uint32_t max = mask >> shift;
        v |= (channels[c] * max + 127) / 255 << shift;
    }
    return Le(v, int(f.bits / 8));
}

TEST(ImageFormatsTest, UncompressedDdsLayouts) {
    // Channels at 0, half and full: exact in every layout that has them.
    const Pixels colours = {0xFFFF0000, 0x0000FF00, 0xFF0000FF, 0x80FFFFFF, 0xFF000000, 0x00FFFF00};
    const Pixels greys = {0xFF000000, 0xFFFFFFFF, 0x00FFFFFF, 0x80808080, 0xFF808080, 0x00000000};
    struct Case {
        DdsFormat format;
        Pixels source, expected;
    };
    auto opaque = [](Pixels p) {
        for (uint32_t& v : p) v |= 0xFF000000;
        return p;
    };
    auto oneBitAlpha = [](Pixels p) {
        for (uint32_t& v : p) v = (v >> 31 ? 0xFF000000 : 0) | (v & 0xFFFFFF);
        return p;
    };
    auto greyOf = [](Pixels p, bool alpha) {
        for (uint32_t& v : p) v = (alpha ? v & 0xFF000000 : 0xFF000000) | (v & 0xFF) * 0x010101;
        return p;
    };
    const Pixels alphas = {0xFF000000, 0x80000000, 0x00000000, 0xFF000000, 0x33000000, 0x80000000};
    const Pixels colours4444 = {0xFFFF0000, 0x0000FF00, 0xFF0000FF, 0x88FFFFFF, 0xFF000000, 0x33FFFF00};
    const Case cases[] = {
        {kA8R8G8B8, colours, colours},
        {{"X8R8G8B8", kDdpfRgb, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0}, D3DFMT_X8R8G8B8}, colours, opaque(colours)},
        {{"R5G6B5", kDdpfRgb, 0, 16, {0xF800, 0x7E0, 0x1F, 0}, D3DFMT_R5G6B5}, colours, opaque(colours)},
        {{"A1R5G5B5", kDdpfRgb | kDdpfAlphaPixels, 0, 16, {0x7C00, 0x3E0, 0x1F, 0x8000}, D3DFMT_A1R5G5B5},
         oneBitAlpha(colours),
         oneBitAlpha(colours)},
        {{"A4R4G4B4", kDdpfRgb | kDdpfAlphaPixels, 0, 16, {0xF00, 0xF0, 0xF, 0xF000}, D3DFMT_A4R4G4B4},
         colours4444,
         colours4444},
        {{"L8", kDdpfLuminance, 0, 8, {0xFF, 0, 0, 0}, D3DFMT_L8}, greys, greyOf(greys, false)},
        {{"A8L8", kDdpfLuminance | kDdpfAlphaPixels, 0, 16, {0xFF, 0, 0, 0xFF00}, D3DFMT_A8L8},
         greys,
         greyOf(greys, true)},
        {{"A8", kDdpfAlpha, 0, 8, {0, 0, 0, 0xFF}, D3DFMT_A8}, alphas, alphas},  // colourless: black
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format.name);
        std::string data;
        for (uint32_t p : c.source) data += Stored(c.format, p);
        const std::string file = std::string(c.format.name) + ".dds";
        WriteFile(file, Dds(c.format, 3, 2, 1, data));
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeImageFile(file, &image, &error)) << error;
        EXPECT_EQ(image.width, 3u);
        EXPECT_EQ(image.height, 2u);
        EXPECT_EQ(image.pixels, c.expected);
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXGetImageInfoFromFileA(file.c_str(), &info), D3D_OK);
        EXPECT_EQ(info.Format, c.format.format);
        EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
        EXPECT_EQ(info.MipLevels, 1u);
    }
}

// A DXT colour block: two 5:6:5 colours and sixteen 2-bit indices, the first pixel lowest.
std::string ColourBlock(uint32_t c0, uint32_t c1, const std::vector<int>& indices) {
    uint32_t bits = 0;
    for (size_t i = 0; i < 16; ++i) bits |= uint32_t(indices[i % indices.size()]) << (2 * i);
    return Le(c0, 2) + Le(c1, 2) + Le(bits, 4);
}

TEST(ImageFormatsTest, DxtBlocksOfKnownColours) {
    // Red and blue in 5:6:5; between them a third and two thirds of the way.
    const uint32_t r = 0xFFFF0000, b = 0xFF0000FF, rrb = 0xFFAA0055, rbb = 0xFF5500AA;
    const std::vector<int> pattern = {0, 1, 2, 3};
    // Black and 16/31 red: half way, then transparent black.
    const uint32_t dark = 0xFF840000, half = 0xFF420000, black = 0xFF000000;
    struct Case {
        const char* name;
        DdsFormat format;
        uint32_t width, height;
        std::string data;
        Pixels pixels;
    };
    auto rows = [](const Pixels& row, uint32_t width, uint32_t height) {
        Pixels p;
        for (uint32_t y = 0; y < height; ++y) p.insert(p.end(), row.begin(), row.begin() + width);
        return p;
    };
    // DXT3: sixteen 4-bit alphas, then a colour block of four colours.
    std::string dxt3Alpha;
    for (int i = 0; i < 8; ++i) dxt3Alpha += char((2 * i + 1) << 4 | 2 * i);
    Pixels dxt3;
    const uint32_t fourColours[] = {r, b, rrb, rbb};
    for (uint32_t i = 0; i < 16; ++i) dxt3.push_back((i * 17) << 24 | (fourColours[i % 4] & 0xFFFFFF));
    // DXT5: two alphas and sixteen 3-bit indices: 140 > 0 gives six steps of 20 between them;
    // 0 <= 100 four steps of 20, then 0 and 255.
    auto alphaBlock = [](uint32_t a0, uint32_t a1, const std::vector<int>& indices) {
        uint64_t bits = 0;
        for (size_t i = 0; i < 16; ++i) bits |= uint64_t(indices[i % indices.size()]) << (3 * i);
        std::string s = {char(a0), char(a1)};
        for (int i = 0; i < 6; ++i) s += char(bits >> (8 * i));
        return s;
    };
    const std::vector<int> eight = {0, 1, 2, 3, 4, 5, 6, 7};
    const uint32_t eightSteps[] = {140, 0, 120, 100, 80, 60, 40, 20}, sixSteps[] = {0, 100, 20, 40, 60, 80, 0, 255};
    auto dxt5 = [&](const uint32_t* table, uint32_t colour) {
        Pixels p;
        for (uint32_t i = 0; i < 16; ++i) p.push_back(table[i % 8] << 24 | colour);
        return p;
    };
    const Case cases[] = {
        {"DXT1, four colours", kDxt1, 4, 4, ColourBlock(0xF800, 0x001F, pattern), rows({r, b, rrb, rbb}, 4, 4)},
        {"DXT1, three and transparent", kDxt1, 4, 4, ColourBlock(0x0000, 0x8000, pattern),
         rows({black, dark, half, 0}, 4, 4)},
        // 6 x 5: the blocks on the right and at the bottom hang over the edges.
        {"DXT1, odd size", kDxt1, 6, 5,
         ColourBlock(0xF800, 0x001F, {0}) + ColourBlock(0xF800, 0x001F, {1}) + ColourBlock(0xF800, 0x001F, {2}) +
             ColourBlock(0xF800, 0x001F, {3}),
         [&] {
             Pixels p;
             for (uint32_t y = 0; y < 5; ++y)
                 for (uint32_t x = 0; x < 6; ++x) p.push_back(y < 4 ? (x < 4 ? r : b) : (x < 4 ? rrb : rbb));
             return p;
         }()},
        {"DXT3", kDxt3, 4, 4, dxt3Alpha + ColourBlock(0xF800, 0x001F, pattern), dxt3},
        // A colour block of DXT3 and DXT5 has four colours whichever colour is larger.
        {"DXT5, eight alphas", kDxt5, 4, 4, alphaBlock(140, 0, eight) + ColourBlock(0xF800, 0xF800, {0}),
         dxt5(eightSteps, 0xFF0000)},
        {"DXT5, six alphas", kDxt5, 4, 4, alphaBlock(0, 100, eight) + ColourBlock(0x0000, 0xF800, {3}),
         dxt5(sixSteps, 0xAA0000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = Dds(c.format, c.width, c.height, 1, c.data);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeImageMemory(bytes.data(), bytes.size(), &image, &error)) << error;
        EXPECT_EQ(image.pixels, c.pixels);
        WriteFile("block.dds", bytes);
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXGetImageInfoFromFileA("block.dds", &info), D3D_OK);
        EXPECT_EQ(info.Format, c.format.format);
    }
}

TEST(ImageFormatsTest, DamagedDdsFilesAreRefused) {
    const std::string block = ColourBlock(0xF800, 0x001F, {0});
    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"cut header", Dds(kDxt1, 4, 4, 1, block).substr(0, 100), "DDS: truncated header"},
        {"cut data", Dds(kDxt1, 8, 4, 1, block), "DDS: truncated pixel data"},
        {"cut level", Dds(kDxt1, 4, 4, 3, block + block), "DDS: truncated pixel data"},
        {"too many levels", Dds(kDxt1, 4, 4, 4, block + block + block + block), "DDS: 4 mip levels for 4x4"},
        {"cube map", Dds(kDxt1, 4, 4, 1, block, 0xFE00), "DDS: cube maps and volume textures are not supported"},
        {"other compression", Dds({"ATI2", kDdpfFourCC, 0x32495441, 0, {}, D3DFMT_UNKNOWN}, 4, 4, 1, block + block),
         "DDS: unsupported compression ATI2"},
        {"mask past the pixel",
         Dds({"bad", kDdpfRgb, 0, 16, {0xFF0000, 0xFF00, 0xFF, 0}, D3DFMT_UNKNOWN}, 1, 1, 1, "ab"),
         "DDS: bad channel masks"},
        {"empty", Dds(kDxt1, 0, 4, 1, block), "DDS: unsupported size 0x4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        std::string error;
        EXPECT_FALSE(DecodeImageMemory(c.bytes.data(), c.bytes.size(), &image, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(ImageFormatsTest, SmallCompressedFilesClaimingHugePicturesCostNothing) {
    const std::string block = ColourBlock(0xF800, 0x001F, {0});
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    };
    // Run-length codes can end every row at once; DXT data must be there for every block.
    std::string rows;
    for (int i = 0; i < 100; ++i) rows += Bytes({0, 0});
    std::string huge = RleBmp(8, 1, rows + Bytes({0, 1}));
    huge.replace(18, 8, Le(16384, 4) + Le(16384, 4));
    const Case cases[] = {
        {"huge.bmp", huge, "BMP: 16384x16384 is too large"},
        {"huge.dds", Dds(kDxt1, 16384, 16384, 1, block), "DDS: truncated pixel data"},
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
        EXPECT_LE(cost.megabytes, kRefusalMegabytes);
        EXPECT_LT(cost.cpuSeconds, kRefusalCpuSeconds);
        DecodedImage image;
        std::string error;
        EXPECT_FALSE(DecodeImageFile(c.name, &image, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

class DdsTextureTest : public DeviceFixture {};

// Each level of the file a colour of its own, unlike what a box filter of level 0 makes.
TEST_F(DdsTextureTest, AMipChainTakesTheFileOwnLevels) {
    const uint32_t levelColours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
    std::string data;
    for (uint32_t level = 0; level < 4; ++level) {
        const uint32_t count = std::max(8u >> level, 1u) * std::max(4u >> level, 1u);
        for (uint32_t i = 0; i < count; ++i) data += Stored(kA8R8G8B8, levelColours[level]);
    }
    WriteFile("chain.dds", Dds(kA8R8G8B8, 8, 4, 4, data));
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXGetImageInfoFromFileA("chain.dds", &info), D3D_OK);
    EXPECT_EQ(info.MipLevels, 4u);
    struct Case {
        UINT requested, levels;
    };
    for (const Case& c : {Case{D3DX_FROM_FILE, 4}, Case{D3DX_DEFAULT, 4}, Case{1, 1}}) {
        SCOPED_TRACE(c.requested);
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileExA(device, "chain.dds", D3DX_DEFAULT, D3DX_DEFAULT, c.requested, 0,
                                               D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_BOX, 0,
                                               nullptr, nullptr, &texture),
                  D3D_OK);
        ASSERT_EQ(texture->GetLevelCount(), c.levels);
        for (UINT level = 0; level < c.levels; ++level) {
            D3DLOCKED_RECT lr{};
            ASSERT_EQ(texture->LockRect(level, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
            EXPECT_EQ(*static_cast<const uint32_t*>(lr.pBits), levelColours[level]) << "level " << level;
            texture->UnlockRect(level);
        }
        texture->Release();
    }
    // A texture of another size filters its levels from its first.
    IDirect3DTexture9* scaled = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, "chain.dds", 4, 2, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                           D3DX_FILTER_POINT, D3DX_FILTER_BOX, 0, nullptr, nullptr, &scaled),
              D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(scaled->LockRect(1, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<const uint32_t*>(lr.pBits), levelColours[0]);
    scaled->UnlockRect(1);
    scaled->Release();
}

}  // namespace
