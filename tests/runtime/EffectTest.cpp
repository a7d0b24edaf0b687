#include "engine/runtime/Effect.h"
#include "engine/runtime/TrackInterpolate.h"

#include "support/Capture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(EffectTest, AddTrackCreatesDistinctNamedTracks)
{
    Effect effect;
    EXPECT_EQ(effect.getTrackCount(), 0);
    TrackInterpolate *first = nullptr, *second = nullptr, *other = nullptr;
    effect.addTrack("speedo", first);
    effect.addTrack("speedo", second);
    effect.addTrack("rain_move", other);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(effect.getTrackCount(), 3);
    EXPECT_EQ(effect.getTrack(0), first);
    EXPECT_EQ(effect.getTrack(1), second);
    EXPECT_EQ(effect.getTrack(2), other);
    EXPECT_EQ(first->getName(), "speedo");
    EXPECT_EQ(other->getName(), "rain_move");
    EXPECT_FLOAT_EQ(other->getValue(1000), 0.0f);
}

TEST(EffectTest, BaseOperations)
{
    Effect effect;
    EXPECT_FALSE(effect.useTrackData);
    testsupport::StdoutCapture capture;
    effect.update(10);
    effect.draw(10, 16, nullptr);
    effect.postDraw(10);
    effect.init();
    effect.createTracks();
    std::unique_ptr<Effect> copy(effect.clone());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy.get(), &effect);
    EXPECT_EQ(copy->getTrackCount(), 0);
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Fallback draw method! This should never happen!"}));
}

// Counts live tracks so that an effect is seen to delete the tracks it made.
TEST(EffectTest, EffectDeletesItsTracks)
{
    struct CountedEffect : Effect {
        void createTracks() override
        {
            addTrack("a", a);
            addTrack("b", b);
        }
        TrackInterpolate* a = nullptr;
        TrackInterpolate* b = nullptr;
    };
    Effect* prototype = new CountedEffect();
    prototype->createTracks();
    static_cast<CountedEffect*>(prototype)->a->addKeyframe(new Keyframe(1, 0, 2.0f));
    EXPECT_EQ(prototype->getTrackCount(), 2);
    // The sanitizer build reports the tracks and their key if they leak.
    delete prototype;
}

}
