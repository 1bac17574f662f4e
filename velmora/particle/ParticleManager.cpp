// ParticleManager: the table of up to 100 owned systems.
#include <velmora/particle/ParticleManager.h>

#include <new>

#include <velmora/particle/ParticleSystem.h>

ParticleManager::ParticleManager() : m_nPS(0), m_fTX(0.0f), m_fTY(0.0f), m_pPS() {}

ParticleManager::~ParticleManager() { RemoveAll(); }

ParticleSystem* ParticleManager::AddPS(const char* fileName) {
    if (m_nPS >= MAX_PS) return nullptr;
    ParticleSystem* ps = new (std::nothrow) ParticleSystem();
    if (!ps) return nullptr;
    ps->LoadIniFile(fileName);
    ps->Fire();
    m_pPS[m_nPS++] = ps;
    return ps;
}

bool ParticleManager::IsPSAlive(const ParticleSystem* ps) const {
    for (int i = 0; i < m_nPS; ++i)
        if (m_pPS[i] == ps) return true;
    return false;
}

void ParticleManager::RemoveAt(int index) {
    delete m_pPS[index];
    m_pPS[index] = m_pPS[--m_nPS];
    m_pPS[m_nPS] = nullptr;
}

void ParticleManager::RemovePS(const ParticleSystem* ps) {
    for (int i = 0; i < m_nPS; ++i) {
        if (m_pPS[i] == ps) {
            RemoveAt(i);
            return;
        }
    }
}

void ParticleManager::RemoveAll() {
    for (int i = 0; i < m_nPS; ++i) {
        delete m_pPS[i];
        m_pPS[i] = nullptr;
    }
    m_nPS = 0;
}

void ParticleManager::Update() {
    for (int i = 0; i < m_nPS;) {
        ParticleSystem* ps = m_pPS[i];
        ps->Update();
        if (ps->GetAge() == ParticleSystem::AGE_STOPPED && ps->GetParticlesAlive() == 0) {
            RemoveAt(i);  // the moved entry is handled next, in this place
            continue;
        }
        ++i;
    }
}

void ParticleManager::Render() {
    Update();
    for (int i = 0; i < m_nPS; ++i) m_pPS[i]->Render();
}
