#pragma once
// A mesh: buffers over client arrays, named attributes laid into them, an optional
// index buffer, and one vertex-array object per shader attribute layout, built
// the first time the mesh is drawn with such a shader. Map every attribute
// before the first bind: the vertex-array objects capture the layout.

#include "engine/render/VBO.h"
#include "engine/render/VertexArray.h"

#include <GL/glew.h>

#include <glm/vec3.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

class Shader;

class VAO {
public:
    explicit VAO(const std::string& name);
    // Releases the buffers, vertex arrays, mappings and the arrays the mesh allocated.
    ~VAO();

    VAO(const VAO&) = delete;
    VAO& operator=(const VAO&) = delete;

    void createBuffer(GLenum type, int count, void* data, GLenum usage);
    // count floats owned by the mesh, for the caller to fill (also used for byte data).
    float* createFloatBuffer(GLenum type, int count, GLenum usage);
    void addBuffer(VBO* buffer);
    VBO* getBuffer(const void* data) const;
    void* getBufferData(int i) const;
    void createIndexBuffer(int count, unsigned int* indices);
    unsigned int* createIndexBuffer(int count);

    // Appends a named attribute at the buffer's running offset (interleaving).
    void mapArray(const void* data, const std::string& name, int components, int divisor);
    void addMapping(AttributeMapping* mapping);
    AttributeMapping* getMapping(const std::string& name) const;
    bool hasMapping(const std::string& name) const { return getMapping(name) != nullptr; }

    void upload();
    // Binds the shader and this mesh's vertex-array object for it.
    VertexArray* bind(Shader* shader);
    VertexArray* createVertexArray(Shader* shader);
    VertexArray* addVertexArray(VertexArray* array);

    void draw();
    void drawMode(GLenum mode);
    // Ignores the index buffer.
    void drawInstanced(int instances);
    static void drawArrays(GLenum mode, int first, int count);

    // Per-triangle tangents and bitangents from positions and UVs, as one
    // interleaved buffer; call before upload.
    void createTangents(const std::string& positionName, const std::string& normalName,
                        const std::string& uvName, const std::string& tangentName,
                        const std::string& bitangentName);

    glm::vec3 getBBoxMin() const { return bboxMin; }
    glm::vec3 getBBoxMax() const { return bboxMax; }
    void setBBoxMin(const glm::vec3& v) { bboxMin = v; }
    void setBBoxMax(const glm::vec3& v) { bboxMax = v; }
    int getId() const { return id; }
    void setId(int i) { id = i; }

    const std::string& getName() const { return name; }
    int getVertexCount() const { return vertexCount; }
    VBO* getIndexBuffer() const { return indexBuffer; }
    const std::vector<VBO*>& getBuffers() const { return buffers; }
    const std::vector<VertexArray*>& getVertexArrays() const { return vertexArrays; }
    VertexArray* getCurrent() const { return current; }

private:
    std::string name;
    int vertexCount = 0;
    VBO* indexBuffer = nullptr;
    std::vector<VBO*> buffers;
    std::map<const void*, VBO*> bufferByData;
    std::map<std::string, VertexArray*> arrayBySignature;
    std::vector<VertexArray*> vertexArrays;
    VertexArray* defaultArray;
    VertexArray* current = nullptr;
    glm::vec3 bboxMin{0.0f};
    glm::vec3 bboxMax{0.0f};
    int id = 0;

    std::vector<std::unique_ptr<float[]>> ownedFloats;
    std::unique_ptr<unsigned int[]> ownedIndices;
};
