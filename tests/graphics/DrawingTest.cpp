// The drawing operations of the graphics object, checked by reading back the back buffer.
#include <set>
#include <utility>

#include "support/ResourceFixture.h"

namespace {

// Opaque, every texel different.
Picture Opaque(LONG width, LONG height) {
    Picture p{width, height, {}};
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x)
            p.pixels.push_back(0xFF000000u | DWORD(x * 20) << 16 | DWORD(y * 20) << 8 | 0x55);
    return p;
}

class DrawingTest : public ResourceTest {
protected:
    void SetUp() override {
        ResourceTest::SetUp();
        picture = Opaque(8, 4);
        WritePng("pic.png", picture);
        handle = LoadTexture("pic.png");
        ASSERT_NE(handle, 0u);
        graphics = GetGraphics();
        graphics->SetBKColor(0xFF000000);
    }
    // The whole back buffer, top row first.
    static Pixels Screen() {
        Pixels out;
        IDirect3DSurface9* surface = nullptr;
        GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
        D3DLOCKED_RECT lr{};
        D3DSURFACE_DESC desc{};
        surface->GetDesc(&desc);
        surface->LockRect(&lr, nullptr, D3DLOCK_READONLY);
        for (UINT y = 0; y < desc.Height; ++y) {
            const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const char*>(lr.pBits) + y * lr.Pitch);
            out.insert(out.end(), row, row + desc.Width);
        }
        surface->UnlockRect();
        surface->Release();
        return out;
    }
    static DWORD At(const Pixels& s, int x, int y) { return s.at(size_t(y * 64 + x)); }
    DWORD Texel(int x, int y) const { return picture.pixels[size_t(y * picture.width + x)]; }
    // Pixels differing from black.
    static std::set<std::pair<int, int>> Lit(const Pixels& s) {
        std::set<std::pair<int, int>> lit;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if ((At(s, x, y) & 0xFFFFFF) != 0) lit.insert({x, y});
        return lit;
    }
    Pixels Frame(const std::function<void()>& draw) {
        graphics->BeginScene();
        draw();
        Pixels s = Screen();
        graphics->EndScene();
        return s;
    }

    Picture picture;
    DWORD handle = 0;
    CGraphics* graphics = nullptr;
};

TEST_F(DrawingTest, WholeTextureAtAPointOnBothPaths) {
    for (bool sprite : {true, false}) {
        Pixels s = Frame([&] {
            if (sprite)
                Render(handle, 10, 20, nullptr, 0xFFFFFFFF);
            else
                Render(handle, 10, 20, 1.0f, 1.0f, nullptr, 0xFFFFFFFF);
        });
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) ASSERT_EQ(At(s, 10 + x, 20 + y), Texel(x, y)) << sprite << " " << x << "," << y;
        EXPECT_EQ(Lit(s).size(), 32u);
    }
}

TEST_F(DrawingTest, IdleTextureIsReleasedAndReloadedByTheNextDraw) {
    Frame([&] { Render(handle, 0, 0, nullptr, 0xFFFFFFFF); });
    for (int second = 0; second < 9; ++second) {  // frames without drawing it; sweeps run in EndScene
        VelmoraTest::AdvanceClock(1000);
        Frame([] {});
    }
    ASSERT_TRUE(textures->GetTexture(handle)->IsRelease());
    Pixels s = Frame([&] { Render(handle, 10, 20, nullptr, 0xFFFFFFFF); });
    EXPECT_FALSE(textures->GetTexture(handle)->IsRelease());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(s, 10 + x, 20 + y), Texel(x, y)) << x << "," << y;
}

TEST_F(DrawingTest, StretchingGivesTheSamePictureOnBothPaths) {
    // The source part and the whole texture, each at twice its size, with linear filtering.
    RECT src{2, 1, 6, 3}, dst{5, 5, 13, 9}, whole{20, 20, 36, 28};
    Pixels viaSprite = Frame([&] {
        graphics->RenderSprite(handle, &dst, &src, 0xFFFFFFFF);
        graphics->RenderSprite(handle, &whole, nullptr, 0xFFFFFFFF);
    });
    Pixels viaVertices = Frame([&] {
        graphics->Render(handle, &dst, &src, 0xFFFFFFFF);
        graphics->Render(handle, &whole, nullptr, 0xFFFFFFFF);
    });
    EXPECT_EQ(viaSprite, viaVertices);
    auto lit = Lit(viaVertices);
    EXPECT_EQ(lit.size(), 8u * 4u + 16u * 8u);
    EXPECT_TRUE(lit.count({5, 5}) && lit.count({12, 8}) && lit.count({35, 27}));
}

TEST_F(DrawingTest, MirroredAndHalfSourceScaledRender) {
    Pixels s = Frame([&] { Render(handle, 30, 2, -1.0f, 1.0f, nullptr, 0xFFFFFFFF); });
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(s, 37 - x, 2 + y), Texel(x, y)) << x << "," << y;
    // A source half as wide is stretched over the whole W x sx.
    RECT left{0, 0, 4, 4};
    s = Frame([&] {
        GetD3DDevice()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        graphics->Render(handle, 0, 10, 1.0f, 1.0f, &left, 0xFFFFFFFF);
    });
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At(s, x, 11), Texel(x / 2, 1)) << x;
}

TEST_F(DrawingTest, MissingTexturesDrawNothing) {
    DWORD gone = LoadTexture("pic.png");  // shares the picture; destroyed below
    textures->DestroyTexture(gone);
    RECT dst{0, 0, 8, 8};
    Pixels s = Frame([&] {
        Render(0, 1, 1, nullptr, 0xFFFFFFFF);
        Render(gone, 1, 1, nullptr, 0xFFFFFFFF);
        Render(gone, &dst, nullptr, 0xFFFFFFFF);
        graphics->Render(gone, &dst, nullptr, 0xFFFFFFFF);
        graphics->RenderSprite(handle, nullptr, nullptr, 0xFFFFFFFF);  // no destination
        graphics->RenderAnimation(12345, 0, 1, 1, 1.0f, 1.0f, nullptr, 0xFFFFFFFF);
        RenderCenter(handle, 5, 5, 1.0f, 1.0f, nullptr, 0xFFFFFFFF);
        graphics->DrawCaption(5, 5, 0xFFFFFFFF, "%s %d", "caption", 1);
        graphics->DrawTextA(5, 5, 0xFFFFFFFF, "text");
    });
    EXPECT_TRUE(Lit(s).empty());
}

TEST_F(DrawingTest, Primitives) {
    using Set = std::set<std::pair<int, int>>;
    Set outline;
    for (int i = 10; i <= 20; ++i)
        outline.insert({i, 10}), outline.insert({i, 20}), outline.insert({10, i}), outline.insert({20, i});
    Set filled;
    for (int y = 2; y < 5; ++y)
        for (int x = 40; x < 46; ++x) filled.insert({x, y});
    EXPECT_EQ(Lit(Frame([&] { graphics->Rectangle(RECT{10, 10, 20, 20}, 0xFFFFFFFF, false); })), outline);
    EXPECT_EQ(Lit(Frame([&] { graphics->Rectangle(RECT{40, 2, 46, 5}, 0xFFFFFFFF, true); })), filled);
    EXPECT_EQ(Lit(Frame([&] { graphics->Point(7, 9, 0xFFFFFFFF); })), (Set{{7, 9}}));
    EXPECT_EQ(Lit(Frame([&] { graphics->Line(1, 1, 5, 1, 0xFFFFFFFF); })),
              (Set{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}));
    EXPECT_EQ(Lit(Frame([&] { graphics->Circle(30, 30, 0, 0xFFFFFFFF); })),
              (Set{{29, 30}, {31, 30}, {30, 29}, {30, 31}}));
    EXPECT_TRUE(Lit(Frame([&] { graphics->Circle(30, 30, -4, 0xFFFFFFFF); })).empty());
    Set ring = Lit(Frame([&] { graphics->Circle(30, 24, 10, 0xFFFFFFFF); }));
    EXPECT_TRUE(ring.count({30, 14}) && ring.count({40, 24}) && ring.count({30, 34}) && ring.count({20, 24}));
    EXPECT_FALSE(ring.count({30, 24}));
    // A radius whose points exceed one buffer is drawn in parts: the visible arc is there.
    Set big = Lit(Frame([&] { graphics->Circle(-1990, 24, 2000, 0xFFFFFFFF); }));
    EXPECT_TRUE(big.count({10, 24}));
}

TEST_F(DrawingTest, AnimationFramesOnTheSpritePath) {
    WriteAmf("anim.amf", {Opaque(4, 2), Picture{4, 2, Pixels(8, 0xFF00FF00)}});
    DWORD set = frames->LoadFrame("anim.amf", MEM_STATIC);
    ASSERT_NE(set, 0u);
    RECT dst{0, 0, 8, 4};
    Pixels s = Frame([&] {
        GetD3DDevice()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        graphics->RenderAnimation(set, 1, 20, 20, -1.0f, 1.0f, nullptr, 0xFFFFFFFF);  // mirrored in place
        graphics->RenderAnimation(set, 0, &dst, nullptr, 0xFFFFFFFF);                 // stretched twice
    });
    EXPECT_EQ(At(s, 20, 20), 0xFF00FF00u);
    EXPECT_EQ(At(s, 23, 21), 0xFF00FF00u);
    EXPECT_EQ(At(s, 24, 20) & 0xFFFFFF, 0u);
    auto lit = Lit(s);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_TRUE(lit.count({x, y})) << x << "," << y;  // frame 0 covers dst
    EXPECT_FALSE(lit.count({8, 0}));
    EXPECT_FALSE(lit.count({0, 4}));
}

}  // namespace
