// The demo's settings screen: a window built from settings.ini, opened by the main menu's
// Settings button and closed by its own. Its check boxes switch the point field and the frame,
// its radio group picks the background, its slider the number of stars and its number box the
// speed of the sweeping band; two list boxes of a hundred items show both looks, and the last
// few GUI messages are listed at its foot.
#pragma once

#include <deque>
#include <string>

#include <velmora/Velmora.h>

class DemoSettings {
public:
    // Loads settings.ini from the art folder (the pictures by their paths through it) and
    // hides the window. False, with a warning in the log, when the screen is missing.
    bool Load(const std::string& folder);
    // A message drained from the queue: every GUI message joins the list of recent ones; the
    // screen's own and the menu's Settings button act.
    void Handle(const CMessage& message);
    // The recent messages, over the window; after the GUI has been drawn.
    void Render();

    bool ShowPoints() const { return m_bPoints; }
    bool ShowFrame() const { return m_bFrame; }
    DWORD Background() const;
    int StarCount() const { return m_nStars; }
    float SweepSpeed() const { return m_fSweepSpeed; }

private:
    void Remember(const CMessage& message);
    void SetLabel(DWORD id, const char* text);

    CWindow* m_pWindow = nullptr;
    bool m_bPoints = true;
    bool m_bFrame = true;
    int m_nBackground = 0;
    int m_nStars = 6;
    float m_fSweepSpeed = 1.0f;
    std::deque<std::string> m_Recent;
};
