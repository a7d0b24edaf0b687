#include "tools/models/MeshBuilder.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

// Two unit vectors perpendicular to axis (and to each other).
void basis(glm::vec3 axis, glm::vec3& u, glm::vec3& v)
{
    glm::vec3 helper = std::fabs(axis.z) < 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(1, 0, 0);
    u = glm::normalize(glm::cross(helper, axis));
    v = glm::cross(axis, u);
}

}

float hashUnit(unsigned seed, unsigned index)
{
    unsigned h = seed * 0x9E3779B1u ^ (index + 0x7F4A7C15u) * 0x85EBCA6Bu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFFu) / 16777216.0f;
}

glm::vec3 MeshBuilder::place(glm::vec3 p) const
{
    return glm::vec3(transform * glm::vec4(p, 1.0f));
}

void MeshBuilder::vertex(glm::vec3 p, glm::vec3 n, glm::vec2 t, const glm::vec4& colour)
{
    const float v[kFloats] = {p.x, p.y, p.z, n.x, n.y, n.z, t.x, t.y, colour.r, colour.g, colour.b, colour.a};
    vertices.insert(vertices.end(), v, v + kFloats);
}

void MeshBuilder::triangle(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec2 ta, glm::vec2 tb, glm::vec2 tc,
                           const glm::vec4& colour)
{
    a = place(a);
    b = place(b);
    c = place(c);
    glm::vec3 n = glm::cross(b - a, c - a);
    const float length = glm::length(n);
    if (length < 1e-12f)
        return;  // degenerate: nothing to see
    n /= length;
    vertex(a, n, ta, colour);
    vertex(b, n, tb, colour);
    vertex(c, n, tc, colour);
}

void MeshBuilder::triangle(glm::vec3 a, glm::vec3 b, glm::vec3 c, const glm::vec4& colour)
{
    triangle(a, b, c, {0, 0}, {1, 0}, {1, 1}, colour);
}

void MeshBuilder::quad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, const glm::vec4& colour)
{
    quad(a, b, c, d, {0, 0}, {1, 0}, {1, 1}, {0, 1}, colour);
}

void MeshBuilder::quad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, glm::vec2 ta, glm::vec2 tb,
                       glm::vec2 tc, glm::vec2 td, const glm::vec4& colour)
{
    triangle(a, b, c, ta, tb, tc, colour);
    triangle(a, c, d, ta, tc, td, colour);
}

void MeshBuilder::twoSidedQuad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, const glm::vec4& front,
                               const glm::vec4& back)
{
    quad(a, b, c, d, front);
    quad(a, d, c, b, {0, 0}, {0, 1}, {1, 1}, {1, 0}, back);
}

void MeshBuilder::box(glm::vec3 lo, glm::vec3 hi, const glm::vec4& colour)
{
    const glm::vec3 p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                            {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    quad(p[0], p[3], p[2], p[1], colour);  // -z
    quad(p[4], p[5], p[6], p[7], colour);  // +z
    quad(p[0], p[1], p[5], p[4], colour);  // -y
    quad(p[3], p[7], p[6], p[2], colour);  // +y
    quad(p[0], p[4], p[7], p[3], colour);  // -x
    quad(p[1], p[2], p[6], p[5], colour);  // +x
}

void MeshBuilder::frustum(glm::vec3 a, glm::vec3 b, float ra, float rb, int sides, const glm::vec4& colour,
                          bool capA, bool capB, float phase)
{
    const glm::vec3 axis = glm::normalize(b - a);
    glm::vec3 u, v;
    basis(axis, u, v);
    auto ring = [&](glm::vec3 centre, float r, int k) {
        const float angle = phase + 2.0f * kPi * static_cast<float>(k) / static_cast<float>(sides);
        return centre + r * (std::cos(angle) * u + std::sin(angle) * v);
    };
    for (int k = 0; k < sides; ++k) {
        const glm::vec3 a0 = ring(a, ra, k), a1 = ring(a, ra, k + 1);
        const glm::vec3 b0 = ring(b, rb, k), b1 = ring(b, rb, k + 1);
        if (rb <= 0.0f)
            triangle(a0, a1, b, colour);
        else
            quad(a0, a1, b1, b0, colour);
        if (capA && ra > 0.0f)
            triangle(a, a1, a0, colour);
        if (capB && rb > 0.0f)
            triangle(b, b0, b1, colour);
    }
}

void MeshBuilder::sphere(glm::vec3 centre, glm::vec3 radii, int rings, int segments, const glm::vec4& colour,
                         float jitter, unsigned seed, int skipEvery)
{
    // Grid points first, so that neighbouring faces share their (jittered) corners.
    std::vector<glm::vec3> points;
    for (int i = 0; i <= rings; ++i) {
        const float theta = kPi * static_cast<float>(i) / static_cast<float>(rings);
        for (int k = 0; k < segments; ++k) {
            const float phi = 2.0f * kPi * (static_cast<float>(k) + 0.5f * static_cast<float>(i % 2)) /
                              static_cast<float>(segments);
            glm::vec3 d(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta));
            const bool pole = i == 0 || i == rings;
            const float r = 1.0f + (pole ? 0.0f : jitter * (2.0f * hashUnit(seed, static_cast<unsigned>(points.size())) - 1.0f));
            points.push_back(centre + radii * d * r);
        }
    }
    auto at = [&](int i, int k) { return points[static_cast<size_t>(i * segments + (k % segments + segments) % segments)]; };
    int face = 0;
    for (int i = 0; i < rings; ++i)
        for (int k = 0; k < segments; ++k) {
            const bool keep = skipEvery <= 0 || (face++ % skipEvery) != 0;
            if (!keep)
                continue;
            glm::vec4 c = colour;
            const float shade = 0.9f + 0.2f * hashUnit(seed + 7u, static_cast<unsigned>(i * segments + k));
            c = glm::vec4(glm::vec3(c) * shade, c.a);
            const glm::vec3 p00 = at(i, k), p01 = at(i, k + 1), p10 = at(i + 1, k), p11 = at(i + 1, k + 1);
            // Rings run from +z down; this order faces outwards.
            if (i == 0)
                triangle(p00, p10, p11, c);
            else if (i == rings - 1)
                triangle(p00, p10, p01, c);
            else
                quad(p00, p10, p11, p01, c);
        }
}

ObjectFileWriter::Mesh MeshBuilder::mesh(int id) const
{
    ObjectFileWriter::Mesh m;
    m.id = id;
    m.uvSets = 1;
    m.colorSets = 1;
    m.vertices = vertices;
    const int count = static_cast<int>(vertices.size() / kFloats);
    m.indices.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        m.indices[static_cast<size_t>(i)] = i;
    m.fitBoundingBox();
    return m;
}
