// Game timers: CTimer fires once per millisecond interval and can pause mid-period;
// CHTimer measures seconds on the performance counter and averages over 1 s windows.
#pragma once

#include <velmora/Export.h>
#include <velmora/platform/win32/Types.h>

class VLM_API CTimer {
public:
    explicit CTimer(DWORD interval = 0);

    void SetInterval(DWORD ms) { m_dwInterval = ms; }
    // Resumes a paused period with its remainder.
    void Start();
    // Starts a fresh period.
    void ReStart();
    void Stop();
    void Pause();
    DWORD GetPassTime() const;
    // True once each time the period has run out; the next period starts at that call.
    bool TimeOut();
    bool IsCounting() const { return m_bCounting; }

protected:
    DWORD m_dwStartTime;
    DWORD m_dwInterval;
    DWORD m_dwPauseTime;
    bool m_bCounting;
};

class VLM_API CHTimer {
public:
    CHTimer();

    void Start();
    // Seconds since Start; 0.0 before the first Start.
    double GetPassTime() const;
    // Call once per measured event: the mean of the samples of the previous 1 s window.
    double GetAveragePassTime();

protected:
    int64_t m_liStartCount;
    double m_dFrequency;
    bool m_bStarted;
    DWORD m_dwSampleTime;
    int32_t m_nSampleCount;
    int32_t m_nLastSampleCount;
    double m_dSampleSum;
    double m_dLastSampleSum;
};
