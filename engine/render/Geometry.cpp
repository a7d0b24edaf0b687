#include "engine/render/Geometry.h"

#include "engine/render/VAO.h"

#include <algorithm>
#include <cstddef>

VAO* Geometry::screenQuad = nullptr;
VAO* Geometry::quad = nullptr;
VAO* Geometry::quadLines = nullptr;
VAO* Geometry::cubeMesh = nullptr;

namespace {

const float screenQuadPositions[18] = {-1, 1, 0, -1, -1, 0, 1, -1, 0, -1, 1, 0, 1, -1, 0, 1, 1, 0};
const float quadPositions[18] = {0, 0, 0, 0, -1, 0, 1, -1, 0, 0, 0, 0, 1, -1, 0, 1, 0, 0};
const float quadUVs[12] = {0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1};
const float quadNormals[18] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
const float quadLinePositions[24] = {0, 0, 0, 0, -1, 0, 0, -1, 0, 1, -1, 0,
                                     1, -1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0};

const float cubePositions[108] = {
    1, -1, 1,   1, 1, 1,    -1, -1, 1,  1, 1, 1,    -1, 1, 1,   -1, -1, 1,
    1, -1, -1,  1, 1, -1,   1, -1, 1,   1, 1, -1,   1, 1, 1,    1, -1, 1,
    1, -1, -1,  1, -1, 1,   -1, -1, 1,  1, -1, -1,  -1, -1, 1,  -1, -1, -1,
    -1, -1, 1,  -1, 1, 1,   -1, 1, -1,  -1, -1, 1,  -1, 1, -1,  -1, -1, -1,
    1, 1, -1,   1, -1, -1,  -1, -1, -1, 1, 1, -1,   -1, -1, -1, -1, 1, -1,
    1, 1, -1,   -1, 1, -1,  1, 1, 1,    -1, 1, -1,  -1, 1, 1,   1, 1, 1,
};
const float cubeFaceNormals[6][3] = {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}};
const float cubeUVs[72] = {
    1, 0, 1, 1, 0, 0, 1, 1, 0, 1, 0, 0,
    1, 0, 1, 1, 0, 0, 1, 1, 0, 1, 0, 0,
    1, 1, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0,
    0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1,
    1, 0, 1, 1, 0, 1, 1, 0, 0, 1, 0, 0,
    1, 1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 0,
};

// Signs of the sky box corners, per face (positions are these times the half extents).
const float skyboxSigns[108] = {
    -1, 1, -1,  -1, -1, -1, 1, -1, -1,  -1, 1, -1,  1, -1, -1,  1, 1, -1,
    -1, 1, 1,   -1, -1, 1,  -1, -1, -1, -1, 1, 1,   -1, -1, -1, -1, 1, -1,
    1, 1, 1,    1, -1, 1,   -1, -1, 1,  1, 1, 1,    -1, -1, 1,  -1, 1, 1,
    1, 1, -1,   1, -1, -1,  1, -1, 1,   1, 1, -1,   1, -1, 1,   1, 1, 1,
    -1, 1, 1,   -1, 1, -1,  1, 1, -1,   -1, 1, 1,   1, 1, -1,   1, 1, 1,
    -1, -1, -1, -1, -1, 1,  1, -1, 1,   -1, -1, -1, 1, -1, 1,   1, -1, -1,
};

// One float buffer owned by the mesh, filled from a table and mapped as one attribute.
template <size_t N>
float* addAttribute(VAO* mesh, const float (&values)[N], const char* attribute, int components)
{
    float* array = mesh->createFloatBuffer(GL_FLOAT, static_cast<int>(N), GL_STATIC_DRAW);
    std::copy(values, values + N, array);
    mesh->mapArray(array, attribute, components, 0);
    return array;
}

VAO* makeQuad(const float (&positions)[18])
{
    VAO* mesh = new VAO("Geometry::Quad");
    addAttribute(mesh, positions, "in_Position", 3);
    addAttribute(mesh, quadUVs, "in_UV0", 2);
    addAttribute(mesh, quadNormals, "in_Normal", 3);
    mesh->upload();
    return mesh;
}

}

void Geometry::init()
{
    screenQuad = makeQuad(screenQuadPositions);
    quad = makeQuad(quadPositions);
    quadLines = new VAO("Geometry::QuadLines");
    addAttribute(quadLines, quadLinePositions, "in_Position", 3);
    quadLines->upload();
    cubeMesh = cube(1.0f);
}

VAO* Geometry::cube(float s)
{
    VAO* mesh = new VAO("Cube");
    float* positions = addAttribute(mesh, cubePositions, "in_Position", 3);
    for (int i = 0; i < 108; ++i)
        positions[i] *= s;
    float* normals = mesh->createFloatBuffer(GL_FLOAT, 108, GL_STATIC_DRAW);
    for (int v = 0; v < 36; ++v)
        std::copy(cubeFaceNormals[v / 6], cubeFaceNormals[v / 6] + 3, normals + v * 3);
    mesh->mapArray(normals, "in_Normal", 3, 0);
    addAttribute(mesh, cubeUVs, "in_UV0", 2);
    mesh->upload();
    return mesh;
}

VAO* Geometry::skybox(const glm::vec3& h)
{
    VAO* mesh = new VAO("skybox");
    float* positions = addAttribute(mesh, skyboxSigns, "in_Position", 3);
    for (int i = 0; i < 108; ++i)
        positions[i] *= h[i % 3];
    mesh->upload();
    return mesh;
}
