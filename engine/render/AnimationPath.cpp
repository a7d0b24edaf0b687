#include "engine/render/AnimationPath.h"

#include <cmath>
#include <iterator>

namespace {

// Negative and NaN times clamp to 0, times beyond the key range to its end.
std::uint32_t toKeyTime(float seconds)
{
    const double ms = std::trunc(static_cast<double>(seconds) * 1000.0);
    if (!(ms > 0.0))
        return 0;
    if (ms >= 4294967295.0)
        return 4294967295u;
    return static_cast<std::uint32_t>(ms);
}

}

void AnimationPath::updateTimeRange()
{
    if (primaryKeys.empty())
        return;
    startMs = 0;
    endMs = lengthMs = primaryKeys.rbegin()->first;
}

glm::vec3 AnimationPath::sample(const Keys& keys, float seconds) const
{
    if (mode != 0 && mode != 1)
        return glm::vec3(0.0f);
    if (keys.empty())
        return glm::vec3(0.0f);

    const std::uint32_t ms = toKeyTime(seconds);
    const auto next = keys.upper_bound(ms);
    if (next == keys.begin())
        return next->second;
    if (next == keys.end())
        return keys.rbegin()->second;
    const auto prev = std::prev(next);

    const long double t = static_cast<long double>(ms - prev->first) /
                          static_cast<long double>(next->first - prev->first);
    const glm::vec3& p1 = prev->second;
    const glm::vec3& p2 = next->second;

    if (mode == 0)
        return p1 + static_cast<float>(t) * (p2 - p1);

    const glm::vec3& p0 = prev == keys.begin() ? p1 : std::prev(prev)->second;
    const auto after = std::next(next);
    const glm::vec3& p3 = after == keys.end() ? p2 : after->second;
    const long double t2 = t * t;
    const long double t3 = t2 * t;
    glm::vec3 result;
    for (int c = 0; c < 3; ++c)
        result[c] = static_cast<float>(0.5L * (p0[c] * (-t3 + 2 * t2 - t) + p1[c] * (3 * t3 - 5 * t2 + 2) +
                                               p2[c] * (-3 * t3 + 4 * t2 + t) + p3[c] * (t3 - t2)));
    return result;
}
