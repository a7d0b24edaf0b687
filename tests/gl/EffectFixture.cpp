#include "EffectFixture.h"

#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/runtime/TrackInterpolate.h"
#include "support/ImageFiles.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace effecttest {

namespace {

std::string readSource(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}

std::unique_ptr<Shader> showShader(const std::string& base)
{
    const std::string dir = std::string(PULSVEK_SOURCE_DIR) + "/content/shaders/";
    return rendertest::makeShader(base, readSource(dir + base + ".vert"),
                                  readSource(dir + base + ".frag"));
}

std::unique_ptr<Texture> solid(int r, int g, int b, int a, int w, int h)
{
    std::vector<unsigned char> data;
    for (int i = 0; i < w * h; ++i)
        data.insert(data.end(), {static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                 static_cast<unsigned char>(b), static_cast<unsigned char>(a)});
    return std::make_unique<Texture>(w, h, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
}

void setTrack(Effect& effect, const std::string& name, float value)
{
    for (int i = 0; i < effect.getTrackCount(); ++i) {
        TrackInterpolate* track = effect.getTrack(i);
        if (track->getName() == name) {
            track->addKeyframe(new Keyframe(0, 3, value));
            return;
        }
    }
    ADD_FAILURE() << "no track " << name;
}

std::map<std::string, GLenum> activeUniforms(const Shader& shader)
{
    std::map<std::string, GLenum> out;
    GLint count = 0;
    glGetProgramiv(shader.getProgramId(), GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[128];
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(shader.getProgramId(), static_cast<GLuint>(i), sizeof name, &length,
                           &size, &type, name);
        out[std::string(name, static_cast<size_t>(length))] = type;
    }
    return out;
}

int samplerUnit(const Shader& shader, const std::string& name)
{
    GLint unit = -1;
    glGetUniformiv(shader.getProgramId(), glGetUniformLocation(shader.getProgramId(), name.c_str()),
                   &unit);
    return unit;
}

float uniformFloat(const Shader& shader, const std::string& name, int component)
{
    GLfloat v[16] = {};
    glGetUniformfv(shader.getProgramId(), glGetUniformLocation(shader.getProgramId(), name.c_str()), v);
    return v[component];
}

GLuint boundTexture(int unit, GLenum target)
{
    const GLenum binding = target == GL_TEXTURE_1D ? GL_TEXTURE_BINDING_1D : GL_TEXTURE_BINDING_2D;
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    GLint id = 0;
    glGetIntegerv(binding, &id);
    glActiveTexture(GL_TEXTURE0);
    return static_cast<GLuint>(id);
}

RGBA fboPixel(FBO* fbo, int x, int y)
{
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo->getId());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    const RGBA p = rendertest::pixel(x, y);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    return p;
}

void savePng(FBO* fbo, const std::string& path)
{
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo->getId());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    const int w = fbo->getWidth();
    const int h = fbo->getHeight();
    std::vector<unsigned char> rows = testsupport::readPixels(0, 0, w, h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    testsupport::Bytes topDown;
    for (int y = h - 1; y >= 0; --y)
        topDown.insert(topDown.end(), rows.begin() + y * w * 4, rows.begin() + (y + 1) * w * 4);
    std::ofstream(path, std::ios::binary) << testsupport::makePngRgb(w, h, 4, topDown);
}

void clearFbo(FBO* fbo, float r, float g, float b, float a)
{
    fboBind(fbo);
    rendertest::clearTo(r, g, b, a);
}

std::unique_ptr<FBO> target(int w, int h, bool depth, float r, float g, float b, float a)
{
    auto fbo = std::make_unique<FBO>(w, h, depth, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    clearFbo(fbo.get(), r, g, b, a);
    return fbo;
}

void ensureGeometry()
{
    if (!Geometry::quad)
        Geometry::init();
}

void EffectGLTest::SetUp()
{
    rendertest::GLTest::SetUp();
    if (IsSkipped())
        return;
    ensureGeometry();
    setUpEffect();
}

}
