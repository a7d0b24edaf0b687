// The show's effects per frame: the post chain (mipmaps of the scene, bright
// pass, two blur passes, the grading pass) at window sizes, and the dashboard,
// rain and titles. Each iteration ends with glFinish, so the times include the
// rasteriser's work.

#include "BenchContext.h"

#include "demo/DashboardEffect.h"
#include "demo/PostFilter.h"
#include "demo/PostProcessEffect.h"
#include "demo/RainEffect.h"
#include "demo/TitleEffect.h"
#include "engine/render/FBO.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/runtime/TrackInterpolate.h"

#include <GL/glew.h>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

// Processor time of every thread of the process (the rasteriser's too), in ms.
double processMs()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 +
           (use.ru_utime.tv_usec + use.ru_stime.tv_usec) * 1e-3;
}

double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs the frame in the benchmark loop. Reports the median frame time (as the
// floor benchmark does) and the work of all threads per frame, which load on the
// machine disturbs less than the elapsed time.
template <typename Frame>
void runFrames(benchmark::State& state, Frame frame)
{
    frame(0);
    glFinish();
    std::vector<double> times;
    times.reserve(100000);
    const double start = processMs();
    int t = 16;
    for (auto _ : state) {
        const double begin = nowMs();
        frame(t);
        t += 16;
        glFinish();
        times.push_back(nowMs() - begin);
    }
    state.counters["allThreadsMs"] = (processMs() - start) / static_cast<double>(state.iterations());
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    state.counters["medianMs"] = n == 0 ? 0.0 : (times[(n - 1) / 2] + times[n / 2]) / 2.0;
    fboBind(nullptr);
}

std::string source(const std::string& file)
{
    std::ifstream in(std::string(PULSVEK_SOURCE_DIR) + "/content/shaders/" + file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::unique_ptr<Shader> showShader(const std::string& base)
{
    auto shader = std::make_unique<Shader>(base);
    shader->setVertexSource(source(base + ".vert"));
    shader->setFragmentSource(source(base + ".frag"));
    std::cout.setstate(std::ios::failbit);  // the uniform listing
    shader->prepare();
    std::cout.clear();
    return shader;
}

// A picture with some structure, so that the samplers do real work.
std::unique_ptr<Texture> picture(int w, int h, bool alpha, bool mipmaps = true)
{
    std::vector<unsigned char> data(static_cast<size_t>(w) * h * 4);
    for (int i = 0; i < w * h; ++i) {
        data[i * 4] = static_cast<unsigned char>(i * 7);
        data[i * 4 + 1] = static_cast<unsigned char>(i / w * 3);
        data[i * 4 + 2] = static_cast<unsigned char>(i % w);
        data[i * 4 + 3] = alpha ? static_cast<unsigned char>((i % w) < w / 2 ? 0 : 255) : 255;
    }
    auto t = std::make_unique<Texture>(w, h, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    if (!mipmaps)
        return t;
    t->bind();
    glGenerateMipmap(GL_TEXTURE_2D);
    t->unbind();
    t->setFilter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    return t;
}

std::unique_ptr<FBO> frame(int w, int h, bool depth)
{
    auto fbo = std::make_unique<FBO>(w, h, depth, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    fboBindAndClear(fbo.get());
    return fbo;
}

void key(Effect& effect, const std::string& name, float value)
{
    for (int i = 0; i < effect.getTrackCount(); ++i)
        if (effect.getTrack(i)->getName() == name)
            effect.getTrack(i)->addKeyframe(new Keyframe(0, 3, value));
}

// The window's frame: "offscreen" and the screen stand-in of the same size.
void BM_PostChain(benchmark::State& state)
{
    if (!benchGLReady()) {
        state.SkipWithError("no OpenGL 3.2 context");
        return;
    }
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    auto post = showShader("PostProcess");
    auto glow = showShader("glow");
    auto blit = showShader("blit");
    // The sizes of the show's pictures.
    auto vignette = picture(1024, 576, false);
    auto gradient = picture(256, 1, false);
    auto noise = picture(256, 256, false, false);  // as the show declares it
    auto scene = frame(w, h, true);
    auto screen = frame(w, h, false);
    auto glow1 = frame(256, 256, false);
    auto glow2 = frame(256, 256, false);
    PostProcessEffect effect;
    effect.createTracks();
    effect.vignette = vignette.get();
    effect.gradient = gradient.get();
    effect.shadowMask = vignette.get();
    effect.noise = noise.get();
    effect.rearViewOverlay = vignette.get();
    effect.postShader = post.get();
    effect.source = scene.get();
    effect.glowShader = glow.get();
    effect.brightContrastShader = blit.get();
    effect.glow1 = glow1.get();
    effect.glow2 = glow2.get();
    effect.init();
    // Graded with glow, vignette and grain; the busiest moments add the RGB
    // separation, the distortion and a fade.
    for (const char* name : {"contrast", "img_contr", "colgrade_toggle", "palette_mix"})
        key(effect, name, 1.0f);
    key(effect, "palette", 1.5f);
    key(effect, "noise_strength", 0.1f);
    if (state.range(2) == 2) {
        key(effect, "rgb separation", 2.0f);
        key(effect, "distort_amount", 0.5f);
        key(effect, "fade", 0.2f);
    }
    if (state.range(2) != 1) {
        runFrames(state, [&](int t) { effect.draw(t, 16, screen.get()); });
        return;
    }
    // The glow chain alone: mipmaps of the scene, bright pass and the two blurs.
    runFrames(state, [&](int) {
        PostFilter::brightContrast(blit.get(), scene.get(), glow1.get());
        PostFilter::blurHorizontal(glow.get(), glow1.get(), glow2.get());
        PostFilter::blurVertical(glow.get(), glow2.get(), glow1.get());
    });
}
// Width, height, 0 = the whole pass, 1 = the glow chain alone, 2 = the whole pass at its busiest.
BENCHMARK(BM_PostChain)
    ->Args({1280, 720, 0})
    ->Args({1920, 1080, 0})
    ->Args({1280, 720, 1})
    ->Args({1920, 1080, 1})
    ->Args({1280, 720, 2})
    ->Args({1920, 1080, 2})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DashboardFrontView(benchmark::State& state)
{
    if (!benchGLReady()) {
        state.SkipWithError("no OpenGL 3.2 context");
        return;
    }
    const int w = 1280, h = 720;
    auto copy = showShader("Copy");
    auto dash = showShader("Dashboard");
    auto helmetShader = showShader("Helmet");
    auto speedo = showShader("speedometer");
    auto scroller = showShader("dashscroller");
    auto meters = showShader("Volummeters");
    auto overlay = picture(1280, 720, true);
    auto small = picture(512, 140, true);
    auto text = picture(4096, 58, true);
    auto scene = frame(w, h, true);
    auto scene2 = frame(w, h, false);
    auto mirror = frame(256, 128, true);
    auto screen = frame(w, h, false);
    DashboardEffect effect;
    effect.createTracks();
    effect.rearViewOverlay = overlay.get();
    effect.frontViewOverlay = overlay.get();
    effect.speedometerArrow = small.get();
    effect.mirrorMask = small.get();
    effect.scroller = text.get();
    effect.helmet = overlay.get();
    effect.helmetMask = overlay.get();
    effect.dashboardShader = dash.get();
    effect.copyShader = copy.get();
    effect.helmetShader = helmetShader.get();
    effect.mirror = mirror.get();
    effect.offscreen = scene.get();
    effect.offscreen2 = scene2.get();
    effect.speedometerShader = speedo.get();
    effect.scrollerShader = scroller.get();
    effect.meterShader = meters.get();
    effect.init();
    key(effect, "view_direction", static_cast<float>(state.range(0)));
    runFrames(state, [&](int t) { effect.draw(t, 16, screen.get()); });
}
// 1 = the cockpit, 2 = the helmet visor.
BENCHMARK(BM_DashboardFrontView)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Rain(benchmark::State& state)
{
    if (!benchGLReady()) {
        state.SkipWithError("no OpenGL 3.2 context");
        return;
    }
    auto shader = showShader("Rain");
    auto streaks = picture(512, 512, true);
    auto screen = frame(1280, 720, true);
    RainEffect effect;
    effect.createTracks();
    effect.rainTexture = streaks.get();
    effect.rainShader = shader.get();
    effect.init();
    runFrames(state, [&](int t) { effect.draw(t, 16, screen.get()); });
}
BENCHMARK(BM_Rain)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Titles(benchmark::State& state)
{
    if (!benchGLReady()) {
        state.SkipWithError("no OpenGL 3.2 context");
        return;
    }
    auto shader = showShader("Titles");
    auto background = picture(1280, 720, false);
    auto text = picture(1280, 720, true);
    auto scene = frame(1280, 720, true);
    auto scene2 = frame(1280, 720, false);
    auto screen = frame(1280, 720, false);
    TitleEffect effect;
    for (Texture*& b : effect.background)
        b = background.get();
    for (Texture*& x : effect.text)
        x = text.get();
    effect.createTracks();
    effect.titleShader = shader.get();
    effect.offscreen = scene.get();
    effect.offscreen2 = scene2.get();
    effect.init();
    // 0 = a picture background; 3 = the scene, through "offscreen2" and the copy.
    key(effect, "background_index", static_cast<float>(state.range(0)));
    key(effect, "fgzoom", 0.1f);
    runFrames(state, [&](int t) { effect.draw(t, 16, screen.get()); });
}
BENCHMARK(BM_Titles)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}
