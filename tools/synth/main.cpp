// synth <arrangement.txt> <output.mp3>
// Renders the soundtrack from its arrangement and encodes it as 320 kbit/s MP3,
// then decodes the file again and reports its length and levels per section.
// A fault of the arrangement stops it with "<file>:<line>: <what>" on standard
// error and exit status 1.

#include "tools/synth/Analysis.h"
#include "tools/synth/Mp3.h"
#include "tools/synth/Synth.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: synth <arrangement.txt> <output.mp3>" << std::endl;
        return 2;
    }
    synth::Arrangement arrangement;
    std::string error;
    if (!music::readArrangement(argv[1], arrangement, error)) {
        std::cerr << error << std::endl;
        return 1;
    }

    auto start = std::chrono::steady_clock::now();
    synth::Rendered music = synth::renderMusic(arrangement);
    double renderSeconds = secondsSince(start);
    start = std::chrono::steady_clock::now();
    if (!synth::encodeMp3(music.left, music.right, synth::sampleRate, 320, argv[2], error)) {
        std::cerr << "synth: " << error << std::endl;
        return 1;
    }
    double encodeSeconds = secondsSince(start);

    synth::DecodedMp3 decoded;
    if (!synth::decodeMp3(argv[2], decoded, error)) {
        std::cerr << "synth: " << error << std::endl;
        return 1;
    }
    if (decoded.left.size() != music.left.size()) {
        std::cerr << "synth: the MP3 decodes to " << decoded.left.size() << " frames, not "
                  << music.left.size() << std::endl;
        return 1;
    }

    char line[200];
    std::snprintf(line, sizeof line, "synth: %d BPM, %d beats a bar, %d bars, %lld ms; render %.2f s, encode %.2f s",
                  arrangement.tempo, arrangement.beatsPerBar, arrangement.totalBars(),
                  static_cast<long long>(arrangement.totalMs()), renderSeconds, encodeSeconds);
    std::cout << line << std::endl;
    // The sections and the whole piece are measured on threads of their own.
    struct Part {
        std::string name;
        int bar, bars;
        size_t from, count;
        synth::Levels levels;
    };
    std::vector<Part> parts;
    for (const synth::Section& s : arrangement.sections) {
        size_t from = static_cast<size_t>(arrangement.barFrame(s.startBar, synth::sampleRate));
        size_t to = static_cast<size_t>(arrangement.barFrame(s.endBar(), synth::sampleRate));
        parts.push_back({s.name, s.startBar, s.bars, from, to - from, {}});
    }
    parts.push_back({"all", 0, arrangement.totalBars(), 0, decoded.left.size(), {}});
    std::vector<std::thread> threads;
    for (Part& p : parts)
        threads.emplace_back([&decoded, &p] {
            p.levels = synth::measureLevels(decoded.left.data() + p.from, decoded.right.data() + p.from, p.count,
                                            synth::sampleRate);
        });
    for (std::thread& t : threads)
        t.join();

    for (size_t k = 0; k < parts.size(); ++k) {
        const Part& p = parts[k];
        const synth::Levels& l = p.levels;
        double change = k > 0 && k + 1 < parts.size() ? synth::spectrumDistance(l, parts[k - 1].levels) : 0.0;
        std::snprintf(line, sizeof line,
                      "synth: %-10s bar %3d +%-3d %7lld ms  peak %6.2f dBFS  rms %6.2f dBFS  loudness %6.2f  "
                      "low %.2f high %.3f  spectrum change %.1f dB",
                      p.name.c_str(), p.bar, p.bars, static_cast<long long>(arrangement.barMs(p.bar)),
                      synth::decibels(l.peak), synth::decibels(l.rms), l.loudness, l.lowShare, l.highShare, change);
        std::cout << line << std::endl;
    }
    return 0;
}
