#include "RenderFixture.h"

#include "engine/render/Geometry.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"

#include <glm/geometric.hpp>

using rendertest::makeShader;
using rendertest::pixel;
using rendertest::RGBA;

namespace {

void ensureGeometry()
{
    if (!Geometry::quad)
        Geometry::init();
}

const char* const placedVS =
    "#version 150\nin vec3 in_Position;\nin vec2 in_UV0;\nuniform vec2 scale;\nuniform vec2 pos;\n"
    "out vec2 uv;\n"
    "void main() { uv = in_UV0; gl_Position = vec4(pos + in_Position.xy * scale, 0.0, 1.0); }\n";
const char* const texturedFS =
    "#version 150\nin vec2 uv;\nuniform sampler2D texture0;\nout vec4 color;\n"
    "void main() { color = texture(texture0, uv); }\n";

// 2x2 texels: bottom row red, green; top row blue, white.
std::unique_ptr<Texture> quadrants()
{
    const unsigned char texels[16] = {255, 0, 0, 255, 0, 255, 0, 255,
                                      0, 0, 255, 255, 255, 255, 255, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    auto t = std::make_unique<Texture>(2, 2, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    t->setFilterAll(GL_NEAREST);
    return t;
}

const RGBA redPx{255, 0, 0, 255}, greenPx{0, 255, 0, 255}, bluePx{0, 0, 255, 255},
    whitePx{255, 255, 255, 255}, nonePx{0, 0, 0, 0};

glm::vec3 position(const VAO& mesh, int v)
{
    return mesh.getMapping("in_Position")->readVec3(v);
}

}

class GeometryTest : public rendertest::GLTest {};

TEST_F(GeometryTest, SharedMeshes)
{
    ensureGeometry();
    struct Case {
        VAO* mesh;
        const char* name;
        int vertices;
    } cases[] = {
        {Geometry::screenQuad, "Geometry::Quad", 6},
        {Geometry::quad, "Geometry::Quad", 6},
        {Geometry::quadLines, "Geometry::QuadLines", 8},
        {Geometry::cubeMesh, "Cube", 36},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.mesh, nullptr);
        EXPECT_EQ(c.mesh->getName(), c.name);
        EXPECT_EQ(c.mesh->getVertexCount(), c.vertices);
    }
    EXPECT_NE(Geometry::screenQuad, Geometry::quad);
    for (const char* attribute : {"in_Position", "in_UV0", "in_Normal"}) {
        EXPECT_TRUE(Geometry::quad->hasMapping(attribute));
        EXPECT_TRUE(Geometry::cubeMesh->hasMapping(attribute));
    }
    EXPECT_FALSE(Geometry::quadLines->hasMapping("in_UV0"));
}

TEST_F(GeometryTest, TextureQuadsKeepTheTopRowAtTheTop)
{
    ensureGeometry();
    auto shader = makeShader("quad", placedVS, texturedFS);
    auto texture = quadrants();
    rendertest::RawTarget target(4, 4);

    rendertest::clearTo(0, 0, 0, 0);
    texture->drawFullscreen(shader.get());
    EXPECT_EQ(pixel(0, 0), redPx);
    EXPECT_EQ(pixel(3, 0), greenPx);
    EXPECT_EQ(pixel(0, 3), bluePx);
    EXPECT_EQ(pixel(3, 3), whitePx);

    // Origin at the top-left corner, y down: (0, 0) places it in the lower right.
    rendertest::clearTo(0, 0, 0, 0);
    texture->drawQuad(shader.get(), glm::vec2(1, 1), glm::vec2(0, 0));
    EXPECT_EQ(pixel(2, 0), redPx);
    EXPECT_EQ(pixel(3, 0), greenPx);
    EXPECT_EQ(pixel(2, 1), bluePx);
    EXPECT_EQ(pixel(3, 1), whitePx);
    EXPECT_EQ(pixel(1, 1), nonePx);
    EXPECT_EQ(pixel(2, 2), nonePx);

    // The screen quad covers clip space by itself.
    auto direct = makeShader(
        "direct",
        "#version 150\nin vec3 in_Position;\nin vec2 in_UV0;\nout vec2 uv;\n"
        "void main() { uv = in_UV0; gl_Position = vec4(in_Position, 1.0); }\n",
        texturedFS);
    rendertest::clearTo(0, 0, 0, 0);
    Geometry::screenQuad->bind(direct.get());
    direct->setTexture0("texture0", texture.get());
    Geometry::screenQuad->draw();
    EXPECT_EQ(pixel(0, 0), redPx);
    EXPECT_EQ(pixel(3, 3), whitePx);
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));

    // The fixed-function helper is a harmless no-op in a core context.
    texture->drawImmediate(glm::vec2(1, 1));
}

TEST_F(GeometryTest, QuadOutlineIsFourSegments)
{
    ensureGeometry();
    auto shader = makeShader(
        "lines",
        "#version 150\nin vec3 in_Position;\nuniform vec2 scale;\nuniform vec2 pos;\n"
        "void main() { gl_Position = vec4(pos + in_Position.xy * scale, 0.0, 1.0); }\n",
        "#version 150\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n");
    rendertest::RawTarget target(16, 16);
    rendertest::clearTo(0, 0, 0, 0);
    Geometry::quadLines->bind(shader.get());
    shader->setVec2("scale", glm::vec2(1.5f, 1.5f));
    shader->setVec2("pos", glm::vec2(-0.75f, 0.75f));
    Geometry::quadLines->drawMode(GL_LINES);
    std::vector<unsigned char> all = testsupport::readPixels(0, 0, 16, 16);
    auto lit = [&](int x, int y) { return all[static_cast<size_t>((y * 16 + x) * 4)] != 0; };
    int litInMiddleRow = 0, litInMiddleColumn = 0;
    for (int i = 0; i < 16; ++i) {
        litInMiddleRow += lit(i, 8);
        litInMiddleColumn += lit(8, i);
    }
    EXPECT_EQ(litInMiddleRow, 2);  // left and right edges
    EXPECT_EQ(litInMiddleColumn, 2);  // top and bottom edges
    EXPECT_FALSE(lit(8, 8));
}

TEST_F(GeometryTest, CubeAndSkyboxSpanTheirSizes)
{
    struct Case {
        VAO* mesh;
        glm::vec3 half;
        const char* name;
        float facing;  // +1: triangles face outwards, -1: inwards
    } cases[] = {
        {Geometry::cube(0.5f), glm::vec3(0.5f), "Cube", 1},
        {Geometry::cube(2.0f), glm::vec3(2.0f), "Cube", 1},
        {Geometry::skybox(glm::vec3(100, 100, 100)), glm::vec3(100), "skybox", -1},
        {Geometry::skybox(glm::vec3(1, 2, 3)), glm::vec3(1, 2, 3), "skybox", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mesh->getName());
        std::unique_ptr<VAO> mesh(c.mesh);
        EXPECT_EQ(mesh->getName(), c.name);
        EXPECT_EQ(mesh->getVertexCount(), 36);
        glm::vec3 low(0), high(0);
        for (int v = 0; v < 36; ++v) {
            const glm::vec3 p = position(*mesh, v);
            low = glm::min(low, p);
            high = glm::max(high, p);
            for (int k = 0; k < 3; ++k)
                EXPECT_FLOAT_EQ(std::fabs(p[k]), c.half[k]);
        }
        EXPECT_EQ(low, -c.half);
        EXPECT_EQ(high, c.half);
        for (int tri = 0; tri < 12; ++tri) {
            const glm::vec3 p0 = position(*mesh, tri * 3), p1 = position(*mesh, tri * 3 + 1),
                            p2 = position(*mesh, tri * 3 + 2);
            const glm::vec3 faceNormal = glm::cross(p1 - p0, p2 - p0);
            const glm::vec3 centre = (p0 + p1 + p2) / 3.0f;
            EXPECT_GT(c.facing * glm::dot(faceNormal, centre), 0.0f) << "triangle " << tri;
            if (mesh->hasMapping("in_Normal")) {
                const glm::vec3 n = mesh->getMapping("in_Normal")->readVec3(tri * 3);
                EXPECT_GT(glm::dot(n, glm::normalize(faceNormal)), 0.99f) << "triangle " << tri;
            }
        }
    }
}
