#include "engine/render/Texture.h"

#include "engine/render/Geometry.h"
#include "engine/render/Shader.h"
#include "engine/render/VAO.h"
#include "util/Assert.h"
#include "util/Log.h"
#include "util/StringUtil.h"

#include <algorithm>

Texture::Texture(const std::string& n, GLuint textureId) : id(textureId), name(n)
{
}

Texture::Texture(GLenum t, int l, GLenum internal, int w, int h, int d, GLenum f, GLenum ty,
                 const void* data)
{
    create(t, l, internal, w, h, d, f, ty, data);
}

Texture::Texture(int w, int h, GLenum internal, GLenum f, GLenum ty)
{
    create(GL_TEXTURE_2D, 0, internal, w, h, 0, f, ty, nullptr);
}

Texture::Texture(int w, int h, GLenum internal, GLenum f, GLenum ty, const void* data)
{
    create(GL_TEXTURE_2D, 0, internal, w, h, 0, f, ty, data);
}

Texture::~Texture()
{
    glDeleteTextures(1, &id);
}

GLuint Texture::generateId()
{
    GLuint fresh = 0;
    glGenTextures(1, &fresh);
    return fresh;
}

void Texture::create(GLenum t, int l, GLenum internal, int w, int h, int d, GLenum f, GLenum ty,
                     const void* data)
{
    target = t;
    level = l;
    internalFormat = internal;
    width = w;
    height = h;
    depth = d;
    format = f;
    type = ty;
    name.clear();
    mipmapped = false;
    minFilter = magFilter = GL_LINEAR;
    wrapS = wrapT = wrapR = GL_CLAMP_TO_EDGE;
    bpp = 32;

    if (target != GL_TEXTURE_1D && target != GL_TEXTURE_2D && target != GL_TEXTURE_3D) {
        vlm::logLine("Texture(..) unsupported texture type ", StringUtil::toString(target));
        VLM_ASSERT(0);
    }

    glGenTextures(1, &id);
    glBindTexture(target, id);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
    glTexParameteri(target, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrapS));
    glTexParameteri(target, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrapT));
    glTexParameteri(target, GL_TEXTURE_WRAP_R, static_cast<GLint>(wrapR));

    const GLint internalParam = static_cast<GLint>(internalFormat);
    switch (target) {
    case GL_TEXTURE_2D:
        glTexImage2D(GL_TEXTURE_2D, level, internalParam, width, height, 0, format, type, data);
        break;
    case GL_TEXTURE_3D:
        glTexImage3D(GL_TEXTURE_3D, level, internalParam, width, height, depth, 0, format, type,
                     data);
        break;
    default:
        glTexImage1D(GL_TEXTURE_1D, level, internalParam, std::max(width, height), 0, format,
                     type, data);
        break;
    }
}

std::int64_t Texture::getByteSize() const
{
    return static_cast<std::int64_t>(width) * height * bpp / 8;
}

void Texture::setFilter(GLenum min, GLenum mag)
{
    bind();
    minFilter = min;
    magFilter = mag;
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(min));
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(mag));
    unbind();
}

void Texture::setFilterAll(GLenum mode)
{
    setFilter(mode, mode);
}

void Texture::setWrap(GLenum s, GLenum t, GLenum r)
{
    bind();
    wrapS = s;
    wrapT = t;
    wrapR = r;
    glTexParameteri(target, GL_TEXTURE_WRAP_S, static_cast<GLint>(s));
    glTexParameteri(target, GL_TEXTURE_WRAP_T, static_cast<GLint>(t));
    glTexParameteri(target, GL_TEXTURE_WRAP_R, static_cast<GLint>(r));
    unbind();
}

void Texture::setWrapST(GLenum s, GLenum t)
{
    setWrap(s, t, wrapR);
}

void Texture::setWrapAll(GLenum mode)
{
    setWrap(mode, mode, mode);
}

void Texture::generateMipmap(bool flag)
{
    bind();
    glGenerateMipmap(target);
    mipmapped = flag;
    unbind();
}

void Texture::setAnisotropy(float amount)
{
    if (!GLEW_EXT_texture_filter_anisotropic)
        return;
    GLfloat maximum = 1.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maximum);
    // GL rejects values below 1; a device maximum below 1 does not exist.
    const float clamped = std::max(1.0f, std::min(amount, maximum));
    bind();
    glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, clamped);
    unbind();
}

void Texture::updateTexture(const void* data, int x, int y, int w, int h)
{
    bind();
    switch (target) {
    case GL_TEXTURE_2D:
        glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, format, type, data);
        break;
    case GL_TEXTURE_1D:
        glTexSubImage1D(GL_TEXTURE_1D, 0, x, w, format, type, data);
        break;
    case GL_TEXTURE_3D:
        break;
    default:
        vlm::logLine("updateTexture(..) unsupported texture type ", StringUtil::toString(target));
        VLM_ASSERT(0);
    }
    unbind();
}

void Texture::updateTexture(const void* data)
{
    updateTexture(data, 0, 0, width, height);
}

std::string Texture::toString() const
{
    return "Texture {file='" + name + "',id=" + StringUtil::toString(id) + "',size='" +
           StringUtil::toString(width) + "," + StringUtil::toString(height) + "," +
           StringUtil::toString(depth) + "',bpp='" + StringUtil::toString(bpp) + "'}\n";
}

void Texture::drawQuad(Shader* shader, const glm::vec2& scale, const glm::vec2& pos)
{
    VLM_ASSERT(Geometry::quad != nullptr);
    Geometry::quad->bind(shader);
    shader->setTexture0("texture0", this);
    shader->setVec2fv("scale", &scale.x);
    shader->setVec2fv("pos", &pos.x);
    Geometry::quad->draw();
}

void Texture::drawFullscreen(Shader* shader)
{
    drawQuad(shader, glm::vec2(2.0f, 2.0f), glm::vec2(-1.0f, 1.0f));
}

void Texture::drawImmediate(const glm::vec2&)
{
}
