// Multisampled and depth-buffered back buffers are kept flat (one sample, depth writes
// deferred) while a frame allows it. Whatever a frame draws, the picture must be the one the
// real buffers give; frames of pixel-aligned 2D drawing must stay flat. With the renderer's
// shortcuts all turned off (VELMORA_NO_RASTER_SHORTCUTS) the pictures must not change.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include <velmora/platform/d3dx9/D3DXSprite.h>
#include "support/DeviceFixture.h"

namespace {

struct RhwVertex {
    float x, y, z, rhw;
    DWORD color;
};

const char* const kNoShortcuts = "VELMORA_NO_RASTER_SHORTCUTS";

struct Scene {
    const char* name;
    bool staysFlat;  // with four samples and a depth buffer
    std::function<void()> draw;
};

class FlatBackBufferTest : public DeviceFixture {
protected:
    void TearDown() override {
        if (texture) texture->Release();
        DeviceFixture::TearDown();
    }

    // A fresh device as the engine sets it up, the depth test on, cleared.
    void StartFrame(D3DMULTISAMPLE_TYPE samples, bool depth, bool allowFlat) {
        VelmoraTest::AllowFlatBackBuffers(allowFlat);
        if (texture) texture->Release();
        texture = nullptr;
        ASSERT_NO_FATAL_FAILURE(CreateDevice(samples, depth));
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        texture = MakeGradientTexture(8, 8, 0xC0);
        ASSERT_NE(texture, nullptr);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | (depth ? D3DCLEAR_ZBUFFER : 0), 0xFF203040, 1.0f, 0);
    }

    void Quad(float l, float t, float r, float b, float z, DWORD c0, DWORD c1, DWORD c2, DWORD c3) {
        EngineVertex v[4] = {{l, t, z, c0, 0, 0}, {r, t, z, c1, 1, 0}, {l, b, z, c2, 0, 1}, {r, b, z, c3, 1, 1}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(EngineVertex));
    }

    // Each in a draw of its own: the device would otherwise collect equal-state quads into
    // one draw, judged as a whole.
    void Solid(float l, float t, float r, float b, float z, DWORD color) {
        device->SetTexture(0, nullptr);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, color);
        Quad(l, t, r, b, z, color, color, color, color);
    }

    // Frames of 2D drawing, and draws that must leave the flat state; each starts a frame of its own.
    std::vector<Scene> Scenes();

    IDirect3DTexture9* texture = nullptr;
};

std::vector<Scene> FlatBackBufferTest::Scenes() {
    return {
        {"aligned sprites: tinted, mirrored, stretched", true,
         [this] {
             device->SetTexture(0, texture);
             DrawQuad(4, 4, 12, 12, 0xFFFFFFFF);
             DrawQuad(8, 8, 16, 16, 0x80FF8040);
             DrawQuad(24, 4, 32, 12, 0xFFFFFFFF, 1, 0, 0, 1);
             DrawQuad(4, 20, 20, 44, 0xC0FFFFFF);
         }},
        {"points and lines at depth 0", true,
         [this] {
             device->SetTexture(0, nullptr);
             EngineVertex lines[4] = {{2, 3, 0, 0xFFFF0000, 0, 0},
                                      {40, 30, 0, 0xFFFF0000, 0, 0},
                                      {50, 2, 0, 0x8000FF00, 0, 0},
                                      {10, 40, 0, 0x8000FF00, 0, 0}};
             device->DrawPrimitiveUP(D3DPT_LINELIST, 2, lines, sizeof(EngineVertex));
             device->DrawPrimitiveUP(D3DPT_POINTLIST, 4, lines, sizeof(EngineVertex));
         }},
        {"pre-transformed aligned quad", true,
         [this] {
             device->SetTexture(0, nullptr);
             device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
             RhwVertex v[4] = {{9.5f, 9.5f, 0, 1, 0x80FFFF00},
                               {29.5f, 9.5f, 0, 1, 0x80FFFF00},
                               {9.5f, 19.5f, 0, 1, 0x80FFFF00},
                               {29.5f, 19.5f, 0, 1, 0x80FFFF00}};
             device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwVertex));
         }},
        {"corner colours on one plane", true,
         [this] {
             device->SetTexture(0, nullptr);
             Quad(3, 5, 40, 30, 0, 0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000);
         }},
        {"corner colours off one plane", false,
         [this] {
             device->SetTexture(0, nullptr);
             Quad(3, 5, 40, 30, 0, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000);
         }},
        {"rotated sprite after aligned ones", false,
         [this] {
             device->SetTexture(0, texture);
             DrawQuad(2, 2, 10, 10, 0xFFFFFFFF);
             EngineVertex v[4] = {{30, 4, 0, 0xFFFFFFFF, 0, 0},
                                  {44, 12, 0, 0xFFFFFFFF, 1, 0},
                                  {22, 18, 0, 0xFFFFFFFF, 0, 1},
                                  {36, 26, 0, 0xFFFFFFFF, 1, 1}};
             device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(EngineVertex));
             DrawQuad(6, 6, 14, 14, 0x80FFFFFF);
         }},
        {"quad between pixel edges", false,
         [this] {
             device->SetTexture(0, texture);
             DrawQuad(10.5f, 4.25f, 18.5f, 12.25f, 0xFFFFFFFF);
         }},
        {"alpha test with depth writes", false,
         [this] {
             device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
             device->SetRenderState(D3DRS_ALPHAREF, 0x80);
             device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
             device->SetTexture(0, texture);
             DrawQuad(4, 4, 12, 12, 0xFFFFFFFF);
         }},
        {"deeper quad after depth-0 ones", false,
         [this] {
             Solid(0, 0, 8, 8, 0, 0xFFFF0000);
             Solid(4, 4, 12, 12, 500, 0xFF00FF00);  // hidden where the red one wrote depth 0
         }},
        {"partial depth clear between", false,
         [this] {
             Solid(0, 0, 16, 16, 0, 0xFFFF0000);
             D3DRECT right{8, 0, 16, 16};
             device->Clear(1, &right, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
             Solid(0, 0, 16, 16, 500, 0xFF00FF00);  // shows only where depth was cleared
         }},
        {"present between aligned draws", true,
         [this] {
             Solid(0, 0, 16, 16, 0, 0xFFFF0000);
             device->Present(nullptr, nullptr, nullptr, nullptr);
             Solid(8, 8, 24, 24, 0, 0x8000FF00);
         }},
    };
}

struct Buffers {
    D3DMULTISAMPLE_TYPE samples;
    bool depth;
};
const Buffers kBuffers[] = {
    {D3DMULTISAMPLE_4_SAMPLES, true}, {D3DMULTISAMPLE_NONE, true}, {D3DMULTISAMPLE_4_SAMPLES, false}};

TEST_F(FlatBackBufferTest, PictureIsTheRealBuffersOneAndAlignedFramesStayFlat) {
    for (Buffers buffers : kBuffers) {
        for (const Scene& scene : Scenes()) {
            const std::string what = std::string(scene.name) + ", " + std::to_string(buffers.samples) + " samples" +
                                     (buffers.depth ? ", depth" : "");
            ASSERT_NO_FATAL_FAILURE(StartFrame(buffers.samples, buffers.depth, false));
            scene.draw();
            const std::vector<DWORD> real = ReadBack();
            ASSERT_NO_FATAL_FAILURE(StartFrame(buffers.samples, buffers.depth, true));
            EXPECT_TRUE(VelmoraTest::IsBackBufferFlat(device)) << what;
            scene.draw();
            if (buffers.samples && buffers.depth) {
                EXPECT_EQ(VelmoraTest::IsBackBufferFlat(device), scene.staysFlat) << what;
            }
            EXPECT_EQ(ReadBack(), real) << what;
        }
    }
    VelmoraTest::AllowFlatBackBuffers(true);
}

TEST_F(FlatBackBufferTest, DepthWrittenWhileFlatStillHidesLaterDraws) {
    ASSERT_NO_FATAL_FAILURE(StartFrame(D3DMULTISAMPLE_4_SAMPLES, true, true));
    Solid(0, 0, 8, 8, 0, 0xFFFF0000);
    Solid(4, 4, 12, 12, 500, 0xFF00FF00);
    auto pixels = ReadBack();
    EXPECT_EQ(At(pixels, 5, 5), 0xFF0000u);
    EXPECT_EQ(At(pixels, 10, 10), 0x00FF00u);

    ASSERT_NO_FATAL_FAILURE(StartFrame(D3DMULTISAMPLE_4_SAMPLES, true, true));
    Solid(0, 0, 16, 16, 0, 0xFFFF0000);
    D3DRECT right{8, 0, 16, 16};
    device->Clear(1, &right, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    Solid(0, 0, 16, 16, 500, 0xFF00FF00);
    pixels = ReadBack();
    EXPECT_EQ(At(pixels, 4, 4), 0xFF0000u);
    EXPECT_EQ(At(pixels, 12, 4), 0x00FF00u);

    // The next frame's depth clear, made while flat, is done before the deeper quad is tested.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
    Solid(0, 0, 8, 8, 500, 0xFF0000FF);
    EXPECT_EQ(At(ReadBack(), 4, 4), 0x0000FFu);
}

TEST_F(FlatBackBufferTest, TexelsOffPixelCentresAreStillFiltered) {
    ASSERT_NO_FATAL_FAILURE(StartFrame(D3DMULTISAMPLE_4_SAMPLES, true, true));
    IDirect3DTexture9* opaque = MakeGradientTexture(8, 8);
    device->SetTexture(0, opaque);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    // One texel per pixel, shifted half a texel: each pixel is the mean of two texels.
    DrawQuad(0, 0, 8, 8, 0xFFFFFFFF, 0.5f / 8, 0, 1 + 0.5f / 8, 1);
    const auto pixels = ReadBack();
    for (int x = 0; x < 7; ++x) EXPECT_NEAR(static_cast<int>(At(pixels, x, 0) >> 16), x * 16 + 8, 1) << x;
    device->SetTexture(0, nullptr);
    opaque->Release();
}

// The largest difference of one channel between two pictures of one size.
int LargestChannelDifference(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    int largest = a.size() == b.size() ? 0 : 256;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift = 0; shift < 32; shift += 8)
            largest = std::max(
                largest, std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF)));
    return largest;
}

TEST_F(FlatBackBufferTest, WithoutRasterShortcutsThePicturesAreTheSame) {
    auto sprites = [this](bool turned) {
        ID3DXSprite* sprite = nullptr;
        ASSERT_EQ(D3DXCreateSprite(device, &sprite), D3D_OK);
        sprite->Begin(0);
        D3DXVECTOR2 at(3, 5), twice(2, 2), doubledAt(14, 2), mirror(-1, 1), mirroredAt(40, 4);
        D3DXVECTOR2 centre(4, 4), turnedAt(30, 30);
        if (turned) {
            sprite->Draw(texture, nullptr, nullptr, &centre, 0.5f, &turnedAt, 0xC0FFFFFF);
        } else {
            sprite->Draw(texture, nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFF);
            sprite->Draw(texture, nullptr, &twice, nullptr, 0.0f, &doubledAt, 0xFFFF8040);
            sprite->Draw(texture, nullptr, &mirror, nullptr, 0.0f, &mirroredAt, 0xFFFFFFFF);
        }
        sprite->End();
        sprite->Release();
    };
    struct Case {
        Scene scene;
        int tolerance;  // per channel
    };
    std::vector<Case> cases;
    for (const Scene& scene : Scenes()) cases.push_back({scene, 0});
    cases.push_back({{"D3DX sprites: texel for texel, doubled, mirrored", true, [=] { sprites(false); }}, 0});
    // The grid snap moves corners that lie off the 1/256-pixel grid by up to 1/512 pixel: the
    // pixels covered stay the same, but the texture coordinates at their centres shift a
    // little, so a filtered texel of a turned sprite may come out a step apart.
    cases.push_back({{"D3DX sprite turned off the pixel grid", false, [=] { sprites(true); }}, 1});
    // The back buffer a game gets, where all three shortcuts apply; the other kinds differ only
    // in the flat rule, which the first test checks against the real buffers.
    for (const Case& c : cases) {
        {
            ScopedEnvironment off(kNoShortcuts, "1");
            ASSERT_NO_FATAL_FAILURE(StartFrame(D3DMULTISAMPLE_4_SAMPLES, true, true));
        }
        // Read when the device was made: its whole clears no longer make it flat.
        EXPECT_FALSE(VelmoraTest::IsBackBufferFlat(device)) << c.scene.name;
        c.scene.draw();
        const std::vector<DWORD> plain = ReadBack();
        ASSERT_NO_FATAL_FAILURE(StartFrame(D3DMULTISAMPLE_4_SAMPLES, true, true));
        c.scene.draw();
        EXPECT_LE(LargestChannelDifference(ReadBack(), plain), c.tolerance) << c.scene.name;
    }
}

TEST_F(FlatBackBufferTest, AnyValueButZeroOrAListOfOthersTurnsTheShortcutsOff) {
    struct Case {
        const char* value;
        bool flat;
    };
    for (Case c : {Case{"1", false}, Case{"yes", false}, Case{"0", true}, Case{"", true},
                   Case{"trim,opaque,white", true}, Case{"snap,flat", false}, Case{"flat,unknown", false}}) {
        {
            ScopedEnvironment env(kNoShortcuts, c.value);
            ASSERT_NO_FATAL_FAILURE(StartFrame(D3DMULTISAMPLE_4_SAMPLES, true, true));
        }
        EXPECT_EQ(VelmoraTest::IsBackBufferFlat(device), c.flat) << '"' << c.value << '"';
    }
}

}  // namespace
