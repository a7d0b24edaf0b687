#include "engine/render/Engine.h"
#include "engine/render/ScreenSettings.h"
#include "platform/Glfw27.h"

#include "support/GLDrivers.h"

#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdlib>

TEST(Window, OpensWindowedWithCoreContextAndCloses)
{
    ASSERT_TRUE(glfw27::init());
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MAJOR, 3);
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MINOR, 2);
    glfw27::openWindowHint(glfw27::OPENGL_PROFILE, glfw27::OPENGL_CORE_PROFILE);
    ScreenSettings s;
    s.setSize(640, 360);
    s.setFullscreen(false);
    ASSERT_TRUE(openWindowed(&s, "Window test"));
    // The driver stays loaded after terminate, so that its own leaks are recognised.
    testsupport::pinGLDrivers();
    EXPECT_EQ(VLMPulsvek::screenSettings, &s);
    EXPECT_EQ(glfw27::getWindowParam(glfw27::OPENED), 1);
    int w = 0, h = 0;
    glfw27::getWindowSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 360);
    glewExperimental = GL_TRUE;
    ASSERT_EQ(glewInit(), static_cast<GLenum>(GLEW_OK));
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_TRUE(GLEW_VERSION_3_2);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glfw27::swapBuffers();
    EXPECT_FALSE(checkGLError("swap"));
    glfw27::closeWindow();
    EXPECT_EQ(glfw27::getWindowParam(glfw27::OPENED), 0);
    glfw27::terminate();
}

TEST(Window, FullscreenTakesTheDisplaySize)
{
    ASSERT_TRUE(glfw27::init());
    glfw27::VidMode desktop;
    glfw27::getDesktopMode(&desktop);
    ASSERT_GT(desktop.Width, 0);
    glfw27::VidMode modes[100];
    int n = glfw27::getVideoModes(modes, 100);
    ASSERT_GE(n, 1);
    ScreenSettings s;
    s.setSize(desktop.Width, desktop.Height);
    ASSERT_TRUE(openFullscreen(&s));
    testsupport::pinGLDrivers();
    int w = 0, h = 0;
    glfw27::getWindowSize(&w, &h);
    EXPECT_EQ(w, desktop.Width);
    EXPECT_EQ(h, desktop.Height);
    glfw27::terminate();
}

TEST(WindowDeathTest, WithoutDisplayOpeningFailsWithTheEngineText)
{
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            glfw27::init();
            ScreenSettings s;
            s.setSize(640, 360);
            bool opened = openWindowed(&s, "no display");
            std::exit(!opened && getLastError() == "Failed to open window" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
