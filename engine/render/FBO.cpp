#include "engine/render/FBO.h"

#include "engine/render/Engine.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/Texture.h"
#include "engine/runtime/DataTexturePool.h"
#include "util/Assert.h"
#include "util/Log.h"
#include "util/StringUtil.h"

GLuint FBO::currentFramebuffer = 0;

namespace {

// Hands an attachment texture made by a framebuffer to the texture pool, which
// then owns it. Returns false while there is no pool: the framebuffer keeps it.
bool addToTexturePool(const std::string& name, Texture* texture)
{
    if (!VLMPulsvek::textureDataPool)
        return false;
    VLMPulsvek::textureDataPool->addTexture(name, texture);
    return true;
}

void rebindRecorded()
{
    glBindFramebuffer(GL_FRAMEBUFFER, FBO::currentFramebuffer);
}

}

FBO::FBO(int w, int h, bool depth, bool stencil, GLenum internalFormat, GLenum format, GLenum type)
    : hasDepth(depth), hasStencil(stencil), width(w), height(h)
{
    glGenFramebuffers(1, &id);
    Texture* color = new Texture(width, height, internalFormat, format, type);
    ownedTextures.push_back(color);
    colorTextures.push_back(color);
    drawBuffers.push_back(GL_COLOR_ATTACHMENT0);
    glBindFramebuffer(GL_FRAMEBUFFER, id);
    attach(GL_COLOR_ATTACHMENT0, color);
    if (depth) {
        depthTexture = new Texture(width, height, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT,
                                   GL_UNSIGNED_BYTE);
        ownedTextures.push_back(depthTexture);
        attach(GL_DEPTH_ATTACHMENT, depthTexture);
    }
    finishAttaching();
}

FBO::FBO(int w, int h) : width(w), height(h)
{
    glGenFramebuffers(1, &id);
}

FBO::~FBO()
{
    if (id != 0) {
        // GL falls back to the screen when the bound framebuffer goes; so does the record.
        if (isBound())
            unbind();
        glDeleteFramebuffers(1, &id);
    }
    for (Texture* texture : ownedTextures)
        delete texture;
}

void FBO::attach(GLenum attachment, Texture* texture)
{
    glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_2D, texture->getId(), 0);
}

// Checks completeness (which rebinds the recorded render target) and, when this
// framebuffer is that target, selects its outputs again.
void FBO::finishAttaching()
{
    checkStatus();
    if (isBound())
        applyDrawBuffers();
}

// Names a texture made for an attachment and hands it to the texture pool.
void FBO::adopt(Texture* texture, const char* kind)
{
    const std::string name =
        "FBO_" + StringUtil::toString(id) + kind + StringUtil::toString(texture->getId());
    texture->setName(name);
    if (!addToTexturePool(name, texture))
        ownedTextures.push_back(texture);
}

void FBO::addColorTexture(GLenum internalFormat, GLenum format)
{
    glBindFramebuffer(GL_FRAMEBUFFER, id);
    Texture* texture = new Texture(width, height, internalFormat, format, GL_UNSIGNED_BYTE);
    colorTextures.push_back(texture);
    const GLenum attachment = GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(colorTextures.size() - 1);
    drawBuffers.push_back(attachment);
    adopt(texture, "_color_");
    attach(attachment, texture);
    finishAttaching();
}

void FBO::addDepthTexture(GLenum internalFormat, GLenum format)
{
    glBindFramebuffer(GL_FRAMEBUFFER, id);
    depthTexture = new Texture(width, height, internalFormat, format, GL_UNSIGNED_BYTE);
    adopt(depthTexture, "_depth_");
    attach(GL_DEPTH_ATTACHMENT, depthTexture);
    hasDepth = true;
    finishAttaching();
}

void FBO::addDepthStencilTexture()
{
    glBindFramebuffer(GL_FRAMEBUFFER, id);
    depthTexture = new Texture(width, height, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL,
                               GL_UNSIGNED_INT_24_8);
    adopt(depthTexture, "_depthstencil_");
    attach(GL_DEPTH_ATTACHMENT, depthTexture);
    attach(GL_STENCIL_ATTACHMENT, depthTexture);
    hasDepth = true;
    hasStencil = true;
    finishAttaching();
}

void FBO::attachColorTexture(Texture* texture)
{
    VLM_ASSERT(texture != nullptr);
    glBindFramebuffer(GL_FRAMEBUFFER, id);
    colorTextures.push_back(texture);
    const GLenum attachment = GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(colorTextures.size() - 1);
    drawBuffers.push_back(attachment);
    attach(attachment, texture);
    finishAttaching();
}

void FBO::attachDepthTexture(Texture* texture)
{
    attachDepth(texture, GL_DEPTH_ATTACHMENT);
}

void FBO::attachDepthStencilTexture(Texture* texture)
{
    attachDepth(texture, GL_DEPTH_STENCIL_ATTACHMENT);
}

void FBO::attachDepth(Texture* texture, GLenum attachment)
{
    VLM_ASSERT(texture != nullptr);
    glBindFramebuffer(GL_FRAMEBUFFER, id);
    depthTexture = texture;
    attach(attachment, texture);
    hasDepth = true;
    hasStencil = hasStencil || attachment == GL_DEPTH_STENCIL_ATTACHMENT;
    finishAttaching();
}

void FBO::bind()
{
    if (id == currentFramebuffer)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, id);
    glViewport(0, 0, width, height);
    currentFramebuffer = id;
    if (colorTextures.size() >= 2)
        applyDrawBuffers();
}

void FBO::unbind()
{
    if (currentFramebuffer == 0)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (VLMPulsvek::screenSettings)
        VLMPulsvek::screenSettings->applyViewport();
    currentFramebuffer = 0;
}

void FBO::bindAndClear()
{
    bind();
    dirty = false;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void FBO::applyDrawBuffers() const
{
    if (drawBuffers.empty())
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
    else
        glDrawBuffers(static_cast<GLsizei>(drawBuffers.size()), drawBuffers.data());
}

std::string FBO::statusText(GLenum code)
{
    switch (code) {
    case GL_FRAMEBUFFER_COMPLETE: return "Framebuffer is complete.";
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return "Framebuffer incomplete attachment";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: return "Framebuffer missing attachment";
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT: return "Framebuffer unsupported dimension.";
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT: return "Framebuffer incoplete formats.";
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER: return "Framebuffer incomplete draw buffer.";
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER: return "Framebuffer incomplete read buffer";
    case GL_FRAMEBUFFER_UNSUPPORTED: return "Framebuffer unsupported. Try another format.";
    default: return "Unknown framebuffer errror.";
    }
}

bool FBO::checkStatus()
{
    glBindFramebuffer(GL_FRAMEBUFFER, id);
    const GLenum code = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (!isBound())
        rebindRecorded();
    status = statusText(code);
    complete = code == GL_FRAMEBUFFER_COMPLETE;
    if (!complete)
        vlm::logLine("FBO ", status, "(", StringUtil::toString(code), ")", " = ", "false");
    return complete;
}

Texture* FBO::getColorTexture(int index) const
{
    if (index < 0 || index >= static_cast<int>(colorTextures.size()))
        return nullptr;
    return colorTextures[static_cast<size_t>(index)];
}

std::string FBO::toString() const
{
    std::string text = "FBO(" + StringUtil::toString(width) + "," + StringUtil::toString(height) +
                       ",COLOR_BUFFER";
    if (hasDepth)
        text += ",DEPTH_BUFFER";
    if (hasStencil)
        text += ",STENCIL_BUFFER";
    return text + ")";
}

void FBO::bindTexture()
{
    if (complete && !colorTextures.empty())
        colorTextures.front()->bind();
}

void FBO::drawImmediate(float)
{
}

void FBO::draw()
{
    drawImmediate(1.0f);
}

void fboBind(FBO* fbo)
{
    if (fbo)
        fbo->bind();
    else
        FBO::unbind();
}

void fboBindAndClear(FBO* fbo)
{
    if (fbo)
        fbo->bindAndClear();
}

void fboMarkDirty(FBO* fbo)
{
    if (fbo)
        fbo->markDirty();
}

bool fboIsDirty(FBO* fbo)
{
    return fbo && fbo->isDirty();
}

bool fboIsComplete(FBO* fbo)
{
    return fbo && fbo->isComplete();
}

bool fboCheckStatus(FBO* fbo)
{
    return fbo && fbo->checkStatus();
}

Texture* fboGetColorTexture(FBO* fbo, int index)
{
    return fbo ? fbo->getColorTexture(index) : nullptr;
}

Texture* fboGetDepthTexture(FBO* fbo)
{
    return fbo ? fbo->getDepthTexture() : nullptr;
}

int fboGetWidth(FBO* fbo)
{
    return fbo ? fbo->getWidth() : 0;
}

int fboGetHeight(FBO* fbo)
{
    return fbo ? fbo->getHeight() : 0;
}

GLuint fboGetId(FBO* fbo)
{
    return fbo ? fbo->getId() : 0;
}

std::string fboToString(FBO* fbo)
{
    return fbo ? fbo->toString() : "** screen or nullpointer**";
}

std::string fboGetStatus(FBO* fbo)
{
    return fbo ? fbo->getStatus() : "unknown";
}

void fboBindTexture(FBO* fbo)
{
    if (fbo)
        fbo->bindTexture();
}

void fboDraw(FBO* fbo)
{
    if (fbo)
        fbo->draw();
}

void fboDrawImmediate(FBO* fbo, float r)
{
    if (fbo)
        fbo->drawImmediate(r);
}

namespace {

void blit(FBO* source, GLenum readBuffer, FBO* destination, GLenum drawBuffer, GLbitfield mask,
          GLenum filter, bool selectBuffers, const int (&src)[4], const int (&dst)[4])
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source ? source->getId() : 0);
    if (source && selectBuffers)
        glReadBuffer(readBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, destination ? destination->getId() : 0);
    if (destination && selectBuffers)
        glDrawBuffer(drawBuffer);
    glBlitFramebuffer(src[0], src[1], src[2], src[3], dst[0], dst[1], dst[2], dst[3], mask, filter);
    // Back to the recorded render target, with the outputs the destination draws to.
    if (destination && selectBuffers)
        destination->applyDrawBuffers();
    rebindRecorded();
}

// The whole of a framebuffer; the screen is the whole window, not the letterbox.
void wholeRect(FBO* fbo, int (&rect)[4])
{
    rect[0] = rect[1] = 0;
    if (fbo) {
        rect[2] = fbo->getWidth();
        rect[3] = fbo->getHeight();
        return;
    }
    VLM_ASSERT(VLMPulsvek::screenSettings != nullptr);
    rect[2] = VLMPulsvek::screenSettings->getWidth();
    rect[3] = VLMPulsvek::screenSettings->getHeight();
}

}

void fboBlitRect(FBO* source, GLenum readBuffer, FBO* destination, GLenum drawBuffer,
                 GLbitfield mask, GLenum filter, int srcX0, int srcY0, int srcX1, int srcY1,
                 int dstX0, int dstY0, int dstX1, int dstY1)
{
    blit(source, readBuffer, destination, drawBuffer, mask, filter, true,
         {srcX0, srcY0, srcX1, srcY1}, {dstX0, dstY0, dstX1, dstY1});
}

void fboBlit(FBO* source, GLenum readBuffer, FBO* destination, GLenum drawBuffer,
             GLbitfield mask, GLenum filter)
{
    int src[4], dst[4];
    wholeRect(source, src);
    wholeRect(destination, dst);
    blit(source, readBuffer, destination, drawBuffer, mask, filter, true, src, dst);
}

void fboBlitColor(FBO* source, int sourceIndex, FBO* destination, int destinationIndex,
                  GLenum filter)
{
    fboBlit(source, GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(sourceIndex), destination,
            GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(destinationIndex), GL_COLOR_BUFFER_BIT,
            filter);
}

void fboBlitColorRect(FBO* source, int sourceIndex, FBO* destination, int destinationIndex,
                      GLenum filter, int srcX0, int srcY0, int srcX1, int srcY1, int dstX0,
                      int dstY0, int dstX1, int dstY1)
{
    fboBlitRect(source, GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(sourceIndex), destination,
                GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(destinationIndex), GL_COLOR_BUFFER_BIT,
                filter, srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1);
}

void fboBlitDepth(FBO* source, FBO* destination)
{
    int src[4], dst[4];
    wholeRect(source, src);
    wholeRect(destination, dst);
    blit(source, GL_NONE, destination, GL_NONE, GL_DEPTH_BUFFER_BIT, GL_NEAREST, false, src, dst);
}
