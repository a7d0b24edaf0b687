#pragma once
// Surface record of a scene: colours, shininess and a texture found by alias.

#include <glm/glm.hpp>

#include <string>

class Texture;

class Material {
public:
    // Bytes of one material-buffer slot; the last four are left to the caller.
    static constexpr int kBufferSlotBytes = 16;

    Material() = default;
    Material(const std::string& name, int id, const glm::vec3& diffuse, const glm::vec3& specular,
             float shininess);

    int getId() const { return id; }
    void setId(int value) { id = value; }
    std::string getName() const { return name; }
    void setName(const std::string& value) { name = value; }
    glm::vec3 getDiffuse() const { return diffuse; }
    void setDiffuse(float r, float g, float b) { diffuse = glm::vec3(r, g, b); }
    glm::vec3 getSpecular() const { return specular; }
    void setSpecular(float r, float g, float b) { specular = glm::vec3(r, g, b); }
    float getShininess() const { return shininess; }
    void setShininess(float value) { shininess = value; }
    Texture* getTexture() const { return texture; }
    void setTexture(Texture* value) { texture = value; }
    std::string getTextureName() const { return textureName; }
    void setTextureName(const std::string& value) { textureName = value; }
    std::string getExtraTextureName() const { return extraTextureName; }
    void setExtraTextureName(const std::string& value) { extraTextureName = value; }
    int getExtraValue() const { return extraValue; }
    void setExtraValue(int value) { extraValue = value; }
    float getBufferValue0() const { return bufferValue0; }
    float getBufferValue1() const { return bufferValue1; }

    // Writes bytes 0 to 11 of the material's slot in the material buffer:
    // the two buffer values, the specular colour and the exponent (1 to 255).
    // Colours are clamped to 0..1 before scaling, so out-of-range and NaN
    // values give 0 or 255 instead of wrapping.
    void writeBufferEntry(unsigned char* slot) const;

private:
    [[maybe_unused]] float unused[3] = {1.0f, 1.0f, 1.0f};
    std::string name;
    int id = 0;
    glm::vec3 diffuse{1.0f, 0.0f, 0.0f};
    glm::vec3 specular{0.25f, 0.25f, 0.25f};
    float shininess = 10.0f;
    Texture* texture = nullptr;
    int extraValue = 0;
    std::string textureName;
    std::string extraTextureName;
    float bufferValue0 = 0.0f;
    float bufferValue1 = 1.0f;
};

// The process-wide material with the defaults; nothing reads it.
extern Material defaultMaterial;
