// Effects: the particle systems and the manager of the one-shot effects.
#include "Effects.h"

#include "Assets.h"

namespace {

const char kTrail[] = "fx/trail.ini", kBurst[] = "fx/burst.ini", kSparkle[] = "fx/sparkle.ini";

}  // namespace

bool Effects::Load() {
    for (const char* file : {kTrail, kBurst, kSparkle})
        if (!Assets::Exists(file)) WriteLog(INFO_WARNING, "Breakout effect not found: %s", file);
    m_bBurst = Assets::Exists(kBurst);
    m_bSparkle = Assets::Exists(kSparkle);
    if (Assets::Exists(kTrail)) {
        m_Trail.LoadIniFile(kTrail);
        m_bTrail = m_Trail.GetTexture() != 0;
    }
    return m_bTrail && m_bBurst && m_bSparkle;
}

void Effects::SetEnabled(bool enabled) {
    m_bEnabled = enabled;
    if (!enabled) Clear();
}

void Effects::StartTrail(float x, float y) {
    if (m_bEnabled && m_bTrail) m_Trail.FireAt(x, y);
}

void Effects::MoveTrail(float x, float y) { m_Trail.MoveTo(x, y); }

void Effects::StopTrail() { m_Trail.Stop(); }

void Effects::Burst(float x, float y, DWORD color) {
    ParticleSystem* burst = m_bEnabled && m_bBurst ? m_OneShots.AddPS(kBurst) : nullptr;
    if (!burst) return;
    // The file gives the burst's shape; its colours come from the brick.
    ParticleSystemInfo info = burst->GetInfo();
    info.dwColorStart = 0xFF000000 | (color & 0x00FFFFFF);
    info.dwColorEnd = color & 0x00FFFFFF;
    burst->SetSystem(&info, burst->GetTexture());
    burst->FireAt(x, y);
}

void Effects::Sparkle(float x, float y) {
    if (ParticleSystem* sparkle = m_bEnabled && m_bSparkle ? m_OneShots.AddPS(kSparkle) : nullptr)
        sparkle->FireAt(x, y);
}

void Effects::Clear() {
    m_Trail.Stop(true);
    m_OneShots.RemoveAll();
}

void Effects::Render() {
    CGraphics* graphics = GetGraphics();
    graphics->BeginSprite();
    m_Trail.Render();
    m_OneShots.Render();
    graphics->EndSprite();
}
