// ParticleSystem: loading, firing and moving the emitter, the fixed-step simulation and drawing.
#include <velmora/particle/ParticleSystem.h>

#include <cmath>
#include <cstring>

#include <velmora/config/IniFile.h>
#include <velmora/core/Log.h>
#include <velmora/core/MathHelpers.h>
#include <velmora/core/Vector2D.h>
#include <velmora/core/detail/FastMath.h>
#include <velmora/graphics/Render.h>
#include <velmora/platform/win32/FileSystem.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/resource/TextureManager.h>
#include <velmora/resource/detail/LoadFailure.h>

namespace {

const char kSection[] = "FX";
const float kHalfPi = 1.5707963705062866f;
const float kInv255 = 0.003921568859368563f;
const double kDegreesToRadians = 0.017453292519943295;

// Drawn edges are held this far from the screen: widths and heights can't overflow an int,
// and the rasteriser still places such an edge exactly.
const float kCoordinateLimit = 16777216.0f;

float Rand(float min, float max) { return RandomFloat(min, max); }

// Truncation towards zero of a finite edge, held inside the drawable range.
LONG Edge(float f) {
    if (f > kCoordinateLimit) return static_cast<LONG>(kCoordinateLimit);
    if (f < -kCoordinateLimit) return static_cast<LONG>(-kCoordinateLimit);
    return static_cast<LONG>(f);
}

// A channel of 0 to 1 as a byte: trunc(channel × 255), held to 0 … 255 (variances and the last
// step's overshoot can leave a channel outside 0 … 1; NaN gives 0).
DWORD ChannelByte(float channel) {
    const float scaled = channel * 255.0f;
    if (!(scaled > 0.0f)) return 0;
    if (scaled >= 255.0f) return 255;
    return static_cast<DWORD>(scaled);
}

float ByteOf(DWORD color, int shift) { return static_cast<float>((color >> shift) & 0xFF); }

}  // namespace

ParticleSystem::ParticleSystem()
    : m_fStep(0.02f),
      m_fTimeStore(0.0f),
      m_dwLastTime(0),
      m_bClockStarted(false),
      m_fPrevX(0.0f),
      m_fPrevY(0.0f),
      m_fX(0.0f),
      m_fY(0.0f),
      m_fTX(0.0f),
      m_fTY(0.0f),
      m_fEmissionResidue(0.0f),
      m_nParticlesAlive(0),
      m_fAge(AGE_STOPPED),
      m_dwTexture(0) {
    // Zero parameters until SetSystem or LoadIniFile: such a system emits nothing.
    std::memset(&m_Info, 0, sizeof m_Info);
}

ParticleSystem::ParticleSystem(const ParticleSystemInfo* info, DWORD texture) : ParticleSystem() {
    SetSystem(info, texture);
}

void ParticleSystem::SetSystem(const ParticleSystemInfo* info, DWORD texture) {
    if (!info) {
        WriteLog(INFO_ERROR, "Invalidate parameter!");
        return;
    }
    m_Info = *info;
    m_dwTexture = texture;
}

void ParticleSystem::LoadIniFile(const char* fileName) {
    CIniFile ini(fileName);
    char texture[CIniFile::MAX_BUFFER];
    ini.ReadString(kSection, "TextureFile", texture, sizeof texture, "");
    m_dwTexture = ::LoadTexture(texture);
    ReportLoad(ini, texture);
    m_fX = m_fPrevX = ini.ReadFloat(kSection, "fPositionX", 0.0f);
    m_fY = m_fPrevY = ini.ReadFloat(kSection, "fPositionY", 0.0f);

    ParticleSystemInfo& i = m_Info;
    i.fEmission = ini.ReadFloat(kSection, "fEmission", 0.0f);
    i.EmissionNum = ini.ReadInt(kSection, "EmissionNum", 0);
    i.fLifetime = ini.ReadFloat(kSection, "fLifetime", 0.0f);
    i.fXPosMin = ini.ReadFloat(kSection, "fXPosMin", 0.0f);
    i.fXPosMax = ini.ReadFloat(kSection, "fXPosMax", 0.0f);
    i.fYPosMin = ini.ReadFloat(kSection, "fYPosMin", 0.0f);
    i.fYPosMax = ini.ReadFloat(kSection, "fYPosMax", 0.0f);
    i.fParticleLifeMin = ini.ReadFloat(kSection, "fParticleLifeMin", 0.0f);
    i.fParticleLifeMax = ini.ReadFloat(kSection, "fParticleLifeMax", 0.0f);
    i.Direction = static_cast<float>(ini.ReadInt(kSection, "Direction", 0) * kDegreesToRadians);
    i.Spread = static_cast<float>(ini.ReadInt(kSection, "Spread", 0) * kDegreesToRadians);
    i.Relative = ini.ReadInt(kSection, "Relative", 0);
    i.fSpeedMin = ini.ReadFloat(kSection, "fSpeedMin", 0.0f);
    i.fSpeedMax = ini.ReadFloat(kSection, "fSpeedMax", 0.0f);
    i.fGravityMin = ini.ReadFloat(kSection, "fGravityMin", 0.0f);
    i.fGravityMax = ini.ReadFloat(kSection, "fGravityMax", 0.0f);
    i.fRadialAccelMin = ini.ReadFloat(kSection, "fRadialAccelMin", 0.0f);
    i.fRadialAccelMax = ini.ReadFloat(kSection, "fRadialAccelMax", 0.0f);
    i.fTangentialAccelMin = ini.ReadFloat(kSection, "fTangentialAccelMin", 0.0f);
    i.fTangentialAccelMax = ini.ReadFloat(kSection, "fTangentialAccelMax", 0.0f);
    i.fSizeStart = ini.ReadFloat(kSection, "fSizeStart", 0.0f);
    i.fSizeEnd = ini.ReadFloat(kSection, "fSizeEnd", 0.0f);
    i.fSizeVar = ini.ReadFloat(kSection, "fSizeVar", 0.0f);
    i.fSpinStart = ini.ReadFloat(kSection, "fSpinStart", 0.0f);
    i.fSpinEnd = ini.ReadFloat(kSection, "fSpinEnd", 0.0f);
    i.fSpinVar = ini.ReadFloat(kSection, "fSpinVar", 0.0f);
    i.dwColorStart = ini.ReadDWORD(kSection, "dwColorStart", 0);
    i.dwColorEnd = ini.ReadDWORD(kSection, "dwColorEnd", 0);
    i.fColorVar = ini.ReadFloat(kSection, "fColorVar", 0.0f);
    i.fAlphaVar = ini.ReadFloat(kSection, "fAlphaVar", 0.0f);
}

// What a description file lacks is logged (a missing file has been by CIniFile): an effect
// that emits nothing or draws no picture says why.
void ParticleSystem::ReportLoad(const CIniFile& ini, const char* texture) const {
    const char* file = ini.GetFileName();
    bool hasSection = false;
    char name[CIniFile::MAX_BUFFER];
    for (int i = 0; i < ini.GetIndexNum() && !hasSection; ++i)
        hasSection = ini.GetIndex(i, name, sizeof name) && std::strcmp(name, kSection) == 0;
    if (!hasSection) {
        // An unreadable file has logged its own line.
        if (ini.GetIndexNum() > 0 || GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES)
            WriteLog(INFO_ERROR, "Particle file[%s] has no section [%s]: the effect emits nothing", file, kSection);
        return;
    }
    if (!*texture)
        WriteLog(INFO_WARNING, "Section [%s] in file[%s] has no key TextureFile: the particles have no picture",
                 kSection, file);
    else if (!m_dwTexture)
        WriteLog(INFO_WARNING, "Key TextureFile of section [%s] in file[%s]: [%s] did not load; %s", kSection, file,
                 texture, vlm_engine::WhyPictureFails(texture, 0, false).c_str());
}

void ParticleSystem::Fire() {
    m_fAge = m_Info.fLifetime == AGE_FOREVER ? AGE_FOREVER : 0.0f;
    m_fTimeStore = 0.0f;
}

void ParticleSystem::FireAt(float x, float y) {
    m_fPrevX = m_fX = x;
    m_fPrevY = m_fY = y;
    Fire();
}

void ParticleSystem::Stop(bool killParticles) {
    m_fAge = AGE_STOPPED;
    if (killParticles) m_nParticlesAlive = 0;
}

void ParticleSystem::MoveTo(float x, float y, bool moveParticles) {
    if (moveParticles) {
        const float dx = x - m_fX, dy = y - m_fY;
        for (int i = 0; i < m_nParticlesAlive; ++i) {
            m_Particles[i].x += dx;
            m_Particles[i].y += dy;
        }
        m_fPrevX += dx;
        m_fPrevY += dy;
    } else if (m_fAge == AGE_STOPPED) {
        // A stopped emitter jumps: the next Fire starts its trail here.
        m_fPrevX = x;
        m_fPrevY = y;
    } else {
        m_fPrevX = m_fX;
        m_fPrevY = m_fY;
    }
    m_fX = x;
    m_fY = y;
}

void ParticleSystem::Update() {
    const DWORD now = timeGetTime();
    if (!m_bClockStarted) {
        m_bClockStarted = true;
        m_dwLastTime = now;
        return;
    }
    const float deltaTime = static_cast<float>(now - m_dwLastTime) * 0.001f;  // wraps with the clock
    m_dwLastTime = now;
    m_fTimeStore += deltaTime;
    if (m_fTimeStore >= m_fStep) {
        Update(m_fStep);
        // The time beyond the step is dropped, down to the part of a step that is left. As a
        // remainder rather than repeated subtraction: after a gap of days a float no longer
        // moves by 0.02 and the subtraction would never end.
        m_fTimeStore = std::fmod(m_fTimeStore, m_fStep);
    }
}

void ParticleSystem::Update(float deltaTime) {
    if (m_fAge >= 0.0f) {
        m_fAge += deltaTime;
        if (m_fAge >= m_Info.fLifetime) m_fAge = AGE_STOPPED;
    }

    const float ex = m_fX, ey = m_fY;
    int alive = m_nParticlesAlive;
    for (int i = 0; i < alive;) {
        Particle& p = m_Particles[i];
        p.fAge += deltaTime;
        if (p.fAge >= p.fTerminalAge) {
            // The last live particle takes this entry and is handled next.
            p = m_Particles[--alive];
            continue;
        }
        // The unit vector from the emitter; a particle on the emitter has none.
        float nx = p.x - ex, ny = p.y - ey;
        const float lengthSquared = nx * nx + ny * ny;
        if (lengthSquared != 0.0f) {
            const float scale = vlm_engine::FastInvSqrt(lengthSquared);
            nx *= scale;
            ny *= scale;
        }
        const float ax = nx * p.fRadialAccel + -ny * p.fTangentialAccel;
        const float ay = ny * p.fRadialAccel + nx * p.fTangentialAccel;
        p.vx += ax * deltaTime;
        p.vy += ay * deltaTime;
        p.vy += p.fGravity * deltaTime;
        // Velocity is pixels per step.
        p.x += p.vx;
        p.y += p.vy;
        p.fSpin += p.fSpinDelta * deltaTime;
        p.fSize += p.fSizeDelta * deltaTime;
        p.fAlpha += p.fAlphaDelta * deltaTime;
        p.fRed += p.fRedDelta * deltaTime;
        p.fGreen += p.fGreenDelta * deltaTime;
        p.fBlue += p.fBlueDelta * deltaTime;
        ++i;
    }
    m_nParticlesAlive = alive;

    if (m_fAge != AGE_STOPPED) {
        int count = 0;
        if (m_Info.EmissionNum > 0) {
            count = m_Info.EmissionNum > m_nParticlesAlive ? m_Info.EmissionNum - m_nParticlesAlive : 0;
        } else {
            const float x = deltaTime * m_Info.fEmission + m_fEmissionResidue;
            if (x > -2147483648.0f && x < 2147483648.0f) {
                count = static_cast<int>(x);
                m_fEmissionResidue = x - static_cast<float>(count);
            } else {
                // A rate beyond int (or not a number) has no fraction worth carrying.
                count = x > 0.0f ? MAX_PARTICLES : 0;
                m_fEmissionResidue = 0.0f;
            }
        }
        for (int k = 0; k < count && m_nParticlesAlive < MAX_PARTICLES; ++k) Spawn();
    }

    m_fPrevX = m_fX;
    m_fPrevY = m_fY;
}

void ParticleSystem::Spawn() {
    const ParticleSystemInfo& info = m_Info;
    Particle& p = m_Particles[m_nParticlesAlive];

    p.fAge = 0.0f;
    p.fTerminalAge = Rand(info.fParticleLifeMin, info.fParticleLifeMax);
    // A life that is not a number would never end; it ends in the first step instead.
    if (std::isnan(p.fTerminalAge)) p.fTerminalAge = 0.0f;

    // Somewhere on the path the emitter moved along since the last step.
    const float r = Rand(0.0f, 1.0f);
    p.x = m_fPrevX + (m_fX - m_fPrevX) * r;
    p.y = m_fPrevY + (m_fY - m_fPrevY) * r;
    p.x += Rand(info.fXPosMin, info.fXPosMax);
    p.y += Rand(info.fYPosMin, info.fYPosMax);

    float angle = info.Direction - kHalfPi + Rand(0.0f, info.Spread) - info.Spread * 0.5f;
    if (info.Relative) {
        const float a = Vector2D(m_fPrevX - m_fX, m_fPrevY - m_fY).Angle(nullptr);
        if (a >= 0.001f) angle += a + kHalfPi;
    }
    const float speed = Rand(info.fSpeedMin, info.fSpeedMax);
    p.vx = std::cos(angle) * speed;
    p.vy = std::sin(angle) * speed;

    p.fGravity = Rand(info.fGravityMin, info.fGravityMax);
    p.fRadialAccel = Rand(info.fRadialAccelMin, info.fRadialAccelMax);
    p.fTangentialAccel = Rand(info.fTangentialAccelMin, info.fTangentialAccelMax);

    const float s0 = info.fSizeStart, s1 = info.fSizeEnd;
    p.fSize = Rand(s0, s0 + (s1 - s0) * info.fSizeVar);
    const float p0 = info.fSpinStart, p1 = info.fSpinEnd;
    p.fSpin = Rand(p0, p0 + (p1 - p0) * info.fSpinVar);

    const float a0 = ByteOf(info.dwColorStart, 24), a1 = ByteOf(info.dwColorEnd, 24);
    const float r0 = ByteOf(info.dwColorStart, 16), r1 = ByteOf(info.dwColorEnd, 16);
    const float g0 = ByteOf(info.dwColorStart, 8), g1 = ByteOf(info.dwColorEnd, 8);
    const float b0 = ByteOf(info.dwColorStart, 0), b1 = ByteOf(info.dwColorEnd, 0);
    p.fAlpha = Rand(a0, a0 + (a1 - a0) * info.fAlphaVar) * kInv255;
    p.fRed = Rand(r0, r0 + (r1 - r0) * info.fColorVar) * kInv255;
    p.fGreen = Rand(g0, g0 + (g1 - g0) * info.fColorVar) * kInv255;
    p.fBlue = Rand(b0, b0 + (b1 - b0) * info.fColorVar) * kInv255;

    // Every value reaches its end as the particle dies. A particle without a life dies in its
    // first step and changes nothing before that (no division by a zero life).
    const float life = p.fTerminalAge;
    if (life > 0.0f) {
        p.fSizeDelta = (s1 - p.fSize) / life;
        p.fSpinDelta = (p1 - p.fSpin) / life;
        p.fAlphaDelta = (a1 * kInv255 - p.fAlpha) / life;
        p.fRedDelta = (r1 * kInv255 - p.fRed) / life;
        p.fGreenDelta = (g1 * kInv255 - p.fGreen) / life;
        p.fBlueDelta = (b1 * kInv255 - p.fBlue) / life;
    } else {
        p.fSizeDelta = p.fSpinDelta = 0.0f;
        p.fAlphaDelta = p.fRedDelta = p.fGreenDelta = p.fBlueDelta = 0.0f;
    }
    ++m_nParticlesAlive;
}

void ParticleSystem::Render() {
    Update();
    for (int i = 0; i < m_nParticlesAlive; ++i) {
        const Particle& p = m_Particles[i];
        const float left = m_fTX + p.x, top = p.y + m_fTY;
        const float right = m_fTX + p.x + p.fSize, bottom = p.y + p.fSize + m_fTY;
        // A particle pushed to infinity or NaN by its file's values has no place to be drawn.
        if (std::isnan(left + right + top + bottom)) continue;
        const RECT dst = {Edge(left), Edge(top), Edge(right), Edge(bottom)};
        const DWORD color =
            ChannelByte(p.fAlpha) << 24 | ChannelByte(p.fRed) << 16 | ChannelByte(p.fGreen) << 8 | ChannelByte(p.fBlue);
        ::Render(m_dwTexture, &dst, nullptr, color);
    }
}
