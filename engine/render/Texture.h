#pragma once
// One GL texture (1D, 2D, 3D; cube maps and arrays are wrapped) with the
// parameters the engine needs later. The members record what was asked for;
// the GL object is the truth.

#include <GL/glew.h>

#include <glm/vec2.hpp>

#include <cstdint>
#include <string>

class Shader;

class Texture {
public:
    // Wraps an existing GL texture; no GL call.
    Texture(const std::string& name, GLuint id);
    Texture(GLenum target, int level, GLenum internalFormat, int width, int height, int depth,
            GLenum format, GLenum type, const void* data);
    // An empty 2D texture.
    Texture(int width, int height, GLenum internalFormat, GLenum format, GLenum type);
    Texture(int width, int height, GLenum internalFormat, GLenum format, GLenum type,
            const void* data);
    ~Texture();

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    static GLuint generateId();

    // Allocates the GL storage; leaves the texture bound to its target.
    void create(GLenum target, int level, GLenum internalFormat, int width, int height,
                int depth, GLenum format, GLenum type, const void* data);

    GLuint getId() const { return id; }
    std::string getName() const { return name; }
    void setName(const std::string& n) { name = n; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    void setSize(int w, int h)
    {
        width = w;
        height = h;
    }
    int getBpp() const { return bpp; }
    void setBpp(int b) { bpp = b; }
    GLenum getTarget() const { return target; }
    void setTarget(GLenum t) { target = t; }
    bool isMipmapped() const { return mipmapped; }
    void setMipmapped(bool m) { mipmapped = m; }
    // width x height x bpp / 8, in 64 bits; the depth is not counted.
    std::int64_t getByteSize() const;

    GLenum getMinFilter() const { return minFilter; }
    GLenum getMagFilter() const { return magFilter; }
    GLenum getWrapS() const { return wrapS; }
    GLenum getWrapT() const { return wrapT; }
    GLenum getWrapR() const { return wrapR; }

    void bind() const { glBindTexture(target, id); }
    void unbind() const { glBindTexture(target, 0); }

    void setFilter(GLenum min, GLenum mag);
    void setFilterAll(GLenum mode);
    void setWrap(GLenum s, GLenum t, GLenum r);
    void setWrapST(GLenum s, GLenum t);
    void setWrapAll(GLenum mode);
    void generateMipmap(bool flag);
    // Clamped to [1, device maximum]; nothing happens without the extension.
    void setAnisotropy(float amount);

    // Level 0, with the recorded format and type.
    void updateTexture(const void* data, int x, int y, int width, int height);
    void updateTexture(const void* data);

    std::string toString() const;

    // Draws on the shared placement quad with the uniforms "texture0", "scale", "pos".
    void drawQuad(Shader* shader, const glm::vec2& scale, const glm::vec2& pos);
    void drawFullscreen(Shader* shader);
    // Fixed-function view; a core context has none, so this draws nothing.
    void drawImmediate(const glm::vec2& size);

private:
    GLuint id = 0;
    std::string name;
    int bpp = 32;
    GLenum target = GL_TEXTURE_2D;
    int level = 0;
    GLenum internalFormat = GL_RGBA;
    int width = 0;
    int height = 0;
    int depth = 0;
    GLenum format = GL_RGBA;
    GLenum type = GL_UNSIGNED_BYTE;
    GLenum minFilter = GL_LINEAR;
    GLenum magFilter = GL_LINEAR;
    GLenum wrapS = GL_CLAMP_TO_EDGE;
    GLenum wrapT = GL_CLAMP_TO_EDGE;
    GLenum wrapR = GL_CLAMP_TO_EDGE;
    bool mipmapped = false;
};
