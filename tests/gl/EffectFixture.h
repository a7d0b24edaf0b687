#pragma once
// Helpers of the effect tests: the show's shaders from content/shaders, solid
// test pictures, constant tracks, and read-backs of uniforms, bindings and pixels.

#include "RenderFixture.h"

#include "engine/render/Texture.h"
#include "engine/runtime/Effect.h"

#include <map>
#include <memory>
#include <string>

namespace effecttest {

using rendertest::RGBA;

// content/shaders/<base>.vert and .frag, prepared.
std::unique_ptr<Shader> showShader(const std::string& base);

// A w x h RGBA8 picture of one colour (bytes).
std::unique_ptr<Texture> solid(int r, int g, int b, int a, int w = 4, int h = 4);

// The effect's track of that name holds value from row 0 on (replacing what it held there).
void setTrack(Effect& effect, const std::string& name, float value);

// Active uniforms by name with their GL types.
std::map<std::string, GLenum> activeUniforms(const Shader& shader);
int samplerUnit(const Shader& shader, const std::string& name);
float uniformFloat(const Shader& shader, const std::string& name, int component = 0);
// The texture bound to target on the unit.
GLuint boundTexture(int unit, GLenum target);

// One pixel of colour texture 0 of fbo.
RGBA fboPixel(FBO* fbo, int x, int y);
// Writes colour texture 0 of fbo as a PNG (for looking at it).
void savePng(FBO* fbo, const std::string& path);

// A colour framebuffer of the given size, with depth when asked, cleared.
std::unique_ptr<FBO> target(int w, int h, bool depth, float r, float g, float b, float a);
void clearFbo(FBO* fbo, float r, float g, float b, float a);

// Builds the shared meshes once.
void ensureGeometry();

// Base of the effect tests: the rendering tests' checks, and the shared meshes.
// Subclasses build their effect in setUpEffect, which runs only with GL.
class EffectGLTest : public rendertest::GLTest {
protected:
    void SetUp() override;
    virtual void setUpEffect() = 0;
};

}
