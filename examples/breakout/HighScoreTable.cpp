// HighScoreTable: ranking and the keys Name1, Score1, Level1, ... of [HighScores].
#include "HighScoreTable.h"

#include <algorithm>

#include <velmora/Velmora.h>

#include "SaveFile.h"

namespace {

const char kSection[] = "HighScores";

std::string Key(const char* name, int rank) { return name + std::to_string(rank + 1); }

}  // namespace

void HighScoreTable::Load(const std::string& file) {
    m_Entries.clear();
    CIniFile ini;
    if (!SaveFile::Open(ini, file)) return;
    char name[CIniFile::MAX_BUFFER];
    for (int rank = 0; rank < kSize; ++rank) {
        ini.ReadString(kSection, Key("Name", rank).c_str(), name, sizeof(name), "");
        const int score = ini.ReadInt(kSection, Key("Score", rank).c_str(), 0);
        const int level = ini.ReadInt(kSection, Key("Level", rank).c_str(), 1);
        if (name[0] && score > 0) m_Entries.push_back({name, score, std::max(1, level)});
    }
    std::stable_sort(m_Entries.begin(), m_Entries.end(),
                     [](const HighScore& a, const HighScore& b) { return a.score > b.score; });
}

bool HighScoreTable::Save(const std::string& file) const {
    CIniFile ini;
    SaveFile::Open(ini, file);
    for (int rank = 0; rank < kSize; ++rank) {
        // Ranks beyond the table are emptied, so a shorter table leaves nothing stale behind.
        const bool used = rank < static_cast<int>(m_Entries.size());
        const HighScore none;
        const HighScore& entry = used ? m_Entries[rank] : none;
        ini.WriteString(kSection, Key("Name", rank).c_str(), used ? entry.name.c_str() : "-");
        ini.WriteInt(kSection, Key("Score", rank).c_str(), entry.score);
        ini.WriteInt(kSection, Key("Level", rank).c_str(), entry.level);
    }
    return SaveFile::Write(ini, file);
}

int HighScoreTable::Insert(const std::string& name, int score, int level) {
    if (score <= 0) return -1;
    auto place = std::find_if(m_Entries.begin(), m_Entries.end(), [&](const HighScore& e) { return e.score < score; });
    const int rank = static_cast<int>(place - m_Entries.begin());
    if (rank >= kSize) return -1;
    m_Entries.insert(place, HighScore{name, score, level});
    if (m_Entries.size() > kSize) m_Entries.resize(kSize);
    return rank;
}
