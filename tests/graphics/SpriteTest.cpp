// The D3DX sprite object and pre-transformed vertices on the real device.
#include <cmath>

#include <velmora/platform/d3dx9/D3DXSprite.h>
#include "support/DeviceFixture.h"

namespace {

class SpriteTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        ASSERT_EQ(D3DXCreateSprite(device, &sprite), D3D_OK);
        texture = MakeGradientTexture(8, 4);
        ASSERT_NE(texture, nullptr);
    }
    void TearDown() override {
        if (device) device->SetTexture(0, nullptr);
        if (texture) texture->Release();
        if (sprite) sprite->Release();
        DeviceFixture::TearDown();
    }
    ID3DXSprite* sprite = nullptr;
    IDirect3DTexture9* texture = nullptr;
};

TEST_F(SpriteTest, UnscaledDrawLandsTexelForTexel) {
    ClearTo(0xFF000000);
    D3DXVECTOR2 at(9, 5);
    ASSERT_EQ(sprite->Draw(texture, nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFF), D3D_OK);
    auto pixels = ReadBack();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(pixels, 9 + x, 5 + y), GradientTexel(x, y)) << x << "," << y;
    EXPECT_EQ(At(pixels, 8, 5), 0u);
    EXPECT_EQ(At(pixels, 17, 5), 0u);
}

TEST_F(SpriteTest, SourceRectangleScalingMirroringAndRotation) {
    ClearTo(0xFF000000);
    sprite->Begin(0);
    // Nearest texels, so that scaled pixels can be compared exactly.
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    RECT right{4, 0, 8, 4};
    D3DXVECTOR2 twice(2, 2), at(0, 0);
    sprite->Draw(texture, &right, &twice, nullptr, 0.0f, &at, 0xFFFFFFFF);
    D3DXVECTOR2 mirror(-1, 1), mirrorAt(40, 0);  // covers x 32..39, left to right reversed
    sprite->Draw(texture, nullptr, &mirror, nullptr, 0.0f, &mirrorAt, 0xFFFFFFFF);
    D3DXVECTOR2 centre(4, 2), rotatedAt(20, 20);  // half a turn about the picture's centre
    sprite->Draw(texture, nullptr, nullptr, &centre, static_cast<float>(M_PI), &rotatedAt, 0xFFFFFFFF);
    sprite->End();
    auto pixels = ReadBack();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(pixels, x, y), GradientTexel(4 + x / 2, y / 2)) << x << "," << y;
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At(pixels, 39 - x, 1), GradientTexel(x, 1)) << x;
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At(pixels, 27 - x, 23), GradientTexel(x, 0)) << x;
}

TEST_F(SpriteTest, BatchedBetweenBeginAndEndLikeSingleDraws) {
    auto scene = [&](bool batched) {
        ClearTo(0xFF203040);
        if (batched) sprite->Begin(0);
        for (int i = 0; i < 30; ++i) {
            D3DXVECTOR2 at(static_cast<float>(i * 3 % 50), static_cast<float>(i * 7 % 40));
            sprite->Draw(texture, nullptr, nullptr, nullptr, 0.0f, &at, 0xC0FFFFFF - i * 0x010203);
        }
        if (batched) sprite->End();
        return ReadBack();
    };
    EXPECT_EQ(scene(true), scene(false));
}

// Single draws wait in the device's batch: device draws and texture rewrites in between must
// still see them drawn first, with the pixels the texture had at the time.
TEST_F(SpriteTest, SingleDrawsKeepTheirOrderWithDeviceDrawsAndTextureRewrites) {
    auto scene = [&](bool readEach) {
        texture->Release();
        texture = MakeGradientTexture(8, 4);
        ClearTo(0xFF203040);
        for (int i = 0; i < 6; ++i) {
            D3DXVECTOR2 at(static_cast<float>(i * 5), static_cast<float>(i * 3));
            sprite->Draw(texture, nullptr, nullptr, nullptr, 0.0f, &at, 0xC0FFFFFF);
            if (readEach) ReadBack();
            device->SetTexture(0, i % 2 ? texture : nullptr);
            DrawQuad(i * 5 + 2.0f, i * 3 + 1.0f, i * 5 + 10.0f, i * 3 + 6.0f, 0x80FF8000 + i);
            if (readEach) ReadBack();
            D3DXVECTOR2 below(static_cast<float>(i * 5), static_cast<float>(30 + i * 3));
            sprite->Draw(texture, nullptr, nullptr, nullptr, 0.0f, &below, 0xFFFFFFFF);  // pending at the rewrite
            if (readEach) ReadBack();
            D3DLOCKED_RECT lr{};
            EXPECT_EQ(texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
            static_cast<DWORD*>(lr.pBits)[i] = 0xFF00FF00 + i * 0x10;
            texture->UnlockRect(0);
        }
        return ReadBack();
    };
    EXPECT_EQ(scene(false), scene(true));
}

TEST_F(SpriteTest, EndPutsTheRenderStateBack) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    sprite->Begin(0);
    DWORD blend = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(blend, static_cast<DWORD>(TRUE));
    EXPECT_EQ(sprite->Begin(0), D3DERR_INVALIDCALL);
    sprite->End();
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(blend, static_cast<DWORD>(FALSE));
    DWORD op = 0;
    device->GetTextureStageState(0, D3DTSS_COLOROP, &op);
    EXPECT_EQ(op, static_cast<DWORD>(D3DTOP_SELECTARG2));
    EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->Draw(nullptr, nullptr, nullptr, nullptr, 0.0f, nullptr, 0), D3DERR_INVALIDCALL);
}

TEST_F(SpriteTest, PreTransformedVerticesUseScreenPositions) {
    struct ScreenVertex {
        float x, y, z, rhw;
        DWORD color;
        float u, v;
    };
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetTexture(0, texture);
    ClearTo(0xFF000000);
    // Direct3D screen space: pixel centres are whole numbers, edges lie half a pixel off.
    ScreenVertex fan[4] = {{2.5f, 3.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                           {10.5f, 3.5f, 0, 1, 0xFFFFFFFF, 1, 0},
                           {10.5f, 7.5f, 0, 1, 0xFFFFFFFF, 1, 1},
                           {2.5f, 7.5f, 0, 1, 0xFFFFFFFF, 0, 1}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(ScreenVertex)), D3D_OK);
    auto pixels = ReadBack();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(pixels, 3 + x, 4 + y), GradientTexel(x, y)) << x << "," << y;
    EXPECT_EQ(At(pixels, 2, 4), 0u);
    device->SetFVF(VLM_VERTEX_FVF);
}

}  // namespace
