#include "engine/runtime/TrackInterpolate.h"

#include "engine/runtime/TrackManager.h"

#include <cmath>
#include <iterator>

namespace {

const double PI = 3.141592653589793;

float interpolate(int type, float va, float vb, float u)
{
    switch (type) {
    case 1: {
        float f = static_cast<float>(std::cos((1.0f - u) * PI * 0.5));
        return va + f * (vb - va);
    }
    case 2: {
        float f = 1.0f - static_cast<float>(std::cos(u * PI * 0.5));
        return va + f * (vb - va);
    }
    case 3:
        return va;
    case 4: {
        float square = u * u;
        return va + (vb - va) * square;
    }
    default:
        return va + (vb - va) * u;
    }
}

}

TrackInterpolate::TrackInterpolate(const std::string& name) : name(name) {}

TrackInterpolate::~TrackInterpolate() = default;

float TrackInterpolate::getValue(unsigned timeMs) const
{
    if (keys.empty())
        return 0.0f;
    const unsigned rowsPerSecond = static_cast<unsigned>(VLMPulsvek::rowsPerSecond());
    const unsigned row = timeMs * rowsPerSecond / 1000u;

    if (keys.size() == 1) {
        const Keyframe* only = keys.begin()->second;
        return row < keys.begin()->first ? 0.0f : only->value;
    }

    auto next = keys.upper_bound(row);
    if (next == keys.begin())
        return 0.0f;
    if (next == keys.end())
        return keys.rbegin()->second->value;
    auto prev = std::prev(next);

    const float x = static_cast<float>(static_cast<double>(timeMs) / (1000u / rowsPerSecond));
    const float u = (x - static_cast<float>(prev->first)) / static_cast<float>(next->first - prev->first);
    return interpolate(prev->second->type, prev->second->value, next->second->value, u);
}

void TrackInterpolate::getKeyframesInRange(unsigned from, unsigned to, std::vector<Keyframe*>& out)
{
    auto it = keys.lower_bound(from);
    if (it == keys.end())
        return;
    if (from < it->first && it != keys.begin())
        out.push_back(std::prev(it)->second);
    for (; it != keys.end(); ++it) {
        out.push_back(it->second);
        if (it->first > to)
            break;
    }
}

Keyframe* TrackInterpolate::getSegmentKeyframe(unsigned row) const
{
    if (keys.empty())
        return nullptr;
    if (keys.size() == 1)
        return keys.begin()->first == row ? keys.begin()->second : nullptr;
    auto next = keys.upper_bound(row);
    if (next == keys.begin() || next == keys.end())
        return nullptr;
    return std::prev(next)->second;
}

void TrackInterpolate::removeKeyframe(unsigned row)
{
    setModified(true);
    auto it = keys.lower_bound(row);
    if (it == keys.end())
        return;
    if (it->first == row) {
        eraseKey(it);
    } else if (it != keys.begin()) {
        eraseKey(std::prev(it));
    }
}
