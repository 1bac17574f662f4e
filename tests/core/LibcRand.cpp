// The C library's own rand/srand, from a file that does not include the engine's headers.
#include <cstdlib>

int LibcRandAfterSeed(unsigned seed) {
    srand(seed);
    return rand();
}

int LibcRandMax() { return RAND_MAX; }
