#include "RenderFixture.h"


namespace rendertest {

void resetBindCaches()
{
    glUseProgram(0);
    Shader::currentProgram = 0;
    glBindVertexArray(0);
    renderStats.currentVAOId = 0;
    renderStats.currentVAOName.clear();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    FBO::currentFramebuffer = 0;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    testsupport::drainGLErrors();
}

std::unique_ptr<Shader> makeShader(const std::string& name, const std::string& vertex,
                                   const std::string& fragment, const std::string& geometry)
{
    auto shader = std::make_unique<Shader>(name);
    shader->setVertexSource(vertex);
    shader->setFragmentSource(fragment);
    if (!geometry.empty())
        shader->setGeometrySource(geometry);
    testsupport::StdoutCapture quiet;
    const bool built = shader->prepare();
    const std::string text = quiet.text();
    EXPECT_TRUE(built) << text;
    return shader;
}

GLint getInt(GLenum query)
{
    GLint value = 0;
    glGetIntegerv(query, &value);
    return value;
}

std::array<GLint, 4> viewport()
{
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

RGBA pixel(int x, int y)
{
    std::vector<unsigned char> p = testsupport::readPixels(x, y, 1, 1);
    return {p[0], p[1], p[2], p[3]};
}

RawTarget::RawTarget(int w, int h) : width(w), height(h)
{
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer);
    bind();
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glViewport(0, 0, w, h);
}

RawTarget::~RawTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &texture);
}

void RawTarget::bind() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void clearTo(float r, float g, float b, float a)
{
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void expectNear(const RGBA& got, const RGBA& want)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(got[i], want[i], 1) << "channel " << i;
}

const char* const coverVS =
    "#version 150\n"
    "void main() {\n"
    "  vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);\n"
    "  gl_Position = vec4(p, 0.0, 1.0);\n"
    "}\n";

void drawCover(Shader& shader)
{
    // Core profiles draw only with a vertex array bound; this one stays empty.
    static VertexArray* empty = new VertexArray("empty");
    shader.bind();
    empty->bind();
    glDrawArrays(GL_TRIANGLES, 0, 3);
}

void GLTest::SetUp()
{
    if (!testsupport::glAvailable())
        GTEST_SKIP() << "no OpenGL 3.2 context";
    resetBindCaches();
}

void GLTest::TearDown()
{
    if (!testsupport::glAvailable())
        return;
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
    resetBindCaches();
}

}
