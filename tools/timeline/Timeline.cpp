#include "tools/timeline/Timeline.h"

#include "engine/runtime/Rows.h"
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
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
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

// False for a file that cannot be read, a folder among them.
bool readText(const std::string& path, std::string& text)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
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
    return std::llround(ms / VLMPulsvek::MS_PER_ROW);
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

Timeline::Timeline() : tempo(120), beatsPerBar(4), tempoLine(0), arrangementLine(0) {}

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
        if (!(std::fabs(ms) <= maxMs)) {
            why = music::quote(text) + " is longer than the music's 20 minutes";
            return false;
        }
        return true;
    }
    double n = 0;
    if (toNumber(text, n) && n == 0) {
        ms = 0;
        return true;
    }
    why = music::quote(text) + " is not a duration (use s, ms, beats or bars, e.g. 2beats)";
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
            why = music::quote(base) + " is not a bar:beat time (bars from 0, beats from 1, e.g. 16:1)";
            return false;
        }
        ms = (static_cast<double>(bar) * beatsPerBar + (beat - 1)) * 60000.0 / tempo;
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
            why = music::quote(base) + " has no unit (write " + music::quote(base + "s") + ", or a bar:beat time)";
        else if (isName(base) || base.find('.') != std::string::npos)
            why = "unknown section " + music::quote(base);
        else
            why = music::quote(base) + " is not a time";
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
        why = music::quote(text) + " lies before the start of the show";
        return false;
    }
    if (!(ms <= maxMs)) {
        why = music::quote(text) + " lies after the music's 20 minutes";
        return false;
    }
    return true;
}

// The words of a line of the source.
struct Timeline::Words : std::vector<std::string> {
    using std::vector<std::string>::vector;
};

struct Timeline::ParseState {
    const std::string& fileName;
    std::string& error;
    int line = 0;
    TimelineInstance* instance = nullptr;
    TimelineTrack* track = nullptr;  // open for keys
    std::map<unsigned, int> keyLines;  // the lines of the open track's keys, by row
    // An open repeat block: its range, step, first line and keys by offset.
    bool inRepeat = false;
    double repeatFrom = 0, repeatUntil = 0, repeatEvery = 0;
    int repeatLine = 0;
    std::vector<std::pair<double, TimelineKey>> repeatKeys;

    bool fail(const std::string& what)
    {
        error = where(fileName, line) + what;
        return false;
    }
};

namespace {

// A key's value: a number that a float holds.
bool toValue(const std::string& text, float& value, std::string& why)
{
    double d = 0;
    if (!toNumber(text, d)) {
        why = music::quote(text) + " is not a number";
        return false;
    }
    if (std::fabs(d) > std::numeric_limits<float>::max()) {
        why = music::quote(text) + " is too large for a track value";
        return false;
    }
    value = static_cast<float>(d);
    return true;
}

// The value and the optional interpolation of a key: words 1 and 2.
bool keyValue(const std::vector<std::string>& w, float& value, int& type, std::string& why)
{
    if (!toValue(w[1], value, why))
        return false;
    type = w.size() == 3 ? timelineInterpolation(w[2]) : 0;
    if (type < 0) {
        why = "unknown interpolation " + music::quote(w[2]) + " (linear, easeout, easein, step, quad)";
        return false;
    }
    return true;
}

}  // namespace

bool Timeline::parseFile(const std::string& path, std::string& error)
{
    std::string text;
    if (!readText(path, text)) {
        error = path + ":1: cannot read the timeline";
        return false;
    }
    return parse(text, path, error);
}

bool Timeline::parse(const std::string& text, const std::string& fileName, std::string& error)
{
    source = fileName;
    inputs = {fileName};
    ParseState p{fileName, error, 0, nullptr, nullptr, {}, false, 0, 0, 0, 0, {}};
    std::istringstream in(text);
    for (std::string raw; std::getline(in, raw);) {
        ++p.line;
        const std::vector<std::string> w = words(raw.substr(0, raw.find('#')));
        if (w.empty())
            continue;
        if (!(p.inRepeat ? parseRepeatLine(Words(w.begin(), w.end()), p) : parseLine(Words(w.begin(), w.end()), p)))
            return false;
    }
    if (p.inRepeat) {
        p.line = p.repeatLine;
        return p.fail("the repeat block has no 'end'");
    }
    for (TimelineInstance& i : instances)
        for (TimelineTrack& t : i.tracks)
            std::stable_sort(t.keys.begin(), t.keys.end(),
                             [](const TimelineKey& a, const TimelineKey& b) { return a.row < b.row; });
    return true;
}

bool Timeline::parseLine(const Words& w, ParseState& p)
{
    const std::string& op = w[0];
    if (op == "tempo" || op == "beats_per_bar")
        return parseSetting(w, p);
    if (op == "arrangement")
        return parseArrangementStatement(w, p);
    if (op == "section")
        return parseSection(w, p);
    if (op == "instance")
        return parseInstance(w, p);
    if (op == "run")
        return parseRun(w, p);
    if (op == "track")
        return parseTrack(w, p);
    if (op == "repeat")
        return parseRepeat(w, p);
    if (op == "end")
        return p.fail("'end' without a repeat");
    return parseKey(w, p);
}

bool Timeline::parseSetting(const Words& w, ParseState& p)
{
    const std::string& op = w[0];
    if (p.instance)
        return p.fail("'" + op + "' belongs before the first instance");
    if (arrangementLine)
        return p.fail("'" + op + "' comes from the arrangement of line " + std::to_string(arrangementLine) +
                      ": the timeline would move its bars off the music");
    if (w.size() != 2)
        return p.fail("'" + op + "' takes one number");
    if (op == "tempo") {
        if (!toNumber(w[1], tempo) || tempo <= 0)
            return p.fail("bad tempo " + music::quote(w[1]));
        if (tempo < music::minTempo || tempo > music::maxTempo)
            return p.fail("tempo " + music::quote(w[1]) + " lies outside " + std::to_string(music::minTempo) +
                          " to " + std::to_string(music::maxTempo) + " beats a minute");
    } else if (!toInteger(w[1], beatsPerBar) || beatsPerBar < 1 || beatsPerBar > music::maxBeatsPerBar) {
        return p.fail("bad beats_per_bar " + music::quote(w[1]) + " (1 to " +
                      std::to_string(music::maxBeatsPerBar) + ")");
    }
    if (!tempoLine)
        tempoLine = p.line;
    return true;
}

bool Timeline::parseArrangementStatement(const Words& w, ParseState& p)
{
    if (p.instance)
        return p.fail("'arrangement' belongs before the first instance");
    if (w.size() != 2)
        return p.fail("'arrangement' takes one file name");
    if (arrangementLine)
        return p.fail("a second arrangement (the first on line " + std::to_string(arrangementLine) + ")");
    if (tempoLine)
        return p.fail("the arrangement gives the tempo and beats_per_bar, set on line " +
                      std::to_string(tempoLine) + " already");
    const std::string full = !w[1].empty() && w[1][0] == '/' ? w[1] : folderOf(p.fileName) + w[1];
    music::Arrangement arrangement;
    if (!music::readArrangement(full, arrangement, p.error))
        return false;
    inputs.push_back(full);
    arrangementLine = p.line;
    tempo = arrangement.tempo;
    beatsPerBar = arrangement.beatsPerBar;
    for (const music::Section& s : arrangement.sections) {
        if (findSection(s.name))
            return p.fail("section " + music::quote(s.name) + " of the arrangement is named here already");
        sections.push_back({s.name, arrangement.barMsExact(s.startBar), arrangement.barMsExact(s.endBar())});
    }
    return true;
}

bool Timeline::parseSection(const Words& w, ParseState& p)
{
    if (w.size() < 3 || w.size() > 4 || !isName(w[1]))
        return p.fail("write 'section <name> <start bar> [<bars>]'");
    int start = 0, bars = -1;
    if (!toInteger(w[2], start) || start < 0 || (w.size() == 4 && (!toInteger(w[3], bars) || bars < 1)))
        return p.fail("a section starts at a whole bar and lasts whole bars");
    if (findSection(w[1]))
        return p.fail("section " + music::quote(w[1]) + " is named twice");
    const double barMs = beatsPerBar * 60000.0 / tempo;
    const double startMs = start * barMs, endMs = bars < 0 ? -1.0 : (static_cast<double>(start) + bars) * barMs;
    if (startMs > maxMs || endMs > maxMs)
        return p.fail("section " + music::quote(w[1]) + " lies after the music's 20 minutes");
    sections.push_back({w[1], startMs, endMs});
    return true;
}

bool Timeline::parseInstance(const Words& w, ParseState& p)
{
    if (w.size() != 2 && !(w.size() == 4 && w[2] == "priority"))
        return p.fail("write 'instance <name> [priority <n>]'");
    if (!isName(w[1]))
        return p.fail(music::quote(w[1]) + " is not an instance name");
    if (const TimelineInstance* old = findInstance(w[1]))
        return p.fail("instance '" + w[1] + "' is declared twice (line " + std::to_string(old->line) + ")");
    // Without a priority an instance draws after every one declared before it.
    int priority = 0;
    for (const TimelineInstance& other : instances)
        priority = std::max(priority, other.priority + 1);
    if (w.size() == 4 && (!toInteger(w[3], priority) || priority < 0))
        return p.fail("a priority is a whole number of 0 or more");
    for (const TimelineInstance& other : instances)
        if (other.priority == priority)
            return p.fail("instance '" + w[1] + "' has the priority of '" + other.name + "' (" +
                          std::to_string(priority) + "): the drawing order would be left to chance");
    instances.push_back({w[1], priority, p.line, {}, {}});
    p.instance = &instances.back();
    p.track = nullptr;
    return true;
}

bool Timeline::parseRun(const Words& w, ParseState& p)
{
    if (!p.instance)
        return p.fail("'run' outside an instance");
    if (w.size() != 3 && !(w.size() == 5 && w[3] == "into"))
        return p.fail("write 'run <from> <until> [into <framebuffer>]'");
    double from = 0, until = 0;
    std::string why;
    if (!parseTime(w[1], from, why))
        return p.fail(why);
    const bool forever = w[2] == "forever";
    if (!forever && !parseTime(w[2], until, why))
        return p.fail(why);
    const long long start = toRow(from);
    const long long stop = forever ? VLMPulsvek::SHOW_END_ROW : toRow(until) - 1;
    if (stop <= start)
        return p.fail("the run ends before it starts (rows " + std::to_string(start) + " to " +
                      std::to_string(stop) + ")");
    std::vector<TimelineRun>& runs = p.instance->runs;
    if (!runs.empty() && start <= runs.back().stop)
        return p.fail("the run starts at row " + std::to_string(start) + ", before the run of line " +
                      std::to_string(runs.back().line) + " has ended (row " + std::to_string(runs.back().stop) +
                      ")");
    runs.push_back({static_cast<unsigned>(start), static_cast<unsigned>(stop),
                    w.size() == 5 ? w[4] : std::string("screen"), p.line});
    p.track = nullptr;
    return true;
}

bool Timeline::parseTrack(const Words& w, ParseState& p)
{
    if (!p.instance)
        return p.fail("'track' outside an instance");
    if (w.size() != 2 && !(w.size() == 4 && w[2] == "="))
        return p.fail("write 'track <name>' or 'track <name> = <value>'");
    if (const TimelineTrack* old = p.instance->findTrack(w[1]))
        return p.fail("track '" + w[1] + "' of '" + p.instance->name + "' is given twice (line " +
                      std::to_string(old->line) + ")");
    p.instance->tracks.push_back({w[1], {}, p.line});
    p.track = &p.instance->tracks.back();
    p.keyLines.clear();
    if (w.size() == 4) {
        float value = 0;
        std::string why;
        if (!toValue(w[3], value, why))
            return p.fail(why);
        p.track->keys.push_back({0, 0, value, p.line});
        p.track = nullptr;  // complete
    }
    return true;
}

bool Timeline::parseRepeat(const Words& w, ParseState& p)
{
    if (!p.track)
        return p.fail("'repeat' outside a track");
    if (w.size() != 5 || w[3] != "every")
        return p.fail("write 'repeat <from> <until> every <duration>'");
    std::string why;
    if (!parseTime(w[1], p.repeatFrom, why) || !parseTime(w[2], p.repeatUntil, why) ||
        !parseDuration(w[4], p.repeatEvery, why))
        return p.fail(why);
    if (p.repeatEvery < VLMPulsvek::MS_PER_ROW)
        return p.fail("repeat every " + (w[4].size() > 40 ? music::quote(w[4]) : w[4]) + " is shorter than a row (50 ms)");
    if (p.repeatUntil <= p.repeatFrom)
        return p.fail("the repeat ends before it starts");
    p.inRepeat = true;
    p.repeatLine = p.line;
    return true;
}

bool Timeline::parseRepeatLine(const Words& w, ParseState& p)
{
    const std::string& op = w[0];
    if (op == "end" && w.size() == 1)
        return endRepeat(p);
    if (op.empty() || op[0] != '+' || w.size() < 2 || w.size() > 3)
        return p.fail("inside repeat: write '+<duration> <value> [interpolation]' or 'end'");
    double offset = 0;
    float value = 0;
    int type = 0;
    std::string why;
    if (!parseDuration(op.substr(1), offset, why) || !keyValue(w, value, type, why))
        return p.fail(why);
    if (p.repeatFrom + offset < 0)
        return p.fail("the repeat's first key " + music::quote(op) + " lies before the start of the show");
    p.repeatKeys.push_back({offset, TimelineKey{0, type, value, p.line}});
    return true;
}

bool Timeline::endRepeat(ParseState& p)
{
    p.inRepeat = false;
    if (p.repeatKeys.empty())
        return p.fail("the repeat block of line " + std::to_string(p.repeatLine) + " has no keys");
    // A track holds at most one key a row: more keys than rows cannot be.
    const double times = std::ceil((p.repeatUntil - p.repeatFrom) / p.repeatEvery - 1e-9);
    const double keys = times * static_cast<double>(p.repeatKeys.size());
    const double rows = maxMs / VLMPulsvek::MS_PER_ROW + 1;
    if (keys > rows) {
        p.line = p.repeatLine;
        return p.fail("the repeat makes " + std::to_string(static_cast<long long>(keys)) + " keys, more than the " +
                      std::to_string(static_cast<long long>(rows)) + " rows of the music");
    }
    for (double t = p.repeatFrom; t < p.repeatUntil - 1e-6; t += p.repeatEvery)
        for (const auto& k : p.repeatKeys) {
            TimelineKey key = k.second;
            const double ms = t + k.first;
            if (!(ms <= maxMs)) {
                p.line = key.line;
                return p.fail("the repeat's key lies after the music's 20 minutes");
            }
            key.row = static_cast<unsigned>(toRow(ms));
            if (!addKey(key, p))
                return false;
        }
    p.repeatKeys.clear();
    return true;
}

bool Timeline::parseKey(const Words& w, ParseState& p)
{
    const std::string& op = w[0];
    if (!p.track) {
        if (!p.instance)
            return p.fail("unknown statement " + music::quote(op));
        return p.fail(music::quote(op) + " is no statement, and no track is open for a key");
    }
    if (w.size() < 2 || w.size() > 3)
        return p.fail("a key is '<time> <value> [interpolation]'");
    double ms = 0;
    float value = 0;
    int type = 0;
    std::string why;
    if (!parseTime(op, ms, why) || !keyValue(w, value, type, why))
        return p.fail(why);
    return addKey({static_cast<unsigned>(toRow(ms)), type, value, p.line}, p);
}

bool Timeline::addKey(const TimelineKey& key, ParseState& p)
{
    auto placed = p.keyLines.emplace(key.row, key.line);
    if (!placed.second) {
        p.error = where(p.fileName, key.line) + "track '" + p.track->name + "' has two keys at row " +
                  std::to_string(key.row) + " (the other on line " + std::to_string(placed.first->second) + ")";
        return false;
    }
    p.track->keys.push_back(key);
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
