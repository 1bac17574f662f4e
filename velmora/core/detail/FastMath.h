// The fast inverse square root as an inline function, for loops that normalise many
// vectors per frame; InvSqrt is the exported form of the same steps.
#pragma once

#include <cstdint>
#include <cstring>

namespace vlm_engine {

// One Newton step from the bit-pattern estimate; relative error below about 0.2 %.
inline float FastInvSqrt(float x) {
    int32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    // In unsigned arithmetic: the same bits, without signed overflow for negative or NaN input.
    const uint32_t estimate = 0x5F3759DFu - static_cast<uint32_t>(bits >> 1);
    float y;
    std::memcpy(&y, &estimate, sizeof y);
    const int32_t halfBits = 0x3EFFF2E5;  // 0.49990001
    float half;
    std::memcpy(&half, &halfBits, sizeof half);
    return y * (1.5f - half * x * y * y);
}

}  // namespace vlm_engine
