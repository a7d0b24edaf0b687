#include "engine/runtime/Binary.h"
#include "engine/runtime/DataBinaryPool.h"

#include "support/Capture.h"

#include <gtest/gtest.h>

#include <memory>

TEST(Binary, BytesAndFloats)
{
    Binary b({0, 128, 255});
    EXPECT_EQ(b.size(), 3);
    EXPECT_EQ(b.byteAt(1), 128);
    float* all = b.asFloats();
    ASSERT_NE(all, nullptr);
    EXPECT_FLOAT_EQ(all[0], 0.0f);
    EXPECT_FLOAT_EQ(all[1], 0.5f);
    EXPECT_FLOAT_EQ(all[2], 0.99609375f);
    EXPECT_EQ(b.asFloats(), all);
    EXPECT_EQ(b.toString(), "Binary { size = 3 }\n");
    EXPECT_EQ(b.getString(0, 3), "");

    Binary empty({});
    EXPECT_EQ(empty.size(), 0);
    EXPECT_NE(empty.asFloats(), nullptr);
    EXPECT_EQ(empty.toString(), "Binary { size = 0 }\n");
}

TEST(Binary, RangesStayInsideTheData)
{
    Binary b({0, 64, 128, 192});
    for (int i : {-1, 4, 1000})
        EXPECT_EQ(b.byteAt(i), 0) << i;

    struct Case {
        int start, count;
        std::vector<float> expected;
    } cases[] = {
        {1, 2, {0.25f, 0.5f}},
        {0, 4, {0.0f, 0.25f, 0.5f, 0.75f}},
        {3, 3, {0.75f, 0.0f, 0.0f}},
        {-2, 3, {0.0f, 0.0f, 0.0f}},
        {100, 1, {0.0f}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<float[]> f(b.floats(c.start, c.count));
        ASSERT_NE(f, nullptr);
        for (int k = 0; k < c.count; ++k)
            EXPECT_FLOAT_EQ(f[k], c.expected[k]) << c.start << "+" << k;
    }
    EXPECT_EQ(b.floats(0, 0), nullptr);
    EXPECT_EQ(b.floats(0, -3), nullptr);
}

TEST(DataBinaryPool, NamesSizesDumpAndDispose)
{
    testsupport::StdoutCapture capture;
    {
        DataBinaryPool pool;
        EXPECT_EQ(pool.size(), 0);
        pool.addBinary("b", new Binary({1, 2}));
        pool.addBinary("a", new Binary({1, 2, 3}));
        pool.addBinary("b", new Binary({9}));
        EXPECT_EQ(pool.size(), 2);
        EXPECT_TRUE(pool.contains("a"));
        EXPECT_FALSE(pool.contains("A"));
        EXPECT_EQ(pool.getBinary("missing"), nullptr);
        EXPECT_EQ(pool.size(), 2);
        ASSERT_NE(pool.getAt(0), nullptr);
        EXPECT_EQ(pool.getAt(0)->size(), 3);
        EXPECT_EQ(pool.getAt(1)->size(), 1);
        EXPECT_EQ(pool.getAt(2), nullptr);
        EXPECT_EQ(pool.getAt(-1), nullptr);
        EXPECT_EQ(pool.toString(),
                  "DataBinaryPool {\n"
                  "    num3dObjects = 2\n"
                  "    a = Binary { size = 3 }\n"
                  "    b = Binary { size = 1 }\n"
                  "}\n");
    }
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"[Dispose binaryPool]"});
}
