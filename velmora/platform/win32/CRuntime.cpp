// Win32 stand-in: the Microsoft C runtime's random numbers, one state per thread, and its
// descriptor-level file calls.
#include <velmora/platform/win32/CRuntime.h>

#include <sys/stat.h>

#include <cstdint>

#include <velmora/platform/replay/detail/Session.h>

namespace {
thread_local uint32_t t_holdRand = 1;
}

namespace vlm_platform {

uint32_t RandState() { return t_holdRand; }
void SetRandState(uint32_t state) { t_holdRand = state; }

}  // namespace vlm_platform

extern "C" VLM_API void vlm_srand(unsigned int seed) noexcept {
    // A recording keeps the seed, a replay takes the recorded one: a game seeding from the
    // time of day gets the same numbers again.
    if (vlm_platform::Session* s = vlm_platform::SessionHere()) seed = s->Seed(seed);
    t_holdRand = seed;
}

extern "C" VLM_API int vlm_rand() noexcept {
    t_holdRand = t_holdRand * 214013u + 2531011u;
    return static_cast<int>((t_holdRand >> 16) & 0x7fff);
}

extern "C" VLM_API int _fileno(FILE* stream) { return stream ? fileno(stream) : -1; }

extern "C" VLM_API int64_t _filelengthi64(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 ? int64_t(st.st_size) : -1;
}
