#include "engine/render/AnimationPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

AnimationPath twoKeys(int mode)
{
    AnimationPath path;
    path.setMode(mode);
    path.addPrimaryKey(0, glm::vec3(0, 0, 0));
    path.addPrimaryKey(1000, glm::vec3(10, 0, 0));
    return path;
}

}

TEST(AnimationPath, SamplesTwoKeysLinearAndCatmullRom)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        int mode;
        float seconds;
        float x;
    } cases[] = {
        {0, 0.25f, 2.5f},      {0, 0.0f, 0.0f},      {0, 1.0f, 10.0f},     {0, 5.0f, 10.0f},
        {1, 0.5f, 5.0f},       {1, 0.25f, 2.03125f}, {1, 1.0f, 10.0f},     {1, 0.0f, 0.0f},
        // Times before the start clamp to the first key, not wrap to the last.
        {0, -1.0f, 0.0f},      {1, -1.0f, 0.0f},     {0, -0.0001f, 0.0f},  {0, nan, 0.0f},
        {0, 1e12f, 10.0f},     {1, std::numeric_limits<float>::infinity(), 10.0f},
    };
    for (const Case& c : cases) {
        AnimationPath path = twoKeys(c.mode);
        glm::vec3 v = path.samplePrimary(c.seconds);
        EXPECT_NEAR(v.x, c.x, 1e-5f) << "mode " << c.mode << " at " << c.seconds << " s";
        EXPECT_EQ(v.y, 0.0f);
        EXPECT_EQ(v.z, 0.0f);
    }
}

TEST(AnimationPath, CatmullRomUsesNeighbouringKeysAndHitsEveryKey)
{
    AnimationPath path;
    const glm::vec3 keys[] = {{0, 0, 0}, {1, 2, 0}, {3, 2, -1}, {4, 0, 5}};
    for (int i = 0; i < 4; ++i)
        path.addPrimaryKey(static_cast<unsigned>(i) * 500, keys[i]);
    for (int mode : {0, 1}) {
        path.setMode(mode);
        for (int i = 0; i < 4; ++i) {
            glm::vec3 v = path.samplePrimary(i * 0.5f);
            EXPECT_EQ(v, keys[i]) << "mode " << mode << " key " << i;
        }
    }
    // Middle of the second segment: P0..P3 = all four keys, t = 0.5.
    path.setMode(1);
    glm::vec3 v = path.samplePrimary(0.75f);
    for (int c = 0; c < 3; ++c) {
        float expected = 0.5f * (keys[0][c] * -0.125f + keys[1][c] * 1.125f + keys[2][c] * 1.125f +
                                 keys[3][c] * -0.125f);
        EXPECT_NEAR(v[c], expected, 1e-5f) << c;
    }
    path.setMode(0);
    EXPECT_NEAR(path.samplePrimary(0.6f).x, 1.4f, 1e-5f);
}

TEST(AnimationPath, SingleEmptyAndUnknownMode)
{
    AnimationPath path;
    EXPECT_EQ(path.samplePrimary(1.0f), glm::vec3(0.0f));
    EXPECT_FALSE(path.hasPrimaryKeys());

    path.addSecondaryKey(300, glm::vec3(1, 2, 3));
    EXPECT_TRUE(path.hasSecondaryKeys());
    EXPECT_FALSE(path.hasPrimaryKeys());
    for (float s : {-2.0f, 0.0f, 0.3f, 99.0f})
        EXPECT_EQ(path.sampleSecondary(s), glm::vec3(1, 2, 3)) << s;
    EXPECT_EQ(path.samplePrimary(0.3f), glm::vec3(0.0f));

    path.setMode(2);
    EXPECT_EQ(path.sampleSecondary(0.3f), glm::vec3(0.0f));
}

TEST(AnimationPath, ReplacingKeysAndTimeRange)
{
    AnimationPath path;
    EXPECT_EQ(path.getStartMs(), 0u);
    EXPECT_EQ(path.getEndMs(), 0u);
    EXPECT_EQ(path.getLengthMs(), 0u);

    path.addSecondaryKey(5000, glm::vec3(1));
    path.updateTimeRange();  // no primary keys: untouched
    EXPECT_EQ(path.getEndMs(), 0u);

    path.addPrimaryKey(200, glm::vec3(1));
    path.addPrimaryKey(1500, glm::vec3(2));
    path.addPrimaryKey(1500, glm::vec3(7));
    EXPECT_EQ(path.getPrimaryKeys().size(), 2u);
    EXPECT_EQ(path.samplePrimary(1.5f), glm::vec3(7));
    path.updateTimeRange();
    EXPECT_EQ(path.getStartMs(), 0u);
    EXPECT_EQ(path.getEndMs(), 1500u);
    EXPECT_EQ(path.getLengthMs(), 1500u);
}
