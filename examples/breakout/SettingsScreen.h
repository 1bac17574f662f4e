// SettingsScreen: the window of gui/settings.ini, opened from the title menu. Its radio
// group picks the language, its sliders the ball's speed and the volumes of the effects and
// the music, its check box the particle effects and its list the player's name; each change
// goes straight into the preferences.
#pragma once

#include <velmora/Velmora.h>

#include "GameText.h"
#include "Preferences.h"

class SettingsScreen {
public:
    enum Result { RESULT_NONE, RESULT_CHANGED, RESULT_CLOSED };

    // The texts and the preferences must outlive the screen.
    SettingsScreen(const GameText& text, Preferences& preferences);

    // Loads the window into the GUI manager, fills the list of names and hides it; false,
    // with a warning in the log, when it did not load.
    bool Load();
    // Shows the window with the preferences' values.
    void Open();
    bool IsOpen() const { return m_pWindow && m_pWindow->IsShow(); }
    // Puts the current language's texts into the window's captions.
    void Translate();
    // A message drained from the queue: whether it changed a preference or closed the window.
    Result Handle(const CMessage& message);

private:
    template <class Control>
    Control* Find(DWORD id) const {
        return m_pWindow ? dynamic_cast<Control*>(m_pWindow->GetSubWindow(id)) : nullptr;
    }
    void ShowSpeed();
    void ShowVolumes();

    const GameText& m_Text;
    Preferences& m_Preferences;
    CWindow* m_pWindow = nullptr;
};
