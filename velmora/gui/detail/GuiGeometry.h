// The range of positions and sizes a window keeps, and reading them from a description file.
#pragma once

#include <algorithm>
#include <cstdint>

#include <velmora/config/IniFile.h>
#include <velmora/core/GRect.h>

namespace vlm_engine {

// Far beyond any screen, yet small enough that a position plus sizes and a parent's offset
// never leave the int's range: a file or caller asking for more is held at the edge.
constexpr int kMaxGuiCoordinate = 1 << 24;

inline int GuiCoordinate(int64_t value) {
    return int(std::clamp<int64_t>(value, -kMaxGuiCoordinate, kMaxGuiCoordinate));
}

inline GPoint ReadGuiPoint(CIniFile& ini, const char* section, const char* key) {
    const POINT p = ini.ReadPoint(section, key);
    return GPoint(GuiCoordinate(p.x), GuiCoordinate(p.y));
}

inline GRect ReadGuiRect(CIniFile& ini, const char* section, const char* key) {
    const RECT r = ini.ReadRect(section, key);
    return GRect(GuiCoordinate(r.left), GuiCoordinate(r.top), GuiCoordinate(r.right), GuiCoordinate(r.bottom));
}

inline int ReadGuiCoordinate(CIniFile& ini, const char* section, const char* key, int fallback) {
    return GuiCoordinate(ini.ReadInt(section, key, fallback));
}

}  // namespace vlm_engine
