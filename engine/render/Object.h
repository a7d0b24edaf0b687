#pragma once
// One named node of a scene: a mesh, a material, local and world matrices and
// a list of children. The scene owns every object; an object owns nothing.

#include <glm/glm.hpp>

#include <string>
#include <vector>

class AnimationPath;
class Material;
class Shader;
class ShadingHook;
class VAO;

class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    int getId() const { return id; }
    void setId(int value) { id = value; }
    int getParentId() const { return parentId; }
    void setParentId(int value) { parentId = value; }

    VAO* getMesh() const { return mesh; }
    void setMesh(VAO* value) { mesh = value; }
    bool hasMesh() const { return mesh != nullptr; }
    Material* getMaterial() const { return material; }
    void setMaterial(Material* value) { material = value; }
    ShadingHook* getShadingHook() const { return shadingHook; }
    void setShadingHook(ShadingHook* value) { shadingHook = value; }
    void setShadingHookTree(ShadingHook* value);

    std::string getName() const { return name; }
    void setName(const std::string& value) { name = value; }
    Object* getParent() const { return parent; }
    void setParent(Object* value) { parent = value; }
    AnimationPath* getAnimationPath() const { return animationPath; }
    void setAnimationPath(AnimationPath* value) { animationPath = value; }

    // No bounds checks: the caller keeps i in range.
    void addChild(Object* child) { children.push_back(child); }
    Object* getChild(int i) const { return children[static_cast<size_t>(i)]; }
    void setChild(int i, Object* child) { children[static_cast<size_t>(i)] = child; }
    int getChildCount() const { return static_cast<int>(children.size()); }
    bool hasChildren() const { return !children.empty(); }
    // Takes the first occurrence of child out of the children; false when absent.
    bool removeChild(Object* child);

    void setVisible(bool value, bool recursive);
    void setVisibleTree(bool value) { setVisible(value, true); }
    bool isVisible() const { return visible; }

    glm::mat4 getLocalMatrix() const { return local; }
    glm::mat4 getWorldMatrix() const { return world; }
    // Sets both the local and the world matrix.
    void setMatrix(const glm::mat4& m) { local = world = m; }
    void setPosition(const glm::vec3& p) { world[3] = glm::vec4(p, 1.0f); }
    // world = world x Rx x Ry x Rz, skipping axes whose angle is exactly 0.
    void rotate(const glm::vec3& degrees);
    // world = parentMatrix x local; children get the same parentMatrix.
    void updateMatrices(float t, const glm::mat4& parentMatrix);

    // The mesh's box, or the origin without a mesh.
    glm::vec3 getBBoxMin() const;
    glm::vec3 getBBoxMax() const;

    // Looks the material's texture up in the texture pool by its name.
    void resolveTexture();

    void draw(int pass, Shader* shader);
    // Draws this object and its subtree unless it is invisible.
    void drawTree(int pass, Shader* shader);

    // A new object sharing mesh, material, hook, path, visibility, user value,
    // parent and child pointers; ids stay 0 and both matrices identity.
    Object* clone(const std::string& newName) const;

    int getUserValue() const { return userValue; }
    void setUserValue(int value) { userValue = value; }

private:
    int id = 0;
    int parentId = 0;
    VAO* mesh = nullptr;
    Material* material = nullptr;
    ShadingHook* shadingHook = nullptr;
    std::string name;
    Object* parent = nullptr;
    AnimationPath* animationPath = nullptr;
    std::vector<Object*> children;
    bool visible = true;
    glm::mat4 local{1.0f};
    glm::mat4 world{1.0f};
    int userValue = 0;
};
