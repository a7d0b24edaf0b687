#include "engine/runtime/TrackStartStop.h"

#include <iterator>

namespace {

FBO* targetOf(const Keyframe* key)
{
    const StartStopKeyframe* startStop = dynamic_cast<const StartStopKeyframe*>(key);
    return startStop ? startStop->target : nullptr;
}

}

TrackStartStop::TrackStartStop(int priority) : priority(priority), enabled(true) {}

TrackStartStop::~TrackStartStop() = default;

FBO* TrackStartStop::getTarget(unsigned row) const
{
    auto it = keys.lower_bound(row);
    if (it == keys.end())
        return nullptr;
    if (isStart(it->second))
        return it->first == row ? targetOf(it->second) : nullptr;
    if (it == keys.begin())
        return nullptr;
    return targetOf(std::prev(it)->second);
}

unsigned TrackStartStop::getStartRowAt(unsigned row) const
{
    auto it = keys.upper_bound(row);
    if (it == keys.end() || isStart(it->second) || it == keys.begin())
        return 0;
    return std::prev(it)->first;
}
