#pragma once
// Interface an object may carry to take over its drawing: the object calls
// apply, then binds its mesh for the hook's shader and draws it.

#include <glm/glm.hpp>

class Material;
class Shader;
class VAO;

class ShadingHook {
public:
    virtual ~ShadingHook() = default;
    virtual void apply(int pass, glm::mat4 world, VAO* mesh, Material* material) = 0;

    Shader* getShader() const { return shader; }
    void setShader(Shader* value) { shader = value; }

protected:
    Shader* shader = nullptr;
};
