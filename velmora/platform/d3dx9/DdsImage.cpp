// D3DX 9 stand-in: DDS files. The header says how each level's bytes are laid out; the
// DXT block decoders follow the fixed block formats (a 4 x 4 block of two 5:6:5 colours and
// 2-bit indices, with 4-bit explicit alpha or two 8-bit alphas and 3-bit indices before it).
#include <velmora/platform/d3dx9/detail/DdsImage.h>

#include <algorithm>

#include <velmora/platform/d3d9/D3D9Types.h>

namespace vlm_platform {
namespace {

constexpr uint32_t kHeaderBytes = 128;  // the magic "DDS " and the 124-byte header
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1, DDPF_ALPHA = 0x2, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40,
                   DDPF_LUMINANCE = 0x20000;
constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200, DDSCAPS2_VOLUME = 0x200000;

constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

enum class Layout { Masks, Dxt1, Dxt3, Dxt5 };

struct DdsHeader {
    uint32_t width, height, levels;
    Layout layout;
    uint32_t bits;      // per pixel, for Masks
    uint32_t masks[4];  // red, green, blue, alpha
    bool luminance;     // the red mask is the grey level
    uint32_t format;    // the D3DFORMAT the file stores
};

// The D3DFORMAT of an uncompressed layout, or D3DFMT_UNKNOWN for one Direct3D 9 has no name for.
uint32_t FormatOfMasks(uint32_t bits, const uint32_t m[4], bool luminance) {
    struct Known {
        uint32_t bits, r, g, b, a;
        bool luminance;
        D3DFORMAT format;
    };
    static const Known known[] = {
        {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, false, D3DFMT_A8R8G8B8},
        {32, 0xFF0000, 0xFF00, 0xFF, 0, false, D3DFMT_X8R8G8B8},
        {32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, false, D3DFMT_A8B8G8R8},
        {32, 0xFF, 0xFF00, 0xFF0000, 0, false, D3DFMT_X8B8G8R8},
        {24, 0xFF0000, 0xFF00, 0xFF, 0, false, D3DFMT_R8G8B8},
        {16, 0xF800, 0x7E0, 0x1F, 0, false, D3DFMT_R5G6B5},
        {16, 0x7C00, 0x3E0, 0x1F, 0x8000, false, D3DFMT_A1R5G5B5},
        {16, 0x7C00, 0x3E0, 0x1F, 0, false, D3DFMT_X1R5G5B5},
        {16, 0xF00, 0xF0, 0xF, 0xF000, false, D3DFMT_A4R4G4B4},
        {8, 0xFF, 0, 0, 0, true, D3DFMT_L8},
        {16, 0xFF, 0, 0, 0xFF00, true, D3DFMT_A8L8},
        {8, 0, 0, 0, 0xFF, false, D3DFMT_A8},
    };
    for (const Known& k : known)
        if (k.bits == bits && k.r == m[0] && k.g == m[1] && k.b == m[2] && k.a == m[3] && k.luminance == luminance)
            return k.format;
    return D3DFMT_UNKNOWN;
}

bool ReadHeader(const Bytes& b, DdsHeader* h, std::string* error) {
    if (!b.Has(0, kHeaderBytes) || !IsDds(b)) return Fail(error, "DDS: truncated header");
    if (b.U32(4) != 124 || b.U32(76) != 32) return Fail(error, "DDS: bad header size");
    h->height = b.U32(12);
    h->width = b.U32(16);
    if (!SizeOk(h->width, h->height)) return Fail(error, "DDS: unsupported size " + SizeText(h->width, h->height));
    if (b.U32(112) & (DDSCAPS2_CUBEMAP | DDSCAPS2_VOLUME))
        return Fail(error, "DDS: cube maps and volume textures are not supported");
    // A chain ends at 1 x 1; a count beyond that is damage, 0 means one level.
    uint32_t fullChain = 1;
    for (uint32_t side = std::max(h->width, h->height); side > 1; side /= 2) ++fullChain;
    const uint32_t count = (b.U32(8) & DDSD_MIPMAPCOUNT) ? b.U32(28) : 1;
    if (count > fullChain)
        return Fail(error, "DDS: " + std::to_string(count) + " mip levels for " + SizeText(h->width, h->height));
    h->levels = std::max<uint32_t>(count, 1);

    const uint32_t flags = b.U32(80);
    h->luminance = false;
    std::fill(h->masks, h->masks + 4, 0);
    if (flags & DDPF_FOURCC) {
        const uint32_t code = b.U32(84);
        h->bits = 0;
        h->format = code;
        if (code == FourCC('D', 'X', 'T', '1'))
            h->layout = Layout::Dxt1;
        else if (code == FourCC('D', 'X', 'T', '3'))
            h->layout = Layout::Dxt3;
        else if (code == FourCC('D', 'X', 'T', '5'))
            h->layout = Layout::Dxt5;
        else
            return Fail(error,
                        "DDS: unsupported compression " + std::string(reinterpret_cast<const char*>(b.data + 84), 4));
        return true;
    }
    h->layout = Layout::Masks;
    h->bits = b.U32(88);
    h->luminance = flags & DDPF_LUMINANCE;
    const bool colour = flags & (DDPF_RGB | DDPF_LUMINANCE);
    if (colour) {
        h->masks[0] = b.U32(92);
        if (!h->luminance) {
            h->masks[1] = b.U32(96);
            h->masks[2] = b.U32(100);
        }
    }
    if (flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) h->masks[3] = b.U32(104);
    if (!colour && !(flags & DDPF_ALPHA)) return Fail(error, "DDS: unsupported pixel format");
    if (h->bits != 8 && h->bits != 16 && h->bits != 24 && h->bits != 32)
        return Fail(error, "DDS: unsupported bit count " + std::to_string(h->bits));
    // Masks must lie within the pixel, or the decode would read bits that are not there.
    for (uint32_t mask : h->masks)
        if (h->bits < 32 && (mask >> h->bits) != 0) return Fail(error, "DDS: bad channel masks");
    h->format = FormatOfMasks(h->bits, h->masks, h->luminance);
    return true;
}

uint32_t LevelSide(uint32_t side, uint32_t level) { return std::max<uint32_t>(side >> level, 1); }

// The bytes a level of this layout takes.
uint64_t LevelBytes(const DdsHeader& h, uint32_t width, uint32_t height) {
    if (h.layout == Layout::Masks) return uint64_t(width) * height * (h.bits / 8);
    const uint64_t blocks = uint64_t((width + 3) / 4) * ((height + 3) / 4);
    return blocks * (h.layout == Layout::Dxt1 ? 8 : 16);
}

// The 5:6:5 colour as 8-bit channels, each widened by repeating its top bits.
void Expand565(uint32_t c, uint32_t rgb[3]) {
    const uint32_t r = c >> 11 & 31, g = c >> 5 & 63, b = c & 31;
    rgb[0] = r << 3 | r >> 2;
    rgb[1] = g << 2 | g >> 4;
    rgb[2] = b << 3 | b >> 2;
}

// The four colours of a DXT colour block. DXT1 blocks whose first colour is not greater than
// the second have three colours and transparent black; DXT3 and DXT5 blocks always have four.
void BlockPalette(const uint8_t* block, bool threeColourMode, uint32_t palette[4]) {
    const uint32_t c0 = block[0] | block[1] << 8, c1 = block[2] | block[3] << 8;
    uint32_t a[3], b[3];
    Expand565(c0, a);
    Expand565(c1, b);
    palette[0] = Argb(255, a[0], a[1], a[2]);
    palette[1] = Argb(255, b[0], b[1], b[2]);
    if (c0 > c1 || !threeColourMode) {
        auto third = [](uint32_t x, uint32_t y) { return (2 * x + y + 1) / 3; };
        palette[2] = Argb(255, third(a[0], b[0]), third(a[1], b[1]), third(a[2], b[2]));
        palette[3] = Argb(255, third(b[0], a[0]), third(b[1], a[1]), third(b[2], a[2]));
    } else {
        auto half = [](uint32_t x, uint32_t y) { return (x + y + 1) / 2; };
        palette[2] = Argb(255, half(a[0], b[0]), half(a[1], b[1]), half(a[2], b[2]));
        palette[3] = 0;
    }
}

// The 16 alphas of a block, in pixel order.
void BlockAlphas(const uint8_t* block, Layout layout, uint32_t alphas[16]) {
    if (layout == Layout::Dxt3) {
        for (int i = 0; i < 16; ++i) alphas[i] = (block[i / 2] >> (4 * (i % 2)) & 15) * 17;
        return;
    }
    const uint32_t a0 = block[0], a1 = block[1];
    uint32_t table[8] = {a0, a1};
    if (a0 > a1) {
        for (uint32_t i = 1; i < 7; ++i) table[i + 1] = ((7 - i) * a0 + i * a1 + 3) / 7;
    } else {
        for (uint32_t i = 1; i < 5; ++i) table[i + 1] = ((5 - i) * a0 + i * a1 + 2) / 5;
        table[6] = 0;
        table[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) alphas[i] = table[bits >> (3 * i) & 7];
}

void DecodeBlocks(const DdsHeader& h, const uint8_t* data, velmora::DecodedImage* image) {
    const uint32_t blockBytes = h.layout == Layout::Dxt1 ? 8 : 16;
    const uint32_t across = (image->width + 3) / 4, down = (image->height + 3) / 4;
    for (uint32_t by = 0; by < down; ++by) {
        for (uint32_t bx = 0; bx < across; ++bx) {
            const uint8_t* block = data + (size_t(by) * across + bx) * blockBytes;
            const uint8_t* colours = h.layout == Layout::Dxt1 ? block : block + 8;
            uint32_t palette[4], alphas[16];
            BlockPalette(colours, h.layout == Layout::Dxt1, palette);
            if (h.layout != Layout::Dxt1) BlockAlphas(block, h.layout, alphas);
            const uint32_t indices = colours[4] | colours[5] << 8 | colours[6] << 16 | uint32_t(colours[7]) << 24;
            // Blocks hang over the right and bottom edges of sides that are no multiple of 4.
            for (uint32_t i = 0; i < 16; ++i) {
                const uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x >= image->width || y >= image->height) continue;
                uint32_t pixel = palette[indices >> (2 * i) & 3];
                if (h.layout != Layout::Dxt1) pixel = (pixel & 0xFFFFFF) | alphas[i] << 24;
                image->pixels[size_t(y) * image->width + x] = pixel;
            }
        }
    }
}

void DecodeMasks(const DdsHeader& h, const uint8_t* data, velmora::DecodedImage* image) {
    const uint32_t bytes = h.bits / 8;
    const uint32_t* m = h.masks;
    for (size_t i = 0; i < image->pixels.size(); ++i) {
        const uint8_t* p = data + i * bytes;
        uint32_t v = 0;
        for (uint32_t k = 0; k < bytes; ++k) v |= uint32_t(p[k]) << (8 * k);
        const uint32_t alpha = Channel(v, m[3], 255);
        if (h.luminance) {
            const uint32_t grey = Channel(v, m[0], 0);
            image->pixels[i] = Argb(alpha, grey, grey, grey);
        } else {
            // A colourless layout (A8) reads black, as Direct3D 9 samples it.
            image->pixels[i] = Argb(alpha, Channel(v, m[0], 0), Channel(v, m[1], 0), Channel(v, m[2], 0));
        }
    }
}

}  // namespace

bool IsDds(const Bytes& b) { return b.Has(0, 4) && b.U32(0) == FourCC('D', 'D', 'S', ' '); }

bool ParseDdsHeader(const Bytes& b, velmora::ImageFileInfo* info, std::string* error) {
    DdsHeader h;
    if (!ReadHeader(b, &h, error)) return false;
    info->width = h.width;
    info->height = h.height;
    info->depth = h.layout == Layout::Masks ? h.bits : h.layout == Layout::Dxt1 ? 4 : 8;
    info->format = velmora::ImageFileFormat::Dds;
    info->mipLevels = h.levels;
    info->storedFormat = h.format;
    return true;
}

bool DecodeDds(const Bytes& b, bool allLevels, std::vector<velmora::DecodedImage>* levels, std::string* error) {
    DdsHeader h;
    if (!ReadHeader(b, &h, error)) return false;
    // Every level the header claims must be there; the pixels of all those decoded count.
    uint64_t dataBytes = 0, pixels = 0;
    for (uint32_t level = 0; level < h.levels; ++level) {
        const uint32_t w = LevelSide(h.width, level), ht = LevelSide(h.height, level);
        dataBytes += LevelBytes(h, w, ht);
        if (level == 0 || allLevels) pixels += uint64_t(w) * ht;
    }
    if (!b.Has(kHeaderBytes, dataBytes)) return Fail(error, "DDS: truncated pixel data");
    if (!WithinBudget(b, pixels)) return Fail(error, "DDS: " + OverBudgetText(b, h.width, h.height));
    std::vector<velmora::DecodedImage> decoded;
    uint64_t at = kHeaderBytes;
    for (uint32_t level = 0; level < (allLevels ? h.levels : 1); ++level) {
        velmora::DecodedImage image;
        const uint32_t w = LevelSide(h.width, level), ht = LevelSide(h.height, level);
        if (!Allocate(&image, w, ht)) return Fail(error, "DDS: out of memory");
        if (h.layout == Layout::Masks)
            DecodeMasks(h, b.data + at, &image);
        else
            DecodeBlocks(h, b.data + at, &image);
        at += LevelBytes(h, w, ht);
        decoded.push_back(std::move(image));
    }
    *levels = std::move(decoded);
    return true;
}

}  // namespace vlm_platform
