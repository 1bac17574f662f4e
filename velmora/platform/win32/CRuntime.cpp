// Win32 stand-in: the Microsoft C runtime's random numbers, one state per thread, and its
// descriptor-level file calls.
#include <velmora/platform/win32/CRuntime.h>

#include <sys/stat.h>

#include <cstdint>

namespace {
thread_local uint32_t t_holdRand = 1;
}

extern "C" VLM_API void vlm_srand(unsigned int seed) noexcept { t_holdRand = seed; }

extern "C" VLM_API int vlm_rand() noexcept {
    t_holdRand = t_holdRand * 214013u + 2531011u;
    return static_cast<int>((t_holdRand >> 16) & 0x7fff);
}

extern "C" VLM_API int _fileno(FILE* stream) { return stream ? fileno(stream) : -1; }

extern "C" VLM_API int64_t _filelengthi64(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 ? int64_t(st.st_size) : -1;
}
