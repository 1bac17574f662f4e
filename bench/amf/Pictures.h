// The pictures of the AMF benchmark, drawn procedurally as 0xAARRGGBB values, top row first.
// Sprite-like art: flat colours and hard edges on a fully transparent ground, frame by frame
// of a small animation. Photo-like: smooth gradients with fine noise, every pixel different.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace AmfBench {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

namespace detail {

inline void FillEllipse(Picture* p, float cx, float cy, float rx, float ry, uint32_t color) {
    for (int y = 0; y < p->height; ++y)
        for (int x = 0; x < p->width; ++x) {
            const float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
            if (dx * dx + dy * dy <= 1.0f) p->pixels[static_cast<size_t>(y) * p->width + x] = color;
        }
}

inline void FillRect(Picture* p, int x0, int y0, int x1, int y1, uint32_t color) {
    for (int y = std::max(y0, 0); y < std::min(y1, p->height); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, p->width); ++x)
            p->pixels[static_cast<size_t>(y) * p->width + x] = color;
}

}  // namespace detail

// A walking figure: an outlined body with a lighter flank, a head, eyes, two legs that swing
// with the frame, and a half-transparent shadow. About two thirds of the square stays clear.
inline Picture SpriteFrame(int side, int frame) {
    using detail::FillEllipse;
    using detail::FillRect;
    Picture p{side, side, std::vector<uint32_t>(static_cast<size_t>(side) * side, 0)};
    const float s = side / 64.0f;  // drawn on a 64-unit grid
    const float swing = std::sin(frame * 0.8f) * 6.0f * s;
    FillEllipse(&p, 32 * s, 58 * s, 16 * s, 4 * s, 0x60000000);  // shadow
    FillRect(&p, static_cast<int>(24 * s + swing), static_cast<int>(42 * s), static_cast<int>(30 * s + swing),
             static_cast<int>(58 * s), 0xFF303848);  // legs
    FillRect(&p, static_cast<int>(34 * s - swing), static_cast<int>(42 * s), static_cast<int>(40 * s - swing),
             static_cast<int>(58 * s), 0xFF303848);
    FillEllipse(&p, 32 * s, 34 * s, 14 * s, 13 * s, 0xFF182030);      // body outline
    FillEllipse(&p, 32 * s, 34 * s, 12 * s, 11 * s, 0xFF3C7AC8);      // body
    FillEllipse(&p, 28 * s, 31 * s, 7 * s, 6 * s, 0xFF6FA8E8);        // lit flank
    FillEllipse(&p, 32 * s, 16 * s, 10 * s, 10 * s, 0xFF182030);      // head outline
    FillEllipse(&p, 32 * s, 16 * s, 8.5f * s, 8.5f * s, 0xFFF0C8A0);  // head
    FillRect(&p, static_cast<int>(27 * s), static_cast<int>(14 * s), static_cast<int>(30 * s), static_cast<int>(18 * s),
             0xFF101010);  // eyes
    FillRect(&p, static_cast<int>(34 * s), static_cast<int>(14 * s), static_cast<int>(37 * s), static_cast<int>(18 * s),
             0xFF101010);
    return p;
}

// Gradients across the square with a little noise on every channel, like a photograph's
// sky and ground: opaque, and no two neighbours alike.
inline Picture PhotoFrame(int side, int frame) {
    Picture p{side, side, std::vector<uint32_t>(static_cast<size_t>(side) * side)};
    uint32_t seed = 12345u + static_cast<uint32_t>(frame) * 7919u;
    auto noise = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>(seed >> 16 & 15) - 8;
    };
    auto channel = [](int v) { return static_cast<uint32_t>(std::min(255, std::max(0, v))); };
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const float u = static_cast<float>(x) / side, v = static_cast<float>(y) / side;
            const int r = static_cast<int>(90 + 120 * u + 30 * std::sin(6.0f * v + frame));
            const int g = static_cast<int>(140 + 80 * v * u);
            const int b = static_cast<int>(220 - 150 * v + 20 * std::cos(5.0f * u));
            p.pixels[static_cast<size_t>(y) * side + x] =
                0xFF000000u | channel(r + noise()) << 16 | channel(g + noise()) << 8 | channel(b + noise());
        }
    return p;
}

}  // namespace AmfBench
