#include "RenderFixture.h"

#include "engine/render/Engine.h"
#include "engine/render/Texture.h"

#include <glm/gtc/type_ptr.hpp>

#include <functional>
#include <iostream>
#include <set>

using rendertest::getInt;
using rendertest::makeShader;
using rendertest::pixel;
using rendertest::coverVS;
using rendertest::drawCover;
using rendertest::expectNear;
using rendertest::RGBA;

namespace {

const char* const redFS =
    "#version 150\nout vec4 color;\nvoid main() { color = vec4(1.0, 0.0, 0.0, 1.0); }\n";

struct Built {
    bool result;
    std::string out;
};

Built prepareCaptured(Shader& s)
{
    testsupport::StdoutCapture capture;
    const bool result = s.prepare();
    return {result, capture.text()};
}

GLint attachedShaders(GLuint program)
{
    GLint count = -1;
    glGetProgramiv(program, GL_ATTACHED_SHADERS, &count);
    return count;
}

GLuint parseRef(const std::string& dump, const std::string& key)
{
    const size_t at = dump.find(key + "=");
    return static_cast<GLuint>(std::stoul(dump.substr(at + key.size() + 1)));
}

}

class ShaderTest : public rendertest::GLTest {};

TEST_F(ShaderTest, BuildsAndListsItsUniforms)
{
    Shader s("tint");
    s.setVertexSource(coverVS);
    s.setFragmentSource(
        "#version 150\nuniform vec4 tint;\nuniform float gain;\nout vec4 color;\n"
        "void main() { color = tint * gain; }\n");
    const Built built = prepareCaptured(s);
    ASSERT_TRUE(built.result) << built.out;
    EXPECT_TRUE(s.isOk());
    EXPECT_EQ(s.getGlslVersion(), 150);
    std::vector<std::string> lines = testsupport::splitLines(built.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Shader tint");
    EXPECT_EQ(std::set<std::string>(lines.begin() + 1, lines.end()),
              (std::set<std::string>{"-> Uniform : tint", "-> Uniform : gain"}));
    EXPECT_NE(s.getProgramId(), 0u);
}

TEST_F(ShaderTest, VersionFailureMessage)
{
    for (const char* source : {"#VERSION 150\nvoid main(){}\n", "#version\n", "#version\t150\n",
                               "// first\n#version 150\n"}) {
        Shader s("bad");
        s.setVertexSource(source);
        s.setFragmentSource(redFS);
        const Built built = prepareCaptured(s);
        const std::string log =
            "Failed to read GLSL shader version\n"
            "The first line in the shader must contain a lower case #version definiton\n"
            "shader : bad\n";
        EXPECT_FALSE(built.result);
        EXPECT_FALSE(s.isOk());
        EXPECT_EQ(s.getLog(), log);
        EXPECT_EQ(built.out, log + "\n");
        EXPECT_EQ(s.getProgramId(), 0u);
    }
}

TEST_F(ShaderTest, CompileFailureMessages)
{
    const char* const broken = "#version 150\nvoid main() { this is not glsl }\n";
    const char* const passGS =
        "#version 150\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
        "void main() { for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; "
        "EmitVertex(); } }\n";
    struct Case {
        const char* vertex;
        const char* fragment;
        const char* geometry;
        std::string head;
    } cases[] = {
        {broken, redFS, "", "Error while compiling vertex shader\nShader: broken.vert\n"},
        {coverVS, broken, "", "Error while compiling fragment shader\nShader: broken.frag\n"},
        {coverVS, redFS, broken,
         "Error while compiling geometry shader\nShader: broken.geo\nMessage : "},
        // A geometry source of white space is not empty: it is compiled, and fails.
        {coverVS, redFS, "  \n",
         "Error while compiling geometry shader\nShader: broken.geo\nMessage : "},
        {coverVS, redFS, passGS, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        {
            Shader s("broken");
            s.setVertexSource(c.vertex);
            s.setFragmentSource(c.fragment);
            s.setGeometrySource(c.geometry);
            const Built built = prepareCaptured(s);
            if (c.head.empty()) {
                EXPECT_TRUE(built.result) << built.out;
                continue;
            }
            EXPECT_FALSE(built.result);
            EXPECT_FALSE(s.isOk());
            const std::string log = s.getLog();
            EXPECT_EQ(log.substr(0, c.head.size()), c.head);
            EXPECT_GT(log.size(), c.head.size()) << "the compiler's own message follows";
            EXPECT_EQ(built.out, log + "\n");
        }
        // Destroying a shader that never linked raises no GL error.
        EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(ShaderTest, LinkFailureReplacesTheLog)
{
    Shader s("pair");
    s.setVertexSource("#version 150\nvoid main() { oops }\n");
    // Compiles, but a stage without main does not link.
    s.setFragmentSource("#version 150\nout vec4 color;\nvoid helper() { color = vec4(1.0); }\n");
    prepareCaptured(s);
    ASSERT_NE(s.getLog(), "");
    s.setVertexSource(coverVS);
    const Built built = prepareCaptured(s);
    EXPECT_FALSE(built.result);
    EXPECT_FALSE(s.isOk());
    const std::string head = "Error while linking shader pair\nShader: pair\n";
    EXPECT_EQ(s.getLog().substr(0, head.size()), head);
    EXPECT_GT(s.getLog().size(), head.size());
    EXPECT_EQ(built.out, s.getLog() + "\n");
}

TEST_F(ShaderTest, CompileFailuresAppendOnARerun)
{
    Shader s("twice");
    s.setVertexSource("#version 150\nvoid main() { oops }\n");
    s.setFragmentSource(redFS);
    prepareCaptured(s);
    const std::string first = s.getLog();
    prepareCaptured(s);
    EXPECT_EQ(s.getLog(), first + first);
}

TEST_F(ShaderTest, RerunReleasesTheEarlierObjects)
{
    auto s = makeShader("again", coverVS, redFS);
    s->bind();
    const GLuint program = s->getProgramId();
    const GLuint vertex = parseRef(s->toString(), "vref");
    const GLuint fragment = parseRef(s->toString(), "fref");
    ASSERT_TRUE(glIsProgram(program));
    ASSERT_TRUE(prepareCaptured(*s).result);
    // The stages were detached before they were deleted, so they are gone at once.
    EXPECT_FALSE(glIsShader(vertex));
    EXPECT_FALSE(glIsShader(fragment));
    // The earlier program was current: GL keeps it in use, and its name taken, until
    // another program is bound, so the bind record still tells the truth.
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), static_cast<GLint>(program));
    EXPECT_EQ(Shader::currentProgram, program);
    GLint deleting = GL_FALSE;
    glGetProgramiv(program, GL_DELETE_STATUS, &deleting);
    EXPECT_EQ(deleting, GL_TRUE);
    const GLuint second = s->getProgramId();
    ASSERT_NE(second, program);
    s->bind();
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), static_cast<GLint>(second));
    EXPECT_FALSE(glIsProgram(program));
}

TEST_F(ShaderTest, StagesStayAttachedUntilTheShaderGoes)
{
    const char* const geometry =
        "#version 150\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
        "void main() {\n  for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); }\n"
        "  EndPrimitive();\n}\n";
    struct Case {
        const char* geometry;
        GLint stages;
    } const cases[] = {{"", 2}, {geometry, 3}};
    for (const Case& c : cases) {
        auto s = makeShader("kept", coverVS, redFS, c.geometry);
        const GLuint program = s->getProgramId();
        EXPECT_EQ(attachedShaders(program), c.stages);
        std::vector<GLuint> stages(static_cast<size_t>(c.stages));
        GLsizei count = 0;
        glGetAttachedShaders(program, c.stages, &count, stages.data());
        ASSERT_EQ(count, c.stages);

        // Deleted while current, the program lives on until another one is bound;
        // what it still holds shows what the destructor did with the stages.
        s->bind();
        const int switches = Shader::programSwitches;
        s.reset();
        EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), static_cast<GLint>(program)) << "no glUseProgram outside bind";
        EXPECT_EQ(Shader::currentProgram, program);
        GLint deleting = GL_FALSE;
        glGetProgramiv(program, GL_DELETE_STATUS, &deleting);
        EXPECT_EQ(deleting, GL_TRUE);
        EXPECT_EQ(attachedShaders(program), 0) << c.stages;
        for (GLuint stage : stages)
            EXPECT_FALSE(glIsShader(stage)) << stage;

        // A program made meanwhile cannot take the name, so binding it switches.
        auto next = makeShader("next", coverVS, redFS);
        EXPECT_NE(next->getProgramId(), program);
        next->bind();
        EXPECT_EQ(Shader::programSwitches - switches, 1);
        EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), static_cast<GLint>(next->getProgramId()));
        EXPECT_FALSE(glIsProgram(program));
    }
}

TEST_F(ShaderTest, BindIsCachedAndCounted)
{
    auto a = makeShader("a", coverVS, redFS);
    auto b = makeShader("b", coverVS, redFS);
    const int before = Shader::programSwitches;
    a->bind();
    a->bind();
    EXPECT_EQ(Shader::programSwitches - before, 1);
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), static_cast<GLint>(a->getProgramId()));
    b->bind();
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), static_cast<GLint>(b->getProgramId()));
    a->bind();
    EXPECT_EQ(Shader::programSwitches - before, 3);
    EXPECT_EQ(Shader::currentProgram, a->getProgramId());
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), static_cast<GLint>(a->getProgramId()));
}

TEST_F(ShaderTest, AttributesInLocationOrderWithoutBuiltIns)
{
    const std::string fragment =
        "#version 330\nflat in int id;\nin vec4 mix_;\nout vec4 color;\n"
        "void main() { color = mix_ + vec4(id); }\n";
    auto vertex = [](int position, int normal, int uv) {
        return "#version 330\n"
               "layout(location = " + std::to_string(uv) + ") in vec2 in_UV0;\n"
               "layout(location = " + std::to_string(position) + ") in vec3 in_Position;\n"
               "layout(location = " + std::to_string(normal) + ") in vec3 in_Normal;\n"
               "flat out int id;\nout vec4 mix_;\n"
               "void main() {\n"
               "  id = gl_VertexID + gl_InstanceID;\n"
               "  mix_ = vec4(in_Normal, in_UV0.x);\n"
               "  gl_Position = vec4(in_Position, in_UV0.y);\n"
               "}\n";
    };
    auto first = makeShader("first", vertex(0, 1, 2), fragment);
    auto second = makeShader("second", vertex(1, 0, 2), fragment);

    EXPECT_EQ(first->getAttributeSignature(), "in_Positionin_Normalin_UV0");
    EXPECT_EQ(first->getAttributes().size(), 3u);
    EXPECT_EQ(first->getAttributes().count("gl_VertexID"), 0u);
    EXPECT_EQ(first->getAttributes().count("gl_InstanceID"), 0u);
    const std::vector<AttribInfo>& ordered = first->getAttributesByLocation();
    ASSERT_EQ(ordered.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ordered[static_cast<size_t>(i)].location, i);
    EXPECT_EQ(ordered[2].name, "in_UV0");
    EXPECT_EQ(ordered[2].type, static_cast<GLenum>(GL_FLOAT_VEC2));

    EXPECT_EQ(second->getAttributeSignature(), "in_Normalin_Positionin_UV0");
    // Same names in the same order at other locations: the same signature, another key.
    auto third = makeShader("third", vertex(0, 1, 2), fragment);
    EXPECT_EQ(third->getAttributeKey(), first->getAttributeKey());
    auto spread = makeShader("spread", vertex(1, 3, 6), fragment);
    EXPECT_EQ(spread->getAttributeSignature(), first->getAttributeSignature());
    EXPECT_NE(spread->getAttributeKey(), first->getAttributeKey());
}

TEST_F(ShaderTest, LongNamesAreKeptWhole)
{
    const std::string uniform = "tintOfAnUncommonlyLongUniformNameBeyondThirtyTwo";
    const std::string attribute = "in_AnAttributeWithANameLongerThanThirtyTwo";
    auto s = makeShader("long",
                        "#version 150\nin vec4 " + attribute + ";\nvoid main() { gl_Position = " +
                            attribute + "; }\n",
                        "#version 150\nuniform vec4 " + uniform +
                            ";\nout vec4 color;\nvoid main() { color = " + uniform + "; }\n");
    testsupport::StdoutCapture out;
    EXPECT_GE(s->getUniformLocation(uniform), 0);
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(s->getAttributeSignature(), attribute);
}

TEST_F(ShaderTest, MissingUniformIsReportedOnEveryCall)
{
    auto s = makeShader("blur", coverVS, redFS);
    s->bind();
    VLMPulsvek::glError = false;
    testsupport::StdoutCapture out;
    s->setFloat("offset", 1.0f);
    s->setVec2("offset", glm::vec2(1.0f));
    EXPECT_EQ(s->getUniformLocation("offset"), -1);
    EXPECT_EQ(out.lines(), std::vector<std::string>(
                               3, "ERROR: Shader blur : Uniform variable 'offset' not found!"));
    EXPECT_TRUE(VLMPulsvek::glError);
}

TEST_F(ShaderTest, SettersReachTheProgram)
{
    auto s = makeShader("setters", coverVS,
                        "#version 150\n"
                        "uniform int which; uniform float f; uniform vec2 v2; uniform vec3 v3;\n"
                        "uniform vec4 v4; uniform mat3 m3; uniform mat4 m4;\n"
                        "out vec4 color;\n"
                        "void main() {\n"
                        "  if (which == 0) color = vec4(f, 0.0, 0.0, 1.0);\n"
                        "  else if (which == 1) color = vec4(v2, 0.0, 1.0);\n"
                        "  else if (which == 2) color = vec4(v3, 1.0);\n"
                        "  else if (which == 3) color = v4;\n"
                        "  else if (which == 4) color = vec4(m3[1], 1.0);\n"
                        "  else color = m4[2];\n"
                        "}\n");
    rendertest::RawTarget target(4, 4);
    const glm::vec2 a2(0.2f, 0.4f);
    const glm::vec3 a3(0.6f, 0.2f, 0.8f);
    const glm::vec4 a4(0.4f, 0.6f, 0.2f, 0.8f);
    glm::mat3 m3(0.0f);
    m3[1] = a3;
    glm::mat4 m4(0.0f);
    m4[2] = a4;
    struct Case {
        const char* what;
        int which;
        std::function<void(Shader&)> set;
        RGBA expected;
    } cases[] = {
        {"setFloat", 0, [](Shader& sh) { sh.setFloat("f", 0.6f); }, {153, 0, 0, 255}},
        {"setFloat2", 1, [](Shader& sh) { sh.setFloat2("v2", 0.2f, 0.4f); }, {51, 102, 0, 255}},
        {"setVec2", 1, [&](Shader& sh) { sh.setVec2("v2", a2 * 2.0f); }, {102, 204, 0, 255}},
        {"setVec2fv", 1, [&](Shader& sh) { sh.setVec2fv("v2", glm::value_ptr(a2)); }, {51, 102, 0, 255}},
        {"setFloat3", 2, [](Shader& sh) { sh.setFloat3("v3", 0.2f, 0.4f, 0.6f); }, {51, 102, 153, 255}},
        {"setVec3", 2, [&](Shader& sh) { sh.setVec3("v3", a3); }, {153, 51, 204, 255}},
        {"setVec3fv", 2, [&](Shader& sh) { sh.setVec3fv("v3", glm::value_ptr(a3 * 0.5f)); }, {77, 26, 102, 255}},
        {"setFloat4", 3, [](Shader& sh) { sh.setFloat4("v4", 0.8f, 0.6f, 0.4f, 0.2f); }, {204, 153, 102, 51}},
        {"setVec4", 3, [&](Shader& sh) { sh.setVec4("v4", a4); }, {102, 153, 51, 204}},
        {"setVec4fv", 3, [&](Shader& sh) { sh.setVec4fv("v4", glm::value_ptr(a4)); }, {102, 153, 51, 204}},
        {"setMatrix3 floats", 4, [&](Shader& sh) { sh.setMatrix3("m3", glm::value_ptr(m3)); }, {153, 51, 204, 255}},
        {"setMatrix3 mat3", 4, [&](Shader& sh) { sh.setMatrix3("m3", m3 * 0.5f); }, {77, 26, 102, 255}},
        {"setMatrix4 floats", 5, [&](Shader& sh) { sh.setMatrix4("m4", glm::value_ptr(m4)); }, {102, 153, 51, 204}},
        {"setMatrix4 mat4", 5, [&](Shader& sh) { sh.setMatrix4("m4", m4 * 0.5f); }, {51, 77, 26, 102}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s->bind();
        s->setInt("which", c.which);
        c.set(*s);
        rendertest::clearTo(0, 0, 0, 0);
        drawCover(*s);
        expectNear(pixel(1, 1), c.expected);
    }
}

TEST_F(ShaderTest, TexturesGoToTheirUnits)
{
    auto s = makeShader("units", coverVS,
                        "#version 150\nuniform sampler2D a, b, c, d, e;\nuniform samplerCube cube;\n"
                        "out vec4 color;\n"
                        "void main() {\n"
                        "  vec2 uv = vec2(0.5);\n"
                        "  color = vec4(texture(a, uv).r, texture(b, uv).g, texture(c, uv).b,\n"
                        "               texture(d, uv).a) + texture(e, uv) + texture(cube, vec3(1, 0, 0));\n"
                        "}\n");
    auto solid = [](unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
        const unsigned char texel[4] = {r, g, b, a};
        return std::make_unique<Texture>(1, 1, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    };
    auto ta = solid(51, 0, 0, 0), tb = solid(0, 102, 0, 0), tc = solid(0, 0, 153, 0),
         td = solid(0, 0, 0, 204), te = solid(0, 0, 0, 0);
    // A cube map whose +X face adds 1 to red's neighbour channels.
    GLuint cube = 0;
    glGenTextures(1, &cube);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    for (int face = 0; face < 6; ++face) {
        const unsigned char texel[4] = {0, static_cast<unsigned char>(face == 0 ? 1 : 100), 0, 0};
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, 1, 1, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, texel);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    rendertest::RawTarget target(4, 4);
    s->bind();
    s->setTexture0("a", ta.get());
    s->setTexture1("b", tb.get());
    s->setTexture2("c", tc.get());
    s->setTexture3("d", td.get());
    const int last = s->getTextureUnitCount() - 1;
    s->setTexture(last, "e", te.get());
    s->setCubeMap(5, "cube", cube);
    EXPECT_EQ(getInt(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    struct Unit {
        int unit;
        GLenum binding;
        GLuint id;
    } units[] = {{0, GL_TEXTURE_BINDING_2D, ta->getId()},    {1, GL_TEXTURE_BINDING_2D, tb->getId()},
                 {2, GL_TEXTURE_BINDING_2D, tc->getId()},    {3, GL_TEXTURE_BINDING_2D, td->getId()},
                 {last, GL_TEXTURE_BINDING_2D, te->getId()}, {5, GL_TEXTURE_BINDING_CUBE_MAP, cube}};
    for (const Unit& u : units) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(u.unit));
        EXPECT_EQ(static_cast<GLuint>(getInt(u.binding)), u.id) << "unit " << u.unit;
    }
    glActiveTexture(GL_TEXTURE0);
    rendertest::clearTo(0, 0, 0, 0);
    drawCover(*s);
    expectNear(pixel(1, 1), {51, 103, 153, 204});

    s->unbindTextures();
    EXPECT_EQ(getInt(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    for (const Unit& u : units) {
        if (u.binding != GL_TEXTURE_BINDING_2D)
            continue;
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(u.unit));
        EXPECT_EQ(getInt(u.binding), 0) << "unit " << u.unit;
    }
    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(1, &cube);
}

namespace {

// Records the units that glActiveTexture selects while it lives, and passes the calls on.
class ActiveTextureCalls {
public:
    ActiveTextureCalls() : saved(__glewActiveTexture)
    {
        passOn = saved;
        units().clear();
        __glewActiveTexture = record;
    }
    ~ActiveTextureCalls() { __glewActiveTexture = saved; }
    ActiveTextureCalls(const ActiveTextureCalls&) = delete;
    ActiveTextureCalls& operator=(const ActiveTextureCalls&) = delete;

    // The units selected so far (0 for GL_TEXTURE0), and forgets them.
    std::vector<int> take()
    {
        std::vector<int> taken;
        taken.swap(units());
        return taken;
    }

private:
    static std::vector<int>& units()
    {
        static std::vector<int> selected;
        return selected;
    }
    static void GLAPIENTRY record(GLenum unit)
    {
        units().push_back(static_cast<int>(unit) - GL_TEXTURE0);
        passOn(unit);
    }
    static PFNGLACTIVETEXTUREPROC passOn;
    PFNGLACTIVETEXTUREPROC saved;
};

PFNGLACTIVETEXTUREPROC ActiveTextureCalls::passOn = nullptr;

}

// Every setter but setTexture0 hands unit 0 back as the active unit, also when it
// worked on unit 0 itself.
TEST_F(ShaderTest, TextureSettersEndOnUnitZero)
{
    auto s = makeShader("units", coverVS,
                        "#version 150\nuniform sampler2D t;\nuniform samplerCube c;\nout vec4 color;\n"
                        "void main() { color = texture(t, vec2(0.5)) + texture(c, vec3(1, 0, 0)); }\n");
    Texture t(1, 1, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    s->bind();
    struct Case {
        const char* what;
        std::function<void()> set;
        std::vector<int> units;
    } const cases[] = {
        {"setTexture0", [&] { s->setTexture0("t", &t); }, {0}},
        {"setTexture1", [&] { s->setTexture1("t", &t); }, {1, 0}},
        {"setTexture3", [&] { s->setTexture3("t", &t); }, {3, 0}},
        {"setTexture on 0", [&] { s->setTexture(0, "t", &t); }, {0, 0}},
        {"setTexture on 6", [&] { s->setTexture(6, "t", &t); }, {6, 0}},
        {"setCubeMap on 0", [&] { s->setCubeMap(0, "c", 0); }, {0, 0}},
        {"setCubeMap on 4", [&] { s->setCubeMap(4, "c", 0); }, {4, 0}},
    };
    for (const Case& c : cases) {
        ActiveTextureCalls calls;
        c.set();
        EXPECT_EQ(calls.take(), c.units) << c.what;
        EXPECT_EQ(getInt(GL_ACTIVE_TEXTURE), GL_TEXTURE0) << c.what;
    }
    // A missing sampler touches no unit.
    testsupport::StdoutCapture quiet;
    ActiveTextureCalls calls;
    s->setTexture(2, "missing", &t);
    s->setTexture0("missing", &t);
    EXPECT_EQ(calls.take(), std::vector<int>{});
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST(ShaderDeathTest, TextureUnitsBeyondTheTableEndTheProgram)
{
    REQUIRE_GL();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto s = makeShader("units", coverVS,
                        "#version 150\nuniform sampler2D t;\nout vec4 color;\n"
                        "void main() { color = texture(t, vec2(0.5)); }\n");
    Texture t(1, 1, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    const int count = s->getTextureUnitCount();
    EXPECT_DEATH(s->setTexture(count, "t", &t), "Assertion failed: unit >= 0");
    EXPECT_DEATH(s->setTexture(-1, "t", &t), "Assertion failed: unit >= 0");
    EXPECT_DEATH(s->setCubeMap(count, "t", 0), "Assertion failed: unit >= 0");
}
