#include "engine/runtime/DataObjectPool.h"

#include "support/Capture.h"

#include <gtest/gtest.h>

#include <memory>

TEST(DataObjectPool, NamesOrderAndDispose)
{
    auto pool = std::make_unique<DataObjectPool>();
    EXPECT_EQ(pool->size(), 0);
    EXPECT_EQ(pool->toString(), "DataObjectPool {\n}\n");
    pool->addScene("road", nullptr);
    pool->addScene("car", nullptr);
    pool->addScene("road", nullptr);
    EXPECT_EQ(pool->size(), 2);
    EXPECT_TRUE(pool->contains("car"));
    EXPECT_FALSE(pool->contains("Car"));
    EXPECT_EQ(pool->getScene("missing"), nullptr);
    EXPECT_EQ(pool->size(), 2);
    EXPECT_EQ(pool->getAt(2), nullptr);
    EXPECT_EQ(pool->getAt(-1), nullptr);
    EXPECT_EQ(pool->getScenes().begin()->first, "car");
    EXPECT_EQ(pool->toString(), "DataObjectPool {\n}\n");
    testsupport::StdoutCapture capture;
    pool.reset();
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"[Dispose objectPool]"});
}
