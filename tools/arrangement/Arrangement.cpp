#include "tools/arrangement/Arrangement.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace music {

namespace {

const char* const knownParts[] = {"kick", "snare", "hats", "bass", "pad", "arp", "lead",
                                  "fadein", "riser", "halftime", "lift", "fadeout"};

// Whole numbers of the file stay far from int's range.
constexpr long maxWhole = 1000000;

bool readInt(std::istringstream& in, int& value)
{
    std::string word;
    if (!(in >> word))
        return false;
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < -maxWhole || parsed > maxWhole)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

// The state of one parse: the file's name, the line and the first line of each setting.
struct Reader {
    const std::string& fileName;
    Arrangement& out;
    std::string& error;
    int line = 0;
    int tempoLine = 0, beatsLine = 0;

    bool fail(const std::string& what)
    {
        error = fileName + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    bool setting(const std::string& keyword, std::istringstream& in)
    {
        const bool isTempo = keyword == "tempo";
        int& first = isTempo ? tempoLine : beatsLine;
        if (!out.sections.empty())
            return fail(keyword + " belongs before the first section");
        if (first)
            return fail(keyword + " is given twice (first on line " + std::to_string(first) + ")");
        int value = 0;
        std::string rest;
        if (!readInt(in, value) || (in >> rest))
            return fail(keyword + " needs one positive whole number");
        const int low = isTempo ? minTempo : 1, high = isTempo ? maxTempo : maxBeatsPerBar;
        if (value < low || value > high)
            return fail(keyword + " " + std::to_string(value) + " cannot be played: the instruments play " +
                        std::to_string(low) + " to " + std::to_string(high) +
                        (isTempo ? " beats a minute" : " beats a bar"));
        (isTempo ? out.tempo : out.beatsPerBar) = value;
        first = line;
        return true;
    }

    bool section(std::istringstream& in)
    {
        Section s;
        s.line = line;
        if (!(in >> s.name) || !readInt(in, s.startBar) || !readInt(in, s.bars))
            return fail("a section needs a name, a start bar and a length in bars");
        if (!tempoLine || !beatsLine)
            return fail("section " + quote(s.name) + " comes before the tempo and beats_per_bar");
        if (s.bars <= 0)
            return fail("section " + quote(s.name) + " needs a positive length");
        const int expected = out.totalBars();
        if (s.startBar != expected)
            return fail("section " + quote(s.name) + " starts at bar " + std::to_string(s.startBar) +
                        (s.startBar < expected ? ", inside" : ", after a gap behind") +
                        " the previous section, which ends at bar " + std::to_string(expected));
        if (const Section* other = out.findSection(s.name))
            return fail("section " + quote(s.name) + " is named twice (first on line " +
                        std::to_string(other->line) + ")");
        if (out.barMsExact(s.endBar()) > static_cast<double>(maxMs))
            return fail("section " + quote(s.name) + " ends at bar " + std::to_string(s.endBar()) +
                        ", after the music's 20 minutes");
        std::string part;
        while (in >> part) {
            if (std::find(std::begin(knownParts), std::end(knownParts), part) == std::end(knownParts))
                return fail("unknown part " + quote(part));
            s.parts.push_back(part);
        }
        out.sections.push_back(s);
        return true;
    }
};

}  // namespace

std::string quote(const std::string& word)
{
    const size_t longest = 40;
    return "'" + (word.size() > longest ? word.substr(0, longest) + "..." : word) + "'";
}

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

const Section* Arrangement::findSection(const std::string& name) const
{
    for (const Section& s : sections)
        if (s.name == name)
            return &s;
    return nullptr;
}

bool parseArrangement(const std::vector<std::string>& lines, const std::string& fileName, Arrangement& out,
                      std::string& error)
{
    out = Arrangement();
    Reader reader{fileName, out, error};
    for (size_t i = 0; i < lines.size(); ++i) {
        reader.line = static_cast<int>(i + 1);
        std::istringstream in(lines[i].substr(0, lines[i].find('#')));
        std::string keyword;
        if (!(in >> keyword))
            continue;
        bool ok = false;
        if (keyword == "tempo" || keyword == "beats_per_bar")
            ok = reader.setting(keyword, in);
        else if (keyword == "section")
            ok = reader.section(in);
        else
            ok = reader.fail("unknown statement " + quote(keyword));
        if (!ok)
            return false;
    }
    if (out.sections.empty()) {
        reader.line = std::max<int>(1, static_cast<int>(lines.size()));
        return reader.fail("the arrangement needs a tempo, beats_per_bar and at least one section");
    }
    return true;
}

bool readArrangement(const std::string& path, Arrangement& out, std::string& error)
{
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(path, ec);
    std::ifstream in;
    if (!folder)
        in.open(path, std::ios::binary);
    if (folder || !in) {
        error = path + ":1: cannot read the arrangement" + (folder ? " (it is a folder)" : "");
        return false;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (in.bad()) {
        error = path + ":" + std::to_string(lines.size() + 1) + ": cannot read the arrangement";
        return false;
    }
    return parseArrangement(lines, path, out, error);
}

}  // namespace music
