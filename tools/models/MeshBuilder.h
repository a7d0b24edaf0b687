#pragma once
// Flat-shaded triangle soup for the show's models: every triangle gets its own
// three vertices with the face normal (counter-clockwise seen from outside),
// one texture-coordinate set and one colour set (rgb colour, alpha = glow).

#include "tools/objectfile/ObjectFileWriter.h"

#include <glm/glm.hpp>

#include <vector>

class MeshBuilder {
public:
    // Positions given to the shape calls are moved by this matrix first.
    void setTransform(const glm::mat4& m) { transform = m; }

    void triangle(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec2 ta, glm::vec2 tb, glm::vec2 tc,
                  const glm::vec4& colour);
    // Wireframe coordinates (0,0), (1,0), (1,1): the texture's diagonal traces the third edge.
    void triangle(glm::vec3 a, glm::vec3 b, glm::vec3 c, const glm::vec4& colour);
    // a, b, c, d counter-clockwise; split along a-c, with uv (0,0), (1,0), (1,1), (0,1).
    void quad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, const glm::vec4& colour);
    void quad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, glm::vec2 ta, glm::vec2 tb, glm::vec2 tc,
              glm::vec2 td, const glm::vec4& colour);
    // Both windings, for leaves and boards seen from both sides.
    void twoSidedQuad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, const glm::vec4& front,
                      const glm::vec4& back);

    void box(glm::vec3 lo, glm::vec3 hi, const glm::vec4& colour);
    // A prism or frustum from a (radius ra) to b (radius rb), with caps.
    void frustum(glm::vec3 a, glm::vec3 b, float ra, float rb, int sides, const glm::vec4& colour,
                 bool capA = true, bool capB = true, float phase = 0.0f);
    // Low-poly sphere; jitter moves the grid points radially by up to that fraction.
    void sphere(glm::vec3 centre, glm::vec3 radii, int rings, int segments, const glm::vec4& colour,
                float jitter = 0.0f, unsigned seed = 1, int skipEvery = 0);

    int triangleCount() const { return static_cast<int>(vertices.size() / kFloats / 3); }
    ObjectFileWriter::Mesh mesh(int id) const;

    static constexpr int kFloats = 12;

private:
    glm::vec3 place(glm::vec3 p) const;
    void vertex(glm::vec3 p, glm::vec3 n, glm::vec2 t, const glm::vec4& colour);

    glm::mat4 transform{1.0f};
    std::vector<float> vertices;
};

// Deterministic pseudo-random number in [0, 1) for a seed and an index.
float hashUnit(unsigned seed, unsigned index);
