// The drive at 1280x720: sky box into its 1024x576 buffer and the blit, road
// and terrain, the car in the chase view, the scenery sprites, road and terrain
// again into the 256x128 mirror, the pool's clears and the swap. Frames advance
// 16 ms each, so the window moves a row every few frames as in the show.
// Reports the median and p90 frame time (each frame bracketed by glFinish, as
// the floor measures) and the allocations made per frame once warm.
// Compare with ../shared/bench/floor.sh 1280 720 7 in the same session.

#include "engine/render/FBO.h"
#include "engine/render/Texture.h"
#include "engine/runtime/DataTexturePool.h"
#include "platform/Glfw27.h"
#include "support/Capture.h"
#include "support/DriveScene.h"
#include "support/GLContext.h"

#include <GL/glew.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

std::atomic<long> allocations{0};

}

// The replacements pair malloc with free; the compiler's check of matching
// new and delete does not see through them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    operator delete(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

const int WIDTH = 1280;
const int HEIGHT = 720;
const int WARM_UP = 20;

bool windowReady()
{
    static const bool ready = testsupport::openHiddenContext(WIDTH, HEIGHT);
    return ready;
}

double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void BM_DriveFrame1280x720(benchmark::State& state)
{
    if (!windowReady()) {
        state.SkipWithError("no OpenGL 3.2 context");
        return;
    }
    testsupport::DriveOptions options;
    options.targetWidth = WIDTH;
    options.targetHeight = HEIGHT;
    options.skyboxWidth = 1024;
    options.skyboxHeight = 576;
    options.tileSize = 64;
    options.cubeSize = 256;
    // PULSVEK_BENCH_SHOW_RESOURCES=<build>/show/resources draws the show's own pictures and objects.
    if (const char* resources = std::getenv("PULSVEK_BENCH_SHOW_RESOURCES"))
        options.resourceFolder = resources;
    testsupport::DriveScene drive(options);
    drive.setShowTracks(static_cast<float>(state.range(0)));
    drive.init();
    // PULSVEK_BENCH_ANISOTROPY=n measures the tiles at another anisotropy than init's 1.
    if (const char* anisotropy = std::getenv("PULSVEK_BENCH_ANISOTROPY")) {
        for (const char* name : {"tiles1", "roadtiles"}) {
            Texture* tiles = VLMPulsvek::textureDataPool->getTexture(name);
            tiles->bind();
            glTexParameterf(tiles->getTarget(), GL_TEXTURE_MAX_ANISOTROPY_EXT,
                            std::max(1.0f, static_cast<float>(std::atof(anisotropy))));
            tiles->unbind();
        }
    }

    int timeMs = 60000;
    auto frame = [&] {
        drive.draw(timeMs);
        drive.endFrame();
        glfw27::swapBuffers();
        timeMs += 16;
    };
    for (int i = 0; i < WARM_UP; ++i)
        frame();
    glFinish();

    std::vector<double> times;
    times.reserve(4096);
    long allocated = 0;
    for (auto _ : state) {
        const double t0 = nowMs();
        const long before = allocations.load(std::memory_order_relaxed);
        frame();
        allocated += allocations.load(std::memory_order_relaxed) - before;
        glFinish();
        const double t = nowMs() - t0;
        times.push_back(t);
        state.SetIterationTime(t / 1000.0);
    }
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    state.counters["median_ms"] = n ? (times[(n - 1) / 2] + times[n / 2]) / 2 : 0;
    state.counters["p90_ms"] = n ? times[std::min(n - 1, (9 * n + 9) / 10 - 1)] : 0;
    state.counters["allocs_per_frame"] = n ? static_cast<double>(allocated) / static_cast<double>(n) : 0;
    state.counters["gl_error"] = static_cast<double>(testsupport::drainGLErrors());
}

// Argument: the camera mode (1 chase view with the car, 0 driver's view).
BENCHMARK(BM_DriveFrame1280x720)->Arg(1)->Arg(0)->UseManualTime()->Iterations(100)->Unit(benchmark::kMillisecond);

}
