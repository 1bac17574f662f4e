// The mixer's inner loops: one voice's samples, resampled by linear interpolation from
// their own rate, added into a stereo float accumulator. One loop per sample layout, with
// the volume, the pan and the samples' scale folded into two gains before the loop.
#pragma once

#include <cstdint>

#include <velmora/platform/win32/Types.h>

namespace vlm_platform {

enum class SampleLayout : uint8_t { U8Mono, U8Stereo, S16Mono, S16Stereo, F32Mono, F32Stereo };

// What a raw sample value is multiplied by to lie in -1..1.
float SampleScale(SampleLayout layout);

// A voice for one pass. Positions are frames in 32.32 fixed point; `step` is how far one
// output frame moves (the voice's frequency over the output rate). Gains include the
// layout's scale.
struct MixSource {
    const uint8_t* data;
    DWORD frames;  // at least 1
    SampleLayout layout;
    bool looping;
    uint64_t step;
    float gainLeft, gainRight;
};

// Adds `count` output frames of `source` from *position into `accumulator` (interleaved
// stereo) and moves *position on, wrapping at the end of a looping source. The frame after
// the last is the first for a looping source and silence otherwise, so loops join without a
// click. Returns false when a non-looping source ran out; *position is then at its end and
// the frames after it are left alone.
bool MixSourceInto(const MixSource& source, uint64_t* position, float* accumulator, DWORD count);
// The same without adding anything: for voices that are playing but cannot be heard.
bool AdvanceSource(const MixSource& source, uint64_t* position, DWORD count);

}  // namespace vlm_platform
