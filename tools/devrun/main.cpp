// Development runner (not the shipped program): the show with a chosen load
// mode, window size, start and end time, saving the screen at given times.
//
//   devrun [--mode 0|1] [--size WxH] [--fullscreen] [--start T] [--end T]
//          [--shot T file.png]... [--every S]
//
// T is seconds ("83.5") or a time code ("01:23:500"). --mode 1 (the default,
// as shipped) reads "resources.7z", 0 the "resources/" folders, from the
// working directory. A shot saves the first frame whose time is T or later;
// after each shot the clock jumps ahead to the next one, and without --end the
// show ends after the last. --every S draws one frame every S seconds of show
// time (the clock jumps ahead after each frame), to pass over the whole
// timeline quickly. Exit status 1 when the start failed or a picture could
// not be saved.

#include "demo/DemoResources.h"
#include "engine/render/FBO.h"
#include "engine/render/ScreenSettings.h"
#include "demo/DemoShaderCache.h"
#include "engine/runtime/Demo.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/ProgressBar.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TimeCode.h"
#include "engine/runtime/Timer.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"
#include "engine/render/Engine.h"
#include "util/Log.h"

#include <GL/glew.h>
#include <IL/il.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Shot {
    int ms;
    std::string file;
};

struct Options {
    int mode = 1;
    int width = 1280, height = 720;
    bool fullscreen = false;
    int startMs = -1;
    int endMs = -1;
    int everyMs = 0;
    std::vector<Shot> shots;
};

// Seconds or minutes:seconds:milliseconds; -1 when it is neither.
int parseTime(const std::string& text)
{
    if (text.find(':') != std::string::npos) {
        TimeCode code;
        code.parse(text);
        return static_cast<int>(code.getTotalMs());
    }
    char* end = nullptr;
    const double s = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || s < 0)
        return -1;
    return static_cast<int>(s * 1000.0 + 0.5);
}

bool saveScreen(const std::string& file, int width, int height)
{
    std::vector<unsigned char> rows(static_cast<size_t>(width) * height * 3);
    fboBind(nullptr);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // GL rows come bottom-up, which is DevIL's lower-left origin.
    bool ok = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, rows.data()) == IL_TRUE;
    ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
    ok = ok && ilSave(IL_PNG, file.c_str()) == IL_TRUE;
    ilDeleteImages(1, &image);
    return ok;
}

// Runs after every other effect of the frame: saves the screen at the shot
// times and moves the clock on.
class FrameHook : public Effect {
public:
    FrameHook(const Options& options) : options(options), next(0), failed(false) {}

    void postDraw(int timeMs) override
    {
        if (options.everyMs > 0)
            VLMPulsvek::timer->setTimeMs(timeMs + options.everyMs);
        if (next >= options.shots.size())
            return;
        const Shot& shot = options.shots[next];
        if (timeMs < shot.ms)
            return;
        if (saveScreen(shot.file, options.width, options.height)) {
            vlm::logLine("devrun: saved ", shot.file, " at ", timeMs, " ms");
        } else {
            vlm::logLine("devrun: could not save ", shot.file);
            failed = true;
        }
        ++next;
        if (next < options.shots.size()) {
            if (options.shots[next].ms > timeMs + 50)
                VLMPulsvek::timer->setTimeMs(options.shots[next].ms);
        } else if (options.endMs < 0) {
            setQuitFlag(true);
        }
    }

    bool ok() const { return !failed && next == options.shots.size(); }

private:
    const Options& options;
    size_t next;
    bool failed;
};

// The production with the runner's start and end time.
class RunnerResources : public DemoResources {
public:
    explicit RunnerResources(const Options& options) : options(options) {}
    void configure(ScreenSettings* settings) override
    {
        DemoResources::configure(settings);
        if (options.startMs >= 0)
            VLMPulsvek::startTime.setMs(options.startMs);
        if (options.endMs >= 0)
            VLMPulsvek::endTime.setMs(options.endMs);
    }

private:
    const Options& options;
};

bool parseArgs(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](int n) { return i + n < argc; };
        if (a == "--mode" && value(1)) {
            o.mode = std::atoi(argv[++i]);
        } else if (a == "--size" && value(1)) {
            if (std::sscanf(argv[++i], "%dx%d", &o.width, &o.height) != 2 || o.width < 16 || o.height < 16)
                return false;
        } else if (a == "--fullscreen") {
            o.fullscreen = true;
        } else if (a == "--start" && value(1)) {
            if ((o.startMs = parseTime(argv[++i])) < 0)
                return false;
        } else if (a == "--end" && value(1)) {
            if ((o.endMs = parseTime(argv[++i])) < 0)
                return false;
        } else if (a == "--every" && value(1)) {
            if ((o.everyMs = parseTime(argv[++i])) <= 0)
                return false;
        } else if (a == "--shot" && value(2)) {
            const int ms = parseTime(argv[++i]);
            if (ms < 0)
                return false;
            o.shots.push_back({ms, argv[++i]});
        } else {
            return false;
        }
    }
    std::stable_sort(o.shots.begin(), o.shots.end(), [](const Shot& a, const Shot& b) { return a.ms < b.ms; });
    if (!o.shots.empty() && o.startMs < 0)
        o.startMs = o.shots.front().ms;
    return o.mode == 0 || o.mode == 1;
}

}

int main(int argc, char** argv)
{
    Options options;
    if (!parseArgs(argc, argv, options)) {
        std::cerr << "usage: devrun [--mode 0|1] [--size WxH] [--fullscreen] [--start T] [--end T] "
                     "[--shot T file.png]... [--every S]  (T: seconds or mm:ss:mmm)\n";
        return 2;
    }
    ilInit();

    ScreenSettings settings;
    settings.setResolution(options.width, options.height);
    settings.setFullscreen(options.fullscreen);

    Demo demo(argc, argv);
    VLMPulsvek::progressBar = new ProgressBar();
    VLMPulsvek::shaderCache = new DemoShaderCache();
    VLMPulsvek::resources = new RunnerResources(options);
    FrameHook* hook = nullptr;
    if (demo.init(&settings, options.mode) && (!options.shots.empty() || options.everyMs > 0)) {
        // After every effect of the show; the entry owns its start/stop track.
        hook = new FrameHook(options);
        TrackEntry* entry = new TrackEntry("devrun");
        TrackStartStop* always = new TrackStartStop(1 << 30);
        always->addKeyframePair(new StartStopKeyframe(0, 1), new StartStopKeyframe(99u * 60u * 20u, 0));
        entry->setStartStop(always);
        entry->setEffect(hook);
        VLMPulsvek::tracks->addEntry(entry);
        VLMPulsvek::tracks->buildEntryList();
        VLMPulsvek::tracks->renumberPriorities();
    }
    demo.setCallbacks();
    demo.run();
    const bool shotsOk = !hook || hook->ok();
    demo.shutdown();
    const bool ok = demo.isOk() && shotsOk;
    delete hook;

    delete VLMPulsvek::resources;
    VLMPulsvek::resources = nullptr;
    delete VLMPulsvek::shaderCache;
    VLMPulsvek::shaderCache = nullptr;
    return ok ? 0 : 1;
}
