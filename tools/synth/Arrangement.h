#pragma once
// The arrangement of the soundtrack: tempo, bar length and the sections with
// what plays in them, read from the readable file under content/music/
// (its format is described at the top of that file).

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

struct Section {
    std::string name;
    int startBar = 0;
    int bars = 0;
    std::vector<std::string> parts;

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
    // Sample frames from the start to the bar, rounded down.
    int64_t barFrame(int bar, int sampleRate) const;
    // The section that holds the bar, or null past the end.
    const Section* sectionAt(int bar) const;
};

// Parses the text of an arrangement file. On failure returns false and sets
// error to a line naming the line number and the fault.
bool parseArrangement(const std::vector<std::string>& lines, Arrangement& out, std::string& error);
// Reads and parses the file; a missing file is an error too.
bool readArrangement(const std::string& path, Arrangement& out, std::string& error);

}  // namespace synth
