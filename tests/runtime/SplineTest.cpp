#include "engine/runtime/Spline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Key {
    float t, v;
};

void fill(Spline& spline, const std::vector<Key>& keys)
{
    for (const Key& key : keys)
        spline.addKey(key.t, key.v);
}

TEST(SplineTest, Evaluate)
{
    const std::vector<Key> hump = {{0, 0}, {1, 1}, {2, 0}};
    const std::vector<Key> ramp = {{0, 0}, {1, 2}, {3, 2}, {4, 0}};
    struct Case {
        const char* what;
        std::vector<Key> keys;
        bool flatten;
        float t;
        float expected;
    } const cases[] = {
        {"before the first key", hump, false, -1.0f, 0.0f},
        {"at the first key", hump, false, 0.0f, 0.0f},
        {"first segment middle", hump, false, 0.5f, 0.5f},
        {"inner key", hump, false, 1.0f, 1.0f},
        {"second segment middle", hump, false, 1.5f, 0.5f},
        {"at the last key", hump, false, 2.0f, 0.0f},
        {"after the last key", hump, false, 5.0f, 0.0f},
        // Tangents 1 at t 1 and -1 at t 3 make the flat stretch bulge...
        {"flat stretch overshoots", ramp, false, 2.0f, 2.5f},
        // ...unless they are flattened.
        {"flattened stretch stays flat", ramp, true, 2.0f, 2.0f},
        {"flattened stretch, quarter", ramp, true, 1.5f, 2.0f},
        {"ramp inner key", ramp, false, 3.0f, 2.0f},
        {"two keys give 0", {{0, 1}, {1, 3}}, false, 0.5f, 0.0f},
        {"two keys give 0 at a key", {{0, 1}, {1, 3}}, false, 1.0f, 0.0f},
        {"one key gives 0", {{0, 4}}, false, 0.0f, 0.0f},
        {"no keys give 0", {}, false, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        Spline spline;
        fill(spline, c.keys);
        spline.computeTangents();
        if (c.flatten)
            spline.flattenTangents();
        EXPECT_NEAR(spline.evaluate(c.t), c.expected, 1e-6f) << c.what;
    }
}

TEST(SplineTest, PassesThroughKeysAndIsSmoothAtInnerKeys)
{
    const std::vector<Key> keys = {{0, 0}, {2, 3}, {3, -1}, {7, 4}, {8, 4.5f}, {10, 0}};
    Spline spline;
    fill(spline, keys);
    spline.computeTangents();
    for (const Key& key : keys)
        EXPECT_FLOAT_EQ(spline.evaluate(key.t), key.v) << "t " << key.t;

    const float h = 1e-3f;
    for (size_t i = 1; i + 1 < keys.size(); ++i) {
        const Key& prev = keys[i - 1];
        const Key& key = keys[i];
        const Key& next = keys[i + 1];
        const float tangent = (next.v - key.v) / ((next.t - key.t) * 2) + (key.v - prev.v) / ((key.t - prev.t) * 2);
        const float left = (spline.evaluate(key.t) - spline.evaluate(key.t - h)) / h;
        const float right = (spline.evaluate(key.t + h) - spline.evaluate(key.t)) / h;
        EXPECT_NEAR(left, tangent, 0.05f) << "left slope at t " << key.t;
        EXPECT_NEAR(right, tangent, 0.05f) << "right slope at t " << key.t;
    }
    // The end keys have slope 0.
    EXPECT_NEAR((spline.evaluate(h) - spline.evaluate(0)) / h, 0.0f, 0.05f);
    EXPECT_NEAR((spline.evaluate(10) - spline.evaluate(10 - h)) / h, 0.0f, 0.05f);
}

TEST(SplineTest, WithoutTangentsSegmentsAreFlatAtTheirKeys)
{
    Spline spline;
    fill(spline, {{0, 0}, {1, 1}, {2, 0}});
    // Slope 0 everywhere: smoothstep between the keys.
    EXPECT_FLOAT_EQ(spline.evaluate(0.5f), 0.5f);
    EXPECT_FLOAT_EQ(spline.evaluate(0.25f), 0.15625f);
}

TEST(SplineTest, KeysAreReplacedAndRangeKeepsEveryValue)
{
    Spline spline;
    EXPECT_FLOAT_EQ(spline.getMin(), 100000.0f);
    EXPECT_FLOAT_EQ(spline.getMax(), -100000.0f);
    spline.addKey(3, 7);
    spline.addKey(3, 2);
    EXPECT_FLOAT_EQ(spline.getMax(), 7.0f);
    EXPECT_FLOAT_EQ(spline.getMin(), 2.0f);
    spline.addKey(0, 0);
    spline.addKey(6, 10);
    spline.computeTangents(); // slope 10/6 at t 3
    EXPECT_FLOAT_EQ(spline.evaluate(3), 2.0f);

    spline.clear();
    EXPECT_FLOAT_EQ(spline.getMin(), 100000.0f);
    EXPECT_FLOAT_EQ(spline.getMax(), -100000.0f);
    EXPECT_FLOAT_EQ(spline.evaluate(3), 0.0f);
    // Tangents went with the keys: the rebuilt curve is not bent by old slopes.
    fill(spline, {{0, 0}, {3, 2}, {6, 4}});
    EXPECT_FLOAT_EQ(spline.evaluate(1.5f), 1.0f);
}

}
