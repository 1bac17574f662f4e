// GameText: the two languages' sections of text.ini, read once.
#include "GameText.h"

#include <cstdio>

#include <velmora/Velmora.h>

#include "Assets.h"

namespace {

// The keys of text.ini, in the order of TextId.
const char* const kKeys[TEXT_COUNT] = {
    "Title",    "Subtitle",  "Help1",    "Help2",     "Help3",         "HighScores", "NoScores",  "Score",
    "Lives",    "Level",     "Best",     "GetReady",  "LevelCleared",  "GameOver",   "NewRecord", "WidePaddle",
    "SlowBall", "Autopilot", "Language", "BallSpeed", "Particles",     "Player",     "Menu",      "Play",
    "Settings", "Quit",      "OK",       "Paused",    "EffectsVolume", "MusicVolume"};
const char* const kSections[2] = {"English", "Chinese"};
constexpr int kMaxPlayers = 16;

}  // namespace

bool GameText::Load(const char* file) {
    for (int id = 0; id < TEXT_COUNT; ++id) m_Texts[LANGUAGE_ENGLISH][id] = kKeys[id];
    if (!Assets::Exists(file)) {
        WriteLog(INFO_WARNING, "Breakout texts not found: %s", file);
        return false;
    }
    CIniFile ini(file);
    char text[CIniFile::MAX_BUFFER];
    for (int language = 0; language < 2; ++language)
        for (int id = 0; id < TEXT_COUNT; ++id) {
            ini.ReadString(kSections[language], kKeys[id], text, sizeof(text), "");
            if (text[0]) m_Texts[language][id] = text;
        }
    m_Players.clear();
    for (int n = 1; n <= kMaxPlayers; ++n) {
        char key[16];
        std::snprintf(key, sizeof(key), "Name%d", n);
        ini.ReadString("Players", key, text, sizeof(text), "");
        if (text[0]) m_Players.push_back(text);
    }
    return true;
}

const char* GameText::Get(TextId id) const {
    if (id < 0 || id >= TEXT_COUNT) return "";
    const std::string& text = m_Texts[m_Language][id];
    return text.empty() ? m_Texts[LANGUAGE_ENGLISH][id].c_str() : text.c_str();
}
