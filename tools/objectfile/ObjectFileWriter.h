#pragma once
// Writes version-2 object files: meshes, texture references, materials,
// lights and the node tree, in the byte layout the engine's reader expects.
// Records are written in the order they were added. Inconsistent records
// (a vertex array that is not whole vertices, indices beyond the vertices,
// strings with zero bytes) are programming errors and stop with an assertion.

#include <glm/glm.hpp>

#include <string>
#include <vector>

class File;

class ObjectFileWriter {
public:
    static constexpr int kVersion = 2;

    struct Mesh {
        int id = 0;
        int materialId = 0;  // the reader only logs it
        glm::vec3 bboxMin{0.0f};
        glm::vec3 bboxMax{0.0f};
        bool hasTangents = false;
        int uvSets = 0;
        int colorSets = 0;
        // Per vertex: position, normal, [tangent, bitangent], uvSets x (u, v),
        // colorSets x (r, g, b, a).
        std::vector<float> vertices;
        std::vector<int> indices;  // three per triangle

        int floatsPerVertex() const { return 6 + (hasTangents ? 6 : 0) + 2 * uvSets + 4 * colorSets; }
        int vertexCount() const;
        // Sets the box to enclose the vertex positions (the origin when there are none).
        void fitBoundingBox();
    };

    struct Texture {
        int id = 0;
        std::string name;  // only logged by the reader
        std::string file;  // image file inside the graphics folder
    };

    struct Material {
        int id = 0;
        std::string name;  // an empty name reads back as "Object"
        glm::vec3 diffuse{1.0f, 0.0f, 0.0f};
        glm::vec3 specular{0.25f, 0.25f, 0.25f};
        float shininess = 10.0f;
        int textureId = -1;  // an id no texture record has means no texture
        // The six floats of the record that the reader skips, in file order
        // (record floats 1 to 4, 8 and 12).
        float skipped[6] = {0, 0, 0, 0, 0, 0};
    };

    struct Light {
        int id = 0;
        int type = 3;  // 1 spot, 2 directional, 3 point
        glm::vec3 color{1.0f};
        float radius = 10.0f;
        float keptValue = 0.0f;
        float coneAngle = 0.0f;  // degrees
    };

    struct Node {
        int id = 0;
        int parentId = -1;  // an id that names no node with a mesh makes a root
        std::string name;   // an empty name reads back as "Object"
        std::vector<int> meshIds;  // the reader keeps the last; none makes no object
        glm::mat4 matrix{1.0f};   // the node's complete transform
    };

    void addMesh(const Mesh& mesh) { meshes.push_back(mesh); }
    void addTexture(const Texture& texture) { textures.push_back(texture); }
    void addMaterial(const Material& material) { materials.push_back(material); }
    void addLight(const Light& light) { lights.push_back(light); }
    void addNode(const Node& node) { nodes.push_back(node); }

    // The whole file as bytes.
    std::vector<char> bytes() const;
    // Writes the file, creating or emptying it; false when it cannot be written.
    bool save(const std::string& path) const;

private:
    void writeTo(File& out) const;

    std::vector<Mesh> meshes;
    std::vector<Texture> textures;
    std::vector<Material> materials;
    std::vector<Light> lights;
    std::vector<Node> nodes;
};
