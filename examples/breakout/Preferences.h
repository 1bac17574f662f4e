// Preferences: what the settings screen changes, kept in the section [Settings] of the
// player's save file.
#pragma once

#include <string>

#include "GameText.h"

struct Preferences {
    static constexpr int kMinSpeed = 1, kMaxSpeed = 5;

    Language language = LANGUAGE_ENGLISH;
    int ballSpeed = 3;  // kMinSpeed to kMaxSpeed
    bool particles = true;
    int effectsVolume = 80, musicVolume = 60;  // 0 to 100
    std::string player;                        // one of the names GameText offers; empty for the first

    // Values out of range in the file are brought back into it; a missing file keeps the
    // defaults.
    void Load(const std::string& file);
    bool Save(const std::string& file) const;
};
