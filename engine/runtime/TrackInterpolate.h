#pragma once
// A named numeric parameter: keys with a value and an interpolation type,
// sampled at the music time.

#include "engine/runtime/Track.h"

#include <string>

class TrackInterpolate : public Track {
public:
    explicit TrackInterpolate(const std::string& name);
    ~TrackInterpolate() override;

    std::string getName() const { return name; }

    // Value at timeMs; rows follow the track manager's rows per second.
    float getValue(unsigned timeMs) const;

    // Every key needed to evaluate the track over from..to.
    void getKeyframesInRange(unsigned from, unsigned to, std::vector<Keyframe*>& out) override;

    // The key starting the segment that contains row; null outside the keys.
    Keyframe* getSegmentKeyframe(unsigned row) const;

    // Deletes the key at row, else the key of the segment that contains row.
    void removeKeyframe(unsigned row);

private:
    std::string name;
};
