#include "demo/RoadSpline.h"

#include "engine/runtime/Track.h"
#include "util/Assert.h"

#include <climits>

RoadSpline::RoadSpline(int count)
    : count(count), turn(count > 0 ? count : 0, 0.0f), hill(count > 0 ? count : 0, 0.0f), lastStart(INT_MAX),
      turnTrack(nullptr), hillTrack(nullptr)
{
    VLM_ASSERT(count > 0);
}

void RoadSpline::fill(Spline& spline, const Track& track)
{
    std::vector<Keyframe*> keys;
    track.getKeyframes(keys);
    spline.clear();
    for (const Keyframe* key : keys)
        spline.addKey(static_cast<float>(key->row), key->value);
}

void RoadSpline::rebuild()
{
    VLM_ASSERT(turnTrack != nullptr && hillTrack != nullptr);
    fill(turnSpline, *turnTrack);
    fill(hillSpline, *hillTrack);
    turnSpline.computeTangents();
    hillSpline.computeTangents();
}

bool RoadSpline::update(unsigned start)
{
    VLM_ASSERT(turnTrack != nullptr && hillTrack != nullptr);
    if (hillTrack->isModified() || turnTrack->isModified()) {
        rebuild();
        turnTrack->setModified(false);
        hillTrack->setModified(false);
    } else if (lastStart >= 0 && static_cast<unsigned>(lastStart) == start) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const float row = static_cast<float>(start) + static_cast<float>(i);
        turn[i] = turnSpline.evaluate(row);
        hill[i] = hillSpline.evaluate(row);
    }
    lastStart = static_cast<int>(start);
    return true;
}

std::pair<float, float> RoadSpline::getTurnRange() const
{
    return {turnSpline.getMin(), turnSpline.getMax()};
}

std::pair<float, float> RoadSpline::getHillRange() const
{
    return {hillSpline.getMin(), hillSpline.getMax()};
}
