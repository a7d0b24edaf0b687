#include "engine/render/Object.h"

#include "engine/render/Material.h"
#include "engine/render/ShadingHook.h"
#include "engine/render/VAO.h"
#include "engine/runtime/DataTexturePool.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>

namespace {
const float kDegToRad = 0.017453292f;
}

void Object::setShadingHookTree(ShadingHook* value)
{
    shadingHook = value;
    for (Object* child : children)
        child->setShadingHookTree(value);
}

bool Object::removeChild(Object* child)
{
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end())
        return false;
    children.erase(it);
    return true;
}

void Object::setVisible(bool value, bool recursive)
{
    visible = value;
    if (recursive)
        for (Object* child : children)
            child->setVisible(value, true);
}

void Object::rotate(const glm::vec3& degrees)
{
    static const glm::vec3 axes[3] = {glm::vec3(1, 0, 0), glm::vec3(0, 1, 0), glm::vec3(0, 0, 1)};
    for (int a = 0; a < 3; ++a)
        if (degrees[a] != 0.0f)
            world = glm::rotate(world, degrees[a] * kDegToRad, axes[a]);
}

void Object::updateMatrices(float t, const glm::mat4& parentMatrix)
{
    world = parentMatrix * local;
    for (Object* child : children)
        child->updateMatrices(t, parentMatrix);
}

glm::vec3 Object::getBBoxMin() const
{
    return mesh ? mesh->getBBoxMin() : glm::vec3(0.0f);
}

glm::vec3 Object::getBBoxMax() const
{
    return mesh ? mesh->getBBoxMax() : glm::vec3(0.0f);
}

void Object::resolveTexture()
{
    if (!material || material->getTextureName().empty())
        return;
    DataTexturePool* pool = VLMPulsvek::textureDataPool;
    material->setTexture(pool ? pool->getTexture(material->getTextureName()) : nullptr);
}

void Object::draw(int pass, Shader* shader)
{
    if (!mesh)
        return;
    if (shader) {
        mesh->bind(shader);
        mesh->draw();
        return;
    }
    if (!shadingHook)
        return;
    shadingHook->apply(pass, world, mesh, material);
    mesh->bind(shadingHook->getShader());
    mesh->draw();
}

void Object::drawTree(int pass, Shader* shader)
{
    if (!visible)
        return;
    draw(pass, shader);
    for (Object* child : children)
        child->drawTree(pass, shader);
}

Object* Object::clone(const std::string& newName) const
{
    Object* copy = new Object;
    copy->mesh = mesh;
    copy->material = material;
    copy->shadingHook = shadingHook;
    copy->animationPath = animationPath;
    copy->visible = visible;
    copy->userValue = userValue;
    copy->name = newName;
    copy->parent = parent;
    copy->children = children;
    return copy;
}
