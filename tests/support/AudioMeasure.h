// Measurements of what the mixer made, for the sound tests: the next frames of the manual
// audio clock, one channel of them, and its level (RMS, peak, or a Goertzel filter's
// amplitude at one frequency) and frequency (by zero crossings).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <velmora/testing/TestSeams.h>

namespace audio {

constexpr double kPi = 3.14159265358979323846;

// Interleaved stereo, as RenderAudio gives it.
using Stereo = std::vector<float>;

inline Stereo Render(unsigned frames) {
    Stereo out(2 * size_t(frames));
    VelmoraTest::RenderAudio(out.data(), frames);
    return out;
}

// One channel (0 left, 1 right) of frames [from, to).
inline std::vector<double> Channel(const Stereo& s, int channel, size_t from = 0, size_t to = SIZE_MAX) {
    std::vector<double> out;
    for (size_t i = from; i < s.size() / 2 && i < to; ++i) out.push_back(s[2 * i + channel]);
    return out;
}

inline double Rms(const std::vector<double>& x) {
    double sum = 0;
    for (double v : x) sum += v * v;
    return x.empty() ? 0 : std::sqrt(sum / double(x.size()));
}

inline double Peak(const std::vector<double>& x) {
    double peak = 0;
    for (double v : x) peak = std::max(peak, std::fabs(v));
    return peak;
}

// Frequency from the upward zero crossings, each placed between its two samples.
inline double Frequency(const std::vector<double>& x, double rate) {
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0 && x[i] >= 0) {
            const double at = double(i - 1) + (-x[i - 1]) / (x[i] - x[i - 1]);
            if (first < 0) first = at;
            last = at;
            ++crossings;
        }
    }
    return crossings < 2 ? 0 : (crossings - 1) * rate / (last - first);
}

// The amplitude of the sine at `frequency` in `x` (Goertzel over whole samples).
inline double Amplitude(const std::vector<double>& x, double frequency, double rate) {
    const double w = 2 * kPi * frequency / rate;
    double re = 0, im = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        re += x[i] * std::cos(w * double(i));
        im -= x[i] * std::sin(w * double(i));
    }
    return 2 * std::sqrt(re * re + im * im) / double(x.size());
}

// The first whole periods of `frequency` in `x`, so that a Goertzel filter sees no partial one.
inline std::vector<double> WholePeriods(const std::vector<double>& x, double frequency, double rate) {
    const double period = rate / frequency;
    const size_t keep = size_t(std::floor(std::floor(double(x.size()) / period) * period + 0.5));
    return std::vector<double>(x.begin(), x.begin() + std::min(keep, x.size()));
}

}  // namespace audio
