#pragma once
// What one object file becomes: named objects with a parent/child hierarchy,
// materials, lights, cameras and keyframe paths by name, the meshes the
// objects share, groups of objects by mesh and the box around all meshes.
// The scene owns everything it holds.

#include "engine/render/Object.h"

#include <glm/glm.hpp>

#include <map>
#include <string>
#include <vector>

class AnimationPath;
class Camera;
class Light;
class Material;
class Shader;
class ShadingHook;
class VAO;

// Objects that share one mesh (the null mesh included), in the scene's order.
struct InstanceGroup {
    std::vector<Object*> objects;  // not owned
    VAO* mesh = nullptr;
};

class VLMScene {
public:
    VLMScene() = default;
    ~VLMScene();
    VLMScene(const VLMScene&) = delete;
    VLMScene& operator=(const VLMScene&) = delete;

    // Takes ownership. An object without a parent at this moment becomes a root.
    void addObject(Object* obj);
    // Takes the object out of the scene: the name map, the object list, the
    // roots, its parent's children and the instance groups. Its children
    // become roots. The caller owns the object again.
    void removeObject(Object* obj);
    Object* getObject(int i) const;
    Object* getObject(const std::string& name) const;
    // The object of that name, or null: for names that come from a file.
    Object* findObject(const std::string& name) const;
    bool objectExists(const std::string& name) const { return objects.count(name) != 0; }
    int getObjectCount() const { return static_cast<int>(objectList.size()); }
    int getRootCount() const { return static_cast<int>(roots.size()); }
    Object* getRoot(int i) const { return roots[static_cast<size_t>(i)]; }

    // Copies the subtree of source; children are named name + "_c" + index.
    // The copy hangs below newParent, or below source's parent when newParent
    // is null, or is a root when neither exists.
    Object* cloneObject(Object* source, const std::string& name, Object* newParent);

    void addCamera(const std::string& name, Camera* camera);
    Camera* getCamera(const std::string& name) const;
    bool cameraExists(const std::string& name) const { return cameras.count(name) != 0; }

    // Also attaches the path to the object, or else the camera, of that name.
    void addAnimationPath(const std::string& name, AnimationPath* path);
    AnimationPath* getAnimationPath(const std::string& name) const;
    bool animationPathExists(const std::string& name) const { return paths.count(name) != 0; }

    void addLight(const std::string& name, Light* light);
    Light* getLight(const std::string& name) const;
    bool lightExists(const std::string& name) const { return lights.count(name) != 0; }
    std::map<std::string, Light*> getLights() const { return lights; }

    void addMaterial(const std::string& name, Material* material);
    Material* getMaterial(const std::string& name) const;
    bool materialExists(const std::string& name) const { return materials.count(name) != 0; }
    std::map<std::string, Material*> getMaterials() const { return materials; }

    // Takes ownership of a mesh that objects of this scene share.
    void addMesh(VAO* mesh) { meshes.push_back(mesh); }
    int getMeshCount() const { return static_cast<int>(meshes.size()); }

    void setShadingHook(ShadingHook* hook);
    void setShadingHook(Material* material, ShadingHook* hook);
    void setShadingHook(const std::string& name, ShadingHook* hook);
    void setUserValue(const std::string& name, int value);

    void draw(int pass, Shader* shader);
    // Visits the roots and does nothing else.
    void update() {}
    void updateMatrices(float t);
    void updateLights(Camera* camera);
    void resolveTextures();

    glm::mat4 getRootMatrix() const { return rootMatrix; }
    void setRootMatrix(const glm::mat4& m) { rootMatrix = m; }

    void computeBoundingBox();
    glm::vec3 getBBoxMin() const { return bboxMin; }
    glm::vec3 getBBoxMax() const { return bboxMax; }
    // Draws nothing: the engine has no line shader for it in a core profile.
    void drawBoundingBox() {}

    void buildInstanceGroups();
    const std::map<VAO*, InstanceGroup*>& getInstanceGroups() const { return instanceGroups; }

    // The object file the scene was read from; empty for a scene made in code.
    const std::string& getSourceFile() const { return sourceFile; }
    void setSourceFile(const std::string& path) { sourceFile = path; }

private:
    Object* cloneSubtree(Object* source, const std::string& name, Object* newParent);
    void clearInstanceGroups();

    std::vector<Object*> objectList;
    std::map<std::string, Object*> objects;
    std::vector<Object*> roots;
    std::map<std::string, AnimationPath*> paths;
    std::map<std::string, Camera*> cameras;
    std::map<std::string, Material*> materials;
    std::map<std::string, Light*> lights;
    glm::mat4 rootMatrix{1.0f};
    std::map<VAO*, InstanceGroup*> instanceGroups;
    glm::vec3 bboxMin{0.0f};
    glm::vec3 bboxMax{0.0f};
    std::vector<VAO*> meshes;
    std::string sourceFile;
};
