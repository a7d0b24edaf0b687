#pragma once
// Level figures of a stretch of stereo music: peak, RMS, a K-weighted gated
// loudness (in the manner of broadcast loudness meters) and how the energy
// splits between lows, mids and highs.

#include <cstddef>

namespace synth {

struct Levels {
    double peak = 0.0;       // largest sample magnitude, 1 = full scale
    double rms = 0.0;        // over both channels
    double loudness = -99.0; // K-weighted, gated, in LUFS-like units
    double lowShare = 0.0;   // share of the energy below about 150 Hz
    double highShare = 0.0;  // share of the energy above about 4 kHz
    // Energy of octave bands around 31 Hz, 62 Hz ... 16 kHz, each as a share of their sum.
    static constexpr int bandCount = 10;
    double bands[bandCount] = {};
};

// How far apart two spectra are: the mean difference of the octave bands' shares, in dB.
double spectrumDistance(const Levels& a, const Levels& b);

Levels measureLevels(const float* left, const float* right, size_t frames, int sampleRate);

// 20 log10(value), with a floor of -99 for silence.
double decibels(double value);

}  // namespace synth
