#include <velmora/core/MathHelpers.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <velmora/core/detail/FastMath.h>
#include <velmora/platform/win32/CRuntime.h>  // the runtime's random sequence

namespace {

float FloatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace

float InvSqrt(float x) { return vlm_engine::FastInvSqrt(x); }

int FloatToIntAver(float f) {
    // Values outside int (or NaN) have no truncation; clamp instead of undefined behaviour.
    if (std::isnan(f)) return 0;
    if (f >= 2147483647.0f) return INT_MAX;
    if (f <= -2147483648.0f) return INT_MIN;
    int i = static_cast<int>(f);
    return (f - static_cast<float>(i) >= 0.5f && i != INT_MAX) ? i + 1 : i;
}

int RandomInt(int min, int max) {
    // In 64 bits: ranges wider than 65538 would overflow 32-bit products into wrong results.
    int64_t r = vlm_rand();
    return static_cast<int>(min + (r * (static_cast<int64_t>(max) - min)) / 32767);
}

float RandomFloat(float min, float max) {
    const float kInv32767 = FloatFromBits(0x38000100);  // 1/32767 in single precision
    float r = static_cast<float>(vlm_rand());
    return min + r * (max - min) * kInv32767;
}
