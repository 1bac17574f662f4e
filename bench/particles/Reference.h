// The reference loop of the particle benchmark: the step of a particle system as a game
// programmer would write it for the same arithmetic, on the same data layout (500 records of
// 21 floats per system), compiled with the same flags as the engine.
#pragma once

#include <cstdint>
#include <cstring>

namespace ParticleBench {

struct RefParticle {
    float x, y, vx, vy;
    float gravity, radial, tangential;
    float spin, spinDelta, size, sizeDelta;
    float a, r, g, b, da, dr, dg, db;
    float age, life;
};

struct RefSystem {
    float ex, ey;  // the emitter
    int alive;
    RefParticle particles[500];
};

inline float FastInvSqrt(float x) {
    int32_t i;
    std::memcpy(&i, &x, 4);
    i = 0x5F3759DF - (i >> 1);
    float y;
    std::memcpy(&y, &i, 4);
    return y * (1.5f - 0.4999f * x * y * y);
}

inline void ReferenceStep(RefSystem& s, float dt) {
    for (int i = 0; i < s.alive;) {
        RefParticle& p = s.particles[i];
        p.age += dt;
        if (p.age >= p.life) {
            p = s.particles[--s.alive];
            continue;
        }
        float nx = p.x - s.ex, ny = p.y - s.ey;
        const float inv = FastInvSqrt(nx * nx + ny * ny);
        nx *= inv;
        ny *= inv;
        const float ax = nx * p.radial + -ny * p.tangential;
        const float ay = ny * p.radial + nx * p.tangential;
        p.vx += ax * dt;
        p.vy += ay * dt;
        p.vy += p.gravity * dt;
        p.x += p.vx;
        p.y += p.vy;
        p.spin += p.spinDelta * dt;
        p.size += p.sizeDelta * dt;
        p.a += p.da * dt;
        p.r += p.dr * dt;
        p.g += p.dg * dt;
        p.b += p.db * dt;
        ++i;
    }
}

}  // namespace ParticleBench
