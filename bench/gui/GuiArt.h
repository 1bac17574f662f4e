// bench_gui's art: AMF files of whole pictures written for the screens, and the nine-cell skin
// drawn directly as an expanded window draws it.
#pragma once

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include <velmora/Velmora.h>

namespace GuiBench {

// The SimSun face in code page 936, the GUI's default.
constexpr char kFace[] = "\xCB\xCE\xCC\xE5";

// An AMF file of whole pictures, each stored as one literal run.
inline bool WriteArt(const char* path, const std::vector<std::vector<DWORD>>& pictures,
                     const std::vector<std::pair<int, int>>& sizes) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    int width = 0, height = 0;
    for (const auto& s : sizes) width = std::max(width, s.first), height = std::max(height, s.second);
    DWORD offset = DWORD(24 + 16 * pictures.size());
    const DWORD header[6] = {CAniFile::AMF_MAGIC,
                             DWORD(width),
                             DWORD(height),
                             DWORD(pictures.size()) | 100u << 16,
                             DWORD(AMF_VARIABLE) | DWORD(CAniFile::AMF_VERSION) << 16,
                             0};
    std::fwrite(header, 4, 6, file);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const DWORD bytes = DWORD(4 + pictures[i].size() * 4);
        const DWORD entry[4] = {offset, bytes, DWORD(sizes[i].first), DWORD(sizes[i].second)};
        std::fwrite(entry, 4, 4, file);
        offset += bytes;
    }
    for (const auto& p : pictures) {
        const DWORD count = DWORD(p.size());
        std::fwrite(&count, 4, 1, file);
        std::fwrite(p.data(), 4, p.size(), file);
    }
    return std::fclose(file) == 0;
}

inline std::vector<DWORD> Paint(int w, int h, DWORD (*paint)(int, int)) {
    std::vector<DWORD> p;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.push_back(paint(x, y));
    return p;
}

// The 96 x 96 window skin both screens use.
inline std::vector<DWORD> Skin() {
    return Paint(96, 96, [](int x, int y) {
        const bool border = x < 3 || y < 3 || x >= 93 || y >= 93;
        return border ? 0xFFC0C8D0 : DWORD(0xE0203040 + (x / 32) * 0x101010 + (y / 32) * 0x080808);
    });
}

// The nine-cell skin stretched, as an expanded window draws it.
inline void DrawSkin(CGraphics* g, DWORD skin, int X, int Y, int W, int H, DWORD tint) {
    const DWORD white = 0xFFFFFFFF;
    auto cell = [](int c, int r) { return RECT{c * 32, r * 32, c * 32 + 32, r * 32 + 32}; };
    auto stretch = [&](int x, int y, int w, int h, RECT src, DWORD color) {
        RECT dst{x, y, x + w, y + h};
        g->RenderSprite(skin, &dst, &src, color);
    };
    g->BeginSprite();
    RECT c = cell(0, 0);
    g->RenderSprite(skin, X, Y, &c, white);
    c = cell(2, 0);
    g->RenderSprite(skin, X + W - 32, Y, &c, white);
    c = cell(0, 2);
    g->RenderSprite(skin, X, Y + H - 32, &c, white);
    c = cell(2, 2);
    g->RenderSprite(skin, X + W - 32, Y + H - 32, &c, white);
    stretch(X + 32, Y, W - 64, 32, cell(1, 0), white);
    stretch(X + 32, Y + H - 32, W - 64, 32, cell(1, 2), white);
    stretch(X, Y + 32, 32, H - 64, cell(0, 1), white);
    stretch(X + W - 32, Y + 32, 32, H - 64, cell(2, 1), white);
    stretch(X + 32, Y + 32, W - 64, H - 64, cell(1, 1), tint);
    g->EndSprite();
}

// Where group g's window stands: twenty windows fill the screen, then they start over.
struct Placed {
    int x, y;
};
inline Placed GroupPosition(int g) { return {10 + (g % 4) * 195, 10 + (g / 4 % 5) * 118}; }

// A screen's floor: the same pictures drawn directly, call for call.
class DirectDraw {
public:
    virtual ~DirectDraw() = default;
    virtual void Draw() = 0;
};

}  // namespace GuiBench
