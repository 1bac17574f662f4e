// The demo's main menu: a screen built from the description file menu.ini by the engine's
// GUI manager. Its buttons switch parts of the demo's scene on and off, or quit, and click.
#pragma once

#include <string>

#include <velmora/Velmora.h>

class DemoMenu {
public:
    // Loads menu.ini from the art folder. The file names the pictures relative to that folder,
    // so a copy naming them by full path is loaded (the engine reloads idle pictures by the
    // name they were loaded with). False, with a warning in the log, when the menu is missing.
    bool Load(const std::string& folder);
    // The frame's input, once per frame before the messages are drained.
    void ProcessEvent();
    // A message drained from the queue; the menu acts on the clicks of its buttons.
    void Handle(const CMessage& message);
    void Render();

    bool ShowStars() const { return m_bStars; }
    bool ShowBalls() const { return m_bBalls; }
    bool ShowLines() const { return m_bLines; }
    // The last button clicked, for the status line; empty before the first click.
    const std::string& LastClick() const { return m_strLastClick; }

private:
    bool m_bLoaded = false;
    bool m_bStars = true;
    bool m_bBalls = true;
    bool m_bLines = true;
    std::string m_strLastClick;
    DWORD m_hClick = 0;  // the buttons' sound
};
