// SaveFile: the data folder and the checked open and write of the save file.
#include "SaveFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include <velmora/Velmora.h>

#include "Assets.h"

namespace {

// mkdir -p: every missing folder along the path.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

}  // namespace

std::string SaveFile::DefaultFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/velmora-breakout";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.local/share/velmora-breakout";
}

std::string SaveFile::PathIn(const std::string& folder) { return folder + "/breakout.ini"; }

bool SaveFile::Open(CIniFile& ini, const std::string& file) {
    return Assets::Exists(file.c_str()) && ini.Open(file.c_str());
}

bool SaveFile::Write(CIniFile& ini, const std::string& file) {
    const size_t slash = file.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(file.substr(0, slash))) {
        WriteLog(INFO_WARNING, "Can't make the data folder of %s", file.c_str());
        return false;
    }
    if (ini.Save(file.c_str())) return true;
    WriteLog(INFO_WARNING, "Can't write %s", file.c_str());
    return false;
}
