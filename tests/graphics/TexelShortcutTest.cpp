// The device's shortcuts for transparent and opaque texels: quads drawn texel for texel are cut
// down to their texture's ink where texels of alpha 0 change nothing, draws whose every
// fragment has alpha 1 go without blending where the blend would give the same colour, and a
// stage without a texture reads white without sampling one. Each frame below must come out the
// same with the shortcuts on as with them off (VELMORA_NO_RASTER_SHORTCUTS=trim,opaque,white),
// on the back buffer a game gets (four samples and a depth buffer, kept flat), on the same kept
// real, and on a plain one. Half of the frames are ones where a shortcut must not apply, and
// would change the picture if it did.
#include <functional>
#include <string>
#include <vector>

#include "support/DeviceFixture.h"

namespace {

// Texels of alpha 0 outside the ink, and magenta there, which any draw that wrongly lets them
// count shows; inside, a gradient, opaque in its left half and half transparent in its right.
constexpr int kSide = 16;
constexpr RECT kInk{4, 3, 11, 12};

struct Frame {
    const char* name;
    std::function<void()> draw;
};

struct Buffers {
    const char* name;
    D3DMULTISAMPLE_TYPE samples;
    bool depth;
    bool flat;
};

class TexelShortcutTest : public DeviceFixture {
protected:
    void TearDown() override {
        ReleaseTextures();
        DeviceFixture::TearDown();
    }

    void ReleaseTextures() {
        if (inked) inked->Release();
        if (opaque) opaque->Release();
        inked = opaque = nullptr;
    }

    // Every frame's picture, on one device made with VELMORA_NO_RASTER_SHORTCUTS at `off`;
    // the device is reset to its first state before each frame, which keeps its programs.
    std::vector<std::vector<DWORD>> Pictures(const Buffers& b, const char* off) {
        VelmoraTest::AllowFlatBackBuffers(b.flat);
        {
            ScopedEnvironment env("VELMORA_NO_RASTER_SHORTCUTS", off);
            CreateDevice(b.samples, b.depth);
        }
        std::vector<std::vector<DWORD>> pictures;
        for (const Frame& frame : Frames()) {
            ReleaseTextures();
            ResetDevice(b.samples, b.depth);
            inked = MakeInkedTexture();
            opaque = MakeGradientTexture(8, 8);
            device->Clear(0, nullptr, D3DCLEAR_TARGET | (b.depth ? D3DCLEAR_ZBUFFER : 0), 0xFF203040, 1.0f, 0);
            frame.draw();
            pictures.push_back(ReadBack());
        }
        device->SetTexture(0, nullptr);
        return pictures;
    }

    IDirect3DTexture9* MakeInkedTexture() {
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(device->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
            return nullptr;
        D3DLOCKED_RECT lr{};
        texture->LockRect(0, &lr, nullptr, 0);
        for (LONG y = 0; y < kSide; ++y) {
            DWORD* row = reinterpret_cast<DWORD*>(static_cast<char*>(lr.pBits) + y * lr.Pitch);
            for (LONG x = 0; x < kSide; ++x) {
                const bool ink = x >= kInk.left && x < kInk.right && y >= kInk.top && y < kInk.bottom;
                row[x] = ink ? D3DCOLOR_ARGB(x < 8 ? 0xFF : 0x80, x * 16, y * 16, 0x40) : 0x00FF00FF;
            }
        }
        texture->UnlockRect(0);
        return texture;
    }

    // Writes `color` into a rectangle of a texture's level 0.
    static void Paint(IDirect3DTexture9* texture, RECT r, DWORD color) {
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(texture->LockRect(0, &lr, &r, 0), D3D_OK);
        for (LONG y = 0; y < r.bottom - r.top; ++y)
            for (LONG x = 0; x < r.right - r.left; ++x)
                reinterpret_cast<DWORD*>(static_cast<char*>(lr.pBits) + y * lr.Pitch)[x] = color;
        texture->UnlockRect(0);
    }

    void Quad(float l, float t, float r, float b, float z, DWORD color, float u0 = 0, float v0 = 0, float u1 = 1,
              float v1 = 1) {
        EngineVertex v[4] = {
            {l, t, z, color, u0, v0}, {r, t, z, color, u1, v0}, {l, b, z, color, u0, v1}, {r, b, z, color, u1, v1}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(EngineVertex));
    }

    // The inked texture texel for texel at (x, y), as text and sprites are drawn.
    void Inked(float x, float y, float z = 0, DWORD color = 0xFFFFFFFF) {
        device->SetTexture(0, inked);
        Quad(x, y, x + kSide, y + kSide, z, color);
    }

    void Solid(float l, float t, float r, float b, float z, DWORD color) {
        device->SetTexture(0, nullptr);
        Quad(l, t, r, b, z, color);
    }

    std::vector<Frame> Frames();

    IDirect3DTexture9* inked = nullptr;
    IDirect3DTexture9* opaque = nullptr;
};

std::vector<Frame> TexelShortcutTest::Frames() {
    const float s = kSide;
    return {
        // Cut down to the ink.
        {"texel for texel, tinted, over another draw",
         [=] {
             Solid(0, 0, 40, 30, 0, 0xFF806040);
             Inked(2, 3);
             Inked(20, 5, 0, 0xC0FFFF80);
         }},
        {"mirrored and flipped",
         [=] {
             device->SetTexture(0, inked);
             Quad(3, 2, 3 + s, 2 + s, 0, 0xFFFFFFFF, 1, 1, 0, 0);
             Quad(30, 20, 30 + s, 20 + s, 0, 0xFFFFFFFF, 1, 0, 0, 1);
         }},
        {"parts of it across the ink's edges",
         [=] {
             device->SetTexture(0, inked);
             Quad(5, 5, 13, 13, 0, 0xFFFFFFFF, 2 / s, 0, 10 / s, 8 / s);
             Quad(30, 5, 36, 8, 0, 0xFFFFFFFF, 10 / s, 11 / s, 1, 14 / s);  // the ink's corner
             Quad(40, 20, 44, 24, 0, 0xFFFFFFFF, 0, 12 / s, 4 / s, 1);      // no ink at all
         }},
        {"ink moved by a lock between two draws",
         [=] {
             Inked(2, 2);
             Paint(inked, RECT{12, 13, 15, 15}, 0xFF00FFFF);
             Paint(inked, RECT{4, 3, 11, 12}, 0x00000000);
             Inked(24, 20);
         }},
        {"deeper quad over the transparent texels' depth",
         [=] {
             Inked(2, 2, 0);
             Solid(0, 0, 30, 30, 500, 0xFF00FF00);  // hidden wherever the texture's quad wrote depth 0
         }},
        {"alpha test that discards alpha 0, no blending, depth written",
         [=] {
             device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
             device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
             device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
             Inked(2, 2, 0);
             Solid(0, 0, 30, 30, 500, 0xFF00FF00);
         }},
        // Not to be cut down: the transparent texels count.
        {"additive blend",
         [=] {
             device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
             device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
             Inked(2, 2);
         }},
        {"blend by a constant factor",
         [=] {
             device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BLENDFACTOR);
             device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
             device->SetRenderState(D3DRS_BLENDFACTOR, 0xFF808080);
             Inked(2, 2);
         }},
        {"alpha from the vertex colour alone",
         [=] {
             device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
             Inked(2, 2, 0, 0x80FFFFFF);
         }},
        {"alpha test that passes alpha 0, no blending",
         [=] {
             device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
             device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
             device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
             Inked(2, 2);
         }},
        {"stretched, filtered from the texels around",
         [=] {
             device->SetTexture(0, inked);
             Quad(2, 2, 2 + 2 * s, 2 + 2 * s, 0, 0xFFFFFFFF);
         }},
        // Opaque fragments under the blend: drawn without it where that gives the same.
        {"opaque texture and vertices, stretched and texel for texel",
         [=] {
             Solid(0, 0, 40, 30, 0, 0xFF806040);
             device->SetTexture(0, opaque);
             Quad(4, 4, 20, 20, 0, 0xFFFFFFFF);
             Quad(30, 10, 38, 18, 0, 0xFFFF8040);
         }},
        {"a texel made translucent between two draws",
         [=] {
             device->SetTexture(0, opaque);
             Quad(4, 4, 12, 12, 0, 0xFFFFFFFF);
             Paint(opaque, RECT{3, 3, 5, 5}, 0x80FF0000);
             Quad(20, 4, 28, 12, 0, 0xFFFFFFFF);
         }},
        {"vertices not all opaque, and alpha from the texture factor",
         [=] {
             device->SetTexture(0, nullptr);
             EngineVertex v[4] = {{2, 2, 0, 0xFFFF0000, 0, 0},
                                  {30, 2, 0, 0xFFFF0000, 0, 0},
                                  {2, 20, 0, 0xFEFF0000, 0, 0},
                                  {30, 20, 0, 0xFFFF0000, 0, 0}};
             device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(EngineVertex));
             device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x8000FF00);
             device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
             device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
             Solid(10, 10, 40, 40, 0, 0xFFFFFFFF);
         }},
        {"opaque texture clamped to a translucent border",
         [=] {
             device->SetTexture(0, opaque);
             device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_BORDER);
             device->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0x40FF0000);
             Quad(4, 4, 36, 20, 0, 0xFFFFFFFF, -0.5f, 0, 1.5f, 1);
         }},
    };
}

TEST_F(TexelShortcutTest, PicturesAreTheSameAsWithoutTheShortcuts) {
    const Buffers buffers[] = {{"four samples and depth, flat", D3DMULTISAMPLE_4_SAMPLES, true, true},
                               {"four samples and depth, real", D3DMULTISAMPLE_4_SAMPLES, true, false},
                               {"one sample, no depth", D3DMULTISAMPLE_NONE, false, true}};
    const std::vector<Frame> frames = Frames();
    for (const Buffers& b : buffers) {
        const auto plain = Pictures(b, "trim,opaque,white");
        const auto pictures = Pictures(b, "0");
        ASSERT_EQ(pictures.size(), frames.size());
        ASSERT_EQ(plain.size(), frames.size());
        for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(pictures[i], plain[i]) << frames[i].name << ", " << b.name;
    }
    VelmoraTest::AllowFlatBackBuffers(true);
}

}  // namespace
