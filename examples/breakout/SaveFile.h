// SaveFile: where the player's save file lives and how it is opened and written. The game
// keeps its high scores and settings in one INI file in the player's data folder, never
// beside the game, which may be installed where nobody can write.
#pragma once

#include <string>

class CIniFile;

namespace SaveFile {

// $XDG_DATA_HOME/velmora-breakout, or ~/.local/share/velmora-breakout.
std::string DefaultFolder();
// The save file of a data folder.
std::string PathIn(const std::string& folder);
// Opens the file into `ini` when it exists; false (and `ini` left empty) when it does not.
// CIniFile reports a missing file as an error, which raises a message box: a first run has
// no save file yet, and that is no error.
bool Open(CIniFile& ini, const std::string& file);
// Saves `ini` as the file, making its folder first; false, with a warning in the log, when
// that failed.
bool Write(CIniFile& ini, const std::string& file);

}  // namespace SaveFile
