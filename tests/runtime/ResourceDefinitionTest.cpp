#include "engine/render/Engine.h"
#include "engine/render/ScreenSettings.h"
#include "engine/runtime/DataBinaryPool.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "engine/runtime/DataVideoPool.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/Rows.h"
#include "engine/runtime/TrackInterpolate.h"

#include "support/Capture.h"
#include "support/Declarations.h"

#include <GL/glew.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Keeps the engine's declaration lists and pools as they were around each test.
class ResourceDefinitionTest : public ::testing::Test {
protected:
    ResourceDefinitionTest()
    {
        VLMPulsvek::effectDataPool = new DataEffectPool();
        VLMPulsvek::effectInstanceDataPool = new DataEffectPool();
    }
    ~ResourceDefinitionTest() override
    {
        testsupport::StdoutCapture quiet;
        delete VLMPulsvek::effectInstanceDataPool;
        delete VLMPulsvek::effectDataPool;
        VLMPulsvek::effectInstanceDataPool = nullptr;
        VLMPulsvek::effectDataPool = nullptr;
    }

    testsupport::DeclarationScope declarations;
};

TEST_F(ResourceDefinitionTest, TextureDeclarationsKeepOrderKindAndFlags)
{
    ResourceDefinition::defineTexture("noise", "Noise.png", true);
    ResourceDefinition::defineTexture1D("palette", "Palette.png", false);
    ResourceDefinition::defineTextureArray("tiles", "Tiles.png", 10, true);
    ResourceDefinition::defineCubeMap("sunset", "Sunset_*.png", false);

    struct Expected {
        const char* name;
        const char* file;
        int target;
        bool mipmap;
        int layers;
    } const expected[] = {
        {"noise", "Noise.png", GL_TEXTURE_2D, true, 0},
        {"palette", "Palette.png", GL_TEXTURE_1D, false, 0},
        {"tiles", "Tiles.png", GL_TEXTURE_2D_ARRAY, true, 10},
        {"sunset", "Sunset_*.png", GL_TEXTURE_CUBE_MAP, false, 0},
    };
    const auto& defs = VLMPulsvek::textureDefinitions;
    ASSERT_EQ(defs.size(), 4u);
    for (size_t i = 0; i < defs.size(); ++i) {
        EXPECT_EQ(defs[i].name, expected[i].name);
        EXPECT_EQ(defs[i].file, expected[i].file);
        EXPECT_EQ(defs[i].target, expected[i].target) << defs[i].name;
        EXPECT_EQ(defs[i].mipmap, expected[i].mipmap) << defs[i].name;
        EXPECT_EQ(defs[i].layers, expected[i].layers) << defs[i].name;
    }
}

TEST_F(ResourceDefinitionTest, FileAndShaderDeclarationsGoToTheirOwnLists)
{
    ResourceDefinition::defineObject({"car", "hqpoly.vbo"});
    ResourceDefinition::defineObject({"sprites", "Sprites.vbo"});
    ResourceDefinition::defineBinary({"wave", "wave.bin"});
    ResourceDefinition::defineAnimation({"path", "path.anim"});
    ResourceDefinition::defineVideo({"intro", "intro.ivf"});
    ShaderDefinition blur{"blur", "blur", {"HORIZONTAL", "WIDE"}};
    ResourceDefinition::defineShader(blur);
    blur.defines.clear();
    ResourceDefinition::setMusic("tune.mp3");

    auto names = [](const std::vector<FileDefinition>& defs) {
        std::vector<std::string> out;
        for (const FileDefinition& d : defs)
            out.push_back(d.name + "=" + d.file);
        return out;
    };
    EXPECT_EQ(names(VLMPulsvek::objectDefinitions), (std::vector<std::string>{"car=hqpoly.vbo", "sprites=Sprites.vbo"}));
    EXPECT_EQ(names(VLMPulsvek::binaryDefinitions), (std::vector<std::string>{"wave=wave.bin"}));
    EXPECT_EQ(names(VLMPulsvek::animationDefinitions), (std::vector<std::string>{"path=path.anim"}));
    EXPECT_EQ(names(VLMPulsvek::videoDefinitions), (std::vector<std::string>{"intro=intro.ivf"}));
    ASSERT_EQ(VLMPulsvek::shaderDefinitions.size(), 1u);
    EXPECT_EQ(VLMPulsvek::shaderDefinitions[0].name, "blur");
    EXPECT_EQ(VLMPulsvek::shaderDefinitions[0].defines, (std::vector<std::string>{"HORIZONTAL", "WIDE"}));
    EXPECT_TRUE(VLMPulsvek::textureDefinitions.empty());
    EXPECT_EQ(VLMPulsvek::musicFile, "tune.mp3");
}

TEST_F(ResourceDefinitionTest, BaseConfigureSetsSizeWindowAndTimeRange)
{
    ScreenSettings settings;
    settings.setSize(640, 360);
    settings.setFullscreen(true);
    ResourceDefinition base;
    base.configure(&settings);
    EXPECT_EQ(settings.getWidth(), 1280);
    EXPECT_EQ(settings.getHeight(), 768);
    EXPECT_FALSE(settings.isFullscreen());
    EXPECT_EQ(settings.getViewportHeight(), 360) << "the viewport is not recomputed";
    EXPECT_EQ(VLMPulsvek::startTime.getTotalMs(), 0u);
    EXPECT_EQ(VLMPulsvek::endTime.getTotalMs(), 99u * 60u * 1000u);
    // The timeline's "forever" is that end.
    EXPECT_EQ(VLMPulsvek::SHOW_END_ROW * VLMPulsvek::MS_PER_ROW, VLMPulsvek::endTime.getTotalMs());
}

class TrackedEffect : public Effect {
public:
    Effect* clone() override { return new TrackedEffect(); }
    void createTracks() override
    {
        addTrack("speed", speed);
        addTrack("fade", fade);
    }
    TrackInterpolate* speed = nullptr;
    TrackInterpolate* fade = nullptr;
};

TEST_F(ResourceDefinitionTest, InstancesAreIndependentClonesWithTheirOwnTracks)
{
    TrackedEffect* prototype = new TrackedEffect();
    ResourceDefinition::registerEffect("TrackedEffect", prototype);
    EXPECT_EQ(VLMPulsvek::effectDataPool->get("TrackedEffect"), prototype);

    Effect* a = ResourceDefinition::createEffectInstance("TrackedEffect", "a", true);
    Effect* b = ResourceDefinition::createEffectInstance("TrackedEffect", "b", false);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, prototype);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a->useTrackData);
    EXPECT_FALSE(b->useTrackData);
    EXPECT_EQ(VLMPulsvek::effectInstanceDataPool->get("a"), a);
    EXPECT_EQ(VLMPulsvek::effectInstanceDataPool->get("b"), b);
    ASSERT_EQ(a->getTrackCount(), 2);
    ASSERT_EQ(b->getTrackCount(), 2);
    EXPECT_EQ(a->getTrack(0)->getName(), "speed");
    EXPECT_EQ(a->getTrack(1)->getName(), "fade");
    EXPECT_NE(a->getTrack(0), b->getTrack(0));
    EXPECT_EQ(prototype->getTrackCount(), 0) << "the prototype creates no tracks";
}

using ResourceDefinitionDeathTest = ResourceDefinitionTest;

TEST_F(ResourceDefinitionDeathTest, MissingPrototypeOrResourceAsserts)
{
    EXPECT_DEATH(ResourceDefinition::createEffectInstance("NoSuchEffect", "x", true), "effect != NULL");
    struct Case {
        const char* what;
        void (*lookUp)();
        const char* assertion;
    } const cases[] = {
        {"shader", [] { ResourceDefinition::getShader("x"); }, "shader != NULL"},
        {"texture", [] { ResourceDefinition::getTexture("x"); }, "tex!=NULL"},
        {"framebuffer", [] { ResourceDefinition::getFBO("x"); }, "fbo != NULL"},
        {"scene", [] { ResourceDefinition::getScene("x"); }, "scene != NULL"},
        {"binary", [] { ResourceDefinition::getBinary("x"); }, "bin != NULL"},
        {"video", [] { ResourceDefinition::getVideo("x"); }, "video != NULL"},
    };
    // Without pools, then with empty ones.
    for (const Case& c : cases)
        EXPECT_DEATH(c.lookUp(), c.assertion + std::string(", file .*ResourceDefinition.cpp")) << c.what;
    VLMPulsvek::shaderDataPool = new DataShaderPool();
    VLMPulsvek::textureDataPool = new DataTexturePool();
    VLMPulsvek::fboDataPool = new DataFBOPool();
    VLMPulsvek::sceneDataPool = new DataObjectPool();
    VLMPulsvek::binaryDataPool = new DataBinaryPool();
    VLMPulsvek::videoDataPool = new DataVideoPool();
    for (const Case& c : cases)
        EXPECT_DEATH(c.lookUp(), c.assertion + std::string(", file .*ResourceDefinition.cpp")) << c.what;

    testsupport::StdoutCapture quiet;
    delete VLMPulsvek::shaderDataPool;
    delete VLMPulsvek::textureDataPool;
    delete VLMPulsvek::fboDataPool;
    delete VLMPulsvek::sceneDataPool;
    delete VLMPulsvek::binaryDataPool;
    delete VLMPulsvek::videoDataPool;
    VLMPulsvek::shaderDataPool = nullptr;
    VLMPulsvek::textureDataPool = nullptr;
    VLMPulsvek::fboDataPool = nullptr;
    VLMPulsvek::sceneDataPool = nullptr;
    VLMPulsvek::binaryDataPool = nullptr;
    VLMPulsvek::videoDataPool = nullptr;
}

}
