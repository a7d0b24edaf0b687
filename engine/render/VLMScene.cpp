#include "engine/render/VLMScene.h"

#include "engine/render/AnimationPath.h"
#include "engine/render/Camera.h"
#include "engine/render/Light.h"
#include "engine/render/Material.h"
#include "engine/render/VAO.h"
#include "util/Assert.h"

#include <algorithm>

namespace {

template <typename T>
void eraseFirst(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}

// The value under the name; a missing name is a programming error.
template <typename T>
T* lookup(const std::map<std::string, T*>& map, const std::string& name)
{
    auto it = map.find(name);
    if (it == map.end())
        VLM_ASSERT(0);
    return it->second;
}

template <typename Map>
void deleteValues(Map& map)
{
    for (auto& entry : map)
        delete entry.second;
    map.clear();
}

}

VLMScene::~VLMScene()
{
    for (Object* obj : objectList)
        delete obj;
    objectList.clear();
    objects.clear();
    roots.clear();
    deleteValues(paths);
    deleteValues(cameras);
    deleteValues(materials);
    deleteValues(lights);
    clearInstanceGroups();
    for (VAO* mesh : meshes)
        delete mesh;
    meshes.clear();
}

void VLMScene::addObject(Object* obj)
{
    VLM_ASSERT(obj != NULL);
    VLM_ASSERT(!objectExists(obj->getName()));
    objectList.push_back(obj);
    objects[obj->getName()] = obj;
    if (obj->getParent() == nullptr)
        roots.push_back(obj);
}

void VLMScene::removeObject(Object* obj)
{
    VLM_ASSERT(obj != NULL);
    auto named = objects.find(obj->getName());
    if (named != objects.end() && named->second == obj)
        objects.erase(named);
    auto listed = std::find(objectList.begin(), objectList.end(), obj);
    if (listed == objectList.end())
        return;
    objectList.erase(listed);
    eraseFirst(roots, obj);
    if (Object* parent = obj->getParent())
        parent->removeChild(obj);
    for (auto& entry : instanceGroups)
        eraseFirst(entry.second->objects, obj);
    for (int i = 0; i < obj->getChildCount(); ++i) {
        Object* child = obj->getChild(i);
        if (child->getParent() == obj) {
            child->setParent(nullptr);
            roots.push_back(child);
        }
    }
}

Object* VLMScene::getObject(int i) const
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
    VLM_ASSERT(i >= 0 && i < objectList.size());
#pragma GCC diagnostic pop
    return objectList[static_cast<size_t>(i)];
}

Object* VLMScene::findObject(const std::string& name) const
{
    auto it = objects.find(name);
    return it == objects.end() ? nullptr : it->second;
}

Object* VLMScene::getObject(const std::string& name) const
{
    return lookup(objects, name);
}

Object* VLMScene::cloneObject(Object* source, const std::string& name, Object* newParent)
{
    Object* copy = cloneSubtree(source, name, newParent);
    if (Object* parent = copy->getParent())
        parent->addChild(copy);
    return copy;
}

Object* VLMScene::cloneSubtree(Object* source, const std::string& name, Object* newParent)
{
    Object* copy = source->clone(name);
    if (newParent)
        copy->setParent(newParent);
    addObject(copy);
    for (int i = 0; i < source->getChildCount(); ++i) {
        Object* child = cloneSubtree(source->getChild(i), name + "_c" + std::to_string(i), copy);
        copy->setChild(i, child);
    }
    return copy;
}

void VLMScene::addCamera(const std::string& name, Camera* camera)
{
    if (cameraExists(name))
        VLM_ASSERT(0);
    cameras[name] = camera;
}

Camera* VLMScene::getCamera(const std::string& name) const
{
    return lookup(cameras, name);
}

void VLMScene::addAnimationPath(const std::string& name, AnimationPath* path)
{
    if (animationPathExists(name))
        VLM_ASSERT(0);
    paths[name] = path;
    if (Object* obj = findObject(name))
        obj->setAnimationPath(path);
    else if (cameraExists(name))
        cameras[name]->setAnimationPath(path);
}

AnimationPath* VLMScene::getAnimationPath(const std::string& name) const
{
    return lookup(paths, name);
}

void VLMScene::addLight(const std::string& name, Light* light)
{
    VLM_ASSERT(!lightExists(name));
    lights[name] = light;
}

Light* VLMScene::getLight(const std::string& name) const
{
    return lookup(lights, name);
}

void VLMScene::addMaterial(const std::string& name, Material* material)
{
    VLM_ASSERT(!materialExists(name));
    materials[name] = material;
}

Material* VLMScene::getMaterial(const std::string& name) const
{
    return lookup(materials, name);
}

void VLMScene::setShadingHook(ShadingHook* hook)
{
    for (Object* obj : objectList)
        obj->setShadingHook(hook);
}

void VLMScene::setShadingHook(Material* material, ShadingHook* hook)
{
    for (Object* obj : objectList)
        if (obj->getMaterial() == material)
            obj->setShadingHook(hook);
}

void VLMScene::setShadingHook(const std::string& name, ShadingHook* hook)
{
    Object* obj = findObject(name);
    VLM_ASSERT(obj != NULL);
    obj->setShadingHook(hook);
}

void VLMScene::setUserValue(const std::string& name, int value)
{
    Object* obj = findObject(name);
    VLM_ASSERT(obj != NULL);
    obj->setUserValue(value);
}

void VLMScene::draw(int pass, Shader* shader)
{
    for (Object* root : roots)
        root->drawTree(pass, shader);
}

void VLMScene::updateMatrices(float t)
{
    for (Object* root : roots)
        root->updateMatrices(t, rootMatrix);
}

void VLMScene::updateLights(Camera* camera)
{
    for (auto& entry : lights)
        entry.second->updateMatrices(camera);
}

void VLMScene::resolveTextures()
{
    for (Object* obj : objectList)
        obj->resolveTexture();
}

void VLMScene::computeBoundingBox()
{
    bool first = true;
    for (Object* obj : objectList) {
        const glm::vec3 lo = obj->getBBoxMin();
        const glm::vec3 hi = obj->getBBoxMax();
        if (first) {
            bboxMin = lo;
            bboxMax = hi;
            first = false;
        } else {
            bboxMin = glm::min(bboxMin, lo);
            bboxMax = glm::max(bboxMax, hi);
        }
    }
}

void VLMScene::clearInstanceGroups()
{
    deleteValues(instanceGroups);
}

void VLMScene::buildInstanceGroups()
{
    clearInstanceGroups();
    for (Object* obj : objectList) {
        InstanceGroup*& group = instanceGroups[obj->getMesh()];
        if (!group) {
            group = new InstanceGroup;
            group->mesh = obj->getMesh();
        }
        group->objects.push_back(obj);
    }
}
