#include "tools/synth/Analysis.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace synth {

namespace {

constexpr double pi = 3.14159265358979323846;

// Direct-form biquad.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double run(double x)
    {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The two stages of the K weighting, designed for any sample rate.
Biquad shelfStage(int rate)
{
    const double f0 = 1681.974450955533, gain = 3.999843853973347, q = 0.7071752369554196;
    double k = std::tan(pi * f0 / rate);
    double vh = std::pow(10.0, gain / 20.0), vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    Biquad f;
    f.b0 = (vh + vb * k / q + k * k) / a0;
    f.b1 = 2.0 * (k * k - vh) / a0;
    f.b2 = (vh - vb * k / q + k * k) / a0;
    f.a1 = 2.0 * (k * k - 1.0) / a0;
    f.a2 = (1.0 - k / q + k * k) / a0;
    return f;
}

Biquad highPassStage(int rate)
{
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    double k = std::tan(pi * f0 / rate);
    double a0 = 1.0 + k / q + k * k;
    Biquad f;
    f.b0 = 1.0;
    f.b1 = -2.0;
    f.b2 = 1.0;
    f.a1 = 2.0 * (k * k - 1.0) / a0;
    f.a2 = (1.0 - k / q + k * k) / a0;
    return f;
}

}  // namespace

double decibels(double value)
{
    return value > 1e-5 ? 20.0 * std::log10(value) : -99.0;
}

Levels measureLevels(const float* left, const float* right, size_t frames, int sampleRate)
{
    Levels levels;
    if (frames == 0)
        return levels;
    Biquad shelf[2] = {shelfStage(sampleRate), shelfStage(sampleRate)};
    Biquad high[2] = {highPassStage(sampleRate), highPassStage(sampleRate)};
    // One-pole splits for the band shares.
    const double lowCoef = 1.0 - std::exp(-2.0 * pi * 150.0 / sampleRate);
    const double highCoef = 1.0 - std::exp(-2.0 * pi * 4000.0 / sampleRate);
    double lowState[2] = {0, 0}, highState[2] = {0, 0};
    // Octave band-pass filters (state-variable, about an octave wide) on the sum of the channels.
    struct Band {
        double a1 = 0, a2 = 0, a3 = 0, ic1 = 0, ic2 = 0, energy = 0;
    };
    Band bands[Levels::bandCount];
    for (int b = 0; b < Levels::bandCount; ++b) {
        double hz = 31.25 * std::pow(2.0, b);
        double g = std::tan(pi * std::min(hz, 0.45 * sampleRate) / sampleRate), k = 1.0 / 1.41;
        bands[b].a1 = 1.0 / (1.0 + g * (g + k));
        bands[b].a2 = g * bands[b].a1;
        bands[b].a3 = g * bands[b].a2;
    }
    double sum = 0.0, lowSum = 0.0, highSum = 0.0;

    // 400 ms blocks every 100 ms for the gated loudness.
    const size_t step = static_cast<size_t>(sampleRate) / 10;
    std::vector<double> quarters;
    double quarter = 0.0;
    size_t inQuarter = 0;

    for (size_t i = 0; i < frames; ++i) {
        const float* ch[2] = {left, right};
        double weighted = 0.0;
        for (int c = 0; c < 2; ++c) {
            double x = ch[c][i];
            levels.peak = std::max(levels.peak, std::fabs(x));
            sum += x * x;
            lowState[c] += lowCoef * (x - lowState[c]);
            highState[c] += highCoef * (x - highState[c]);
            double hi = x - highState[c];
            lowSum += lowState[c] * lowState[c];
            highSum += hi * hi;
            double k = high[c].run(shelf[c].run(x));
            weighted += k * k;
        }
        double mono = 0.5 * (static_cast<double>(left[i]) + right[i]);
        for (Band& b : bands) {
            double v3 = mono - b.ic2;
            double v1 = b.a1 * b.ic1 + b.a2 * v3;
            double v2 = b.ic2 + b.a2 * b.ic1 + b.a3 * v3;
            b.ic1 = 2.0 * v1 - b.ic1;
            b.ic2 = 2.0 * v2 - b.ic2;
            b.energy += v1 * v1;
        }
        quarter += weighted;
        if (++inQuarter == step) {
            quarters.push_back(quarter / step);
            quarter = 0.0;
            inQuarter = 0;
        }
    }
    levels.rms = std::sqrt(sum / (2.0 * frames));
    if (sum > 0.0) {
        levels.lowShare = lowSum / sum;
        levels.highShare = highSum / sum;
    }

    double bandSum = 0.0;
    for (const Band& b : bands)
        bandSum += b.energy;
    for (int b = 0; b < Levels::bandCount && bandSum > 0.0; ++b)
        levels.bands[b] = bands[b].energy / bandSum;

    std::vector<double> blocks;
    for (size_t i = 0; i + 4 <= quarters.size(); ++i)
        blocks.push_back((quarters[i] + quarters[i + 1] + quarters[i + 2] + quarters[i + 3]) / 4.0);
    auto lufs = [](double power) { return power > 0.0 ? -0.691 + 10.0 * std::log10(power) : -99.0; };
    auto gatedMean = [&](double gate) {
        double total = 0.0;
        size_t n = 0;
        for (double b : blocks)
            if (lufs(b) > gate) {
                total += b;
                ++n;
            }
        return n ? total / n : 0.0;
    };
    double ungated = gatedMean(-70.0);
    if (ungated > 0.0)
        levels.loudness = lufs(gatedMean(lufs(ungated) - 10.0));
    return levels;
}

double spectrumDistance(const Levels& a, const Levels& b)
{
    double sum = 0.0;
    for (int k = 0; k < Levels::bandCount; ++k)
        sum += std::fabs(10.0 * std::log10((a.bands[k] + 1e-9) / (b.bands[k] + 1e-9)));
    return sum / Levels::bandCount;
}

}  // namespace synth
