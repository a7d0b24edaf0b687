#include "engine/render/Material.h"
#include "engine/render/Texture.h"
#include "engine/render/Object.h"
#include "engine/render/ShadingHook.h"
#include "engine/render/VAO.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/DataTexturePool.h"

#include "RenderFixture.h"
#include "support/GLContext.h"

#include <glm/gtc/matrix_transform.hpp>

#include <memory>
#include <string>
#include <vector>

namespace {

// A one-triangle mesh owned by the scene, with the given box.
VAO* addMesh(VLMScene& scene, const glm::vec3& lo, const glm::vec3& hi)
{
    VAO* mesh = new VAO("Mesh");
    float* data = mesh->createFloatBuffer(GL_FLOAT, 9, GL_STATIC_DRAW);
    const float corners[9] = {-1, -1, 0, 1, -1, 0, 0, 1, 0};
    std::copy(corners, corners + 9, data);
    mesh->mapArray(data, "in_Position", 3, 0);
    mesh->upload();
    mesh->setBBoxMin(lo);
    mesh->setBBoxMax(hi);
    scene.addMesh(mesh);
    return mesh;
}

Object* addObject(VLMScene& scene, const std::string& name, VAO* mesh, Object* parent)
{
    Object* obj = new Object;
    obj->setName(name);
    obj->setMesh(mesh);
    obj->setMatrix(glm::translate(glm::mat4(1.0f), glm::vec3(static_cast<float>(scene.getObjectCount()), 0, 0)));
    if (parent) {
        obj->setParent(parent);
        parent->addChild(obj);
    }
    scene.addObject(obj);
    return obj;
}

struct Call {
    int pass;
    float x;
    VAO* mesh;
    Material* material;
};

class RecordingHook : public ShadingHook {
public:
    explicit RecordingHook(Shader* s) { shader = s; }
    void apply(int pass, glm::mat4 world, VAO* mesh, Material* material) override
    {
        calls.push_back({pass, world[3][0], mesh, material});
    }
    std::vector<Call> calls;
};

const char* kVertex = "#version 150\nin vec3 in_Position;\nvoid main() { gl_Position = vec4(in_Position, 1.0); }\n";
const char* kFragment = "#version 150\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n";

}

using SceneDraw = rendertest::GLTest;

TEST_F(SceneDraw, InvisibleSubtreesAndObjectsWithoutHookAreSkipped)
{
    std::unique_ptr<Shader> shader = rendertest::makeShader("plain", kVertex, kFragment);
    rendertest::RawTarget target(4, 4);
    RecordingHook hook(shader.get());
    Material paint;

    VLMScene scene;
    VAO* mesh = addMesh(scene, glm::vec3(0), glm::vec3(1));
    Object* car = addObject(scene, "car", mesh, nullptr);
    Object* wheel = addObject(scene, "wheel", mesh, car);
    Object* body = addObject(scene, "body", mesh, car);
    Object* door = addObject(scene, "door", mesh, body);
    Object* frame = addObject(scene, "frame", nullptr, car);
    addObject(scene, "tree", mesh, nullptr);  // no hook
    for (Object* obj : {car, wheel, body, door, frame})
        obj->setShadingHook(&hook);
    wheel->setMaterial(&paint);
    body->setVisible(false, false);  // hides the visible door below it too

    const int before = renderStats.drawCalls;
    scene.draw(3, nullptr);
    ASSERT_EQ(hook.calls.size(), 2u);
    EXPECT_EQ(hook.calls[0].pass, 3);
    EXPECT_EQ(hook.calls[0].x, 0.0f);  // the car's world matrix
    EXPECT_EQ(hook.calls[0].mesh, mesh);
    EXPECT_EQ(hook.calls[1].x, 1.0f);  // the wheel
    EXPECT_EQ(hook.calls[1].material, &paint);
    EXPECT_EQ(renderStats.drawCalls - before, 2);

    // With a shader every visible object with a mesh draws, hook or not.
    hook.calls.clear();
    scene.draw(0, shader.get());
    EXPECT_TRUE(hook.calls.empty());
    EXPECT_EQ(renderStats.drawCalls - before, 2 + 3);
}

TEST_F(SceneDraw, BoundingBoxCoversMeshesAndCountsMeshlessObjectsAsOrigin)
{
    struct Case {
        const char* what;
        std::vector<std::pair<glm::vec3, glm::vec3>> boxes;  // lo == hi == -1: no mesh
        glm::vec3 lo, hi;
    } cases[] = {
        {"two meshes", {{{-1, -2, -3}, {1, 2, 3}}, {{5, 0, 0}, {6, 1, 1}}}, {-1, -2, -3}, {6, 2, 3}},
        {"meshless first", {{{-1, -1, -1}, {-1, -1, -1}}, {{2, 2, 2}, {3, 3, 3}}}, {0, 0, 0}, {3, 3, 3}},
        {"meshless last", {{{-4, 2, 2}, {-3, 3, 3}}, {{-1, -1, -1}, {-1, -1, -1}}}, {-4, 0, 0}, {0, 3, 3}},
        {"only meshless", {{{-1, -1, -1}, {-1, -1, -1}}}, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        VLMScene scene;
        for (const auto& [lo, hi] : c.boxes) {
            VAO* mesh = lo == glm::vec3(-1) && hi == glm::vec3(-1) ? nullptr : addMesh(scene, lo, hi);
            addObject(scene, "o" + std::to_string(scene.getObjectCount()), mesh, nullptr);
        }
        scene.computeBoundingBox();
        EXPECT_EQ(scene.getBBoxMin(), c.lo) << c.what;
        EXPECT_EQ(scene.getBBoxMax(), c.hi) << c.what;
        testsupport::drainGLErrors();
        scene.drawBoundingBox();
        EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR)) << c.what;
    }
}

TEST_F(SceneDraw, InstanceGroupsFollowTheSharedMeshes)
{
    VLMScene scene;
    VAO* a = addMesh(scene, glm::vec3(0), glm::vec3(1));
    VAO* b = addMesh(scene, glm::vec3(0), glm::vec3(1));
    addObject(scene, "a1", a, nullptr);
    addObject(scene, "b1", b, nullptr);
    addObject(scene, "none", nullptr, nullptr);
    addObject(scene, "a2", a, nullptr);
    scene.buildInstanceGroups();
    const auto& groups = scene.getInstanceGroups();
    ASSERT_EQ(groups.size(), 3u);
    std::vector<std::string> inA;
    for (Object* obj : groups.at(a)->objects)
        inA.push_back(obj->getName());
    EXPECT_EQ(inA, (std::vector<std::string>{"a1", "a2"}));
    EXPECT_EQ(groups.at(a)->mesh, a);
    EXPECT_EQ(groups.at(b)->objects.size(), 1u);
    EXPECT_EQ(groups.at(nullptr)->objects.size(), 1u);

    Object* a1 = scene.getObject("a1");
    scene.removeObject(a1);
    EXPECT_EQ(groups.at(a)->objects.size(), 1u);
    delete a1;
}

TEST_F(SceneDraw, MaterialsFindTheirTexturesInThePool)
{
    DataTexturePool* saved = VLMPulsvek::textureDataPool;
    auto pool = std::make_unique<DataTexturePool>();
    VLMPulsvek::textureDataPool = pool.get();
    Texture* paint = new Texture("Paint.png", Texture::generateId());
    pool->addTexture("paint", paint);

    VLMScene scene;
    Material* found = new Material;
    found->setTextureName("paint");
    Material* missing = new Material;
    missing->setTextureName("Paint.png");  // the file name is not the alias
    missing->setTexture(paint);
    Material* none = new Material;
    none->setTexture(paint);  // no texture name: left alone
    scene.addMaterial("found", found);
    scene.addMaterial("missing", missing);
    scene.addMaterial("none", none);
    for (Material* m : {found, missing, none, found})
        addObject(scene, "o" + std::to_string(scene.getObjectCount()), nullptr, nullptr)->setMaterial(m);
    addObject(scene, "bare", nullptr, nullptr);

    scene.resolveTextures();
    EXPECT_EQ(found->getTexture(), paint);
    EXPECT_EQ(missing->getTexture(), nullptr);
    EXPECT_EQ(none->getTexture(), paint);

    testsupport::StdoutCapture disposeLine;
    pool.reset();
    VLMPulsvek::textureDataPool = saved;
}
