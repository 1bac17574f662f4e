// Win32 stand-in: the C runtime's rand/srand, exported so that they take the place of the
// system C library's for the whole process (the library is linked before libc).
#include <velmora/platform/win32/CRuntime.h>

#include <cstdint>

namespace {
uint32_t g_holdRand = 1;
}

extern "C" VLM_API void srand(unsigned int seed) noexcept { g_holdRand = seed; }

extern "C" VLM_API int rand() noexcept {
    g_holdRand = g_holdRand * 214013u + 2531011u;
    return static_cast<int>((g_holdRand >> 16) & 0x7fff);
}
