#pragma once
// The soundtrack's synthesiser: renders the arrangement to stereo samples.
// Drums, bass, pads, arpeggio and lead are drawn from oscillators, noise and
// filters; a reverb and a ping-pong delay sit on send buses; the mix is
// brought to a set loudness and through a look-ahead limiter so that its peak
// stays at the ceiling. Every noise source has a fixed seed: the same
// arrangement gives the same samples.

#include "tools/arrangement/Arrangement.h"

#include <vector>

namespace synth {

using music::Arrangement;
using music::Section;

constexpr int sampleRate = 44100;

struct MixTarget {
    double loudness = -11.5;  // K-weighted loudness the mix is set to before limiting
    double ceiling = 0.83;    // largest sample magnitude after limiting (about -1.6 dBFS)
};

struct Rendered {
    std::vector<float> left, right;
};

// The arrangement's total length exactly, at sampleRate. The arrangement is
// one the reader accepts.
Rendered renderMusic(const Arrangement& arrangement, const MixTarget& target = MixTarget());

}  // namespace synth
