#include "BenchContext.h"

#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Shader.h"
#include "engine/render/VAO.h"
#include "support/GLContext.h"

#include <GL/glew.h>

#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>

namespace {

std::unique_ptr<Shader> placedShader()
{
    auto shader = std::make_unique<Shader>("bench");
    shader->setVertexSource(
        "#version 150\nin vec3 in_Position;\nin vec2 in_UV0;\nuniform vec2 scale;\n"
        "uniform vec2 pos;\nuniform vec4 tintOfTheBenchmarkQuad;\nout vec4 c;\n"
        "void main() { c = tintOfTheBenchmarkQuad * in_UV0.x; "
        "gl_Position = vec4(pos + in_Position.xy * scale, 0.0, 1.0); }\n");
    shader->setFragmentSource("#version 150\nin vec4 c;\nout vec4 color;\nvoid main() { color = c; }\n");
    std::cout.setstate(std::ios::failbit);  // the uniform listing
    shader->prepare();
    std::cout.clear();
    return shader;
}

// The production's overlay pattern: the same small mesh drawn many times with one
// shader, with its uniforms set by name each time.
void BM_QuadDrawsWithOneShader(benchmark::State& state)
{
    if (!benchGLReady()) {
        state.SkipWithError("no OpenGL 3.2 context");
        return;
    }
    auto shader = placedShader();
    FBO target(16, 16, false, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    fboBind(&target);
    const int binds = renderStats.vaoBinds;
    const int switches = Shader::programSwitches;
    const glm::vec2 scale(0.1f, 0.1f);
    for (auto _ : state) {
        Geometry::quad->bind(shader.get());
        shader->setVec2fv("scale", &scale.x);
        shader->setVec2("pos", glm::vec2(0.0f, 0.0f));
        shader->setFloat4("tintOfTheBenchmarkQuad", 1.0f, 0.5f, 0.25f, 1.0f);
        Geometry::quad->draw();
    }
    glFinish();
    state.counters["vaoBinds"] = renderStats.vaoBinds - binds;
    state.counters["programSwitches"] = Shader::programSwitches - switches;
    fboBind(nullptr);
}
BENCHMARK(BM_QuadDrawsWithOneShader);

// Two meshes in turn with one shader: a vertex-array bind for every draw.
void BM_AlternatingMeshes(benchmark::State& state)
{
    if (!benchGLReady()) {
        state.SkipWithError("no OpenGL 3.2 context");
        return;
    }
    auto shader = placedShader();
    FBO target(16, 16, false, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    fboBind(&target);
    VAO* meshes[2] = {Geometry::quad, Geometry::screenQuad};
    int i = 0;
    for (auto _ : state) {
        VAO* mesh = meshes[i++ & 1];
        mesh->bind(shader.get());
        mesh->draw();
    }
    glFinish();
    fboBind(nullptr);
}
BENCHMARK(BM_AlternatingMeshes);

// A frame's worth of framebuffer switches with the per-frame clear.
void BM_FramebufferSwitchAndClear(benchmark::State& state)
{
    if (!benchGLReady()) {
        state.SkipWithError("no OpenGL 3.2 context");
        return;
    }
    FBO a(16, 16, true, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    FBO b(16, 16, true, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    for (auto _ : state) {
        fboBind(&a);
        fboMarkDirty(&a);
        fboBlitColor(&a, 0, &b, 0, GL_NEAREST);
        fboBindAndClear(&a);
        fboBindAndClear(&b);
        fboBind(nullptr);
    }
    glFinish();
}
BENCHMARK(BM_FramebufferSwitchAndClear);

}
