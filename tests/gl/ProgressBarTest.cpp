#include "RenderFixture.h"

#include "engine/runtime/ProgressBar.h"
#include "engine/runtime/VLMIO.h"

#include "support/Capture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kShaders = std::string(PULSVEK_SOURCE_DIR) + "/tests/production/resources/shaders/";

// Counts its frames and remembers the fraction each one showed.
class RecordingBar : public ProgressBar {
public:
    using ProgressBar::ProgressBar;
    void draw() override
    {
        shown.push_back(progress);
        ProgressBar::draw();
    }
    std::vector<float> shown;
};

class ProgressBarTest : public rendertest::GLTest {
protected:
    void SetUp() override
    {
        rendertest::GLTest::SetUp();
        savedFolder = VLMIO::shaderFolder;
        savedMode = VLMIO::loadMode;
        VLMIO::shaderFolder = kShaders;
        VLMIO::loadMode = 0;
    }
    void TearDown() override
    {
        VLMIO::shaderFolder = savedFolder;
        VLMIO::loadMode = savedMode;
        rendertest::GLTest::TearDown();
    }

    std::string savedFolder;
    int savedMode = 0;
};

TEST_F(ProgressBarTest, StepsShowTheFractionBeforeEachStep)
{
    struct Case {
        const char* what;
        int total;
        int steps;
        int retotal;     // applied after the steps when not negative
        int laterSteps;
        std::vector<float> shown;
        int done;
    } const cases[] = {
        {"total 4", 4, 5, -1, 0, {0.0f, 0.25f, 0.5f, 0.75f}, 4},
        {"total 0 draws nothing", 0, 2, -1, 0, {}, 0},
        {"a smaller total keeps drawing", 4, 3, 2, 2, {0.0f, 0.25f, 0.5f, 1.5f, 2.0f}, 5},
        {"a total of 0 after steps", 4, 2, 0, 1, {0.0f, 0.25f, 1.0f}, 3},
        {"the same total again keeps the count", 3, 1, 3, 3, {0.0f, 1.0f / 3.0f, 2.0f / 3.0f}, 3},
    };
    for (const Case& c : cases) {
        testsupport::StdoutCapture quiet;
        RecordingBar bar(0.1f, 1.0f, 0.0f, c.total);
        bar.init();
        for (int i = 0; i < c.steps; ++i)
            bar.step();
        if (c.retotal >= 0)
            bar.setTotal(c.retotal);
        for (int i = 0; i < c.laterSteps; ++i)
            bar.step();
        ASSERT_EQ(bar.shown.size(), c.shown.size()) << c.what;
        for (size_t i = 0; i < c.shown.size(); ++i)
            EXPECT_FLOAT_EQ(bar.shown[i], c.shown[i]) << c.what << " frame " << i;
        EXPECT_EQ(bar.getDone(), c.done) << c.what;
    }
}

TEST_F(ProgressBarTest, DrawsTheBarAndLeavesFaceCullingAsItWas)
{
    rendertest::RawTarget target(40, 20);
    glClearColor(0, 0, 0, 0);
    glDisable(GL_DEPTH_TEST);
    testsupport::StdoutCapture quiet;
    ProgressBar bar(0.5f, 1.0f, 0.0f, 2);
    bar.init();
    for (bool culling : {true, false}) {
        if (culling)
            glEnable(GL_CULL_FACE);
        else
            glDisable(GL_CULL_FACE);
        target.bind();
        glViewport(0, 0, 40, 20);
        bar.step();
        EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, culling);
    }
    glDisable(GL_CULL_FACE);
    // The second frame shows 1/2: the left half of the bar, which is half the height.
    target.bind();
    rendertest::expectNear(rendertest::pixel(5, 10), {255, 255, 255, 255});
    rendertest::expectNear(rendertest::pixel(35, 10), {0, 0, 0, 0});
    rendertest::expectNear(rendertest::pixel(5, 1), {0, 0, 0, 0});
    rendertest::expectNear(rendertest::pixel(5, 18), {0, 0, 0, 0});
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(ProgressBarTest, InitNamesItsShaderFilesOnce)
{
    testsupport::StdoutCapture quiet;
    ProgressBar bar;
    EXPECT_EQ(bar.getFileCount(), 0);
    bar.init();
    bar.init();
    ASSERT_EQ(bar.getFileCount(), 2);
    EXPECT_EQ(bar.getFile(0), kShaders + "default_Progress.vert");
    EXPECT_EQ(bar.getFile(1), kShaders + "default_Progress.frag");
}

TEST_F(ProgressBarTest, MissingShaderFilesStillPresentFramesWithoutGLErrors)
{
    testsupport::TempDir empty;
    VLMIO::shaderFolder = empty.path() + "/";
    testsupport::StdoutCapture capture;
    ProgressBar bar;
    bar.init();
    bar.draw();
    bar.step();
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_NE(capture.text().find("Failed to read GLSL shader version"), std::string::npos);
}

}
