#include "demo/CubeTerrain.h"

#include "demo/TerrainGenerator.h"
#include "engine/render/VAO.h"

#include <GL/glew.h>

// The cube tables, the two box meshes built from them and the debug drawing's
// line meshes.

const float CubeTerrain::cubeVertices[36][3] = {
    {0.5f, -1, 0.5f},   {0.5f, 0, 0.5f},    {-0.5f, -1, 0.5f},  {0.5f, 0, 0.5f},    {-0.5f, 0, 0.5f},
    {-0.5f, -1, 0.5f},  {0.5f, -1, -0.5f},  {0.5f, 0, -0.5f},   {0.5f, -1, 0.5f},   {0.5f, 0, -0.5f},
    {0.5f, 0, 0.5f},    {0.5f, -1, 0.5f},   {0.5f, -1, -0.5f},  {0.5f, -1, 0.5f},   {-0.5f, -1, 0.5f},
    {0.5f, -1, -0.5f},  {-0.5f, -1, 0.5f},  {-0.5f, -1, -0.5f}, {-0.5f, -1, 0.5f},  {-0.5f, 0, 0.5f},
    {-0.5f, 0, -0.5f},  {-0.5f, -1, 0.5f},  {-0.5f, 0, -0.5f},  {-0.5f, -1, -0.5f}, {0.5f, 0, -0.5f},
    {0.5f, -1, -0.5f},  {-0.5f, -1, -0.5f}, {0.5f, 0, -0.5f},   {-0.5f, -1, -0.5f}, {-0.5f, 0, -0.5f},
    {0.5f, 0, -0.5f},   {-0.5f, 0, -0.5f},  {0.5f, 0, 0.5f},    {-0.5f, 0, -0.5f},  {-0.5f, 0, 0.5f},
    {0.5f, 0, 0.5f},
};

const float CubeTerrain::cubeNormals[36][3] = {
    {0, 0, 1},  {0, 0, 1},  {0, 0, 1},  {0, 0, 1},  {0, 0, 1},  {0, 0, 1},
    {1, 0, 0},  {1, 0, 0},  {1, 0, 0},  {1, 0, 0},  {1, 0, 0},  {1, 0, 0},
    {0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0},
    {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0},
    {0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1},
    {0, 1, 0},  {0, 1, 0},  {0, 1, 0},  {0, 1, 0},  {0, 1, 0},  {0, 1, 0},
};

const float CubeTerrain::cubeUVs[36][2] = {
    {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}, {0, 0},
    {1, 1}, {0, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 0}, {0, 1}, {0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1},
    {1, 0}, {1, 1}, {0, 1}, {1, 0}, {0, 1}, {0, 0}, {1, 1}, {0, 1}, {1, 0}, {0, 1}, {0, 0}, {1, 0},
};

namespace {

// Terrain column of road column 0.
constexpr int ROAD_TERRAIN_COLUMN = TerrainGenerator::FIRST_ROAD_COLUMN;

}

void CubeTerrain::fillBoxes(float* floats, uint8_t* props, int width, int meshRows, bool road)
{
    for (int r = 0; r < meshRows; ++r) {
        for (int col = 0; col < width; ++col) {
            for (int i = 0; i < VERTICES_PER_BOX; ++i) {
                const float* p = cubeVertices[i];
                floats[0] = static_cast<float>(col) - static_cast<float>(width) * 0.5f + 0.5f + p[0];
                floats[1] = p[1];
                floats[2] = p[2] - static_cast<float>(r);
                floats[3] = cubeNormals[i][0];
                floats[4] = cubeNormals[i][1];
                floats[5] = cubeNormals[i][2];
                floats[6] = cubeUVs[i][0];
                floats[7] = cubeUVs[i][1];
                floats += FLOATS_PER_VERTEX;

                const int side = p[0] < 0 ? col : col + 1;
                props[0] = static_cast<uint8_t>(col);
                props[1] = static_cast<uint8_t>(r);
                props[2] = static_cast<uint8_t>(road ? ROAD_TERRAIN_COLUMN + side : side);
                props[3] = static_cast<uint8_t>(p[2] > 0 ? r : r + 1);
                props += PROPS_PER_VERTEX;
            }
        }
    }
}

namespace {

VAO* makeBoxMesh(const char* name, int width, int meshRows, bool road)
{
    VAO* mesh = new VAO(name);
    const int cells = width * meshRows;
    constexpr int floatsPerCell = CubeTerrain::VERTICES_PER_BOX * CubeTerrain::FLOATS_PER_VERTEX;
    constexpr int bytesPerCell = CubeTerrain::VERTICES_PER_BOX * CubeTerrain::PROPS_PER_VERTEX;
    float* floats = mesh->createFloatBuffer(GL_FLOAT, cells * floatsPerCell, GL_STATIC_DRAW);
    // The byte buffer lives in an owned float array; only its first bytes are used.
    float* bytes = mesh->createFloatBuffer(GL_UNSIGNED_BYTE, cells * bytesPerCell, GL_STATIC_DRAW);
    CubeTerrain::fillBoxes(floats, reinterpret_cast<uint8_t*>(bytes), width, meshRows, road);
    mesh->mapArray(floats, "in_Position", 3, 0);
    mesh->mapArray(floats, "in_Normal", 3, 0);
    mesh->mapArray(floats, "in_UV0", 2, 0);
    mesh->mapArray(bytes, "In_Props", 4, 0);
    mesh->upload();
    return mesh;
}

VAO* makeLineMesh(const char* name, int rows)
{
    VAO* mesh = new VAO(name);
    float* line = mesh->createFloatBuffer(GL_FLOAT, rows * 3 + 3, GL_DYNAMIC_DRAW);
    mesh->mapArray(line, "in_Position", 3, 0);
    mesh->upload();
    return mesh;
}

}

void CubeTerrain::buildTerrainGeometry()
{
    const int meshRows = meshRowsFor(rows);
    terrainMesh = makeBoxMesh("terrain", columns, meshRows, false);
    roadMesh = makeBoxMesh("road", roadColumns, meshRows, true);
    splineXLine = makeLineMesh("splinex", rows);
    splineYLine = makeLineMesh("spliney", rows);
}
