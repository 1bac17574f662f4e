#include "DemoGame.h"

#include <cmath>
#include <cstdio>

namespace {

// In the engine's vertex format, which the engine's 2D state has set on the device.
void DrawPrimitive(D3DPRIMITIVETYPE type, UINT count, const EngineVertex* vertices) {
    GetD3DDevice()->DrawPrimitiveUP(type, count, vertices, sizeof(EngineVertex));
}

}  // namespace

DWORD DemoGame::LoadFrames(const std::string& folder, const char* name) {
    const std::string path = folder.empty() ? name : folder + "/" + name;
    // Checked first: a failed load would raise the engine's error box.
    if (FILE* fp = std::fopen(path.c_str(), "rb")) {
        std::fclose(fp);
    } else {
        WriteLog(INFO_WARNING, "Demo art not found: %s", path.c_str());
        return 0;
    }
    DWORD handle = GetFrameManager()->LoadFrame(path.c_str(), MEM_AUTO);
    if (CFrames* frames = handle ? GetFrameManager()->GetFrame(handle) : nullptr)
        WriteLog(INFO_NORMAL, "Demo art %s: %d x %d, frame count %d", name, frames->GetWidth(), frames->GetHeight(),
                 frames->GetFrameCount());
    return handle;
}

void DemoGame::LoadArt(const std::string& folder) {
    m_Menu.Load(folder);
    m_Settings.Load(folder);
    m_hBall = LoadFrames(folder, "ball.amf");
    m_hStar = LoadFrames(folder, "star.amf");
    m_Effects.Load(folder);
    if (!m_hBall) return;
    const std::string path = folder.empty() ? "ball.amf" : folder + "/ball.amf";
    const LOOP_TYPE loops[3] = {LOOP_CYCLE, LOOP_PINGPONG, LOOP_CYCLE};
    for (int i = 0; i < 3; ++i) {
        CAnimation& ball = m_Balls[i];
        if (!ball.LoadFromFile(path.c_str(), MEM_AUTO)) continue;  // shares the set loaded above
        ball.SetLoopType(loops[i]);
        ball.SetPosition(560 + i * 60, 460);
        if (i == 2) ball.SetDelay(ball.GetDelay() * 3);
        ball.Play();
    }
}

void DemoGame::DrawSprites() {
    for (CAnimation& ball : m_Balls) {
        ball.Update();
        if (m_Menu.ShowBalls()) ball.Render();
    }
    if (m_hBall && m_Menu.ShowBalls()) {
        // The same animation drawn twice as large and mirrored, tinted orange.
        CGraphics* graphics = GetGraphics();
        graphics->RenderAnimation(m_hBall, m_Balls[0].GetCurrentFrame(), 720, 500, -2.0f, 2.0f, nullptr, 0xFFFFB060);
    }
    if (!m_hStar || !m_Menu.ShowStars()) return;
    CGraphics* graphics = GetGraphics();
    const float t = m_nFramesRun * 0.05f;
    graphics->BeginSprite();  // one batch for the row of stars
    for (int i = 0; i < m_Settings.StarCount() && i < 6; ++i) {
        float scale = 0.5f + 0.25f * i + 0.1f * std::sin(t + i);
        DWORD tint =
            MakeARGB(static_cast<unsigned char>(255 - i * 25), 255, static_cast<unsigned char>(120 + i * 25), 80);
        graphics->RenderAnimation(m_hStar, 0, 40 + i * 80, 40, i % 2 ? -scale : scale, scale, nullptr, tint);
    }
    graphics->EndSprite();
}

void DemoGame::DrawScene() {
    IDirect3DDevice9* device = GetD3DDevice();
    device->SetTexture(0, nullptr);
    const float t = m_nFramesRun * 0.03f;

    // A band of translucent rectangles sweeping across the screen.
    const float sweep = m_fSweepPhase;
    for (int i = 0; i < 12; ++i) {
        float x = 40.0f + i * 60.0f + 20.0f * std::sin(sweep + i);
        float y = 380.0f + 30.0f * std::cos(sweep * 1.3f + i);
        DWORD color =
            MakeARGB(0xB0, static_cast<unsigned char>(60 + i * 15), 120, static_cast<unsigned char>(250 - i * 15));
        EngineVertex quad[4] = {{x, y, 0, color, 0, 0},
                                {x + 48, y, 0, color, 0, 0},
                                {x, y + 80, 0, color, 0, 0},
                                {x + 48, y + 80, 0, color, 0, 0}};
        DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, quad);
    }

    // A rotating star of lines.
    EngineVertex star[48];
    for (int i = 0; i < 24; ++i) {
        float a = t + i * 3.14159265f / 12.0f;
        star[2 * i] = {400, 200, 0, 0xFFFFFF80, 0, 0};
        star[2 * i + 1] = {400 + 150 * std::cos(a),
                           200 + 150 * std::sin(a),
                           0,
                           MakeARGB(0xFF, static_cast<unsigned char>(128 + i * 5), 200, 255),
                           0,
                           0};
    }
    if (m_Menu.ShowLines()) DrawPrimitive(D3DPT_LINELIST, 24, star);

    // A frame around everything and a field of points.
    EngineVertex frame[5] = {{10, 10, 0, 0xFF80FF80, 0, 0},
                             {789, 10, 0, 0xFF80FF80, 0, 0},
                             {789, 589, 0, 0xFF80FF80, 0, 0},
                             {10, 589, 0, 0xFF80FF80, 0, 0},
                             {10, 10, 0, 0xFF80FF80, 0, 0}};
    if (m_Settings.ShowFrame()) DrawPrimitive(D3DPT_LINESTRIP, 4, frame);
    EngineVertex points[64];
    for (int i = 0; i < 64; ++i)
        points[i] = {static_cast<float>((i * 97 + m_nFramesRun * 3) % 780 + 10),
                     static_cast<float>((i * 53) % 120 + 30),
                     0,
                     0xFFFFFFFF,
                     0,
                     0};
    if (m_Settings.ShowPoints()) DrawPrimitive(D3DPT_POINTLIST, 64, points);
}

void DemoGame::DrainMessages() {
    int index = 0;
    CMessage message(0, 0, 0);
    while (PeekMessageA(index, message, true)) {
        if (message.m_dwMessage == MSG_DEVICE_READY) ++m_nDeviceResets;
        m_Menu.Handle(message);
        m_Settings.Handle(message);
    }
}

void DemoGame::DrawTexts() {
    DrawSingleLine(20, 568, 0xFFFFFF00, false, "%d frames per second, frame %d, %s, device resets %d", GetFPS(),
                   m_nFramesRun, GetWindowMode() ? "windowed" : "full screen", m_nDeviceResets);
    // "Velmora engine: Chinese text in GBK" in GBK bytes.
    DrawSingleLine(400, 120, 0xFFFFFFFF, true, "Velmora \xD2\xFD\xC7\xE6\xA3\xBA\xD6\xD0\xCE\xC4\xCE\xC4\xD7\xD6");
    if (!m_bFontReady) {
        m_bFontReady = m_Font.CreateFontA("\xCB\xCE\xCC\xE5", 16, 0, 700);
        m_Font.SetLineCount(28);
        m_Font.SetLineHeight(22);
    }
    if (!m_bFontReady) return;
    m_Font.DrawTextA(570, 230, 0xFFB0FFB0,
                     "Alt+Enter: full screen.     Alt+F4, F2 or Q: quit.      "
                     "\xB0\xB4 Alt+Enter \xC7\xD0\xBB\xBB\xC8\xAB\xC6\xC1\xA1\xA3");
}

void DemoGame::MainLoop() {
    m_Menu.ProcessEvent();
    DrainMessages();
    ++m_nFramesRun;
    m_fSweepPhase += 0.03f * m_Settings.SweepSpeed();
    m_Effects.Update(m_nFramesRun);
    CGraphics* graphics = GetGraphics();
    graphics->SetBKColor(m_Settings.Background());
    if (graphics->BeginScene()) {
        DrawScene();
        DrawSprites();
        m_Effects.Render(m_hBall, m_Balls[0].GetCurrentFrame());
        DrawTexts();
        m_Menu.Render();
        m_Settings.Render();
        bool last = m_nFrameLimit > 0 && m_nFramesRun >= m_nFrameLimit;
        if (last && !m_strSnapFile.empty()) graphics->SnapToFile(m_strSnapFile.c_str());
        graphics->EndScene();
    }
    if (m_nFramesRun % 60 == 0) WriteLog(INFO_NORMAL, "Frame %d, %d frames per second", m_nFramesRun, GetFPS());
    if (m_nFrameLimit > 0 && m_nFramesRun >= m_nFrameLimit) PostQuitMessage(0);
}
