#include "engine/render/Camera.h"
#include "engine/render/Engine.h"
#include "engine/render/ScreenSettings.h"
#include "engine/runtime/Demo.h"

#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

TEST(ScreenSettings, Defaults)
{
    ScreenSettings s;
    EXPECT_EQ(s.getWidth(), 0);
    EXPECT_EQ(s.getHeight(), 0);
    EXPECT_TRUE(s.isFullscreen());
    EXPECT_FALSE(s.getFlag2());
    EXPECT_EQ(s.getOption(), 0);
    EXPECT_TRUE(s.getFlag3());
    EXPECT_FALSE(s.getFlag4());
    EXPECT_FLOAT_EQ(s.getProjection()->getFov(), 50.0f);
    EXPECT_EQ(static_cast<void*>(&s), static_cast<void*>(s.getProjection()));
}

TEST(ScreenSettings, LetterboxViewport)
{
    struct Case {
        int width, height, y, viewportHeight;
    } cases[] = {
        {1280, 720, 0, 720},
        {1280, 1024, 152, 720},
        {1920, 1000, -40, 1080},
        {800, 600, 75, 450},
        {1366, 768, 0, 768},
        {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ScreenSettings s;
        s.setSize(c.width, c.height);
        EXPECT_EQ(s.getViewportX(), 0) << c.width << "x" << c.height;
        EXPECT_EQ(s.getViewportWidth(), c.width) << c.width << "x" << c.height;
        EXPECT_EQ(s.getViewportHeight(), c.viewportHeight) << c.width << "x" << c.height;
        EXPECT_EQ(s.getViewportY(), c.y) << c.width << "x" << c.height;
    }
}

TEST(ScreenSettings, SetResolutionKeepsTheViewport)
{
    ScreenSettings s;
    s.setSize(1280, 1024);
    s.setResolution(640, 360);
    EXPECT_EQ(s.getWidth(), 640);
    EXPECT_EQ(s.getViewportWidth(), 1280);
    EXPECT_EQ(s.getViewportY(), 152);
    s.updateViewport();
    EXPECT_EQ(s.getViewportWidth(), 640);
    EXPECT_EQ(s.getViewportY(), 0);
}

TEST(EngineState, AverageFpsUsesMilliseconds)
{
    VLMPulsvek::loopStartMs = 1000;
    VLMPulsvek::frameCount = 30;
    EXPECT_FLOAT_EQ(getAverageFPS(1000), 0.0f);   // no time has passed
    EXPECT_FLOAT_EQ(getAverageFPS(1500), 60.0f);  // under one second
    EXPECT_FLOAT_EQ(getAverageFPS(3000), 15.0f);
    VLMPulsvek::loopStartMs = 0;
    VLMPulsvek::frameCount = 0;
}

TEST(EngineState, IncludedFilesAreKeptOnceInOrder)
{
    VLMPulsvek::includedFiles.clear();
    addIncludedFile("common.glsl");
    addIncludedFile("noise.glsl");
    addIncludedFile("common.glsl");
    addIncludedFile("Common.glsl");
    EXPECT_EQ(VLMPulsvek::includedFiles,
              (std::vector<std::string>{"common.glsl", "noise.glsl", "Common.glsl"}));
    VLMPulsvek::includedFiles.clear();
}

TEST(EngineState, SyscamExistsWithIdentityView)
{
    ASSERT_NE(VLMPulsvek::syscam, nullptr);
    EXPECT_EQ(VLMPulsvek::syscam->getName(), "syscam");
    EXPECT_EQ(VLMPulsvek::syscam->getViewMatrix(), glm::mat4(1.0f));
}

TEST(EngineState, ShowRunsFromZeroTo99Minutes)
{
    EXPECT_EQ(VLMPulsvek::startTime.getTotalMs(), 0u);
    EXPECT_EQ(VLMPulsvek::endTime.getTotalMs(), 5940000u);
    EXPECT_TRUE(VLMPulsvek::endTime.isValid());
}

TEST(EngineState, OnlyAnEscapePressQuits)
{
    struct Case {
        int key, action;
        bool quits;
    } cases[] = {
        {GLFW_KEY_ESCAPE, GLFW_PRESS, true},
        {GLFW_KEY_ESCAPE, GLFW_RELEASE, false},
        {GLFW_KEY_ENTER, GLFW_PRESS, false},  // 257: Escape's code in the old key table
        {GLFW_KEY_SPACE, GLFW_PRESS, false},
        {GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS, false},
    };
    Demo demo(0, nullptr);
    for (const Case& c : cases) {
        setQuitFlag(false);
        inputCallback(c.key, c.action);
        EXPECT_EQ(getQuitFlag(), c.quits) << c.key << "/" << c.action;
    }
    setQuitFlag(false);
}

TEST(EngineState, NoDemoNoReaction)
{
    ASSERT_EQ(VLMPulsvek::currentDemo, nullptr);
    inputCallback(GLFW_KEY_ESCAPE, GLFW_PRESS);
    EXPECT_FALSE(getQuitFlag());
}
