// Numeric helpers: fast inverse square root, rounding, and random numbers on the C
// runtime's rand() (0 to 32767).
#pragma once

#include <velmora/Export.h>

// Approximate 1/√x (relative error below about 0.2 %).
VLM_API float InvSqrt(float x);
// Rounds half up from the truncated value: 2.5 → 3, -2.7 → -2.
VLM_API int FloatToIntAver(float f);
// min + rand() × (max − min) / 32767, truncating.
VLM_API int RandomInt(int min, int max);
VLM_API float RandomFloat(float min, float max);
