#include "engine/runtime/Effect.h"

#include "engine/runtime/TrackInterpolate.h"
#include "util/Log.h"

Effect::Effect() : useTrackData(false) {}

Effect::~Effect()
{
    for (TrackInterpolate* track : tracks)
        delete track;
}

void Effect::update(int) {}

void Effect::draw(int, int, FBO*)
{
    vlm::logLine("Fallback draw method! This should never happen!");
}

void Effect::postDraw(int) {}

void Effect::init() {}

Effect* Effect::clone()
{
    return new Effect();
}

void Effect::createTracks() {}

void Effect::addTrack(const std::string& name, TrackInterpolate*& out)
{
    out = new TrackInterpolate(name);
    tracks.push_back(out);
}
