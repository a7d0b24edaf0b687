#include "demo/CubeTerrain.h"
#include "engine/render/VAO.h"
#include "engine/render/VBO.h"
#include "support/GLContext.h"

#include <GL/glew.h>

#include <gtest/gtest.h>

namespace {

GLint bufferBytes(const VBO* buffer)
{
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, buffer->getId());
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return size;
}

}

TEST(TerrainMeshStorage, BoxMeshesLiveOnlyInTheirBuffersAtTheirUploadTypes)
{
    REQUIRE_GL();
    CubeTerrain terrain;
    terrain.setup(128, 256);
    struct Case {
        const char* what;
        const VAO* mesh;
        int columns;
    } const cases[] = {{"terrain", terrain.getTerrainMesh(), 128}, {"road", terrain.getRoadMesh(), 8}};
    for (const Case& c : cases) {
        const GLint vertices = c.columns * CubeTerrain::MAX_MESH_ROWS * CubeTerrain::VERTICES_PER_BOX;
        ASSERT_EQ(c.mesh->getVertexCount(), vertices) << c.what;
        const auto& buffers = c.mesh->getBuffers();
        ASSERT_EQ(buffers.size(), 3u) << c.what;
        // Positions as floats, normal and UV as bytes, In_Props as bytes: 24 bytes a vertex.
        const GLenum types[3] = {GL_FLOAT, GL_BYTE, GL_UNSIGNED_BYTE};
        const GLint bytes[3] = {CubeTerrain::POSITION_FLOATS * 4, CubeTerrain::SHAPE_BYTES, CubeTerrain::PROPS_BYTES};
        for (size_t i = 0; i < buffers.size(); ++i) {
            EXPECT_EQ(buffers[i]->getType(), types[i]) << c.what << " " << i;
            EXPECT_EQ(bufferBytes(buffers[i]), vertices * bytes[i]) << c.what << " " << i;
            // Nothing keeps a client copy once uploaded.
            EXPECT_EQ(buffers[i]->getData(), nullptr) << c.what << " " << i;
        }
        EXPECT_TRUE(c.mesh->getMapping("in_Normal")->asFloat) << c.what;
        EXPECT_TRUE(c.mesh->getMapping("in_UV0")->asFloat) << c.what;
        EXPECT_FALSE(c.mesh->getMapping("In_Props")->asFloat) << c.what;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
