#pragma once
// The arrangement of the soundtrack: tempo, bar length and the sections with
// what plays in them, read from the readable file under content/music/
// (its format is described at the top of that file). The synthesiser renders
// it and the timeline compiler cuts to its bars: both read it here.

#include <cstdint>
#include <string>
#include <vector>

namespace music {

// What the instruments can play, and the longest music the show's clock takes
// (the audio layer decodes at most 20 minutes).
constexpr int minTempo = 40;
constexpr int maxTempo = 240;
constexpr int maxBeatsPerBar = 12;
constexpr int64_t maxMs = 20 * 60 * 1000;

struct Section {
    std::string name;
    int startBar = 0;
    int bars = 0;
    std::vector<std::string> parts;
    int line = 0;  // of the arrangement file

    bool has(const std::string& part) const;
    int endBar() const { return startBar + bars; }
};

struct Arrangement {
    int tempo = 0;
    int beatsPerBar = 0;
    std::vector<Section> sections;

    int totalBars() const;
    double beatSeconds() const { return 60.0 / tempo; }
    double barSeconds() const { return beatsPerBar * beatSeconds(); }
    // Start of a bar in whole milliseconds (exact for tempos that divide 60000 * beats).
    int64_t barMs(int bar) const;
    int64_t totalMs() const { return barMs(totalBars()); }
    // Start of a bar in milliseconds, unrounded.
    double barMsExact(int bar) const { return bar * beatsPerBar * 60000.0 / tempo; }
    // Sample frames from the start to the bar, rounded down.
    int64_t barFrame(int bar, int sampleRate) const;
    // The section that holds the bar, or null past the end.
    const Section* sectionAt(int bar) const;
    const Section* findSection(const std::string& name) const;
};

// Parses the lines of an arrangement file. On failure returns false and sets
// error to "<fileName>:<line>: <what>".
bool parseArrangement(const std::vector<std::string>& lines, const std::string& fileName, Arrangement& out,
                      std::string& error);
// Reads and parses the file; a missing, empty or unreadable file is an error too.
bool readArrangement(const std::string& path, Arrangement& out, std::string& error);

// A word of the input for a message, in single quotes, cut short when long.
std::string quote(const std::string& word);

}  // namespace music
