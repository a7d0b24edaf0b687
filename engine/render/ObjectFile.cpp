#include "engine/render/ObjectFile.h"

#include "engine/render/Light.h"
#include "engine/render/Material.h"
#include "engine/render/Object.h"
#include "engine/render/VAO.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/VLMIO.h"
#include "util/Assert.h"
#include "util/File.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

namespace {

const int kVersion = 2;
// GL 3.2 guarantees 16 vertex attributes; a mesh maps at most that many.
const std::int64_t kMaxAttributes = 16;
// Deepest node tree; drawing and matrix updates recurse once per level.
const int kMaxDepth = 1000;

// Smallest size of each record, used to reject counts the file cannot hold.
const std::int64_t kMinMeshBytes = 2 * 4 + 6 * 4 + 4 * 4 + 4;
const std::int64_t kMinTextureBytes = 4 + 1 + 1;
const std::int64_t kMinMaterialBytes = 4 + 1 + 13 * 4 + 4;
const std::int64_t kMinLightBytes = 2 * 4 + 6 * 4;
const std::int64_t kMinNodeBytes = 2 * 4 + 1 + 4 + 16 * 4;

}

// Reads from the byte file and never past its end; every failure leaves one
// message that names the file and what was wrong.
class ObjectFile::Cursor {
public:
    Cursor(File& file, const std::string& path, std::string& message)
        : file(file), path(path), message(message)
    {
    }

    std::int64_t remaining() const { return file.getSize() - static_cast<std::int64_t>(file.getPosition()); }

    bool fail(const std::string& detail)
    {
        message = "Invalid object file '" + path + "', " + detail + ".";
        return false;
    }

    bool need(std::int64_t bytes, const std::string& what)
    {
        if (bytes <= remaining())
            return true;
        return fail("the data ends early in " + what + " (byte " + std::to_string(file.getPosition()) + " of " +
                    std::to_string(file.getSize()) + ")");
    }

    bool readInt(int& value, const std::string& what)
    {
        if (!need(4, what))
            return false;
        value = file.readInt();
        return true;
    }

    bool readFloats(float* out, std::int64_t count, const std::string& what)
    {
        if (!need(count * 4, what))
            return false;
        for (std::int64_t i = 0; i < count; ++i)
            out[i] = file.readFloat();
        return true;
    }

    bool readString(std::string& value, const std::string& what)
    {
        if (!need(1, what))
            return false;
        const int start = file.getPosition();
        value = file.readString();
        if (file.isOverrun())
            return fail("the text in " + what + " is not terminated (byte " + std::to_string(start) + ")");
        return true;
    }

    // A count that is not negative and whose records, at their smallest, fit the rest of the file.
    bool readCount(int& count, std::int64_t minBytesEach, const std::string& what)
    {
        if (!readInt(count, what))
            return false;
        if (count < 0)
            return fail(what + " " + std::to_string(count) + " is negative");
        if (count * minBytesEach > remaining())
            return fail(what + " " + std::to_string(count) + " does not fit the " + std::to_string(remaining()) +
                        " bytes that follow");
        return true;
    }

private:
    File& file;
    const std::string& path;
    std::string& message;
};

ObjectFile::ObjectFile(const std::string& path) : path(path), scene(new VLMScene) {}

ObjectFile::~ObjectFile()
{
    for (auto& entry : lights)
        delete entry.second;
    if (!ok)
        discardScene();
}

VAO* ObjectFile::getMesh(int id) const
{
    auto it = meshes.find(id);
    return it == meshes.end() ? nullptr : it->second;
}

Object* ObjectFile::getNode(int id) const
{
    auto it = nodes.find(id);
    return it == nodes.end() ? nullptr : it->second;
}

Light* ObjectFile::getLight(int id) const
{
    auto it = lights.find(id);
    return it == lights.end() ? nullptr : it->second;
}

void ObjectFile::discardScene()
{
    // A failed load never links its nodes into the scene: they are the reader's.
    for (auto& entry : nodes)
        delete entry.second;
    nodes.clear();
    meshes.clear();
    materials.clear();
    delete scene;
    scene = nullptr;
}

VLMScene* ObjectFile::load()
{
    VLM_ASSERT(!loadCalled);
    loadCalled = true;
    std::unique_ptr<File> file(VLMIO::loadFile(path));
    if (!file || !file->isOpen()) {
        message = "Object '" + path + "' not found";
        return nullptr;
    }
    Cursor in(*file, path, message);
    if (!readFile(in)) {
        discardScene();
        return nullptr;
    }
    ok = true;
    scene->setSourceFile(path);
    scene->computeBoundingBox();
    scene->buildInstanceGroups();
    return scene;
}

bool ObjectFile::readFile(Cursor& in)
{
    int version = 0;
    if (!in.readInt(version, "the version"))
        return false;
    if (verbose)
        vlm::logLine("File version : ", version);
    if (version != kVersion) {
        message = "Invalid object version in file '" + path + "', File version states version " +
                  std::to_string(version) + ". Expected version " + std::to_string(kVersion) + ".";
        return false;
    }

    if (!readRecords(in, "mesh", kMinMeshBytes, "Number of meshes : ", &ObjectFile::readMesh) ||
        !readRecords(in, "texture", kMinTextureBytes, "Number of textures ", &ObjectFile::readTexture) ||
        !readRecords(in, "material", kMinMaterialBytes, "Number of materials ", &ObjectFile::readMaterial) ||
        !readRecords(in, "light", kMinLightBytes, "Number of lights ", &ObjectFile::readLight))
        return false;
    if (verbose)
        vlm::logLine("--- Scene Tree ---");
    if (!readRecords(in, "node", kMinNodeBytes, "Number of nodes ", &ObjectFile::readNode))
        return false;
    return linkNodes(in);
}

bool ObjectFile::readRecords(Cursor& in, const std::string& kind, std::int64_t minBytes, const char* countLog,
                             RecordReader read)
{
    int count = 0;
    if (!in.readCount(count, minBytes, "the " + kind + " count"))
        return false;
    if (verbose)
        vlm::logLine(countLog, count);
    for (int i = 0; i < count; ++i)
        if (!(this->*read)(in, kind + " " + std::to_string(i) + " of " + std::to_string(count)))
            return false;
    return true;
}

bool ObjectFile::readMesh(Cursor& in, const std::string& what)
{
    int id = 0;
    int materialId = 0;
    if (!in.readInt(id, what) || !in.readInt(materialId, what))
        return false;
    if (verbose) {
        vlm::logLine("Mesh id : '", id, "'");
        vlm::logLine("Material id : '", materialId, "'");
    }

    float box[6];
    int vertexCount = 0;
    int hasTangents = 0;
    int uvSets = 0;
    int colorSets = 0;
    if (!in.readFloats(box, 6, what) || !in.readCount(vertexCount, 0, what + " vertex count") ||
        !in.readInt(hasTangents, what) || !in.readCount(uvSets, 0, what + " UV set count") ||
        !in.readCount(colorSets, 0, what + " colour set count"))
        return false;
    if (hasTangents != 0 && hasTangents != 1)
        return in.fail(what + " has the tangent flag " + std::to_string(hasTangents) + " (expected 0 or 1)");
    const std::int64_t attributes = 2 + 2 * static_cast<std::int64_t>(hasTangents) + uvSets + colorSets;
    if (attributes > kMaxAttributes)
        return in.fail(what + " has " + std::to_string(attributes) + " vertex attributes (at most " +
                       std::to_string(kMaxAttributes) + ")");

    const std::int64_t perVertex = 6 + 6 * static_cast<std::int64_t>(hasTangents) + 2 * uvSets + 4 * colorSets;
    const std::int64_t floatCount = perVertex * vertexCount;
    if (floatCount * 4 + 4 > in.remaining())
        return in.fail(what + " vertex count " + std::to_string(vertexCount) + " does not fit the " +
                       std::to_string(in.remaining()) + " bytes that follow");
    std::vector<float> vertices(static_cast<size_t>(floatCount));
    if (verbose)
        vlm::logLine("--- Interleaved data ---");
    if (!in.readFloats(vertices.data(), floatCount, what + " vertices"))
        return false;
    if (verbose)
        vlm::logLine("");

    int triangleCount = 0;
    if (!in.readCount(triangleCount, 3 * 4, what + " triangle count"))
        return false;
    std::vector<unsigned int> indices(static_cast<size_t>(triangleCount) * 3);
    if (verbose)
        vlm::logLine("--- Polydata ---");
    for (unsigned int& index : indices) {
        int value = 0;
        if (!in.readInt(value, what + " indices"))
            return false;
        if (value < 0 || value >= vertexCount)
            return in.fail(what + " has the index " + std::to_string(value) + " beyond its " +
                           std::to_string(vertexCount) + " vertices");
        index = static_cast<unsigned int>(value);
    }
    if (verbose)
        vlm::logLine("");

    VAO* mesh = new VAO("Mesh");
    scene->addMesh(mesh);
    mesh->setId(id);
    mesh->setBBoxMin(glm::vec3(box[0], box[1], box[2]));
    mesh->setBBoxMax(glm::vec3(box[3], box[4], box[5]));

    float* data = mesh->createFloatBuffer(GL_FLOAT, static_cast<int>(floatCount), GL_STATIC_DRAW);
    if (floatCount > 0)
        std::memcpy(data, vertices.data(), vertices.size() * sizeof(float));
    mesh->mapArray(data, "in_Position", 3, 0);
    mesh->mapArray(data, "in_Normal", 3, 0);
    if (hasTangents == 1) {
        mesh->mapArray(data, "in_Tangent", 3, 0);
        mesh->mapArray(data, "in_BiTangent", 3, 0);
    }
    for (int i = 0; i < uvSets; ++i)
        mesh->mapArray(data, "in_UV" + std::to_string(i), 2, 0);
    for (int i = 0; i < colorSets; ++i)
        mesh->mapArray(data, "in_Color" + std::to_string(i), 4, 0);
    if (!indices.empty()) {
        unsigned int* target = mesh->createIndexBuffer(static_cast<int>(indices.size()));
        std::memcpy(target, indices.data(), indices.size() * sizeof(unsigned int));
    }
    mesh->upload();
    meshes[id] = mesh;
    return true;
}

bool ObjectFile::readTexture(Cursor& in, const std::string& what)
{
    int id = 0;
    std::string name;
    std::string file;
    if (!in.readInt(id, what) || !in.readString(name, what + " name") || !in.readString(file, what + " file"))
        return false;
    if (verbose)
        vlm::logLine("Texture ", id, " : ", name, " : ", file);

    std::string alias = file;
    bool declared = false;
    for (TextureDefinition& def : VLMPulsvek::textureDefinitions)
        if (def.file == file) {
            def.mipmap = true;
            alias = def.name;
            declared = true;
            break;
        }
    if (!declared) {
        TextureDefinition def;
        def.name = file;
        def.file = file;
        def.target = GL_TEXTURE_2D;
        def.mipmap = true;
        def.layers = 0;
        VLMPulsvek::textureDefinitions.push_back(def);
    }
    textureAliases[id] = alias;
    return true;
}

bool ObjectFile::readMaterial(Cursor& in, const std::string& what)
{
    int id = 0;
    std::string name;
    float f[13];
    int textureId = 0;
    if (!in.readInt(id, what) || !in.readString(name, what + " name") || !in.readFloats(f, 13, what) ||
        !in.readInt(textureId, what))
        return false;
    if (scene->materialExists(name))
        return in.fail("two materials are named '" + name + "'");

    Material* material = new Material;
    material->setId(id);
    material->setName(name);
    material->setDiffuse(f[4], f[5], f[6]);
    material->setSpecular(f[8], f[9], f[10]);
    material->setShininess(f[12]);
    auto alias = textureAliases.find(textureId);
    if (alias != textureAliases.end())
        material->setTextureName(alias->second);
    scene->addMaterial(name, material);
    materials[id] = material;
    return true;
}

bool ObjectFile::readLight(Cursor& in, const std::string& what)
{
    int id = 0;
    int type = 0;
    float f[6];
    if (!in.readInt(id, what) || !in.readInt(type, what) || !in.readFloats(f, 6, what))
        return false;
    Light* light = new Light;
    light->setType(type);
    light->setColor(glm::vec4(f[0], f[1], f[2], 1.0f));
    light->radius = f[3];
    light->keptValue = f[4];
    light->coneAngle = f[5];
    Light*& entry = lights[id];
    delete entry;
    entry = light;
    return true;
}

bool ObjectFile::readNode(Cursor& in, const std::string& what)
{
    int id = 0;
    int parentId = 0;
    std::string name;
    int meshCount = 0;
    if (!in.readInt(id, what))
        return false;
    if (verbose)
        vlm::logLine("-> Node id : ", id);
    if (!in.readInt(parentId, what))
        return false;
    if (verbose)
        vlm::logLine("-> Parent id : ", parentId);
    if (!in.readString(name, what + " name"))
        return false;
    if (verbose)
        vlm::logLine("-> Name : ", name);
    if (!in.readCount(meshCount, 4, what + " mesh count"))
        return false;
    if (verbose)
        vlm::logLine("-> Meshes : ", meshCount);
    int meshId = 0;
    for (int i = 0; i < meshCount; ++i)
        if (!in.readInt(meshId, what + " mesh ids"))
            return false;
    glm::mat4 matrix;
    if (!in.readFloats(&matrix[0][0], 16, what + " matrix"))
        return false;
    if (meshCount < 1)
        return true;

    Object* obj = new Object;
    obj->setId(id);
    obj->setParentId(parentId);
    obj->setName(name);
    obj->setMesh(getMesh(meshId));
    obj->setMatrix(matrix);
    Object*& entry = nodes[id];
    delete entry;
    entry = obj;
    return true;
}

bool ObjectFile::linkNodes(Cursor& in)
{
    std::set<std::string> names;
    for (auto& entry : nodes)
        if (!names.insert(entry.second->getName()).second)
            return in.fail("two nodes are named '" + entry.second->getName() + "'");

    // Parent ids must not loop back, and trees stay shallow enough for the
    // scene's recursive walks: go up from every node to a root or to a node
    // whose depth is known, then number that walk from the top.
    std::map<int, int> depth;  // -1 while the current walk passes through
    for (auto& entry : nodes) {
        std::vector<int> walk;
        int id = entry.first;
        int base = 0;
        while (true) {
            auto known = depth.find(id);
            if (known != depth.end()) {
                if (known->second < 0)
                    return in.fail("node " + std::to_string(id) + " is its own ancestor");
                base = known->second + 1;
                break;
            }
            depth[id] = -1;
            walk.push_back(id);
            const int parentId = nodes.at(id)->getParentId();
            if (parentId == id || nodes.count(parentId) == 0)
                break;
            id = parentId;
        }
        for (size_t k = walk.size(); k-- > 0;) {
            const int d = base + static_cast<int>(walk.size() - 1 - k);
            if (d >= kMaxDepth)
                return in.fail("node " + std::to_string(walk[k]) + " lies deeper than " +
                               std::to_string(kMaxDepth) + " levels");
            depth[walk[k]] = d;
        }
    }

    for (auto& entry : nodes) {
        Object* obj = entry.second;
        auto parent = nodes.find(obj->getParentId());
        if (parent != nodes.end() && parent->second != obj) {
            obj->setParent(parent->second);
            parent->second->addChild(obj);
        }
        scene->addObject(obj);
    }
    return true;
}
