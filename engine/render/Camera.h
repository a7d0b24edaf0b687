#pragma once

#include "engine/render/Projection.h"

#include <glm/glm.hpp>

#include <string>

class AnimationPath;

// A named view transform with its own projection. Angles are in degrees.
class Camera {
public:
    explicit Camera(const std::string& name);

    const std::string& getName() const { return name; }
    glm::mat4 getViewMatrix() const { return view; }
    void setViewMatrix(const glm::mat4& m) { view = m; }
    const float* getViewMatrixData() const { return &view[0][0]; }
    Projection* getProjection() { return &projection; }

    // Attached by a scene; not owned.
    void setAnimationPath(AnimationPath* p) { path = p; }
    AnimationPath* getAnimationPath() const { return path; }

    // Moves along the camera's own axes.
    void moveX(float d) { move(0, d); }
    void moveY(float d) { move(1, d); }
    void moveZ(float d) { move(2, d); }
    void reset() { view = glm::mat4(1.0f); }
    // Turns about the camera's own x or y axis.
    void rotateX(float degrees);
    void rotateY(float degrees);

    // The target comes first, the camera position second.
    void lookAt(const glm::vec3& target, const glm::vec3& position, const glm::vec3& up);
    // Look-at with up (0, 1, 0), then a turn of the scene about the world's y axis.
    void lookAtRotateY(const glm::vec3& target, const glm::vec3& position, float degrees);

private:
    void move(int axis, float d);

    std::string name;
    AnimationPath* path;
    glm::mat4 view;
    [[maybe_unused]] float unused[3];
    Projection projection;
};
