#pragma once
// Renders into the faces of cube-map textures.

#include <GL/glew.h>

#include <vector>

class CubeMapFBO {
public:
    CubeMapFBO(int width, int height);
    // Releases the framebuffer, its cube maps and its depth renderbuffer.
    ~CubeMapFBO();

    CubeMapFBO(const CubeMapFBO&) = delete;
    CubeMapFBO& operator=(const CubeMapFBO&) = delete;

    void addDepthRenderbuffer();
    void addCubeMap(GLenum internalFormat, GLenum format);
    // Draws into one face of the first cube map (becomes the recorded render target).
    void bindFace(GLenum face);
    // Back to the screen, as FBO::unbind.
    void unbind();
    // 0 for an index outside the cube maps.
    GLuint getTextureId(int i) const;
    GLuint getFramebufferId() const { return framebuffer; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }

    // Fixed-function view; a core context has none, so this draws nothing.
    static void drawDebug(GLuint cubeTexture);

private:
    int width;
    int height;
    GLuint framebuffer = 0;
    std::vector<GLuint> textures;
    GLuint depthBuffer = 0;
};
