// Particles: a fire-and-forget effect from a description file, run by a particle manager, and
// an effect described in code that the game drives itself.
#include "Example.h"

class ParticlesExample : public Example {
public:
    // [effects]
    bool Setup() override {
        m_pSparks = m_Effects.AddPS("fx/sparks.ini");  // loaded and fired at once
        if (!m_pSparks || !m_pSparks->GetTexture()) return false;
        m_pSparks->MoveTo(400, 400, false);

        ParticleSystemInfo trail{};  // every parameter 0, then those the effect needs
        trail.fEmission = 80;        // particles a second
        trail.fLifetime = -1;        // emit for ever
        trail.fParticleLifeMin = trail.fParticleLifeMax = 0.6f;
        trail.Spread = 6.2831853f;  // radians here, degrees in a file: all around
        trail.fSpeedMin = trail.fSpeedMax = 0.5f;
        trail.fSizeStart = 8;
        trail.fSizeEnd = 2;
        trail.dwColorStart = 0xFF80C0FF;
        trail.dwColorEnd = 0x0080C0FF;
        m_Trail.SetSystem(&trail, LoadTexture("art/spark.png"));
        m_Trail.FireAt(100, 300);
        return m_Trail.GetTexture() != 0;
    }

    void Frame() override {
        m_fX += 2;
        m_Trail.MoveTo(100 + float(int(m_fX) % 600), 300);  // new particles spread along the path
        // The manager deletes an effect once it has died out: ask before using the pointer.
        if (m_Effects.IsPSAlive(m_pSparks)) m_pSparks->MoveTo(400, 400, false);

        CGraphics* g = GetGraphics();
        if (!g->BeginScene()) return;
        g->BeginSprite();    // one batch for every particle
        m_Effects.Render();  // updates and draws every effect, deletes those that died out
        m_Trail.Render();    // updates (one 0.02 s step when it is due) and draws
        g->EndSprite();
        const int sparks = m_Effects.IsPSAlive(m_pSparks) ? m_pSparks->GetParticlesAlive() : 0;
        DrawSingleLine(10, 10, 0xFFFFFFFF, false, "%d + %d particles", sparks, m_Trail.GetParticlesAlive());
        g->EndScene();
    }
    // [/effects]

private:
    ParticleManager m_Effects;
    ParticleSystem* m_pSparks = nullptr;  // owned by m_Effects
    ParticleSystem m_Trail;
    float m_fX = 0;
};

int main(int argc, char** argv) {
    ParticlesExample game;
    return game.Main(argc, argv);
}
