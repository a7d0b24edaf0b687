#pragma once
// Light record of a scene. Types: 1 spot, 2 directional, 3 point; angles in degrees.

#include <glm/glm.hpp>

#include <string>

class Camera;
class CubeMapFBO;
class Shader;
class Texture;

class Light {
public:
    static constexpr int kSpot = 1;
    static constexpr int kDirectional = 2;
    static constexpr int kPoint = 3;

    Light() = default;
    Light(int type, Shader* shader, float radius, const glm::vec4& color);

    std::string getName() const { return name; }
    void setName(const std::string& value) { name = value; }
    int getType() const { return type; }
    void setType(int value) { type = value; }
    int getUserInt() const { return userInt; }
    void setUserInt(int value) { userInt = value; }
    Shader* getShader() const { return shader; }
    void setShader(Shader* value) { shader = value; }
    bool getUserFlag() const { return userFlag; }
    void setUserFlag(bool value) { userFlag = value; }
    glm::vec3 getRotation() const { return rotation; }
    void setRotation(const glm::vec3& degrees) { rotation = degrees; }
    bool isEnabled() const { return enabled; }
    void setEnabled(bool value) { enabled = value; }
    glm::vec4 getColor() const { return color; }
    void setColor(const glm::vec4& value) { color = value; }
    glm::vec3 getPosition() const { return position; }
    void setPosition(const glm::vec3& value) { position = value; }
    glm::mat4 getPlacement() const { return placement; }
    void setPlacement(const glm::mat4& value) { placement = value; }
    glm::mat4 getVolumeMatrix() const { return volumeMatrix; }

    // Clears the rotation part of the placement and, for point and spot
    // lights, rebuilds the volume's model-view matrix for the camera.
    void updateMatrices(Camera* camera);

private:
    std::string name;
    int type = 0;
    int userInt = 0;
    Shader* shader = nullptr;
    bool userFlag = true;
    glm::vec3 rotation{0.0f};
    bool enabled = true;
    glm::vec4 color{1.0f};

public:
    // Read and written directly by the object-file reader and the lighting passes.
    float radius = 10.0f;
    float coneAngle = 0.0f;  // full opening angle of a spot light
    float keptValue = 0.0f;  // from the object file; nothing reads it
    float linearAttenuation = 1.0f;

private:
    glm::mat4 placement{1.0f};
    glm::mat4 volumeMatrix{1.0f};
    glm::vec3 position{0.0f};

public:
    CubeMapFBO* cubeMapTarget = nullptr;  // not owned
    glm::mat4 objectMatrix{1.0f};
    Texture* spotTexture = nullptr;  // not owned
};
