#include "engine/render/Light.h"

#include "engine/render/Camera.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {
const float kDegToRad = 0.017453292f;
}

Light::Light(int type, Shader* shader, float radius, const glm::vec4& color)
    : type(type), shader(shader), userFlag(false), color(color), radius(radius)
{
}

void Light::updateMatrices(Camera* camera)
{
    placement[0] = glm::vec4(1, 0, 0, 0);
    placement[1] = glm::vec4(0, 1, 0, 0);
    placement[2] = glm::vec4(0, 0, 1, 0);

    if (type == kPoint) {
        glm::mat4 m = glm::translate(camera->getViewMatrix(), position);
        volumeMatrix = glm::scale(m, glm::vec3(radius));
    } else if (type == kSpot) {
        glm::mat4 r = glm::rotate(glm::mat4(1.0f), rotation.x * kDegToRad, glm::vec3(1, 0, 0));
        r = glm::rotate(r, rotation.y * kDegToRad, glm::vec3(0, 1, 0));
        r = glm::rotate(r, rotation.z * kDegToRad, glm::vec3(0, 0, 1));
        const float w = std::tan(coneAngle * 3.14159265358979f / 360.0f) * 2.0f * radius;
        volumeMatrix = camera->getViewMatrix() * placement * r * glm::scale(glm::mat4(1.0f), glm::vec3(w, w, radius));
    }
}
