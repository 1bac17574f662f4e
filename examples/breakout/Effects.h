// Effects: the game's particle effects, described in fx/*.ini: a trail behind the ball, a
// burst in a brick's colour where it broke, and a sparkle where a capsule was caught. The
// player can switch them off in the settings.
#pragma once

#include <string>

#include <velmora/Velmora.h>

class Effects {
public:
    // False, with a warning in the log, when an effect or its texture is missing; the game
    // runs on without it.
    bool Load();
    void SetEnabled(bool enabled);

    // The trail follows the ball while it flies.
    void StartTrail(float x, float y);
    void MoveTrail(float x, float y);
    void StopTrail();
    // One-shot effects, run by the particle manager until they die out.
    void Burst(float x, float y, DWORD color);
    void Sparkle(float x, float y);
    void Clear();

    // Every live effect, in one sprite batch.
    void Render();

private:
    bool m_bEnabled = true;
    bool m_bTrail = false, m_bBurst = false, m_bSparkle = false;  // the files are there
    ParticleSystem m_Trail;
    ParticleManager m_OneShots;
};
