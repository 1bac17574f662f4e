#include <velmora/core/Timer.h>

#include <cstdlib>

#include <velmora/platform/win32/Time.h>

CTimer::CTimer(DWORD interval) : m_dwStartTime(0), m_dwInterval(interval), m_dwPauseTime(0), m_bCounting(false) {}

void CTimer::Start() {
    m_bCounting = true;
    m_dwStartTime = timeGetTime();
}

void CTimer::ReStart() {
    Start();
    m_dwPauseTime = 0;
}

void CTimer::Stop() {
    m_bCounting = false;
    m_dwStartTime = 0;
    m_dwPauseTime = 0;
}

void CTimer::Pause() {
    if (!m_bCounting || m_dwInterval == 0) return;
    m_bCounting = false;
    // The difference read as a signed 32-bit number; its magnitude is taken in 64 bits so
    // that the most negative difference has one too.
    int64_t phase = static_cast<int32_t>(timeGetTime() - m_dwStartTime);
    m_dwPauseTime = static_cast<DWORD>(std::llabs(phase) % m_dwInterval);
    m_dwStartTime = 0;
}

DWORD CTimer::GetPassTime() const {
    if (m_dwPauseTime != 0) return m_dwPauseTime;
    if (m_bCounting) return timeGetTime() - m_dwStartTime;
    return 0;
}

bool CTimer::TimeOut() {
    if (!m_bCounting) return false;
    DWORD now = timeGetTime();
    // The time passed since the start, not the clock itself, is compared, so a period that
    // spans the 32-bit wrap of the clock (every 49.7 days) runs its whole length; a start
    // that lies ahead of the clock has not run out.
    const int64_t passed = static_cast<int32_t>(now - m_dwStartTime);
    if (passed > static_cast<int64_t>(m_dwInterval - m_dwPauseTime)) {
        m_dwStartTime = now;
        m_dwPauseTime = 0;
        return true;
    }
    return false;
}

CHTimer::CHTimer()
    : m_liStartCount(0),
      m_dFrequency(1.0),
      m_bStarted(false),
      m_dwSampleTime(0),
      m_nSampleCount(0),
      m_nLastSampleCount(0),
      m_dSampleSum(0.0),
      m_dLastSampleSum(0.0) {
    LARGE_INTEGER frequency{};
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
        m_dFrequency = static_cast<double>(frequency.QuadPart);
}

void CHTimer::Start() {
    m_bStarted = true;
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    m_liStartCount = count.QuadPart;
}

double CHTimer::GetPassTime() const {
    if (!m_bStarted) return 0.0;
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart - m_liStartCount) / m_dFrequency;
}

double CHTimer::GetAveragePassTime() {
    if (!m_bStarted) return 0.0;
    DWORD now = timeGetTime();
    if (now - m_dwSampleTime > 1000) {
        m_dLastSampleSum = m_dSampleSum;
        m_nLastSampleCount = m_nSampleCount;
        m_nSampleCount = 0;
        m_dSampleSum = 0.0;
        m_dwSampleTime = now;
    } else {
        m_dSampleSum += GetPassTime();
        m_nSampleCount += 1;
    }
    return m_nLastSampleCount != 0 ? m_dLastSampleSum / m_nLastSampleCount : 0.0;
}
