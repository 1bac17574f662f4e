// Preferences: the keys of [Settings].
#include "Preferences.h"

#include <algorithm>

#include <velmora/Velmora.h>

#include "SaveFile.h"

namespace {

const char kSection[] = "Settings";

}  // namespace

void Preferences::Load(const std::string& file) {
    CIniFile ini;
    if (!SaveFile::Open(ini, file)) return;
    language = ini.ReadInt(kSection, "Language", 0) == 1 ? LANGUAGE_CHINESE : LANGUAGE_ENGLISH;
    ballSpeed = std::clamp(ini.ReadInt(kSection, "BallSpeed", ballSpeed), kMinSpeed, kMaxSpeed);
    particles = ini.ReadBOOL(kSection, "Particles", particles);
    effectsVolume = std::clamp(ini.ReadInt(kSection, "EffectsVolume", effectsVolume), 0, 100);
    musicVolume = std::clamp(ini.ReadInt(kSection, "MusicVolume", musicVolume), 0, 100);
    char name[CIniFile::MAX_BUFFER];
    ini.ReadString(kSection, "Player", name, sizeof(name), "");
    player = name;
}

bool Preferences::Save(const std::string& file) const {
    CIniFile ini;
    SaveFile::Open(ini, file);
    ini.WriteInt(kSection, "Language", language);
    ini.WriteInt(kSection, "BallSpeed", ballSpeed);
    ini.WriteBOOL(kSection, "Particles", particles);
    ini.WriteInt(kSection, "EffectsVolume", effectsVolume);
    ini.WriteInt(kSection, "MusicVolume", musicVolume);
    if (!player.empty()) ini.WriteString(kSection, "Player", player.c_str());
    return SaveFile::Write(ini, file);
}
