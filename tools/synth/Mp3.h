#pragma once
// MP3 files of the soundtrack: CBR encoding with libmp3lame, written with the
// LAME/Info header so that decoders trim the encoder's delay and padding and
// the decoded length equals the rendered one; decoding with the engine's audio
// layer, so that the check reads the file as the show does.

#include <string>
#include <vector>

namespace synth {

// Encodes two channels of equal length (samples in -1..1) at the bit rate in kbit/s.
bool encodeMp3(const std::vector<float>& left, const std::vector<float>& right, int sampleRate,
               int kbps, const std::string& path, std::string& error);

struct DecodedMp3 {
    long sampleRate = 0;
    int channels = 0;
    std::vector<float> left, right;  // right repeats left for mono files
};

bool decodeMp3(const std::string& path, DecodedMp3& out, std::string& error);

}  // namespace synth
