#include "engine/render/Camera.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {
const float kDegToRad = 0.017453292f;
}

Camera::Camera(const std::string& name) : name(name), path(nullptr), view(1.0f), unused{0, 0, 0} {}

void Camera::move(int a, float d)
{
    const glm::vec3 w = d * glm::vec3(view[0][a], view[1][a], view[2][a]);
    view[3] = view[0] * w.x + view[1] * w.y + view[2] * w.z + view[3];
}

void Camera::rotateX(float degrees)
{
    view = glm::rotate(glm::mat4(1.0f), degrees * kDegToRad, glm::vec3(1, 0, 0)) * view;
}

void Camera::rotateY(float degrees)
{
    view = glm::rotate(glm::mat4(1.0f), degrees * kDegToRad, glm::vec3(0, 1, 0)) * view;
}

void Camera::lookAt(const glm::vec3& target, const glm::vec3& position, const glm::vec3& up)
{
    const glm::vec3 f = glm::normalize(target - position);
    const glm::vec3 s = glm::normalize(glm::cross(f, glm::normalize(up)));
    const glm::vec3 u = glm::cross(s, f);
    view[0] = glm::vec4(s.x, u.x, -f.x, 0);
    view[1] = glm::vec4(s.y, u.y, -f.y, 0);
    view[2] = glm::vec4(s.z, u.z, -f.z, 0);
    view[3] = glm::vec4(-glm::dot(s, position), -glm::dot(u, position), glm::dot(f, position), 1);
}

void Camera::lookAtRotateY(const glm::vec3& target, const glm::vec3& position, float degrees)
{
    lookAt(target, position, glm::vec3(0, 1, 0));
    view = view * glm::rotate(glm::mat4(1.0f), degrees * kDegToRad, glm::vec3(0, 1, 0));
}
