// ParticleManager: fire-and-forget effects. It makes particle systems from description files,
// fires them at once, updates and draws them each frame, and deletes each one by itself when
// it has stopped emitting and its last particle has died.
#pragma once

#include <cstdint>

#include <velmora/Export.h>

class ParticleSystem;

class VLM_API ParticleManager {
public:
    static constexpr int MAX_PS = 100;

    ParticleManager();
    ~ParticleManager();
    ParticleManager(const ParticleManager&) = delete;  // owns its systems
    ParticleManager& operator=(const ParticleManager&) = delete;

    // A new system loaded from `fileName` and fired; null when MAX_PS systems are held. The
    // pointer stays valid only while IsPSAlive says so.
    ParticleSystem* AddPS(const char* fileName);
    bool IsPSAlive(const ParticleSystem* ps) const;
    // Deletes a held system (the last one takes its place); anything else is left alone.
    void RemovePS(const ParticleSystem* ps);
    void RemoveAll();

    // Advances every system and deletes those that have died out.
    void Update();
    // Update, then each system's Render in table order.
    void Render();

    // Stored for the game; the systems keep their own offsets.
    void Transpose(float x, float y) {
        m_fTX = x;
        m_fTY = y;
    }
    void GetTransposition(float* x, float* y) const {
        if (x) *x = m_fTX;
        if (y) *y = m_fTY;
    }

    int GetPSCount() const { return m_nPS; }
    // System `index` (0 to GetPSCount() - 1) in drawing order, or null.
    ParticleSystem* GetPS(int index) const { return index >= 0 && index < m_nPS ? m_pPS[index] : nullptr; }

private:
    // Deletes entry `index` and moves the last entry into its place.
    void RemoveAt(int index);

    int32_t m_nPS;
    float m_fTX, m_fTY;
    ParticleSystem* m_pPS[MAX_PS];
};
