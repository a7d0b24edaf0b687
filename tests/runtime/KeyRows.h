#pragma once
// Rows of track keys, for comparing key sets in the track tests, and value
// keys written as table rows.

#include "engine/runtime/Keyframe.h"
#include "engine/runtime/Track.h"

#include <vector>

inline std::vector<unsigned> rowsOf(const std::vector<Keyframe*>& keys)
{
    std::vector<unsigned> rows;
    for (const Keyframe* key : keys)
        rows.push_back(key->row);
    return rows;
}

inline std::vector<unsigned> rowsOf(const Track& track)
{
    std::vector<Keyframe*> keys;
    track.getKeyframes(keys);
    return rowsOf(keys);
}

struct ValueKey {
    unsigned row;
    int type;
    float value;
};

inline void addValueKeys(Track& track, const std::vector<ValueKey>& keys)
{
    for (const ValueKey& key : keys)
        track.addKeyframe(new Keyframe(key.row, key.type, key.value));
}
