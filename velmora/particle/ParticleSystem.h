// ParticleSystem: one particle effect. An emitter that, while alive, spawns up to 500
// particles with randomised life, direction, speed, accelerations, size and colour, moves them
// in fixed 0.02 s steps and draws each as one texture stretched over a small square.
// Parameters come from code (ParticleSystemInfo) or from the section "FX" of an INI file.
#pragma once

#include <cstdint>

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

class CIniFile;

// The parameters of an effect, every field 32 bits; each field's name is its INI key.
// Angles are radians here and whole degrees in the file; colours are ARGB.
struct ParticleSystemInfo {
    float fEmission;      // particles per second when EmissionNum is 0 or less
    int32_t EmissionNum;  // when above 0: particles kept alive instead of a rate
    float fLifetime;      // seconds of emission after Fire; exactly -1 emits for ever
    float fXPosMin;       // random offset of a new particle from the emitter
    float fXPosMax;
    float fYPosMin;
    float fYPosMax;
    float fParticleLifeMin;  // seconds
    float fParticleLifeMax;
    float Direction;   // 0 is up the screen, π/2 to the right
    float Spread;      // width of the emission fan, centred on Direction
    int32_t Relative;  // non-zero: the direction turns with the emitter's motion
    float fSpeedMin;   // pixels per step
    float fSpeedMax;
    float fGravityMin;  // added to the y velocity per second
    float fGravityMax;
    float fRadialAccelMin;  // away from the emitter
    float fRadialAccelMax;
    float fTangentialAccelMin;  // across the radius
    float fTangentialAccelMax;
    float fSizeStart;  // side of the drawn square, pixels
    float fSizeEnd;
    float fSizeVar;  // 0 to 1: how far the birth size may lean towards the end size
    float fSpinStart;
    float fSpinEnd;
    float fSpinVar;
    DWORD dwColorStart;
    DWORD dwColorEnd;
    float fColorVar;  // 0 to 1: variance of the birth red, green and blue
    float fAlphaVar;  // 0 to 1: variance of the birth alpha
};
static_assert(sizeof(ParticleSystemInfo) == 30 * 4, "thirty 32-bit fields");

// One live particle. Velocity is pixels per step; the changes are per second; colour
// channels run from 0 to 1.
struct Particle {
    float x, y;
    float vx, vy;
    float fGravity;
    float fRadialAccel;
    float fTangentialAccel;
    float fSpin;
    float fSpinDelta;
    float fSize;
    float fSizeDelta;
    float fAlpha, fRed, fGreen, fBlue;
    float fAlphaDelta, fRedDelta, fGreenDelta, fBlueDelta;
    float fAge;
    float fTerminalAge;
};

class VLM_API ParticleSystem {
public:
    static constexpr int MAX_PARTICLES = 500;
    static constexpr float AGE_STOPPED = -2.0f;
    static constexpr float AGE_FOREVER = -1.0f;

    // An empty, stopped system with zero parameters and no texture.
    ParticleSystem();
    // Copies the parameters and takes the texture handle; a null record leaves zeros.
    ParticleSystem(const ParticleSystemInfo* info, DWORD texture);

    // Replaces the parameters and the texture; nothing else changes.
    void SetSystem(const ParticleSystemInfo* info, DWORD texture);
    // Reads the section "FX" of an INI file and loads its "TextureFile". A missing file or
    // key gives 0 (an empty texture name gives no texture); the system still works. A file
    // without the section, a missing texture and values that are not numbers are logged.
    void LoadIniFile(const char* fileName);

    // Starts emitting (for "fLifetime" seconds, or for ever when it is exactly -1).
    void Fire();
    void FireAt(float x, float y);
    // Stops emitting; killParticles drops the live ones too, otherwise they run out their lives.
    void Stop(bool killParticles = false);
    // Moves the emitter. With moveParticles the live particles move along; otherwise a running
    // emitter spreads the next step's particles along the path, and a stopped one jumps.
    void MoveTo(float x, float y, bool moveParticles = false);
    // An offset added to every particle when drawing (a scroll position).
    void Transpose(float x, float y) {
        m_fTX = x;
        m_fTY = y;
    }

    // Advances by one fixed step when at least a step's time has passed since the last call;
    // time beyond one step is dropped. The first call only starts the clock.
    void Update();
    // Update, then draws every live particle through the sprite path (batched when the caller
    // wraps it in CGraphics::BeginSprite/EndSprite).
    void Render();

    int GetParticlesAlive() const { return m_nParticlesAlive; }
    // AGE_STOPPED, AGE_FOREVER, or the seconds since Fire.
    float GetAge() const { return m_fAge; }
    void GetPosition(float* x, float* y) const {
        if (x) *x = m_fX;
        if (y) *y = m_fY;
    }
    void GetTransposition(float* x, float* y) const {
        if (x) *x = m_fTX;
        if (y) *y = m_fTY;
    }
    const ParticleSystemInfo& GetInfo() const { return m_Info; }
    DWORD GetTexture() const { return m_dwTexture; }
    // Live particle `index` (0 to GetParticlesAlive() - 1), or null.
    const Particle* GetParticle(int index) const {
        return index >= 0 && index < m_nParticlesAlive ? &m_Particles[index] : nullptr;
    }

private:
    void Update(float deltaTime);
    void Spawn();
    // Logs what keeps a loaded description from making a visible effect.
    void ReportLoad(const CIniFile& ini, const char* texture) const;

    ParticleSystemInfo m_Info;
    float m_fStep;             // the fixed simulation step, seconds
    float m_fTimeStore;        // time not yet consumed by a step
    DWORD m_dwLastTime;        // clock reading of the last Update
    bool m_bClockStarted;      // a reading of 0 is a valid time at the clock's wrap
    float m_fPrevX, m_fPrevY;  // where the emitter was at the end of the last step
    float m_fX, m_fY;
    float m_fTX, m_fTY;
    float m_fEmissionResidue;   // fraction of a particle carried to the next step
    int32_t m_nParticlesAlive;  // live particles, packed at the front of the table
    float m_fAge;
    DWORD m_dwTexture;
    Particle m_Particles[MAX_PARTICLES];
};
