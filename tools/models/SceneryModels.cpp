#include "tools/models/MeshBuilder.h"
#include "tools/models/ShowModels.h"

#include <cmath>

namespace showmodels {

namespace {

constexpr float kPi = 3.14159265358979f;

glm::vec4 rgb(unsigned hex, float glow = 0.0f)
{
    return {static_cast<float>((hex >> 16) & 0xFF) / 255.0f, static_cast<float>((hex >> 8) & 0xFF) / 255.0f,
            static_cast<float>(hex & 0xFF) / 255.0f, glow};
}

// A pine: trunk and three stacked cones.
MeshBuilder tree()
{
    MeshBuilder b;
    b.frustum({0, 0, 0}, {0, 0, 1.4f}, 0.28f, 0.22f, 6, rgb(0x6b4226), false, false);
    const float bases[3] = {1.0f, 2.5f, 3.9f};
    const float tops[3] = {3.6f, 4.9f, 6.3f};
    const float radii[3] = {2.0f, 1.55f, 1.05f};
    const unsigned colours[3] = {0x1f6b34, 0x2a8040, 0x3b9a4c};
    for (int i = 0; i < 3; ++i)
        b.frustum({0, 0, bases[i]}, {0, 0, tops[i]}, radii[i], 0.0f, 8, rgb(colours[i]), true, false,
                  0.4f * static_cast<float>(i));
    return b;
}

// A broadleaf tree: trunk with a fork and three faceted crowns.
MeshBuilder tree2()
{
    MeshBuilder b;
    b.frustum({0, 0, 0}, {0, 0, 2.4f}, 0.32f, 0.24f, 6, rgb(0x5c3a21), false, false);
    b.frustum({0, 0, 2.2f}, {0.9f, 0.2f, 3.4f}, 0.18f, 0.12f, 5, rgb(0x5c3a21), false, false);
    b.frustum({0, 0, 2.2f}, {-0.8f, -0.3f, 3.3f}, 0.18f, 0.12f, 5, rgb(0x5c3a21), false, false);
    b.sphere({0, 0, 4.1f}, {1.9f, 1.9f, 1.7f}, 4, 7, rgb(0x3f9a3a), 0.12f, 3);
    b.sphere({1.2f, 0.3f, 3.4f}, {1.2f, 1.2f, 1.1f}, 4, 6, rgb(0x58b043), 0.12f, 4);
    b.sphere({-1.1f, -0.4f, 3.3f}, {1.1f, 1.1f, 1.0f}, 4, 6, rgb(0x2f8a35), 0.12f, 5);
    return b;
}

// A saguaro: ribbed column with a rounded top and two raised arms.
MeshBuilder cactus()
{
    MeshBuilder b;
    const glm::vec4 green = rgb(0x3f8f3a);
    const glm::vec4 dark = rgb(0x2e6e2c);
    b.frustum({0, 0, 0}, {0, 0, 4.2f}, 0.45f, 0.42f, 8, green, false, false);
    b.frustum({0, 0, 4.2f}, {0, 0, 4.7f}, 0.42f, 0.0f, 8, green, false, false);
    // Arms: out sideways, then up.
    struct Arm { float side, at, reach, top; };
    const Arm arms[2] = {{1.0f, 1.7f, 1.0f, 3.4f}, {-1.0f, 2.4f, 0.85f, 3.9f}};
    for (const Arm& a : arms) {
        const glm::vec3 start(0.3f * a.side, 0, a.at);
        const glm::vec3 elbow(a.reach * a.side, 0, a.at + 0.25f);
        b.frustum(start, elbow, 0.26f, 0.26f, 6, dark, false, true);
        b.frustum(elbow - glm::vec3(0, 0, 0.15f), {a.reach * a.side, 0, a.top}, 0.27f, 0.25f, 6, green, true,
                  false);
        b.frustum({a.reach * a.side, 0, a.top}, {a.reach * a.side, 0, a.top + 0.3f}, 0.25f, 0.0f, 6, green,
                  false, false);
    }
    return b;
}

// A tumbleweed: a loose shell round a denser core, tangled with twigs.
MeshBuilder tumbleweed()
{
    MeshBuilder b;
    const glm::vec3 centre(0, 0, 0.62f);
    b.sphere(centre, {0.6f, 0.6f, 0.58f}, 6, 10, rgb(0xb08850), 0.18f, 11, 3);
    b.sphere(centre, {0.4f, 0.4f, 0.38f}, 4, 7, rgb(0x7a5a32), 0.25f, 12);
    auto onBall = [&](unsigned i) {
        const float a = 2.0f * kPi * hashUnit(13, i);
        const float z = 2.0f * hashUnit(14, i) - 1.0f;
        const float r = std::sqrt(1.0f - z * z);
        return centre + 0.6f * glm::vec3(r * std::cos(a), r * std::sin(a), z);
    };
    for (unsigned k = 0; k < 16; ++k)
        b.frustum(onBall(2 * k), onBall(2 * k + 1), 0.035f, 0.035f, 3, rgb(k % 2 ? 0xc9a468 : 0x9a7444), false,
                  false);
    return b;
}

// A lattice mast: four legs, rings and cross braces, red and white sections, a light on top.
MeshBuilder mast()
{
    MeshBuilder b;
    constexpr int sections = 8;
    constexpr float height = 16.0f;
    auto corner = [&](int k, float z) {
        const float half = 1.2f - 0.9f * z / height;
        const float sx = (k == 0 || k == 3) ? -1.0f : 1.0f;
        const float sy = (k < 2) ? -1.0f : 1.0f;
        return glm::vec3(sx * half, sy * half, z);
    };
    for (int s = 0; s < sections; ++s) {
        const float z0 = height * static_cast<float>(s) / sections;
        const float z1 = height * static_cast<float>(s + 1) / sections;
        const glm::vec4 colour = (s % 2 == 0) ? rgb(0xd8262b) : rgb(0xf2f2f0);
        for (int k = 0; k < 4; ++k) {
            const int n = (k + 1) % 4;
            b.frustum(corner(k, z0), corner(k, z1), 0.09f, 0.08f, 4, colour, false, false);
            b.frustum(corner(k, z1), corner(n, z1), 0.05f, 0.05f, 4, colour, false, false);
            b.frustum(corner(k, z0), corner(n, z1), 0.04f, 0.04f, 4, colour, false, false);
            b.frustum(corner(n, z0), corner(k, z1), 0.04f, 0.04f, 4, colour, false, false);
        }
    }
    b.frustum({0, 0, height}, {0, 0, height + 3.0f}, 0.08f, 0.05f, 4, rgb(0xf2f2f0), true, false);
    b.box({-0.22f, -0.22f, height + 3.0f}, {0.22f, 0.22f, height + 3.4f}, rgb(0xff3030, 1.0f));
    return b;
}

// A curve warning sign: a yellow diamond with a black chevron on a grey post.
MeshBuilder smallSign()
{
    MeshBuilder b;
    b.box({-0.07f, -0.07f, 0.0f}, {0.07f, 0.07f, 2.2f}, rgb(0x8a8f99));
    const float cz = 2.55f, r = 0.75f, t = 0.06f;
    const glm::vec3 top(0, -0.1f, cz + r), right(r, -0.1f, cz), bottom(0, -0.1f, cz - r), left(-r, -0.1f, cz);
    const glm::vec3 back(0, t, 0);
    const glm::vec4 yellow = rgb(0xffc21a, 0.25f), grey = rgb(0x9aa0a8), black = rgb(0x111111);
    b.quad(bottom, right, top, left, yellow);                          // front, facing -y
    b.quad(bottom + back, left + back, top + back, right + back, grey);  // back
    const glm::vec3 ring[4] = {bottom, right, top, left};
    for (int k = 0; k < 4; ++k) {
        const glm::vec3 a = ring[k], c = ring[(k + 1) % 4];
        b.quad(a, a + back, c + back, c, grey);
    }
    // The chevron, a hair in front of the board.
    const float f = -0.12f;
    b.quad({0.1f, f, cz}, {0.3f, f, cz}, {-0.15f, f, cz + 0.3f}, {-0.35f, f, cz + 0.3f}, black);
    b.quad({-0.35f, f, cz - 0.3f}, {-0.15f, f, cz - 0.3f}, {0.3f, f, cz}, {0.1f, f, cz}, black);
    return b;
}

// A billboard on two posts: a neon frame round a sunset emblem.
MeshBuilder bigSign()
{
    MeshBuilder b;
    const glm::vec4 steel = rgb(0x5a606b);
    for (float x : {-2.6f, 2.6f})
        b.box({x - 0.14f, 0.05f, 0.0f}, {x + 0.14f, 0.33f, 4.1f}, steel);
    const float x0 = -4.0f, x1 = 4.0f, z0 = 4.0f, z1 = 7.6f;
    b.box({x0, 0.0f, z0}, {x1, 0.3f, z1}, rgb(0x1a1f3a));
    const float f = -0.02f, g = -0.05f;
    // Neon frame.
    const glm::vec4 neon = rgb(0xff2bd6, 1.0f);
    const float w = 0.22f;
    b.quad({x0, g, z0}, {x1, g, z0}, {x1, g, z0 + w}, {x0, g, z0 + w}, neon);
    b.quad({x0, g, z1 - w}, {x1, g, z1 - w}, {x1, g, z1}, {x0, g, z1}, neon);
    b.quad({x0, g, z0 + w}, {x0 + w, g, z0 + w}, {x0 + w, g, z1 - w}, {x0, g, z1 - w}, neon);
    b.quad({x1 - w, g, z0 + w}, {x1, g, z0 + w}, {x1, g, z1 - w}, {x1 - w, g, z1 - w}, neon);
    // Striped half sun on the left, three cyan bars on the right.
    const float cx = -1.8f, base = z0 + 0.6f, radius = 1.9f;
    const int bands = 5;
    for (int k = 0; k < bands; ++k) {
        const float za = base + radius * static_cast<float>(k) / bands;
        const float zb = base + radius * (static_cast<float>(k) + 0.72f) / bands;
        const float ha = std::sqrt(std::max(0.0f, radius * radius - (za - base) * (za - base)));
        const float hb = std::sqrt(std::max(0.0f, radius * radius - (zb - base) * (zb - base)));
        const glm::vec4 colour = glm::mix(rgb(0xff4f7a, 0.6f), rgb(0xffe066, 0.6f), static_cast<float>(k) / (bands - 1));
        b.quad({cx - ha, f, za}, {cx + ha, f, za}, {cx + hb, f, zb}, {cx - hb, f, zb}, colour);
    }
    for (int k = 0; k < 3; ++k) {
        const float za = z0 + 0.8f + 0.85f * static_cast<float>(k);
        const float len = 2.6f - 0.6f * static_cast<float>(k);
        b.quad({0.9f, f, za}, {0.9f + len, f, za}, {0.9f + len, f, za + 0.42f}, {0.9f, f, za + 0.42f},
               rgb(k == 0 ? 0x29e5ff : 0xe8f4ff, 0.5f));
    }
    // Struts behind.
    for (float x : {-2.6f, 2.6f})
        b.frustum({x, 0.3f, 4.2f}, {x, 1.6f, 0.0f}, 0.08f, 0.08f, 4, steel, false, false);
    return b;
}

// A palm: a trunk bent over in ringed segments, a crown of drooping fronds and coconuts.
MeshBuilder palm()
{
    MeshBuilder b;
    constexpr int segments = 10;
    auto spine = [](float t) { return glm::vec3(1.8f * t * t, 0.3f * t * t, 7.4f * t); };
    for (int s = 0; s < segments; ++s) {
        const float t0 = static_cast<float>(s) / segments, t1 = static_cast<float>(s + 1) / segments;
        const glm::vec4 colour = (s % 2 == 0) ? rgb(0x8a6a45) : rgb(0x735536);
        b.frustum(spine(t0), spine(t1), 0.36f - 0.14f * t0, 0.36f - 0.14f * t1, 6, colour, s == 0, false,
                  0.3f * static_cast<float>(s));
    }
    const glm::vec3 crown = spine(1.0f);
    b.sphere(crown, {0.35f, 0.35f, 0.3f}, 3, 6, rgb(0x6b8a2a));
    constexpr int fronds = 8;
    for (int k = 0; k < fronds; ++k) {
        const float a = 2.0f * kPi * (static_cast<float>(k) + 0.3f * hashUnit(21, static_cast<unsigned>(k))) / fronds;
        const glm::vec3 out(std::cos(a), std::sin(a), 0.0f);
        const glm::vec3 across(-out.y, out.x, 0.0f);
        const float length = 3.0f + 0.6f * hashUnit(22, static_cast<unsigned>(k));
        constexpr int pieces = 4;
        for (int p = 0; p < pieces; ++p) {
            auto point = [&](int i) {
                const float t = static_cast<float>(i) / pieces;
                return crown + out * (length * t) + glm::vec3(0, 0, 0.9f * t - 2.2f * t * t);
            };
            auto width = [&](int i) {
                const float t = static_cast<float>(i) / pieces;
                return 0.55f * std::sin(kPi * (0.15f + 0.85f * t)) + 0.02f;
            };
            const glm::vec3 p0 = point(p), p1 = point(p + 1);
            const glm::vec4 front = (k % 2 == 0) ? rgb(0x3f9a3a) : rgb(0x2f8530);
            b.twoSidedQuad(p0 - across * width(p), p0 + across * width(p), p1 + across * width(p + 1),
                           p1 - across * width(p + 1), front, rgb(0x2a6e2a));
        }
    }
    for (int k = 0; k < 3; ++k) {
        const float a = 2.0f * kPi * static_cast<float>(k) / 3.0f + 0.5f;
        b.sphere(crown + glm::vec3(0.3f * std::cos(a), 0.3f * std::sin(a), -0.35f), {0.17f, 0.17f, 0.17f}, 3, 5,
                 rgb(0x5a3a1a));
    }
    return b;
}

}

std::vector<Scenery> sceneryMeshes()
{
    struct Entry {
        const char* name;
        MeshBuilder (*make)();
    };
    const Entry entries[] = {{"Tree", tree},   {"Tree2", tree2},         {"Cactus", cactus},
                             {"Tumbleweed", tumbleweed}, {"Mast", mast}, {"SmallSign", smallSign},
                             {"BigSign", bigSign},       {"Palm", palm}};
    std::vector<Scenery> out;
    int id = 0;
    for (const Entry& e : entries)
        out.push_back({e.name, e.make().mesh(id++)});
    return out;
}

ObjectFileWriter spritesFile()
{
    ObjectFileWriter writer;
    int id = 0;
    for (const Scenery& s : sceneryMeshes()) {
        writer.addMesh(s.mesh);
        ObjectFileWriter::Node node;
        node.id = id;
        node.name = s.name;
        node.meshIds = {s.mesh.id};
        writer.addNode(node);
        ++id;
    }
    return writer;
}

}
