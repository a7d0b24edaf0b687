#include "demo/CubeTerrain.h"
#include "engine/render/VAO.h"
#include "engine/render/VBO.h"
#include "engine/render/VertexArray.h"
#include "support/GLContext.h"

#include <GL/glew.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> bufferContents(const VBO* buffer)
{
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, buffer->getId());
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, size, bytes.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return bytes;
}

struct Mesh {
    const char* what;
    const VAO* mesh;
    int columns;
    bool road;
};

}

// The two box meshes of a 128 x 256 window as GL holds them: 254 rows of
// boxes, 36 vertices each; an interleaved float buffer of position, normal
// and UV and a byte buffer of In_Props, both also kept as the mesh's arrays.
TEST(TerrainMeshStorage, BoxMeshesHoldTheCubeTableInTwoBuffers)
{
    REQUIRE_GL();
    CubeTerrain terrain;
    terrain.setup(128, 256);
    const Mesh meshes[] = {{"terrain", terrain.getTerrainMesh(), 128, false},
                           {"road", terrain.getRoadMesh(), 8, true}};
    for (const Mesh& m : meshes) {
        const int cells = m.columns * 254;
        ASSERT_EQ(m.mesh->getVertexCount(), cells * 36) << m.what;
        ASSERT_EQ(m.mesh->getBuffers().size(), 2u) << m.what;
        EXPECT_EQ(m.mesh->getIndexBuffer(), nullptr) << m.what;

        const VBO* floats = m.mesh->getBuffers()[0];
        const VBO* bytes = m.mesh->getBuffers()[1];
        EXPECT_EQ(floats->getType(), static_cast<GLenum>(GL_FLOAT)) << m.what;
        EXPECT_EQ(floats->getCount(), cells * 288) << m.what;
        EXPECT_EQ(floats->getStride(), 32) << m.what;
        EXPECT_EQ(bytes->getType(), static_cast<GLenum>(GL_UNSIGNED_BYTE)) << m.what;
        EXPECT_EQ(bytes->getCount(), cells * 144) << m.what;
        EXPECT_EQ(bytes->getStride(), 4) << m.what;

        // Attribute places in their buffers.
        const struct {
            const char* name;
            const VBO* buffer;
            int offset;
            int components;
        } attributes[] = {{"in_Position", floats, 0, 3},
                          {"in_Normal", floats, 12, 3},
                          {"in_UV0", floats, 24, 2},
                          {"In_Props", bytes, 0, 4}};
        for (const auto& a : attributes) {
            const AttributeMapping* mapping = m.mesh->getMapping(a.name);
            ASSERT_NE(mapping, nullptr) << m.what << " " << a.name;
            EXPECT_EQ(mapping->buffer, a.buffer) << m.what << " " << a.name;
            EXPECT_EQ(mapping->offset, a.offset) << m.what << " " << a.name;
            EXPECT_EQ(mapping->components, a.components) << m.what << " " << a.name;
            EXPECT_EQ(mapping->divisor, 0) << m.what << " " << a.name;
        }

        // The arrays stay with the mesh and are found again by their address.
        const void* floatData = m.mesh->getBufferData(0);
        const void* byteData = m.mesh->getBufferData(1);
        ASSERT_NE(floatData, nullptr) << m.what;
        ASSERT_NE(byteData, nullptr) << m.what;
        EXPECT_EQ(m.mesh->getBuffer(floatData), floats) << m.what;
        EXPECT_EQ(m.mesh->getBuffer(byteData), bytes) << m.what;

        // GL holds exactly the arrays' contents.
        const std::vector<uint8_t> glFloats = bufferContents(floats);
        const std::vector<uint8_t> glBytes = bufferContents(bytes);
        ASSERT_EQ(glFloats.size(), static_cast<size_t>(cells) * 288 * 4) << m.what;
        ASSERT_EQ(glBytes.size(), static_cast<size_t>(cells) * 144) << m.what;
        EXPECT_EQ(std::memcmp(glFloats.data(), floatData, glFloats.size()), 0) << m.what;
        EXPECT_EQ(std::memcmp(glBytes.data(), byteData, glBytes.size()), 0) << m.what;

        // The last cell (row 253, last column): every one of its 36 vertices
        // from the table, as GL holds it.
        const int row = 253;
        const int col = m.columns - 1;
        const size_t first = static_cast<size_t>(cells - 1) * 36;
        for (int i = 0; i < 36; ++i) {
            float f[8];
            std::memcpy(f, &glFloats[(first + static_cast<size_t>(i)) * 32], sizeof f);
            const float* p = CubeTerrain::cubeVertices[i];
            const float want[8] = {static_cast<float>(col) - static_cast<float>(m.columns) * 0.5f + 0.5f + p[0],
                                   p[1],
                                   p[2] - static_cast<float>(row),
                                   CubeTerrain::cubeNormals[i][0],
                                   CubeTerrain::cubeNormals[i][1],
                                   CubeTerrain::cubeNormals[i][2],
                                   CubeTerrain::cubeUVs[i][0],
                                   CubeTerrain::cubeUVs[i][1]};
            for (int k = 0; k < 8; ++k)
                EXPECT_EQ(f[k], want[k]) << m.what << " vertex " << i << " float " << k;
            const uint8_t* props = &glBytes[(first + static_cast<size_t>(i)) * 4];
            const int side = p[0] < 0 ? col : col + 1;
            const std::array<int, 4> wantProps = {col, row, m.road ? 60 + side : side, p[2] > 0 ? row : row + 1};
            EXPECT_EQ((std::array<int, 4>{props[0], props[1], props[2], props[3]}), wantProps)
                << m.what << " vertex " << i;
        }
    }
    // The right edge of the last terrain row names column 128 and row 254;
    // the road's last column lies on terrain column 67 and names 68 on its +x side.
    const uint8_t* terrainProps = static_cast<const uint8_t*>(terrain.getTerrainMesh()->getBufferData(1));
    const uint8_t* roadProps = static_cast<const uint8_t*>(terrain.getRoadMesh()->getBufferData(1));
    const size_t lastTerrainBox = (static_cast<size_t>(128 * 254) - 1) * 36 * 4;
    const size_t lastRoadBox = (static_cast<size_t>(8 * 254) - 1) * 36 * 4;
    // Vertex 6 of the table is on the +x, -z corner.
    EXPECT_EQ(terrainProps[lastTerrainBox + 6 * 4 + 2], 128);
    EXPECT_EQ(terrainProps[lastTerrainBox + 6 * 4 + 3], 254);
    EXPECT_EQ(roadProps[lastRoadBox + 6 * 4 + 2], 68);
    EXPECT_EQ(roadProps[lastRoadBox + 2 * 4 + 2], 67);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
