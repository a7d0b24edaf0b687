#include "RenderFixture.h"

#include "engine/render/FBO.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackFile.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"
#include "engine/runtime/VLMIO.h"

#include "support/Capture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using TrackFileTargetTest = rendertest::GLTest;

TEST_F(TrackFileTargetTest, StartKeysDrawIntoTheFramebufferTheyName)
{
    testsupport::TempDir dir;
    {
        TrackManager manager;
        TrackEntry* entry = new TrackEntry("fx");
        TrackStartStop* run = new TrackStartStop(0);
        const std::pair<unsigned, const char*> starts[] = {{0, "glow"}, {20, "nothere"}, {40, ""}};
        for (const auto& start : starts) {
            StartStopKeyframe* key = new StartStopKeyframe(start.first, 1);
            key->targetName = start.second;
            run->addKeyframe(key);
            run->addKeyframe(new StartStopKeyframe(start.first + 10, 0));
        }
        entry->setStartStop(run);
        manager.addEntry(entry);
        ASSERT_TRUE(TrackFile(dir.path()).saveIndex(&manager));
    }

    DataFBOPool* saved = VLMPulsvek::fboDataPool;
    VLMPulsvek::fboDataPool = new DataFBOPool();
    FBO* glow = new FBO(8, 8, false, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    VLMPulsvek::fboDataPool->addFBO("glow", glow);
    const int savedMode = VLMIO::loadMode;
    VLMIO::loadMode = 0;

    Effect effect;
    testsupport::StdoutCapture quiet;
    std::unique_ptr<TrackManager> loaded(TrackFile(dir.path() + "/").loadFromIndex({"fx"}, {&effect}));
    ASSERT_NE(loaded, nullptr);
    TrackStartStop* run = loaded->getEntry("fx")->getStartStop();
    struct Expect {
        unsigned row;
        FBO* target;
        const char* name;
    } const expected[] = {{0, glow, "glow"}, {20, nullptr, "screen"}, {40, nullptr, "screen"}};
    for (const Expect& e : expected) {
        const StartStopKeyframe* key = dynamic_cast<StartStopKeyframe*>(run->getKeyframe(e.row));
        ASSERT_NE(key, nullptr) << e.row;
        EXPECT_EQ(key->target, e.target) << e.row;
        EXPECT_EQ(key->targetName, e.name) << e.row;
        EXPECT_EQ(run->getTarget(e.row + 5), e.target) << e.row;
    }

    delete VLMPulsvek::fboDataPool;
    VLMPulsvek::fboDataPool = saved;
    VLMIO::loadMode = savedMode;
}

}
