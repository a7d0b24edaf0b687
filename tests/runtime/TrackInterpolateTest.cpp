#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"

#include "runtime/KeyRows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Key = ValueKey;

void fill(TrackInterpolate& track, const std::vector<Key>& keys)
{
    addValueKeys(track, keys);
}

struct ValueCase {
    const char* what;
    std::vector<Key> keys;
    unsigned timeMs;
    float expected;
};

// At 20 rows per second a row is 50 ms.
TEST(TrackInterpolateTest, ValueAtTime)
{
    const int linear = 0, easeOut = 1, easeIn = 2, step = 3, quadratic = 4;
    auto pair = [](int type) { return std::vector<Key>{{10, type, 1.0f}, {20, 0, 3.0f}}; };
    const ValueCase cases[] = {
        {"no keys", {}, 700, 0.0f},
        {"single key, before it", {{10, 0, 5.0f}}, 0, 0.0f},
        {"single key, last ms before it", {{10, 0, 5.0f}}, 499, 0.0f},
        {"single key, at it", {{10, 0, 5.0f}}, 500, 5.0f},
        {"single key, long after", {{10, 0, 5.0f}}, 3600000, 5.0f},
        {"before the first key", pair(linear), 450, 0.0f},
        {"at the first key", pair(linear), 500, 1.0f},
        {"linear, middle", pair(linear), 750, 2.0f},
        {"linear, fractional row", pair(linear), 760, 2.04f},
        {"linear, at the last key", pair(linear), 1000, 3.0f},
        {"linear, after the last key", pair(linear), 90000, 3.0f},
        {"ease-out, middle", pair(easeOut), 750, 1.0f + 0.70710678f * 2.0f},
        {"ease-in, middle", pair(easeIn), 750, 1.0f + 0.29289322f * 2.0f},
        {"quadratic, middle", pair(quadratic), 750, 1.5f},
        {"quadratic, three quarters", pair(quadratic), 875, 1.0f + 0.5625f * 2.0f},
        {"step, first row", pair(step), 500, 1.0f},
        {"step, last row before the next key", pair(step), 999, 1.0f},
        {"step, at the next key", pair(step), 1000, 3.0f},
        {"unknown type is linear", pair(7), 750, 2.0f},
        {"negative type is linear", pair(-1), 750, 2.0f},
        {"type of the earlier key decides",
         {{10, linear, 1.0f}, {20, step, 3.0f}, {30, linear, 5.0f}}, 1250, 3.0f},
        {"next segment starts over at its key",
         {{10, step, 1.0f}, {20, linear, 3.0f}, {30, linear, 5.0f}}, 1250, 4.0f},
    };
    for (const ValueCase& c : cases) {
        TrackInterpolate track("speedo");
        fill(track, c.keys);
        EXPECT_NEAR(track.getValue(c.timeMs), c.expected, 1e-5f) << c.what;
    }
}

TEST(TrackInterpolateTest, SmoothTypesAreContinuousAtTheNextKey)
{
    for (int type : {0, 1, 2, 4}) {
        TrackInterpolate track("rain_move");
        fill(track, {{10, type, 1.0f}, {20, 0, 3.0f}});
        EXPECT_NEAR(track.getValue(999), 3.0f, 0.01f) << "type " << type;
        EXPECT_FLOAT_EQ(track.getValue(1000), 3.0f) << "type " << type;
    }
}

TEST(TrackInterpolateTest, RowsFollowTheTrackManager)
{
    TrackManager manager;
    manager.setRowsPerSecond(10);
    VLMPulsvek::tracks = &manager;
    TrackInterpolate track("speedo");
    fill(track, {{10, 0, 1.0f}, {20, 0, 3.0f}});
    // A row is now 100 ms: row 15 is at 1500 ms.
    const float atManagerRows = track.getValue(1500);
    const float beforeFirstKey = track.getValue(950);
    VLMPulsvek::tracks = nullptr;
    EXPECT_FLOAT_EQ(atManagerRows, 2.0f);
    EXPECT_FLOAT_EQ(beforeFirstKey, 0.0f);
    // Without a manager, 20 rows per second.
    EXPECT_FLOAT_EQ(track.getValue(750), 2.0f);
}

TEST(TrackInterpolateTest, SegmentKeyframe)
{
    struct Case {
        std::vector<Key> keys;
        unsigned row;
        int expectedRow; // -1: null
    } const cases[] = {
        {{}, 5, -1},
        {{{10, 0, 1}}, 10, 10},
        {{{10, 0, 1}}, 11, -1},
        {{{10, 0, 1}}, 9, -1},
        {{{10, 0, 1}, {20, 0, 2}, {30, 0, 3}}, 9, -1},
        {{{10, 0, 1}, {20, 0, 2}, {30, 0, 3}}, 10, 10},
        {{{10, 0, 1}, {20, 0, 2}, {30, 0, 3}}, 19, 10},
        {{{10, 0, 1}, {20, 0, 2}, {30, 0, 3}}, 20, 20},
        {{{10, 0, 1}, {20, 0, 2}, {30, 0, 3}}, 29, 20},
        {{{10, 0, 1}, {20, 0, 2}, {30, 0, 3}}, 30, -1},
        {{{10, 0, 1}, {20, 0, 2}, {30, 0, 3}}, 99, -1},
    };
    for (const Case& c : cases) {
        TrackInterpolate track("t");
        fill(track, c.keys);
        Keyframe* key = track.getSegmentKeyframe(c.row);
        const int row = key == nullptr ? -1 : static_cast<int>(key->row);
        EXPECT_EQ(row, c.expectedRow) << "row " << c.row << ", " << c.keys.size() << " keys";
    }
}

TEST(TrackInterpolateTest, RemoveKeyframe)
{
    struct Case {
        unsigned row;
        std::vector<unsigned> remaining;
    } const cases[] = {
        {20, {10, 30}},     // the key at the row
        {25, {10, 30}},     // the key of the segment containing the row
        {10, {20, 30}},
        {5, {10, 20, 30}},  // before the first key: nothing before it to remove
        {30, {10, 20}},
        {31, {10, 20, 30}}, // after the last key
    };
    for (const Case& c : cases) {
        TrackInterpolate track("t");
        fill(track, {{10, 0, 1}, {20, 0, 2}, {30, 0, 3}});
        track.setModified(false);
        track.removeKeyframe(c.row);
        EXPECT_EQ(rowsOf(track), c.remaining) << "row " << c.row;
        EXPECT_TRUE(track.isModified());
    }
    TrackInterpolate empty("t");
    empty.removeKeyframe(3);
    EXPECT_TRUE(rowsOf(empty).empty());
}

TEST(TrackInterpolateTest, KeyframesInRangeCoverTheRange)
{
    struct Case {
        unsigned from, to;
        std::vector<unsigned> expected;
    } const cases[] = {
        {0, 5, {10}},
        {10, 10, {10, 20}},
        {12, 18, {10, 20}},
        {12, 25, {10, 20, 30}},
        {20, 30, {20, 30}},
        {25, 40, {20, 30}},
        {31, 40, {}},
    };
    for (const Case& c : cases) {
        TrackInterpolate track("t");
        fill(track, {{10, 0, 1}, {20, 0, 2}, {30, 0, 3}});
        std::vector<Keyframe*> out;
        track.getKeyframesInRange(c.from, c.to, out);
        EXPECT_EQ(rowsOf(out), c.expected) << c.from << ".." << c.to;
    }
}

}
