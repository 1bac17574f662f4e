// ScorePopup: age, rise and fade.
#include "ScorePopup.h"

ScorePopup::ScorePopup(int x, int y, int points, DWORD color)
    : m_nX(x), m_nY(y), m_nPoints(points), m_dwColor(color & 0x00FFFFFF), m_dwStart(timeGetTime()) {}

void ScorePopup::Update() {
    if (timeGetTime() - m_dwStart >= kLifeMs) SetAutoDelete(true);
}

void ScorePopup::Render() {
    const DWORD age = timeGetTime() - m_dwStart;
    if (age >= kLifeMs) return;
    const DWORD alpha = 255 - 255 * age / kLifeMs;
    const int rise = static_cast<int>(30 * age / kLifeMs);
    DrawSingleLine(m_nX, m_nY - rise, (alpha << 24) | m_dwColor, true, "+%d", m_nPoints);
}
