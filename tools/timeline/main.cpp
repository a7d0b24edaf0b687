// Compiles the readable timeline into the show's track data:
//   timeline <source.timeline> <tracks folder> [--depfile <file>]
// Writes <tracks folder>/index.list and track.data, and with --depfile a
// make rule of the files it read (the source and its arrangement). Every instance and track
// of the source must be one the production has. Exit status 1 on any error,
// with the message "<file>:<line>: <what>" on standard error.

#include "tools/timeline/ProductionSchema.h"
#include "tools/timeline/Timeline.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

// A path in a make rule, '.' and '..' resolved: blanks, '#' and '$' escaped.
std::string makePath(const std::string& path)
{
    std::string out;
    for (char c : std::filesystem::path(path).lexically_normal().string()) {
        if (c == ' ' || c == '#')
            out += '\\';
        if (c == '$')
            out += '$';
        out += c;
    }
    return out;
}

bool writeDepfile(const std::string& path, const std::string& folder, const std::vector<std::string>& inputs)
{
    std::ofstream out(path);
    out << makePath(folder + "/index.list") << " " << makePath(folder + "/track.data") << ":";
    for (const std::string& input : inputs)
        out << " " << makePath(input);
    out << "\n";
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv)
{
    const bool withDepfile = argc == 5 && std::string(argv[3]) == "--depfile";
    if (argc != 3 && !withDepfile) {
        std::cerr << "usage: timeline <source.timeline> <tracks folder> [--depfile <file>]\n";
        return 2;
    }
    Timeline timeline;
    std::string error;
    if (!timeline.parseFile(argv[1], error)) {
        std::cerr << error << "\n";
        return 1;
    }
    std::vector<std::string> missing;
    TimelineSchema schema = productionSchema(&missing);
    // An effect class that is not built yet: its tracks are taken as written.
    for (const std::string& name : missing) {
        std::cerr << argv[1] << ": note: no effect class for instance '" << name << "' yet; its tracks are unchecked\n";
        if (const TimelineInstance* instance = timeline.findInstance(name))
            for (const TimelineTrack& track : instance->tracks)
                schema[name].push_back(track.name);
        else
            schema[name];
    }
    if (!timeline.check(schema, error) || !timeline.compile(argv[2], error)) {
        std::cerr << error << "\n";
        return 1;
    }
    if (withDepfile && !writeDepfile(argv[4], argv[2], timeline.getInputs())) {
        std::cerr << argv[4] << ":1: cannot write the dependency file\n";
        return 1;
    }
    return 0;
}
