#include "engine/render/Projection.h"

#include <cmath>

namespace {
const float kDegToRad = 0.017453292f;
}

Projection::Projection() : Projection(16.0f / 9.0f, 50.0f, 1.0f, 1000.0f) {}

Projection::Projection(float aspect, float fov, float near, float far)
    : matrix(1.0f), aspect(aspect), fov(fov), near(near), far(far)
{
    update();
}

void Projection::update()
{
    const float t = std::tan(fov * 0.5f * kDegToRad);
    const float top = t * near;
    const float left = -top * aspect;
    const float right = top * aspect;
    matrix = glm::mat4(0.0f);
    matrix[0][0] = 2.0f * near / (right - left);
    matrix[1][1] = 2.0f * near / (2.0f * top);
    matrix[2][2] = -(far + near) / (far - near);
    matrix[2][3] = -1.0f;
    matrix[3][2] = -2.0f * far * near / (far - near);
}

void Projection::setNearFar(float n, float f)
{
    near = n;
    far = f;
    update();
}

void Projection::setFov(float degrees)
{
    fov = degrees;
    update();
}

void Projection::setAspect(float a)
{
    aspect = a;
    update();
}

glm::vec2 Projection::getDepthConstants() const
{
    return glm::vec2(far / (far - near), far * near / (near - far));
}
