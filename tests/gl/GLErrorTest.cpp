#include "engine/render/Engine.h"
#include "engine/render/ScreenSettings.h"
#include "support/Capture.h"
#include "support/GLContext.h"

TEST(GLError, NoPendingErrorPrintsNothing)
{
    REQUIRE_GL();
    testsupport::drainGLErrors();
    testsupport::StdoutCapture out;
    EXPECT_FALSE(checkGLError("quiet"));
    EXPECT_EQ(out.text(), "");
}

TEST(GLError, ReportsOneErrorPerCheckWithItsLocation)
{
    REQUIRE_GL();
    testsupport::drainGLErrors();
    VLMPulsvek::glError = false;
    testsupport::StdoutCapture out;
    glEnable(0x1234);               // GL_INVALID_ENUM
    EXPECT_TRUE(checkGLError("terrain:init()"));
    EXPECT_FALSE(checkGLError("after"));
    EXPECT_EQ(out.text(), "[GL_ERROR [GL_INVALID_ENUM (1280)] LOCATION = ['terrain:init()']\n");
    EXPECT_TRUE(VLMPulsvek::glError);
}

TEST(GLError, NamesEveryCode)
{
    REQUIRE_GL();
    testsupport::drainGLErrors();
    testsupport::StdoutCapture out;
    glViewport(0, 0, -1, -1);       // GL_INVALID_VALUE
    checkGLError("v");
    glBindVertexArray(0);
    glDrawArrays(GL_TRIANGLES, 0, 3);  // GL_INVALID_OPERATION in a core profile
    checkGLError("o");
    EXPECT_EQ(out.lines(), (std::vector<std::string>{
                               "[GL_ERROR [GL_INVALID_VALUE (1281)] LOCATION = ['v']",
                               "[GL_ERROR [GL_INVALID_OPERATION (1282)] LOCATION = ['o']"}));
}

TEST(ScreenViewport, ApplyViewportSetsTheLetterbox)
{
    REQUIRE_GL();
    ScreenSettings s;
    s.setSize(1920, 1000);
    s.applyViewport();
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], 0);
    EXPECT_EQ(vp[1], -40);
    EXPECT_EQ(vp[2], 1920);
    EXPECT_EQ(vp[3], 1080);
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}
