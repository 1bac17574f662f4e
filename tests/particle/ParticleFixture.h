// Helpers for the particle tests: a quiet parameter record to vary, description files written
// key by key, and stepping a system on the manual clock.
#pragma once

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/EngineTest.h"

// Particles that sit still, white and opaque, live one second; the emitter runs for ever and
// emits nothing until a test sets a count or a rate.
inline ParticleSystemInfo QuietInfo() {
    ParticleSystemInfo info;
    std::memset(&info, 0, sizeof info);
    info.fLifetime = -1.0f;
    info.fParticleLifeMin = info.fParticleLifeMax = 1.0f;
    info.fSizeStart = info.fSizeEnd = 4.0f;
    info.dwColorStart = info.dwColorEnd = 0xFFFFFFFF;
    return info;
}

using FxKeys = std::vector<std::pair<std::string, std::string>>;

// A description file: the section "FX" with the keys in order.
inline void WriteFx(const std::string& path, const FxKeys& keys) {
    std::string text = "; effect\r\n[FX]\r\n";
    for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
    WriteFile(path, text);
}

// `steps` calls of Update, each `ms` after the last.
inline void Step(ParticleSystem& ps, int steps = 1, DWORD ms = 20) {
    for (int i = 0; i < steps; ++i) {
        VelmoraTest::AdvanceClock(ms);
        ps.Update();
    }
}

inline std::vector<Particle> Particles(const ParticleSystem& ps) {
    std::vector<Particle> out;
    for (int i = 0; i < ps.GetParticlesAlive(); ++i) out.push_back(*ps.GetParticle(i));
    return out;
}

inline bool SameParticles(const ParticleSystem& a, const ParticleSystem& b) {
    if (a.GetParticlesAlive() != b.GetParticlesAlive()) return false;
    return a.GetParticlesAlive() == 0 ||
           std::memcmp(a.GetParticle(0), b.GetParticle(0), sizeof(Particle) * a.GetParticlesAlive()) == 0;
}
