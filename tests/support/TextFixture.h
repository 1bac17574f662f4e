// Fixture for the text tests: a started game on the manual clock with a small back buffer,
// frames read back from the device, and the pictures GDI itself draws for a text, against
// which the drawn frames are compared pixel for pixel.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/EngineTest.h"

// The system font's face (SimSun) in code page 936.
constexpr char kSongGbk[] = "\xCB\xCE\xCC\xE5";

// Where GDI lights pixels for a text drawn at (0, 0) in a font.
struct TextMask {
    int width = 0, height = 0;
    std::vector<bool> lit;  // row after row
    bool Lit(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && lit[size_t(y * width + x)]; }
    int Count() const { return int(std::count(lit.begin(), lit.end(), true)); }
};

inline TextMask MaskOf(const std::string& text, int height = 12, int weight = FW_NORMAL) {
    TextMask mask;
    HFONT font = CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, FF_SWISS, kSongGbk);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.data(), int(text.size()), &size);
    mask.width = int(size.cx);
    mask.height = int(size.cy);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        SetTextColor(dc, 0xFFFFFF);
        SetBkColor(dc, 0);
        TextOutA(dc, 0, 0, text.data(), int(text.size()));
        const DWORD* pixels = static_cast<const DWORD*>(bits);
        for (int i = 0; i < mask.width * mask.height; ++i) mask.lit.push_back(pixels[i] != 0);
        SelectObject(dc, oldBitmap);
    }
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(font);
    return mask;
}

class TextTest : public EngineTest {
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 96;
    static constexpr DWORD kPaper = 0xFF102030;

    // A text's picture placed on the frame in a colour.
    struct Placed {
        TextMask mask;
        int x, y;
        DWORD color;
    };

protected:
    void SetUp() override {
        EngineTest::SetUp();
        VelmoraTest::ResetGraphicsConditions();
        ASSERT_NO_FATAL_FAILURE(Start());
    }
    void TearDown() override {
        game.Destroy();
        if (game.GetWndHandle()) DestroyWindow(game.GetWndHandle());
        VelmoraTest::ResetGraphicsConditions();
        EngineTest::TearDown();
    }

    void Start() {
        game.SetWindowWidth(kWidth);
        game.SetWindowHeight(kHeight);
        ASSERT_EQ(game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "text", nullptr), 1);
        ASSERT_NE(GetTextureManager(), nullptr);
        GetGraphics()->SetBKColor(kPaper);
        VelmoraTest::TakeMessageBoxes();  // no full-screen mode has this size
    }

    // The back buffer after `draw`, each pixel 0x00RRGGBB, top row first.
    std::vector<DWORD> Frame(const std::function<void()>& draw) {
        std::vector<DWORD> pixels;
        CGraphics* graphics = GetGraphics();
        if (!graphics->BeginScene()) return pixels;
        draw();
        IDirect3DSurface9* surface = nullptr;
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface)) &&
            SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            for (int y = 0; y < kHeight; ++y) {
                const DWORD* row =
                    reinterpret_cast<const DWORD*>(static_cast<const char*>(locked.pBits) + y * locked.Pitch);
                for (int x = 0; x < kWidth; ++x) pixels.push_back(row[x] & 0xFFFFFF);
            }
            surface->UnlockRect();
        }
        if (surface) surface->Release();
        graphics->EndScene();
        return pixels;
    }

    // The frame the texts should make on the paper.
    static std::vector<DWORD> Expected(const std::vector<Placed>& texts) {
        std::vector<DWORD> pixels(size_t(kWidth * kHeight), kPaper & 0xFFFFFF);
        for (const Placed& t : texts)
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    if (t.mask.Lit(x - t.x, y - t.y)) pixels[size_t(y * kWidth + x)] = t.color & 0xFFFFFF;
        return pixels;
    }

    // "" when the frames agree; otherwise how many pixels differ and the first of them.
    static std::string Diff(const std::vector<DWORD>& actual, const std::vector<DWORD>& expected) {
        if (actual.size() != expected.size()) return "frame not read";
        int count = 0;
        std::string first;
        for (size_t i = 0; i < actual.size(); ++i) {
            if (actual[i] == expected[i]) continue;
            if (!count++) {
                char text[96];
                std::snprintf(text, sizeof(text), " first at (%d, %d): %06X, expected %06X", int(i % kWidth),
                              int(i / kWidth), actual[i], expected[i]);
                first = text;
            }
        }
        return count ? std::to_string(count) + " pixels differ," + first : "";
    }

    CGameApp game;
};

// A GFont whose cache the tests can look into.
class ProbeFont : public GFont {
public:
    using GFont::BreakLines;
    using GFont::GetIdleTexture;
    using GFont::m_TextureCache;
    // The cached entry that holds the text, or null.
    CFontTexture* Find(const std::string& text) const {
        for (const auto& [handle, texture] : m_TextureCache)
            if (texture->Compare(text.c_str())) return texture;
        return nullptr;
    }
    std::vector<DWORD> Handles() const {
        std::vector<DWORD> handles;
        for (const auto& entry : m_TextureCache) handles.push_back(entry.first);
        return handles;
    }
};
