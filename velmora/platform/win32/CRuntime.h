// Win32 stand-in: parts of the Microsoft C runtime. vlm_rand() yields the classic 15-bit
// sequence (0 to 32767) of the runtime's linear congruential generator, with its state per
// thread (seed 1 when a thread starts), as the Windows runtime keeps it. Code that includes
// the engine's headers calls it as rand() and seeds it with srand(), and sees RAND_MAX 0x7FFF,
// so a game's own srand() seeds the engine's random numbers as on Windows; the library itself
// exports no rand or srand, so the C library's generator stays as it was for everyone else.
// The low-level file calls give the descriptor under a stream and a file's length without
// moving anything.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <velmora/Export.h>

#define VLM_RAND_MAX 0x7fff

extern "C" VLM_API int vlm_rand() noexcept;
extern "C" VLM_API void vlm_srand(unsigned int seed) noexcept;

// rand(), std::rand(), srand(s) and std::srand(s) in code that includes the engine.
namespace std {
using ::vlm_rand;
using ::vlm_srand;
}  // namespace std
#define rand() vlm_rand()
#define srand(seed) vlm_srand(seed)
#undef RAND_MAX
#define RAND_MAX VLM_RAND_MAX

// The descriptor under `stream`; -1 for a null stream.
extern "C" VLM_API int _fileno(FILE* stream);
// The length in bytes of the file open on `fd`, leaving its position and any stream's
// buffer as they are; -1 when it cannot be told.
extern "C" VLM_API int64_t _filelengthi64(int fd);
