#pragma once
// The road's course over the rows on screen: sideways turn and height per row,
// sampled from smooth splines through the keys of the "turn" and "hill" tracks
// (row, value); the keys' interpolation types are not used.

#include "engine/runtime/Spline.h"

#include <utility>
#include <vector>

class Track;

class RoadSpline {
public:
    explicit RoadSpline(int count);

    void setTurnTrack(Track* track) { turnTrack = track; }
    void setHillTrack(Track* track) { hillTrack = track; }

    // Refills both splines from the tracks' current keys.
    void rebuild();
    // Rebuilds when a track was modified (and clears the flags), resamples when
    // the start row moved or a track was modified. True when the arrays changed.
    bool update(unsigned start);

    // count samples each; sample i belongs to the row start + i.
    const float* getTurn() const { return turn.data(); }
    const float* getHill() const { return hill.data(); }
    int getCount() const { return count; }

    // Smallest and largest key value since the splines were last cleared.
    std::pair<float, float> getTurnRange() const;
    std::pair<float, float> getHillRange() const;

private:
    static void fill(Spline& spline, const Track& track);

    int count;
    std::vector<float> turn;
    std::vector<float> hill;
    Spline turnSpline;
    Spline hillSpline;
    int lastStart;
    Track* turnTrack;
    Track* hillTrack;
};
