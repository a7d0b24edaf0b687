#include "RenderFixture.h"

#include "engine/render/VAO.h"

#include <cmath>
#include <cstring>
#include <iostream>

using rendertest::getInt;
using rendertest::makeShader;
using rendertest::pixel;
using rendertest::expectNear;
using rendertest::RGBA;

namespace {

const char* const colorFS =
    "#version 150\nin vec4 vColor;\nout vec4 color;\nvoid main() { color = vColor; }\n";

// Position (xy) and a float colour; flat-shaded.
const char* const positionColorVS =
    "#version 150\nin vec2 in_Position;\nin vec3 in_Color;\nout vec4 vColor;\n"
    "void main() { vColor = vec4(in_Color, 1.0); gl_Position = vec4(in_Position, 0.0, 1.0); }\n";

// Six vertices of an axis-aligned rectangle, two triangles, xy only.
void rectangle(float x0, float y0, float x1, float y1, float* out, int stride)
{
    const float corners[6][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y0}, {x1, y1}, {x0, y1}};
    for (int v = 0; v < 6; ++v) {
        out[v * stride] = corners[v][0];
        out[v * stride + 1] = corners[v][1];
    }
}

void expectCacheMatchesGL()
{
    EXPECT_EQ(static_cast<GLuint>(getInt(GL_VERTEX_ARRAY_BINDING)), renderStats.currentVAOId);
    EXPECT_EQ(static_cast<GLuint>(getInt(GL_CURRENT_PROGRAM)), Shader::currentProgram);
}

// Left half (x < 0) in one colour, right half in another: one interleaved float
// buffer (position 2 + colour 3).
std::unique_ptr<VAO> twoHalves(const float left[3], const float right[3])
{
    auto mesh = std::make_unique<VAO>("halves");
    float* data = mesh->createFloatBuffer(GL_FLOAT, 12 * 5, GL_STATIC_DRAW);
    rectangle(-1, -1, 0, 1, data, 5);
    rectangle(0, -1, 1, 1, data + 6 * 5, 5);
    for (int v = 0; v < 12; ++v)
        std::memcpy(data + v * 5 + 2, v < 6 ? left : right, 3 * sizeof(float));
    mesh->mapArray(data, "in_Position", 2, 0);
    mesh->mapArray(data, "in_Color", 3, 0);
    mesh->upload();
    return mesh;
}

// A 2x2-pixel square of the given colour made of 4 vertices and 6 indices.
std::unique_ptr<VAO> indexedSquare(const std::string& name, float x0, float y0, float x1,
                                   float y1, const float rgb[3])
{
    auto mesh = std::make_unique<VAO>(name);
    float* positions = mesh->createFloatBuffer(GL_FLOAT, 8, GL_STATIC_DRAW);
    const float corners[8] = {x0, y0, x1, y0, x1, y1, x0, y1};
    std::memcpy(positions, corners, sizeof corners);
    float* colors = mesh->createFloatBuffer(GL_FLOAT, 12, GL_STATIC_DRAW);
    for (int v = 0; v < 4; ++v)
        std::memcpy(colors + v * 3, rgb, 3 * sizeof(float));
    mesh->mapArray(positions, "in_Position", 2, 0);
    mesh->mapArray(colors, "in_Color", 3, 0);
    unsigned int* indices = mesh->createIndexBuffer(6);
    const unsigned int order[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(indices, order, sizeof order);
    mesh->upload();
    return mesh;
}

const float red[3] = {1, 0, 0};
const float green[3] = {0, 1, 0};
const float blue[3] = {0, 0, 1};

}

class VAOTest : public rendertest::GLTest {};

TEST_F(VAOTest, LayoutOfSeparateAndInterleavedBuffers)
{
    VAO separate("separate");
    float positions[18] = {}, uvs[12] = {}, normals[18] = {};
    separate.createBuffer(GL_FLOAT, 18, positions, GL_STATIC_DRAW);
    separate.createBuffer(GL_FLOAT, 12, uvs, GL_STATIC_DRAW);
    separate.createBuffer(GL_FLOAT, 18, normals, GL_STATIC_DRAW);
    separate.mapArray(positions, "in_Position", 3, 0);
    separate.mapArray(uvs, "in_UV0", 2, 0);
    separate.mapArray(normals, "in_Normal", 3, 0);
    separate.upload();
    EXPECT_EQ(separate.getVertexCount(), 6);
    EXPECT_EQ(separate.getBuffer(uvs)->getStride(), 8);
    EXPECT_EQ(separate.getMapping("in_Normal")->offset, 0);
    EXPECT_EQ(separate.getBufferData(1), uvs);

    VAO interleaved("interleaved");
    float* data = interleaved.createFloatBuffer(GL_FLOAT, 30, GL_STATIC_DRAW);
    interleaved.mapArray(data, "in_Position", 3, 0);
    interleaved.mapArray(data, "in_UV0", 2, 0);
    interleaved.upload();
    EXPECT_EQ(interleaved.getMapping("in_Position")->offset, 0);
    EXPECT_EQ(interleaved.getMapping("in_UV0")->offset, 12);
    EXPECT_EQ(interleaved.getBuffer(data)->getStride(), 20);
    EXPECT_EQ(interleaved.getVertexCount(), 6);
    EXPECT_TRUE(interleaved.hasMapping("in_UV0"));
    EXPECT_FALSE(interleaved.hasMapping("in_Normal"));
    EXPECT_EQ(interleaved.getMapping("in_Normal"), nullptr);

    // Buffer contents reach GL.
    VBO* buffer = interleaved.getBuffer(data);
    GLint size = 0;
    buffer->bind();
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 120);

    // Nothing mapped: no stride, no vertices, and no division by zero.
    VAO bare("bare");
    float none[9] = {};
    bare.createBuffer(GL_FLOAT, 9, none, GL_STATIC_DRAW);
    bare.upload();
    EXPECT_EQ(bare.getVertexCount(), 0);
    EXPECT_EQ(bare.getBuffer(none)->getVertexCount(), 0);
    VAO empty("empty");
    empty.upload();
    EXPECT_EQ(empty.getVertexCount(), 0);
}

TEST_F(VAOTest, InterleavedFloatAndIntegerAttributesDraw)
{
    // A float buffer of position (2) + colour (3), and a byte buffer of integer props (4).
    auto shader = makeShader(
        "props",
        "#version 150\nin vec2 in_Position;\nin vec3 in_Color;\nin uvec4 In_Props;\n"
        "in int in_Level;\nout vec4 vColor;\n"
        "void main() {\n"
        "  vColor = vec4(in_Color.rg, float(In_Props.z) / 255.0,\n"
        "                float(In_Props.w + uint(in_Level)) / 255.0);\n"
        "  gl_Position = vec4(in_Position, 0.0, 1.0);\n"
        "}\n",
        colorFS);
    VAO mesh("mixed");
    float* floats = mesh.createFloatBuffer(GL_FLOAT, 12 * 5, GL_STATIC_DRAW);
    // The production's way to get a byte buffer: count bytes in a float allocation.
    float* byteStore = mesh.createFloatBuffer(GL_UNSIGNED_BYTE, 12 * 4, GL_STATIC_DRAW);
    auto* bytes = reinterpret_cast<unsigned char*>(byteStore);
    int levels[12];
    mesh.createBuffer(GL_INT, 12, levels, GL_STATIC_DRAW);
    rectangle(-1, -1, 0, 1, floats, 5);
    rectangle(0, -1, 1, 1, floats + 30, 5);
    const float colors[2][3] = {{0.2f, 0.4f, 0}, {0.8f, 0.6f, 0}};
    const unsigned char props[2][4] = {{1, 2, 30, 40}, {5, 6, 70, 200}};
    for (int v = 0; v < 12; ++v) {
        std::memcpy(floats + v * 5 + 2, colors[v / 6], sizeof colors[0]);
        std::memcpy(bytes + v * 4, props[v / 6], 4);
        levels[v] = v < 6 ? 3 : 50;
    }
    mesh.mapArray(floats, "in_Position", 2, 0);
    mesh.mapArray(floats, "in_Color", 3, 0);
    mesh.mapArray(byteStore, "In_Props", 4, 0);
    mesh.mapArray(levels, "in_Level", 1, 0);
    mesh.upload();
    EXPECT_EQ(mesh.getVertexCount(), 12);
    EXPECT_EQ(mesh.getBuffer(byteStore)->getByteSize(), 48);

    rendertest::RawTarget target(8, 4);
    rendertest::clearTo(0, 0, 0, 0);
    mesh.bind(shader.get());
    mesh.draw();
    expectNear(pixel(1, 1), {51, 102, 30, 43});
    expectNear(pixel(6, 2), {204, 153, 70, 250});
    expectCacheMatchesGL();
}

TEST_F(VAOTest, VertexArraysAreCachedPerLayoutAndMatchGL)
{
    auto plain = makeShader("plain", positionColorVS, colorFS);
    auto same = makeShader("same", positionColorVS, colorFS);
    auto positionOnly = makeShader(
        "white", "#version 150\nin vec2 in_Position;\nout vec4 vColor;\n"
                 "void main() { vColor = vec4(1.0); gl_Position = vec4(in_Position, 0.0, 1.0); }\n",
        colorFS);
    auto a = twoHalves(red, blue);
    auto b = twoHalves(green, green);

    const int binds = renderStats.vaoBinds;
    VertexArray* first = a->bind(plain.get());
    expectCacheMatchesGL();
    EXPECT_EQ(a->getCurrent(), first);
    a->bind(plain.get());
    a->bind(same.get());  // same layout: same object, no bind
    EXPECT_EQ(renderStats.vaoBinds - binds, 1);
    EXPECT_EQ(a->getVertexArrays().size(), 1u);

    VertexArray* second = a->bind(positionOnly.get());
    EXPECT_NE(second, first);
    EXPECT_EQ(a->getVertexArrays().size(), 2u);
    expectCacheMatchesGL();
    EXPECT_EQ(a->bind(plain.get()), first);
    EXPECT_EQ(renderStats.vaoBinds - binds, 3);
    expectCacheMatchesGL();

    // Two meshes, one shader: every switch binds.
    const int before = renderStats.vaoBinds;
    for (int i = 0; i < 3; ++i) {
        b->bind(plain.get());
        a->bind(plain.get());
    }
    EXPECT_EQ(renderStats.vaoBinds - before, 6);
    expectCacheMatchesGL();

    const int draws = renderStats.drawCalls;
    rendertest::RawTarget target(8, 4);
    rendertest::clearTo(0, 0, 0, 0);
    a->bind(plain.get());
    a->draw();
    a->bind(positionOnly.get());
    VAO::drawArrays(GL_TRIANGLES, 6, 6);  // right half only
    EXPECT_EQ(renderStats.drawCalls - draws, 2);
    expectNear(pixel(1, 1), {255, 0, 0, 255});
    expectNear(pixel(6, 1), {255, 255, 255, 255});
}

TEST_F(VAOTest, SameNamesAtOtherLocationsGetTheirOwnVertexArray)
{
    auto shaderAt = [](int position, int color) {
        return makeShader("at" + std::to_string(position),
                          "#version 330\n"
                          "layout(location = " + std::to_string(position) + ") in vec2 in_Position;\n"
                          "layout(location = " + std::to_string(color) + ") in vec3 in_Color;\n"
                          "out vec4 vColor;\n"
                          "void main() { vColor = vec4(in_Color, 1.0); "
                          "gl_Position = vec4(in_Position, 0.0, 1.0); }\n",
                          colorFS);
    };
    // Same order, so the same printed signature, but other locations.
    auto first = shaderAt(0, 1);
    auto second = shaderAt(2, 5);
    ASSERT_EQ(first->getAttributeSignature(), "in_Positionin_Color");
    ASSERT_EQ(second->getAttributeSignature(), "in_Positionin_Color");
    auto mesh = twoHalves(red, green);
    rendertest::RawTarget target(8, 4);
    for (Shader* shader : {first.get(), second.get(), first.get()}) {
        SCOPED_TRACE(shader->getName());
        rendertest::clearTo(0, 0, 0, 0);
        mesh->bind(shader);
        mesh->draw();
        expectNear(pixel(1, 1), {255, 0, 0, 255});
        expectNear(pixel(6, 1), {0, 255, 0, 255});
    }
    EXPECT_EQ(mesh->getVertexArrays().size(), 2u);
}

TEST_F(VAOTest, UploadingAnIndexBufferLeavesOtherMeshesAlone)
{
    auto shader = makeShader("plain", positionColorVS, colorFS);
    auto left = indexedSquare("left", -1, -1, 0, 1, red);
    left->bind(shader.get());
    const GLint leftIndices = getInt(GL_ELEMENT_ARRAY_BUFFER_BINDING);
    EXPECT_EQ(static_cast<GLuint>(leftIndices), left->getIndexBuffer()->getId());

    // Built and uploaded while the first mesh's vertex array is bound.
    auto right = indexedSquare("right", 0, -1, 1, 1, blue);
    expectCacheMatchesGL();
    left->bind(shader.get());
    EXPECT_EQ(getInt(GL_ELEMENT_ARRAY_BUFFER_BINDING), leftIndices);

    rendertest::RawTarget target(8, 4);
    rendertest::clearTo(0, 0, 0, 0);
    left->draw();
    right->bind(shader.get());
    right->draw();
    expectNear(pixel(1, 1), {255, 0, 0, 255});
    expectNear(pixel(6, 1), {0, 0, 255, 255});

    // Mapping the index buffer writes through its own target, again without rewiring.
    left->bind(shader.get());
    VBO* indices = right->getIndexBuffer();
    auto* mapped = static_cast<unsigned int*>(indices->map(GL_WRITE_ONLY));
    ASSERT_NE(mapped, nullptr);
    const unsigned int firstHalf[6] = {0, 1, 2, 0, 0, 0};  // one triangle only
    std::memcpy(mapped, firstHalf, sizeof firstHalf);
    indices->unmap();
    expectCacheMatchesGL();
    left->bind(shader.get());
    EXPECT_EQ(getInt(GL_ELEMENT_ARRAY_BUFFER_BINDING), leftIndices);
    rendertest::clearTo(0, 0, 0, 0);
    right->bind(shader.get());
    right->draw();
    // Triangle (0,-1) (1,-1) (1,1) covers the lower right corner only.
    expectNear(pixel(7, 0), {0, 0, 255, 255});
    expectNear(pixel(4, 3), {0, 0, 0, 0});
}

TEST_F(VAOTest, MappedVertexBufferWritesThrough)
{
    auto shader = makeShader("plain", positionColorVS, colorFS);
    auto mesh = twoHalves(red, red);
    VBO* buffer = mesh->getBuffer(mesh->getBufferData(0));
    auto* mapped = static_cast<float*>(buffer->map(GL_WRITE_ONLY));
    ASSERT_NE(mapped, nullptr);
    float data[60];
    rectangle(-1, -1, 0, 1, data, 5);
    rectangle(0, -1, 1, 1, data + 30, 5);
    for (int v = 0; v < 12; ++v)
        std::memcpy(data + v * 5 + 2, green, sizeof green);
    std::memcpy(mapped, data, sizeof data);
    buffer->unmap();
    rendertest::RawTarget target(4, 4);
    rendertest::clearTo(0, 0, 0, 0);
    mesh->bind(shader.get());
    mesh->draw();
    expectNear(pixel(2, 2), {0, 255, 0, 255});
}

TEST_F(VAOTest, InstancesAdvancePerDivisorAndIgnoreIndices)
{
    auto shader = makeShader(
        "instanced",
        "#version 150\nin vec2 in_Position;\nin vec3 in_Color;\nin vec2 in_Offset;\n"
        "out vec4 vColor;\n"
        "void main() { vColor = vec4(in_Color, 1.0); "
        "gl_Position = vec4(in_Position + in_Offset, 0.0, 1.0); }\n",
        colorFS);
    VAO mesh("instanced");
    float* data = mesh.createFloatBuffer(GL_FLOAT, 6 * 5, GL_STATIC_DRAW);
    rectangle(-1, -1, -0.5f, 1, data, 5);  // the first quarter
    for (int v = 0; v < 6; ++v)
        std::memcpy(data + v * 5 + 2, green, sizeof green);
    float* offsets = mesh.createFloatBuffer(GL_FLOAT, 4, GL_STATIC_DRAW);
    const float shift[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // instance 0 stays, 1 moves right by half
    std::memcpy(offsets, shift, sizeof shift);
    mesh.mapArray(data, "in_Position", 2, 0);
    mesh.mapArray(data, "in_Color", 3, 0);
    mesh.mapArray(offsets, "in_Offset", 2, 1);
    // Indices that would draw nothing useful: instanced drawing does not use them.
    unsigned int* indices = mesh.createIndexBuffer(3);
    indices[0] = indices[1] = indices[2] = 0;
    mesh.upload();

    rendertest::RawTarget target(8, 4);
    rendertest::clearTo(0, 0, 0, 0);
    const int draws = renderStats.drawCalls;
    mesh.bind(shader.get());
    mesh.drawInstanced(2);
    EXPECT_EQ(renderStats.drawCalls - draws, 1);
    expectNear(pixel(0, 1), {0, 255, 0, 255});
    expectNear(pixel(4, 1), {0, 255, 0, 255});
    expectNear(pixel(2, 1), {0, 0, 0, 0});
    expectNear(pixel(7, 1), {0, 0, 0, 0});
}

TEST_F(VAOTest, BuiltInInputsNeedNoMapping)
{
    auto shader = makeShader(
        "vertexid",
        "#version 150\nin vec2 in_Position;\nout vec4 vColor;\n"
        "void main() { vColor = vec4(float(gl_VertexID % 2), 0.0, float(gl_InstanceID), 1.0);\n"
        "  gl_Position = vec4(in_Position, 0.0, 1.0); }\n",
        colorFS);
    auto mesh = twoHalves(red, red);
    mesh->bind(shader.get());
    EXPECT_EQ(mesh->getVertexArrays().size(), 1u);
}

TEST_F(VAOTest, DestroyedMeshLeavesTheRecordTrue)
{
    auto shader = makeShader("plain", positionColorVS, colorFS);
    auto mesh = twoHalves(red, red);
    mesh->bind(shader.get());
    mesh.reset();
    expectCacheMatchesGL();
    // A new mesh whose vertex array may reuse the freed name is bound for real.
    auto next = twoHalves(blue, blue);
    next->bind(shader.get());
    rendertest::RawTarget target(4, 4);
    rendertest::clearTo(0, 0, 0, 0);
    next->draw();
    expectNear(pixel(1, 1), {0, 0, 255, 255});
    expectCacheMatchesGL();
}

TEST_F(VAOTest, TangentsPerWholeTriangle)
{
    struct Case {
        const char* what;
        float positions[9];
        float uvs[6];
        float tangent[3];
        float bitangent[3];
    } cases[] = {
        {"unit", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1, 0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
        {"stretched uv", {0, 0, 0, 2, 0, 0, 0, 2, 0}, {0, 0, 4, 0, 0, 1}, {1, 0, 0}, {0, 2, 0}},
        {"flipped v", {0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 0, 1, 0, 0, -1}, {1, 0, 0}, {0, 0, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VAO mesh("t");
        float* p = mesh.createFloatBuffer(GL_FLOAT, 9, GL_STATIC_DRAW);
        float* n = mesh.createFloatBuffer(GL_FLOAT, 9, GL_STATIC_DRAW);
        float* uv = mesh.createFloatBuffer(GL_FLOAT, 6, GL_STATIC_DRAW);
        std::memcpy(p, c.positions, sizeof c.positions);
        std::memcpy(uv, c.uvs, sizeof c.uvs);
        mesh.mapArray(p, "in_Position", 3, 0);
        mesh.mapArray(n, "in_Normal", 3, 0);
        mesh.mapArray(uv, "in_UV0", 2, 0);
        mesh.createTangents("in_Position", "in_Normal", "in_UV0", "in_Tangent", "in_Bitangent");
        const AttributeMapping* t = mesh.getMapping("in_Tangent");
        const AttributeMapping* b = mesh.getMapping("in_Bitangent");
        ASSERT_TRUE(t && b);
        EXPECT_EQ(t->buffer, b->buffer);
        EXPECT_EQ(t->offset, 0);
        EXPECT_EQ(b->offset, 12);
        EXPECT_EQ(t->buffer->getStride(), 24);
        for (int v = 0; v < 3; ++v)
            for (int k = 0; k < 3; ++k) {
                EXPECT_NEAR(t->readVec3(v)[k], c.tangent[k], 1e-5);
                EXPECT_NEAR(b->readVec3(v)[k], c.bitangent[k], 1e-5);
            }
    }
}

TEST_F(VAOTest, TangentsStayFiniteAndInsideTheArrays)
{
    // Seven vertices: two whole triangles and one left over; the second triangle's
    // UVs are all equal, the third vertex set is a point.
    VAO mesh("odd");
    float* p = mesh.createFloatBuffer(GL_FLOAT, 21, GL_STATIC_DRAW);
    float* n = mesh.createFloatBuffer(GL_FLOAT, 21, GL_STATIC_DRAW);
    float* uv = mesh.createFloatBuffer(GL_FLOAT, 14, GL_STATIC_DRAW);
    const float positions[21] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 5, 5, 5};
    const float uvs[14] = {0, 0, 1, 0, 0, 1, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0, 0};
    std::memcpy(p, positions, sizeof positions);
    std::memcpy(uv, uvs, sizeof uvs);
    mesh.mapArray(p, "in_Position", 3, 0);
    mesh.mapArray(n, "in_Normal", 3, 0);
    mesh.mapArray(uv, "in_UV0", 2, 0);
    mesh.createTangents("in_Position", "in_Normal", "in_UV0", "in_Tangent", "in_Bitangent");
    const AttributeMapping* t = mesh.getMapping("in_Tangent");
    const AttributeMapping* b = mesh.getMapping("in_Bitangent");
    EXPECT_EQ(t->buffer->getCount(), 7 * 6);
    for (int v = 0; v < 7; ++v) {
        SCOPED_TRACE(v);
        const glm::vec3 tv = t->readVec3(v), bv = b->readVec3(v);
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(std::isfinite(tv[k]));
            EXPECT_TRUE(std::isfinite(bv[k]));
        }
        if (v >= 3 && v < 6) {
            EXPECT_NEAR(glm::length(tv), 1.0f, 1e-5);
            EXPECT_NEAR(glm::dot(tv, bv), 0.0f, 1e-5);  // a frame inside the triangle's plane
            EXPECT_NEAR(tv.x, 0.0f, 1e-5);
            EXPECT_NEAR(bv.x, 0.0f, 1e-5);
        }
    }
    EXPECT_EQ(t->readVec3(6), glm::vec3(0.0f));
    mesh.upload();
    EXPECT_EQ(mesh.getVertexCount(), 7);
}

TEST(VAODeathTest, ProgrammingErrorsEndTheProgram)
{
    REQUIRE_GL();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            VAO mesh("m");
            float other[3];
            mesh.mapArray(other, "in_Position", 3, 0);
        },
        "Invalid pointer to vertex buffer\n.*Assertion failed: 0");
    EXPECT_DEATH(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            auto bump = makeShader("bump",
                                   "#version 150\nin vec3 in_Position;\nin vec3 in_Tangent;\n"
                                   "void main() { gl_Position = vec4(in_Position + in_Tangent, 1.0); }\n",
                                   "#version 150\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
            VAO* cube = new VAO("Cube");
            float* p = cube->createFloatBuffer(GL_FLOAT, 9, GL_STATIC_DRAW);
            cube->mapArray(p, "in_Position", 3, 0);
            cube->upload();
            cube->bind(bump.get());
        },
        "VAO : 'Cube'. Cannot find a mapped array named 'in_Tangent' in shader bump\n.*Assertion failed: 0");
    EXPECT_DEATH(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            auto s = makeShader("short",
                                "#version 150\nin vec3 in_Position;\n"
                                "void main() { gl_Position = vec4(in_Position, 1.0); }\n",
                                "#version 150\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
            VAO* mesh = new VAO("shorts");
            short values[9] = {};
            mesh->createBuffer(GL_SHORT, 9, values, GL_STATIC_DRAW);
            mesh->mapArray(values, "in_Position", 3, 0);
            mesh->bind(s.get());
        },
        "Unsupported data type\n.*Assertion failed: 0");
    EXPECT_DEATH(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            VAO mesh("Flat");
            float* p = mesh.createFloatBuffer(GL_FLOAT, 9, GL_STATIC_DRAW);
            mesh.mapArray(p, "in_Position", 3, 0);
            mesh.createTangents("in_Position", "in_Normal", "in_UV0", "in_Tangent", "in_Bitangent");
        },
        "createTangents : Flat - missing position, normals or VUs to generate tangents\n.*Assertion failed: 0");
    EXPECT_DEATH(
        {
            VAO mesh("one");
            mesh.createFloatBuffer(GL_FLOAT, 3, GL_STATIC_DRAW);
            mesh.getBufferData(1);
        },
        "Assertion failed: i >= 0 && i < static_cast<int>\\(buffers.size\\(\\)\\)");
}
