// Development runner (not the shipped program): the show with a chosen load
// mode, window size, start and end time, saving the screen at given times.
//
//   devrun [--mode 0|1] [--size WxH] [--fullscreen] [--start T] [--end T]
//          [--shot T file.png]... [--still] [--every S] [--stats] [--stats-from T]
//
// T is seconds ("83.5") or a time code ("01:23:500"). --mode 1 (the default,
// as shipped) reads "resources.7z", 0 the "resources/" folders, from the
// working directory. A shot saves the first frame whose time is T or later;
// after each shot the clock jumps to the next one (so that frame shows that
// moment, however slow the frames are), and without --end the show ends after
// the last. With --still the clock stands still at each shot's moment, so
// that the saved frame shows exactly T (for comparisons of pictures); it runs
// on after the last shot. --every S draws one frame every S seconds of show
// time (the clock jumps ahead after each frame), to pass over the whole
// timeline quickly; with --still as well the clock stands between the steps,
// so that every run draws the same moments. --stats prints, at the end, the time from the start of
// the program to the first frame, the median and 90th percentile of the
// frame times, the allocations (operator new) per frame after the first 20
// frames (or from --stats-from on, when that is later), the program's own apart from the libraries' (the GL driver's shader
// compiler allocates so as well), and the resident memory at the first and
// the last frame (with the environment variable DEVRUN_FRAMES set, every frame
// time as well). --stats-from T takes the median and p90 over the frames from
// show time T on instead of after the first 20 frames (so that a run can warm
// up first). With
// DEVRUN_SPLIT set the runner waits for the GL after each pass of a frame (each
// effect, the parts of the drive, the buffer clears, the swap) and prints the
// median time of each pass after the first 20 frames; the waits slow the
// frames down, so frame times are measured without it. Exit
// status 1 when the start failed or a picture could not be saved.

#include "demo/DemoResources.h"
#include "engine/render/FBO.h"
#include "engine/render/ScreenSettings.h"
#include "demo/DemoShaderCache.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/Rows.h"
#include "engine/runtime/Show.h"
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

#include <dlfcn.h>
#include <execinfo.h>

#include <new>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// Counts every operator new. In steady frames (once attributing is set) each
// one is also put down to the program's own code or to a library: the GL
// driver's shader compiler (LLVM, C++) allocates through operator new too.
std::atomic<long> allocations{0};
std::atomic<long> libraryAllocations{0};
std::atomic<bool> attributing{false};

}

#ifndef __SANITIZE_ADDRESS__
namespace {

thread_local bool inAttribution = false;

// The object file a code address lies in.
const char* objectOf(void* address)
{
    Dl_info info;
    return dladdr(address, &info) && info.dli_fname ? info.dli_fname : "";
}

enum Owner : uint64_t { UNKNOWN, SELF, RUNTIME, LIBRARY };

// Whose code an address is; cached by address, as dladdr is slow and a
// shader compile in the driver allocates hundreds of thousands of times.
Owner ownerOf(void* address)
{
    static const std::string self = objectOf(reinterpret_cast<void*>(&objectOf));
    // Direct-mapped: the address in the high bits, its owner in the low two.
    constexpr size_t SLOTS = 1 << 14;
    static std::atomic<uint64_t> cache[SLOTS];
    const auto key = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(address));
    std::atomic<uint64_t>& slot = cache[(key >> 2) % SLOTS];
    const uint64_t seen = slot.load(std::memory_order_relaxed);
    if ((seen >> 2) == key && (seen & 3) != UNKNOWN)
        return static_cast<Owner>(seen & 3);
    const char* object = objectOf(address);
    const Owner owner = std::strstr(object, "libstdc++") || std::strstr(object, "libgcc") ? RUNTIME
                        : self == object                                                 ? SELF
                                                                                         : LIBRARY;
    slot.store((key << 2) | owner, std::memory_order_relaxed);
    return owner;
}

// True when the first caller outside the C++ runtime is a library's code.
bool calledFromLibrary()
{
    void* frames[24];
    const int n = backtrace(frames, 24);
    // Frame 0 is this function, frame 1 operator new.
    for (int i = 2; i < n; ++i) {
        const Owner owner = ownerOf(frames[i]);
        if (owner != RUNTIME)
            return owner == LIBRARY;
    }
    return false;
}

}
#endif

// The sanitizers bring their own allocator: no count under them.
#ifndef __SANITIZE_ADDRESS__
// The replacements pair malloc with free; the compiler's check of matching
// new and delete does not see through them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    ++allocations;
    if (attributing && !inAttribution) {
        inAttribution = true;
        if (calledFromLibrary())
            ++libraryAllocations;
        inAttribution = false;
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
#endif

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point programStart = Clock::now();

// Resident memory in kB, from /proc.
long residentKb()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}

struct Shot {
    int ms;
    std::string file;
};

// Times of the passes of the frames, in the order they first came.
struct PassTimes {
    const char* name;
    std::vector<double> ms;
};
std::vector<PassTimes> passTimes;
Clock::time_point passClock;

void timePass(const char* pass)
{
    glFinish();
    const Clock::time_point now = Clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - passClock).count();
    passClock = now;
    if (VLMPulsvek::frameCount < 20)
        return;
    auto found = std::find_if(passTimes.begin(), passTimes.end(),
                              [&](const PassTimes& p) { return std::strcmp(p.name, pass) == 0; });
    if (found == passTimes.end()) {
        passTimes.push_back({pass, {}});
        found = passTimes.end() - 1;
        found->ms.reserve(1 << 16);
    }
    found->ms.push_back(ms);
}

void printPassTimes()
{
    std::string line;
    for (PassTimes& p : passTimes) {
        std::sort(p.ms.begin(), p.ms.end());
        char text[96];
        std::snprintf(text, sizeof text, "%s%s %.2f (%zu)", line.empty() ? "" : ", ", p.name,
                      p.ms[p.ms.size() / 2], p.ms.size());
        line += text;
    }
    vlm::logLine("devrun: pass medians in ms (frames): ", line.empty() ? "none" : line);
}

struct Options {
    int mode = 1;
    int width = 1280, height = 720;
    bool fullscreen = false;
    int startMs = -1;
    int endMs = -1;
    int everyMs = 0;
    bool stats = false;
    int statsFromMs = -1;
    bool still = false;
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
    FrameHook(const Options& options) : options(options), next(0), failed(false)
    {
        frameMs.reserve(1 << 20);
    }

    void draw(int, int, FBO*) override {}

    void postDraw(int timeMs) override
    {
        if (options.stats)
            measure(timeMs);
        if (options.everyMs > 0) {
            // With --still the clock stands between the steps, so that every
            // run draws the same moments.
            if (options.still)
                VLMPulsvek::timer->pause();
            VLMPulsvek::timer->setTimeMs(timeMs + options.everyMs);
        }
        if (next >= options.shots.size())
            return;
        const Shot& shot = options.shots[next];
        if (options.still && timeMs != shot.ms) {
            // Held at the moment: the next frame shows exactly it.
            VLMPulsvek::timer->pause();
            VLMPulsvek::timer->setTimeMs(shot.ms);
            return;
        }
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
            // The next frame then shows that moment, however long this one took.
            if (options.shots[next].ms > timeMs)
                VLMPulsvek::timer->setTimeMs(options.shots[next].ms);
        } else if (options.endMs < 0) {
            setQuitFlag(true);
        } else if (options.still) {
            VLMPulsvek::timer->play();
        }
    }

    bool ok() const { return !failed && next == options.shots.size(); }

    void printStats() const
    {
        if (frameMs.empty())
            return;
        const size_t skip = options.statsFromMs >= 0 ? firstMeasured : std::min<size_t>(frameMs.size() - 1, 20);
        vlm::logLine("devrun: first frame after ", firstFrameMs, " ms");
        if (skip < frameMs.size()) {
            std::vector<double> sorted(frameMs.begin() + skip, frameMs.end());
            std::sort(sorted.begin(), sorted.end());
            const double median = sorted[sorted.size() / 2];
            const double p90 = sorted[std::min(sorted.size() - 1, sorted.size() * 9 / 10)];
            vlm::logLine("devrun: ", frameMs.size() + 1, " frames, median ", median, " ms, p90 ", p90, " ms");
        }
#ifndef __SANITIZE_ADDRESS__
        const long steady = static_cast<long>(frameMs.size()) - countedFrom - 1;
        if (steady > 0 && attributing)
            vlm::logLine("devrun: ", static_cast<double>(steadyAllocations - steadyLibrary) / steady,
                         " allocations per frame over ", steady, " frames in the program's own code, ",
                         static_cast<double>(steadyLibrary) / steady, " in libraries (the GL driver)");
#endif
        vlm::logLine("devrun: resident ", firstKb, " kB at the first frame, ", residentKb(), " kB at the end");
        if (std::getenv("DEVRUN_FRAMES")) {
            std::string all;
            for (double ms : frameMs)
                all += std::to_string(static_cast<int>(ms)) + " ";
            vlm::logLine("devrun: frame times ", all);
        }
    }

private:
    // Frame times from one frame's end to the next; allocations after 20 frames.
    void measure(int timeMs)
    {
        if (options.statsFromMs >= 0 && timeMs < options.statsFromMs)
            firstMeasured = frameMs.size() + (frames > 0 ? 1 : 0);
        const Clock::time_point now = Clock::now();
        if (frames == 0) {
            firstFrameMs = std::chrono::duration<double, std::milli>(now - programStart).count();
            firstKb = residentKb();
        } else {
            frameMs.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        }
        // Counting starts after 20 frames, or with the first measured frame
        // when that comes later (the meshes' first draws make their vertex
        // arrays: a warm-up before it takes them out of the count).
        const bool measuring = options.statsFromMs < 0 || timeMs >= options.statsFromMs;
        if (!attributing && frames >= 20 && measuring) {
#ifndef __SANITIZE_ADDRESS__
            calledFromLibrary();  // its first call sets itself up
#endif
            allocationsAtCount = allocations.load();
            libraryAtCount = libraryAllocations.load();
            countedFrom = frames;
            attributing = true;
        }
        if (attributing && frames > countedFrom) {
            steadyAllocations = allocations.load() - allocationsAtCount;
            steadyLibrary = libraryAllocations.load() - libraryAtCount;
        }
        last = now;
        ++frames;
    }

    Clock::time_point last;
    long frames = 0;
    size_t firstMeasured = 0;
    long countedFrom = 20;
    double firstFrameMs = 0;
    long firstKb = 0;
    long allocationsAtCount = 0;
    long steadyAllocations = 0;
    long libraryAtCount = 0;
    long steadyLibrary = 0;
    std::vector<double> frameMs;

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
        } else if (a == "--still") {
            o.still = true;
        } else if (a == "--stats") {
            o.stats = true;
        } else if (a == "--stats-from" && value(1)) {
            o.stats = true;
            if ((o.statsFromMs = parseTime(argv[++i])) < 0)
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
                     "[--shot T file.png]... [--still] [--every S] [--stats] [--stats-from T]  (T: seconds or mm:ss:mmm)\n";
        return 2;
    }
    ilInit();

    ScreenSettings settings;
    settings.setResolution(options.width, options.height);
    settings.setFullscreen(options.fullscreen);

    std::unique_ptr<FrameHook> hook;
    ShowParts show;
    show.makeResources = [&options] { return new RunnerResources(options); };
    show.makeShaderCache = [] { return new DemoShaderCache(); };
    // Not the shipped program's title, so that tests looking for its window
    // never find a runner's.
    show.title = "Velmora Pulsvek development runner";
    show.afterStart = [&](bool started) {
        if (started && (!options.shots.empty() || options.everyMs > 0 || options.stats)) {
            // After every effect of the show; the entry owns its start/stop track.
            hook = std::make_unique<FrameHook>(options);
            TrackEntry* entry = new TrackEntry("devrun");
            TrackStartStop* always = new TrackStartStop(1 << 30);
            always->addKeyframePair(new StartStopKeyframe(0, 1), new StartStopKeyframe(VLMPulsvek::SHOW_END_ROW, 0));
            entry->setStartStop(always);
            entry->setEffect(hook.get());
            VLMPulsvek::tracks->addEntry(entry);
            VLMPulsvek::tracks->buildEntryList();
            VLMPulsvek::tracks->renumberPriorities();
        }
        if (std::getenv("DEVRUN_SPLIT")) {
            passTimes.reserve(64);
            passClock = Clock::now();
            VLMPulsvek::passListener = timePass;
        }
    };
    show.afterRun = [&] {
        VLMPulsvek::passListener = nullptr;
        if (std::getenv("DEVRUN_SPLIT"))
            printPassTimes();
        const bool shotsOk = !hook || hook->ok();
        if (hook && options.stats)
            hook->printStats();
        return shotsOk;
    };
    return runShow(argc, argv, settings, options.mode, show) ? 0 : 1;
}
