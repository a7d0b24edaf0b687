// The Demo object's start-up, frame loop and shutdown with a window of its
// own, on a clock whose time the test sets frame by frame; and the show run
// that every program starts with.

#include "engine/render/Engine.h"
#include "engine/render/Geometry.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/ShaderCache.h"
#include "engine/runtime/Demo.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/ProgressBar.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/Rows.h"
#include "engine/runtime/Show.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/Timer.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackFile.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"
#include "engine/runtime/VLMIO.h"
#include "util/Log.h"

#include "support/Capture.h"
#include "support/DisplayHold.h"
#include "support/GLDrivers.h"
#include "support/TempDir.h"

#include <GLFW/glfw3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// The X server stays up from the first show to the last.
[[maybe_unused]] ::testing::Environment* const displayHold =
    ::testing::AddGlobalTestEnvironment(new testsupport::DisplayHold());

int fakeMs = 0;
double fakeTime()
{
    return fakeMs / 1000.0;
}

// What the probe saw and what it does after drawing frame i (0 based).
std::vector<int> drawnTimes;
std::vector<int> postDrawnTimes;
std::function<void(int frame)> afterDraw;

class Probe : public Effect {
public:
    Effect* clone() override { return new Probe(); }
    void draw(int timeMs, int, FBO*) override
    {
        drawnTimes.push_back(timeMs);
        if (afterDraw)
            afterDraw(static_cast<int>(drawnTimes.size()) - 1);
    }
    void postDraw(int timeMs) override { postDrawnTimes.push_back(timeMs); }
};

class ProbeShow : public ResourceDefinition {
public:
    explicit ProbeShow(const std::string& end) : end(end) {}
    void configure(ScreenSettings*) override
    {
        VLMPulsvek::startTime.parse("00:00:000");
        VLMPulsvek::endTime.parse(end);
    }
    void defineEffects() override { registerEffect("Probe", new Probe()); }
    void defineEffectInstances() override { createEffectInstance("Probe", "probe", true); }

private:
    std::string end;
};

class DemoLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        savedShaders = VLMIO::shaderFolder;
        savedTracks = VLMIO::trackFolder;
        VLMIO::shaderFolder = dir.path() + "/";
        VLMIO::trackFolder = dir.path() + "/";
        const std::string shaders = std::string(PULSVEK_SOURCE_DIR) + "/tests/production/resources/shaders/";
        for (const char* name : {"default_Progress.vert", "default_Progress.frag"})
            std::filesystem::copy_file(shaders + name, dir.file(name));

        TrackManager manager;
        TrackEntry* entry = new TrackEntry("probe");
        TrackStartStop* run = new TrackStartStop(0);
        run->addKeyframe(new StartStopKeyframe(0, 1));
        run->addKeyframe(new StartStopKeyframe(100000, 0));
        entry->setStartStop(run);
        manager.addEntry(entry);
        ASSERT_TRUE(TrackFile(dir.path()).saveIndex(&manager));
    }
    void TearDown() override
    {
        VLMIO::shaderFolder = savedShaders;
        VLMIO::trackFolder = savedTracks;
        VLMPulsvek::startTime = TimeCode(0, 0, 0);
        VLMPulsvek::endTime = TimeCode(VLMPulsvek::SHOW_MINUTES, 0, 0);
        setQuitFlag(false);
        afterDraw = nullptr;
    }

    // Before a run: the probe has seen nothing, the clock is at 0.
    static void prepareRun()
    {
        // Each run builds the shared meshes anew for its own context; those of
        // an earlier run stay reachable here (their GL objects died with it).
        static std::vector<VAO*>* earlierMeshes = new std::vector<VAO*>();
        for (VAO* mesh : {Geometry::screenQuad, Geometry::quad, Geometry::quadLines, Geometry::cubeMesh})
            if (mesh)
                earlierMeshes->push_back(mesh);
        drawnTimes.clear();
        postDrawnTimes.clear();
        fakeMs = 0;
        setQuitFlag(false);
    }

    // The same clock as the loader's, on the test's time.
    static void useFakeClock()
    {
        delete VLMPulsvek::timer;
        VLMPulsvek::timer = new Timer(VLMPulsvek::ROWS_PER_SECOND, fakeTime);
        VLMPulsvek::timer->init();
    }

    // Runs the whole show on the fake clock; returns its log.
    std::vector<std::string> runShow(const std::string& end)
    {
        prepareRun();
        ScreenSettings settings;
        settings.setResolution(160, 90);
        settings.setFullscreen(false);
        ProbeShow show(end);
        VLMPulsvek::resources = &show;
        testsupport::StdoutCapture capture;
        {
            Demo demo(0, nullptr);

            EXPECT_TRUE(demo.init(&settings, 0));
            testsupport::pinGLDrivers();
            EXPECT_TRUE(demo.isOk());
            useFakeClock();
            demo.setCallbacks();
            frames = VLMPulsvek::frameCount;
            demo.run();
            frames = VLMPulsvek::frameCount - frames;
            demo.shutdown();
        }
        VLMPulsvek::resources = nullptr;
        return capture.lines();
    }

    testsupport::TempDir dir;
    unsigned int frames = 0;

private:
    std::string savedShaders, savedTracks;
};

bool hasLine(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& l : lines)
        if (l == line)
            return true;
    return false;
}

TEST_F(DemoLoopTest, TheFrameAfterTheEndTimeIsTheLast)
{
    const int times[] = {50, 100, 101, 200, 300};
    afterDraw = [&times](int frame) { fakeMs = times[frame]; };
    const std::vector<std::string> lines = runShow("00:00:100");
    // 100 equals the end and goes on; 101 ends the show after its frame.
    EXPECT_EQ(drawnTimes, (std::vector<int>{0, 50, 100, 101}));
    EXPECT_EQ(postDrawnTimes, drawnTimes);
    EXPECT_EQ(frames, 4u);
    EXPECT_TRUE(hasLine(lines, "Duration : (0000000200)-[00:00:200]"));
    EXPECT_TRUE(hasLine(lines, "[Application End]"));
}

TEST_F(DemoLoopTest, EscapePressedEndsTheShowAfterThatFrame)
{
    struct Case {
        const char* what;
        int key;
        int action;
        size_t frames;
    } const cases[] = {
        {"Escape pressed", GLFW_KEY_ESCAPE, 1, 3},
        {"Escape released", GLFW_KEY_ESCAPE, 0, 9},
        {"another key", GLFW_KEY_ENTER, 1, 9},
        {"a mouse button", GLFW_MOUSE_BUTTON_1, 1, 9},
    };
    for (const Case& c : cases) {
        const Case* current = &c;
        afterDraw = [current](int frame) {
            fakeMs += 10;
            if (frame == 2)
                inputCallback(current->key, current->action);
        };
        // The end time stops the cases that go on, at the frame of 80 ms.
        const std::vector<std::string> lines = runShow("00:00:070");
        std::string log;
        for (const std::string& line : lines)
            log += line + "\n";
        EXPECT_EQ(drawnTimes.size(), c.frames) << c.what << "\n" << log;
        EXPECT_EQ(postDrawnTimes.size(), c.frames) << c.what << ": the frame of the key is completed";
    }
}

// The pieces of a show run that tell what happened to them.
class RecordedCache : public ShaderCache {
public:
    explicit RecordedCache(std::vector<std::string>* steps) : steps(steps) {}
    ~RecordedCache() override { steps->push_back("cache deleted"); }

private:
    std::vector<std::string>* steps;
};

class RecordedShow : public ProbeShow {
public:
    RecordedShow(const std::string& end, std::vector<std::string>* steps) : ProbeShow(end), steps(steps) {}
    ~RecordedShow() override
    {
        steps->push_back(VLMPulsvek::currentDemo ? "resources deleted" : "resources deleted after the demo");
    }

private:
    std::vector<std::string>* steps;
};

TEST_F(DemoLoopTest, ShowRunMakesItsPartsInOrderAndCallsItsHooksAroundTheLoop)
{
    struct Case {
        const char* what;
        bool trackData;  // false: the start fails reading it
        bool runAgrees;  // what the hook after the loop answers
        bool ok;
        std::vector<std::string> steps;
    } const cases[] = {
        {"a good run", true, true, true,
         {"cache, after the demo and the bar", "resources, after the cache", "started", "ran 4 frames",
          "resources deleted after the demo", "cache deleted"}},
        {"the hook after the loop disagrees", true, false, false,
         {"cache, after the demo and the bar", "resources, after the cache", "started", "ran 4 frames",
          "resources deleted after the demo", "cache deleted"}},
        {"a failed start", false, true, false,
         {"cache, after the demo and the bar", "resources, after the cache", "failed", "ran 0 frames",
          "resources deleted after the demo", "cache deleted"}},
    };
    for (const Case& c : cases) {
        prepareRun();
        VLMIO::trackFolder = dir.path() + (c.trackData ? "/" : "/none/");
        afterDraw = [](int) { fakeMs += 50; };
        std::vector<std::string> steps;
        ShowParts parts;
        parts.makeShaderCache = [&steps] {
            steps.push_back(VLMPulsvek::currentDemo && VLMPulsvek::progressBar ? "cache, after the demo and the bar"
                                                                              : "cache");
            return new RecordedCache(&steps);
        };
        parts.makeResources = [&steps] {
            steps.push_back(VLMPulsvek::shaderCache ? "resources, after the cache" : "resources");
            return new RecordedShow("00:00:100", &steps);
        };
        parts.afterStart = [&steps](bool started) {
            steps.push_back(started ? "started" : "failed");
            if (started)
                useFakeClock();
        };
        parts.afterRun = [&steps, &c] {
            steps.push_back("ran " + std::to_string(drawnTimes.size()) + " frames");
            vlm::logLine("after the loop");
            return c.runAgrees;
        };
        ScreenSettings settings;
        settings.setResolution(160, 90);
        settings.setFullscreen(false);
        testsupport::StdoutCapture capture;
        const bool ok = ::runShow(0, nullptr, settings, 0, parts);
        const std::vector<std::string> lines = capture.lines();

        EXPECT_EQ(ok, c.ok) << c.what;
        EXPECT_EQ(steps, c.steps) << c.what;
        EXPECT_EQ(VLMPulsvek::resources, nullptr) << c.what;
        EXPECT_EQ(VLMPulsvek::shaderCache, nullptr) << c.what;
        EXPECT_EQ(VLMPulsvek::currentDemo, nullptr) << c.what;
        // The hook after the loop comes before the shutdown, which still ends the log.
        const auto hook = std::find(lines.begin(), lines.end(), "after the loop");
        const auto shutdown = std::find(lines.begin(), lines.end(), "[Shutting Down]");
        EXPECT_LT(hook, shutdown) << c.what;
        ASSERT_FALSE(lines.empty()) << c.what;
        EXPECT_EQ(lines.back(), "[Application End]") << c.what;
    }
}

}
