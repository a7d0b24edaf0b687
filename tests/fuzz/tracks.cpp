// Track data: "index.list" and "track.data" read for effects named after the
// index's own entries ("a.track" an instance, "a.b.track" its track b), then
// validated and every track read at a few times. The input is the index's
// length (two bytes, little-endian), the index, then the data.

#include "FuzzSupport.h"

#include "engine/runtime/Effect.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackFile.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"
#include "engine/runtime/VLMIO.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// The names of the index's entries, as far as they can be read.
std::vector<std::string> entryNames(const std::string& index)
{
    std::vector<std::string> names;
    size_t at = 4;
    while (at < index.size() && names.size() < 256) {
        const size_t end = index.find('\0', at);
        if (end == std::string::npos)
            break;
        names.push_back(index.substr(at, end - at));
        at = end + 1 + 4;
    }
    return names;
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLog();
    VLMIO::loadMode = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t indexSize = std::min<size_t>(size - 2, data[0] | (data[1] << 8));
    const std::string index(reinterpret_cast<const char*>(data) + 2, indexSize);
    fuzz::writeScratch("index.list", index);
    fuzz::writeScratch("track.data", data + 2 + indexSize, size - 2 - indexSize);

    std::map<std::string, std::set<std::string>> instances;
    for (const std::string& name : entryNames(index)) {
        const std::string suffix = ".track";
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string stem = name.substr(0, name.size() - suffix.size());
        const size_t dot = stem.find('.');
        std::set<std::string>& tracks = instances[stem.substr(0, dot)];
        if (dot != std::string::npos && tracks.size() < 64)
            tracks.insert(stem.substr(dot + 1));
    }
    std::vector<std::unique_ptr<Effect>> owned;
    std::vector<Effect*> effects;
    std::vector<std::string> names;
    for (const auto& instance : instances) {
        owned.push_back(std::make_unique<Effect>());
        for (const std::string& track : instance.second) {
            TrackInterpolate* out = nullptr;
            owned.back()->addTrack(track, out);
        }
        effects.push_back(owned.back().get());
        names.push_back(instance.first);
    }

    TrackFile reader(fuzz::scratch());
    std::unique_ptr<TrackManager> manager(reader.loadFromIndex(names, effects));
    if (!manager)
        return 0;
    manager->validate();
    const unsigned times[] = {0u, 49u, 1000u, 65000u, 3600000u, UINT_MAX / VLMPulsvek::ROWS_PER_SECOND, UINT_MAX};
    for (int i = 0; i < manager->getEntryCount(); ++i) {
        TrackEntry* entry = manager->getEntryAt(i);
        for (unsigned t : times) {
            const int ms = static_cast<int>(std::min<unsigned>(t, INT_MAX));
            entry->isActiveAt(ms, ms / VLMPulsvek::MS_PER_ROW);
            if (TrackStartStop* startStop = entry->getStartStop())
                startStop->getTarget(t / VLMPulsvek::MS_PER_ROW);
            for (int k = 0; k < entry->getTrackCount(); ++k)
                entry->getTrackAt(k)->getValue(t);
        }
    }
    return 0;
}
