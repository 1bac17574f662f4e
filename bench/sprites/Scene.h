// What every library of the sprite benchmark draws: N sprites of 32 x 32 pixels from one
// 32 x 32 texture, scattered over an 800 x 600 window at whole-pixel places, each tinted,
// all of them moved a little every frame. Two more scenes leave the rasteriser almost
// nothing to do, to show what each draw call costs: sprites of one pixel from a 1 x 1
// texture, and 32 x 32 sprites placed wholly outside the window.
#pragma once

#include <cstdint>
#include <vector>

namespace SpriteBench {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSprite = 32;
constexpr char kTextureFile[] = "sprite.png";
constexpr char kPixelFile[] = "pixel.png";  // one opaque white pixel

enum class Shape { Sprite, Pixel, Outside };

inline const char* ShapeName(Shape shape) {
    return shape == Shape::Sprite ? "32x32" : shape == Shape::Pixel ? "1x1" : "32x32 outside";
}

struct SpritePlace {
    int x, y;        // top-left corner, window pixels (y down)
    uint32_t color;  // 0xAARRGGBB, multiplies the texture
};

// Two coprime strides scatter the sprites over the whole window; the frame number slides them.
// Sprites outside the window lie in a band right of it or below it, never touching it.
inline SpritePlace PlaceOf(int sprite, int frame, Shape shape = Shape::Sprite) {
    const int size = shape == Shape::Pixel ? 1 : kSprite;
    int x = (sprite * 211 + frame * 3) % (kWidth - size);
    int y = (sprite * 157 + frame * 2) % (kHeight - size);
    if (shape == Shape::Outside) (sprite & 1 ? x : y) += sprite & 1 ? kWidth : kHeight;
    uint32_t tint = static_cast<uint32_t>(sprite) * 0x2F1B47u;
    return {x, y, 0xFF808080u | (tint & 0x7F7F7F)};
}

// The texture as A8R8G8B8 values, top row first: a shaded ball with a soft half-transparent
// rim on a fully transparent ground, so that blending does real work.
inline std::vector<uint32_t> TexturePixels() {
    std::vector<uint32_t> pixels(kSprite * kSprite);
    for (int y = 0; y < kSprite; ++y)
        for (int x = 0; x < kSprite; ++x) {
            const int dx = 2 * x + 1 - kSprite, dy = 2 * y + 1 - kSprite;  // doubled, from the centre
            const int d2 = dx * dx + dy * dy, r2 = kSprite * kSprite;
            uint32_t a = d2 >= r2 ? 0 : d2 >= r2 * 3 / 4 ? 0x80 : 0xFF;
            uint32_t r = static_cast<uint32_t>(x * 8), g = static_cast<uint32_t>(y * 8), b = 255u - r / 2;
            pixels[y * kSprite + x] = a ? (a << 24 | r << 16 | g << 8 | b) : 0;
        }
    return pixels;
}

}  // namespace SpriteBench
