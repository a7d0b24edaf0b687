#include "engine/render/CubeMapFBO.h"

#include "engine/render/FBO.h"
#include "util/Assert.h"

CubeMapFBO::CubeMapFBO(int w, int h) : width(w), height(h)
{
    glGenFramebuffers(1, &framebuffer);
}

CubeMapFBO::~CubeMapFBO()
{
    if (FBO::currentFramebuffer == framebuffer)
        unbind();
    glDeleteFramebuffers(1, &framebuffer);
    if (!textures.empty())
        glDeleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
    if (depthBuffer != 0)
        glDeleteRenderbuffers(1, &depthBuffer);
}

void CubeMapFBO::addDepthRenderbuffer()
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    if (depthBuffer == 0)
        glGenRenderbuffers(1, &depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, FBO::currentFramebuffer);
}

void CubeMapFBO::addCubeMap(GLenum internalFormat, GLenum format)
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    textures.push_back(texture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    for (GLenum i = 0; i < 6; ++i)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, 0, static_cast<GLint>(internalFormat),
                     width, height, 0, format, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_CUBE_MAP_POSITIVE_X,
                           texture, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, FBO::currentFramebuffer);
}

void CubeMapFBO::bindFace(GLenum face)
{
    VLM_ASSERT(!textures.empty());
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, face, textures.front(), 0);
    glViewport(0, 0, width, height);
    FBO::currentFramebuffer = framebuffer;
}

void CubeMapFBO::unbind()
{
    FBO::unbind();
}

GLuint CubeMapFBO::getTextureId(int i) const
{
    if (i < 0 || i >= static_cast<int>(textures.size()))
        return 0;
    return textures[static_cast<size_t>(i)];
}

void CubeMapFBO::drawDebug(GLuint)
{
}
