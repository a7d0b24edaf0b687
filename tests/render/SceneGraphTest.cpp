#include "engine/render/AnimationPath.h"
#include "engine/render/Camera.h"
#include "engine/render/Light.h"
#include "engine/render/Material.h"
#include "engine/render/Object.h"
#include "engine/render/ShadingHook.h"
#include "engine/render/VLMScene.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <functional>
#include <string>
#include <vector>

namespace {

Object* makeObject(const std::string& name, Object* parent = nullptr)
{
    Object* obj = new Object;
    obj->setName(name);
    if (parent) {
        obj->setParent(parent);
        parent->addChild(obj);
    }
    return obj;
}

std::vector<std::string> names(const std::vector<Object*>& objects)
{
    std::vector<std::string> result;
    for (Object* obj : objects)
        result.push_back(obj->getName());
    return result;
}

template <typename At>
std::vector<Object*> collect(int count, At at)
{
    std::vector<Object*> result;
    for (int i = 0; i < count; ++i)
        result.push_back(at(i));
    return result;
}

std::vector<Object*> roots(const VLMScene& scene)
{
    return collect(scene.getRootCount(), [&](int i) { return scene.getRoot(i); });
}

std::vector<Object*> children(const Object* obj)
{
    return collect(obj->getChildCount(), [&](int i) { return obj->getChild(i); });
}

std::vector<Object*> listed(const VLMScene& scene)
{
    return collect(scene.getObjectCount(), [&](int i) { return scene.getObject(i); });
}

// car (root) with wheel and body; body has a door. A second root: tree.
struct CarScene {
    VLMScene scene;
    Object* car = makeObject("car");
    Object* wheel = makeObject("wheel", car);
    Object* body = makeObject("body", car);
    Object* door = makeObject("door", body);
    Object* tree = makeObject("tree");

    CarScene()
    {
        for (Object* obj : {car, wheel, body, door, tree})
            scene.addObject(obj);
    }
};

class NullHook : public ShadingHook {
public:
    void apply(int, glm::mat4, VAO*, Material*) override {}
};

}

TEST(SceneGraph, RootsAreObjectsAddedWithoutParent)
{
    CarScene s;
    EXPECT_EQ(names(roots(s.scene)), (std::vector<std::string>{"car", "tree"}));
    EXPECT_EQ(names(listed(s.scene)), (std::vector<std::string>{"car", "wheel", "body", "door", "tree"}));
    EXPECT_EQ(s.scene.getObject("door"), s.door);
    EXPECT_TRUE(s.scene.objectExists("wheel"));
    EXPECT_FALSE(s.scene.objectExists("Wheel"));
    EXPECT_EQ(s.scene.getObjectCount(), 5);
}

TEST(SceneGraph, VisibilityOfSubtrees)
{
    CarScene s;
    s.car->setVisible(false, false);
    EXPECT_FALSE(s.car->isVisible());
    EXPECT_TRUE(s.wheel->isVisible());
    EXPECT_TRUE(s.door->isVisible());

    s.body->setVisibleTree(false);
    EXPECT_FALSE(s.body->isVisible());
    EXPECT_FALSE(s.door->isVisible());
    EXPECT_TRUE(s.wheel->isVisible());

    s.car->setVisible(true, true);
    for (Object* obj : {s.car, s.wheel, s.body, s.door})
        EXPECT_TRUE(obj->isVisible()) << obj->getName();
    EXPECT_TRUE(s.tree->isVisible());
}

TEST(SceneGraph, CloneCopiesSubtreeWithIndexedNames)
{
    CarScene s;
    Material paint;
    NullHook hook;
    AnimationPath path;
    const glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    s.car->setMatrix(m);
    s.car->rotate(glm::vec3(0, 90, 0));
    s.car->setMaterial(&paint);
    s.car->setShadingHook(&hook);
    s.car->setAnimationPath(&path);
    s.car->setUserValue(42);
    s.car->setId(7);
    s.car->setParentId(3);
    s.wheel->setMatrix(m);
    s.door->setVisible(false, false);

    Object* copy = s.scene.cloneObject(s.car, "car2", nullptr);
    EXPECT_EQ(names(listed(s.scene)),
              (std::vector<std::string>{"car", "wheel", "body", "door", "tree", "car2", "car2_c0", "car2_c1",
                                        "car2_c1_c0"}));
    // The clone is drawn: it is a root like its source.
    EXPECT_EQ(names(roots(s.scene)), (std::vector<std::string>{"car", "tree", "car2"}));
    // Ids and matrices are not copied: the clone starts at the defaults.
    EXPECT_EQ(copy->getLocalMatrix(), glm::mat4(1.0f));
    EXPECT_EQ(copy->getWorldMatrix(), glm::mat4(1.0f));
    EXPECT_EQ(copy->getParentId(), 0);
    EXPECT_EQ(copy->getMaterial(), &paint);
    EXPECT_EQ(copy->getShadingHook(), &hook);
    EXPECT_EQ(copy->getAnimationPath(), &path);
    EXPECT_EQ(copy->getUserValue(), 42);
    EXPECT_EQ(copy->getId(), 0);

    Object* body2 = s.scene.getObject("car2_c1");
    EXPECT_EQ(body2->getParent(), copy);
    EXPECT_EQ(children(copy), (std::vector<Object*>{s.scene.getObject("car2_c0"), body2}));
    EXPECT_EQ(children(body2), (std::vector<Object*>{s.scene.getObject("car2_c1_c0")}));
    EXPECT_FALSE(s.scene.getObject("car2_c1_c0")->isVisible());
    EXPECT_EQ(s.scene.getObject("car2_c0")->getWorldMatrix(), glm::mat4(1.0f));
    // The source keeps its matrices.
    EXPECT_NE(s.car->getWorldMatrix(), glm::mat4(1.0f));
    EXPECT_EQ(s.car->getLocalMatrix(), m);
    // The source keeps its own children.
    EXPECT_EQ(children(s.car), (std::vector<Object*>{s.wheel, s.body}));
}

TEST(SceneGraph, CloneHangsBelowItsParent)
{
    CarScene s;
    // Under a new parent: appended to its children, not a root.
    Object* spare = s.scene.cloneObject(s.wheel, "spare", s.tree);
    EXPECT_EQ(spare->getParent(), s.tree);
    EXPECT_EQ(children(s.tree), (std::vector<Object*>{spare}));
    // Without a new parent: beside its source, below the source's parent.
    Object* door2 = s.scene.cloneObject(s.door, "door2", nullptr);
    EXPECT_EQ(door2->getParent(), s.body);
    EXPECT_EQ(children(s.body), (std::vector<Object*>{s.door, door2}));
    EXPECT_EQ(names(roots(s.scene)), (std::vector<std::string>{"car", "tree"}));
    // Cloning a subtree below one of its own descendants terminates.
    Object* loop = s.scene.cloneObject(s.car, "loop", s.door);
    EXPECT_EQ(children(s.door), (std::vector<Object*>{loop}));
    EXPECT_EQ(s.scene.getObjectCount(), 5 + 2 + 5);
}

TEST(SceneGraph, RemoveTakesObjectOutOfEveryList)
{
    CarScene s;
    s.scene.buildInstanceGroups();
    s.scene.removeObject(s.body);
    EXPECT_FALSE(s.scene.objectExists("body"));
    EXPECT_EQ(names(listed(s.scene)), (std::vector<std::string>{"car", "wheel", "door", "tree"}));
    EXPECT_EQ(children(s.car), (std::vector<Object*>{s.wheel}));
    // Its child stays in the scene and is still drawn, now as a root.
    EXPECT_EQ(names(roots(s.scene)), (std::vector<std::string>{"car", "tree", "door"}));
    EXPECT_EQ(s.door->getParent(), nullptr);
    ASSERT_EQ(s.scene.getInstanceGroups().size(), 1u);
    EXPECT_EQ(names(s.scene.getInstanceGroups().begin()->second->objects),
              (std::vector<std::string>{"car", "wheel", "door", "tree"}));

    s.scene.removeObject(s.tree);
    EXPECT_EQ(names(roots(s.scene)), (std::vector<std::string>{"car", "door"}));
    // A removed object belongs to the caller again; removing it twice changes nothing.
    s.scene.removeObject(s.tree);
    EXPECT_EQ(s.scene.getObjectCount(), 3);
    delete s.body;
    delete s.tree;

    // An object that was never added does not take another object's name out.
    Object stranger;
    stranger.setName("car");
    s.scene.removeObject(&stranger);
    EXPECT_EQ(s.scene.getObject("car"), s.car);
}

TEST(SceneGraph, InstanceGroupsAndBoundingBoxOfMeshlessObjects)
{
    VLMScene empty;
    empty.computeBoundingBox();
    EXPECT_EQ(empty.getBBoxMin(), glm::vec3(0.0f));
    EXPECT_EQ(empty.getBBoxMax(), glm::vec3(0.0f));

    CarScene s;
    s.scene.computeBoundingBox();
    EXPECT_EQ(s.scene.getBBoxMin(), glm::vec3(0.0f));
    EXPECT_EQ(s.scene.getBBoxMax(), glm::vec3(0.0f));

    s.scene.buildInstanceGroups();
    s.scene.buildInstanceGroups();  // the first groups are freed, not kept
    ASSERT_EQ(s.scene.getInstanceGroups().size(), 1u);
    const InstanceGroup* group = s.scene.getInstanceGroups().begin()->second;
    EXPECT_EQ(group->mesh, nullptr);
    EXPECT_EQ(names(group->objects), (std::vector<std::string>{"car", "wheel", "body", "door", "tree"}));
}

TEST(SceneGraph, WorldMatricesAreRootMatrixTimesLocalAtEveryDepth)
{
    CarScene s;
    const glm::mat4 root = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));
    const glm::mat4 carLocal = glm::translate(glm::mat4(1.0f), glm::vec3(1, 0, 0));
    const glm::mat4 doorLocal = glm::translate(glm::mat4(1.0f), glm::vec3(0, 5, 0));
    s.car->setMatrix(carLocal);
    s.door->setMatrix(doorLocal);
    s.scene.setRootMatrix(root);
    s.scene.updateMatrices(0.5f);
    EXPECT_EQ(s.car->getWorldMatrix(), root * carLocal);
    EXPECT_EQ(s.door->getWorldMatrix(), root * doorLocal);
    EXPECT_EQ(s.wheel->getWorldMatrix(), root);
    EXPECT_EQ(s.door->getLocalMatrix(), doorLocal);

    // Rotations apply to world in x, y, z order; the position stays.
    Object obj;
    obj.setPosition(glm::vec3(4, 5, 6));
    obj.rotate(glm::vec3(90, 0, 90));
    glm::mat4 expected = glm::translate(glm::mat4(1.0f), glm::vec3(4, 5, 6));
    expected = glm::rotate(expected, 90 * 0.017453292f, glm::vec3(1, 0, 0));
    expected = glm::rotate(expected, 90 * 0.017453292f, glm::vec3(0, 0, 1));
    EXPECT_EQ(obj.getWorldMatrix(), expected);
}

TEST(SceneGraph, HooksUserValuesPathsCamerasLightsAndMaterials)
{
    CarScene s;
    NullHook all;
    NullHook glass;
    Material* window = new Material;
    Material* unused = new Material;
    s.scene.addMaterial("window", window);
    s.scene.addMaterial("unused", unused);
    s.door->setMaterial(window);

    s.scene.setShadingHook(&all);
    s.scene.setShadingHook(window, &glass);
    s.scene.setShadingHook(unused, nullptr);  // nobody uses it: no change
    EXPECT_EQ(s.door->getShadingHook(), &glass);
    for (Object* obj : {s.car, s.wheel, s.body, s.tree})
        EXPECT_EQ(obj->getShadingHook(), &all) << obj->getName();
    s.scene.setShadingHook("wheel", nullptr);
    EXPECT_EQ(s.wheel->getShadingHook(), nullptr);
    s.body->setShadingHookTree(&glass);
    EXPECT_EQ(s.door->getShadingHook(), &glass);
    EXPECT_EQ(s.body->getShadingHook(), &glass);
    EXPECT_EQ(s.car->getShadingHook(), &all);

    s.scene.setUserValue("tree", -3);
    EXPECT_EQ(s.tree->getUserValue(), -3);

    // A path goes to the object of its name, else to the camera of its name.
    Camera* cam = new Camera("chase");
    s.scene.addCamera("chase", cam);
    AnimationPath* carPath = new AnimationPath;
    AnimationPath* camPath = new AnimationPath;
    AnimationPath* loose = new AnimationPath;
    s.scene.addAnimationPath("car", carPath);
    s.scene.addAnimationPath("chase", camPath);
    s.scene.addAnimationPath("nobody", loose);
    EXPECT_EQ(s.car->getAnimationPath(), carPath);
    EXPECT_EQ(cam->getAnimationPath(), camPath);
    EXPECT_EQ(s.scene.getAnimationPath("nobody"), loose);
    EXPECT_TRUE(s.scene.animationPathExists("chase"));
    EXPECT_EQ(s.scene.getCamera("chase"), cam);

    Light* lamp = new Light(Light::kPoint, nullptr, 2.0f, glm::vec4(1));
    s.scene.addLight("lamp", lamp);
    std::map<std::string, Light*> lights = s.scene.getLights();
    lights.clear();  // a copy
    EXPECT_EQ(s.scene.getLights().size(), 1u);
    EXPECT_EQ(s.scene.getLight("lamp"), lamp);
    EXPECT_EQ(s.scene.getMaterials().size(), 2u);
    EXPECT_EQ(s.scene.getMaterial("window"), window);
    EXPECT_FALSE(s.scene.lightExists("window"));
    EXPECT_FALSE(s.scene.cameraExists("car"));
}

TEST(SceneGraphDeathTest, MisuseAsserts)
{
    struct Case {
        const char* condition;
        std::function<void(CarScene&)> misuse;
    } cases[] = {
        {"obj != NULL", [](CarScene& s) { s.scene.addObject(nullptr); }},
        {"!objectExists\\(obj->getName\\(\\)\\)", [](CarScene& s) { s.scene.addObject(makeObject("wheel")); }},
        {"i >= 0 && i < objectList.size\\(\\)", [](CarScene& s) { s.scene.getObject(5); }},
        {"i >= 0 && i < objectList.size\\(\\)", [](CarScene& s) { s.scene.getObject(-1); }},
        {"0", [](CarScene& s) { s.scene.getObject("nope"); }},
        {"obj != NULL", [](CarScene& s) { s.scene.removeObject(nullptr); }},
        {"obj != NULL", [](CarScene& s) { s.scene.setShadingHook("nope", nullptr); }},
        {"obj != NULL", [](CarScene& s) { s.scene.setUserValue("nope", 1); }},
        {"!objectExists\\(obj->getName\\(\\)\\)", [](CarScene& s) {
             s.scene.cloneObject(s.body, "twice", nullptr);
             s.scene.cloneObject(s.body, "twice", nullptr);
         }},
        {"!lightExists\\(name\\)", [](CarScene& s) {
             s.scene.addLight("l", new Light);
             s.scene.addLight("l", new Light);
         }},
        {"!materialExists\\(name\\)", [](CarScene& s) {
             s.scene.addMaterial("m", new Material);
             s.scene.addMaterial("m", new Material);
         }},
        {"0", [](CarScene& s) {
             s.scene.addCamera("c", new Camera("c"));
             s.scene.addCamera("c", new Camera("c"));
         }},
        {"0", [](CarScene& s) {
             s.scene.addAnimationPath("p", new AnimationPath);
             s.scene.addAnimationPath("p", new AnimationPath);
         }},
        {"0", [](CarScene& s) { s.scene.getCamera("c"); }},
        {"0", [](CarScene& s) { s.scene.getAnimationPath("p"); }},
        {"0", [](CarScene& s) { s.scene.getLight("l"); }},
        {"0", [](CarScene& s) { s.scene.getMaterial("m"); }},
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Case& c : cases) {
        EXPECT_DEATH(
            {
                CarScene s;
                c.misuse(s);
            },
            std::string("Assertion failed: ") + c.condition + ", file .*VLMScene") << c.condition;
    }
}
