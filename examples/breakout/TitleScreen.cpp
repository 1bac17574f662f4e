// TitleScreen: loading the menu, its clicks, and the title and table drawn over it.
#include "TitleScreen.h"

#include <utility>

#include "Assets.h"
#include "Court.h"

namespace {

const char kFile[] = "gui/title.ini";
// Control IDs of gui/title.ini.
constexpr DWORD kMenu = 100, kPlay = 101, kSettings = 102, kQuit = 103, kHelp = 110, kPanel = 200, kHeading = 201;
const char kSong[] = "\xCB\xCE\xCC\xE5";  // SimSun, the Song face

}  // namespace

TitleScreen::TitleScreen(const GameText& text, const HighScoreTable& scores) : m_Text(text), m_Scores(scores) {}

bool TitleScreen::Load() {
    m_TitleFont.CreateFontA(kSong, 40, 0, 700);
    m_Font.CreateFontA(kSong, 18, 0, 400);
    GUIManager* gui = GetGUIManager();
    if (!Assets::Exists(kFile) || !gui->LoadFromFile(kFile) || !(m_pMenu = gui->GetElement(kMenu)) ||
        !(m_pPanel = gui->GetElement(kPanel))) {
        WriteLog(INFO_WARNING, "Breakout title menu did not load: %s", kFile);
        m_pMenu = m_pPanel = nullptr;
        return false;
    }
    Translate();
    return true;
}

void TitleScreen::Show(bool show) {
    m_bShown = show;
    for (CWindow* window : {m_pMenu, m_pPanel})
        if (window) window->Show(show);
}

void TitleScreen::Enable(bool enable) {
    if (!m_pMenu) return;
    if (enable)
        m_pMenu->Enable();
    else
        m_pMenu->Disable();
}

void TitleScreen::Translate() {
    if (!m_pMenu) return;
    // Every caption of the screen, the window's and the buttons' too, in the player's language.
    m_pMenu->SetCaption(m_Text.Get(TEXT_MENU));
    const std::pair<DWORD, TextId> buttons[] = {{kPlay, TEXT_PLAY}, {kSettings, TEXT_SETTINGS}, {kQuit, TEXT_QUIT}};
    for (const auto& button : buttons)
        if (CWindow* control = m_pMenu->GetSubWindow(button.first)) control->SetCaption(m_Text.Get(button.second));
    for (int line = 0; line < 3; ++line)
        if (auto* help = dynamic_cast<GStatic*>(m_pMenu->GetSubWindow(kHelp + line)))
            help->SetCaption(m_Text.Get(TextId(TEXT_HELP_1 + line)));
    if (auto* heading = dynamic_cast<GStatic*>(m_pPanel->GetSubWindow(kHeading)))
        heading->SetCaption(m_Text.Get(TEXT_HIGH_SCORES));
}

TitleScreen::Choice TitleScreen::Handle(const CMessage& message) const {
    if (message.m_dwMessage != MSG_GUI_EVENT || message.m_dwParam1 != GUI_EVENT_CLICK) return CHOICE_NONE;
    switch (message.m_dwSourceID) {
        case kPlay: return CHOICE_PLAY;
        case kSettings: return CHOICE_SETTINGS;
        case kQuit: return CHOICE_QUIT;
        default: return CHOICE_NONE;
    }
}

void TitleScreen::Render() {
    if (!m_bShown) return;
    m_TitleFont.DrawSingleLine(Court::kCenterX, 90, 0xFFFFD27A, true, "%s", m_Text.Get(TEXT_TITLE));
    m_Font.DrawSingleLine(Court::kCenterX, 140, 0xFFD0DCF0, true, "%s", m_Text.Get(TEXT_SUBTITLE));
    m_TitleFont.Update();
    m_Font.Update();
    if (!m_pPanel) return;
    const GPoint at = m_pPanel->GetPosition();
    const std::vector<HighScore>& entries = m_Scores.Entries();
    if (entries.empty()) {
        m_Font.DrawSingleLine(at.x + 28, at.y + 70, 0xFFD0DCF0, false, "%s", m_Text.Get(TEXT_NO_SCORES));
        return;
    }
    for (size_t rank = 0; rank < entries.size(); ++rank) {
        const HighScore& entry = entries[rank];
        const int y = at.y + 70 + static_cast<int>(rank) * 44;
        const DWORD color = static_cast<int>(rank) == m_nHighlight ? 0xFFFFE080 : 0xFFFFFFFF;
        m_Font.DrawSingleLine(at.x + 28, y, color, false, "%d. %s", static_cast<int>(rank) + 1, entry.name.c_str());
        m_Font.DrawSingleLine(at.x + 200, y, color, false, "%6d", entry.score);
        m_Font.DrawSingleLine(at.x + 28, y + 20, 0xFF90A8D0, false, "%s %d", m_Text.Get(TEXT_LEVEL), entry.level);
    }
    if (m_nHighlight == 0)
        m_Font.DrawSingleLine(Court::kCenterX, 560, 0xFFFFE080, true, "%s", m_Text.Get(TEXT_NEW_RECORD));
}
