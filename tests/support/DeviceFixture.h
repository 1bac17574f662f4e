// A window and a Direct3D device set up with the engine's own 2D state (ApplyEngineDeviceState:
// pixel-space projection, alpha blending, texture × vertex colour, linear filtering), with
// helpers to draw in the engine's vertex format and to read pixels back from the back buffer.
#pragma once

#include <cstdlib>
#include <vector>

#include <velmora/graphics/DeviceState.h>
#include <velmora/platform/d3d9/Direct3D9.h>
#include "support/EngineTest.h"

// Sets an environment variable for a scope; devices read it when they are created.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) { setenv(name, value, 1); }
    ~ScopedEnvironment() { unsetenv(m_name); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
};

inline LRESULT CALLBACK DeviceFixtureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class DeviceFixture : public EngineTest {
public:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;

protected:
    void SetUp() override {
        EngineTest::SetUp();
        VelmoraTest::ResetGraphicsConditions();
        WNDCLASSA wc{};
        wc.lpfnWndProc = DeviceFixtureProc;
        wc.lpszClassName = "device-fixture";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, "device-fixture", "device", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        ASSERT_NO_FATAL_FAILURE(CreateDevice(D3DMULTISAMPLE_NONE, true));
    }

    void TearDown() override {
        if (device) device->Release();
        if (d3d) d3d->Release();
        DestroyWindow(hwnd);
        UnregisterClassA("device-fixture", nullptr);
        VelmoraTest::ResetGraphicsConditions();
        EngineTest::TearDown();
    }

    // The fixture's presentation: kWidth x kHeight in its window, presented at once.
    D3DPRESENT_PARAMETERS Parameters(D3DMULTISAMPLE_TYPE samples, bool depth, D3DFORMAT format) const {
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = kWidth;
        pp.BackBufferHeight = kHeight;
        pp.BackBufferFormat = format;
        pp.BackBufferCount = 1;
        pp.MultiSampleType = samples;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = hwnd;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = depth;
        pp.AutoDepthStencilFormat = D3DFMT_D16;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return pp;
    }

    void CreateDevice(D3DMULTISAMPLE_TYPE samples, bool depth, D3DFORMAT format = D3DFMT_X8R8G8B8) {
        if (device) device->Release();
        device = nullptr;
        D3DPRESENT_PARAMETERS pp = Parameters(samples, depth, format);
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                    &device),
                  D3D_OK);
        ApplyEngineDeviceState(device, kWidth, kHeight, depth);
    }

    // Back to the state CreateDevice left: the device reset and the engine's state applied.
    void ResetDevice(D3DMULTISAMPLE_TYPE samples, bool depth) {
        D3DPRESENT_PARAMETERS pp = Parameters(samples, depth, D3DFMT_X8R8G8B8);
        EXPECT_EQ(device->Reset(&pp), D3D_OK);
        ApplyEngineDeviceState(device, kWidth, kHeight, depth);
    }

    void ClearTo(D3DCOLOR color) { device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0); }

    // Every pixel of the back buffer as 0xAARRGGBB, top row first.
    std::vector<DWORD> ReadBack() {
        std::vector<DWORD> pixels;
        IDirect3DSurface9* surface = nullptr;
        if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))) return pixels;
        D3DLOCKED_RECT lr{};
        if (SUCCEEDED(surface->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
            for (int y = 0; y < kHeight; ++y) {
                const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const char*>(lr.pBits) + y * lr.Pitch);
                pixels.insert(pixels.end(), row, row + kWidth);
            }
            surface->UnlockRect();
        }
        surface->Release();
        return pixels;
    }

    static DWORD At(const std::vector<DWORD>& pixels, int x, int y) { return pixels.at(y * kWidth + x) & 0xFFFFFF; }

    // A texture whose texels all differ: red = x * 16, green = y * 16, blue fixed.
    IDirect3DTexture9* MakeGradientTexture(UINT w, UINT h, BYTE alpha = 0xFF) {
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
            return nullptr;
        D3DLOCKED_RECT lr{};
        texture->LockRect(0, &lr, nullptr, 0);
        for (UINT y = 0; y < h; ++y) {
            DWORD* row = reinterpret_cast<DWORD*>(static_cast<char*>(lr.pBits) + y * lr.Pitch);
            for (UINT x = 0; x < w; ++x) row[x] = D3DCOLOR_ARGB(alpha, (x * 16) & 0xFF, (y * 16) & 0xFF, 0x40);
        }
        texture->UnlockRect(0);
        return texture;
    }

    static DWORD GradientTexel(UINT x, UINT y) { return ((x * 16) & 0xFF) << 16 | ((y * 16) & 0xFF) << 8 | 0x40; }

    void DrawQuad(float l, float t, float r, float b, DWORD color, float u0 = 0, float v0 = 0, float u1 = 1,
                  float v1 = 1) {
        EngineVertex v[4] = {
            {l, t, 0, color, u0, v0}, {r, t, 0, color, u1, v0}, {l, b, 0, color, u0, v1}, {r, b, 0, color, u1, v1}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(EngineVertex));
    }

    HWND hwnd = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};
