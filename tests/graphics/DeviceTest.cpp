// The Direct3D stand-in, checked by reading pixels back from the device.
#include <iterator>
#include <set>
#include <utility>

#include "support/DeviceFixture.h"

namespace {

class DeviceTest : public DeviceFixture {};

using PixelSet = std::set<std::pair<int, int>>;

// Which pixels differ from the background.
PixelSet Lit(const std::vector<DWORD>& pixels, DWORD background) {
    PixelSet lit;
    for (int y = 0; y < DeviceFixture::kHeight; ++y)
        for (int x = 0; x < DeviceFixture::kWidth; ++x)
            if ((pixels[y * DeviceFixture::kWidth + x] & 0xFFFFFF) != background) lit.insert({x, y});
    return lit;
}

TEST_F(DeviceTest, ClearFillsTheBackBuffer) {
    ClearTo(0xFF123456);
    auto pixels = ReadBack();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth * kHeight));
    for (DWORD p : pixels) ASSERT_EQ(p, 0xFF123456u);
}

TEST_F(DeviceTest, TextureDrawnOneToOneLandsTexelForTexel) {
    for (D3DMULTISAMPLE_TYPE samples : {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_4_SAMPLES}) {
        CreateDevice(samples, true);
        IDirect3DTexture9* texture = MakeGradientTexture(16, 8);
        ASSERT_NE(texture, nullptr);
        ClearTo(0xFF000000);
        device->SetTexture(0, texture);
        DrawQuad(5, 7, 21, 15, 0xFFFFFFFF);
        auto pixels = ReadBack();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) ASSERT_EQ(At(pixels, 5 + x, 7 + y), GradientTexel(x, y)) << x << "," << y;
        EXPECT_EQ(At(pixels, 4, 7), 0u);
        EXPECT_EQ(At(pixels, 21, 7), 0u);
        EXPECT_EQ(At(pixels, 5, 15), 0u);
        device->SetTexture(0, nullptr);
        texture->Release();
    }
}

TEST_F(DeviceTest, PointsAndLinesLightTheExpectedPixels) {
    device->SetTexture(0, nullptr);
    struct Case {
        const char* name;
        D3DPRIMITIVETYPE type;
        std::vector<std::pair<float, float>> vertices;
        UINT primitives;
        PixelSet expected;
    };
    auto run = [](int x0, int y0, int x1, int y1) {
        PixelSet s;
        int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= steps; ++i) s.insert({x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps});
        return s;
    };
    PixelSet outline;
    for (auto& p : run(10, 10, 20, 10)) outline.insert(p);
    for (auto& p : run(20, 10, 20, 20)) outline.insert(p);
    for (auto& p : run(20, 20, 10, 20)) outline.insert(p);
    for (auto& p : run(10, 20, 10, 10)) outline.insert(p);
    const Case cases[] = {
        {"point", D3DPT_POINTLIST, {{5, 7}}, 1, {{5, 7}}},
        {"points", D3DPT_POINTLIST, {{0, 0}, {63, 47}}, 2, {{0, 0}, {63, 47}}},
        {"horizontal line", D3DPT_LINELIST, {{2, 3}, {10, 3}}, 1, run(2, 3, 10, 3)},
        {"vertical line", D3DPT_LINELIST, {{4, 1}, {4, 9}}, 1, run(4, 1, 4, 9)},
        {"backwards line", D3DPT_LINELIST, {{12, 6}, {3, 6}}, 1, run(12, 6, 3, 6)},
        {"diagonal line", D3DPT_LINELIST, {{1, 1}, {6, 6}}, 1, run(1, 1, 6, 6)},
        {"outline strip", D3DPT_LINESTRIP, {{10, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 10}}, 4, outline},
    };
    for (const Case& c : cases) {
        ClearTo(0xFF000000);
        std::vector<EngineVertex> v;
        for (auto& p : c.vertices) v.push_back({p.first, p.second, 0, 0xFFFFFFFF, 0, 0});
        ASSERT_EQ(device->DrawPrimitiveUP(c.type, c.primitives, v.data(), sizeof(EngineVertex)), D3D_OK);
        EXPECT_EQ(Lit(ReadBack(), 0), c.expected) << c.name;
    }
}

TEST_F(DeviceTest, FilledRectangleCoversItsExclusiveArea) {
    device->SetTexture(0, nullptr);
    ClearTo(0xFF000000);
    DrawQuad(3, 4, 9, 12, 0xFF00FF00);
    PixelSet expected;
    for (int y = 4; y < 12; ++y)
        for (int x = 3; x < 9; ++x) expected.insert({x, y});
    auto pixels = ReadBack();
    EXPECT_EQ(Lit(pixels, 0), expected);
    EXPECT_EQ(At(pixels, 3, 4), 0x00FF00u);
}

TEST_F(DeviceTest, MirroredQuadIsDrawnMirrored) {
    IDirect3DTexture9* texture = MakeGradientTexture(8, 4);
    device->SetTexture(0, texture);
    ClearTo(0xFF000000);
    DrawQuad(18, 2, 10, 6, 0xFFFFFFFF);  // left edge at x = 18: mirrored left to right
    auto pixels = ReadBack();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(pixels, 17 - x, 2 + y), GradientTexel(x, y)) << x << "," << y;
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceTest, VertexColourModulatesTextureColourAndAlpha) {
    IDirect3DTexture9* texture = MakeGradientTexture(4, 4, 0x80);
    device->SetTexture(0, texture);
    ClearTo(0xFF000000);
    DrawQuad(0, 0, 4, 4, 0xFF808080);
    auto pixels = ReadBack();
    // Texel (2, 1) = (32, 16, 64) × 0.5 colour, then × (alpha 0x80 × 0xFF) over black.
    DWORD p = At(pixels, 2, 1);
    auto near = [](DWORD got, int want) { return std::abs(static_cast<int>(got) - want) <= 1; };
    EXPECT_TRUE(near((p >> 16) & 0xFF, 32 * 128 / 255 * 128 / 255)) << std::hex << p;
    EXPECT_TRUE(near((p >> 8) & 0xFF, 16 * 128 / 255 * 128 / 255)) << std::hex << p;
    EXPECT_TRUE(near(p & 0xFF, 64 * 128 / 255 * 128 / 255)) << std::hex << p;
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceTest, EveryBlendFactorPair) {
    device->SetTexture(0, nullptr);
    // Source: colour (0x40, 0x80, 0xC0) with alpha 0x60 over destination (0x20, 0x40, 0x60).
    const float src[3] = {0x40 / 255.f, 0x80 / 255.f, 0xC0 / 255.f}, sa = 0x60 / 255.f;
    const float dst[3] = {0x20 / 255.f, 0x40 / 255.f, 0x60 / 255.f}, da = 1.0f;  // no alpha: reads as 1
    auto factor = [&](DWORD blend, int c, bool isSource) -> float {
        switch (blend) {
            case D3DBLEND_ZERO: return 0;
            case D3DBLEND_ONE: return 1;
            case D3DBLEND_SRCCOLOR: return src[c];
            case D3DBLEND_INVSRCCOLOR: return 1 - src[c];
            case D3DBLEND_SRCALPHA: return sa;
            case D3DBLEND_INVSRCALPHA: return 1 - sa;
            case D3DBLEND_DESTALPHA: return da;
            case D3DBLEND_INVDESTALPHA: return 1 - da;
            case D3DBLEND_DESTCOLOR: return dst[c];
            case D3DBLEND_INVDESTCOLOR: return 1 - dst[c];
            case D3DBLEND_SRCALPHASAT: return isSource ? std::min(sa, 1 - da) : 1;
            default: return 1;
        }
    };
    for (DWORD s = D3DBLEND_ZERO; s <= D3DBLEND_BOTHINVSRCALPHA; ++s) {
        for (DWORD d = D3DBLEND_ZERO; d <= D3DBLEND_INVDESTCOLOR; ++d) {
            ClearTo(0xFF204060);
            device->SetRenderState(D3DRS_SRCBLEND, s);
            device->SetRenderState(D3DRS_DESTBLEND, d);
            DrawQuad(0, 0, 4, 4, 0x604080C0);
            DWORD p = At(ReadBack(), 1, 1);
            for (int c = 0; c < 3; ++c) {
                float fs = factor(s, c, true), fd = factor(d, c, false);
                if (s == D3DBLEND_BOTHSRCALPHA) fs = sa, fd = 1 - sa;
                if (s == D3DBLEND_BOTHINVSRCALPHA) fs = 1 - sa, fd = sa;
                float want = std::min(1.0f, src[c] * fs + dst[c] * fd) * 255.0f;
                int got = static_cast<int>((p >> (16 - 8 * c)) & 0xFF);
                EXPECT_NEAR(got, want, 1.5) << "src " << s << " dst " << d << " channel " << c;
            }
        }
    }
}

TEST_F(DeviceTest, DepthBufferIsClearedAndTested) {
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    auto quadAt = [&](float z, DWORD color) {
        EngineVertex v[4] = {
            {0, 0, z, color, 0, 0}, {8, 0, z, color, 0, 0}, {0, 8, z, color, 0, 0}, {8, 8, z, color, 0, 0}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(EngineVertex));
    };
    quadAt(100.0f, 0xFFFF0000);  // nearer (the projection maps z 0..1000 to depth 0..1)
    quadAt(500.0f, 0xFF00FF00);  // behind: hidden
    EXPECT_EQ(At(ReadBack(), 2, 2), 0xFF0000u);
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    quadAt(500.0f, 0xFF00FF00);  // a cleared depth buffer lets it through
    EXPECT_EQ(At(ReadBack(), 2, 2), 0x00FF00u);
}

TEST_F(DeviceTest, BatchedDrawsMatchDrawsFlushedOneByOne) {
    IDirect3DTexture9* texture = MakeGradientTexture(8, 8, 0xC0);
    auto drawScene = [&](bool flushEach) {
        ClearTo(0xFF102030);
        for (int i = 0; i < 20; ++i) {
            device->SetTexture(0, i % 3 ? texture : nullptr);
            DrawQuad(i * 2.0f, i * 1.5f, i * 2.0f + 8, i * 1.5f + 8, 0xFFFFFFFF - i * 0x01010100);
            if (flushEach) ReadBack();
        }
        return ReadBack();
    };
    EXPECT_EQ(drawScene(false), drawScene(true));
    device->SetTexture(0, nullptr);
    texture->Release();
}

// A frame of one-pixel quads, each its own colour, is one batch far longer than the renderer
// draws at once; frames enough to wrap the vertex stream several times follow. Every quad
// must land, in every frame, on every kind of back buffer.
TEST_F(DeviceTest, EveryQuadOfLongBatchesLands) {
    const auto colorOf = [](int pixel, int frame) {
        return 0xFF000000u |
               ((static_cast<DWORD>(pixel) * 2654435761u + static_cast<DWORD>(frame) * 40503u) & 0xFFFFFF);
    };
    for (D3DMULTISAMPLE_TYPE samples : {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_4_SAMPLES})
        for (bool depth : {false, true}) {
            CreateDevice(samples, depth);
            device->SetTexture(0, nullptr);
            for (int frame = 0; frame < 32; ++frame) {
                ClearTo(0xFF000000);
                for (int y = 0; y < kHeight; ++y)
                    for (int x = 0; x < kWidth; ++x) {
                        const float l = static_cast<float>(x), t = static_cast<float>(y);
                        DrawQuad(l, t, l + 1, t + 1, colorOf(y * kWidth + x, frame));
                    }
                const auto pixels = ReadBack();
                ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth * kHeight));
                for (int i = 0; i < kWidth * kHeight; ++i)
                    ASSERT_EQ(pixels[i], colorOf(i, frame))
                        << "pixel " << i << ", frame " << frame << ", samples " << samples << ", depth " << depth;
            }
        }
}

TEST_F(DeviceTest, TextureLevelsKeepTheirPixelsAndFormats) {
    struct Case {
        D3DFORMAT format;
        DWORD stored;  // one texel as stored in the format
        DWORD drawn;   // as it reads back, 0x00RRGGBB
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 0xFF336699, 0x336699},
        {D3DFMT_X8R8G8B8, 0x00336699, 0x336699},  // the unused byte reads as opaque
        {D3DFMT_R5G6B5, 0xF800, 0xFF0000},
        {D3DFMT_X1R5G5B5, 0x001F, 0x0000FF},
        {D3DFMT_A4R4G4B4, 0xF0F0, 0x00FF00},
        {D3DFMT_A4R4G4B4, 0xF369, 0x336699},  // a nibble n reads as n * 17
    };
    for (const Case& c : cases) {
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, c.format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
        EXPECT_EQ(texture->GetLevelCount(), 3u);
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(2, &desc);
        EXPECT_EQ(desc.Width, 1u);
        EXPECT_EQ(desc.Format, c.format);
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                char* p = static_cast<char*>(lr.pBits) + y * lr.Pitch;
                if (lr.Pitch == 16)
                    reinterpret_cast<DWORD*>(p)[x] = c.stored;
                else
                    reinterpret_cast<WORD*>(p)[x] = static_cast<WORD>(c.stored);
            }
        EXPECT_EQ(texture->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
        texture->UnlockRect(0);
        ClearTo(0xFF000000);
        device->SetTexture(0, texture);
        DrawQuad(0, 0, 4, 4, 0xFFFFFFFF);
        EXPECT_EQ(At(ReadBack(), 1, 1), c.drawn) << c.format;
        device->SetTexture(0, nullptr);
        texture->Release();
    }
}

// A 16-bit back buffer holds each colour rounded to its format, whether it is multisampled and
// depth-buffered or not. OpenGL 3.3 promises no 16-bit colour-renderable format: CTest runs this
// suite a second time on a context limited to 3.3 (graphics_gl33).
TEST_F(DeviceTest, SixteenBitBackBuffersHoldColoursRoundedToTheirFormat) {
    struct Case {
        D3DFORMAT format;
        WORD background;  // 0xFF0F8FF0 rounded to the format
        WORD quad;        // 0xFF207F10
    };
    const Case cases[] = {
        {D3DFMT_R5G6B5, 0x147D, 0x23E2}, {D3DFMT_X1R5G5B5, 0x0A3D, 0x11E2},  // the unused top bit is not compared
    };
    for (const Case& c : cases) {
        for (bool multisampled : {false, true}) {
            SCOPED_TRACE(testing::Message() << "format " << c.format << (multisampled ? ", 4 samples and depth" : ""));
            ASSERT_NO_FATAL_FAILURE(
                CreateDevice(multisampled ? D3DMULTISAMPLE_4_SAMPLES : D3DMULTISAMPLE_NONE, multisampled, c.format));
            device->SetTexture(0, nullptr);
            ClearTo(0xFF0F8FF0);
            DrawQuad(8, 4, 24, 12, 0xFF207F10);
            IDirect3DSurface9* surface = nullptr;
            ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
            D3DSURFACE_DESC desc{};
            surface->GetDesc(&desc);
            EXPECT_EQ(desc.Format, c.format);
            D3DLOCKED_RECT lr{};
            ASSERT_EQ(surface->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
            auto at = [&](int x, int y) {
                const WORD* row = reinterpret_cast<const WORD*>(static_cast<const char*>(lr.pBits) + y * lr.Pitch);
                return static_cast<WORD>(c.format == D3DFMT_X1R5G5B5 ? row[x] & 0x7FFF : row[x]);
            };
            EXPECT_EQ(lr.Pitch, kWidth * 2);
            EXPECT_EQ(at(0, 0), c.background);
            EXPECT_EQ(at(kWidth - 1, kHeight - 1), c.background);
            EXPECT_EQ(at(8, 4), c.quad);
            EXPECT_EQ(at(23, 11), c.quad);
            EXPECT_EQ(at(24, 11), c.background);
            surface->UnlockRect();
            surface->Release();
        }
    }
}

// A window larger than the back buffer shows the picture scaled with its aspect kept and
// centred; the pointer is reported where it lies on that picture (beyond its edges over the
// bars), so that what the game hits is what the player points at.
TEST_F(DeviceTest, PointerMapsOntoThePictureAsShownInTheWindow) {
    struct Case {
        int windowWidth, windowHeight;  // the back buffer is 64 × 48
        POINT window, picture;
    };
    const Case cases[] = {
        {128, 96, {0, 0}, {0, 0}},    {128, 96, {127, 95}, {63, 47}}, {128, 96, {65, 33}, {32, 16}},
        {128, 48, {32, 0}, {0, 0}},   {128, 48, {95, 47}, {63, 47}},  {128, 48, {10, 5}, {-22, 5}},
        {64, 120, {20, 36}, {20, 0}},  // bars above and below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.windowWidth << "x" << c.windowHeight << " at " << c.window.x << ","
                                        << c.window.y);
        HWND big = CreateWindowExA(0, "device-fixture", "big", WS_POPUP, 0, 0, c.windowWidth, c.windowHeight, nullptr,
                                   nullptr, nullptr, nullptr);
        ASSERT_NE(big, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = kWidth;
        pp.BackBufferHeight = kHeight;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        IDirect3DDevice9* shown = nullptr;
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, big, 0, &pp, &shown), D3D_OK);
        shown->Present(nullptr, nullptr, nullptr, nullptr);
        VelmoraTest::InjectMouseMove(big, c.window.x, c.window.y);
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        POINT p{};
        ASSERT_TRUE(GetCursorPos(&p));
        ScreenToClient(big, &p);
        EXPECT_EQ(p.x, c.picture.x);
        EXPECT_EQ(p.y, c.picture.y);
        shown->Release();
        DestroyWindow(big);
    }
}

// A texture drawn once, then changed through locks of parts of it, one or two between draws:
// the draws must show every change and keep every other texel.
TEST_F(DeviceTest, LockedRectanglesOfADrawnTextureReachTheNextDraw) {
    IDirect3DTexture9* texture = MakeGradientTexture(16, 8);
    ASSERT_NE(texture, nullptr);
    std::vector<DWORD> expected(16 * 8);
    for (UINT y = 0; y < 8; ++y)
        for (UINT x = 0; x < 16; ++x) expected[y * 16 + x] = GradientTexel(x, y);
    const auto fill = [&](const RECT& r, DWORD texel) {
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(texture->LockRect(0, &lr, &r, 0), D3D_OK);
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x) {
                reinterpret_cast<DWORD*>(static_cast<char*>(lr.pBits) + (y - r.top) * lr.Pitch)[x - r.left] =
                    0xFF000000 | texel;
                expected[y * 16 + x] = texel;
            }
        texture->UnlockRect(0);
    };
    const auto check = [&](const char* step) {
        ClearTo(0xFF000000);
        device->SetTexture(0, texture);
        DrawQuad(5, 7, 21, 15, 0xFFFFFFFF);
        const auto pixels = ReadBack();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) ASSERT_EQ(At(pixels, 5 + x, 7 + y), expected[y * 16 + x]) << step;
    };
    check("whole");
    fill(RECT{3, 2, 7, 5}, 0x00FF00);
    check("one rectangle");
    fill(RECT{0, 0, 2, 1}, 0xFF0000);
    fill(RECT{14, 6, 16, 8}, 0x0000FF);  // two apart: what lies between them stays
    check("two rectangles");
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(texture->LockRect(0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);  // changes nothing
    texture->UnlockRect(0);
    check("read");

    // Changed between two draws of one frame: each draw shows the pixels it was given.
    const std::vector<DWORD> before = expected;
    ClearTo(0xFF000000);
    device->SetTexture(0, texture);
    DrawQuad(5, 7, 21, 15, 0xFFFFFFFF);
    fill(RECT{4, 0, 12, 8}, 0xFFFF00);
    DrawQuad(30, 20, 46, 28, 0xFFFFFFFF);
    const auto pixels = ReadBack();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(At(pixels, 5 + x, 7 + y), before[y * 16 + x]) << x << "," << y;
            ASSERT_EQ(At(pixels, 30 + x, 20 + y), expected[y * 16 + x]) << x << "," << y;
        }
    device->SetTexture(0, nullptr);
    texture->Release();
}

// Triangles wholly outside the back buffer are left out of the batch; those that reach into it
// by a pixel or less, on either path, are drawn as before.
TEST_F(DeviceTest, QuadsOutsideTheBackBufferDrawNothingAndThoseAtItsEdgesTheirPart) {
    struct Case {
        float l, t, r, b;
        int lit;  // pixels
    };
    const float W = kWidth, H = kHeight;
    const Case cases[] = {
        {-8, 10, 0, 18, 0},
        {-8, 10, 1, 18, 8},
        {W, 10, W + 8, 18, 0},
        {W - 1, 10, W + 8, 18, 8},
        {10, -8, 18, 0, 0},
        {10, -8, 18, 1, 8},
        {10, H, 18, H + 8, 0},
        {10, H - 1, 18, H + 8, 8},
        {-1e6f, -1e6f, -9e5f, -9e5f, 0},
        {-50, -50, W + 50, H + 50, kWidth * kHeight},
    };
    for (bool pretransformed : {false, true})
        for (const Case& c : cases) {
            ClearTo(0xFF000000);
            device->SetTexture(0, nullptr);
            if (pretransformed) {
                // The sprite path's vertices: screen positions half a pixel up and left.
                struct ScreenVertex {
                    float x, y, z, rhw;
                    DWORD color;
                };
                const ScreenVertex v[4] = {{c.l - 0.5f, c.t - 0.5f, 0, 1, 0xFFFFFFFF},
                                           {c.r - 0.5f, c.t - 0.5f, 0, 1, 0xFFFFFFFF},
                                           {c.l - 0.5f, c.b - 0.5f, 0, 1, 0xFFFFFFFF},
                                           {c.r - 0.5f, c.b - 0.5f, 0, 1, 0xFFFFFFFF}};
                device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
                device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
                device->SetFVF(VLM_VERTEX_FVF);
            } else {
                DrawQuad(c.l, c.t, c.r, c.b, 0xFFFFFFFF);
            }
            EXPECT_EQ(Lit(ReadBack(), 0).size(), size_t(c.lit))
                << c.l << "," << c.t << " " << c.r << "," << c.b << (pretransformed ? " screen" : "");
        }
}

// Each texture-stage set-up is drawn with its own shader program; draws that switch between
// them in one frame must each get their own operations and the current uniform values.
TEST_F(DeviceTest, TextureStageSetUpsAndAlphaTestInOneFrame) {
    IDirect3DTexture9* texel = nullptr;  // one texel: (0x40, 0x20, 0x60), alpha 0x80
    ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texel, nullptr), D3D_OK);
    D3DLOCKED_RECT lr{};
    texel->LockRect(0, &lr, nullptr, 0);
    *static_cast<DWORD*>(lr.pBits) = D3DCOLOR_ARGB(0x80, 0x40, 0x20, 0x60);
    texel->UnlockRect(0);
    const DWORD diffuse = D3DCOLOR_ARGB(0xC0, 0x10, 0x20, 0x30), background = 0x0A0B0C;
    device->SetTexture(0, texel);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);

    struct Case {
        const char* name;
        DWORD op, arg1, arg2;
        DWORD alphaFunc;  // 0: no alpha test; the reference is 0x80, the texel's alpha
        DWORD factor;
        DWORD expected;
    };
    const Case cases[] = {
        {"texture x diffuse", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0, 0, 0x040412},
        {"texture factor", D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, 0, 0xFF336699, 0x336699},
        {"complemented diffuse", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE | D3DTA_COMPLEMENT, 0, 0, 0xEFDFCF},
        {"texture + diffuse", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0, 0, 0x504090},
        {"texture alpha replicated", D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_DIFFUSE, 0, 0,
         0x808080},
        {"alpha test passes", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DCMP_GREATEREQUAL, 0, 0x402060},
        {"alpha test fails", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DCMP_GREATER, 0, background},
        // The first two set-ups again, the factor changed while another one was in use.
        {"texture x diffuse again", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0, 0xFF00FF00, 0x040412},
        {"texture factor changed", D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, 0, 0xFF00FF00, 0x00FF00},
    };
    ClearTo(0xFF000000 | background);
    device->SetRenderState(D3DRS_ALPHAREF, 0x80);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        device->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, c.alphaFunc != 0);
        if (c.alphaFunc) device->SetRenderState(D3DRS_ALPHAFUNC, c.alphaFunc);
        if (c.factor) device->SetRenderState(D3DRS_TEXTUREFACTOR, c.factor);
        DrawQuad(i * 5.0f, 0, i * 5.0f + 4, 4, diffuse);
    }
    auto pixels = ReadBack();
    for (size_t i = 0; i < std::size(cases); ++i) {
        DWORD p = At(pixels, static_cast<int>(i) * 5 + 1, 1);
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(static_cast<int>(p >> shift & 0xFF), static_cast<int>(cases[i].expected >> shift & 0xFF), 1)
                << cases[i].name << std::hex << " got " << p;
    }
    device->SetTexture(0, nullptr);
    texel->Release();
}

TEST_F(DeviceTest, BadCallsFailCleanly) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &texture, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(1u << 20, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, 24), D3DERR_INVALIDCALL);
    EngineVertex v[3] = {};
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, 8), D3DERR_INVALIDCALL);  // stride too small
    EXPECT_EQ(device->DrawPrimitiveUP(static_cast<D3DPRIMITIVETYPE>(99), 1, v, 24), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(4000), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTexture(99, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
}

}  // namespace
