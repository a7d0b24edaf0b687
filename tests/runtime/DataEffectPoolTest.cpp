#include "engine/render/ShaderCache.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/Binary.h"
#include "engine/runtime/DataBinaryPool.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/Effect.h"

#include "support/Capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Counts its deletions so that ownership faults show as numbers.
class CountedEffect : public Effect {
public:
    explicit CountedEffect(int* deletions) : deletions(deletions) {}
    ~CountedEffect() override { ++*deletions; }
    Effect* clone() override { return new CountedEffect(deletions); }

private:
    int* deletions;
};

TEST(DataEffectPoolTest, EmptyPool)
{
    testsupport::StdoutCapture capture;
    DataEffectPool pool;
    EXPECT_EQ(pool.size(), 0);
    EXPECT_EQ(pool.toString(), "EffectPool {\n}\n");
}

TEST(DataEffectPoolTest, MissEntersANullEffect)
{
    int deletions = 0;
    testsupport::StdoutCapture capture;
    {
        DataEffectPool pool;
        EXPECT_EQ(pool.get("terrain"), nullptr);
        EXPECT_TRUE(pool.contains("terrain"));
        EXPECT_EQ(pool.size(), 1);
        EXPECT_EQ(pool.nameAt(0), "terrain");
        EXPECT_EQ(pool.toString(), "EffectPool {\n    terrain = Effect\n}\n");
        // A second miss of the same name adds nothing more.
        EXPECT_EQ(pool.get("terrain"), nullptr);
        EXPECT_EQ(pool.size(), 1);
        // An add fills the entry.
        Effect* terrain = new CountedEffect(&deletions);
        pool.add("terrain", terrain);
        EXPECT_EQ(pool.get("terrain"), terrain);
        EXPECT_EQ(pool.size(), 1);
        // Null entries survive disposal without harm.
        EXPECT_EQ(pool.get("sky"), nullptr);
        EXPECT_EQ(pool.size(), 2);
    }
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"[Dispose effectPool]"}));
}

TEST(DataEffectPoolTest, AddGetAndNameOrder)
{
    int deletions = 0;
    testsupport::StdoutCapture capture;
    {
        DataEffectPool pool;
        Effect* terrain = new CountedEffect(&deletions);
        Effect* dash = new CountedEffect(&deletions);
        Effect* post = new CountedEffect(&deletions);
        pool.add("terrain", terrain);
        pool.add("dash", dash);
        pool.add("post", post);
        EXPECT_EQ(pool.size(), 3);
        EXPECT_EQ(pool.get("dash"), dash);
        EXPECT_TRUE(pool.contains("post"));
        EXPECT_FALSE(pool.contains("Post"));
        const std::vector<std::string> names = {pool.nameAt(0), pool.nameAt(1), pool.nameAt(2)};
        EXPECT_EQ(names, (std::vector<std::string>{"dash", "post", "terrain"}));
        EXPECT_EQ(pool.nameAt(3), "");
        EXPECT_EQ(pool.nameAt(-1), "");
        EXPECT_EQ(pool.toString(), "EffectPool {\n    dash = Effect\n    post = Effect\n    terrain = Effect\n}\n");
        EXPECT_EQ(deletions, 0);
    }
    EXPECT_EQ(deletions, 3);
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"[Dispose effectPool]"}));
}

TEST(DataEffectPoolTest, EachEffectIsDeletedOnce)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, int>> adds; // name, effect index
        int effects;
        int deletedDuringAdds;
        int size;
    } const cases[] = {
        {"replaced under its name", {{"a", 0}, {"a", 1}}, 2, 1, 1},
        {"the same effect again", {{"a", 0}, {"a", 0}}, 1, 0, 1},
        {"one effect under two names", {{"a", 0}, {"b", 0}}, 1, 0, 2},
        {"replaced while another name holds it", {{"a", 0}, {"b", 0}, {"a", 1}}, 2, 0, 2},
    };
    for (const Case& c : cases) {
        int deletions = 0;
        std::vector<Effect*> effects;
        for (int i = 0; i < c.effects; ++i)
            effects.push_back(new CountedEffect(&deletions));
        {
            testsupport::StdoutCapture capture;
            DataEffectPool pool;
            for (const auto& add : c.adds)
                pool.add(add.first, effects[add.second]);
            EXPECT_EQ(deletions, c.deletedDuringAdds) << c.what;
            EXPECT_EQ(pool.size(), c.size) << c.what;
        }
        EXPECT_EQ(deletions, c.effects) << c.what;
    }
}

TEST(DataEffectPoolTest, RemoveHandsTheEffectBack)
{
    int deletions = 0;
    Effect* effect = new CountedEffect(&deletions);
    {
        testsupport::StdoutCapture capture;
        DataEffectPool pool;
        pool.add("rain", effect);
        pool.remove("rain");
        pool.remove("missing");
        EXPECT_EQ(pool.size(), 0);
        EXPECT_FALSE(pool.contains("rain"));
    }
    EXPECT_EQ(deletions, 0);
    delete effect;
    EXPECT_EQ(deletions, 1);
}

// Sets the instance pool for one test and clears it again.
class EffectLookupTest : public testing::Test {
protected:
    void SetUp() override
    {
        VLMPulsvek::effectInstanceDataPool = &instances;
        VLMPulsvek::binaryDataPool = &binaries;
        VLMPulsvek::sceneDataPool = &scenes;
        VLMPulsvek::shaderCache = &cache;
    }
    void TearDown() override
    {
        VLMPulsvek::effectInstanceDataPool = nullptr;
        VLMPulsvek::binaryDataPool = nullptr;
        VLMPulsvek::sceneDataPool = nullptr;
        VLMPulsvek::shaderCache = nullptr;
    }
    testsupport::StdoutCapture capture; // the pools' dispose lines
    DataEffectPool instances;
    DataBinaryPool binaries;
    DataObjectPool scenes;
    ShaderCache cache;
};

TEST_F(EffectLookupTest, FindsInstancesAndBinaries)
{
    Effect* sky = new Effect();
    instances.add("sky", sky);
    Binary* bin = new Binary({1, 2, 3});
    binaries.addBinary("noise", bin);
    VLMScene* sprites = new VLMScene();
    scenes.addScene("sprites", sprites);
    ShaderCacheEntry* entry = new ShaderCacheEntry();
    cache.add("terrain", entry);
    EXPECT_EQ(Effect::getEffect("sky"), sky);
    EXPECT_EQ(Effect::getBinary("noise"), bin);
    EXPECT_EQ(Effect::getScene("sprites"), sprites);
    EXPECT_EQ(Effect::getShaderCacheEntry("terrain"), entry);
}

using EffectLookupDeathTest = EffectLookupTest;

TEST_F(EffectLookupDeathTest, MissingNamesAssert)
{
    instances.add("sky", new Effect());
    EXPECT_DEATH(Effect::getEffect("tiles"), "effect != NULL.*Effect\\.cpp");
    EXPECT_DEATH(Effect::getBinary("noise"), "bin != NULL.*Effect\\.cpp");
    EXPECT_DEATH(Effect::getScene("car"), "scene != NULL.*Effect\\.cpp");
    EXPECT_DEATH(Effect::getShaderCacheEntry("terrain"), "ShaderCache\\.cpp");
    VLMPulsvek::effectInstanceDataPool = nullptr;
    VLMPulsvek::binaryDataPool = nullptr;
    VLMPulsvek::sceneDataPool = nullptr;
    VLMPulsvek::shaderCache = nullptr;
    // With no pool at all every look-up is the same programming error.
    EXPECT_DEATH(Effect::getShader("terrain"), "shader != NULL.*Effect\\.cpp");
    EXPECT_DEATH(Effect::getTexture("sky1"), "tex!=NULL.*Effect\\.cpp");
    EXPECT_DEATH(Effect::getFBO("mirror"), "fbo != NULL.*Effect\\.cpp");
    EXPECT_DEATH(Effect::getEffect("sky"), "effect != NULL");
    EXPECT_DEATH(Effect::getBinary("noise"), "bin != NULL");
    EXPECT_DEATH(Effect::getScene("car"), "scene != NULL");
    EXPECT_DEATH(Effect::getShaderCacheEntry("terrain"), "shaderCache != NULL.*Effect\\.cpp");
}

}
