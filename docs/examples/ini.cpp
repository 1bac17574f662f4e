// INI files: typed values written into a new file and read back. Needs no window: CIniFile
// works without the engine running (errors reach the log only while there is one).
#include <cstdio>
#include <cstring>

#include <velmora/Velmora.h>

int main() {
    // [ini]
    CIniFile ini;  // empty: the first write to a section creates it
    ini.WriteString("Player", "Name", "Ayla");
    ini.WriteInt("Player", "Level", 7);
    ini.WriteDWORD("Player", "Color", 0xFF40C0FF);  // written as 0xff40c0ff
    ini.WriteRect("Window", "Place", RECT{10, 20, 810, 620});
    ini.WriteBOOL("Window", "FullScreen", false);
    if (!ini.WriteString("Player", "Motto", "first; last")) std::printf("a value can't hold \";\"\n");
    if (!ini.Save("player.ini")) return 1;

    CIniFile saved("player.ini");
    char name[CIniFile::MAX_BUFFER];
    saved.ReadString("Player", "Name", name, "nobody");
    const int level = saved.ReadInt("Player", "Level", 1);
    const DWORD color = saved.ReadDWORD("Player", "Color", 0xFFFFFFFF);
    const RECT place = saved.ReadRect("Window", "Place");
    const bool fullScreen = saved.ReadBOOL("Window", "FullScreen", true);
    const float speed = saved.ReadFloat("Player", "Speed", 1.5f);  // no such key: the default...
    const bool found = saved.IsReadSucceed() != 0;                 // ...and the read flag is 0
    // [/ini]
    std::printf("%s %d 0x%08X %d,%d,%d,%d %s %.1f %s\n", name, level, unsigned(color), int(place.left), int(place.top),
                int(place.right), int(place.bottom), fullScreen ? "full screen" : "windowed", speed,
                found ? "found" : "missing");
    const bool ok = std::strcmp(name, "Ayla") == 0 && level == 7 && color == 0xFF40C0FF && place.right == 810 &&
                    !fullScreen && speed == 1.5f && !found;
    return ok ? 0 : 1;
}
