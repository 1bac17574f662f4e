// What every variant of the device benchmark draws: N quads of 32 x 32 pixels of one 32 x 32
// ARGB texture, scattered over an 800 x 600 back buffer and moved a little each frame.
#pragma once

#include <cstdint>
#include <vector>

namespace DeviceBench {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kQuad = 32;
constexpr int kTexture = 32;

struct QuadPlace {
    float x, y;      // top-left corner, back-buffer pixels (y down)
    uint32_t color;  // 0xAARRGGBB, multiplies the texture
};

// Two coprime strides scatter the quads over the whole buffer; the frame number slides them.
inline QuadPlace PlaceOf(int quad, int frame) {
    int x = (quad * 211 + frame * 3) % (kWidth - kQuad);
    int y = (quad * 157 + frame * 2) % (kHeight - kQuad);
    uint32_t tint = static_cast<uint32_t>(quad) * 0x2F1B47u;
    return {static_cast<float>(x), static_cast<float>(y), 0xFF808080u | (tint & 0x7F7F7F)};
}

// The texture's pixels, top row first, as A8R8G8B8 values: a colour gradient with a
// half-transparent border, so that blending does real work.
inline std::vector<uint32_t> TexturePixels() {
    std::vector<uint32_t> pixels(kTexture * kTexture);
    for (int y = 0; y < kTexture; ++y)
        for (int x = 0; x < kTexture; ++x) {
            bool border = x < 4 || y < 4 || x >= kTexture - 4 || y >= kTexture - 4;
            uint32_t a = border ? 0x80 : 0xFF;
            uint32_t r = static_cast<uint32_t>(x * 8), g = static_cast<uint32_t>(y * 8), b = 255u - r / 2;
            pixels[y * kTexture + x] = a << 24 | r << 16 | g << 8 | b;
        }
    return pixels;
}

}  // namespace DeviceBench
