// The device's shared pages: draws of small textures that copy texels one to one go to GL
// together, from pages that hold several textures side by side. Each frame below must come out
// the same with the pages as without them (VELMORA_NO_RASTER_SHORTCUTS=pages), on the back
// buffer a game gets (four samples and depth, kept flat), on the same kept real, and on a plain
// one. Half of the frames draw what must not come from a page: a texture's neighbours there
// differ from its own edge, so sampling past the edge would show.
#include <functional>
#include <vector>

#include "support/DeviceFixture.h"

namespace {

constexpr int kTile = 16;
constexpr int kTiles = 4;
constexpr int kLines = 2;

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

class PageShortcutTest : public DeviceFixture {
protected:
    void TearDown() override {
        ReleaseTextures();
        DeviceFixture::TearDown();
    }

    void ReleaseTextures() {
        std::vector<IDirect3DTexture9**> all{&mipped, &unpaged, &opaque};
        for (IDirect3DTexture9*& t : tiles) all.push_back(&t);
        for (IDirect3DTexture9*& t : lines) all.push_back(&t);
        for (IDirect3DTexture9** t : all)
            if (*t) (*t)->Release(), *t = nullptr;
    }

    IDirect3DTexture9* Create(UINT w, UINT h, UINT levels, D3DFORMAT format) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
        return texture;
    }

    // A tile: a border of its own colour, a gradient inside, opaque on the left and half
    // transparent on the right, and its bottom rows of alpha 0 (cut away where they change nothing).
    IDirect3DTexture9* MakeTile(int k, UINT levels = 1, D3DFORMAT format = D3DFMT_A8R8G8B8) {
        static const DWORD kBorders[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFF00FF, 0xFFFFFF00, 0xFF00FFFF};
        IDirect3DTexture9* texture = Create(kTile, kTile, levels, format);
        if (!texture) return nullptr;
        for (UINT level = 0; level < levels; ++level) {
            D3DLOCKED_RECT lr{};
            texture->LockRect(level, &lr, nullptr, 0);
            const int side = kTile >> level;
            for (int y = 0; y < side; ++y) {
                DWORD* row = reinterpret_cast<DWORD*>(static_cast<char*>(lr.pBits) + y * lr.Pitch);
                for (int x = 0; x < side; ++x) {
                    const bool border = x == 0 || y == 0 || x == side - 1 || y == side - 1;
                    row[x] = border ? kBorders[(k + level) % 6]
                                    : D3DCOLOR_ARGB(x < side / 2 ? 0xFF : 0x80, x * 16, y * 16, 0x30 * (k + 1));
                    if (y >= side - 3) row[x] &= 0x00FFFFFF;
                }
            }
            texture->UnlockRect(level);
        }
        return texture;
    }

    // A string's texture as the text cache makes it: 512 x 32, A4R4G4B4, opaque white glyph
    // texels on transparent ones, and a translucent stroke.
    IDirect3DTexture9* MakeLine(int k) {
        IDirect3DTexture9* texture = Create(512, 32, 1, D3DFMT_A4R4G4B4);
        if (!texture) return nullptr;
        D3DLOCKED_RECT lr{};
        texture->LockRect(0, &lr, nullptr, 0);
        for (int y = 0; y < 32; ++y) {
            WORD* row = reinterpret_cast<WORD*>(static_cast<char*>(lr.pBits) + y * lr.Pitch);
            for (int x = 0; x < 512; ++x) {
                const bool glyph = x < 120 && y >= 4 && y < 20 && (x / 3 + y / 4 + k) % 5 == 0;
                row[x] = glyph ? 0xFFFF : x == 60 + k && y < 24 ? 0x8F40 : 0x0000;
            }
        }
        texture->UnlockRect(0);
        return texture;
    }

    static void Paint(IDirect3DTexture9* texture, RECT r, DWORD color) {
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(texture->LockRect(0, &lr, &r, 0), D3D_OK);
        for (LONG y = 0; y < r.bottom - r.top; ++y)
            for (LONG x = 0; x < r.right - r.left; ++x)
                reinterpret_cast<DWORD*>(static_cast<char*>(lr.pBits) + y * lr.Pitch)[x] = color;
        texture->UnlockRect(0);
    }

    void Quad(float l, float t, float r, float b, DWORD color = 0xFFFFFFFF, float u0 = 0, float v0 = 0, float u1 = 1,
              float v1 = 1, float z = 0) {
        EngineVertex v[4] = {
            {l, t, z, color, u0, v0}, {r, t, z, color, u1, v0}, {l, b, z, color, u0, v1}, {r, b, z, color, u1, v1}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(EngineVertex));
    }

    // A texture texel for texel with its top left corner at (x, y), as sprites and text are drawn.
    void Copy(IDirect3DTexture9* texture, float x, float y, DWORD color = 0xFFFFFFFF, float z = 0) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        device->SetTexture(0, texture);
        Quad(x, y, x + float(desc.Width), y + float(desc.Height), color, 0, 0, 1, 1, z);
    }

    void Solid(float l, float t, float r, float b, DWORD color, float z = 0) {
        device->SetTexture(0, nullptr);
        Quad(l, t, r, b, color, 0, 0, 1, 1, z);
    }

    void MakeTextures() {
        for (int k = 0; k < kTiles; ++k) tiles[k] = MakeTile(k);
        for (int k = 0; k < kLines; ++k) lines[k] = MakeLine(k);
        mipped = MakeTile(4, 2);
        unpaged = MakeTile(5, 1, D3DFMT_X8R8G8B8);
        opaque = MakeGradientTexture(8, 8);
    }

    // Every frame's picture, on one device made with VELMORA_NO_RASTER_SHORTCUTS at `off`,
    // reset to its first state before each frame.
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
            MakeTextures();
            device->Clear(0, nullptr, D3DCLEAR_TARGET | (b.depth ? D3DCLEAR_ZBUFFER : 0), 0xFF203040, 1.0f, 0);
            frame.draw();
            pictures.push_back(ReadBack());
        }
        device->SetTexture(0, nullptr);
        return pictures;
    }

    std::vector<Frame> Frames();

    IDirect3DTexture9* tiles[kTiles] = {};
    IDirect3DTexture9* lines[kLines] = {};
    IDirect3DTexture9* mipped = nullptr;   // two levels: never in a page
    IDirect3DTexture9* unpaged = nullptr;  // X8R8G8B8: never in a page
    IDirect3DTexture9* opaque = nullptr;
};

std::vector<Frame> PageShortcutTest::Frames() {
    const float s = kTile;
    return {
        // From pages.
        {"tiles texel for texel, overlapping, one drawn twice",
         [=] {
             Solid(0, 0, 40, 30, 0xFF806040);
             Copy(tiles[0], 2, 2);
             Copy(tiles[1], 10, 6);
             Copy(tiles[0], 20, 4, 0xC0FFFF80);
             Copy(tiles[2], 30, 10);
             Copy(tiles[3], 40, 20);
             Copy(tiles[1], 44, 28, 0x80FFFFFF);
         }},
        {"string textures as lines of text, a tile between",
         [=] {
             Copy(lines[0], -60, 2, 0xFFFFFF00);
             Copy(lines[1], 0, 14);
             Copy(tiles[2], 5, 5);
             Copy(lines[0], 10, 24, 0xFF80FF80);
         }},
        {"parts of tiles, mirrored and flipped",
         [=] {
             device->SetTexture(0, tiles[0]);
             Quad(2, 2, 10, 10, 0xFFFFFFFF, 2 / s, 0, 10 / s, 8 / s);
             device->SetTexture(0, tiles[1]);
             Quad(20, 2, 20 + s, 2 + s, 0xFFFFFFFF, 1, 0, 0, 1);
             device->SetTexture(0, tiles[2]);
             Quad(40, 2, 40 + s, 2 + s, 0xFFFFFFFF, 0, 1, 1, 0);
             device->SetTexture(0, tiles[3]);
             Quad(4, 24, 12, 36, 0xFFFFFFFF, 8 / s, 4 / s, 1, 1);
         }},
        {"moved by the world matrix",
         [=] {
             D3DMATRIX world{};
             world._11 = world._22 = world._33 = world._44 = 1.0f;
             world._41 = 7;
             world._42 = 3;
             device->SetTransform(D3DTS_WORLD, &world);
             Copy(tiles[0], 2, 2);
             Copy(tiles[1], 20, 10);
         }},
        {"an opaque texture among translucent ones",
         [=] {
             Copy(tiles[0], 2, 2);
             Copy(opaque, 8, 8);
             Copy(tiles[1], 12, 12);
             Copy(opaque, 30, 8, 0xFFFF8040);
         }},
        {"repainted between draws, and after a draw of a later frame read its page",
         [=] {
             Copy(tiles[0], 2, 2);
             Copy(tiles[1], 20, 2);
             Paint(tiles[0], RECT{3, 3, 9, 9}, 0xFF00FFFF);
             Copy(tiles[0], 2, 20);
             Copy(tiles[1], 20, 20);
             Copy(tiles[2], 40, 2);
             Copy(tiles[3], 40, 20);
             ReadBack();  // the pages' frame ends
             Copy(tiles[1], 30, 30);
             Copy(tiles[3], 48, 36);
             device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);  // no colour uses it: only ends the batch
             Paint(tiles[2], RECT{0, 0, 16, 4}, 0x80FFFFFF);
             Copy(tiles[2], 2, 32);
             Copy(tiles[3], 20, 32);
         }},
        {"released while its draws wait",
         [=] {
             IDirect3DTexture9* temporary = MakeTile(5);
             Copy(temporary, 2, 2);
             Copy(tiles[0], 20, 2);
             temporary->Release();
             Copy(tiles[1], 10, 10);
         }},
        {"depth written, then a deeper quad",
         [=] {
             Copy(tiles[0], 2, 2);
             Copy(tiles[1], 12, 8);
             Solid(0, 0, 40, 30, 0xFF00FF00, 500);
         }},
        {"alpha test that discards alpha 0, no blending, depth written",
         [=] {
             device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
             device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
             device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
             Copy(tiles[0], 2, 2);
             Copy(tiles[1], 12, 8);
             Solid(0, 0, 40, 30, 0xFF00FF00, 500);
         }},
        // Not from pages: sampling reaches past the texture's own texels.
        {"stretched and shifted by half a texel between texel-for-texel draws",
         [=] {
             Copy(tiles[0], 2, 2);
             device->SetTexture(0, tiles[1]);
             Quad(20, 2, 20 + 2 * s, 2 + 2 * s);
             device->SetTexture(0, tiles[2]);
             Quad(2, 24, 2 + s, 24 + s, 0xFFFFFFFF, 0.5f / s, 0.5f / s, 1 + 0.5f / s, 1 + 0.5f / s);
             Copy(tiles[3], 44, 24);
         }},
        {"wrapped past the texture's edges",
         [=] {
             Copy(tiles[0], 2, 2);
             device->SetTexture(0, tiles[1]);
             Quad(20, 2, 20 + 2 * s, 2 + s, 0xFFFFFFFF, 0, 0, 2, 1);
             device->SetTexture(0, tiles[2]);
             Quad(2, 24, 2 + s, 24 + s, 0xFFFFFFFF, -1, -1, 0, 0);
             Copy(tiles[3], 44, 24);
         }},
        {"clamped to a border colour past the texture's edges",
         [=] {
             device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_BORDER);
             device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_BORDER);
             device->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0x80FF8000);
             Copy(tiles[0], 2, 2);
             device->SetTexture(0, tiles[1]);
             Quad(20, 2, 20 + 2 * s, 2 + 2 * s, 0xFFFFFFFF, -0.5f, -0.5f, 1.5f, 1.5f);
             Copy(tiles[2], 2, 24);
         }},
        {"clamped to the edge past it",
         [=] {
             device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
             device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
             Copy(tiles[0], 2, 2);
             device->SetTexture(0, tiles[1]);
             Quad(20, 2, 20 + 2 * s, 2 + 2 * s, 0xFFFFFFFF, -0.5f, -0.5f, 1.5f, 1.5f);
             Copy(tiles[2], 2, 24);
         }},
        {"mip levels and a format without alpha among paged draws",
         [=] {
             device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
             Copy(tiles[0], 2, 2);
             device->SetTexture(0, mipped);
             Quad(20, 2, 28, 10);
             Copy(unpaged, 30, 2);
             Copy(tiles[1], 2, 24);
             Copy(mipped, 24, 24);
         }},
    };
}

const Buffers kBuffers[] = {{"four samples and depth, flat", D3DMULTISAMPLE_4_SAMPLES, true, true},
                            {"four samples and depth, real", D3DMULTISAMPLE_4_SAMPLES, true, false},
                            {"one sample, no depth", D3DMULTISAMPLE_NONE, false, true}};

TEST_F(PageShortcutTest, PicturesAreTheSameAsWithoutPages) {
    const std::vector<Frame> frames = Frames();
    for (const Buffers& b : kBuffers) {
        const auto plain = Pictures(b, "pages");
        const auto pictures = Pictures(b, "0");
        ASSERT_EQ(pictures.size(), frames.size());
        ASSERT_EQ(plain.size(), frames.size());
        for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(pictures[i], plain[i]) << frames[i].name << ", " << b.name;
    }
    VelmoraTest::AllowFlatBackBuffers(true);
}

// Ten string textures texel for texel go to GL as one batch; one stretched among them, which
// must not come from a page, splits it in three.
TEST_F(PageShortcutTest, TenStringsTexelForTexelTakeOneBatch) {
    for (const char* off : {"0", "pages"}) {
        {
            ScopedEnvironment env("VELMORA_NO_RASTER_SHORTCUTS", off);
            CreateDevice(D3DMULTISAMPLE_NONE, false);
        }
        std::vector<IDirect3DTexture9*> strings;
        for (int k = 0; k < 10; ++k) strings.push_back(MakeLine(k));
        const bool pages = off[0] == '0';
        for (bool stretched : {false, true}) {
            ClearTo(0xFF000000);
            const unsigned before = VelmoraTest::GetDeviceDrawBatches(device);
            for (int k = 0; k < 10; ++k) {
                device->SetTexture(0, strings[size_t(k)]);
                const float y = float(k * 4);
                if (stretched && k == 5)
                    Quad(0, y, 1024, y + 64);
                else
                    Quad(float(-k), y, float(512 - k), y + 32);
            }
            const unsigned batches = VelmoraTest::GetDeviceDrawBatches(device) - before;
            EXPECT_EQ(batches, pages ? (stretched ? 3u : 1u) : 10u) << off << (stretched ? ", one stretched" : "");
        }
        device->SetTexture(0, nullptr);
        for (IDirect3DTexture9* t : strings) t->Release();
    }
}

// Draws waiting in the batch hold their textures; a lost device drops them and lets go.
TEST_F(PageShortcutTest, LostDeviceDropsWaitingDrawsAndTheirTextures) {
    IDirect3DTexture9* waiting = MakeTile(0);
    IDirect3DTexture9* current = MakeTile(1);
    ASSERT_TRUE(waiting && current);
    waiting->AddRef();  // one reference kept to count with
    Copy(waiting, 2, 2);
    Copy(current, 20, 2);
    waiting->Release();
    VelmoraTest::ForceDeviceLost();
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(waiting->Release(), 0u);  // the batch no longer holds it
    VelmoraTest::AllowDeviceReset();
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.hDeviceWindow = hwnd;
    pp.Windowed = TRUE;
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    ApplyEngineDeviceState(device, kWidth, kHeight, false);
    ClearTo(0xFF000000);
    Copy(current, 2, 2);
    Copy(opaque = MakeGradientTexture(8, 8), 30, 2);
    const std::vector<DWORD> picture = ReadBack();
    EXPECT_EQ(At(picture, 3, 3), 0x101060u);  // the tile's gradient, opaque there
    EXPECT_EQ(At(picture, 31, 3), GradientTexel(1, 1));
    device->SetTexture(0, nullptr);
    current->Release();
}

}  // namespace
