// Win32 stand-in: the C runtime's rand/srand, exported so that they take the place of the
// system C library's for the whole process (the library is linked before libc), and its
// descriptor-level file calls.
#include <velmora/platform/win32/CRuntime.h>

#include <sys/stat.h>

#include <cstdint>

namespace {
uint32_t g_holdRand = 1;
}

extern "C" VLM_API void srand(unsigned int seed) noexcept { g_holdRand = seed; }

extern "C" VLM_API int rand() noexcept {
    g_holdRand = g_holdRand * 214013u + 2531011u;
    return static_cast<int>((g_holdRand >> 16) & 0x7fff);
}

extern "C" VLM_API int _fileno(FILE* stream) { return stream ? fileno(stream) : -1; }

extern "C" VLM_API int64_t _filelengthi64(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 ? int64_t(st.st_size) : -1;
}
