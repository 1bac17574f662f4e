// DemoEffects: loading the demo's effects, moving them with the pointer and the ball, and drawing them.
#include "DemoEffects.h"

#include <cmath>
#include <cstdio>

namespace {

const float kCampX = 150.0f, kCampY = 540.0f;    // where the fire waits
const float kOrbitX = 150.0f, kOrbitY = 260.0f;  // the ball's circle
const float kOrbitRadius = 85.0f;
const DWORD kBurstEveryMs = 700;  // between the sparks that fire by themselves

}  // namespace

bool DemoEffects::Found(const std::string& file) const {
    if (FILE* fp = std::fopen(file.c_str(), "rb")) {
        std::fclose(fp);
        return true;
    }
    WriteLog(INFO_WARNING, "Demo effect not found: %s", file.c_str());
    return false;
}

void DemoEffects::Load(const std::string& folder) {
    const std::string fx = folder.empty() ? "fx/" : folder + "/fx/";
    if ((m_bFire = Found(fx + "fire.ini"))) {
        m_Fire.LoadIniFile((fx + "fire.ini").c_str());
        m_Fire.FireAt(kCampX, kCampY);
    }
    if ((m_bSmoke = Found(fx + "smoke.ini"))) {
        m_Smoke.LoadIniFile((fx + "smoke.ini").c_str());
        m_fBallX = kOrbitX + kOrbitRadius;
        m_fBallY = kOrbitY;
        m_Smoke.FireAt(m_fBallX, m_fBallY);
    }
    if (Found(fx + "sparks.ini")) m_strSparks = fx + "sparks.ini";
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
        Burst(560.0f + 70.0f * (m_nBursts % 3), 320.0f - 50.0f * (m_nBursts % 2));
    }

    // The ball goes round its circle every four seconds at 60 frames a second; the smoke's
    // emitter follows, so each step's puffs spread along the arc since the last step.
    const float angle = frame * (6.2831853f / 240.0f);
    m_fBallX = kOrbitX + kOrbitRadius * std::cos(angle);
    m_fBallY = kOrbitY + kOrbitRadius * std::sin(angle);
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
