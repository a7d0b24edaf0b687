// The title pass under GL with solid pictures: background and text selection
// for both indices, the scene as background through "offscreen2", the blank
// picture where nothing is chosen, and the state it leaves.

#include "EffectFixture.h"

#include "demo/TitleEffect.h"
#include "engine/render/FBO.h"
#include "support/Capture.h"

namespace {

using namespace effecttest;
using rendertest::RGBA;

class TitleEffectTest : public EffectGLTest {
protected:
    void setUpEffect() override
    {
        shader = showShader("Titles");
        const RGBA backgroundColours[3] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}};
        for (int i = 0; i < 3; ++i) {
            const RGBA& c = backgroundColours[i];
            backgrounds[i] = solid(c[0], c[1], c[2], c[3]);
            effect.background[i] = backgrounds[i].get();
        }
        for (int i = 0; i < 5; ++i) {
            const int v = 40 + 40 * i;
            texts[i] = solid(v, v, 255 - v, 255);
            effect.text[i] = texts[i].get();
        }
        scene = target(32, 18, true, 1, 1, 0, 1);
        scene2 = target(32, 18, false, 0, 0, 0, 0);
        out = target(32, 18, false, 0.5f, 0.5f, 0.5f, 1);
        effect.createTracks();
        effect.titleShader = shader.get();
        effect.offscreen = scene.get();
        effect.offscreen2 = scene2.get();
        effect.init();
    }

    RGBA drawWith(float background, float text, FBO* into)
    {
        setTrack(effect, "background_index", background);
        setTrack(effect, "text_index", text);
        testsupport::StdoutCapture log;
        effect.draw(500, 16, into);
        const std::string lines = log.text();
        EXPECT_EQ(lines.find("not found"), std::string::npos) << lines;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return fboPixel(into, 16, 9);
    }

    TitleEffect effect;
    std::unique_ptr<Shader> shader;
    std::unique_ptr<Texture> backgrounds[3], texts[5];
    std::unique_ptr<FBO> scene, scene2, out;
};

TEST_F(TitleEffectTest, EveryUniformIsActiveWithTheSettersType)
{
    EXPECT_EQ(activeUniforms(*shader),
              (std::map<std::string, GLenum>{{"background_image", GL_SAMPLER_2D},
                                             {"text_image", GL_SAMPLER_2D},
                                             {"bgxpos", GL_FLOAT},
                                             {"bgypos", GL_FLOAT},
                                             {"bgzoom", GL_FLOAT},
                                             {"fgxpos", GL_FLOAT},
                                             {"fgypos", GL_FLOAT},
                                             {"fgzoom", GL_FLOAT}}));
    for (Texture* t : effect.text)
        EXPECT_EQ(t->getWrapS(), static_cast<GLenum>(GL_CLAMP_TO_EDGE));
}

TEST_F(TitleEffectTest, BackgroundByIndexWithoutText)
{
    struct Case {
        float index;
        RGBA want;
    };
    const Case cases[] = {{0.0f, {255, 0, 0, 255}},  {0.5f, {255, 0, 0, 255}}, {1.0f, {0, 255, 0, 255}},
                          {1.5f, {0, 255, 0, 255}},  {2.0f, {0, 0, 255, 255}}, {2.99f, {0, 0, 255, 255}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        rendertest::expectNear(drawWith(c.index, 5.0f, out.get()), c.want);
        EXPECT_EQ(samplerUnit(*shader, "background_image"), 0);
    }
}

TEST_F(TitleEffectTest, TextByIndexOverTheBackground)
{
    for (int i = 0; i < 5; ++i) {
        const int v = 40 + 40 * i;
        for (float n : {static_cast<float>(i), i + 0.5f}) {
            SCOPED_TRACE(n);
            rendertest::expectNear(drawWith(0.0f, n, out.get()), {v, v, 255 - v, 255});
            EXPECT_EQ(samplerUnit(*shader, "text_image"), 1);
            EXPECT_EQ(boundTexture(1, GL_TEXTURE_2D), texts[i]->getId());
        }
    }
}

TEST_F(TitleEffectTest, NothingChosenShowsNothingStale)
{
    // A picture first, then indices out of range: the blank picture, not the last one.
    drawWith(1.0f, 2.0f, out.get());
    rendertest::expectNear(drawWith(5.0f, 5.0f, out.get()), {0, 0, 0, 0});
    EXPECT_EQ(boundTexture(0, GL_TEXTURE_2D), effect.blank->getId());
    EXPECT_EQ(boundTexture(1, GL_TEXTURE_2D), effect.blank->getId());
    rendertest::expectNear(drawWith(-1.0f, 0.0f, out.get()), {40, 40, 215, 255});
    rendertest::expectNear(drawWith(1.0f, -0.5f, out.get()), {0, 255, 0, 255});
    EXPECT_TRUE(out->isDirty());
}

TEST_F(TitleEffectTest, SceneBackgroundGoesThroughTheWorkBuffer)
{
    for (float b : {3.0f, 4.0f, 4.99f}) {
        SCOPED_TRACE(b);
        clearFbo(out.get(), 0.5f, 0.5f, 0.5f, 1);
        clearFbo(scene2.get(), 0, 0, 0, 0);
        rendertest::expectNear(drawWith(b, 5.0f, out.get()), {255, 255, 0, 255});
        rendertest::expectNear(fboPixel(scene2.get(), 16, 9), {255, 255, 0, 255});
        EXPECT_TRUE(out->isDirty());
        EXPECT_TRUE(scene2->isDirty());
        EXPECT_EQ(boundTexture(0, GL_TEXTURE_2D), fboGetColorTexture(scene.get(), 0)->getId());
    }
    // Into the work buffer itself: drawn there, no copy onto itself.
    clearFbo(scene2.get(), 0, 0, 0, 0);
    rendertest::expectNear(drawWith(3.0f, 0.0f, scene2.get()), {40, 40, 215, 255});
    rendertest::expectNear(fboPixel(scene.get(), 16, 9), {255, 255, 0, 255});
}

TEST_F(TitleEffectTest, PositionAndZoomMoveThePictures)
{
    // Text 1 is drawn only where its picture lies: zoomed out by half and moved right.
    setTrack(effect, "fgzoom", -0.5f);
    setTrack(effect, "fgxpos", 0.2f);
    drawWith(0.0f, 0.0f, out.get());
    savePng(out.get(), std::string(PULSVEK_BINARY_DIR) + "/titles.png");
    rendertest::expectNear(fboPixel(out.get(), 1, 9), {255, 0, 0, 255});
    rendertest::expectNear(fboPixel(out.get(), 12, 9), {255, 0, 0, 255});
    rendertest::expectNear(fboPixel(out.get(), 28, 9), {40, 40, 215, 255});
    EXPECT_FLOAT_EQ(uniformFloat(*shader, "fgzoom"), -0.5f);
    EXPECT_FLOAT_EQ(uniformFloat(*shader, "fgxpos"), 0.2f);
}

TEST_F(TitleEffectTest, LeavesBlendAndDepthAsTheyWere)
{
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    drawWith(0.0f, 0.0f, out.get());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    drawWith(3.0f, 0.0f, out.get());
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

}
