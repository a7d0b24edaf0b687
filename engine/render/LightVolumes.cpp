// The light-volume meshes of deferred lighting.

#include "engine/render/ShaderCache.h"
#include "engine/render/VAO.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstddef>

VAO* ShaderCache::cubeVolume = nullptr;
VAO* ShaderCache::cubeLinesVolume = nullptr;
VAO* ShaderCache::coneVolume = nullptr;
VAO* ShaderCache::coneLinesVolume = nullptr;

namespace {

const float cubeCorners[24] = {1, 1, 1, -1, 1, 1, -1, -1, 1, 1, -1, 1,
                               1, -1, -1, 1, 1, -1, -1, 1, -1, -1, -1, -1};
const unsigned int cubeTriangles[36] = {0, 1, 2, 0, 2, 3, 1, 6, 7, 1, 7, 2, 5, 6, 1, 5, 1, 0,
                                  5, 0, 3, 5, 3, 4, 6, 5, 4, 6, 4, 7, 3, 2, 7, 3, 7, 4};
const unsigned int cubeEdges[24] = {0, 1, 1, 2, 2, 3, 3, 0, 4, 5, 5, 6, 6, 7, 7, 4, 1, 6, 0, 5, 2, 7, 3, 4};

const float conePoints[15] = {-0.5f, 0.5f, -1, -0.5f, -0.5f, -1, 0.5f, -0.5f, -1, 0.5f, 0.5f, -1, 0, 0, 0};
const unsigned int coneTriangles[18] = {0, 3, 2, 0, 2, 1, 0, 1, 4, 0, 4, 3, 4, 2, 3, 1, 2, 4};
const unsigned int coneEdges[16] = {0, 1, 1, 2, 2, 3, 3, 0, 0, 4, 1, 4, 2, 4, 3, 4};

// A mesh of positions and indices, uploaded at once; a second call replaces the first.
template <size_t P, size_t I>
void makeVolume(VAO*& mesh, const char* name, const float (&positions)[P], const unsigned int (&indices)[I])
{
    delete mesh;
    mesh = new VAO(name);
    float* array = mesh->createFloatBuffer(GL_FLOAT, static_cast<int>(P), GL_STATIC_DRAW);
    std::copy(positions, positions + P, array);
    unsigned int* index = mesh->createIndexBuffer(static_cast<int>(I));
    std::copy(indices, indices + I, index);
    mesh->mapArray(array, "in_Position", 3, 0);
    mesh->upload();
}

}

void ShaderCache::createCubeVolume()
{
    makeVolume(cubeVolume, "deferred:cube", cubeCorners, cubeTriangles);
    makeVolume(cubeLinesVolume, "deferred:cubeLines", cubeCorners, cubeEdges);
}

void ShaderCache::createConeVolume()
{
    makeVolume(coneVolume, "deferred:cone", conePoints, coneTriangles);
    makeVolume(coneLinesVolume, "deferred:coneLines", conePoints, coneEdges);
}
