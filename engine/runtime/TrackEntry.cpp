#include "engine/runtime/TrackEntry.h"

#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"

#include "util/Assert.h"

#include <algorithm>

TrackEntry::TrackEntry(const std::string& name) : startStop(nullptr), name(name), effect(nullptr) {}

TrackEntry::~TrackEntry()
{
    delete startStop;
}

void TrackEntry::setStartStop(TrackStartStop* track)
{
    if (startStop != track)
        delete startStop;
    startStop = track;
}

void TrackEntry::addTrack(TrackInterpolate* track)
{
    VLM_ASSERT(track != nullptr);
    tracksByName[track->getName()] = track;
    tracks.push_back(track);
}

TrackInterpolate* TrackEntry::getTrack(const std::string& trackName) const
{
    auto it = tracksByName.find(trackName);
    return it == tracksByName.end() ? nullptr : it->second;
}

void TrackEntry::replaceTrack(const std::string& trackName, TrackInterpolate* newTrack)
{
    VLM_ASSERT(newTrack != nullptr);
    TrackInterpolate*& slot = tracksByName[trackName];
    TrackInterpolate* old = slot;
    slot = newTrack;
    std::replace(tracks.begin(), tracks.end(), old, newTrack);
}

bool TrackEntry::isActiveAt(int timeMs, int row) const
{
    return startStop != nullptr && startStop->isActiveAt(timeMs, static_cast<unsigned>(row));
}

unsigned TrackEntry::getLocalTimeMs(int row, unsigned timeMs) const
{
    if (startStop == nullptr)
        return timeMs;
    const unsigned rowMs = 1000u / static_cast<unsigned>(VLMPulsvek::rowsPerSecond());
    const unsigned start = startStop->getStartRowAt(static_cast<unsigned>(row)) * rowMs;
    return start >= timeMs ? 0u : timeMs - start;
}

bool TrackEntry::isModified() const
{
    if (startStop != nullptr && startStop->isModified())
        return true;
    for (const TrackInterpolate* track : tracks)
        if (track->isModified())
            return true;
    return false;
}

void TrackEntry::setModified(bool value)
{
    if (startStop != nullptr)
        startStop->setModified(value);
    for (TrackInterpolate* track : tracks)
        track->setModified(value);
}

bool TrackEntry::isUpToDate() const
{
    if (startStop != nullptr && !startStop->isUpToDate())
        return false;
    for (const TrackInterpolate* track : tracks)
        if (!track->isUpToDate())
            return false;
    return true;
}

void TrackEntry::setUpToDate()
{
    if (startStop != nullptr)
        startStop->setUpToDate();
    for (TrackInterpolate* track : tracks)
        track->setUpToDate();
}
