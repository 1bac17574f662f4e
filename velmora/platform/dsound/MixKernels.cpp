// The mixer's inner loops. A pass of a voice is split into runs in which both samples that
// an output frame interpolates between lie inside the buffer; those run without checks,
// and only the frame across the end takes the slow path.
#include <velmora/platform/dsound/detail/MixKernels.h>

#include <cstring>

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

// Two output frames at a time in four-float vectors (left, right, left, right): the
// interpolation, the gains and the accumulator each in one operation.
typedef float Float4 __attribute__((vector_size(16)));

inline Float4 Load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store4(float* p, Float4 v) { std::memcpy(p, &v, sizeof v); }

// Positions with a fraction: each output frame lies between two source frames.
template <class T, int Channels>
void Linear(const uint8_t* data, uint64_t position, uint64_t step, float left, float right, float* out, DWORD count) {
    const T* src = reinterpret_cast<const T*>(data);
    const Float4 gains = {left, right, left, right};
    DWORD i = 0;
    for (; i + 2 <= count; i += 2) {
        const size_t at0 = size_t(position >> 32) * Channels;
        const float f0 = float(uint32_t(position)) * kFraction;
        position += step;
        const size_t at1 = size_t(position >> 32) * Channels;
        const float f1 = float(uint32_t(position)) * kFraction;
        position += step;
        // The second channel of a mono source is its first.
        const size_t r0 = at0 + Channels - 1, r1 = at1 + Channels - 1;
        const Float4 a = {Raw(src[at0]), Raw(src[r0]), Raw(src[at1]), Raw(src[r1])};
        const Float4 b = {Raw(src[at0 + Channels]), Raw(src[r0 + Channels]), Raw(src[at1 + Channels]),
                          Raw(src[r1 + Channels])};
        const Float4 f = {f0, f0, f1, f1};
        Store4(out + 2 * i, Load4(out + 2 * i) + (a + (b - a) * f) * gains);
    }
    if (i < count) {
        const size_t at = size_t(position >> 32) * Channels, r = at + Channels - 1;
        const float f = float(uint32_t(position)) * kFraction;
        const float a = Raw(src[at]), b = Raw(src[r]);
        out[2 * i] += (a + (Raw(src[at + Channels]) - a) * f) * left;
        out[2 * i + 1] += (b + (Raw(src[r + Channels]) - b) * f) * right;
    }
}

// The source at the output rate, on whole frames: a scaled copy.
template <class T, int Channels>
void Direct(const uint8_t* data, DWORD frame, float left, float right, float* out, DWORD count) {
    const T* src = reinterpret_cast<const T*>(data) + size_t(frame) * Channels;
    const Float4 gains = {left, right, left, right};
    DWORD i = 0;
    for (; i + 2 <= count; i += 2) {
        const T* s = src + i * Channels;
        const Float4 v = {Raw(s[0]), Raw(s[Channels - 1]), Raw(s[Channels]), Raw(s[2 * Channels - 1])};
        Store4(out + 2 * i, Load4(out + 2 * i) + v * gains);
    }
    if (i < count) {
        out[2 * i] += Raw(src[i * Channels]) * left;
        out[2 * i + 1] += Raw(src[i * Channels + Channels - 1]) * right;
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
