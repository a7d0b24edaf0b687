#include "engine/render/VAO.h"

#include "engine/render/Shader.h"
#include "util/Assert.h"
#include "util/Log.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>

VAO::VAO(const std::string& n) : name(n), defaultArray(new VertexArray(""))
{
}

VAO::~VAO()
{
    for (AttributeMapping* mapping : defaultArray->getMappings())
        delete mapping;
    delete defaultArray;
    for (VertexArray* array : vertexArrays)
        delete array;
    for (VBO* buffer : buffers)
        delete buffer;
    delete indexBuffer;
}

void VAO::createBuffer(GLenum type, int count, void* data, GLenum usage)
{
    addBuffer(new VBO(GL_ARRAY_BUFFER, type, count, data, usage));
}

float* VAO::createFloatBuffer(GLenum type, int count, GLenum usage)
{
    ownedFloats.emplace_back(new float[static_cast<size_t>(std::max(count, 0))]());
    float* array = ownedFloats.back().get();
    createBuffer(type, count, array, usage);
    return array;
}

void VAO::addBuffer(VBO* buffer)
{
    buffers.push_back(buffer);
    bufferByData[buffer->getData()] = buffer;
}

VBO* VAO::getBuffer(const void* data) const
{
    auto found = bufferByData.find(data);
    if (found == bufferByData.end()) {
        vlm::logLine("Invalid pointer to vertex buffer");
        VLM_ASSERT(0);
    }
    return found->second;
}

void* VAO::getBufferData(int i) const
{
    VLM_ASSERT(i >= 0 && i < static_cast<int>(buffers.size()));
    return buffers[static_cast<size_t>(i)]->getData();
}

void VAO::createIndexBuffer(int count, unsigned int* indices)
{
    delete indexBuffer;
    indexBuffer = new VBO(GL_ELEMENT_ARRAY_BUFFER, GL_UNSIGNED_INT, count, indices, GL_STATIC_DRAW);
}

unsigned int* VAO::createIndexBuffer(int count)
{
    std::unique_ptr<unsigned int[]> indices(new unsigned int[static_cast<size_t>(std::max(count, 0))]());
    createIndexBuffer(count, indices.get());
    ownedIndices = std::move(indices);
    return ownedIndices.get();
}

void VAO::mapArray(const void* data, const std::string& attribute, int components, int divisor)
{
    VBO* buffer = getBuffer(data);
    const int offset = buffer->addAttribute(components * buffer->getElementSize());
    addMapping(new AttributeMapping(attribute, components, divisor, offset, buffer));
}

void VAO::addMapping(AttributeMapping* mapping)
{
    defaultArray->addMapping(mapping);
}

AttributeMapping* VAO::getMapping(const std::string& attribute) const
{
    return defaultArray->getMapping(attribute);
}

void VAO::upload()
{
    for (VBO* buffer : buffers)
        buffer->upload();
    vertexCount = buffers.empty() ? 0 : buffers.front()->getVertexCount();
    if (indexBuffer)
        indexBuffer->upload();
}

VertexArray* VAO::bind(Shader* shader)
{
    VLM_ASSERT(shader != nullptr);
    shader->bind();
    auto found = arrayBySignature.find(shader->getAttributeKey());
    if (found != arrayBySignature.end()) {
        found->second->bind();
        current = found->second;
    } else {
        current = createVertexArray(shader);
    }
    return current;
}

namespace {

void setDivisor(GLuint location, GLuint divisor)
{
    if (glVertexAttribDivisor)
        glVertexAttribDivisor(location, divisor);
    else
        glVertexAttribDivisorARB(location, divisor);
}

}

VertexArray* VAO::createVertexArray(Shader* shader)
{
    VertexArray* va = new VertexArray(shader->getAttributeKey());
    va->bind();
    const std::vector<AttribInfo>& attributes = shader->getAttributesByLocation();
    for (const AttribInfo& attribute : attributes) {
        AttributeMapping* mapping = getMapping(attribute.name);
        if (!mapping) {
            vlm::logLine("VAO : '", name, "'. Cannot find a mapped array named '", attribute.name,
                         "' in shader ", shader->getName());
            VLM_ASSERT(0);
        }
        va->addMapping(mapping);
    }
    for (size_t i = 0; i < attributes.size(); ++i) {
        const AttributeMapping* mapping = va->getMappings()[i];
        const VBO* buffer = mapping->buffer;
        const GLuint location = static_cast<GLuint>(attributes[i].location);
        const void* offset = reinterpret_cast<const void*>(static_cast<std::intptr_t>(mapping->offset));
        buffer->bind();
        glEnableVertexAttribArray(location);
        switch (buffer->getType()) {
        case GL_BYTE:
        case GL_UNSIGNED_BYTE:
        case GL_INT:
        case GL_UNSIGNED_INT:
            glVertexAttribIPointer(location, mapping->components, buffer->getType(),
                                   buffer->getStride(), offset);
            break;
        case GL_FLOAT:
            glVertexAttribPointer(location, mapping->components, GL_FLOAT, GL_FALSE,
                                  buffer->getStride(), offset);
            break;
        case GL_DOUBLE:
            if (glVertexAttribLPointer) {
                glVertexAttribLPointer(location, mapping->components, GL_DOUBLE,
                                       buffer->getStride(), offset);
                break;
            }
            [[fallthrough]];
        default:
            vlm::logLine("Unsupported data type");
            VLM_ASSERT(0);
        }
        if (mapping->divisor > 0)
            setDivisor(location, static_cast<GLuint>(mapping->divisor));
    }
    if (indexBuffer)
        indexBuffer->bind();
    return addVertexArray(va);
}

VertexArray* VAO::addVertexArray(VertexArray* array)
{
    vertexArrays.push_back(array);
    arrayBySignature[array->getName()] = array;
    return array;
}

void VAO::draw()
{
    drawMode(GL_TRIANGLES);
}

void VAO::drawMode(GLenum mode)
{
    if (indexBuffer)
        glDrawElements(mode, indexBuffer->getCount(), indexBuffer->getType(), nullptr);
    else
        glDrawArrays(mode, 0, vertexCount);
    ++renderStats.drawCalls;
}

void VAO::drawInstanced(int instances)
{
    glDrawArraysInstanced(GL_TRIANGLES, 0, vertexCount, instances);
    ++renderStats.drawCalls;
}

void VAO::drawArrays(GLenum mode, int first, int count)
{
    glDrawArrays(mode, first, count);
    ++renderStats.drawCalls;
}

namespace {

bool finite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

glm::vec3 normalizedOr(const glm::vec3& v, const glm::vec3& fallback)
{
    const float length = glm::length(v);
    return length > 0.0f && std::isfinite(length) ? v / length : fallback;
}

// A tangent frame for triangles whose UVs give none: along the first edge, and
// across it inside the triangle's plane.
void fallbackFrame(const glm::vec3& e1, const glm::vec3& e2, glm::vec3& t, glm::vec3& b)
{
    t = normalizedOr(e1, normalizedOr(e2, glm::vec3(1.0f, 0.0f, 0.0f)));
    const glm::vec3 across = std::fabs(t.x) < 0.9f ? glm::vec3(1.0f, 0.0f, 0.0f) : glm::vec3(0.0f, 1.0f, 0.0f);
    b = normalizedOr(glm::cross(glm::cross(e1, e2), t), normalizedOr(glm::cross(t, across), across));
}

}

void VAO::createTangents(const std::string& positionName, const std::string& normalName,
                         const std::string& uvName, const std::string& tangentName,
                         const std::string& bitangentName)
{
    const AttributeMapping* position = getMapping(positionName);
    const AttributeMapping* normal = getMapping(normalName);
    const AttributeMapping* uv = getMapping(uvName);
    if (!position || !normal || !uv) {
        vlm::logLine("createTangents : ", name, " - missing position, normals or VUs to generate tangents");
        VLM_ASSERT(0);
    }
    const int n = position->buffer->getVertexCount();
    // Only whole triangles that both arrays hold; the rest keep zero vectors.
    const int triangles = std::min(n, uv->buffer->getVertexCount()) / 3;
    ownedFloats.emplace_back(new float[static_cast<size_t>(n) * 6]());
    float* array = ownedFloats.back().get();

    for (int tri = 0; tri < triangles; ++tri) {
        const int v = tri * 3;
        const glm::vec3 p0 = position->readVec3(v), p1 = position->readVec3(v + 1),
                        p2 = position->readVec3(v + 2);
        const glm::vec2 t0 = uv->readVec2(v), t1 = uv->readVec2(v + 1), t2 = uv->readVec2(v + 2);
        const glm::vec3 e1 = p1 - p0, e2 = p2 - p0;
        const float du1 = t1.x - t0.x, dv1 = t1.y - t0.y, du2 = t2.x - t0.x, dv2 = t2.y - t0.y;
        const float det = du1 * dv2 - dv1 * du2;
        glm::vec3 tangent(0.0f), bitangent(0.0f);
        bool usable = false;
        if (det != 0.0f) {
            const float r = 1.0f / det;
            tangent = r * (dv2 * e1 - dv1 * e2);
            bitangent = r * (du1 * e2 - du2 * e1);
            const float length = glm::length(tangent);
            usable = length > 0.0f && std::isfinite(length) && finite(bitangent);
            if (usable)
                tangent /= length;
        }
        if (!usable)
            fallbackFrame(e1, e2, tangent, bitangent);
        for (int k = 0; k < 3; ++k) {
            float* out = array + static_cast<size_t>(v + k) * 6;
            out[0] = tangent.x;
            out[1] = tangent.y;
            out[2] = tangent.z;
            out[3] = bitangent.x;
            out[4] = bitangent.y;
            out[5] = bitangent.z;
        }
    }
    createBuffer(GL_FLOAT, n * 6, array, GL_STATIC_DRAW);
    mapArray(array, tangentName, 3, 0);
    mapArray(array, bitangentName, 3, 0);
}
