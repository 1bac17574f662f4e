// ScorePopup: a task that shows the points of a broken brick where it was, rising and fading
// for a moment, then ends itself.
#pragma once

#include <velmora/Velmora.h>

class ScorePopup : public CTask {
public:
    static constexpr DWORD kLifeMs = 700;

    ScorePopup(int x, int y, int points, DWORD color);
    void Update() override;
    void Render() override;

private:
    int m_nX, m_nY;
    int m_nPoints;
    DWORD m_dwColor;  // RGB; the alpha follows the age
    DWORD m_dwStart;
};
