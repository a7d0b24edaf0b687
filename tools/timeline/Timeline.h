#pragma once
// The show's timeline as a person writes it, and its compilation into the
// track data ("index.list" + "track.data").
//
// One statement a line; '#' starts a comment; indentation is free.
//
//   tempo <beats per minute>          beats_per_bar <beats>
//   arrangement <file>                tempo, beats_per_bar and the sections of
//                                     the music's arrangement (relative to the
//                                     source); a timeline that names one gives
//                                     no tempo or beats_per_bar of its own
//   section <name> <start bar> [<bars>]
//
//   instance <name> [priority <n>]   the following statements belong to it;
//                                     instances draw in ascending priority,
//                                     by default after those declared before
//     run <from> <until> [into <framebuffer>]
//                                     active from <from> up to (not including)
//                                     <until>; <until> may be "forever"; the
//                                     screen without "into"
//     track <name> [= <value>]        "= value" is one key at 0; a name with a
//                                     blank goes in double quotes
//       <time> <value> [<interpolation>]
//       repeat <from> <until> every <duration>
//         +<duration> <value> [<interpolation>]
//       end
//
// Times: "12.5s", "1500ms", "<bar>:<beat>" (bars count from 0 as in the
// arrangement, beats from 1: "32:1" is the first beat of bar 32, "32:2.5"
// half way through its second beat), a section name (its start) or
// "<section>.end", each optionally followed by "+<duration>" or "-<duration>".
// Durations: a number with "s", "ms", "beat(s)", "b", "bar(s)"; a bare 0.
// Interpolations: linear (default), easeout, easein, step, quad, or 0-4.
// A time becomes the nearest row of 50 ms. Every time and duration lies within
// the music's 20 minutes, every value is a finite float.

#include "tools/arrangement/Arrangement.h"

#include <map>
#include <string>
#include <vector>

struct TimelineKey {
    unsigned row;
    int type;
    float value;
    int line;
};

struct TimelineRun {
    unsigned start;
    unsigned stop;  // last active row
    std::string target;  // "screen" when the run has no framebuffer
    int line;
};

struct TimelineTrack {
    std::string name;
    std::vector<TimelineKey> keys;  // ascending rows
    int line;
};

struct TimelineInstance {
    std::string name;
    int priority;
    int line;
    std::vector<TimelineRun> runs;  // ascending rows
    std::vector<TimelineTrack> tracks;

    const TimelineTrack* findTrack(const std::string& track) const;
};

struct TimelineSection {
    std::string name;
    double startMs;
    double endMs;  // negative when the length is not known
};

// Track names by instance name. An instance that is not listed is unknown.
using TimelineSchema = std::map<std::string, std::vector<std::string>>;

class Timeline {
public:
    Timeline();

    // False with a message "<file>:<line>: <what>" in error.
    bool parseFile(const std::string& path, std::string& error);
    bool parse(const std::string& text, const std::string& fileName, std::string& error);

    // Every instance and track must be in the schema.
    bool check(const TimelineSchema& schema, std::string& error) const;

    // Writes index.list and track.data into folder through the engine's writer.
    bool compile(const std::string& folder, std::string& error) const;

    double getTempo() const { return tempo; }
    int getBeatsPerBar() const { return beatsPerBar; }
    const std::vector<TimelineSection>& getSections() const { return sections; }
    const std::vector<TimelineInstance>& getInstances() const { return instances; }
    const TimelineInstance* findInstance(const std::string& name) const;
    const TimelineSection* findSection(const std::string& name) const;
    // The files the last parse read: the source and the arrangement it names.
    const std::vector<std::string>& getInputs() const { return inputs; }

    // Latest time of a key or the end of a run: the music's longest.
    static constexpr double maxMs = static_cast<double>(music::maxMs);

private:
    struct Words;
    struct ParseState;
    // One handler per statement; false with error set.
    bool parseLine(const Words& w, ParseState& p);
    bool parseSetting(const Words& w, ParseState& p);
    bool parseArrangementStatement(const Words& w, ParseState& p);
    bool parseSection(const Words& w, ParseState& p);
    bool parseInstance(const Words& w, ParseState& p);
    bool parseRun(const Words& w, ParseState& p);
    bool parseTrack(const Words& w, ParseState& p);
    bool parseRepeat(const Words& w, ParseState& p);
    bool parseRepeatLine(const Words& w, ParseState& p);
    bool endRepeat(ParseState& p);
    bool parseKey(const Words& w, ParseState& p);
    bool addKey(const TimelineKey& key, ParseState& p);

    bool parseTime(const std::string& text, double& ms, std::string& why) const;
    bool parseDuration(const std::string& text, double& ms, std::string& why) const;

    std::string source;
    std::vector<std::string> inputs;
    double tempo;
    int beatsPerBar;
    int tempoLine;        // of the first tempo or beats_per_bar statement, 0 without
    int arrangementLine;  // of the arrangement statement, 0 without
    std::vector<TimelineSection> sections;
    std::vector<TimelineInstance> instances;
};

// Interpolation type of a name ("linear", "easeout", "easein", "step", "quad"
// or a digit 0-4); -1 when it is neither.
int timelineInterpolation(const std::string& name);
