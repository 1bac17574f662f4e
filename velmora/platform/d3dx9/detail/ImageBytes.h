// What the image decoders share: a bounded view of a file's bytes, the size and budget checks
// every decoder makes before it allocates, and the ARGB packing of a pixel.
#pragma once

#include <cstdint>
#include <new>
#include <string>

#include <velmora/platform/d3dx9/ImageCodec.h>

namespace vlm_platform {

// A bounded view of the input: every access is checked with Has first.
struct Bytes {
    const uint8_t* data;
    size_t size;
    bool Has(uint64_t offset, uint64_t count) const { return offset <= size && count <= size - offset; }
    uint32_t U8(size_t at) const { return data[at]; }
    uint32_t U16(size_t at) const { return data[at] | data[at + 1] << 8; }
    uint32_t U32(size_t at) const { return U16(at) | U16(at + 2) << 16; }
    uint32_t U32BigEndian(size_t at) const {
        return uint32_t(data[at]) << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3];
    }
};

inline bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

inline bool SizeOk(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= velmora::kMaxImageSide && height <= velmora::kMaxImageSide;
}

inline std::string SizeText(uint64_t width, uint64_t height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// Whether the file `b` pays for `pixels` pixels (DecodeBudget).
inline bool WithinBudget(const Bytes& b, uint64_t pixels) { return pixels * 4 <= velmora::DecodeBudget(b.size); }
inline bool WithinBudget(const Bytes& b, uint64_t width, uint64_t height) { return WithinBudget(b, width * height); }

inline std::string OverBudgetText(const Bytes& b, uint64_t width, uint64_t height) {
    return SizeText(width, height) + " is too large for a file of " + std::to_string(b.size) + " bytes";
}

// Sizes the picture, zero-filled; false when memory is short.
inline bool Allocate(velmora::DecodedImage* image, uint32_t width, uint32_t height) {
    try {
        image->pixels.assign(size_t(width) * height, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    image->width = width;
    image->height = height;
    return true;
}

inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

// `value` of a channel whose largest value is `max`, as 0-255.
inline uint32_t Scale(uint64_t value, uint64_t max) { return uint32_t((value * 255 + max / 2) / max); }

// The channel of `pixel` under `mask`, as 0-255; `absent` when the mask is empty.
inline uint32_t Channel(uint32_t pixel, uint32_t mask, uint32_t absent) {
    if (mask == 0) return absent;
    const int shift = __builtin_ctz(mask);
    return Scale((pixel & mask) >> shift, mask >> shift);
}

}  // namespace vlm_platform
