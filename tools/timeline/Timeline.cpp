#include "tools/timeline/Timeline.h"

#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackFile.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

// Blank-separated words; "a b" in double quotes is one word (a track name
// with a blank). An unclosed quote runs to the end of the line.
std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
        } else if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            out.push_back(line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1));
            i = close == std::string::npos ? line.size() : close + 1;
        } else {
            const size_t end = line.find_first_of(" \t\r", i);
            out.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
            i = end == std::string::npos ? line.size() : end;
        }
    }
    return out;
}

// The whole text as a finite number.
bool toNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

bool toInteger(const std::string& text, int& value)
{
    double d = 0;
    if (!toNumber(text, d) || d != std::floor(d) || std::fabs(d) > 1e9)
        return false;
    value = static_cast<int>(d);
    return true;
}

bool readText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string where(const std::string& file, int line)
{
    return file + ":" + std::to_string(line) + ": ";
}

bool isName(const std::string& text)
{
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_'))
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

long long toRow(double ms)
{
    return std::llround(ms / Timeline::msPerRow);
}

}

int timelineInterpolation(const std::string& name)
{
    static const char* const names[] = {"linear", "easeout", "easein", "step", "quad"};
    for (int i = 0; i < 5; ++i)
        if (name == names[i] || name == std::to_string(i))
            return i;
    return -1;
}

const TimelineTrack* TimelineInstance::findTrack(const std::string& track) const
{
    for (const TimelineTrack& t : tracks)
        if (t.name == track)
            return &t;
    return nullptr;
}

Timeline::Timeline() : tempo(120), beatsPerBar(4), tempoSet(false) {}

const TimelineInstance* Timeline::findInstance(const std::string& name) const
{
    for (const TimelineInstance& i : instances)
        if (i.name == name)
            return &i;
    return nullptr;
}

const TimelineSection* Timeline::findSection(const std::string& name) const
{
    for (const TimelineSection& s : sections)
        if (s.name == name)
            return &s;
    return nullptr;
}

bool Timeline::parseDuration(const std::string& text, double& ms, std::string& why) const
{
    static const struct {
        const char* unit;
        int kind;  // 0 ms, 1 s, 2 beats, 3 bars
    } units[] = {{"beats", 2}, {"beat", 2}, {"bars", 3}, {"bar", 3}, {"ms", 0}, {"s", 1}, {"b", 2}};
    const double beatMs = 60000.0 / tempo;
    for (const auto& u : units) {
        const std::string unit = u.unit;
        if (text.size() <= unit.size() || text.compare(text.size() - unit.size(), unit.size(), unit) != 0)
            continue;
        double n = 0;
        if (!toNumber(text.substr(0, text.size() - unit.size()), n))
            continue;
        const double scale[] = {1.0, 1000.0, beatMs, beatMs * beatsPerBar};
        ms = n * scale[u.kind];
        return true;
    }
    double n = 0;
    if (toNumber(text, n) && n == 0) {
        ms = 0;
        return true;
    }
    why = "'" + text + "' is not a duration (use s, ms, beats or bars, e.g. 2beats)";
    return false;
}

bool Timeline::parseTime(const std::string& text, double& ms, std::string& why) const
{
    // The base runs up to the first '+' or '-' after its first character.
    size_t cut = text.find_first_of("+-", 1);
    const std::string base = text.substr(0, cut);
    double n = 0;
    const size_t colon = base.find(':');
    if (colon != std::string::npos) {
        int bar = 0;
        double beat = 0;
        if (!toInteger(base.substr(0, colon), bar) || !toNumber(base.substr(colon + 1), beat) || bar < 0 ||
            beat < 1) {
            why = "'" + base + "' is not a bar:beat time (bars from 0, beats from 1, e.g. 16:1)";
            return false;
        }
        ms = (bar * beatsPerBar + (beat - 1)) * 60000.0 / tempo;
    } else if (const TimelineSection* s = findSection(base)) {
        ms = s->startMs;
    } else if (base.size() > 4 && base.compare(base.size() - 4, 4, ".end") == 0 &&
               findSection(base.substr(0, base.size() - 4))) {
        const TimelineSection* section = findSection(base.substr(0, base.size() - 4));
        if (section->endMs < 0) {
            why = "section '" + section->name + "' has no length";
            return false;
        }
        ms = section->endMs;
    } else if (base.size() > 2 && base.compare(base.size() - 2, 2, "ms") == 0 &&
               toNumber(base.substr(0, base.size() - 2), n)) {
        ms = n;
    } else if (base.size() > 1 && base.back() == 's' && toNumber(base.substr(0, base.size() - 1), n)) {
        ms = n * 1000.0;
    } else {
        if (toNumber(base, n))
            why = "'" + base + "' has no unit (write " + base + "s, or a bar:beat time)";
        else if (isName(base) || base.find('.') != std::string::npos)
            why = "unknown section '" + base + "'";
        else
            why = "'" + base + "' is not a time";
        return false;
    }
    while (cut != std::string::npos) {
        const size_t next = text.find_first_of("+-", cut + 1);
        const std::string part = text.substr(cut + 1, next == std::string::npos ? std::string::npos : next - cut - 1);
        double d = 0;
        if (!parseDuration(part, d, why))
            return false;
        ms += text[cut] == '+' ? d : -d;
        cut = next;
    }
    if (ms < 0) {
        why = "'" + text + "' lies before the start of the show";
        return false;
    }
    return true;
}

bool Timeline::readArrangement(const std::string& path, const std::string& from, int line, std::string& error)
{
    std::string text;
    const std::string full = !path.empty() && path[0] == '/' ? path : folderOf(from) + path;
    if (!readText(full, text)) {
        error = where(from, line) + "cannot read the arrangement '" + full + "'";
        return false;
    }
    std::istringstream in(text);
    std::string raw;
    int n = 0;
    while (std::getline(in, raw)) {
        ++n;
        const std::vector<std::string> w = words(raw.substr(0, raw.find('#')));
        if (w.empty())
            continue;
        const std::string at = where(full, n);
        if (w[0] == "tempo" && w.size() == 2) {
            double t = 0;
            if (!toNumber(w[1], t) || t <= 0) {
                error = at + "bad tempo '" + w[1] + "'";
                return false;
            }
            if (!tempoSet)
                tempo = t;
        } else if (w[0] == "beats_per_bar" && w.size() == 2) {
            if (!toInteger(w[1], beatsPerBar) || beatsPerBar < 1) {
                error = at + "bad beats_per_bar '" + w[1] + "'";
                return false;
            }
        } else if (w[0] == "section" && w.size() >= 4) {
            int start = 0, bars = 0;
            if (!toInteger(w[2], start) || !toInteger(w[3], bars) || start < 0 || bars < 1) {
                error = at + "a section needs a start bar and a number of bars";
                return false;
            }
            if (findSection(w[1])) {
                error = at + "section '" + w[1] + "' is named twice";
                return false;
            }
            const double barMs = beatsPerBar * 60000.0 / tempo;
            sections.push_back({w[1], start * barMs, (start + bars) * barMs});
        }
        // Other statements of the arrangement belong to the synthesiser.
    }
    return true;
}

bool Timeline::parseFile(const std::string& path, std::string& error)
{
    std::string text;
    if (!readText(path, text)) {
        error = path + ": cannot read the timeline";
        return false;
    }
    return parse(text, path, error);
}

bool Timeline::parse(const std::string& text, const std::string& fileName, std::string& error)
{
    source = fileName;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    TimelineInstance* instance = nullptr;
    TimelineTrack* track = nullptr;
    // An open repeat block: its range, step and first line.
    bool inRepeat = false;
    double repeatFrom = 0, repeatUntil = 0, repeatEvery = 0;
    int repeatLine = 0;
    std::vector<std::pair<double, TimelineKey>> repeatKeys;
    // Where each key row of the current track was given, to report doubles.
    auto fail = [&](const std::string& what) {
        error = where(fileName, line) + what;
        return false;
    };
    auto addKey = [&](TimelineTrack& t, const TimelineKey& key) {
        for (const TimelineKey& k : t.keys)
            if (k.row == key.row) {
                error = where(fileName, key.line) + "track '" + t.name + "' has two keys at row " +
                        std::to_string(key.row) + " (the other on line " + std::to_string(k.line) + ")";
                return false;
            }
        t.keys.push_back(key);
        return true;
    };
    auto timeArg = [&](const std::string& word, double& ms) {
        std::string why;
        if (parseTime(word, ms, why))
            return true;
        error = where(fileName, line) + why;
        return false;
    };

    while (std::getline(in, raw)) {
        ++line;
        const std::vector<std::string> w = words(raw.substr(0, raw.find('#')));
        if (w.empty())
            continue;
        const std::string& op = w[0];

        if (inRepeat) {
            if (op == "end" && w.size() == 1) {
                inRepeat = false;
                if (repeatKeys.empty())
                    return fail("the repeat block of line " + std::to_string(repeatLine) + " has no keys");
                for (double t = repeatFrom; t < repeatUntil - 1e-6; t += repeatEvery)
                    for (const auto& k : repeatKeys) {
                        TimelineKey key = k.second;
                        const long long row = toRow(t + k.first);
                        if (row > foreverRow)
                            continue;
                        key.row = static_cast<unsigned>(row);
                        if (!addKey(*track, key))
                            return false;
                    }
                repeatKeys.clear();
                continue;
            }
            if (op.empty() || op[0] != '+' || w.size() < 2 || w.size() > 3)
                return fail("inside repeat: write '+<duration> <value> [interpolation]' or 'end'");
            double offset = 0, value = 0;
            std::string why;
            if (!parseDuration(op.substr(1), offset, why))
                return fail(why);
            if (!toNumber(w[1], value))
                return fail("'" + w[1] + "' is not a number");
            const int type = w.size() == 3 ? timelineInterpolation(w[2]) : 0;
            if (type < 0)
                return fail("unknown interpolation '" + w[2] + "' (linear, easeout, easein, step, quad)");
            repeatKeys.push_back({offset, TimelineKey{0, type, static_cast<float>(value), line}});
            continue;
        }

        if (op == "tempo" || op == "beats_per_bar") {
            if (instance)
                return fail("'" + op + "' belongs before the first instance");
            if (w.size() != 2)
                return fail("'" + op + "' takes one number");
            if (op == "tempo") {
                if (!toNumber(w[1], tempo) || tempo <= 0)
                    return fail("bad tempo '" + w[1] + "'");
                tempoSet = true;
            } else if (!toInteger(w[1], beatsPerBar) || beatsPerBar < 1) {
                return fail("bad beats_per_bar '" + w[1] + "'");
            }
        } else if (op == "arrangement") {
            if (instance)
                return fail("'arrangement' belongs before the first instance");
            if (w.size() != 2)
                return fail("'arrangement' takes one file name");
            if (!readArrangement(w[1], fileName, line, error))
                return false;
        } else if (op == "section") {
            if (w.size() < 3 || w.size() > 4 || !isName(w[1]))
                return fail("write 'section <name> <start bar> [<bars>]'");
            int start = 0, bars = -1;
            if (!toInteger(w[2], start) || start < 0 || (w.size() == 4 && (!toInteger(w[3], bars) || bars < 1)))
                return fail("a section starts at a whole bar and lasts whole bars");
            if (findSection(w[1]))
                return fail("section '" + w[1] + "' is named twice");
            const double barMs = beatsPerBar * 60000.0 / tempo;
            sections.push_back({w[1], start * barMs, bars < 0 ? -1.0 : (start + bars) * barMs});
        } else if (op == "instance") {
            if (w.size() != 2 && !(w.size() == 4 && w[2] == "priority"))
                return fail("write 'instance <name> [priority <n>]'");
            if (!isName(w[1]))
                return fail("'" + w[1] + "' is not an instance name");
            if (findInstance(w[1]))
                return fail("instance '" + w[1] + "' is declared twice (line " +
                            std::to_string(findInstance(w[1])->line) + ")");
            // Without a priority an instance draws after every one declared before it.
            int priority = 0;
            for (const TimelineInstance& other : instances)
                priority = std::max(priority, other.priority + 1);
            if (w.size() == 4 && (!toInteger(w[3], priority) || priority < 0))
                return fail("a priority is a whole number of 0 or more");
            for (const TimelineInstance& other : instances)
                if (other.priority == priority)
                    return fail("instance '" + w[1] + "' has the priority of '" + other.name + "' (" +
                                std::to_string(priority) + "): the drawing order would be left to chance");
            instances.push_back({w[1], priority, line, {}, {}});
            instance = &instances.back();
            track = nullptr;
        } else if (op == "run") {
            if (!instance)
                return fail("'run' outside an instance");
            if (w.size() != 3 && !(w.size() == 5 && w[3] == "into"))
                return fail("write 'run <from> <until> [into <framebuffer>]'");
            double from = 0, until = 0;
            if (!timeArg(w[1], from))
                return false;
            const bool forever = w[2] == "forever";
            if (!forever && !timeArg(w[2], until))
                return false;
            const long long start = toRow(from);
            const long long stop = forever ? foreverRow : toRow(until) - 1;
            if (stop <= start)
                return fail("the run ends before it starts (rows " + std::to_string(start) + " to " +
                            std::to_string(stop) + ")");
            if (stop > foreverRow)
                return fail("the run ends after the end of the show (99 minutes)");
            if (!instance->runs.empty() && start <= instance->runs.back().stop)
                return fail("the run starts at row " + std::to_string(start) +
                            ", before the run of line " + std::to_string(instance->runs.back().line) +
                            " has ended (row " + std::to_string(instance->runs.back().stop) + ")");
            instance->runs.push_back({static_cast<unsigned>(start), static_cast<unsigned>(stop),
                                      w.size() == 5 ? w[4] : std::string("screen"), line});
            track = nullptr;
        } else if (op == "track") {
            if (!instance)
                return fail("'track' outside an instance");
            if (w.size() != 2 && !(w.size() == 4 && w[2] == "="))
                return fail("write 'track <name>' or 'track <name> = <value>'");
            if (const TimelineTrack* old = instance->findTrack(w[1]))
                return fail("track '" + w[1] + "' of '" + instance->name + "' is given twice (line " +
                            std::to_string(old->line) + ")");
            instance->tracks.push_back({w[1], {}, line});
            track = &instance->tracks.back();
            if (w.size() == 4) {
                double value = 0;
                if (!toNumber(w[3], value))
                    return fail("'" + w[3] + "' is not a number");
                track->keys.push_back({0, 0, static_cast<float>(value), line});
                track = nullptr;  // complete
            }
        } else if (op == "repeat") {
            if (!track)
                return fail("'repeat' outside a track");
            if (w.size() != 5 || w[3] != "every")
                return fail("write 'repeat <from> <until> every <duration>'");
            if (!timeArg(w[1], repeatFrom) || !timeArg(w[2], repeatUntil))
                return false;
            std::string why;
            if (!parseDuration(w[4], repeatEvery, why))
                return fail(why);
            if (repeatEvery < msPerRow)
                return fail("repeat every " + w[4] + " is shorter than a row (50 ms)");
            if (repeatUntil <= repeatFrom)
                return fail("the repeat ends before it starts");
            inRepeat = true;
            repeatLine = line;
        } else if (op == "end") {
            return fail("'end' without a repeat");
        } else {
            // A key of the current track.
            if (!track) {
                if (!instance)
                    return fail("unknown statement '" + op + "'");
                return fail("'" + op + "' is no statement, and no track is open for a key");
            }
            if (w.size() < 2 || w.size() > 3)
                return fail("a key is '<time> <value> [interpolation]'");
            double ms = 0, value = 0;
            if (!timeArg(op, ms))
                return false;
            if (!toNumber(w[1], value))
                return fail("'" + w[1] + "' is not a number");
            const int type = w.size() == 3 ? timelineInterpolation(w[2]) : 0;
            if (type < 0)
                return fail("unknown interpolation '" + w[2] + "' (linear, easeout, easein, step, quad)");
            const long long row = toRow(ms);
            if (row > foreverRow)
                return fail("the key lies after the end of the show (99 minutes)");
            if (!addKey(*track, {static_cast<unsigned>(row), type, static_cast<float>(value), line}))
                return false;
        }
    }
    if (inRepeat) {
        line = repeatLine;
        return fail("the repeat block has no 'end'");
    }
    for (TimelineInstance& i : instances)
        for (TimelineTrack& t : i.tracks)
            std::stable_sort(t.keys.begin(), t.keys.end(),
                             [](const TimelineKey& a, const TimelineKey& b) { return a.row < b.row; });
    return true;
}

bool Timeline::check(const TimelineSchema& schema, std::string& error) const
{
    for (const TimelineInstance& i : instances) {
        auto known = schema.find(i.name);
        if (known == schema.end()) {
            std::string names;
            for (const auto& s : schema)
                names += (names.empty() ? "" : ", ") + s.first;
            error = where(source, i.line) + "the production has no instance '" + i.name +
                    "' (it has " + names + ")";
            return false;
        }
        for (const TimelineTrack& t : i.tracks)
            if (std::find(known->second.begin(), known->second.end(), t.name) == known->second.end()) {
                std::string names;
                for (const std::string& n : known->second)
                    names += (names.empty() ? "" : ", ") + n;
                error = where(source, t.line) + "instance '" + i.name + "' has no track '" + t.name +
                        "' (it has " + (names.empty() ? "none" : names) + ")";
                return false;
            }
    }
    return true;
}

bool Timeline::compile(const std::string& folder, std::string& error) const
{
    TrackManager manager;
    std::vector<std::unique_ptr<TrackInterpolate>> owned;  // entries do not own value tracks
    for (const TimelineInstance& i : instances) {
        TrackEntry* entry = new TrackEntry(i.name);
        TrackStartStop* startStop = new TrackStartStop(i.priority);
        for (const TimelineRun& run : i.runs) {
            StartStopKeyframe* start = new StartStopKeyframe(run.start, 1);
            start->targetName = run.target;
            startStop->addKeyframePair(start, new StartStopKeyframe(run.stop, 0));
        }
        entry->setStartStop(startStop);
        for (const TimelineTrack& t : i.tracks) {
            owned.emplace_back(new TrackInterpolate(t.name));
            for (const TimelineKey& k : t.keys)
                owned.back()->addKeyframe(new Keyframe(k.row, k.type, k.value));
            entry->addTrack(owned.back().get());
        }
        manager.addEntry(entry);
    }
    TrackFile writer(folder);
    if (!writer.saveIndex(&manager)) {
        error = "cannot write index.list and track.data into '" + folder + "'";
        return false;
    }
    return true;
}
