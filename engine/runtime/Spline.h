#pragma once
// One-dimensional curve through keys (t, v), joined by cubic Hermite segments
// whose tangents come from the neighbouring keys.

#include <map>

class Spline {
public:
    Spline();
    ~Spline();

    void clear();
    // A key at the same t is replaced; min and max keep every value ever added.
    void addKey(float t, float v);
    // Mean of the two adjacent chord slopes at every inner key (3 keys or more).
    void computeTangents();
    // Zero tangents on both keys of every flat stretch (3 keys or more).
    void flattenTangents();
    // 0 with fewer than 3 keys; the end values outside the keys.
    float evaluate(float t) const;

    float getMin() const { return min; }
    float getMax() const { return max; }

private:
    float tangentAt(float t) const;

    std::map<float, float> values;
    std::map<float, float> tangents;
    float max;
    float min;
};
