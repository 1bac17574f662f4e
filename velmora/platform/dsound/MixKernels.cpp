// The mixer's inner loops. A pass of a voice is split into runs in which both samples that
// an output frame interpolates between lie inside the buffer; those run without checks,
// and only the frame across the end takes the slow path.
#include <velmora/platform/dsound/detail/MixKernels.h>

namespace vlm_platform {

namespace {

inline float Raw(uint8_t v) { return float(int(v) - 128); }
inline float Raw(int16_t v) { return float(v); }
inline float Raw(float v) { return v; }

constexpr float kFraction = 1.0f / 4294967296.0f;
constexpr uint64_t kOne = uint64_t(1) << 32;

using LinearLoop = void (*)(const uint8_t* data, uint64_t position, uint64_t step, float left, float right, float* out,
                            DWORD count);
using DirectLoop = void (*)(const uint8_t* data, DWORD frame, float left, float right, float* out, DWORD count);

// Positions with a fraction: each output frame lies between two source frames.
template <class T, int Channels>
void Linear(const uint8_t* data, uint64_t position, uint64_t step, float left, float right, float* out, DWORD count) {
    const T* src = reinterpret_cast<const T*>(data);
    for (DWORD i = 0; i < count; ++i) {
        const size_t at = size_t(position >> 32) * Channels;
        const float f = float(uint32_t(position)) * kFraction;
        if (Channels == 1) {
            const float a = Raw(src[at]);
            const float s = a + (Raw(src[at + 1]) - a) * f;
            out[2 * i] += s * left;
            out[2 * i + 1] += s * right;
        } else {
            const float l = Raw(src[at]), r = Raw(src[at + 1]);
            out[2 * i] += (l + (Raw(src[at + 2]) - l) * f) * left;
            out[2 * i + 1] += (r + (Raw(src[at + 3]) - r) * f) * right;
        }
        position += step;
    }
}

// The source at the output rate, on whole frames: a scaled copy.
template <class T, int Channels>
void Direct(const uint8_t* data, DWORD frame, float left, float right, float* out, DWORD count) {
    const T* src = reinterpret_cast<const T*>(data) + size_t(frame) * Channels;
    for (DWORD i = 0; i < count; ++i) {
        if (Channels == 1) {
            const float s = Raw(src[i]);
            out[2 * i] += s * left;
            out[2 * i + 1] += s * right;
        } else {
            out[2 * i] += Raw(src[2 * i]) * left;
            out[2 * i + 1] += Raw(src[2 * i + 1]) * right;
        }
    }
}

struct Loops {
    LinearLoop linear;
    DirectLoop direct;
};

const Loops kLoops[] = {
    {Linear<uint8_t, 1>, Direct<uint8_t, 1>}, {Linear<uint8_t, 2>, Direct<uint8_t, 2>},
    {Linear<int16_t, 1>, Direct<int16_t, 1>}, {Linear<int16_t, 2>, Direct<int16_t, 2>},
    {Linear<float, 1>, Direct<float, 1>},     {Linear<float, 2>, Direct<float, 2>},
};

int ChannelsOf(SampleLayout layout) { return int(layout) % 2 + 1; }

// One raw sample of frame `frame`, channel `channel`; silence is 0 in every layout.
float RawAt(const MixSource& s, DWORD frame, int channel) {
    const size_t at = size_t(frame) * ChannelsOf(s.layout) + channel;
    switch (s.layout) {
        case SampleLayout::U8Mono:
        case SampleLayout::U8Stereo: return Raw(s.data[at]);
        case SampleLayout::S16Mono:
        case SampleLayout::S16Stereo: return Raw(reinterpret_cast<const int16_t*>(s.data)[at]);
        default: return Raw(reinterpret_cast<const float*>(s.data)[at]);
    }
}

// The output frame between the last source frame and the one after it.
void MixEdge(const MixSource& s, uint64_t position, float* out) {
    const float f = float(uint32_t(position)) * kFraction;
    const DWORD last = s.frames - 1;
    const int channels = ChannelsOf(s.layout);
    for (int c = 0; c < 2; ++c) {
        const int channel = channels == 2 ? c : 0;
        const float a = RawAt(s, last, channel);
        const float b = s.looping ? RawAt(s, 0, channel) : 0.0f;
        out[c] += (a + (b - a) * f) * (c == 0 ? s.gainLeft : s.gainRight);
    }
}

template <bool Add>
bool Run(const MixSource& s, uint64_t* position, float* out, DWORD count) {
    const uint64_t end = uint64_t(s.frames) << 32;
    const uint64_t lastPair = uint64_t(s.frames - 1) << 32;  // below it both taps lie inside
    const Loops& loops = kLoops[int(s.layout)];
    uint64_t pos = *position;
    while (count > 0) {
        if (pos >= end) {
            if (!s.looping) break;
            pos %= end;
        }
        if (s.step == kOne && uint32_t(pos) == 0) {
            const uint64_t left = (end - pos) >> 32;
            const DWORD n = left < count ? DWORD(left) : count;
            if (Add) {
                loops.direct(s.data, DWORD(pos >> 32), s.gainLeft, s.gainRight, out, n);
                out += 2 * n;
            }
            pos += uint64_t(n) << 32;
            count -= n;
            continue;
        }
        if (pos < lastPair) {
            const uint64_t left = (lastPair - pos + s.step - 1) / s.step;
            const DWORD n = left < count ? DWORD(left) : count;
            if (Add) {
                loops.linear(s.data, pos, s.step, s.gainLeft, s.gainRight, out, n);
                out += 2 * n;
            }
            pos += uint64_t(n) * s.step;
            count -= n;
            continue;
        }
        if (Add) {
            MixEdge(s, pos, out);
            out += 2;
        }
        pos += s.step;
        --count;
    }
    *position = pos;
    if (!s.looping && pos >= end) {
        *position = end;
        return false;
    }
    return true;
}

}  // namespace

float SampleScale(SampleLayout layout) {
    switch (layout) {
        case SampleLayout::U8Mono:
        case SampleLayout::U8Stereo: return 1.0f / 128.0f;
        case SampleLayout::S16Mono:
        case SampleLayout::S16Stereo: return 1.0f / 32768.0f;
        default: return 1.0f;
    }
}

bool MixSourceInto(const MixSource& source, uint64_t* position, float* accumulator, DWORD count) {
    return Run<true>(source, position, accumulator, count);
}

bool AdvanceSource(const MixSource& source, uint64_t* position, DWORD count) {
    return Run<false>(source, position, nullptr, count);
}

}  // namespace vlm_platform
