// GameText: every text the game shows, in English and in Chinese, read from text.ini. Like
// every string the engine draws, the texts are GBK bytes: the file is kept in UTF-8 in the
// sources and converted to GBK when the game is built.
#pragma once

#include <string>
#include <vector>

enum Language { LANGUAGE_ENGLISH = 0, LANGUAGE_CHINESE = 1 };

// The texts, by their keys in text.ini (see kKeys in GameText.cpp).
enum TextId {
    TEXT_TITLE,
    TEXT_SUBTITLE,
    TEXT_HELP_1,
    TEXT_HELP_2,
    TEXT_HELP_3,
    TEXT_HIGH_SCORES,
    TEXT_NO_SCORES,
    TEXT_SCORE,
    TEXT_LIVES,
    TEXT_LEVEL,
    TEXT_BEST,
    TEXT_GET_READY,
    TEXT_LEVEL_CLEARED,
    TEXT_GAME_OVER,
    TEXT_NEW_RECORD,
    TEXT_WIDE_PADDLE,
    TEXT_SLOW_BALL,
    TEXT_AUTOPILOT,
    TEXT_LANGUAGE,
    TEXT_BALL_SPEED,
    TEXT_PARTICLES,
    TEXT_PLAYER,
    TEXT_MENU,
    TEXT_PLAY,
    TEXT_SETTINGS,
    TEXT_QUIT,
    TEXT_OK,
    TEXT_PAUSED,
    TEXT_EFFECTS_VOLUME,
    TEXT_MUSIC_VOLUME,
    TEXT_COUNT
};

class GameText {
public:
    // False, with a warning in the log, when the file is missing; the keys then stand in for
    // the texts, so the game still runs.
    bool Load(const char* file);

    void SetLanguage(Language language) { m_Language = language; }
    Language GetLanguage() const { return m_Language; }
    // The text in the current language; a text missing in Chinese falls back to English.
    const char* Get(TextId id) const;
    // The names the player can choose from.
    const std::vector<std::string>& Players() const { return m_Players; }

private:
    Language m_Language = LANGUAGE_ENGLISH;
    std::string m_Texts[2][TEXT_COUNT];
    std::vector<std::string> m_Players;
};
