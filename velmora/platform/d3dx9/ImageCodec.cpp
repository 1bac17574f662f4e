// D3DX 9 stand-in: image codecs. PNG through libpng and JPEG through libjpeg, both read
// from memory under their setjmp error handling; BMP and TGA parsed here, DDS in DdsImage.cpp. Every read is
// bounded by the data, and every size is checked against the data and the budget of the load
// (DecodeBudget) before anything is allocated.
#include <velmora/platform/d3dx9/ImageCodec.h>

#include <strings.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include <jerror.h>   // the warning codes
#include <jpeglib.h>  // after <cstdio>: it uses FILE
#include <png.h>
#include <zlib.h>  // crc32, for the PNG header check

#include <velmora/platform/d3dx9/detail/DdsImage.h>
#include <velmora/platform/d3dx9/detail/ImageBytes.h>
#include <velmora/platform/win32/FileSystem.h>

namespace velmora {
namespace {

constexpr size_t kMessageSize = 200;
constexpr uint64_t kMaxFileSize = uint64_t(1) << 31;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

using vlm_platform::Allocate;
using vlm_platform::Argb;
using vlm_platform::Bytes;
using vlm_platform::Channel;
using vlm_platform::Fail;
using vlm_platform::OverBudgetText;
using vlm_platform::Scale;
using vlm_platform::SizeOk;
using vlm_platform::SizeText;
using vlm_platform::WithinBudget;

// --- BMP ----------------------------------------------------------------------------

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

struct BmpHeader {
    uint32_t dataOffset, width, height, bitCount, compression;
    bool topDown;
    uint32_t masks[4];  // red, green, blue, alpha
    uint64_t paletteOffset;
    uint32_t paletteCount, paletteEntrySize;
};

// The file and info headers (and masks); `b` need hold no more than those.
bool ParseBmpHeader(const Bytes& b, BmpHeader* h, std::string* error) {
    if (!b.Has(0, 18) || b.U8(0) != 'B' || b.U8(1) != 'M') return Fail(error, "BMP: truncated header");
    const uint32_t headerSize = b.U32(14);
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return Fail(error, "BMP: unsupported header size " + std::to_string(headerSize));
    if (!b.Has(14, headerSize)) return Fail(error, "BMP: truncated header");
    h->dataOffset = b.U32(10);
    int64_t width, height;
    uint32_t colorsUsed = 0;
    if (headerSize == 12) {  // OS/2 core header: 16-bit sides, 3-byte palette entries
        width = b.U16(18);
        height = b.U16(20);
        h->bitCount = b.U16(24);
        h->compression = BI_RGB;
        h->paletteEntrySize = 3;
    } else {
        width = int32_t(b.U32(18));
        height = int32_t(b.U32(22));
        h->bitCount = b.U16(28);
        h->compression = b.U32(30);
        colorsUsed = b.U32(46);
        h->paletteEntrySize = 4;
    }
    h->topDown = height < 0;
    if (height < 0) height = -height;
    if (!SizeOk(width < 0 ? 0 : width, height))
        return Fail(error, "BMP: unsupported size " + std::to_string(width) + "x" + std::to_string(height));
    h->width = uint32_t(width);
    h->height = uint32_t(height);

    const uint32_t bits = h->bitCount;
    h->paletteOffset = 14 + headerSize;
    h->paletteCount = bits <= 8 ? 1u << bits : 0;
    if (colorsUsed != 0 && colorsUsed < h->paletteCount) h->paletteCount = colorsUsed;
    if (h->compression == BI_RGB) {
        // 32-bit BI_RGB is X8R8G8B8: its fourth byte is not alpha.
        const uint32_t rgb16[4] = {0x7C00, 0x03E0, 0x001F, 0}, rgb32[4] = {0xFF0000, 0xFF00, 0xFF, 0};
        std::memcpy(h->masks, bits == 16 ? rgb16 : rgb32, sizeof h->masks);
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return Fail(error, "BMP: unsupported bit count " + std::to_string(bits));
    } else if (h->compression == BI_BITFIELDS || h->compression == BI_ALPHABITFIELDS) {
        if (bits != 16 && bits != 32) return Fail(error, "BMP: bit fields need 16 or 32 bits per pixel");
        // The masks follow the 40-byte header; longer headers hold them (V3 on with alpha).
        uint32_t count = headerSize >= 56 ? 4 : 3;
        if (headerSize == 40) {
            if (h->compression == BI_ALPHABITFIELDS) count = 4;
            h->paletteOffset += 4 * count;
        }
        if (!b.Has(54, 4 * count)) return Fail(error, "BMP: truncated bit fields");
        for (uint32_t i = 0; i < 4; ++i) h->masks[i] = i < count ? b.U32(54 + 4 * i) : 0;
    } else if (h->compression == BI_RLE8 || h->compression == BI_RLE4) {
        if (bits != (h->compression == BI_RLE8 ? 8u : 4u))
            return Fail(error, "BMP: run-length compression of " + std::to_string(bits) + " bits per pixel");
        // Runs are stored from the bottom row up; a top-down picture cannot be compressed.
        if (h->topDown) return Fail(error, "BMP: a top-down picture cannot be run-length compressed");
    } else {
        return Fail(error, "BMP: unsupported compression " + std::to_string(h->compression));
    }
    return true;
}

// BI_RLE8 and BI_RLE4: pairs of (count, index) runs (RLE4: two indices alternating), or an
// escape 0 followed by 0 (end of row), 1 (end of picture), 2 (move right dx and up dy) or
// n >= 3 (n indices stored as they are, padded to a 16-bit boundary). Pixels the codes skip
// stay transparent black; a run past the end of its row is cut there.
bool DecodeBmpRle(const Bytes& b, const BmpHeader& h, const std::function<uint32_t(uint32_t)>& colour,
                  DecodedImage* out, std::string* error) {
    const bool four = h.compression == BI_RLE4;
    uint64_t at = h.dataOffset;
    uint32_t x = 0, y = 0;  // y counts rows from the bottom
    auto put = [&](uint32_t index) {
        if (x < h.width && y < h.height) out->pixels[size_t(h.height - 1 - y) * h.width + x] = colour(index);
        ++x;
    };
    while (y < h.height) {
        if (!b.Has(at, 2)) return Fail(error, "BMP: truncated run-length data");
        const uint32_t count = b.U8(at), value = b.U8(at + 1);
        at += 2;
        if (count > 0) {
            for (uint32_t i = 0; i < count && x < h.width; ++i) put(four ? (i % 2 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (!b.Has(at, 2)) return Fail(error, "BMP: truncated run-length data");
            x += b.U8(at);
            y += b.U8(at + 1);
            at += 2;
        } else {
            const uint64_t stored = four ? (value + 1) / 2 : value;
            if (!b.Has(at, stored)) return Fail(error, "BMP: truncated run-length data");
            for (uint32_t i = 0; i < value && x < h.width; ++i) {
                const uint32_t byte = b.U8(size_t(at + (four ? i / 2 : i)));
                put(four ? (i % 2 ? byte & 15 : byte >> 4) : byte);
            }
            at += stored + stored % 2;
        }
    }
    return true;  // every row ended; the end-of-picture code may be left out
}

bool DecodeBmp(const Bytes& b, DecodedImage* out, std::string* error) {
    BmpHeader h;
    if (!ParseBmpHeader(b, &h, error)) return false;
    if (!b.Has(h.paletteOffset, uint64_t(h.paletteCount) * h.paletteEntrySize))
        return Fail(error, "BMP: truncated palette");
    const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    const uint64_t stride = (uint64_t(h.width) * h.bitCount + 31) / 32 * 4;
    // Run-length data has no bound a file size gives (a few codes skip whole rows): only the
    // budget limits it, and its decode stops where its bytes do.
    if (!rle && !b.Has(h.dataOffset, stride * h.height)) return Fail(error, "BMP: truncated pixel data");
    if (rle && !b.Has(h.dataOffset, 2)) return Fail(error, "BMP: truncated run-length data");
    if (!WithinBudget(b, h.width, h.height)) return Fail(error, "BMP: " + OverBudgetText(b, h.width, h.height));
    if (!Allocate(out, h.width, h.height)) return Fail(error, "BMP: out of memory");

    auto paletteColour = [&](uint32_t index) {
        if (index >= h.paletteCount) return Argb(255, 0, 0, 0);
        const size_t at = h.paletteOffset + size_t(index) * h.paletteEntrySize;
        return Argb(255, b.U8(at + 2), b.U8(at + 1), b.U8(at));
    };
    if (rle) return DecodeBmpRle(b, h, paletteColour, out, error);
    for (uint32_t row = 0; row < h.height; ++row) {
        const size_t line = h.dataOffset + row * stride;
        uint32_t* dest = &out->pixels[size_t(h.topDown ? row : h.height - 1 - row) * h.width];
        for (uint32_t x = 0; x < h.width; ++x) {
            const uint32_t bits = h.bitCount;
            if (bits <= 8) {
                const uint64_t bit = uint64_t(x) * bits;
                const uint32_t shift = 8 - bits - bit % 8;
                dest[x] = paletteColour(b.U8(line + bit / 8) >> shift & ((1u << bits) - 1));
            } else if (bits == 24) {
                const size_t at = line + size_t(x) * 3;
                dest[x] = Argb(255, b.U8(at + 2), b.U8(at + 1), b.U8(at));
            } else {
                const uint32_t v = bits == 16 ? b.U16(line + size_t(x) * 2) : b.U32(line + size_t(x) * 4);
                dest[x] = Argb(Channel(v, h.masks[3], 255), Channel(v, h.masks[0], 0), Channel(v, h.masks[1], 0),
                               Channel(v, h.masks[2], 0));
            }
        }
    }
    return true;
}

// --- TGA ----------------------------------------------------------------------------

struct TgaHeader {
    uint32_t type, width, height, depth, descriptor;
    uint32_t mapFirst, mapLength, mapEntryBits;
    uint64_t mapOffset, dataOffset;
};

// TGA has no magic: a header is accepted only when every field makes sense.
bool ParseTgaHeader(const Bytes& b, TgaHeader* h, std::string* error) {
    if (!b.Has(0, 18)) return Fail(error, "TGA: truncated header");
    const uint32_t mapType = b.U8(1);
    h->type = b.U8(2);
    h->mapFirst = b.U16(3);
    h->mapLength = b.U16(5);
    h->mapEntryBits = b.U8(7);
    h->width = b.U16(12);
    h->height = b.U16(14);
    h->depth = b.U8(16);
    h->descriptor = b.U8(17);
    const uint32_t kind = h->type & ~8u;  // 1 mapped, 2 true colour, 3 grey; +8 for RLE
    if (mapType > 1 || kind < 1 || kind > 3 || (h->type & ~11u) != 0)
        return Fail(error, "TGA: unsupported image type " + std::to_string(h->type));
    const uint32_t e = h->mapEntryBits;
    if (mapType == 1 && (h->mapLength == 0 || (e != 15 && e != 16 && e != 24 && e != 32)))
        return Fail(error, "TGA: bad colour map");
    const uint32_t d = h->depth;
    const bool depthOk = kind == 1   ? mapType == 1 && d == 8
                         : kind == 2 ? d == 15 || d == 16 || d == 24 || d == 32
                                     : d == 8;
    if (!depthOk) return Fail(error, "TGA: unsupported pixel depth " + std::to_string(d));
    if (h->descriptor & 0xC0) return Fail(error, "TGA: interleaved images are not supported");
    if (!SizeOk(h->width, h->height)) return Fail(error, "TGA: unsupported size " + SizeText(h->width, h->height));
    h->mapOffset = 18 + b.U8(0);
    h->dataOffset = h->mapOffset + (mapType == 1 ? uint64_t(h->mapLength) * ((e + 7) / 8) : 0);
    return true;
}

// One stored colour of `bits` bits. 16-bit colours carry alpha in their top bit only when
// the descriptor says there is one attribute bit; 32-bit ones always carry it.
uint32_t TgaColour(const uint8_t* p, uint32_t bits, bool alphaBit) {
    switch (bits) {
        case 8: return Argb(255, p[0], p[0], p[0]);
        case 15:
        case 16: {
            const uint32_t v = p[0] | p[1] << 8;
            const uint32_t a = bits == 16 && alphaBit ? (v >> 15) * 255 : 255;
            return Argb(a, Scale(v >> 10 & 31, 31), Scale(v >> 5 & 31, 31), Scale(v & 31, 31));
        }
        case 24: return Argb(255, p[2], p[1], p[0]);
        default: return Argb(p[3], p[2], p[1], p[0]);
    }
}

bool DecodeTga(const Bytes& b, DecodedImage* out, std::string* error) {
    TgaHeader h;
    if (!ParseTgaHeader(b, &h, error)) return false;
    const bool alphaBit = (h.descriptor & 0x0F) == 1;
    std::vector<uint32_t> map;
    if (h.dataOffset > h.mapOffset) {
        if (!b.Has(h.mapOffset, h.dataOffset - h.mapOffset)) return Fail(error, "TGA: truncated colour map");
        const uint32_t entryBytes = (h.mapEntryBits + 7) / 8;
        for (uint32_t i = 0; i < h.mapLength; ++i)
            map.push_back(TgaColour(b.data + h.mapOffset + size_t(i) * entryBytes, h.mapEntryBits, alphaBit));
    }
    const bool mapped = (h.type & 3) == 1, rle = h.type & 8;
    const uint32_t pixelBytes = (h.depth + 7) / 8;
    auto colour = [&](const uint8_t* p) {
        if (!mapped) return TgaColour(p, h.depth, alphaBit);
        const uint32_t index = p[0] - h.mapFirst;  // wraps for an index below the first entry
        return index < map.size() ? map[index] : Argb(255, 0, 0, 0);
    };
    // Pixels come in stored order; the descriptor says where the first one goes.
    const bool fromTop = h.descriptor & 0x20, fromRight = h.descriptor & 0x10;
    auto place = [&](uint64_t i, uint32_t value) {
        const uint32_t row = uint32_t(i / h.width), column = uint32_t(i % h.width);
        const uint32_t y = fromTop ? row : h.height - 1 - row, x = fromRight ? h.width - 1 - column : column;
        out->pixels[size_t(y) * h.width + x] = value;
    };
    const uint64_t total = uint64_t(h.width) * h.height;
    // Checked before allocating: a packet gives at most 128 pixels.
    const uint64_t leastData = rle ? (total + 127) / 128 * (1 + pixelBytes) : total * pixelBytes;
    if (!b.Has(h.dataOffset, leastData)) return Fail(error, "TGA: truncated pixel data");
    if (!WithinBudget(b, h.width, h.height)) return Fail(error, "TGA: " + OverBudgetText(b, h.width, h.height));
    if (!Allocate(out, h.width, h.height)) return Fail(error, "TGA: out of memory");
    uint64_t at = h.dataOffset;
    if (!rle) {
        for (uint64_t i = 0; i < total; ++i) place(i, colour(b.data + at + i * pixelBytes));
        return true;
    }
    // Packets may run on from one row to the next, never past the last pixel.
    for (uint64_t i = 0; i < total;) {
        if (!b.Has(at, 1)) return Fail(error, "TGA: truncated pixel data");
        const uint32_t packet = b.U8(at++);
        const uint32_t count = (packet & 0x7F) + 1;
        if (count > total - i) return Fail(error, "TGA: run-length packet runs past the image");
        const bool repeat = packet & 0x80;
        if (!b.Has(at, uint64_t(repeat ? 1 : count) * pixelBytes)) return Fail(error, "TGA: truncated pixel data");
        for (uint32_t k = 0; k < count; ++k, ++i) place(i, colour(b.data + at + (repeat ? 0 : k * pixelBytes)));
        at += uint64_t(repeat ? 1 : count) * pixelBytes;
    }
    return true;
}

// --- PNG ----------------------------------------------------------------------------

struct PngJob {
    Bytes input{nullptr, 0};
    size_t position = 0;
    DecodedImage image;
    std::vector<png_bytep> rows;
    const DecodedImage* source = nullptr;  // writing
    FILE* file = nullptr;                  // writing
    char message[kMessageSize] = "";
};

void PngError(png_structp png, png_const_charp message) {
    PngJob* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, kMessageSize, "%s", message);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep dest, png_size_t length) {
    PngJob* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (!job->input.Has(job->position, length)) png_error(png, "truncated data");
    std::memcpy(dest, job->input.data + job->position, length);
    job->position += length;
}

bool AllocateRows(PngJob* job, uint32_t height) {
    try {
        job->rows.resize(height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Runs under libpng's setjmp: the locals set before it are never changed after it, and
// everything else lives in `job`, so nothing is lost or left undestroyed by a longjmp.
bool RunPngDecode(PngJob* job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(job->message, kMessageSize, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, job, PngRead);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    // Only the pixels and their transparency matter here: text and profile chunks, which may
    // hold compressed bombs of their own, are skipped unread.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);
    // Every colour type and depth becomes 8-bit B, G, R, A bytes: 0xAARRGGBB in memory.
    png_set_expand(png);  // palette and grey below 8 bits to 8 bits, tRNS to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const uint32_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) png_error(png, "unexpected row layout");
    // DecodePng has checked the budget from its own reading of the header; this is libpng's.
    if (!WithinBudget(job->input, width, height)) png_error(png, "too large for its file");
    if (!Allocate(&job->image, width, height) || !AllocateRows(job, height)) png_error(png, "out of memory");
    for (uint32_t y = 0; y < height; ++y)
        job->rows[y] = reinterpret_cast<png_bytep>(&job->image.pixels[size_t(y) * width]);
    png_read_image(png, job->rows.data());
    png_read_end(png, nullptr);  // a file cut before its end is damaged even if the pixels came
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// The IHDR chunk, which a PNG file must start with after its signature.
bool ParsePngHeader(const Bytes& b, ImageFileInfo* info) {
    if (!b.Has(0, 33) || b.U32BigEndian(8) != 13 || std::memcmp(b.data + 12, "IHDR", 4) != 0) return false;
    if (crc32(crc32(0, nullptr, 0), b.data + 12, 17) != b.U32BigEndian(29)) return false;
    const uint32_t width = b.U32BigEndian(16), height = b.U32BigEndian(20), bits = b.U8(24), type = b.U8(25);
    uint32_t channels;
    switch (type) {
        case 0: channels = 1; break;
        case 2: channels = 3; break;
        case 3: channels = 1; break;
        case 4: channels = 2; break;
        case 6: channels = 4; break;
        default: return false;
    }
    const bool bitsOk =
        bits == 8 || (bits == 16 && type != 3) || ((bits == 1 || bits == 2 || bits == 4) && (type == 0 || type == 3));
    if (!bitsOk || !SizeOk(width, height)) return false;
    *info = {width, height, bits * channels, ImageFileFormat::Png};
    return true;
}

// The bytes of all IDAT chunks, as far as the data goes.
uint64_t PngImageDataBytes(const Bytes& b) {
    uint64_t total = 0;
    for (uint64_t at = 8; b.Has(at, 8);) {
        const uint64_t length = b.U32BigEndian(at);
        const uint8_t* type = b.data + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0) total += std::min<uint64_t>(length, b.size - at - 8);
        if (std::memcmp(type, "IEND", 4) == 0) break;
        at += 12 + length;
    }
    return total;
}

// Deflate gives at most 1032 bytes for one: two bits for a match of 258 bytes.
constexpr uint64_t kDeflateRatio = 1032;

bool DecodePng(const Bytes& b, DecodedImage* out, std::string* error) {
    // Sized before libpng starts; a header this cannot read, libpng names what is wrong with.
    ImageFileInfo header;
    if (ParsePngHeader(b, &header)) {
        const uint64_t width = header.width, height = header.height;
        if (!WithinBudget(b, width, height)) return Fail(error, "PNG: " + OverBudgetText(b, width, height));
        // However interlaced and filtered, the rows hold at least every pixel's bits.
        if ((width * height * header.depth + 7) / 8 > kDeflateRatio * (PngImageDataBytes(b) + 1))
            return Fail(error, "PNG: too little image data for " + SizeText(width, height));
    }
    PngJob job;
    job.input = b;
    if (!RunPngDecode(&job)) return Fail(error, std::string("PNG: ") + job.message);
    *out = std::move(job.image);
    return true;
}

bool RunPngWrite(PngJob* job) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, job, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const DecodedImage& image = *job->source;
    png_init_io(png, job->file);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);  // the pixels lie in memory as B, G, R, A
    if (!AllocateRows(job, image.height)) png_error(png, "out of memory");
    for (uint32_t y = 0; y < image.height; ++y)
        job->rows[y] = reinterpret_cast<png_bytep>(const_cast<uint32_t*>(&image.pixels[size_t(y) * image.width]));
    png_write_image(png, job->rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// --- JPEG ---------------------------------------------------------------------------

struct JpegJob {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    DecodedImage image;
};

[[noreturn]] void JpegFail(j_common_ptr cinfo) {
    JpegJob* job = static_cast<JpegJob*>(cinfo->client_data);
    (*cinfo->err->format_message)(cinfo, job->message);
    std::longjmp(job->jump, 1);
}

// Every scan of a progressive file is a pass over the whole picture, and one may take a few
// bytes: thousands of them would keep the decoder busy for minutes. Encoders write about ten.
constexpr int kMaxJpegScans = 500;

void JpegProgress(j_common_ptr cinfo) {
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= kMaxJpegScans) return;
    JpegJob* job = static_cast<JpegJob*>(cinfo->client_data);
    std::snprintf(job->message, sizeof job->message, "more than %d scans", kMaxJpegScans);
    std::longjmp(job->jump, 1);
}

void JpegErrorExit(j_common_ptr cinfo) { JpegFail(cinfo); }

// libjpeg only warns about corrupt or missing data and goes on with grey filler; such a
// picture is damaged, so those warnings fail the decode. Other warnings are harmless.
void JpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    switch (cinfo->err->msg_code) {
        case JWRN_BOGUS_PROGRESSION:
        case JWRN_EXTRANEOUS_DATA:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_JPEG_EOF:
        case JWRN_MUST_RESYNC: JpegFail(cinfo);
        default: break;
    }
}

void JpegOutputMessage(j_common_ptr) {}

// Reads the header from `file` or from `b`; decodes the pixels too unless `headerOnly`.
// Runs under setjmp like RunPngDecode: all that outlives a longjmp is in `job`.
bool RunJpeg(JpegJob* job, const Bytes& b, FILE* file, bool headerOnly, ImageFileInfo* info) {
    jpeg_decompress_struct* cinfo = &job->cinfo;
    cinfo->err = jpeg_std_error(&job->errors);
    job->errors.error_exit = JpegErrorExit;
    job->errors.emit_message = JpegEmitMessage;
    job->errors.output_message = JpegOutputMessage;
    if (setjmp(job->jump)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    cinfo->client_data = job;  // kept by jpeg_create_decompress
    jpeg_create_decompress(cinfo);
    if (file)
        jpeg_stdio_src(cinfo, file);
    else
        jpeg_mem_src(cinfo, b.data, static_cast<unsigned long>(b.size));
    jpeg_read_header(cinfo, TRUE);
    const uint32_t width = cinfo->image_width, height = cinfo->image_height;
    const char* refusal = nullptr;
    if (!SizeOk(width, height))
        refusal = "unsupported size";
    else if (cinfo->jpeg_color_space == JCS_GRAYSCALE)
        cinfo->out_color_space = JCS_GRAYSCALE;
    else if (cinfo->jpeg_color_space == JCS_YCbCr || cinfo->jpeg_color_space == JCS_RGB)
        cinfo->out_color_space = JCS_RGB;
    else if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK)
        cinfo->out_color_space = JCS_CMYK;  // libjpeg turns YCCK back into CMYK
    else
        refusal = "unsupported colour space";
    if (refusal || headerOnly) {
        if (refusal) std::snprintf(job->message, sizeof job->message, "%s", refusal);
        if (info) *info = {width, height, 8u * cinfo->num_components, ImageFileFormat::Jpeg};
        jpeg_destroy_decompress(cinfo);
        return !refusal;
    }
    // JPEG's compression has no useful bound (a progressive scan skips 32767 blocks in a few
    // bits), so the budget alone decides. It also bounds what libjpeg takes for itself: its
    // largest need, the coefficients of a progressive file, is at most 6 bytes a pixel.
    if (!WithinBudget(b, width, height)) {
        std::snprintf(job->message, sizeof job->message, "%s", OverBudgetText(b, width, height).c_str());
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    job->progress.progress_monitor = JpegProgress;
    cinfo->progress = &job->progress;
    jpeg_start_decompress(cinfo);
    // Rows are added as they are decoded, so a file cut short fails having touched little.
    try {
        job->image.pixels.reserve(size_t(width) * height);
    } catch (const std::bad_alloc&) {
        std::snprintf(job->message, sizeof job->message, "out of memory");
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    job->image.width = width;
    job->image.height = height;
    const int components = cinfo->output_components;
    // Photoshop, and every tool since, stores CMYK inverted (0 = full ink) and marks such files
    // with an Adobe segment; without one the values are ink amounts.
    const bool inverted = cinfo->saw_Adobe_marker;
    auto cmyk = [inverted](const JSAMPLE* p) {
        auto left = [inverted](uint32_t v) { return inverted ? v : 255 - v; };  // the paper not inked
        const uint32_t k = left(p[3]);
        auto channel = [&](uint32_t v) { return (left(v) * k + 127) / 255; };
        return Argb(255, channel(p[0]), channel(p[1]), channel(p[2]));
    };
    JSAMPARRAY line =
        (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, width * components, 1);
    while (cinfo->output_scanline < height) {
        jpeg_read_scanlines(cinfo, line, 1);
        const size_t at = job->image.pixels.size();
        job->image.pixels.resize(at + width);  // within the reserve
        uint32_t* dest = &job->image.pixels[at];
        const JSAMPLE* p = line[0];
        for (uint32_t x = 0; x < width; ++x, p += components)
            dest[x] = components == 1   ? Argb(255, p[0], p[0], p[0])
                      : components == 4 ? cmyk(p)
                                        : Argb(255, p[0], p[1], p[2]);
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return true;
}

bool DecodeJpeg(const Bytes& b, DecodedImage* out, std::string* error) {
    std::unique_ptr<JpegJob> job(new (std::nothrow) JpegJob());
    if (!job) return Fail(error, "JPEG: out of memory");
    if (!RunJpeg(job.get(), b, nullptr, false, nullptr)) return Fail(error, std::string("JPEG: ") + job->message);
    *out = std::move(job->image);
    return true;
}

// --- Detection and files ------------------------------------------------------------

bool NamedTga(const std::string& path) {
    return path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".tga") == 0;
}

ImageFileFormat Detect(const Bytes& b, bool namedTga) {
    if (b.Has(0, 8) && std::memcmp(b.data, kPngSignature, 8) == 0) return ImageFileFormat::Png;
    if (b.Has(0, 3) && b.U8(0) == 0xFF && b.U8(1) == 0xD8 && b.U8(2) == 0xFF) return ImageFileFormat::Jpeg;
    if (b.Has(0, 2) && b.U8(0) == 'B' && b.U8(1) == 'M') return ImageFileFormat::Bmp;
    if (vlm_platform::IsDds(b)) return ImageFileFormat::Dds;
    // A file named .tga is read as TGA, so that a damaged header is reported as such.
    TgaHeader tga;
    if (namedTga || ParseTgaHeader(b, &tga, nullptr)) return ImageFileFormat::Tga;
    return ImageFileFormat::Unknown;
}

// Level 0, or with `allLevels` every level the file holds.
bool DecodeLevels(const Bytes& b, bool namedTga, bool allLevels, std::vector<DecodedImage>* out, std::string* error) {
    std::vector<DecodedImage> levels(1);
    bool ok;
    switch (Detect(b, namedTga)) {
        case ImageFileFormat::Png: ok = DecodePng(b, &levels[0], error); break;
        case ImageFileFormat::Jpeg: ok = DecodeJpeg(b, &levels[0], error); break;
        case ImageFileFormat::Bmp: ok = DecodeBmp(b, &levels[0], error); break;
        case ImageFileFormat::Tga: ok = DecodeTga(b, &levels[0], error); break;
        case ImageFileFormat::Dds: ok = vlm_platform::DecodeDds(b, allLevels, &levels, error); break;
        default: return Fail(error, "unknown image format");
    }
    if (ok && out) *out = std::move(levels);
    return ok;
}

bool Decode(const Bytes& b, bool namedTga, DecodedImage* out, std::string* error) {
    std::vector<DecodedImage> levels;
    if (!DecodeLevels(b, namedTga, false, &levels, error)) return false;
    if (out) *out = std::move(levels[0]);
    return true;
}

struct FileCloser {
    void operator()(FILE* fp) const { std::fclose(fp); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

}  // namespace

bool ReadImageFileInfo(const std::string& path, ImageFileInfo* info) {
    if (!info) return false;
    FilePtr fp(OpenFileA(path.c_str(), "rb"));
    if (!fp) return false;
    uint8_t head[256];  // enough for every fixed header and the BMP bit fields
    const Bytes b{head, std::fread(head, 1, sizeof head, fp.get())};
    switch (Detect(b, NamedTga(path))) {
        case ImageFileFormat::Png: return ParsePngHeader(b, info);
        case ImageFileFormat::Jpeg: {
            std::unique_ptr<JpegJob> job(new (std::nothrow) JpegJob());
            return job && std::fseek(fp.get(), 0, SEEK_SET) == 0 && RunJpeg(job.get(), b, fp.get(), true, info);
        }
        case ImageFileFormat::Bmp: {
            BmpHeader h;
            if (!ParseBmpHeader(b, &h, nullptr)) return false;
            *info = {h.width, h.height, h.bitCount, ImageFileFormat::Bmp};
            return true;
        }
        case ImageFileFormat::Tga: {
            TgaHeader h;
            if (!ParseTgaHeader(b, &h, nullptr)) return false;
            *info = {h.width, h.height, h.depth, ImageFileFormat::Tga};
            return true;
        }
        case ImageFileFormat::Dds: return vlm_platform::ParseDdsHeader(b, info, nullptr);
        default: return false;
    }
}

namespace {

// The whole file; false with a message when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* data, std::string* error) {
    FilePtr fp(OpenFileA(path.c_str(), "rb"));
    if (!fp) return Fail(error, "cannot open file");
    long size = -1;
    if (std::fseek(fp.get(), 0, SEEK_END) == 0) size = std::ftell(fp.get());
    if (size < 0 || std::fseek(fp.get(), 0, SEEK_SET) != 0) return Fail(error, "cannot read file");
    if (uint64_t(size) > kMaxFileSize) return Fail(error, "file too large");
    try {
        data->resize(size_t(size));
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory");
    }
    if (std::fread(data->data(), 1, data->size(), fp.get()) != data->size()) return Fail(error, "cannot read file");
    return true;
}

}  // namespace

bool DecodeImageFile(const std::string& path, DecodedImage* out, std::string* error) {
    std::vector<uint8_t> data;
    return ReadWholeFile(path, &data, error) && Decode(Bytes{data.data(), data.size()}, NamedTga(path), out, error);
}

bool DecodeImageFileLevels(const std::string& path, std::vector<DecodedImage>* levels, std::string* error) {
    std::vector<uint8_t> data;
    return ReadWholeFile(path, &data, error) &&
           DecodeLevels(Bytes{data.data(), data.size()}, NamedTga(path), true, levels, error);
}

bool DecodeImageMemory(const void* data, size_t size, DecodedImage* out, std::string* error) {
    if (!data) return Fail(error, "no data");
    return Decode(Bytes{static_cast<const uint8_t*>(data), size}, false, out, error);
}

bool WritePngFile(const std::string& path, const DecodedImage& image) {
    if (!SizeOk(image.width, image.height) || image.pixels.size() != size_t(image.width) * image.height) return false;
    const std::string resolved = ResolveFilePath(path.c_str());
    PngJob job;
    job.source = &image;
    job.file = resolved.empty() ? nullptr : std::fopen(resolved.c_str(), "wb");
    if (!job.file) return false;
    bool ok = RunPngWrite(&job);
    ok = std::fclose(job.file) == 0 && ok;
    if (!ok) std::remove(resolved.c_str());
    return ok;
}

bool WriteBmpFile(const std::string& path, uint32_t width, uint32_t height, const uint32_t* pixels,
                  size_t pitchPixels) {
    if (!pixels || width == 0 || height == 0 || pitchPixels < width) return false;
    const uint64_t imageBytes = uint64_t(width) * height * 4, fileBytes = 54 + imageBytes;
    if (fileBytes > 0xFFFFFFFFu || height > 0x7FFFFFFFu || width > 0x7FFFFFFFu) return false;
    uint8_t header[54] = {'B', 'M'};
    auto put = [&header](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = uint8_t(v >> (8 * i));
    };
    put(2, uint32_t(fileBytes));
    put(10, 54);  // pixel data offset
    put(14, 40);  // BITMAPINFOHEADER
    put(18, width);
    put(22, height);        // positive: bottom-up
    put(26, 1 | 32 << 16);  // one plane, 32 bits
    put(30, BI_RGB);
    put(34, uint32_t(imageBytes));
    put(38, 2835);  // 72 dots per inch
    put(42, 2835);

    const std::string resolved = ResolveFilePath(path.c_str());
    FILE* fp = resolved.empty() ? nullptr : std::fopen(resolved.c_str(), "wb");
    if (!fp) return false;
    bool ok = std::fwrite(header, 1, sizeof header, fp) == sizeof header;
    std::vector<uint8_t> row(size_t(width) * 4);
    for (uint32_t y = height; ok && y-- > 0;) {
        const uint32_t* source = pixels + y * pitchPixels;
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t p = source[x] | 0xFF000000;
            std::memcpy(&row[size_t(x) * 4], &p, 4);
        }
        ok = std::fwrite(row.data(), 1, row.size(), fp) == row.size();
    }
    ok = std::fclose(fp) == 0 && ok;
    if (!ok) std::remove(resolved.c_str());
    return ok;
}

}  // namespace velmora
