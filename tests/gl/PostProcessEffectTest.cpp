// The post-processing pass under GL: its shaders' uniforms, the palettes as
// uploaded, the palette pair on units 2 and 3, the grading over a solid scene,
// the source routed back into itself, the state it leaves, and the bright
// pass's read of the frame's mipmap chain.

#include "EffectFixture.h"

#include "demo/PostFilter.h"
#include "demo/PostProcessEffect.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/VAO.h"
#include "engine/runtime/TrackInterpolate.h"
#include "support/Capture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace effecttest;

class PostProcessEffectTest : public EffectGLTest {
protected:
    void setUpEffect() override
    {
        post = showShader("PostProcess");
        glow = showShader("glow");
        blit = showShader("blit");
        vignette = solid(255, 255, 255, 255);
        gradient = solid(0, 0, 0, 255, 256, 1);
        noise = solid(128, 128, 128, 255, 8, 8);
        shadow = solid(0, 0, 0, 0);
        rear = solid(0, 0, 0, 0);
        scene = target(64, 36, true, 0.4f, 0.2f, 0.6f, 1.0f);
        glow1 = target(256, 256, false, 0, 0, 0, 0);
        glow2 = target(256, 256, false, 0, 0, 0, 0);
        out = target(64, 36, false, 0, 0, 0, 0);

        effect.createTracks();
        effect.vignette = vignette.get();
        effect.gradient = gradient.get();
        effect.shadowMask = shadow.get();
        effect.noise = noise.get();
        effect.rearViewOverlay = rear.get();
        effect.postShader = post.get();
        effect.source = scene.get();
        effect.glowShader = glow.get();
        effect.brightContrastShader = blit.get();
        effect.glow1 = glow1.get();
        effect.glow2 = glow2.get();
        effect.init();

        // A neutral pass: no grade, no glow (the bright pass cuts everything), no grain.
        setTrack(effect, "contrast", 1.0f);
        setTrack(effect, "brightness", -1.0f);
        setTrack(effect, "img_contr", 1.0f);
    }
    void TearDown() override
    {
        PostFilter::brightness = 0.0f;
        PostFilter::contrast = 1.0f;
        EffectGLTest::TearDown();
    }

    std::string drawOnce(FBO* into)
    {
        testsupport::StdoutCapture log;
        effect.draw(1000, 16, into);
        return log.text();
    }

    PostProcessEffect effect;
    std::unique_ptr<Shader> post, glow, blit;
    std::unique_ptr<Texture> vignette, gradient, noise, shadow, rear;
    std::unique_ptr<FBO> scene, glow1, glow2, out;
};

TEST_F(PostProcessEffectTest, EveryUniformIsActiveWithTheSettersType)
{
    const std::map<std::string, GLenum> want = {
        {"source", GL_SAMPLER_2D},     {"vignett", GL_SAMPLER_2D},      {"gradient", GL_SAMPLER_1D},
        {"gradient2", GL_SAMPLER_1D},  {"glow", GL_SAMPLER_2D},         {"noise", GL_SAMPLER_2D},
        {"palette_mix", GL_FLOAT},     {"time", GL_FLOAT},              {"rgb_separation", GL_FLOAT},
        {"fade_amount", GL_FLOAT},     {"fade_color", GL_FLOAT_VEC3},   {"img_bright", GL_FLOAT},
        {"img_contr", GL_FLOAT},       {"noise_strength", GL_FLOAT},    {"noise_offset", GL_FLOAT},
        {"colgrade_toggle", GL_FLOAT}, {"distort_amount", GL_FLOAT},
    };
    EXPECT_EQ(activeUniforms(*post), want);
    EXPECT_EQ(activeUniforms(*glow),
              (std::map<std::string, GLenum>{{"image", GL_SAMPLER_2D}, {"TexelSize", GL_FLOAT_VEC2}}));
    EXPECT_EQ(activeUniforms(*blit),
              (std::map<std::string, GLenum>{
                  {"image", GL_SAMPLER_2D}, {"contrast", GL_FLOAT}, {"brightness", GL_FLOAT}}));
}

TEST_F(PostProcessEffectTest, OneDrawWiresEverySamplerAndValue)
{
    setTrack(effect, "rgb separation", 2.0f);
    setTrack(effect, "fade_r", 0.25f);
    setTrack(effect, "fade_g", 0.5f);
    setTrack(effect, "fade_b", 0.75f);
    setTrack(effect, "palette_mix", 0.3f);
    setTrack(effect, "beam_speed", 7.0f);
    setTrack(effect, "noise_offset", 0.125f);
    setTrack(effect, "distort_amount", 0.0625f);
    const std::string log = drawOnce(out.get());
    EXPECT_EQ(log.find("not found"), std::string::npos) << log;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    struct Unit {
        const char* name;
        int unit;
        GLenum target;
        GLuint texture;
    };
    const Unit units[] = {
        {"source", 0, GL_TEXTURE_2D, fboGetColorTexture(scene.get(), 0)->getId()},
        {"vignett", 1, GL_TEXTURE_2D, vignette->getId()},
        {"gradient", 2, GL_TEXTURE_1D, effect.palette[0]->getId()},
        {"gradient2", 3, GL_TEXTURE_1D, effect.palette[1]->getId()},
        {"glow", 4, GL_TEXTURE_2D, fboGetColorTexture(glow1.get(), 0)->getId()},
        {"noise", 5, GL_TEXTURE_2D, noise->getId()},
    };
    for (const Unit& u : units) {
        EXPECT_EQ(samplerUnit(*post, u.name), u.unit) << u.name;
        EXPECT_EQ(boundTexture(u.unit, u.target), u.texture) << u.name;
    }
    EXPECT_FLOAT_EQ(uniformFloat(*post, "rgb_separation"), 2.0f / 64.0f);
    EXPECT_FLOAT_EQ(uniformFloat(*post, "fade_color", 0), 0.25f);
    EXPECT_FLOAT_EQ(uniformFloat(*post, "fade_color", 1), 0.5f);
    EXPECT_FLOAT_EQ(uniformFloat(*post, "fade_color", 2), 0.75f);
    EXPECT_FLOAT_EQ(uniformFloat(*post, "palette_mix"), 0.3f);
    EXPECT_FLOAT_EQ(uniformFloat(*post, "time"), 7.0f);
    EXPECT_FLOAT_EQ(uniformFloat(*post, "noise_offset"), 0.125f);
    EXPECT_FLOAT_EQ(uniformFloat(*post, "distort_amount"), 0.0625f);
    EXPECT_FLOAT_EQ(uniformFloat(*post, "img_contr"), 1.0f);
    // The glow passes.
    EXPECT_FLOAT_EQ(uniformFloat(*blit, "brightness"), -1.0f);
    EXPECT_FLOAT_EQ(uniformFloat(*blit, "contrast"), 1.0f);
    EXPECT_FLOAT_EQ(uniformFloat(*glow, "TexelSize", 0), 0.0f);
    EXPECT_FLOAT_EQ(uniformFloat(*glow, "TexelSize", 1), 1.0f / 256.0f);
}

TEST_F(PostProcessEffectTest, PalettesAsUploaded)
{
    std::vector<unsigned char> want(1024);
    std::vector<unsigned char> got(1024);
    // The last palette built is palette 3; its stops stay in the effect.
    PostProcessEffect::fillPalette(effect.colourStops, effect.stopPositions, want.data());
    effect.palette[3]->bind();
    glGetTexImage(GL_TEXTURE_1D, 0, GL_RGBA, GL_UNSIGNED_BYTE, got.data());
    EXPECT_EQ(got, want);
    effect.palette[0]->bind();
    glGetTexImage(GL_TEXTURE_1D, 0, GL_RGBA, GL_UNSIGNED_BYTE, got.data());
    effect.palette[0]->unbind();
    const std::vector<std::pair<int, rendertest::RGBA>> texels = {
        {0, {23, 3, 29, 255}}, {25, {83, 27, 109, 255}}, {240, {255, 0, 255, 255}}, {255, {255, 239, 255, 255}}};
    for (const auto& [i, rgba] : texels)
        EXPECT_EQ((rendertest::RGBA{got[i * 4], got[i * 4 + 1], got[i * 4 + 2], got[i * 4 + 3]}), rgba) << i;
    for (Texture* p : effect.palette) {
        EXPECT_EQ(p->getTarget(), static_cast<GLenum>(GL_TEXTURE_1D));
        EXPECT_EQ(p->getWrapS(), static_cast<GLenum>(GL_CLAMP_TO_EDGE));
    }
    EXPECT_EQ(gradient->getWrapS(), static_cast<GLenum>(GL_CLAMP_TO_EDGE));
    EXPECT_EQ(vignette->getWrapT(), static_cast<GLenum>(GL_CLAMP_TO_EDGE));
}

TEST_F(PostProcessEffectTest, PalettePairOnUnitsTwoAndThreeForEveryValue)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float value;
        int first, second;
    };
    // The first frame is out of range: both 1D samplers must still get palettes.
    const Case cases[] = {{-1.0f, 0, 1}, {0.0f, 0, 1}, {0.5f, 1, 2}, {1.0f, 1, 2}, {1.5f, 2, 3},
                          {3.0f, 3, 0},  {7.0f, 3, 0}, {nan, 0, 1}};
    int frame = 0;
    for (const Case& c : cases) {
        TrackInterpolate* track = effect.paletteTrack;
        track->addKeyframe(new Keyframe(static_cast<unsigned>(frame), 3, c.value));
        const std::string log = [&] {
            testsupport::StdoutCapture capture;
            effect.draw(frame * 50, 16, out.get());
            return capture.text();
        }();
        ++frame;
        EXPECT_EQ(log.find("not found"), std::string::npos) << log;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.value;
        EXPECT_EQ(boundTexture(2, GL_TEXTURE_1D), effect.palette[c.first]->getId()) << c.value;
        EXPECT_EQ(boundTexture(3, GL_TEXTURE_1D), effect.palette[c.second]->getId()) << c.value;
    }
}

TEST_F(PostProcessEffectTest, GradesFadesAndLeavesTheState)
{
    glEnable(GL_BLEND);
    drawOnce(out.get());
    // Neutral: the scene as it is.
    rendertest::expectNear(fboPixel(out.get(), 32, 18), {102, 51, 153, 255});
    EXPECT_TRUE(out->isDirty());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    // The source's texture is read with linear filtering again by others.
    GLint minFilter = 0;
    Texture* sceneColour = fboGetColorTexture(scene.get(), 0);
    sceneColour->bind();
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    sceneColour->unbind();
    EXPECT_EQ(minFilter, GL_LINEAR);

    // A full fade shows the fade colour, red, green and blue in order.
    setTrack(effect, "fade", 1.0f);
    setTrack(effect, "fade_r", 1.0f);
    setTrack(effect, "fade_g", 0.5f);
    setTrack(effect, "fade_b", 0.0f);
    drawOnce(out.get());
    rendertest::expectNear(fboPixel(out.get(), 5, 30), {255, 128, 0, 255});

    // The grade maps luminance through palette 2 (mix 0): luma of (0.4, 0.2, 0.6) is 0.3062.
    setTrack(effect, "fade", 0.0f);
    setTrack(effect, "colgrade_toggle", 1.0f);
    setTrack(effect, "palette", 1.5f);
    drawOnce(out.get());
    const rendertest::RGBA graded = fboPixel(out.get(), 32, 18);
    EXPECT_NEAR(graded[0], 0, 2);
    EXPECT_NEAR(graded[1], 156, 3);
    EXPECT_NEAR(graded[2], 63, 2);
    savePng(out.get(), std::string(PULSVEK_BINARY_DIR) + "/postprocess-graded.png");
}

TEST_F(PostProcessEffectTest, GlowAddsTheBrightPartsBlurred)
{
    // A white bar on black: the glow spreads it beyond its edges.
    clearFbo(scene.get(), 0, 0, 0, 1);
    glEnable(GL_SCISSOR_TEST);
    glScissor(28, 0, 8, 36);
    rendertest::clearTo(1, 1, 1, 1);
    glDisable(GL_SCISSOR_TEST);
    setTrack(effect, "brightness", 0.0f);
    drawOnce(out.get());
    EXPECT_GT(fboPixel(out.get(), 27, 18)[0], 20);
    EXPECT_GT(fboPixel(out.get(), 36, 18)[0], 20);
    EXPECT_LT(fboPixel(out.get(), 10, 18)[0], 5);
    EXPECT_EQ(fboPixel(out.get(), 32, 18)[0], 255);
}

TEST_F(PostProcessEffectTest, IntoItsOwnSourceDrawsToTheScreenAndSaysSoOnce)
{
    const std::string first = drawOnce(scene.get());
    EXPECT_EQ(FBO::currentFramebuffer, 0u);
    const std::string second = drawOnce(scene.get());
    EXPECT_NE(first.find("the target is the source"), std::string::npos) << first;
    EXPECT_EQ(second.find("the target is the source"), std::string::npos) << second;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    rendertest::expectNear(fboPixel(scene.get(), 32, 18), {102, 51, 153, 255});
}

}

namespace {

std::vector<unsigned char> fboPixels(FBO* fbo)
{
    const int w = fboGetWidth(fbo);
    const int h = fboGetHeight(fbo);
    std::vector<unsigned char> bytes(static_cast<size_t>(w) * h * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo->getId());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return bytes;
}

}

// The bright pass reads the frame through its whole mipmap chain, and leaves
// the frame's texture with that chain, its level range untouched and linear
// filters, whatever the ratio of frame to glow target.
TEST_F(PostProcessEffectTest, BrightPassReadsTheWholeChainAndLeavesTheTextureLinear)
{
    const int sizes[][2] = {{1280, 720}, {640, 360}, {200, 90}, {300, 2000}};
    PostFilter::contrast = 1.0f;
    PostFilter::brightness = 0.0f;
    for (const auto& size : sizes) {
        const int w = size[0];
        const int h = size[1];
        std::unique_ptr<FBO> frame = target(w, h, false, 0, 0, 0, 1);
        Texture* image = fboGetColorTexture(frame.get(), 0);
        std::vector<unsigned char> noisy(static_cast<size_t>(w) * h * 4);
        unsigned state = 12345u;
        for (unsigned char& b : noisy) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<unsigned char>(state >> 24);
        }
        image->bind();
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, noisy.data());

        // Level 0 alone, read linearly: what the pass must not give.
        fboBind(glow1.get());
        Geometry::screenQuad->bind(blit.get());
        blit->setTexture(0, "image", image);
        blit->setFloat("contrast", 1.0f);
        blit->setFloat("brightness", 0.0f);
        Geometry::screenQuad->draw();
        const std::vector<unsigned char> unfiltered = fboPixels(glow1.get());

        PostFilter::brightContrast(blit.get(), frame.get(), glow1.get());
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        // A frame smaller than the glow target is magnified from level 0.
        const bool minified = w > 256 || h > 256;
        EXPECT_EQ(fboPixels(glow1.get()) == unfiltered, !minified) << w << "x" << h;

        image->bind();
        GLint maxLevel = 0, minFilter = 0, magFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, &maxLevel);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        int last = 0;
        while ((std::max(w, h) >> (last + 1)) > 0)
            ++last;
        GLint lastWidth = 0, lastHeight = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, last, GL_TEXTURE_WIDTH, &lastWidth);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, last, GL_TEXTURE_HEIGHT, &lastHeight);
        image->unbind();
        EXPECT_EQ(maxLevel, 1000) << w << "x" << h;
        EXPECT_EQ(minFilter, GL_LINEAR) << w << "x" << h;
        EXPECT_EQ(magFilter, GL_LINEAR) << w << "x" << h;
        EXPECT_EQ(lastWidth, 1) << w << "x" << h << " level " << last;
        EXPECT_EQ(lastHeight, 1) << w << "x" << h << " level " << last;
    }
}
