#include "tools/models/MeshBuilder.h"
#include "tools/models/ShowModels.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <functional>
#include <vector>

namespace showmodels {

namespace {

// Regions of "Cartexture.png" in texture coordinates (v up), as tools/pictures/landscape/cartexture.py draws them.
struct Region {
    float u0, v0, u1, v1;
    glm::vec2 at(float s, float t) const
    {
        s = glm::clamp(s, 0.01f, 0.99f);
        t = glm::clamp(t, 0.01f, 0.99f);
        return {u0 + s * (u1 - u0), v0 + t * (v1 - v0)};
    }
};
constexpr Region kSide{0.0f, 0.5f, 1.0f, 1.0f};    // lower body side, nose at the left
constexpr Region kTop{0.0f, 0.0f, 0.5f, 0.5f};     // seen from above, nose at the left, +z at the top
constexpr Region kGlass{0.5f, 0.25f, 0.75f, 0.5f};
constexpr Region kFront{0.75f, 0.25f, 1.0f, 0.5f}; // the nose seen from ahead, +z at the right
constexpr Region kTyre{0.5f, 0.0f, 0.75f, 0.25f};  // rim disc in the middle, rubber in the corners
constexpr Region kRear{0.75f, 0.0f, 1.0f, 0.25f};  // the tail seen from behind, -z at the right

constexpr float g = kCarGround;
constexpr float kLength = 38.0f;
constexpr float kHalfWidth = 16.0f;
constexpr float kSill = 3.0f;   // body bottom above the ground
constexpr float kBelt = 13.5f;  // top of the lower body at the tail
const glm::vec4 kPaint{1, 1, 1, 0};
const glm::vec4 kGlow{1, 1, 1, 1};

glm::vec2 sideUV(glm::vec3 p) { return kSide.at((p.x + kLength) / (2 * kLength), (p.y - g - kSill) / (kBelt - kSill)); }
glm::vec2 topUV(glm::vec3 p) { return kTop.at((p.x + kLength) / (2 * kLength), (p.z + kHalfWidth) / (2 * kHalfWidth)); }
glm::vec2 rearUV(glm::vec3 p) { return kRear.at((kHalfWidth - p.z) / (2 * kHalfWidth), (p.y - g - kSill) / (kBelt - kSill)); }
glm::vec2 frontUV(glm::vec3 p) { return kFront.at((p.z + kHalfWidth) / (2 * kHalfWidth), (p.y - g - kSill) / (7.0f - kSill)); }
glm::vec2 glassUV(glm::vec3 p) { return kGlass.at((p.x + 12.0f) / 36.0f + 0.1f * p.z / kHalfWidth, (p.y - g - 12.0f) / 7.5f); }
glm::vec2 darkUV(glm::vec3) { return kTyre.at(0.02f, 0.02f); }

using Projection = std::function<glm::vec2(glm::vec3)>;

void mappedQuad(MeshBuilder& b, glm::vec3 p0, glm::vec3 p1, glm::vec3 p2, glm::vec3 p3, const Projection& uv,
                const glm::vec4& colour)
{
    b.quad(p0, p1, p2, p3, uv(p0), uv(p1), uv(p2), uv(p3), colour);
}

void mappedBox(MeshBuilder& b, glm::vec3 lo, glm::vec3 hi, const Projection& uv, const glm::vec4& colour)
{
    const glm::vec3 p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                            {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    const int faces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {3, 7, 6, 2}, {0, 4, 7, 3}, {1, 2, 6, 5}};
    for (const auto& f : faces)
        mappedQuad(b, p[f[0]], p[f[1]], p[f[2]], p[f[3]], uv, colour);
}

// A convex side profile (x, y above the ground, counter-clockwise seen from +z)
// extruded across the car; halfWidth gives the side's z at a height.
void extrude(MeshBuilder& b, const std::vector<glm::vec2>& profile, const std::function<float(float)>& halfWidth,
             const Projection& sideProjection, const std::vector<Projection>& edgeProjections)
{
    const size_t n = profile.size();
    auto at = [&](size_t i, float side) {
        const glm::vec2 q = profile[i % n];
        return glm::vec3(q.x, g + q.y, side * halfWidth(q.y));
    };
    for (size_t i = 1; i + 1 < n; ++i) {
        b.triangle(at(0, 1), at(i, 1), at(i + 1, 1), sideProjection(at(0, 1)), sideProjection(at(i, 1)),
                   sideProjection(at(i + 1, 1)), kPaint);
        b.triangle(at(0, -1), at(i + 1, -1), at(i, -1), sideProjection(at(0, -1)), sideProjection(at(i + 1, -1)),
                   sideProjection(at(i, -1)), kPaint);
    }
    for (size_t i = 0; i < n; ++i)
        mappedQuad(b, at(i, 1), at(i, -1), at(i + 1, -1), at(i + 1, 1), edgeProjections[i], kPaint);
}

void wheel(MeshBuilder& b, float x, float side)
{
    constexpr float radius = 5.5f;
    constexpr int sides = 14;
    const float inner = side * 12.0f;
    const float outer = side * 17.0f;
    const glm::vec3 centre(x, g + radius, 0.0f);
    for (int k = 0; k < sides; ++k) {
        const float a0 = 6.2831853f * static_cast<float>(k) / sides;
        const float a1 = 6.2831853f * static_cast<float>(k + 1) / sides;
        const glm::vec3 d0(std::cos(a0) * radius, std::sin(a0) * radius, 0.0f);
        const glm::vec3 d1(std::cos(a1) * radius, std::sin(a1) * radius, 0.0f);
        const glm::vec3 i0 = centre + d0 + glm::vec3(0, 0, inner), i1 = centre + d1 + glm::vec3(0, 0, inner);
        const glm::vec3 o0 = centre + d0 + glm::vec3(0, 0, outer), o1 = centre + d1 + glm::vec3(0, 0, outer);
        const glm::vec3 oc = centre + glm::vec3(0, 0, outer);
        auto disc = [&](glm::vec3 p) {
            return kTyre.at(0.5f + 0.48f * (p.x - x) / radius, 0.5f + 0.48f * (p.y - centre.y) / radius);
        };
        const glm::vec2 rubber = kTyre.at(0.02f, 0.02f);
        if (side > 0) {
            b.quad(i0, i1, o1, o0, rubber, rubber, rubber, rubber, kPaint);
            b.triangle(oc, o0, o1, disc(oc), disc(o0), disc(o1), kPaint);
        } else {
            b.quad(i0, o0, o1, i1, rubber, rubber, rubber, rubber, kPaint);
            b.triangle(oc, o1, o0, disc(oc), disc(o1), disc(o0), kPaint);
        }
    }
}

}

ObjectFileWriter carFile()
{
    MeshBuilder b;

    // Lower body: a wedge whose hood falls to the nose.
    const std::vector<glm::vec2> body = {{-kLength, 7.0f}, {-35.0f, kSill}, {36.0f, kSill}, {37.5f, 5.0f},
                                         {37.5f, kBelt},   {20.0f, kBelt},  {-14.0f, 12.0f}};
    extrude(b, body, [](float) { return kHalfWidth; }, sideUV,
            {frontUV, darkUV, rearUV, rearUV, topUV, topUV, topUV});

    // Cabin: glass all round under a painted roof, leaning in towards the top.
    const std::vector<glm::vec2> cabin = {{-12.0f, 11.95f}, {24.0f, 13.4f}, {10.0f, 19.5f}, {-1.0f, 19.2f}};
    extrude(b, cabin, [](float y) { return 14.5f - 4.0f * (y - 11.95f) / 7.55f; }, glassUV,
            {darkUV, glassUV, topUV, glassUV});

    // Rear wing on two posts.
    for (float z : {-9.0f, 9.0f})
        mappedBox(b, {31.0f, g + kBelt - 0.2f, z - 0.8f}, {33.0f, g + 16.0f, z + 0.8f}, topUV, kPaint);
    mappedBox(b, {29.5f, g + 16.0f, -15.0f}, {37.5f, g + 17.0f, 15.0f}, topUV, kPaint);

    // Lights: a tail bar across the back and two headlights, glowing.
    mappedBox(b, {37.5f, g + 9.8f, -14.5f}, {38.1f, g + 12.0f, 14.5f}, rearUV, kGlow);
    for (float z : {-10.5f, 10.5f})
        mappedBox(b, {-38.6f, g + 3.9f, z - 3.5f}, {-37.2f, g + 6.2f, z + 3.5f}, frontUV, kGlow);

    for (float x : {-24.0f, 24.0f})
        for (float side : {-1.0f, 1.0f})
            wheel(b, x, side);

    ObjectFileWriter writer;
    writer.addMesh(b.mesh(0));
    ObjectFileWriter::Node node;
    node.id = 0;
    node.name = "Car";
    node.meshIds = {0};
    writer.addNode(node);
    return writer;
}

}
