// CGraphics through the application object: start-up, frames, lost-device recovery, the
// full-screen toggle and snapshots, on the real off-screen device.
#include <velmora/platform/d3dx9/ImageCodec.h>

#include "support/EngineTest.h"

namespace {

class GraphicsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        VelmoraTest::ResetGraphicsConditions();
    }
    void TearDown() override {
        app.Destroy();
        if (app.GetWndHandle()) DestroyWindow(app.GetWndHandle());
        VelmoraTest::ResetGraphicsConditions();
        EngineTest::TearDown();
    }
    int Start(int width = 320, int height = 240) {
        app.SetWindowWidth(width);
        app.SetWindowHeight(height);
        return app.InitApplication(nullptr, SW_SHOW, "graphics", nullptr);
    }
    // Engine messages of one identifier waiting in the main queue.
    static int CountMessages(DWORD id) {
        int count = 0, index = 0;
        CMessage m(0, 0, 0);
        while (PeekMessageA(index, m, false))
            if (m.m_dwMessage == id) ++count;
        return count;
    }
    static DWORD Pixel(int x, int y) {
        IDirect3DSurface9* surface = nullptr;
        GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
        D3DLOCKED_RECT lr{};
        RECT one{x, y, x + 1, y + 1};
        DWORD value = 0;
        if (surface && SUCCEEDED(surface->LockRect(&lr, &one, D3DLOCK_READONLY))) {
            value = *static_cast<DWORD*>(lr.pBits);
            surface->UnlockRect();
        }
        if (surface) surface->Release();
        return value;
    }
    std::string LogText() { return ReadFile("VLMLog.html"); }

    CGameApp app;
};

TEST_F(GraphicsTest, StartUpCreatesTheDeviceAndLogsEachStep) {
    app.SetDLLFileLog(true);
    ASSERT_EQ(Start(), 1);
    ASSERT_NE(GetGraphics(), nullptr);
    ASSERT_NE(GetD3DDevice(), nullptr);
    EXPECT_EQ(GetGraphics()->GetDevice(), GetD3DDevice());
    EXPECT_TRUE(IsSupportFSAA());
    EXPECT_TRUE(GetGraphics()->GetZBuffer());
    std::string log = LogText();
    for (const char* line :
         {"]Setup Z Buffer : true", "]Initiating Graphics...", "]Supported Full_windowed MultiSampling 4X: TRUE",
          "]Supported Full_scene MultiSampling 4X: TRUE", "]Graphics Width(320), Height(240), Color(32)",
          "]Initiate Graphics Successful."})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    // The device-ready message of start-up has no queue to go to.
    EXPECT_EQ(CountMessages(MSG_DEVICE_READY), 0);
    D3DVIEWPORT9 viewport{};
    GetD3DDevice()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 320u);
}

TEST_F(GraphicsTest, FramesClearToTheBackgroundColour) {
    ASSERT_EQ(Start(), 1);
    GetGraphics()->SetBKColor(0xFF3366CC);
    ASSERT_TRUE(GetGraphics()->BeginScene());
    EXPECT_EQ(Pixel(0, 0), 0xFF3366CCu);
    EXPECT_EQ(Pixel(319, 239), 0xFF3366CCu);
    GetGraphics()->EndScene();
}

TEST_F(GraphicsTest, LostDeviceIsResetOnceAllowedAndAnnouncedOnce) {
    ASSERT_EQ(Start(), 1);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(GetD3DDevice(), 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT lr{};
    texture->LockRect(0, &lr, nullptr, 0);
    static_cast<DWORD*>(lr.pBits)[5] = 0xFF123456;
    texture->UnlockRect(0);
    GetD3DDevice()->SetRenderState(D3DRS_LIGHTING, TRUE);  // changed by the game; a reset restores it

    unsigned resets = VelmoraTest::GetDeviceResetCount();
    VelmoraTest::ForceDeviceLost();
    for (int frame = 0; frame < 3; ++frame) {  // still lost: nothing is done
        GetGraphics()->BeginScene();
        GetGraphics()->EndScene();
    }
    EXPECT_EQ(VelmoraTest::GetDeviceResetCount(), resets);
    EXPECT_EQ(CountMessages(MSG_DEVICE_READY), 0);

    VelmoraTest::AllowDeviceReset();
    GetGraphics()->BeginScene();
    GetGraphics()->EndScene();
    EXPECT_EQ(VelmoraTest::GetDeviceResetCount(), resets + 1);
    EXPECT_FALSE(VelmoraTest::IsDeviceLost());
    EXPECT_EQ(CountMessages(MSG_DEVICE_READY), 1);
    DWORD lighting = TRUE;
    GetD3DDevice()->GetRenderState(D3DRS_LIGHTING, &lighting);
    EXPECT_EQ(lighting, static_cast<DWORD>(FALSE));  // the 2D state was set again

    texture->LockRect(0, &lr, nullptr, D3DLOCK_READONLY);
    EXPECT_EQ(static_cast<DWORD*>(lr.pBits)[5], 0xFF123456u);
    texture->UnlockRect(0);
    texture->Release();
    GetGraphics()->SetBKColor(0xFF00FF00);
    GetGraphics()->BeginScene();
    EXPECT_EQ(Pixel(10, 10), 0xFF00FF00u);
    GetGraphics()->EndScene();
}

TEST_F(GraphicsTest, ToggleScreenSwitchesModeAndBack) {
    ASSERT_EQ(Start(), 1);
    HWND hwnd = app.GetWndHandle();
    GetGraphics()->ToggleScreen();
    EXPECT_FALSE(GetGraphics()->IsWindowed());
    EXPECT_FALSE(app.GetWindowMode());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), static_cast<DWORD>(WS_POPUP));
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.right - outer.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(CountMessages(MSG_DEVICE_READY), 1);
    GetGraphics()->SetBKColor(0xFFAA0000);
    GetGraphics()->BeginScene();
    EXPECT_EQ(Pixel(5, 5), 0xFFAA0000u);
    GetGraphics()->EndScene();

    GetGraphics()->ToggleScreen();
    EXPECT_TRUE(app.GetWindowMode());
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 240);
    EXPECT_EQ(CountMessages(MSG_DEVICE_READY), 2);
    GetGraphics()->BeginScene();
    EXPECT_EQ(Pixel(319, 239), 0xFFAA0000u);
    GetGraphics()->EndScene();
}

class ToggleGame : public CGameApp {
public:
    std::vector<bool> modes;
    void MainLoop() override {
        modes.push_back(GetWindowMode());
        if (modes.size() == 1) VelmoraTest::InjectKey(VK_RETURN, true, true);
        if (modes.size() == 3) PostQuitMessage(0);
    }
};

TEST_F(GraphicsTest, AltEnterTogglesWhileTheGameRuns) {
    VelmoraTest::SetClockTickEveryReads(3);
    ToggleGame game;
    ASSERT_EQ(game.InitApplication(nullptr, SW_SHOW, "toggle", nullptr), 1);
    game.Run();
    EXPECT_EQ(game.modes, (std::vector<bool>{true, false, false}));
    game.Destroy();
    DestroyWindow(game.GetWndHandle());
}

TEST_F(GraphicsTest, WithoutMultisamplingBothParameterSetsFallBack) {
    app.SetDLLFileLog(true);
    VelmoraTest::SetMultisampleSupport(false, false);
    ASSERT_EQ(Start(), 1);
    EXPECT_FALSE(IsSupportFSAA());
    std::string log = LogText();
    EXPECT_NE(log.find("Supported Full_windowed MultiSampling 4X: FALSE"), std::string::npos);
    EXPECT_NE(log.find("Supported Full_scene MultiSampling 4X: FALSE"), std::string::npos);
    D3DSURFACE_DESC desc{};
    IDirect3DSurface9* surface = nullptr;
    GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    surface->GetDesc(&desc);
    surface->Release();
    EXPECT_EQ(desc.MultiSampleType, D3DMULTISAMPLE_NONE);
}

TEST_F(GraphicsTest, ModeChoice) {
    // A size no full-screen mode has: windowed goes on, full screen fails.
    ASSERT_EQ(Start(321, 241), 1);
    auto boxes = VelmoraTest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("Can't find appropriate full screen video mode"), std::string::npos);
    app.Destroy();
    DestroyWindow(app.GetWndHandle());

    CGameApp full;
    full.SetWindowMode(false);
    full.SetWindowWidth(321);
    full.SetWindowHeight(241);
    EXPECT_EQ(full.InitApplication(nullptr, SW_SHOW, "full", nullptr), 0);
    EXPECT_NE(GetGraphics(), nullptr);  // left for Destroy
    EXPECT_EQ(full.Destroy(), 1);
    EXPECT_EQ(GetGraphics(), nullptr);
    EXPECT_EQ(GetLog(), nullptr);
    DestroyWindow(full.GetWndHandle());

    // 16-bit depth on an adapter without R5G6B5 modes takes its X1R5G5B5 ones.
    VelmoraTest::SetSixteenBitModeFormat(D3DFMT_X1R5G5B5);
    CGameApp sixteen;
    sixteen.SetWindowDepth(16);
    sixteen.SetWindowWidth(640);
    sixteen.SetWindowHeight(480);
    ASSERT_EQ(sixteen.InitApplication(nullptr, SW_SHOW, "sixteen", nullptr), 1);
    IDirect3DSurface9* surface = nullptr;
    GetD3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    surface->Release();
    EXPECT_EQ(desc.Format, D3DFMT_X1R5G5B5);
    sixteen.Destroy();
    DestroyWindow(sixteen.GetWndHandle());
}

TEST_F(GraphicsTest, SnapshotIsABitmapOfTheBackBuffer) {
    ASSERT_EQ(Start(64, 48), 1);
    GetGraphics()->SetBKColor(0xFF204080);
    GetGraphics()->BeginScene();
    IDirect3DDevice9* device = GetD3DDevice();
    device->SetTexture(0, nullptr);
    const EngineVertex quad[4] = {{0, 0, 0, 0xFFFF0000, 0, 0},
                                  {8, 0, 0, 0xFFFF0000, 0, 0},
                                  {0, 4, 0, 0xFFFF0000, 0, 0},
                                  {8, 4, 0, 0xFFFF0000, 0, 0}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(EngineVertex));
    GetGraphics()->SnapToFile("snap.bmp");
    GetGraphics()->EndScene();
    std::string bytes = ReadFile("snap.bmp");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    velmora::DecodedImage image;
    std::string error;
    ASSERT_TRUE(velmora::DecodeImageFile("snap.bmp", &image, &error)) << error;
    ASSERT_EQ(image.width, 64u);
    ASSERT_EQ(image.height, 48u);
    EXPECT_EQ(image.pixels[0], 0xFFFF0000u);
    EXPECT_EQ(image.pixels[3 * 64 + 7], 0xFFFF0000u);
    EXPECT_EQ(image.pixels[4 * 64 + 8], 0xFF204080u);
    EXPECT_EQ(image.pixels[47 * 64 + 63], 0xFF204080u);
}

TEST_F(GraphicsTest, WithoutADeviceNothingHappens) {
    CGraphics graphics;  // never initialised
    EXPECT_FALSE(graphics.BeginScene());
    graphics.EndScene();
    graphics.ToggleScreen();
    graphics.SnapToFile("nothing.bmp");
    EXPECT_EQ(ReadFile("nothing.bmp"), "");
}

}  // namespace
