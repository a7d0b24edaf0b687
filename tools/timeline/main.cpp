// Compiles the readable timeline into the show's track data:
//   timeline <source.timeline> <tracks folder>
// Writes <tracks folder>/index.list and track.data. Every instance and track
// of the source must be one the production has. Exit status 1 on any error,
// with the message "<file>:<line>: <what>" on standard error.

#include "tools/timeline/ProductionSchema.h"
#include "tools/timeline/Timeline.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: timeline <source.timeline> <tracks folder>\n";
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
    return 0;
}
