#include "engine/runtime/TrackValue.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

TEST(TrackValue, IntegersAreHeldInTheirRangeBeforeTheConversion)
{
    struct Case {
        double v;
        int lo, hi, ifNaN, want;
    } const cases[] = {
        {2.9, 0, 3, 0, 2},        {-0.9, -5, 5, 0, 0},     {-2.9, -5, 5, 0, -2},       {7.0, 0, 3, 0, 3},
        {-7.0, 0, 3, 0, 0},       {nan, 0, 3, 2, 2},       {inf, 0, 3, 0, 3},          {-inf, 0, 3, 0, 0},
        {3e38, INT_MIN, INT_MAX, 0, INT_MAX},              {-3e38, INT_MIN, INT_MAX, 0, INT_MIN},
        {2147483647.5, INT_MIN, INT_MAX, 0, INT_MAX},      {-2147483648.5, INT_MIN, INT_MAX, 0, INT_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trackvalue::toInt(c.v, c.lo, c.hi, c.ifNaN), c.want) << c.v;
}

TEST(TrackValue, ValuesForLibrariesAreFiniteAndBounded)
{
    EXPECT_EQ(trackvalue::bounded(nan, 10.0), 0.0);
    EXPECT_EQ(trackvalue::bounded(inf, 10.0), 10.0);
    EXPECT_EQ(trackvalue::bounded(-inf, 10.0), -10.0);
    EXPECT_EQ(trackvalue::bounded(-3.5, 10.0), -3.5);
    EXPECT_EQ(trackvalue::bounded(1e30, 1e4), 1e4);
}

}
