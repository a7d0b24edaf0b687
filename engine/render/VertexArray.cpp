#include "engine/render/VertexArray.h"

#include "engine/render/VBO.h"

RenderStats renderStats;

AttributeMapping::AttributeMapping(const std::string& n, int c, int d, int o, VBO* b)
    : name(n), offset(o), components(c), divisor(d), buffer(b)
{
}

glm::vec3 AttributeMapping::readVec3(int vertex) const
{
    return buffer->readVec3(vertex, offset / 4);
}

glm::vec2 AttributeMapping::readVec2(int vertex) const
{
    return buffer->readVec2(vertex, offset / 4);
}

VertexArray::VertexArray(const std::string& n) : name(n)
{
    glGenVertexArrays(1, &id);
}

VertexArray::~VertexArray()
{
    // GL falls back to no vertex array when the bound one is deleted; so does the record.
    if (renderStats.currentVAOId == id) {
        renderStats.currentVAOId = 0;
        renderStats.currentVAOName.clear();
    }
    glDeleteVertexArrays(1, &id);
}

void VertexArray::addMapping(AttributeMapping* mapping)
{
    mappings.push_back(mapping);
    mappingByName[mapping->name] = mapping;
}

AttributeMapping* VertexArray::getMapping(const std::string& mappingName) const
{
    auto found = mappingByName.find(mappingName);
    return found == mappingByName.end() ? nullptr : found->second;
}

void VertexArray::bind()
{
    if (id == renderStats.currentVAOId && name == renderStats.currentVAOName)
        return;
    glBindVertexArray(id);
    ++renderStats.vaoBinds;
    renderStats.currentVAOId = id;
    renderStats.currentVAOName = name;
}

void VertexArray::bindNone()
{
    if (renderStats.currentVAOId == 0)
        return;
    glBindVertexArray(0);
    ++renderStats.vaoBinds;
    renderStats.currentVAOId = 0;
    renderStats.currentVAOName.clear();
}
