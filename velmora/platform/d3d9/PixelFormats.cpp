// Texel sizes of the texture formats, and conversion of texels to and from 32-bit ARGB.
#include <velmora/platform/d3d9/detail/PixelFormats.h>

#include <cstring>

namespace vlm_platform {

namespace {

// Widens an n-bit channel to 8 bits by repeating its high bits.
uint32_t Widen(uint32_t v, int bits) {
    v <<= (8 - bits);
    return v | (v >> bits);
}

// Rounds an 8-bit channel to the nearest of the `bits`-bit levels.
uint32_t Round(uint32_t v, int bits) { return (v * ((1u << bits) - 1) + 127) / 255; }

}  // namespace

UINT TexelBytes(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: return 4;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4: return 2;
        default: return 0;
    }
}

uint32_t ReadTexel(D3DFORMAT format, const void* row, UINT x) {
    if (TexelBytes(format) == 4) {
        uint32_t v;
        std::memcpy(&v, static_cast<const uint8_t*>(row) + x * 4, 4);
        return format == D3DFMT_X8R8G8B8 ? (v | 0xFF000000u) : v;
    }
    uint16_t v;
    std::memcpy(&v, static_cast<const uint8_t*>(row) + x * 2, 2);
    uint32_t a = 0xFF, r = 0, g = 0, b = 0;
    switch (format) {
        case D3DFMT_R5G6B5: r = Widen(v >> 11, 5), g = Widen((v >> 5) & 0x3F, 6), b = Widen(v & 0x1F, 5); break;
        case D3DFMT_A4R4G4B4:
            a = Widen(v >> 12, 4), r = Widen((v >> 8) & 0xF, 4), g = Widen((v >> 4) & 0xF, 4), b = Widen(v & 0xF, 4);
            break;
        default:  // 1-5-5-5
            if (format == D3DFMT_A1R5G5B5) a = (v & 0x8000) ? 0xFF : 0;
            r = Widen((v >> 10) & 0x1F, 5), g = Widen((v >> 5) & 0x1F, 5), b = Widen(v & 0x1F, 5);
            break;
    }
    return a << 24 | r << 16 | g << 8 | b;
}

void ReadA4R4G4B4Row(const void* row, UINT width, uint32_t* out) {
    const uint8_t* bytes = static_cast<const uint8_t*>(row);
    for (UINT x = 0; x < width; ++x) {
        uint16_t v;
        std::memcpy(&v, bytes + size_t(x) * 2, 2);
        // Each nibble to the low half of its own byte, then n * 17: Widen's 4-bit case for
        // all four channels in one multiplication.
        const uint32_t spread = (v & 0xFu) | ((v & 0xF0u) << 4) | ((v & 0xF00u) << 8) | ((v & 0xF000u) << 12);
        out[x] = spread * 17;
    }
}

namespace {

// The alpha bits of the texels that one 64-bit word holds; 0 for formats without alpha.
uint64_t AlphaMask(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8: return 0xFF000000FF000000ull;
        case D3DFMT_A4R4G4B4: return 0xF000F000F000F000ull;
        case D3DFMT_A1R5G5B5: return 0x8000800080008000ull;
        default: return 0;
    }
}

}  // namespace

bool RowOpaque(D3DFORMAT format, const void* row, UINT width) {
    const uint64_t mask = AlphaMask(format);
    if (!mask) return true;
    const uint8_t* bytes = static_cast<const uint8_t*>(row);
    const size_t size = size_t(width) * TexelBytes(format);
    size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        uint64_t v;
        std::memcpy(&v, bytes + at, 8);
        if ((v & mask) != mask) return false;
    }
    uint64_t v = 0;
    std::memcpy(&v, bytes + at, size - at);
    const uint64_t tail = mask & ((uint64_t{1} << (8 * (size - at))) - 1);  // size - at < 8
    return (v & tail) == tail;
}

void RowInk(D3DFORMAT format, const void* row, UINT width, UINT* begin, UINT* end) {
    const uint64_t mask = AlphaMask(format);
    if (!mask) {
        *begin = 0, *end = width;
        return;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(row);
    const UINT texelBytes = TexelBytes(format), perWord = 8 / texelBytes;
    const uint64_t texelMask = mask & ((uint64_t{1} << (8 * texelBytes)) - 1);
    auto texelHasAlpha = [&](UINT x) {
        uint64_t v = 0;
        std::memcpy(&v, bytes + size_t(x) * texelBytes, texelBytes);
        return (v & texelMask) != 0;
    };
    // Whole words from each end until one holds alpha, then its texels one by one.
    const UINT words = width / perWord;
    auto wordHasAlpha = [&](UINT w) {
        uint64_t v;
        std::memcpy(&v, bytes + size_t(w) * 8, 8);
        return (v & mask) != 0;
    };
    UINT first = 0;
    while (first < words && !wordHasAlpha(first)) ++first;
    UINT x = first * perWord;
    while (x < width && !texelHasAlpha(x)) ++x;
    if (x == width) {
        *begin = *end = 0;
        return;
    }
    *begin = x;
    UINT last = width;  // one past the last texel with alpha
    while (last > words * perWord && !texelHasAlpha(last - 1)) --last;
    if (last == words * perWord) {
        UINT w = words;
        while (w > 0 && !wordHasAlpha(w - 1)) --w;
        last = w * perWord;
        while (!texelHasAlpha(last - 1)) --last;
    }
    *end = last;
}

void WriteTexel(D3DFORMAT format, void* row, UINT x, uint32_t argb) {
    if (TexelBytes(format) == 4) {
        std::memcpy(static_cast<uint8_t*>(row) + x * 4, &argb, 4);
        return;
    }
    uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    uint16_t v = 0;
    switch (format) {
        case D3DFMT_R5G6B5: v = static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); break;
        case D3DFMT_A4R4G4B4:
            v = static_cast<uint16_t>((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4));
            break;
        default: v = static_cast<uint16_t>((a >= 0x80 ? 0x8000 : 0) | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); break;
    }
    std::memcpy(static_cast<uint8_t*>(row) + x * 2, &v, 2);
}

void WriteRoundedTexel(D3DFORMAT format, void* row, UINT x, uint32_t argb) {
    if (TexelBytes(format) == 4) {
        std::memcpy(static_cast<uint8_t*>(row) + x * 4, &argb, 4);
        return;
    }
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    uint16_t v = 0;
    switch (format) {
        case D3DFMT_R5G6B5: v = static_cast<uint16_t>(Round(r, 5) << 11 | Round(g, 6) << 5 | Round(b, 5)); break;
        case D3DFMT_A4R4G4B4:
            v = static_cast<uint16_t>(Round(a, 4) << 12 | Round(r, 4) << 8 | Round(g, 4) << 4 | Round(b, 4));
            break;
        default:
            v = static_cast<uint16_t>(Round(a, 1) << 15 | Round(r, 5) << 10 | Round(g, 5) << 5 | Round(b, 5));
            break;
    }
    std::memcpy(static_cast<uint8_t*>(row) + x * 2, &v, 2);
}

}  // namespace vlm_platform
