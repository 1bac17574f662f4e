// Assets: checked loads.
#include "Assets.h"

#include <cstdio>

#include <velmora/Velmora.h>

bool Assets::Exists(const char* file) {
    FILE* fp = std::fopen(file, "rb");
    if (fp) std::fclose(fp);
    return fp != nullptr;
}

bool Assets::LoadAnimation(CAnimation& animation, const char* file) {
    if (Exists(file) && animation.LoadFromFile(file, MEM_AUTO)) return true;
    WriteLog(INFO_WARNING, "Breakout art not found: %s", file);
    return false;
}

unsigned Assets::LoadFrameSet(const char* file) {
    const DWORD handle = Exists(file) ? GetFrameManager()->LoadFrame(file, MEM_AUTO) : 0;
    if (!handle) WriteLog(INFO_WARNING, "Breakout art not found: %s", file);
    return handle;
}
