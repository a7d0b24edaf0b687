#pragma once
// One GL buffer over one client array that its user fills.

#include <GL/glew.h>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

// Bytes of one value of a GL data type (booleans and samplers count 4); 0 for others.
int glTypeSize(GLenum type);

class VBO {
public:
    // The array is not owned; it also names the buffer inside its mesh.
    VBO(GLenum target, GLenum type, int count, void* data, GLenum usage);
    ~VBO();

    VBO(const VBO&) = delete;
    VBO& operator=(const VBO&) = delete;

    void bind() const { glBindBuffer(target, id); }
    // Both use the buffer's own target.
    void* map(GLenum access);
    void unmap();

    int getElementSize() const { return glTypeSize(type); }
    int getByteSize() const { return glTypeSize(type) * count; }
    void upload();
    // Whole vertices in the buffer; 0 while nothing is mapped on it.
    int getVertexCount() const;
    glm::vec3 readVec3(int vertex, int floatOffset) const;
    glm::vec2 readVec2(int vertex, int floatOffset) const;

    // Reserves room for one more interleaved attribute; returns its byte offset.
    int addAttribute(int bytes);

    GLuint getId() const { return id; }
    GLenum getTarget() const { return target; }
    GLenum getType() const { return type; }
    GLenum getUsage() const { return usage; }
    int getCount() const { return count; }
    int getOffset() const { return offset; }
    int getStride() const { return stride; }
    void* getData() const { return data; }

private:
    GLuint id = 0;
    GLenum target;
    GLenum type;
    GLenum usage;
    int count;
    int offset = 0;
    int stride = 0;
    void* data;
};
