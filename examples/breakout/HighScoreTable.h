// HighScoreTable: the five best games, kept in the section [HighScores] of the player's save
// file (an INI file in the player's data folder, which other parts of the game share).
#pragma once

#include <string>
#include <vector>

struct HighScore {
    std::string name;  // GBK, as the settings screen offers it
    int score = 0;
    int level = 1;
};

class HighScoreTable {
public:
    static constexpr int kSize = 5;

    // Reads the table from the save file; a missing file is an empty table. Entries that
    // make no sense (no name, a score below 1) are left out, and the rest put in order, so a
    // file edited by hand cannot break the table.
    void Load(const std::string& file);
    // Writes the table into the save file, keeping its other sections; false when the file
    // cannot be written.
    bool Save(const std::string& file) const;

    // Enters a finished game: its rank (0 is the best) or -1 when it did not make the table.
    // A score equal to one in the table ranks below it: the earlier game keeps its place.
    int Insert(const std::string& name, int score, int level);
    const std::vector<HighScore>& Entries() const { return m_Entries; }
    int Best() const { return m_Entries.empty() ? 0 : m_Entries.front().score; }

private:
    std::vector<HighScore> m_Entries;  // best first, at most kSize
};
