#include "support/GLContext.h"

#include <GL/glew.h>

TEST(GLContext, IsCoreProfile32OrLater)
{
    REQUIRE_GL();
    GLint major = 0, minor = 0, mask = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
    EXPECT_GE(major * 10 + minor, 32);
    EXPECT_TRUE(mask & GL_CONTEXT_CORE_PROFILE_BIT);
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}
