#pragma once

#include <glm/glm.hpp>

// A perspective projection and its matrix, kept in step with its parameters.
class Projection {
public:
    Projection();
    Projection(float aspect, float fov, float near, float far);

    void update();
    void setNearFar(float near, float far);
    void setFov(float degrees);
    void setAspect(float aspect);

    glm::mat4 getMatrix() const { return matrix; }
    glm::mat4& getMatrixRef() { return matrix; }
    float getAspect() const { return aspect; }
    float getFov() const { return fov; }
    float getNear() const { return near; }
    float getFar() const { return far; }
    glm::vec2 getNearFar() const { return glm::vec2(near, far); }
    // Turn a depth-buffer value back into a linear distance.
    glm::vec2 getDepthConstants() const;

private:
    glm::mat4 matrix;
    float aspect;
    float fov;
    float near;
    float far;
};
