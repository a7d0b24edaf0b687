#include "engine/render/ScreenSettings.h"
#include "engine/runtime/Demo.h"
#include "engine/runtime/ResourceDefinition.h"

#include <gtest/gtest.h>

namespace {

TEST(DemoDeathTest, StartingWithoutAProductionIsAProgrammingError)
{
    ASSERT_EQ(VLMPulsvek::resources, nullptr);
    Demo demo(0, nullptr);
    ScreenSettings settings;
    EXPECT_DEATH(demo.init(&settings, 0), "VLMPulsvek::resources != NULL");
    EXPECT_TRUE(demo.isOk());
}

}
