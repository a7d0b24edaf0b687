#pragma once
// Rows of track keys, for comparing key sets in the track tests.

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
