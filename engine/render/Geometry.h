#pragma once
// The engine's ready-made meshes, built once by init(), and builders of new ones.

#include <glm/vec3.hpp>

class VAO;

class Geometry {
public:
    // Needs a current GL context; builds the four shared meshes below.
    static void init();

    // Two triangles over clip space, -1 to 1.
    static VAO* screenQuad;
    // Two triangles from (0, 0) to (1, -1): origin at the top-left, y down.
    static VAO* quad;
    // The outline of quad as four line segments (for GL_LINES).
    static VAO* quadLines;
    // cube(1).
    static VAO* cubeMesh;

    // New meshes, owned by the caller.
    static VAO* cube(float halfSize);
    static VAO* skybox(const glm::vec3& halfExtents);
};
