#include "engine/render/VBO.h"

#include "engine/render/VertexArray.h"

int glTypeSize(GLenum type)
{
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE:
        return 1;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT:
    case GL_BOOL:
        return 4;
    case GL_DOUBLE:
    case GL_FLOAT_VEC2:
    case GL_INT_VEC2:
    case GL_BOOL_VEC2:
    case GL_UNSIGNED_INT_VEC2:
        return 8;
    case GL_FLOAT_VEC3:
    case GL_INT_VEC3:
    case GL_BOOL_VEC3:
    case GL_UNSIGNED_INT_VEC3:
        return 12;
    case GL_FLOAT_VEC4:
    case GL_INT_VEC4:
    case GL_BOOL_VEC4:
    case GL_UNSIGNED_INT_VEC4:
    case GL_FLOAT_MAT2:
    case GL_DOUBLE_VEC2:
        return 16;
    case GL_FLOAT_MAT2x3:
    case GL_FLOAT_MAT3x2:
    case GL_DOUBLE_VEC3:
        return 24;
    case GL_FLOAT_MAT2x4:
    case GL_FLOAT_MAT4x2:
    case GL_DOUBLE_MAT2:
    case GL_DOUBLE_VEC4:
        return 32;
    case GL_FLOAT_MAT3:
        return 36;
    case GL_FLOAT_MAT3x4:
    case GL_FLOAT_MAT4x3:
    case GL_DOUBLE_MAT2x3:
    case GL_DOUBLE_MAT3x2:
        return 48;
    case GL_FLOAT_MAT4:
    case GL_DOUBLE_MAT2x4:
    case GL_DOUBLE_MAT4x2:
        return 64;
    case GL_DOUBLE_MAT3:
        return 72;
    case GL_DOUBLE_MAT3x4:
    case GL_DOUBLE_MAT4x3:
        return 96;
    case GL_DOUBLE_MAT4:
        return 128;
    default:
        break;
    }
    // The sampler enums come in contiguous runs.
    const bool sampler = (type >= GL_SAMPLER_1D && type <= GL_SAMPLER_2D_RECT_SHADOW) ||
                         (type >= GL_SAMPLER_1D_ARRAY && type <= GL_SAMPLER_CUBE_SHADOW) ||
                         (type >= GL_INT_SAMPLER_1D && type <= GL_UNSIGNED_INT_SAMPLER_BUFFER) ||
                         (type >= GL_SAMPLER_2D_MULTISAMPLE &&
                          type <= GL_UNSIGNED_INT_SAMPLER_2D_MULTISAMPLE_ARRAY);
    return sampler ? 4 : 0;
}

VBO::VBO(GLenum t, GLenum ty, int n, void* d, GLenum u)
    : target(t), type(ty), usage(u), count(n), data(d)
{
    glGenBuffers(1, &id);
}

VBO::~VBO()
{
    glDeleteBuffers(1, &id);
}

// An index buffer is part of whichever vertex array is bound: binding it for an
// upload must not rewire another mesh.
void* VBO::map(GLenum access)
{
    if (target == GL_ELEMENT_ARRAY_BUFFER)
        VertexArray::bindNone();
    bind();
    return glMapBuffer(target, access);
}

void VBO::unmap()
{
    if (target == GL_ELEMENT_ARRAY_BUFFER)
        VertexArray::bindNone();
    bind();
    glUnmapBuffer(target);
}

void VBO::upload()
{
    if (target == GL_ELEMENT_ARRAY_BUFFER)
        VertexArray::bindNone();
    bind();
    glBufferData(target, getByteSize(), data, usage);
}

int VBO::getVertexCount() const
{
    return stride > 0 ? getByteSize() / stride : 0;
}

glm::vec3 VBO::readVec3(int vertex, int floatOffset) const
{
    const float* f = static_cast<const float*>(data) + vertex * (stride / 4) + floatOffset;
    return glm::vec3(f[0], f[1], f[2]);
}

glm::vec2 VBO::readVec2(int vertex, int floatOffset) const
{
    const float* f = static_cast<const float*>(data) + vertex * (stride / 4) + floatOffset;
    return glm::vec2(f[0], f[1]);
}

int VBO::addAttribute(int bytes)
{
    const int at = offset;
    offset += bytes;
    stride += bytes;
    return at;
}
