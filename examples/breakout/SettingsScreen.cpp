// SettingsScreen: loading the window, setting its controls and reading their changes.
#include "SettingsScreen.h"

#include <algorithm>
#include <cstdio>

#include "Assets.h"

namespace {

const char kFile[] = "gui/settings.ini";
// Control IDs of gui/settings.ini.
constexpr DWORD kWindow = 300, kLanguage = 301, kChineseBox = 303, kSpeed = 304, kParticles = 305, kPlayer = 306,
                kDone = 307, kLanguageLabel = 310, kSpeedLabel = 313, kParticlesLabel = 314, kPlayerLabel = 315;
constexpr DWORD kEffectsVolume = 316, kMusicVolume = 317, kEffectsLabel = 318, kMusicLabel = 319;

}  // namespace

SettingsScreen::SettingsScreen(const GameText& text, Preferences& preferences)
    : m_Text(text), m_Preferences(preferences) {}

bool SettingsScreen::Load() {
    GUIManager* gui = GetGUIManager();
    if (!Assets::Exists(kFile) || !gui->LoadFromFile(kFile) || !(m_pWindow = gui->GetElement(kWindow))) {
        WriteLog(INFO_WARNING, "Breakout settings did not load: %s", kFile);
        m_pWindow = nullptr;
        return false;
    }
    if (auto* players = Find<GListBox>(kPlayer)) {
        players->SetStyle(0);  // one name at a time
        for (const std::string& name : m_Text.Players()) players->AddItem(name.c_str(), nullptr);
    }
    m_pWindow->Show(false);
    Translate();
    return true;
}

void SettingsScreen::Open() {
    if (!m_pWindow) return;
    // The boxes of a radio group post nothing when set: the language is set quietly. The
    // slider and the check box post a change, which comes back as the value just set.
    if (auto* language = Find<RadioGroup>(kLanguage))
        for (int i = 0; i < language->GetElementNum(); ++i)
            language->GetElement(i)->SetSelect(i == m_Preferences.language);
    if (auto* speed = Find<CSlider>(kSpeed)) speed->SetValue(m_Preferences.ballSpeed);
    if (auto* particles = Find<CCheckBox>(kParticles)) particles->SetSelect(m_Preferences.particles);
    if (auto* effects = Find<CSlider>(kEffectsVolume)) effects->SetValue(m_Preferences.effectsVolume);
    if (auto* music = Find<CSlider>(kMusicVolume)) music->SetValue(m_Preferences.musicVolume);
    if (auto* players = Find<GListBox>(kPlayer)) {
        int index = 0;
        for (int i = 0; i < players->GetSize(); ++i)
            if (m_Preferences.player == players->GetItem(i)->szText) index = i;
        players->SelectItem(index, false);
    }
    ShowSpeed();
    ShowVolumes();
    m_pWindow->Show(true);
}

void SettingsScreen::Translate() {
    if (!m_pWindow) return;
    m_pWindow->SetCaption(m_Text.Get(TEXT_SETTINGS));
    const std::pair<DWORD, TextId> captions[] = {{kLanguageLabel, TEXT_LANGUAGE},
                                                 {kParticlesLabel, TEXT_PARTICLES},
                                                 {kPlayerLabel, TEXT_PLAYER},
                                                 {kDone, TEXT_OK}};
    for (const auto& caption : captions)
        if (CWindow* control = m_pWindow->GetSubWindow(caption.first)) control->SetCaption(m_Text.Get(caption.second));
    ShowSpeed();
    ShowVolumes();
}

void SettingsScreen::ShowSpeed() {
    char caption[128];
    std::snprintf(caption, sizeof(caption), "%s: %d", m_Text.Get(TEXT_BALL_SPEED), m_Preferences.ballSpeed);
    if (auto* label = Find<GStatic>(kSpeedLabel)) label->SetCaption(caption);
}

void SettingsScreen::ShowVolumes() {
    const std::pair<DWORD, std::pair<TextId, int>> labels[] = {
        {kEffectsLabel, {TEXT_EFFECTS_VOLUME, m_Preferences.effectsVolume}},
        {kMusicLabel, {TEXT_MUSIC_VOLUME, m_Preferences.musicVolume}}};
    for (const auto& label : labels) {
        char caption[128];
        std::snprintf(caption, sizeof(caption), "%s: %d", m_Text.Get(label.second.first), label.second.second);
        if (auto* text = Find<GStatic>(label.first)) text->SetCaption(caption);
    }
}

SettingsScreen::Result SettingsScreen::Handle(const CMessage& message) {
    if (message.m_dwMessage != MSG_GUI_EVENT || !m_pWindow) return RESULT_NONE;
    const DWORD event = message.m_dwParam1, value = message.m_dwParam2;
    switch (message.m_dwSourceID) {
        case kWindow:
            // Esc or a pad's B closes the window, as OK does.
            if (event != GUI_EVENT_CANCEL || !IsOpen()) break;
            m_pWindow->Show(false);
            return RESULT_CLOSED;
        case kLanguage:
            // The radio group reports the ID of the box now selected.
            if (event != GUI_EVENT_CHANGE) break;
            m_Preferences.language = value == kChineseBox ? LANGUAGE_CHINESE : LANGUAGE_ENGLISH;
            return RESULT_CHANGED;
        case kSpeed:
            if (event != GUI_EVENT_CHANGE) break;
            m_Preferences.ballSpeed = std::clamp(int(value), Preferences::kMinSpeed, Preferences::kMaxSpeed);
            ShowSpeed();
            return RESULT_CHANGED;
        case kParticles:
            if (event != GUI_EVENT_CHANGE) break;
            m_Preferences.particles = value != 0;
            return RESULT_CHANGED;
        case kEffectsVolume:
        case kMusicVolume:
            if (event != GUI_EVENT_CHANGE) break;
            (message.m_dwSourceID == kEffectsVolume ? m_Preferences.effectsVolume : m_Preferences.musicVolume) =
                std::clamp(int(value), 0, 100);
            ShowVolumes();
            return RESULT_CHANGED;
        case kPlayer:
            if (event != GUI_EVENT_CHANGE) break;
            if (auto* players = Find<GListBox>(kPlayer))
                if (const ListBoxItem* item = players->GetItem(int(value))) m_Preferences.player = item->szText;
            return RESULT_CHANGED;
        case kDone:
            if (event != GUI_EVENT_CLICK) break;
            m_pWindow->Show(false);
            return RESULT_CLOSED;
        default: break;
    }
    return RESULT_NONE;
}
