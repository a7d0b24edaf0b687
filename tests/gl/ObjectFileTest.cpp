#include "engine/render/Light.h"
#include "engine/render/Material.h"
#include "engine/render/Object.h"
#include "engine/render/ObjectFile.h"
#include "engine/render/VAO.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/ResourceDefinition.h"
#include "tools/objectfile/ObjectFileWriter.h"
#include "util/File.h"

#include "RenderFixture.h"
#include "support/Capture.h"
#include "support/GLContext.h"
#include "support/TempDir.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

using testsupport::TempDir;

namespace {

// ---- what the tests need to see of a mesh ----

int attributeOffset(VAO* mesh, const std::string& name)
{
    AttributeMapping* m = mesh->getMapping(name);
    return m ? m->offset : -1;
}

int attributeCount(VAO* mesh)
{
    int count = 0;
    for (const std::string name : {"in_Position", "in_Normal", "in_Tangent", "in_BiTangent"})
        count += mesh->hasMapping(name);
    for (int i = 0; i < 16; ++i)
        count += mesh->hasMapping("in_UV" + std::to_string(i)) + mesh->hasMapping("in_Color" + std::to_string(i));
    return count;
}

int vertexStride(VAO* mesh)
{
    return mesh->getBuffers().size() == 1 ? mesh->getBuffers()[0]->getStride() : -1;
}

bool hasIndexBuffer(VAO* mesh)
{
    return mesh->getIndexBuffer() != nullptr;
}

// ---- fixtures ----

ObjectFileWriter::Mesh makeMesh(int id, bool tangents, int uvSets, int colorSets, int vertexCount,
                                std::vector<int> indices)
{
    ObjectFileWriter::Mesh mesh;
    mesh.id = id;
    mesh.materialId = 100 + id;
    mesh.hasTangents = tangents;
    mesh.uvSets = uvSets;
    mesh.colorSets = colorSets;
    const int per = mesh.floatsPerVertex();
    for (int v = 0; v < vertexCount; ++v)
        for (int k = 0; k < per; ++k)
            mesh.vertices.push_back(static_cast<float>(v * 100 + k));
    mesh.indices = std::move(indices);
    mesh.fitBoundingBox();
    return mesh;
}

ObjectFileWriter::Node makeNode(int id, int parentId, const std::string& name, std::vector<int> meshIds)
{
    ObjectFileWriter::Node node;
    node.id = id;
    node.parentId = parentId;
    node.name = name;
    node.meshIds = std::move(meshIds);
    node.matrix = glm::translate(glm::mat4(1.0f), glm::vec3(static_cast<float>(id), 0.5f, -2.0f));
    return node;
}

// Every kind of record, with nodes out of id order.
ObjectFileWriter fullWriter()
{
    ObjectFileWriter w;
    w.addMesh(makeMesh(7, true, 2, 1, 3, {0, 1, 2}));
    w.addMesh(makeMesh(8, false, 3, 2, 4, {}));
    w.addTexture({1, "paint", "Paint.png"});
    ObjectFileWriter::Material m;
    m.id = 3;
    m.name = "body";
    m.diffuse = glm::vec3(0.1f, 0.2f, 0.3f);
    m.specular = glm::vec3(0.7f, 0.8f, 0.9f);
    m.shininess = 42.0f;
    m.textureId = 1;
    w.addMaterial(m);
    w.addLight({2, Light::kSpot, glm::vec3(1, 0.5f, 0.25f), 12.0f, 3.5f, 60.0f});
    w.addNode(makeNode(5, 1, "wheel", {7}));
    w.addNode(makeNode(1, -1, "car", {8, 7}));
    w.addNode(makeNode(3, 1, "", {8}));
    w.addNode(makeNode(9, 4, "orphan", {7}));
    w.addNode(makeNode(4, -1, "empty", {}));
    return w;
}

std::string writeFile(const TempDir& dir, const std::vector<char>& bytes, const std::string& name = "o.vbo")
{
    return dir.write(name, std::string(bytes.begin(), bytes.end()));
}

// Hand-made bytes for what the writer refuses to write.
struct Bytes {
    std::vector<char> data;
    Bytes& i32(int v)
    {
        for (int k = 0; k < 4; ++k)
            data.push_back(static_cast<char>((static_cast<unsigned>(v) >> (8 * k)) & 0xFF));
        return *this;
    }
    Bytes& f32(float v, int n = 1)
    {
        unsigned raw;
        std::memcpy(&raw, &v, 4);
        for (int k = 0; k < n; ++k)
            i32(static_cast<int>(raw));
        return *this;
    }
    Bytes& str(const std::string& s, bool terminated = true)
    {
        data.insert(data.end(), s.begin(), s.end());
        if (terminated)
            data.push_back(0);
        return *this;
    }
    Bytes& counts(std::initializer_list<int> values)
    {
        for (int v : values)
            i32(v);
        return *this;
    }
};

// Version, one mesh header with the given counts, then the floats and indices given.
Bytes meshFile(int vertexCount, int tangents, int uvSets, int colorSets, int floats, int triangles,
               std::vector<int> indices)
{
    Bytes b;
    b.i32(2).i32(1).i32(0).i32(0).f32(0.0f, 6).i32(vertexCount).i32(tangents).i32(uvSets).i32(colorSets);
    b.f32(1.0f, floats).i32(triangles);
    for (int i : indices)
        b.i32(i);
    return b;
}

// Starts every test with no texture declarations and puts the old ones back after.
class ObjectFileRead : public rendertest::GLTest {
protected:
    ObjectFileRead() { saved.swap(VLMPulsvek::textureDefinitions); }
    ~ObjectFileRead() override { VLMPulsvek::textureDefinitions.swap(saved); }
    std::vector<TextureDefinition> saved;
};

std::vector<std::string> objectNames(VLMScene* scene)
{
    std::vector<std::string> names;
    for (int i = 0; i < scene->getObjectCount(); ++i)
        names.push_back(scene->getObject(i)->getName());
    return names;
}

}

TEST_F(ObjectFileRead, MeshesInterleaveTheirAttributes)
{
    TempDir dir;
    ObjectFile reader(writeFile(dir, fullWriter().bytes()));
    std::unique_ptr<VLMScene> scene(reader.load());
    ASSERT_TRUE(scene) << reader.getMessage();
    EXPECT_TRUE(reader.isOk());
    EXPECT_EQ(scene->getMeshCount(), 2);

    struct Case {
        int id;
        int stride;
        std::map<std::string, int> offsets;
        bool indexed;
        int vertices;
    } cases[] = {
        {7, 80,
         {{"in_Position", 0}, {"in_Normal", 12}, {"in_Tangent", 24}, {"in_BiTangent", 36}, {"in_UV0", 48},
          {"in_UV1", 56}, {"in_Color0", 64}},
         true, 3},
        {8, 80,
         {{"in_Position", 0}, {"in_Normal", 12}, {"in_UV0", 24}, {"in_UV1", 32}, {"in_UV2", 40}, {"in_Color0", 48},
          {"in_Color1", 64}},
         false, 4},
    };
    for (const Case& c : cases) {
        VAO* mesh = reader.getMesh(c.id);
        ASSERT_NE(mesh, nullptr) << c.id;
        EXPECT_EQ(mesh->getId(), c.id);
        EXPECT_EQ(vertexStride(mesh), c.stride) << c.id;
        EXPECT_EQ(attributeCount(mesh), static_cast<int>(c.offsets.size())) << c.id;
        for (const auto& [name, offset] : c.offsets)
            EXPECT_EQ(attributeOffset(mesh, name), offset) << c.id << " " << name;
        EXPECT_EQ(hasIndexBuffer(mesh), c.indexed) << c.id;
        EXPECT_EQ(mesh->getVertexCount(), c.vertices) << c.id;
    }
    // Boxes come from the file: the writer fitted them to the positions.
    EXPECT_EQ(reader.getMesh(7)->getBBoxMin(), glm::vec3(0, 1, 2));
    EXPECT_EQ(reader.getMesh(7)->getBBoxMax(), glm::vec3(200, 201, 202));
    EXPECT_EQ(scene->getBBoxMin(), glm::vec3(0, 1, 2));
    EXPECT_EQ(scene->getBBoxMax(), glm::vec3(300, 301, 302));
    EXPECT_EQ(reader.getMesh(99), nullptr);
}

TEST_F(ObjectFileRead, NodesBecomeObjectsInIdOrder)
{
    TempDir dir;
    ObjectFile reader(writeFile(dir, fullWriter().bytes()));
    std::unique_ptr<VLMScene> scene(reader.load());
    ASSERT_TRUE(scene) << reader.getMessage();

    // Node 4 lists no mesh and makes no object, so node 9 below it is a root.
    EXPECT_EQ(objectNames(scene.get()), (std::vector<std::string>{"car", "Object", "wheel", "orphan"}));
    Object* car = scene->getObject("car");
    ASSERT_EQ(car->getChildCount(), 2);
    EXPECT_EQ(car->getChild(0)->getName(), "Object");
    EXPECT_EQ(car->getChild(1)->getName(), "wheel");
    EXPECT_EQ(car->getChild(1)->getParent(), car);
    EXPECT_EQ(scene->getRootCount(), 2);
    EXPECT_EQ(scene->getRoot(0), car);
    EXPECT_EQ(scene->getRoot(1)->getName(), "orphan");
    EXPECT_EQ(reader.getNode(4), nullptr);
    EXPECT_EQ(reader.getNode(9), scene->getObject("orphan"));

    // A node with several meshes keeps the last.
    EXPECT_EQ(car->getMesh(), reader.getMesh(7));
    EXPECT_EQ(scene->getObject("Object")->getMesh(), reader.getMesh(8));
    EXPECT_EQ(car->getId(), 1);
    EXPECT_EQ(car->getParentId(), -1);
    const glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(1, 0.5f, -2));
    EXPECT_EQ(car->getLocalMatrix(), m);
    EXPECT_EQ(car->getWorldMatrix(), m);

    // Objects sharing a mesh form one group.
    const auto& groups = scene->getInstanceGroups();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups.at(reader.getMesh(7))->objects.size(), 3u);
    EXPECT_EQ(groups.at(reader.getMesh(8))->objects.size(), 1u);
}

TEST_F(ObjectFileRead, MaterialsTexturesAndLights)
{
    TempDir dir;
    ObjectFileWriter w = fullWriter();
    w.addTexture({6, "again", "Car.png"});
    w.addTexture({6, "later", "Car.png"});  // a later record with the same id takes it
    ObjectFileWriter::Material chrome;
    chrome.id = 4;
    chrome.name = "chrome";
    chrome.textureId = 6;
    w.addMaterial(chrome);
    ObjectFileWriter::Material plain;
    plain.id = 5;
    plain.name = "plain";
    plain.textureId = 77;  // no such texture
    w.addMaterial(plain);

    VLMPulsvek::textureDefinitions.push_back({"carTex", "Car.png", GL_TEXTURE_2D, false, 0});
    ObjectFile reader(writeFile(dir, w.bytes()));
    std::unique_ptr<VLMScene> scene(reader.load());
    ASSERT_TRUE(scene) << reader.getMessage();

    // An existing declaration is reused (and mipmapped); a new file is declared once.
    const auto& defs = VLMPulsvek::textureDefinitions;
    ASSERT_EQ(defs.size(), 2u);
    EXPECT_EQ(defs[0].name, "carTex");
    EXPECT_TRUE(defs[0].mipmap);
    EXPECT_EQ(defs[1].name, "Paint.png");
    EXPECT_EQ(defs[1].file, "Paint.png");
    EXPECT_EQ(defs[1].target, GL_TEXTURE_2D);
    EXPECT_TRUE(defs[1].mipmap);
    EXPECT_EQ(defs[1].layers, 0);

    Material* body = scene->getMaterial("body");
    EXPECT_EQ(body->getId(), 3);
    EXPECT_EQ(body->getDiffuse(), glm::vec3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(body->getSpecular(), glm::vec3(0.7f, 0.8f, 0.9f));
    EXPECT_EQ(body->getShininess(), 42.0f);
    EXPECT_EQ(body->getTextureName(), "Paint.png");
    EXPECT_EQ(scene->getMaterial("chrome")->getTextureName(), "carTex");
    EXPECT_EQ(scene->getMaterial("plain")->getTextureName(), "");
    EXPECT_EQ(scene->getMaterials().size(), 3u);

    // Lights stay in the reader's table.
    EXPECT_TRUE(scene->getLights().empty());
    Light* light = reader.getLight(2);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->getType(), Light::kSpot);
    EXPECT_EQ(light->getColor(), glm::vec4(1, 0.5f, 0.25f, 1));
    EXPECT_EQ(light->radius, 12.0f);
    EXPECT_EQ(light->keptValue, 3.5f);
    EXPECT_EQ(light->coneAngle, 60.0f);
    EXPECT_EQ(reader.getLight(3), nullptr);
}

TEST_F(ObjectFileRead, LogsOnlyWhenVerbose)
{
    TempDir dir;
    ObjectFileWriter w;
    w.addNode(makeNode(1, 0, "n", {}));
    const std::string path = writeFile(dir, w.bytes());
    {
        testsupport::StdoutCapture out;
        ObjectFile reader(path);
        std::unique_ptr<VLMScene> scene(reader.load());
        EXPECT_EQ(out.text(), "");
    }
    testsupport::StdoutCapture out;
    ObjectFile reader(path);
    reader.setVerbose(true);
    std::unique_ptr<VLMScene> scene(reader.load());
    EXPECT_EQ(out.lines(), (std::vector<std::string>{"File version : 2", "Number of meshes : 0", "Number of textures 0",
                                                      "Number of materials 0", "Number of lights 0",
                                                      "--- Scene Tree ---", "Number of nodes 1", "-> Node id : 1",
                                                      "-> Parent id : 0", "-> Name : n", "-> Meshes : 0"}));
}

TEST_F(ObjectFileRead, MissingFileAndWrongVersion)
{
    TempDir dir;
    const std::string missing = dir.file("nothing.vbo");
    ObjectFile absent(missing);
    EXPECT_EQ(absent.load(), nullptr);
    EXPECT_FALSE(absent.isOk());
    EXPECT_EQ(absent.getMessage(), "Object '" + missing + "' not found");

    const std::string old = writeFile(dir, Bytes().counts({1, 0, 0, 0, 0, 0}).data);
    ObjectFile reader(old);
    EXPECT_EQ(reader.load(), nullptr);
    EXPECT_FALSE(reader.isOk());
    EXPECT_EQ(reader.getMessage(),
              "Invalid object version in file '" + old + "', File version states version 1. Expected version 2.");
}

// Every prefix of a complete file fails with a message and leaks nothing.
TEST_F(ObjectFileRead, EveryTruncationFailsCleanly)
{
    TempDir dir;
    const std::vector<char> full = fullWriter().bytes();
    const std::string path = dir.file("cut.vbo");
    for (size_t length = 0; length < full.size(); ++length) {
        writeFile(dir, std::vector<char>(full.begin(), full.begin() + static_cast<long>(length)), "cut.vbo");
        ObjectFile reader(path);
        EXPECT_EQ(reader.load(), nullptr) << length;
        EXPECT_FALSE(reader.isOk());
        EXPECT_EQ(reader.getMessage().rfind("Invalid object file '" + path + "', ", 0), 0u)
            << length << ": " << reader.getMessage();
        VLMPulsvek::textureDefinitions.clear();
    }
}

TEST_F(ObjectFileRead, HostileCountsAndIndicesFail)
{
    TempDir dir;
    const int big = 0x7FFFFFFF;
    struct Case {
        const char* what;
        Bytes bytes;
        std::string message;
    } cases[] = {
        {"mesh count", Bytes().counts({2, big}), "the mesh count 2147483647 does not fit the 0 bytes that follow"},
        {"negative mesh count", Bytes().counts({2, -1}), "the mesh count -1 is negative"},
        {"vertex count", meshFile(big, 0, 0, 0, 6, 0, {}),
         "mesh 0 of 1 vertex count 2147483647 does not fit the 28 bytes that follow"},
        {"vertex count overflow", meshFile(0x40000000, 1, 0, 0, 0, 0, {}),
         "mesh 0 of 1 vertex count 1073741824 does not fit the 4 bytes that follow"},
        {"negative vertex count", meshFile(-3, 0, 0, 0, 0, 0, {}), "mesh 0 of 1 vertex count -3 is negative"},
        {"tangent flag", meshFile(1, 2, 0, 0, 18, 0, {}), "mesh 0 of 1 has the tangent flag 2 (expected 0 or 1)"},
        {"negative UV sets", meshFile(1, 0, -1, 0, 6, 0, {}), "mesh 0 of 1 UV set count -1 is negative"},
        {"negative colour sets", meshFile(1, 0, 0, -5, 6, 0, {}), "mesh 0 of 1 colour set count -5 is negative"},
        {"attribute sets", meshFile(0, 0, big, 0, 0, 0, {}),
         "mesh 0 of 1 has 2147483649 vertex attributes (at most 16)"},
        {"triangle count", meshFile(1, 0, 0, 0, 6, big, {}),
         "mesh 0 of 1 triangle count 2147483647 does not fit the 0 bytes that follow"},
        {"index at vertex count", meshFile(3, 0, 0, 0, 18, 1, {0, 1, 3}),
         "mesh 0 of 1 has the index 3 beyond its 3 vertices"},
        {"negative index", meshFile(3, 0, 0, 0, 18, 1, {0, -1, 2}),
         "mesh 0 of 1 has the index -1 beyond its 3 vertices"},
        {"indices without vertices", meshFile(0, 0, 0, 0, 0, 1, {0, 0, 0}),
         "mesh 0 of 1 has the index 0 beyond its 0 vertices"},
        {"unterminated string", Bytes().counts({2, 0, 1, 5}).str("Car.png", false),
         "the text in texture 0 of 1 name is not terminated (byte 16)"},
        {"node mesh ids", Bytes().counts({2, 0, 0, 0, 0, 1, 1, 0}).str("n").i32(big).f32(0, 16),
         "node 0 of 1 mesh count 2147483647 does not fit the 64 bytes that follow"},
        {"texture count", Bytes().counts({2, 0, 100}), "the texture count 100 does not fit the 0 bytes that follow"},
        {"light count", Bytes().counts({2, 0, 0, 0, 2}).f32(0, 8),
         "the light count 2 does not fit the 32 bytes that follow"},
        {"duplicate material", Bytes().counts({2, 0, 0, 2}).i32(1).str("").f32(0, 13).i32(-1).i32(2).str("").f32(0, 13)
                                   .i32(-1).counts({0, 0}),
         "two materials are named 'Object'"},
        {"duplicate node", Bytes().counts({2, 0, 0, 0, 0, 2}).counts({1, 0}).str("").counts({1, 0}).f32(0, 16)
                               .counts({2, 0}).str("").counts({1, 0}).f32(0, 16),
         "two nodes are named 'Object'"},
        {"parent loop", Bytes().counts({2, 0, 0, 0, 0, 3}).counts({1, 2}).str("a").counts({1, 0}).f32(0, 16)
                            .counts({2, 3}).str("b").counts({1, 0}).f32(0, 16)
                            .counts({3, 1}).str("c").counts({1, 0}).f32(0, 16),
         "node 1 is its own ancestor"},
    };
    for (const Case& c : cases) {
        const std::string path = writeFile(dir, c.bytes.data);
        ObjectFile reader(path);
        EXPECT_EQ(reader.load(), nullptr) << c.what;
        EXPECT_FALSE(reader.isOk()) << c.what;
        EXPECT_EQ(reader.getMessage(), "Invalid object file '" + path + "', " + c.message + ".") << c.what;
        VLMPulsvek::textureDefinitions.clear();
    }
}

// A triangle over the whole target, drawn through the scene with a shader that
// reads the UV and colour sets behind the tangents: wrong offsets show as a
// wrong colour.
TEST_F(ObjectFileRead, LoadedMeshDrawsWithItsInterleavedAttributes)
{
    TempDir dir;
    ObjectFileWriter w;
    ObjectFileWriter::Mesh mesh;
    mesh.hasTangents = true;
    mesh.uvSets = 1;
    mesh.colorSets = 1;
    const float corners[3][3] = {{-1, -1, 0}, {3, -1, 0}, {-1, 3, 0}};
    for (const auto& p : corners) {
        mesh.vertices.insert(mesh.vertices.end(), {p[0], p[1], p[2]});
        mesh.vertices.insert(mesh.vertices.end(), 9, 9.0f);  // normal, tangent, bitangent
        mesh.vertices.insert(mesh.vertices.end(), {0.8f, 0.1f, 0.2f, 0.6f, 0.0f, 1.0f});
    }
    mesh.indices = {0, 1, 2};
    w.addMesh(mesh);
    w.addNode(makeNode(1, 0, "tri", {0}));
    ObjectFile reader(writeFile(dir, w.bytes()));
    std::unique_ptr<VLMScene> scene(reader.load());
    ASSERT_TRUE(scene) << reader.getMessage();

    std::unique_ptr<Shader> shader = rendertest::makeShader("interleave",
        "#version 150\n"
        "in vec3 in_Position;\nin vec2 in_UV0;\nin vec4 in_Color0;\nout vec4 c;\n"
        "void main() { c = vec4(in_Color0.rg, in_UV0.x, in_Color0.a); gl_Position = vec4(in_Position, 1.0); }\n",
        "#version 150\nin vec4 c;\nout vec4 color;\nvoid main() { color = c; }\n");
    rendertest::RawTarget target(8, 8);
    rendertest::clearTo(0, 0, 0, 0);
    scene->draw(0, shader.get());
    for (auto [x, y] : {std::pair{0, 0}, {4, 4}, {7, 7}}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        rendertest::expectNear(rendertest::pixel(x, y), {51, 153, 204, 255});
    }
}

TEST_F(ObjectFileRead, TreesUpToAThousandLevelsLoad)
{
    TempDir dir;
    for (int levels : {1000, 1001}) {
        ObjectFileWriter w;
        for (int id = 1; id <= levels; ++id)
            w.addNode(makeNode(id, id - 1, "n" + std::to_string(id), {0}));
        const std::string path = writeFile(dir, w.bytes());
        ObjectFile reader(path);
        std::unique_ptr<VLMScene> scene(reader.load());
        if (levels == 1000) {
            ASSERT_TRUE(scene) << reader.getMessage();
            EXPECT_EQ(scene->getRootCount(), 1);
            scene->updateMatrices(0.0f);
            EXPECT_EQ(scene->getObject("n1000")->getWorldMatrix(), scene->getObject("n1000")->getLocalMatrix());
        } else {
            EXPECT_EQ(scene, nullptr);
            EXPECT_EQ(reader.getMessage(), "Invalid object file '" + path + "', node 1001 lies deeper than 1000 levels.");
        }
    }
}
