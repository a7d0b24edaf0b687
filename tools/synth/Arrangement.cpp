#include "tools/synth/Arrangement.h"

#include "util/File.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace synth {

namespace {

const char* const knownParts[] = {"kick", "snare", "hats", "bass", "pad", "arp", "lead",
                                  "fadein", "riser", "halftime", "lift", "fadeout"};

bool readInt(std::istringstream& in, int& value)
{
    std::string word;
    if (!(in >> word))
        return false;
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < -1000000 || parsed > 1000000)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

bool Section::has(const std::string& part) const
{
    return std::find(parts.begin(), parts.end(), part) != parts.end();
}

int Arrangement::totalBars() const
{
    return sections.empty() ? 0 : sections.back().endBar();
}

int64_t Arrangement::barMs(int bar) const
{
    return static_cast<int64_t>(bar) * beatsPerBar * 60000 / tempo;
}

int64_t Arrangement::barFrame(int bar, int sampleRate) const
{
    return static_cast<int64_t>(bar) * beatsPerBar * 60 * sampleRate / tempo;
}

const Section* Arrangement::sectionAt(int bar) const
{
    for (const Section& s : sections)
        if (bar >= s.startBar && bar < s.endBar())
            return &s;
    return nullptr;
}

bool parseArrangement(const std::vector<std::string>& lines, Arrangement& out, std::string& error)
{
    out = Arrangement();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i].substr(0, lines[i].find('#'));
        std::istringstream in(line);
        std::string keyword;
        if (!(in >> keyword))
            continue;
        std::string where = "line " + std::to_string(i + 1) + ": ";
        if (keyword == "tempo" || keyword == "beats_per_bar") {
            int value = 0;
            std::string rest;
            if (!readInt(in, value) || value <= 0 || value > 1000 || (in >> rest)) {
                error = where + keyword + " needs one positive whole number";
                return false;
            }
            (keyword == "tempo" ? out.tempo : out.beatsPerBar) = value;
        } else if (keyword == "section") {
            Section s;
            if (!(in >> s.name) || !readInt(in, s.startBar) || !readInt(in, s.bars)) {
                error = where + "a section needs a name, a start bar and a length in bars";
                return false;
            }
            if (s.bars <= 0 || s.bars > 10000) {
                error = where + "section '" + s.name + "' needs a positive length";
                return false;
            }
            int expected = out.totalBars();
            if (s.startBar != expected) {
                error = where + "section '" + s.name + "' starts at bar " + std::to_string(s.startBar) +
                        ", the previous section ends at bar " + std::to_string(expected);
                return false;
            }
            for (const Section& other : out.sections)
                if (other.name == s.name) {
                    error = where + "section '" + s.name + "' is named twice";
                    return false;
                }
            std::string part;
            while (in >> part) {
                if (std::find(std::begin(knownParts), std::end(knownParts), part) == std::end(knownParts)) {
                    error = where + "unknown part '" + part + "'";
                    return false;
                }
                s.parts.push_back(part);
            }
            out.sections.push_back(s);
        } else {
            error = where + "unknown statement '" + keyword + "'";
            return false;
        }
    }
    if (out.tempo == 0 || out.beatsPerBar == 0 || out.sections.empty()) {
        error = "the arrangement needs a tempo, beats_per_bar and at least one section";
        return false;
    }
    return true;
}

bool readArrangement(const std::string& path, Arrangement& out, std::string& error)
{
    File file(path, 0);
    if (!file.isOpen()) {
        error = "cannot read '" + path + "'";
        return false;
    }
    if (!parseArrangement(file.getLines(), out, error)) {
        error = path + ", " + error;
        return false;
    }
    return true;
}

}  // namespace synth
