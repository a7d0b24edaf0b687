#include "engine/runtime/Spline.h"

#include <iterator>

namespace {
const float RESET_MAX = -100000.0f;
const float RESET_MIN = 100000.0f;
}

Spline::Spline() : max(RESET_MAX), min(RESET_MIN) {}

Spline::~Spline() = default;

void Spline::clear()
{
    values.clear();
    tangents.clear();
    max = RESET_MAX;
    min = RESET_MIN;
}

void Spline::addKey(float t, float v)
{
    if (v > max)
        max = v;
    if (v < min)
        min = v;
    values[t] = v;
}

void Spline::computeTangents()
{
    if (values.size() < 3)
        return;
    auto prev = values.begin();
    auto key = std::next(prev);
    auto next = std::next(key);
    for (; next != values.end(); prev = key, key = next, ++next) {
        const float right = (next->second - key->second) / ((next->first - key->first) * 2.0f);
        const float left = (key->second - prev->second) / ((key->first - prev->first) * 2.0f);
        tangents[key->first] = right + left;
    }
}

void Spline::flattenTangents()
{
    if (values.size() < 3)
        return;
    auto key = values.begin();
    for (auto next = std::next(key); next != values.end(); key = next, ++next) {
        if (key->second == next->second) {
            tangents[key->first] = 0.0f;
            tangents[next->first] = 0.0f;
        }
    }
}

float Spline::tangentAt(float t) const
{
    auto it = tangents.find(t);
    return it == tangents.end() ? 0.0f : it->second;
}

float Spline::evaluate(float t) const
{
    if (values.size() < 3)
        return 0.0f;
    auto k1 = values.lower_bound(t);
    if (k1 == values.begin())
        return k1->second;
    if (k1 == values.end())
        return values.rbegin()->second;
    auto k0 = std::prev(k1);

    const float t0 = k0->first;
    const float t1 = k1->first;
    const float va = k0->second;
    const float vb = k1->second;
    const float d = t1 - t0;
    const float s = (t - t0) / d;
    const float m0 = tangentAt(t0);
    const float m1 = tangentAt(t1);

    const float s2 = s * s;
    const float s3 = s2 * s;
    const float h00 = 2.0f * s3 - 3.0f * s2 + 1.0f;
    const float h10 = s3 - 2.0f * s2 + s;
    const float h01 = -2.0f * s3 + 3.0f * s2;
    const float h11 = s3 - s2;
    return h00 * va + h10 * d * m0 + h01 * vb + h11 * d * m1;
}
