// DemoEffects: loading the demo's effects, moving them with the pointer and the ball, and drawing them.
#include "DemoEffects.h"

#include <cmath>
#include <cstdio>

namespace {

const float kCampX = 150.0f, kCampY = 540.0f;    // where the fire waits, below the menu
const float kOrbitX = 420.0f, kOrbitY = 230.0f;  // the ball's ellipse, round the star of lines
const float kOrbitRadiusX = 150.0f, kOrbitRadiusY = 110.0f;
const DWORD kBurstEveryMs = 700;  // between the sparks that fire by themselves

}  // namespace

// The effect `name` of the art folder, its texture name made a path through that folder and
// written with the engine's own INI writer into a copy beside the log; empty when missing.
std::string DemoEffects::Prepare(const std::string& folder, const char* name) {
    const std::string source = (folder.empty() ? "fx/" : folder + "/fx/") + name;
    if (FILE* fp = std::fopen(source.c_str(), "rb")) {
        std::fclose(fp);
    } else {
        WriteLog(INFO_WARNING, "Demo effect not found: %s", source.c_str());
        return "";
    }
    CIniFile ini(source.c_str());
    char texture[CIniFile::MAX_BUFFER];
    ini.ReadString("FX", "TextureFile", texture, sizeof(texture), "");
    if (texture[0] && texture[0] != '/' && !folder.empty())
        ini.WriteString("FX", "TextureFile", (folder + "/" + texture).c_str());
    const std::string copy = std::string("demo_") + name;
    if (!ini.Save(copy.c_str())) {
        WriteLog(INFO_WARNING, "Demo effect not prepared: %s", source.c_str());
        return "";
    }
    return copy;
}

void DemoEffects::Load(const std::string& folder) {
    const std::string fire = Prepare(folder, "fire.ini"), smoke = Prepare(folder, "smoke.ini");
    if ((m_bFire = !fire.empty())) {
        m_Fire.LoadIniFile(fire.c_str());
        m_Fire.FireAt(kCampX, kCampY);
    }
    if ((m_bSmoke = !smoke.empty())) {
        m_Smoke.LoadIniFile(smoke.c_str());
        m_fBallX = kOrbitX + kOrbitRadiusX;
        m_fBallY = kOrbitY;
        m_Smoke.FireAt(m_fBallX, m_fBallY);
    }
    m_strSparks = Prepare(folder, "sparks.ini");
}

void DemoEffects::Burst(float x, float y) {
    if (m_strSparks.empty()) return;
    if (ParticleSystem* sparks = m_Sparks.AddPS(m_strSparks.c_str())) sparks->FireAt(x, y);
}

void DemoEffects::Update(int frame) {
    const stInputInfo input = GetInputInfo();
    const float px = static_cast<float>(input.ptCursor.x), py = static_cast<float>(input.ptCursor.y);
    // The first frame's snapshot always counts as a move from nowhere.
    m_bPointerSeen = m_bPointerSeen || (input.bMoved && frame > 1);
    if (m_bFire && m_bPointerSeen) m_Fire.MoveTo(px, py);
    if (input.dwMouse == MOUSE_LDOWN) Burst(px, py);
    const DWORD now = timeGetTime();
    if (frame == 1 || now - m_dwLastBurst >= kBurstEveryMs) {
        m_dwLastBurst = now;
        ++m_nBursts;
        Burst(600.0f + 60.0f * (m_nBursts % 3), 120.0f + 50.0f * (m_nBursts % 2));  // above the texts
    }

    // The ball goes round its ellipse every four seconds at 60 frames a second; the smoke's
    // emitter follows, so each step's puffs spread along the arc since the last step.
    const float angle = frame * (6.2831853f / 240.0f);
    m_fBallX = kOrbitX + kOrbitRadiusX * std::cos(angle);
    m_fBallY = kOrbitY + kOrbitRadiusY * std::sin(angle);
    if (m_bSmoke) m_Smoke.MoveTo(m_fBallX, m_fBallY);
}

void DemoEffects::Render(DWORD ballFrames, DWORD ballFrame) {
    CGraphics* graphics = GetGraphics();
    graphics->BeginSprite();
    if (m_bSmoke) m_Smoke.Render();
    if (ballFrames) {
        const RECT ball = {static_cast<LONG>(m_fBallX) - 16, static_cast<LONG>(m_fBallY) - 16,
                           static_cast<LONG>(m_fBallX) + 16, static_cast<LONG>(m_fBallY) + 16};
        graphics->RenderAnimation(ballFrames, ballFrame, &ball, nullptr, 0xFFFFFFFF);
    }
    if (m_bFire) m_Fire.Render();
    m_Sparks.Render();
    graphics->EndSprite();
}
