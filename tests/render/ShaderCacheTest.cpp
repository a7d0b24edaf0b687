#include "engine/render/ShaderCache.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"

#include "support/Capture.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <string>

namespace {

struct CountedEntry : ShaderCacheEntry {
    explicit CountedEntry(int& deletions) : deletions(deletions) {}
    ~CountedEntry() override { ++deletions; }
    int& deletions;
};

// Empty pools behind the engine globals for the length of a test.
struct Pools : ::testing::Test {
    Pools()
    {
        VLMPulsvek::shaderDataPool = new DataShaderPool;
        VLMPulsvek::textureDataPool = new DataTexturePool;
        VLMPulsvek::sceneDataPool = new DataObjectPool;
        VLMPulsvek::fboDataPool = new DataFBOPool;
    }
    ~Pools() override
    {
        testsupport::StdoutCapture disposeLines;
        delete VLMPulsvek::shaderDataPool;
        delete VLMPulsvek::textureDataPool;
        delete VLMPulsvek::sceneDataPool;
        delete VLMPulsvek::fboDataPool;
        VLMPulsvek::shaderDataPool = nullptr;
        VLMPulsvek::textureDataPool = nullptr;
        VLMPulsvek::sceneDataPool = nullptr;
        VLMPulsvek::fboDataPool = nullptr;
    }
};

using ShaderCacheTest = Pools;
using ShaderCacheDeathTest = Pools;

}

TEST_F(ShaderCacheTest, OwnsItsEntries)
{
    int deletions = 0;
    {
        ShaderCache plain;
        plain.init();
        EXPECT_FALSE(plain.exists("anything"));
    }
    {
        ShaderCache cache;
        CountedEntry* a = new CountedEntry(deletions);
        cache.add("a", a);
        cache.add("b", new CountedEntry(deletions));
        EXPECT_TRUE(cache.exists("a"));
        EXPECT_FALSE(cache.exists("A"));
        EXPECT_EQ(cache.get("a"), a);
        EXPECT_EQ(deletions, 0);
    }
    EXPECT_EQ(deletions, 2);
}

TEST_F(ShaderCacheTest, ScenesOfThePoolInNameOrder)
{
    EXPECT_EQ(ShaderCache::getSceneCount(), 0);
    VLMScene* car = new VLMScene;
    VLMScene* sprites = new VLMScene;
    VLMPulsvek::sceneDataPool->addScene("sprites", sprites);
    VLMPulsvek::sceneDataPool->addScene("car", car);
    EXPECT_EQ(ShaderCache::getSceneCount(), 2);
    EXPECT_EQ(ShaderCache::getSceneAt(0), car);
    EXPECT_EQ(ShaderCache::getSceneAt(1), sprites);
    EXPECT_EQ(ShaderCache::getScene("sprites"), sprites);
}

TEST_F(ShaderCacheDeathTest, MisuseAndMissingResourcesAssert)
{
    struct Case {
        const char* output;
        std::function<void()> misuse;
    } cases[] = {
        {"Assertion failed: 0, file .*ShaderCache", [] { ShaderCache().get("none"); }},
        {"Assertion failed: 0, file .*ShaderCache",
         [] {
             ShaderCache cache;
             cache.add("twice", nullptr);
             cache.add("twice", nullptr);
         }},
        {"Assertion failed: shader != NULL, file .*ShaderCache", [] { ShaderCache::getShader("none"); }},
        {"Assertion failed: tex!=NULL, file .*ShaderCache", [] { ShaderCache::getTexture("none"); }},
        {"Assertion failed: scene != NULL, file .*ShaderCache", [] { ShaderCache::getScene("none"); }},
        // The pool's own miss line comes first (shown here on the error stream).
        {"FBO::getFBO\\(none\\) cannot find the requested VBO\nAssertion failed: fbo != NULL, file .*ShaderCache",
         [] {
             dup2(STDERR_FILENO, STDOUT_FILENO);
             ShaderCache::getFBO("none");
         }},
        {"Assertion failed: i >= 0 && i < VLMPulsvek::sceneDataPool->size\\(\\), file .*ShaderCache",
         [] { ShaderCache::getSceneAt(-1); }},
        {"Assertion failed: i >= 0 && i < VLMPulsvek::sceneDataPool->size\\(\\), file .*ShaderCache",
         [] {
             VLMPulsvek::sceneDataPool->addScene("one", new VLMScene);
             ShaderCache::getSceneAt(1);
         }},
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Case& c : cases)
        EXPECT_DEATH(c.misuse(), c.output) << c.output;
}

TEST_F(ShaderCacheDeathTest, LookUpsBeforeThePoolsExistAssertToo)
{
    struct Case {
        const char* output;
        std::function<void()> lookUp;
    } cases[] = {
        {"Assertion failed: shader != NULL, file .*ShaderCache", [] { ShaderCache::getShader("none"); }},
        {"Assertion failed: tex!=NULL, file .*ShaderCache", [] { ShaderCache::getTexture("none"); }},
        {"Assertion failed: scene != NULL, file .*ShaderCache", [] { ShaderCache::getScene("none"); }},
        {"Assertion failed: fbo != NULL, file .*ShaderCache", [] { ShaderCache::getFBO("none"); }},
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Case& c : cases)
        EXPECT_DEATH(
            {
                // As before the loader made them; the dying child leaves them.
                VLMPulsvek::shaderDataPool = nullptr;
                VLMPulsvek::textureDataPool = nullptr;
                VLMPulsvek::sceneDataPool = nullptr;
                VLMPulsvek::fboDataPool = nullptr;
                c.lookUp();
            },
            c.output)
            << c.output;
}
