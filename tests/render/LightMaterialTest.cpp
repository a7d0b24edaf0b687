#include "engine/render/Camera.h"
#include "engine/render/Light.h"
#include "engine/render/Material.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <array>
#include <cmath>
#include <limits>

namespace {

std::array<unsigned char, 16> packed(const Material& m)
{
    std::array<unsigned char, 16> slot;
    slot.fill(0xAB);
    m.writeBufferEntry(slot.data());
    return slot;
}

glm::vec3 transformPoint(const glm::mat4& m, const glm::vec3& p)
{
    glm::vec4 r = m * glm::vec4(p, 1.0f);
    return glm::vec3(r) / r.w;
}

void expectNear(const glm::vec3& a, const glm::vec3& b, const char* what)
{
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(a[c], b[c], 1e-4f) << what << " component " << c;
}

}

TEST(Material, Defaults)
{
    const Material local;
    for (const Material* m : {static_cast<const Material*>(&defaultMaterial), &local}) {
        const Material& mat = *m;
        EXPECT_EQ(mat.getDiffuse(), glm::vec3(1, 0, 0));
        EXPECT_EQ(mat.getSpecular(), glm::vec3(0.25f));
        EXPECT_EQ(mat.getShininess(), 10.0f);
        EXPECT_EQ(mat.getId(), 0);
        EXPECT_EQ(mat.getTexture(), nullptr);
        EXPECT_EQ(mat.getTextureName(), "");
        EXPECT_EQ(mat.getBufferValue0(), 0.0f);
        EXPECT_EQ(mat.getBufferValue1(), 1.0f);
    }
    Material named("chrome", 7, glm::vec3(0.1f, 0.2f, 0.3f), glm::vec3(0.9f), 64.0f);
    EXPECT_EQ(named.getName(), "chrome");
    EXPECT_EQ(named.getId(), 7);
    EXPECT_EQ(named.getDiffuse(), glm::vec3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(named.getBufferValue1(), 1.0f);
}

TEST(Material, BufferEntryClampsBeforeConverting)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float specular;
        float shininess;
        unsigned char specularByte;
        unsigned char exponent;
    } cases[] = {
        {0.25f, 10.0f, 63, 10},  {1.0f, 0.5f, 255, 1},    {0.5f, 300.0f, 127, 255},
        {1.2f, 255.0f, 255, 255}, {-0.5f, 0.0f, 0, 1},     {nan, nan, 0, 1},
        {0.0f, -40.0f, 0, 1},    {100.0f, 1e30f, 255, 255}, {0.999f, 254.9f, 254, 254},
    };
    for (const Case& c : cases) {
        Material m;
        m.setSpecular(c.specular, 0.5f, c.specular);
        m.setShininess(c.shininess);
        std::array<unsigned char, 16> slot = packed(m);
        std::array<unsigned char, 16> expected = {0,  255, 255, 255, c.specularByte, 127, c.specularByte, 255,
                                                  c.exponent, c.exponent, c.exponent, c.exponent,
                                                  0xAB, 0xAB, 0xAB, 0xAB};
        EXPECT_EQ(slot, expected) << "specular " << c.specular << " shininess " << c.shininess;
    }
}

TEST(Light, ConstructorsInitialiseEverything)
{
    Light plain;
    EXPECT_TRUE(plain.getUserFlag());
    EXPECT_TRUE(plain.isEnabled());
    EXPECT_EQ(plain.getColor(), glm::vec4(1.0f));
    EXPECT_EQ(plain.radius, 10.0f);
    EXPECT_EQ(plain.linearAttenuation, 1.0f);
    EXPECT_EQ(plain.getRotation(), glm::vec3(0.0f));
    EXPECT_EQ(plain.getPlacement(), glm::mat4(1.0f));

    Light made(Light::kSpot, nullptr, 4.0f, glm::vec4(0.5f, 0.25f, 1, 1));
    EXPECT_EQ(made.getType(), Light::kSpot);
    EXPECT_EQ(made.radius, 4.0f);
    EXPECT_EQ(made.getColor(), glm::vec4(0.5f, 0.25f, 1, 1));
    EXPECT_FALSE(made.getUserFlag());
    EXPECT_EQ(made.getRotation(), glm::vec3(0.0f));
    EXPECT_EQ(made.getVolumeMatrix(), glm::mat4(1.0f));
}

// The volume meshes are a cube over -1..1 and a pyramid with its apex at the
// origin and its base at z = -1 (half-width 0.5); the volume matrix must put
// their corners where the light reaches.
TEST(Light, VolumeCornersPerType)
{
    Camera camera("c");
    camera.moveZ(-3.0f);  // the world moves 3 away from the camera
    const glm::mat4 view = camera.getViewMatrix();

    Light point(Light::kPoint, nullptr, 2.0f, glm::vec4(1));
    point.setPosition(glm::vec3(1, 2, 3));
    point.updateMatrices(&camera);
    expectNear(transformPoint(point.getVolumeMatrix(), glm::vec3(1, 1, 1)),
               transformPoint(view, glm::vec3(3, 4, 5)), "point +corner");
    expectNear(transformPoint(point.getVolumeMatrix(), glm::vec3(-1, -1, -1)),
               transformPoint(view, glm::vec3(-1, 0, 1)), "point -corner");

    // Cone 90 degrees, radius 10: 20 across and 10 long.
    Light spot(Light::kSpot, nullptr, 10.0f, glm::vec4(1));
    spot.coneAngle = 90.0f;
    glm::mat4 placement = glm::translate(glm::mat4(1.0f), glm::vec3(5, 0, 0));
    placement = glm::rotate(placement, 0.7f, glm::vec3(0, 1, 0));  // dropped by updateMatrices
    spot.setPlacement(placement);
    spot.updateMatrices(&camera);
    expectNear(transformPoint(spot.getVolumeMatrix(), glm::vec3(0, 0, 0)), transformPoint(view, glm::vec3(5, 0, 0)),
               "spot apex");
    expectNear(transformPoint(spot.getVolumeMatrix(), glm::vec3(0.5f, 0.5f, -1)),
               transformPoint(view, glm::vec3(15, 10, -10)), "spot base corner");
    expectNear(transformPoint(spot.getVolumeMatrix(), glm::vec3(-0.5f, -0.5f, -1)),
               transformPoint(view, glm::vec3(-5, -10, -10)), "spot opposite corner");

    // Turned 90 degrees about y, the spot shines along -x.
    spot.setRotation(glm::vec3(0, 90, 0));
    spot.updateMatrices(&camera);
    expectNear(transformPoint(spot.getVolumeMatrix(), glm::vec3(0, 0, -1)), transformPoint(view, glm::vec3(-5, 0, 0)),
               "turned spot base centre");

    // Directional and unknown types only lose the placement's rotation.
    for (int type : {Light::kDirectional, 0, 7}) {
        Light other(type, nullptr, 3.0f, glm::vec4(1));
        other.setPlacement(placement);
        other.updateMatrices(&camera);
        EXPECT_EQ(other.getVolumeMatrix(), glm::mat4(1.0f)) << type;
        EXPECT_EQ(other.getPlacement(), glm::translate(glm::mat4(1.0f), glm::vec3(5, 0, 0))) << type;
    }
}
