// Countdown: three counts, then the serve message, then the task ends itself.
#include "Countdown.h"

#include "Court.h"

Countdown::Countdown(GFont* font, const char* caption) : m_pFont(font), m_pCaption(caption), m_dwStart(timeGetTime()) {}

void Countdown::Update() {
    if (timeGetTime() - m_dwStart < kStepMs * kCounts) return;
    EndMessage();         // MSG_SERVE, as the match set it up
    SetAutoDelete(true);  // the manager deletes the task at its next pass
}

void Countdown::Render() {
    const DWORD elapsed = timeGetTime() - m_dwStart;
    const int count = kCounts - static_cast<int>(elapsed / kStepMs);
    if (count < 1) return;
    // Each number fades out over its count.
    const DWORD alpha = 255 - 200 * (elapsed % kStepMs) / kStepMs;
    m_pFont->DrawSingleLine(Court::kCenterX, 380, (alpha << 24) | 0xFFE080, true, "%d", count);
    DrawSingleLine(Court::kCenterX, 430, 0xFFFFFFFF, true, "%s", m_pCaption);
}
