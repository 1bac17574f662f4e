// TitleScreen: the game's title, its menu (gui/title.ini) and the high-score table. The
// menu's buttons are answered through the GUI's messages.
#pragma once

#include <velmora/Velmora.h>

#include "GameText.h"
#include "HighScoreTable.h"

class TitleScreen {
public:
    enum Choice { CHOICE_NONE, CHOICE_PLAY, CHOICE_SETTINGS, CHOICE_QUIT };

    // The texts and the table must outlive the screen.
    TitleScreen(const GameText& text, const HighScoreTable& scores);

    // Loads the menu into the GUI manager; false, with a warning in the log, when it did not
    // load.
    bool Load();
    void Show(bool show);
    // While the settings are open the menu takes no input.
    void Enable(bool enable);
    // Puts the current language's texts into the screen's captions: the window's, the
    // buttons' and the statics'.
    void Translate();
    // The table's line to highlight (the game just played), or -1.
    void SetHighlight(int rank) { m_nHighlight = rank; }

    // A message drained from the queue: what the player chose, if it was a click of the menu.
    Choice Handle(const CMessage& message) const;
    // The title and the table's lines, after the GUI has been drawn.
    void Render();

private:
    const GameText& m_Text;
    const HighScoreTable& m_Scores;
    CWindow* m_pMenu = nullptr;
    CWindow* m_pPanel = nullptr;
    int m_nHighlight = -1;
    bool m_bShown = true;
    GFont m_TitleFont, m_Font;
};
