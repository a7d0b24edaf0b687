#include "engine/render/Camera.h"
#include "engine/render/Projection.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

namespace {

void expectMatNear(const glm::mat4& a, const glm::mat4& b, float eps = 1e-5f)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(a[c][r], b[c][r], eps) << "column " << c << " row " << r;
}

}

TEST(Projection, DefaultMatrixEntries)
{
    Projection p;
    glm::mat4 m = p.getMatrix();
    EXPECT_NEAR(m[1][1], 2.1445069f, 1e-5f);
    EXPECT_NEAR(m[0][0], 1.2062851f, 1e-5f);
    EXPECT_NEAR(m[2][2], -1001.0f / 999.0f, 1e-6f);
    EXPECT_NEAR(m[3][2], -2000.0f / 999.0f, 1e-5f);
    EXPECT_EQ(m[2][3], -1.0f);
    for (auto [c, r] : {std::pair{0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 2}, {1, 3}, {2, 0}, {2, 1},
                        {3, 0}, {3, 1}, {3, 3}})
        EXPECT_EQ(m[c][r], 0.0f) << c << "," << r;
}

TEST(Projection, MatchesGlmPerspectiveAfterEverySetter)
{
    Projection p;
    p.setNearFar(0.1f, 500.0f);
    p.setFov(70.0f);
    p.setAspect(4.0f / 3.0f);
    expectMatNear(p.getMatrix(), glm::perspective(70.0f * 0.017453292f, 4.0f / 3.0f, 0.1f, 500.0f));
    EXPECT_FLOAT_EQ(p.getNear(), 0.1f);
    EXPECT_FLOAT_EQ(p.getFar(), 500.0f);
    EXPECT_FLOAT_EQ(p.getFov(), 70.0f);
    EXPECT_FLOAT_EQ(p.getAspect(), 4.0f / 3.0f);
}

TEST(Projection, DepthConstants)
{
    Projection p;
    p.setNearFar(0.1f, 500.0f);
    glm::vec2 k = p.getDepthConstants();
    EXPECT_NEAR(k.x, 500.0f / 499.9f, 1e-5f);
    EXPECT_NEAR(k.y, 50.0f / -499.9f, 1e-5f);
    // The constants turn a depth in [0, 1] back into the eye distance.
    for (float z : {0.1f, 1.0f, 37.5f, 499.0f}) {
        glm::vec4 clip = p.getMatrix() * glm::vec4(0, 0, -z, 1);
        float depth = (clip.z / clip.w) * 0.5f + 0.5f;
        EXPECT_NEAR(k.y / (depth - k.x), z, z * 1e-3f) << z;
    }
}

TEST(Camera, StartsAndResetsToIdentity)
{
    Camera cam("c");
    EXPECT_EQ(cam.getName(), "c");
    expectMatNear(cam.getViewMatrix(), glm::mat4(1.0f));
    cam.rotateX(30);
    cam.moveZ(4);
    cam.reset();
    expectMatNear(cam.getViewMatrix(), glm::mat4(1.0f));
}

TEST(Camera, MovesAlongItsOwnAxes)
{
    struct Case {
        void (Camera::*move)(float);
        glm::vec4 column;
    };
    for (const Case& c : {Case{&Camera::moveX, {1, 0, 0, 1}}, Case{&Camera::moveY, {0, 1, 0, 1}},
                          Case{&Camera::moveZ, {0, 0, 1, 1}}}) {
        Camera cam("c");
        (cam.*c.move)(1.0f);
        glm::mat4 v = cam.getViewMatrix();
        for (int r = 0; r < 4; ++r)
            EXPECT_FLOAT_EQ(v[3][r], c.column[r]);
    }
    // After a turn, moveZ still moves along the camera's view direction: the camera
    // moves forward, so a point straight ahead comes closer.
    Camera cam("c");
    cam.rotateY(90);
    cam.moveZ(2);
    glm::vec4 p = cam.getViewMatrix() * glm::vec4(5, 0, 0, 1);
    EXPECT_NEAR(p.z, -3.0f, 1e-5f);
}

TEST(Camera, TurnsAboutItsOwnAxes)
{
    Camera cam("c");
    cam.rotateY(90);
    glm::vec4 p = cam.getViewMatrix() * glm::vec4(1, 0, 0, 1);
    EXPECT_NEAR(p.x, 0, 1e-6f);
    EXPECT_NEAR(p.y, 0, 1e-6f);
    EXPECT_NEAR(p.z, -1, 1e-6f);
    // Turning does not move the camera: the world origin stays at the camera origin
    // even after a move and a pitch.
    cam.moveZ(3);
    glm::vec4 before = cam.getViewMatrix() * glm::vec4(0, 0, 0, 1);
    cam.rotateX(45);
    glm::vec4 after = cam.getViewMatrix() * glm::vec4(0, 0, 0, 1);
    EXPECT_NEAR(glm::length(glm::vec3(before)), glm::length(glm::vec3(after)), 1e-5f);
}

TEST(Camera, LookAt)
{
    Camera cam("c");
    cam.lookAt(glm::vec3(0, 0, -1), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
    expectMatNear(cam.getViewMatrix(), glm::mat4(1.0f));
    cam.lookAt(glm::vec3(0, 0, -1), glm::vec3(0, 0, 5), glm::vec3(0, 2, 0));
    expectMatNear(cam.getViewMatrix(), glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, -5)));
    const glm::vec3 target(3, 1, -2), eye(-1, 2, 4), up(0, 1, 0);
    cam.lookAt(target, eye, up);
    expectMatNear(cam.getViewMatrix(), glm::lookAt(eye, target, up));
    cam.lookAtRotateY(target, eye, 30);
    expectMatNear(cam.getViewMatrix(), glm::lookAt(eye, target, up) *
                                           glm::rotate(glm::mat4(1.0f), 30 * 0.017453292f, up));
}

TEST(Camera, ProjectionIsItsOwn)
{
    Camera cam("c");
    cam.getProjection()->setFov(90);
    EXPECT_FLOAT_EQ(cam.getProjection()->getFov(), 90.0f);
    expectMatNear(cam.getViewMatrix(), glm::mat4(1.0f));
    Camera other("d");
    EXPECT_FLOAT_EQ(other.getProjection()->getFov(), 50.0f);
}
