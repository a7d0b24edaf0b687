// The dashboard under GL with solid test pictures: each view direction, the
// mirror's place, the needles' angles, the meters, the helmet copy and the
// state every view leaves.

#include "EffectFixture.h"

#include "demo/DashboardEffect.h"
#include "engine/render/FBO.h"
#include "support/Capture.h"

#include <cstdlib>
#include <vector>

namespace {

using namespace effecttest;
using rendertest::RGBA;

constexpr int W = 512;
constexpr int H = 288;

// Pixel of a clip-space point of the target.
RGBA at(FBO* fbo, float x, float y)
{
    return fboPixel(fbo, static_cast<int>((x + 1.0f) * 0.5f * W), static_cast<int>((y + 1.0f) * 0.5f * H));
}

class DashboardEffectTest : public EffectGLTest {
protected:
    void setUpEffect() override
    {
        copy = showShader("Copy");
        dashboard = showShader("Dashboard");
        helmetShader = showShader("Helmet");
        speedometer = showShader("speedometer");
        scroller = showShader("dashscroller");
        meters = showShader("Volummeters");
        rearView = solid(255, 0, 0, 255);
        frontView = solid(0, 0, 0, 0);  // all windscreen
        arrow = solid(255, 255, 255, 255);
        mirrorMask = solid(255, 255, 255, 255);
        text = solid(255, 160, 0, 255, 64, 8);
        helmet = solid(0, 0, 0, 0);
        helmetMask = solid(255, 255, 255, 255);
        scene = target(W, H, true, 1, 0, 0, 1);
        scene2 = target(W, H, false, 0, 0, 0, 0);
        mirror = target(256, 128, true, 0, 1, 0, 1);
        out = target(W, H, false, 0, 0, 1, 1);

        effect.createTracks();
        effect.rearViewOverlay = rearView.get();
        effect.frontViewOverlay = frontView.get();
        effect.speedometerArrow = arrow.get();
        effect.mirrorMask = mirrorMask.get();
        effect.scroller = text.get();
        effect.helmet = helmet.get();
        effect.helmetMask = helmetMask.get();
        effect.dashboardShader = dashboard.get();
        effect.copyShader = copy.get();
        effect.helmetShader = helmetShader.get();
        effect.mirror = mirror.get();
        effect.offscreen = scene.get();
        effect.offscreen2 = scene2.get();
        effect.speedometerShader = speedometer.get();
        effect.scrollerShader = scroller.get();
        effect.meterShader = meters.get();
        effect.init();
    }

    std::string drawView(float direction, FBO* into, int t = 1000)
    {
        setTrack(effect, "view_direction", direction);
        glEnable(GL_BLEND);  // each view must leave blending off
        glEnable(GL_DEPTH_TEST);
        testsupport::StdoutCapture log;
        effect.draw(t, 16, into);
        const std::string text = log.text();
        EXPECT_EQ(text.find("not found"), std::string::npos) << text;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << direction;
        return text;
    }

    DashboardEffect effect;
    std::unique_ptr<Shader> copy, dashboard, helmetShader, speedometer, scroller, meters;
    std::unique_ptr<Texture> rearView, frontView, arrow, mirrorMask, text, helmet, helmetMask;
    std::unique_ptr<FBO> scene, scene2, mirror, out;
};

TEST_F(DashboardEffectTest, EveryUniformIsActiveWithTheSettersType)
{
    using U = std::map<std::string, GLenum>;
    EXPECT_EQ(activeUniforms(*copy), (U{{"image", GL_SAMPLER_2D}}));
    EXPECT_EQ(activeUniforms(*dashboard),
              (U{{"image", GL_SAMPLER_2D}, {"mask", GL_SAMPLER_2D}, {"modelview", GL_FLOAT_MAT4}}));
    EXPECT_EQ(activeUniforms(*speedometer),
              (U{{"speedometer", GL_SAMPLER_2D}, {"modelview", GL_FLOAT_MAT4}}));
    EXPECT_EQ(activeUniforms(*scroller), (U{{"scrollerimg", GL_SAMPLER_2D},
                                            {"dashtexvalue", GL_FLOAT},
                                            {"modelview", GL_FLOAT_MAT4}}));
    EXPECT_EQ(activeUniforms(*meters), (U{{"data", GL_SAMPLER_1D}, {"modelview", GL_FLOAT_MAT4}}));
    EXPECT_EQ(activeUniforms(*helmetShader), (U{{"reflection", GL_SAMPLER_2D},
                                                {"mask", GL_SAMPLER_2D},
                                                {"overlay", GL_SAMPLER_2D}}));
}

TEST_F(DashboardEffectTest, NoViewAtZeroAndAboveTwo)
{
    for (float v : {0.0f, 2.5f, 40.0f}) {
        drawView(v, out.get());
        rendertest::expectNear(at(out.get(), 0.0f, 0.0f), {0, 0, 255, 255});
        EXPECT_FALSE(out->isDirty()) << v;
        EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "nothing touched at " << v;
    }
}

TEST_F(DashboardEffectTest, RearViewCoversTheTarget)
{
    drawView(-1.0f, out.get());
    rendertest::expectNear(at(out.get(), 0.0f, 0.0f), {255, 0, 0, 255});
    rendertest::expectNear(at(out.get(), 0.9f, -0.9f), {255, 0, 0, 255});
    EXPECT_TRUE(out->isDirty());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(samplerUnit(*copy, "image"), 0);
}

TEST_F(DashboardEffectTest, FrontViewPlacesMirrorNeedlesScrollerAndMeters)
{
    drawView(1.0f, out.get());
    savePng(out.get(), std::string(PULSVEK_BINARY_DIR) + "/dashboard-front.png");
    EXPECT_TRUE(out->isDirty());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // The mirror spans x 0.23..0.83, y 0.47..0.76; the windscreen shows the target elsewhere.
    rendertest::expectNear(at(out.get(), 0.53f, 0.61f), {0, 255, 0, 255});
    rendertest::expectNear(at(out.get(), 0.25f, 0.74f), {0, 255, 0, 255});
    rendertest::expectNear(at(out.get(), 0.20f, 0.61f), {0, 0, 255, 255});
    rendertest::expectNear(at(out.get(), 0.53f, 0.44f), {0, 0, 255, 255});
    rendertest::expectNear(at(out.get(), 0.86f, 0.61f), {0, 0, 255, 255});
    EXPECT_EQ(samplerUnit(*dashboard, "mask"), 1);

    // Needles at Perlin 0 ("speedo" 0): 210 degrees leans left, 150 leans right, both up.
    // Needles are about a pixel wide: look around the point.
    auto needleAt = [&](float x, float y) {
        const int px = static_cast<int>((x + 1.0f) * 0.5f * W);
        const int py = static_cast<int>((y + 1.0f) * 0.5f * H);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (fboPixel(out.get(), px + dx, py + dy)[0] == 255)
                    return true;
        return false;
    };
    EXPECT_TRUE(needleAt(-0.515f - 0.035f, -0.85f + 0.06f)) << "first needle up-left";
    EXPECT_FALSE(needleAt(-0.515f + 0.035f, -0.85f + 0.06f));
    EXPECT_TRUE(needleAt(-0.305f + 0.037f, -0.85f + 0.06f)) << "second needle up-right";
    EXPECT_FALSE(needleAt(-0.305f - 0.035f, -0.85f + 0.06f));
    EXPECT_FALSE(needleAt(-0.515f, -0.95f)) << "nothing below the pivot";

    // The scroller strip at x 0.11..0.36, y -0.735..-0.785.
    rendertest::expectNear(at(out.get(), 0.2f, -0.76f), {255, 160, 0, 255});
    // The meters at x 0.11..0.36, y -0.8..-0.91 are opaque and not the target's blue.
    const RGBA meter = at(out.get(), 0.12f, -0.905f);
    EXPECT_EQ(meter[3], 255);
    EXPECT_LT(meter[2], 100);
    rendertest::expectNear(at(out.get(), 0.4f, -0.85f), {0, 0, 255, 255});
}

TEST_F(DashboardEffectTest, NeedlesFollowTheNoiseOfTheirTracks)
{
    setTrack(effect, "speedo", 0.37f);
    const float p = static_cast<float>(effect.noise.GetValue(0.37, 0.0, 0.0));
    drawView(0.5f, out.get());
    // The tip of the first needle, 0.07 along its turned axis.
    const glm::vec4 tip = DashboardEffect::needleMatrix(-0.515f, 210.0f, p) * glm::vec4(0.5f, -0.85f, 0, 1);
    int lit = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            lit += fboPixel(out.get(), static_cast<int>((tip.x + 1.0f) * 0.5f * W) + dx,
                            static_cast<int>((tip.y + 1.0f) * 0.5f * H) + dy)[0] == 255;
    EXPECT_GT(lit, 0) << "noise " << p;
}

// The levels srand(seed) and eight rand() calls give, each in all three channels.
std::vector<unsigned char> metersOfSeed(unsigned seed)
{
    std::srand(seed);
    std::vector<unsigned char> levels;
    for (int k = 0; k < DashboardEffect::METERS; ++k) {
        const unsigned char level = DashboardEffect::meterLevel(std::rand());
        levels.insert(levels.end(), 3, level);
    }
    return levels;
}

// The meters come from the runtime library's generator reseeded with t / 50:
// the same levels all through a 50 ms step, new ones at the next.
TEST_F(DashboardEffectTest, MetersUploadTheLevelsOfTheirStepsSeed)
{
    const struct {
        int t;
        unsigned seed;
    } steps[] = {{1000, 20}, {1049, 20}, {1050, 21}, {0, 0}, {1000, 20}};
    std::vector<unsigned char> got(DashboardEffect::METERS * 3);
    for (const auto& step : steps) {
        drawView(1.0f, out.get(), step.t);
        EXPECT_EQ(boundTexture(0, GL_TEXTURE_1D), effect.meterTexture->getId());
        effect.meterTexture->bind();
        glGetTexImage(GL_TEXTURE_1D, 0, GL_RGB, GL_UNSIGNED_BYTE, got.data());
        effect.meterTexture->unbind();
        // The draw left the generator just past the eight levels.
        const int next = std::rand();
        const std::vector<unsigned char> want = metersOfSeed(step.seed);
        EXPECT_EQ(got, want) << step.t;
        EXPECT_EQ(std::vector<unsigned char>(effect.meterBuffer, effect.meterBuffer + got.size()), want);
        EXPECT_EQ(next, std::rand()) << step.t;
    }
    EXPECT_NE(metersOfSeed(20), metersOfSeed(21));
    EXPECT_EQ(samplerUnit(*meters, "data"), 0);
}

// The visor is drawn into the work buffer and copied into the target, which
// the view neither binds nor marks.
TEST_F(DashboardEffectTest, HelmetViewCopiesTheVisorIntoTheTarget)
{
    drawView(2.0f, out.get());
    savePng(out.get(), std::string(PULSVEK_BINARY_DIR) + "/dashboard-helmet.png");
    // The red scene through the tinted visor.
    rendertest::expectNear(at(out.get(), 0.0f, 0.0f), {219, 0, 0, 255});
    EXPECT_FALSE(out->isDirty()) << "the target is not marked";
    EXPECT_EQ(FBO::currentFramebuffer, scene2->getId()) << "nor bound";
    EXPECT_TRUE(scene2->isDirty());
    EXPECT_EQ(samplerUnit(*helmetShader, "overlay"), 2);
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "left as it was";
    // With the work buffer as the target the pass is already there.
    clearFbo(scene2.get(), 0, 0, 0, 0);
    drawView(1.5f, scene2.get());
    rendertest::expectNear(at(scene2.get(), 0.0f, 0.0f), {219, 0, 0, 255});
    // The scene texture was clamped by init.
    EXPECT_EQ(fboGetColorTexture(scene.get(), 0)->getWrapS(), static_cast<GLenum>(GL_CLAMP_TO_EDGE));
}

}
