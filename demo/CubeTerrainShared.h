#pragma once
// What the parts of the drive's renderer share.

#include "engine/runtime/TrackInterpolate.h"
#include "util/Assert.h"

#include <glm/mat4x4.hpp>

#include <algorithm>

namespace cubeterrain {

const glm::mat4 identity(1.0f);

// A track's value at a time in milliseconds (before the start: at 0).
inline float valueAt(const TrackInterpolate* track, int timeMs)
{
    VLM_ASSERT(track != nullptr);
    return track->getValue(static_cast<unsigned>(std::max(timeMs, 0)));
}

}
