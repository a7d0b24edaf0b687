// Rain and outline under GL: the rain's plane schedule and draw count, its
// blending, the depth state it leaves to the caller, its picture's
// settings and repeat, its cover of the whole target; the outline pass over a
// depth picture, its uniforms, and its refusal without a source.

#include "EffectFixture.h"

#include "demo/DashboardEffect.h"
#include "demo/OutlineEffect.h"
#include "demo/RainEffect.h"
#include "engine/render/Camera.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Projection.h"
#include "engine/render/VAO.h"
#include "engine/runtime/DataEffectPool.h"
#include "support/Capture.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

using namespace effecttest;
using rendertest::RGBA;

// Records each plane's depth and offset as it is drawn.
class RecordingRain : public RainEffect {
public:
    std::vector<std::pair<float, float>> planes;

protected:
    void drawPlane() override
    {
        planes.emplace_back(planeDepth, offsets[offsetIndex]);
        RainEffect::drawPlane();
    }
};

class RainEffectTest : public EffectGLTest {
protected:
    void setUpEffect() override
    {
        shader = showShader("Rain");
        // Vertical streaks: every fourth column opaque white.
        std::vector<unsigned char> streaks(16 * 16 * 4, 0);
        for (int i = 0; i < 16 * 16; ++i)
            if (i % 4 == 0)
                for (int c = 0; c < 4; ++c)
                    streaks[i * 4 + c] = 255;
        picture = std::make_unique<Texture>(16, 16, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, streaks.data());
        out = target(64, 36, true, 0, 0, 0, 1);
        savedView = VLMPulsvek::syscam->getViewMatrix();
        effect.createTracks();
        effect.rainTexture = picture.get();
        effect.rainShader = shader.get();
        effect.init();
    }
    void TearDown() override
    {
        if (!IsSkipped())
            VLMPulsvek::syscam->setViewMatrix(savedView);
        EffectGLTest::TearDown();
    }

    std::string drawOnce(int t = 1000)
    {
        testsupport::StdoutCapture log;
        effect.draw(t, 16, out.get());
        return log.text();
    }

    RecordingRain effect;
    std::unique_ptr<Shader> shader;
    std::unique_ptr<Texture> picture;
    std::unique_ptr<FBO> out;
    glm::mat4 savedView{1.0f};
};

TEST_F(RainEffectTest, EveryUniformIsActiveWithTheSettersType)
{
    EXPECT_EQ(activeUniforms(*shader),
              (std::map<std::string, GLenum>{{"texture0", GL_SAMPLER_2D},
                                             {"modelview", GL_FLOAT_MAT4},
                                             {"projection", GL_FLOAT_MAT4},
                                             {"rain_move", GL_FLOAT},
                                             {"plane_zpos", GL_FLOAT},
                                             {"rain_move_offset", GL_FLOAT}}));
}

TEST_F(RainEffectTest, InitRepeatsThePictureWithSixteenTimesAnisotropy)
{
    EXPECT_EQ(picture->getWrapS(), static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(picture->getWrapT(), static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(picture->getWrapR(), static_cast<GLenum>(GL_REPEAT));
    GLfloat most = 1.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &most);
    GLfloat amount = 0.0f;
    picture->bind();
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &amount);
    picture->unbind();
    EXPECT_EQ(amount, std::min(16.0f, most)) << "on every renderer";
}

TEST_F(RainEffectTest, TwentyTwoPlanesOnTheirScheduleEveryFrame)
{
    const int calls = renderStats.drawCalls;
    const std::string log = drawOnce();
    EXPECT_EQ(log.find("not found"), std::string::npos) << log;
    EXPECT_EQ(renderStats.drawCalls - calls, 22);
    ASSERT_EQ(effect.planes.size(), 22u);
    EXPECT_EQ(effect.planesPerFrame(), 22);
    for (int i = 0; i < 11; ++i) {
        EXPECT_NEAR(effect.planes[i].first, 1.0f - 0.2f * i, 1e-5) << i;
        EXPECT_NEAR(effect.planes[11 + i].first, -1.0f + 0.2f * i, 1e-5) << i;
    }
    for (int i = 0; i < 22; ++i) {
        EXPECT_EQ(effect.planes[i].second, effect.offsets[i]) << i;
        EXPECT_GE(effect.offsets[i], 0.0f);
        EXPECT_LE(effect.offsets[i], 0.9999f);
    }
    // The same planes with the same offsets in the next frame.
    const auto first = effect.planes;
    effect.planes.clear();
    drawOnce(2000);
    EXPECT_EQ(effect.planes, first);
    EXPECT_EQ(effect.offsetIndex, 22);
}

// The rain changes culling and blending only: depth testing and depth writes
// are the caller's. In the show the terrain has switched the test off before
// the rain, so nothing is written; with test and writes on, the streaks are.
TEST_F(RainEffectTest, BlendsAndLeavesTheDepthStateAsItWas)
{
    const struct {
        bool test;
        GLboolean writes;
        bool depthWritten;
    } cases[] = {{false, GL_TRUE, false}, {true, GL_TRUE, true}, {true, GL_FALSE, false}};
    VLMPulsvek::syscam->setViewMatrix(glm::mat4(1.0f));
    glDepthFunc(GL_LESS);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth test " << c.test << ", writes " << int(c.writes));
        clearFbo(out.get(), 0, 0, 0, 1);
        if (c.test)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        glDepthMask(c.writes);
        glEnable(GL_CULL_FACE);
        drawOnce();
        if (c.depthWritten)
            savePng(out.get(), std::string(PULSVEK_BINARY_DIR) + "/rain.png");
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), c.test ? GL_TRUE : GL_FALSE) << "the depth test is not the rain's";
        GLboolean writes = !c.writes;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
        EXPECT_EQ(writes, c.writes) << "nor are depth writes";
        EXPECT_TRUE(out->isDirty());

        // Streaks were drawn; the cleared depth (the far plane) stays unless
        // the caller lets the streaks write it.
        int bright = 0;
        for (int x = 0; x < 64; ++x)
            bright += fboPixel(out.get(), x, 18)[0] > 40;
        EXPECT_GT(bright, 4);
        glDepthMask(GL_TRUE);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, out->getId());
        std::vector<float> depth(64 * 36, 0.0f);
        glReadPixels(0, 0, 64, 36, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        const auto nearer = std::count_if(depth.begin(), depth.end(), [](float d) { return d < 1.0f; });
        if (c.depthWritten)
            EXPECT_GT(nearer, 64) << "the streaks' depth";
        else
            EXPECT_EQ(nearer, 0);
    }
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}

// The shader filters the picture itself: it repeats whatever the sizes of its
// sides. Three texels, red, green and blue, six times across a 36-pixel plane
// facing the camera: two pixels a texel, each a blend of two neighbours.
TEST_F(RainEffectTest, ThePictureRepeatsWhateverItsSize)
{
    const unsigned char texels[3][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}};
    Texture three(3, 1, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, &texels[0][0]);
    three.setWrapAll(GL_REPEAT);
    auto plane = target(36, 4, false, 0, 0, 0, 0);
    fboBind(plane.get());
    glDisable(GL_BLEND);
    Geometry::screenQuad->bind(shader.get());
    shader->setTexture(0, "texture0", &three);
    shader->setMatrix4("modelview", glm::mat4(1.0f));
    shader->setMatrix4("projection", glm::mat4(1.0f));
    shader->setFloat("rain_move", 0.0f);
    shader->setFloat("plane_zpos", 0.0f);
    shader->setFloat("rain_move_offset", 0.0f);
    Geometry::screenQuad->draw();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (int x = 0; x < 36; ++x) {
        // Texel coordinate of the pixel's centre, less half a texel.
        const float p = static_cast<float>(x) * 0.5f - 0.25f;
        const int i = static_cast<int>(std::floor(p));
        const float f = p - static_cast<float>(i);
        const unsigned char* a = texels[(i % 3 + 3) % 3];
        const unsigned char* b = texels[(i + 1) % 3];
        const RGBA got = fboPixel(plane.get(), x, 2);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[c], a[c] + f * (b[c] - a[c]), 1.5) << "x " << x << " channel " << c;
    }
}

// The rain covers all of its target in every view: a helmet view whose visor
// shows only the middle of the scene leaves the rain's corners in place.
TEST_F(RainEffectTest, CoversTheWholeTargetWhateverTheDashboardShows)
{
    VLMPulsvek::syscam->setViewMatrix(glm::mat4(1.0f));
    DataEffectPool instances;
    DataEffectPool* savedPool = VLMPulsvek::effectInstanceDataPool;
    VLMPulsvek::effectInstanceDataPool = &instances;
    // A visor mask clear but for a small square in the middle.
    std::vector<unsigned char> visor(64 * 36 * 4, 0);
    for (int y = 14; y < 22; ++y)
        for (int x = 28; x < 36; ++x)
            for (int c = 0; c < 4; ++c)
                visor[(y * 64 + x) * 4 + c] = 255;
    Texture mask(64, 36, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, visor.data());
    auto work = target(64, 36, false, 0, 0, 0, 0);
    auto* dashboard = new DashboardEffect();
    dashboard->createTracks();
    dashboard->helmetMask = &mask;
    dashboard->offscreen = out.get();
    dashboard->offscreen2 = work.get();
    dashboard->init();
    setTrack(*dashboard, "view_direction", 1.5f);
    instances.add("dashboard", dashboard);
    dashboard->update(1000);

    glDisable(GL_DEPTH_TEST);
    drawOnce();
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    const int corners[4][2] = {{0, 0}, {56, 0}, {0, 30}, {56, 30}};
    for (const auto& corner : corners) {
        int lit = 0;
        for (int y = corner[1]; y < corner[1] + 6; ++y)
            for (int x = corner[0]; x < corner[0] + 8; ++x)
                lit += fboPixel(out.get(), x, y)[0] > 40;
        EXPECT_GT(lit, 0) << "corner " << corner[0] << "," << corner[1];
    }
    VLMPulsvek::effectInstanceDataPool = savedPool;
    glDisable(GL_CULL_FACE);
}

TEST_F(RainEffectTest, RainMoveScrollsTheStreaks)
{
    setTrack(effect, "rain_move", 0.25f);
    drawOnce();
    EXPECT_FLOAT_EQ(uniformFloat(*shader, "rain_move"), 0.25f);
    EXPECT_EQ(samplerUnit(*shader, "texture0"), 0);
    glDisable(GL_CULL_FACE);
}

// Outlines where the depth changes: black, with alpha from the depth difference.
const char* const outlineVS =
    "#version 150\nin vec3 in_Position;\nin vec2 in_UV0;\nout vec2 uv;\n"
    "void main() { uv = in_UV0; gl_Position = vec4(in_Position.xy, 0.0, 1.0); }\n";
const char* const outlineFS =
    "#version 150\nuniform sampler2D depth;\nuniform vec2 NearFar;\nuniform vec2 TexelSize;\n"
    "in vec2 uv;\nout vec4 color;\n"
    "float linear(vec2 p) { float z = texture(depth, p).r;\n"
    "  return NearFar.x * NearFar.y / (NearFar.y - z * (NearFar.y - NearFar.x)); }\n"
    "void main() {\n"
    "  float c = linear(uv);\n"
    "  float e = abs(linear(uv + vec2(TexelSize.x, 0.0)) - c) + abs(linear(uv - vec2(TexelSize.x, 0.0)) - c)\n"
    "          + abs(linear(uv + vec2(0.0, TexelSize.y)) - c) + abs(linear(uv - vec2(0.0, TexelSize.y)) - c);\n"
    "  color = vec4(0.0, 0.0, 0.0, clamp(e * 50.0, 0.0, 1.0));\n"
    "}\n";

class OutlineEffectTest : public EffectGLTest {
protected:
    void setUpEffect() override
    {
        shader = rendertest::makeShader("outline", outlineVS, outlineFS);
        // Depth 1 on the left half, 0.5 on the right: one vertical edge at x = 16.
        depthSource = target(32, 16, true, 0, 0, 0, 1);
        glEnable(GL_SCISSOR_TEST);
        glScissor(16, 0, 16, 16);
        glClearDepth(0.5);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        glDisable(GL_SCISSOR_TEST);
        out = target(32, 16, false, 1, 1, 1, 1);
    }

    std::string drawOnce()
    {
        testsupport::StdoutCapture log;
        effect.draw(0, 0, nullptr);
        return log.text();
    }

    OutlineEffect effect;
    std::unique_ptr<Shader> shader;
    std::unique_ptr<FBO> depthSource, out;
};

TEST_F(OutlineEffectTest, DrawsOutlinesOverWhatIsBound)
{
    effect.depthSource = depthSource.get();
    effect.outlineShader = shader.get();
    fboBind(out.get());
    glEnable(GL_BLEND);
    const int calls = renderStats.drawCalls;
    const std::string log = drawOnce();
    EXPECT_EQ(log.find("not found"), std::string::npos) << log;
    EXPECT_EQ(renderStats.drawCalls - calls, 1);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(FBO::currentFramebuffer, out->getId()) << "binds nothing";
    EXPECT_FALSE(out->isDirty()) << "marks nothing";
    EXPECT_LT(fboPixel(out.get(), 16, 8)[0], 128) << "dark at the edge";
    rendertest::expectNear(fboPixel(out.get(), 4, 8), {255, 255, 255, 255});
    rendertest::expectNear(fboPixel(out.get(), 28, 8), {255, 255, 255, 255});
    EXPECT_FLOAT_EQ(uniformFloat(*shader, "TexelSize", 0), 1.0f / 32.0f);
    EXPECT_FLOAT_EQ(uniformFloat(*shader, "TexelSize", 1), 1.0f / 16.0f);
    EXPECT_FLOAT_EQ(uniformFloat(*shader, "NearFar", 0), 0.1f);
    EXPECT_FLOAT_EQ(uniformFloat(*shader, "NearFar", 1), 1.0f);
    EXPECT_EQ(samplerUnit(*shader, "depth"), 0);
    // A second draw draws again.
    drawOnce();
    EXPECT_EQ(renderStats.drawCalls - calls, 2);
}

TEST_F(OutlineEffectTest, WithoutSourceOrShaderDrawsNothingAndSaysSoOnce)
{
    auto noDepth = target(8, 8, false, 0, 0, 0, 1);
    struct Case {
        FBO* source;
        Shader* shader;
    };
    const Case cases[] = {{nullptr, shader.get()}, {depthSource.get(), nullptr}, {noDepth.get(), shader.get()}};
    for (const Case& c : cases) {
        OutlineEffect fresh;
        fresh.depthSource = c.source;
        fresh.outlineShader = c.shader;
        fboBind(out.get());
        const int calls = renderStats.drawCalls;
        testsupport::StdoutCapture log;
        fresh.draw(0, 0, nullptr);
        fresh.draw(50, 0, nullptr);
        const auto lines = log.lines();
        EXPECT_EQ(renderStats.drawCalls, calls);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("nothing drawn"), std::string::npos) << lines[0];
        rendertest::expectNear(fboPixel(out.get(), 16, 8), {255, 255, 255, 255});
    }
}

}
