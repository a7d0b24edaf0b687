#pragma once
// Helpers of the rendering tests: bind caches in step with GL, shaders from
// sources, a plain off-screen target, and pixel access.

#include "engine/render/Shader.h"
#include "engine/render/FBO.h"
#include "engine/render/VertexArray.h"
#include "support/Capture.h"
#include "support/GLContext.h"

#include <GL/glew.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace rendertest {

// Puts GL and the engine's binding records back to "nothing bound".
void resetBindCaches();

// A prepared shader; the test fails when it does not build. Its log lines are swallowed.
std::unique_ptr<Shader> makeShader(const std::string& name, const std::string& vertex,
                                   const std::string& fragment, const std::string& geometry = "");

GLint getInt(GLenum query);
std::array<GLint, 4> viewport();

using RGBA = std::array<int, 4>;
// One pixel of the bound read framebuffer.
RGBA pixel(int x, int y);

// An RGBA8 texture with a framebuffer around it, made with plain GL calls and
// left bound for drawing and reading.
class RawTarget {
public:
    RawTarget(int width, int height);
    ~RawTarget();
    void bind() const;
    GLuint framebuffer = 0;
    GLuint texture = 0;
    int width;
    int height;
};

// Clears colour, depth and stencil of the bound framebuffer.
void clearTo(float r, float g, float b, float a);

// Each channel within one step.
void expectNear(const RGBA& got, const RGBA& want);

// One triangle that covers the viewport, made from gl_VertexID alone.
extern const char* const coverVS;
// Draws coverVS's triangle with the shader (bound here) and no vertex buffers.
void drawCover(Shader& shader);

// Base of the rendering tests: skips without GL, starts with nothing bound and
// ends with no GL error pending (and nothing bound again).
class GLTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}
