// synth <arrangement.txt> <output.mp3>
// Renders the soundtrack from its arrangement and encodes it as 320 kbit/s MP3,
// then decodes the file again and reports its length and levels per section.

#include "tools/synth/Analysis.h"
#include "tools/synth/Arrangement.h"
#include "tools/synth/Mp3.h"
#include "tools/synth/Synth.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cout << "usage: synth <arrangement.txt> <output.mp3>" << std::endl;
        return 2;
    }
    synth::Arrangement arrangement;
    std::string error;
    if (!synth::readArrangement(argv[1], arrangement, error)) {
        std::cout << "synth: " << error << std::endl;
        return 1;
    }

    auto start = std::chrono::steady_clock::now();
    synth::Rendered music = synth::renderMusic(arrangement);
    double renderSeconds = secondsSince(start);
    start = std::chrono::steady_clock::now();
    if (!synth::encodeMp3(music.left, music.right, synth::sampleRate, 320, argv[2], error)) {
        std::cout << "synth: " << error << std::endl;
        return 1;
    }
    double encodeSeconds = secondsSince(start);

    synth::DecodedMp3 decoded;
    if (!synth::decodeMp3(argv[2], decoded, error)) {
        std::cout << "synth: " << error << std::endl;
        return 1;
    }
    if (decoded.left.size() != music.left.size()) {
        std::cout << "synth: the MP3 decodes to " << decoded.left.size() << " frames, not "
                  << music.left.size() << std::endl;
        return 1;
    }

    char line[200];
    std::snprintf(line, sizeof line, "synth: %d BPM, %d beats a bar, %d bars, %lld ms; render %.2f s, encode %.2f s",
                  arrangement.tempo, arrangement.beatsPerBar, arrangement.totalBars(),
                  static_cast<long long>(arrangement.totalMs()), renderSeconds, encodeSeconds);
    std::cout << line << std::endl;
    synth::Levels previous;
    auto report = [&](const char* name, int bar, int bars, size_t from, size_t count) {
        synth::Levels l = synth::measureLevels(decoded.left.data() + from, decoded.right.data() + from, count,
                                               synth::sampleRate);
        double change = bar > 0 ? synth::spectrumDistance(l, previous) : 0.0;
        previous = l;
        std::snprintf(line, sizeof line,
                      "synth: %-10s bar %3d +%-3d %7lld ms  peak %6.2f dBFS  rms %6.2f dBFS  loudness %6.2f  "
                      "low %.2f high %.3f  spectrum change %.1f dB",
                      name, bar, bars, static_cast<long long>(arrangement.barMs(bar)), synth::decibels(l.peak),
                      synth::decibels(l.rms), l.loudness, l.lowShare, l.highShare, change);
        std::cout << line << std::endl;
    };
    for (const synth::Section& s : arrangement.sections) {
        size_t from = static_cast<size_t>(arrangement.barFrame(s.startBar, synth::sampleRate));
        size_t to = static_cast<size_t>(arrangement.barFrame(s.endBar(), synth::sampleRate));
        report(s.name.c_str(), s.startBar, s.bars, from, to - from);
    }
    report("all", 0, arrangement.totalBars(), 0, decoded.left.size());
    return 0;
}
