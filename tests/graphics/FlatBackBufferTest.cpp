// Multisampled and depth-buffered back buffers are kept flat (one sample, depth writes
// deferred) while a frame allows it. Whatever a frame draws, the picture must be the one the
// real buffers give; frames of pixel-aligned 2D drawing must stay flat.
#include <functional>
#include <string>

#include "support/DeviceFixture.h"

namespace {

struct RhwVertex {
    float x, y, z, rhw;
    DWORD color;
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

    IDirect3DTexture9* texture = nullptr;
};

struct Scene {
    const char* name;
    bool staysFlat;  // with four samples and a depth buffer
    std::function<void()> draw;
};

TEST_F(FlatBackBufferTest, PictureIsTheRealBuffersOneAndAlignedFramesStayFlat) {
    const Scene scenes[] = {
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
    struct Buffers {
        D3DMULTISAMPLE_TYPE samples;
        bool depth;
    };
    for (Buffers buffers : {Buffers{D3DMULTISAMPLE_4_SAMPLES, true}, Buffers{D3DMULTISAMPLE_NONE, true},
                            Buffers{D3DMULTISAMPLE_4_SAMPLES, false}}) {
        for (const Scene& scene : scenes) {
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

}  // namespace
