#include "demo/RoadSpline.h"

#include "engine/runtime/Keyframe.h"
#include "engine/runtime/TrackInterpolate.h"

#include "runtime/KeyRows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const int COUNT = 64;

using Key = ValueKey;

std::vector<float> samples(const float* values)
{
    return std::vector<float>(values, values + COUNT);
}

// A road wired to its own "turn" and "hill" tracks.
struct Road {
    Road() : spline(COUNT), turn("turn"), hill("hill")
    {
        spline.setTurnTrack(&turn);
        spline.setHillTrack(&hill);
    }

    RoadSpline spline;
    TrackInterpolate turn;
    TrackInterpolate hill;
};

// Keys of every interpolation type, step (3) included.
const std::vector<Key> TURN_KEYS = {{0, 0, 0}, {10, 3, 5}, {20, 1, -5}, {30, 4, 2}, {50, 2, 2}, {90, 3, -1}};
const std::vector<Key> HILL_KEYS = {{5, 3, 10}, {25, 3, 30}, {45, 3, 0}};

TEST(RoadSplineTest, SamplesPassSmoothlyThroughTheKeys)
{
    Road road;
    addValueKeys(road.turn, TURN_KEYS);
    addValueKeys(road.hill, HILL_KEYS);
    ASSERT_TRUE(road.spline.update(0));
    const std::vector<float> turn = samples(road.spline.getTurn());
    const std::vector<float> hill = samples(road.spline.getHill());

    for (const Key& key : TURN_KEYS) {
        if (key.row < COUNT) {
            EXPECT_FLOAT_EQ(turn[key.row], key.value) << "turn key at " << key.row;
        }
    }
    for (const Key& key : HILL_KEYS)
        EXPECT_FLOAT_EQ(hill[key.row], key.value) << "hill key at " << key.row;
    // Before the first key the curve holds the first value.
    EXPECT_FLOAT_EQ(hill[0], 10.0f);
    // Step keys do not hold their value: the road bends between them.
    for (unsigned row = 11; row < 20; ++row) {
        EXPECT_LT(turn[row], turn[row - 1]) << row;
        EXPECT_GT(turn[row], -5.0f) << row;
    }
    for (unsigned row = 6; row < 25; ++row)
        EXPECT_GT(hill[row], hill[row - 1]) << row;

    // Sample i belongs to row start + i.
    ASSERT_TRUE(road.spline.update(7));
    for (int i = 0; i + 7 < COUNT; ++i) {
        EXPECT_FLOAT_EQ(road.spline.getTurn()[i], turn[i + 7]) << i;
        EXPECT_FLOAT_EQ(road.spline.getHill()[i], hill[i + 7]) << i;
    }
}

TEST(RoadSplineTest, ResamplesOnlyWhenTheStartMovesOrATrackWasModified)
{
    Road road;
    addValueKeys(road.turn, TURN_KEYS);
    addValueKeys(road.hill, HILL_KEYS);
    ASSERT_TRUE(road.spline.update(3));
    EXPECT_FALSE(road.turn.isModified());
    EXPECT_FALSE(road.hill.isModified());
    const std::vector<float> before = samples(road.spline.getTurn());
    EXPECT_FALSE(road.spline.update(3));

    // A key that arrives without the modified flag is not seen until a rebuild.
    road.turn.addKeyframe(new Keyframe(12, 0, 40));
    road.turn.setModified(false);
    EXPECT_FALSE(road.spline.update(3));
    EXPECT_EQ(samples(road.spline.getTurn()), before);
    ASSERT_TRUE(road.spline.update(4));
    EXPECT_FLOAT_EQ(road.spline.getTurn()[8], before[9]);

    // A modified track rebuilds at the same start and clears both flags.
    struct Case {
        const char* what;
        TrackInterpolate Road::*track;
        Key key;
        bool turnChanges;
    } const cases[] = {
        {"turn key", &Road::turn, {14, 3, -20}, true},
        {"hill key", &Road::hill, {15, 0, 60}, false},
    };
    for (const Case& c : cases) {
        const std::vector<float> oldTurn = samples(road.spline.getTurn());
        const std::vector<float> oldHill = samples(road.spline.getHill());
        addValueKeys(road.*c.track, {c.key});
        EXPECT_TRUE(road.turn.isModified() || road.hill.isModified()) << c.what;
        ASSERT_TRUE(road.spline.update(4)) << c.what;
        EXPECT_FALSE(road.turn.isModified()) << c.what;
        EXPECT_FALSE(road.hill.isModified()) << c.what;
        const float* changed = c.turnChanges ? road.spline.getTurn() : road.spline.getHill();
        EXPECT_FLOAT_EQ(changed[c.key.row - 4], c.key.value) << c.what;
        EXPECT_EQ(samples(c.turnChanges ? road.spline.getHill() : road.spline.getTurn()),
                  c.turnChanges ? oldHill : oldTurn)
            << c.what;
        EXPECT_NE(samples(changed), c.turnChanges ? oldTurn : oldHill) << c.what;
        EXPECT_FALSE(road.spline.update(4)) << c.what;
    }
}

TEST(RoadSplineTest, RebuildLeavesTheFlagsForTheNextUpdate)
{
    Road road;
    addValueKeys(road.turn, TURN_KEYS);
    road.spline.rebuild();
    EXPECT_TRUE(road.turn.isModified());
    EXPECT_EQ(road.spline.getTurnRange(), std::make_pair(-5.0f, 5.0f));
    ASSERT_TRUE(road.spline.update(0));
    ASSERT_FALSE(road.spline.update(0));
    road.spline.rebuild();
    EXPECT_FALSE(road.spline.update(0));
    road.turn.setModified(true);
    road.spline.rebuild();
    EXPECT_TRUE(road.spline.update(0));
}

TEST(RoadSplineTest, TooFewKeysGiveAFlatRoad)
{
    const std::vector<std::vector<Key>> keySets = {{}, {{4, 0, 3}}, {{4, 0, 3}, {9, 0, -2}}};
    for (const std::vector<Key>& keys : keySets) {
        Road road;
        addValueKeys(road.turn, keys);
        addValueKeys(road.hill, keys);
        ASSERT_TRUE(road.spline.update(0)) << keys.size() << " keys";
        EXPECT_EQ(samples(road.spline.getTurn()), std::vector<float>(COUNT, 0.0f)) << keys.size() << " keys";
        EXPECT_EQ(samples(road.spline.getHill()), std::vector<float>(COUNT, 0.0f)) << keys.size() << " keys";
    }
}

TEST(RoadSplineTest, RangesAreTheKeyExtremes)
{
    Road road;
    EXPECT_EQ(road.spline.getTurnRange(), std::make_pair(100000.0f, -100000.0f));
    EXPECT_EQ(road.spline.getHillRange(), std::make_pair(100000.0f, -100000.0f));
    addValueKeys(road.turn, TURN_KEYS);
    addValueKeys(road.hill, HILL_KEYS);
    road.spline.update(0);
    EXPECT_EQ(road.spline.getTurnRange(), std::make_pair(-5.0f, 5.0f));
    EXPECT_EQ(road.spline.getHillRange(), std::make_pair(0.0f, 30.0f));
    // A rebuild starts the ranges afresh.
    road.turn.removeKeyframe(10);
    road.turn.removeKeyframe(20);
    road.spline.update(0);
    EXPECT_EQ(road.spline.getTurnRange(), std::make_pair(-1.0f, 2.0f));
}

TEST(RoadSplineDeathTest, TracksMustBeSet)
{
    RoadSpline spline(COUNT);
    EXPECT_DEATH(spline.update(0), "turnTrack != nullptr");
    EXPECT_DEATH(spline.rebuild(), "turnTrack != nullptr");
}

}
