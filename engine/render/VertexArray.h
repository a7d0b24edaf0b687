#pragma once
// Named attributes inside buffers, and GL vertex-array objects built from them.

#include <GL/glew.h>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <map>
#include <string>
#include <vector>

class VBO;

// Counters of the draw path and the vertex-array object last bound.
struct RenderStats {
    std::string currentVAOName;
    GLuint currentVAOId = 0;
    int drawCalls = 0;
    int vaoBinds = 0;
};

extern RenderStats renderStats;

struct AttributeMapping {
    AttributeMapping(const std::string& name, int components, int divisor, int offset, VBO* buffer);

    glm::vec3 readVec3(int vertex) const;
    glm::vec2 readVec2(int vertex) const;

    std::string name;
    int offset;
    int components;
    int divisor;
    VBO* buffer;
};

class VertexArray {
public:
    explicit VertexArray(const std::string& name);
    ~VertexArray();

    VertexArray(const VertexArray&) = delete;
    VertexArray& operator=(const VertexArray&) = delete;

    void addMapping(AttributeMapping* mapping);
    // Skipped when this object is already the bound one.
    void bind();
    // Binds no vertex array (cached like bind).
    static void bindNone();

    GLuint getId() const { return id; }
    const std::string& getName() const { return name; }
    const std::vector<AttributeMapping*>& getMappings() const { return mappings; }
    AttributeMapping* getMapping(const std::string& mappingName) const;

private:
    GLuint id = 0;
    std::string name;
    std::vector<AttributeMapping*> mappings;
    std::map<std::string, AttributeMapping*> mappingByName;
};
