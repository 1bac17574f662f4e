// A settings file the game writes itself: the first launch finds no file, starts from the
// defaults and creates it; every later launch reads what the player chose.
#include <cstdio>
#include <filesystem>

#include "Example.h"

namespace {

const char kFile[] = "first-launch.ini";  // a real game keeps it in the player's data folder

// [first-launch]
struct Settings {
    int volume = 80;
    bool fullScreen = false;
};

Settings LoadSettings(const char* path) {
    Settings settings;
    // Opening a missing file is an error: a log line and a message box. Before the first
    // save there is nothing to read, so look first and keep the defaults.
    if (!std::filesystem::exists(path)) return settings;
    CIniFile ini(path);
    settings.volume = ini.ReadInt("Sound", "Volume", settings.volume);
    settings.fullScreen = ini.ReadBOOL("Window", "FullScreen", settings.fullScreen);
    return settings;
}

bool SaveSettings(const char* path, const Settings& settings) {
    CIniFile ini;
    // Written into the file as it is, so the player's comments and other keys stay.
    if (std::filesystem::exists(path) && !ini.Open(path)) return false;
    ini.WriteInt("Sound", "Volume", settings.volume);
    ini.WriteBOOL("Window", "FullScreen", settings.fullScreen);
    return ini.Save(path);  // the first save creates the file
}
// [/first-launch]

class FirstLaunch : public Example {
public:
    bool Setup() override {
        std::remove(kFile);
        Settings settings = LoadSettings(kFile);  // the first launch: the defaults
        const int firstVolume = settings.volume;
        settings.volume = 55;  // the player turns the sound down
        if (!SaveSettings(kFile, settings)) return false;
        const Settings next = LoadSettings(kFile);  // the next launch
        std::printf("first launch: volume %d; next launch: volume %d\n", firstVolume, next.volume);
        return firstVolume == 80 && next.volume == 55 && !next.fullScreen;
    }
    void Frame() override {}
};

}  // namespace

int main(int argc, char** argv) { return FirstLaunch().Main(argc, argv); }
