// Countdown: the task that counts "3, 2, 1" over the court before each serve and then posts
// MSG_SERVE. It follows the clock, not the frames, so it takes as long on a slow machine.
#pragma once

#include <velmora/Velmora.h>

class Countdown : public CMessageTask {
public:
    static constexpr DWORD kStepMs = 800;  // one count
    static constexpr int kCounts = 3;

    // `font` draws the numbers and `caption` under them ("Get ready"); both must outlive
    // the task, which the game's task manager owns.
    Countdown(GFont* font, const char* caption);
    void Update() override;
    void Render() override;
    // Ends the count at the next update: the player served.
    void Skip() { m_dwStart = timeGetTime() - kStepMs * kCounts; }

private:
    GFont* m_pFont;
    const char* m_pCaption;
    DWORD m_dwStart;
};
