// The demo's particle effects, described in its own INI files under fx/: a campfire that
// follows the pointer, sparks fired by the particle manager on a click (and every 0.7 s by
// themselves), and a smoke trail behind a ball that circles the star of lines.
#pragma once

#include <string>

#include <velmora/Velmora.h>

class DemoEffects {
public:
    // Loads the effects from `folder`/fx, whose texture names are relative to `folder`. A
    // missing file is logged as a warning and its effect left out.
    void Load(const std::string& folder);
    // Follows the pointer and the frame count; a left click fires sparks at the pointer.
    void Update(int frame);
    // Sparks at (x, y), for a game event such as a button press.
    void Burst(float x, float y);
    // The smoke, the ball on top of it (a frame of `ballFrames`, when not 0), the fire and the
    // sparks, in one sprite batch.
    void Render(DWORD ballFrames, DWORD ballFrame);

private:
    static std::string Prepare(const std::string& folder, const char* name);

    std::string m_strSparks;  // the sparks' file, for each burst
    ParticleSystem m_Fire;
    ParticleSystem m_Smoke;
    ParticleManager m_Sparks;
    bool m_bFire = false, m_bSmoke = false;
    bool m_bPointerSeen = false;  // the fire waits by the camp until the pointer moves
    float m_fBallX = 0, m_fBallY = 0;
    DWORD m_dwLastBurst = 0;
    int m_nBursts = 0;
};
