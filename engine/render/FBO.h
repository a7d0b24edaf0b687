#pragma once
// Off-screen render targets. Wherever an FBO pointer is passed, null stands for
// the screen; the free functions below accept it.

#include <GL/glew.h>

#include <string>
#include <vector>

class Texture;

class FBO {
public:
    // A colour texture of the given formats, and a depth texture when asked.
    // The stencil flag is recorded only.
    FBO(int width, int height, bool depth, bool stencil, GLenum internalFormat, GLenum format,
        GLenum type);
    // No attachments.
    FBO(int width, int height);
    // Deletes only the textures it made that the texture pool did not take.
    ~FBO();

    FBO(const FBO&) = delete;
    FBO& operator=(const FBO&) = delete;

    // New textures, named "FBO_<id>_color_<texture id>" (or _depth_, _depthstencil_)
    // and handed to the texture pool.
    void addColorTexture(GLenum internalFormat, GLenum format);
    void addDepthTexture(GLenum internalFormat, GLenum format);
    void addDepthStencilTexture();
    // Existing textures; nothing is registered.
    void attachColorTexture(Texture* texture);
    void attachDepthTexture(Texture* texture);
    void attachDepthStencilTexture(Texture* texture);

    // Render target with its own viewport (and draw buffers); skipped when current.
    void bind();
    // The screen with its letterboxed viewport; skipped when the screen is current.
    static void unbind();
    void bindAndClear();
    bool isBound() const { return currentFramebuffer == id; }
    void markDirty() { dirty = true; }
    bool isDirty() const { return dirty; }

    // Completeness of this framebuffer; an incomplete one prints a line.
    bool checkStatus();
    bool isComplete() const { return complete; }
    std::string getStatus() const { return status; }
    static std::string statusText(GLenum code);

    // Null for an index outside the colour textures.
    Texture* getColorTexture(int index) const;
    int getColorTextureCount() const { return static_cast<int>(colorTextures.size()); }
    Texture* getDepthTexture() const { return depthTexture; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    GLuint getId() const { return id; }
    const std::vector<GLenum>& getDrawBuffers() const { return drawBuffers; }
    std::string toString() const;

    // Colour texture 0 on the active unit, when complete.
    void bindTexture();
    // Fixed-function views; a core context has none, so these draw nothing.
    void drawImmediate(float r);
    void draw();

    // Selects this framebuffer's colour outputs on the bound draw framebuffer.
    void applyDrawBuffers() const;

    // The framebuffer last bound as render target; 0 is the screen.
    static GLuint currentFramebuffer;

private:
    void attach(GLenum attachment, Texture* texture);
    void adopt(Texture* texture, const char* kind);
    void attachDepth(Texture* texture, GLenum attachment);
    void finishAttaching();

    std::vector<Texture*> colorTextures;
    std::vector<GLenum> drawBuffers;
    Texture* depthTexture = nullptr;
    GLuint id = 0;
    bool hasDepth = false;
    bool hasStencil = false;
    bool dirty = false;
    bool complete = false;
    int width;
    int height;
    std::string status;
    // Textures made here that no pool took over.
    std::vector<Texture*> ownedTextures;
};

void fboBind(FBO* fbo);
void fboBindAndClear(FBO* fbo);
void fboMarkDirty(FBO* fbo);
bool fboIsDirty(FBO* fbo);
bool fboIsComplete(FBO* fbo);
bool fboCheckStatus(FBO* fbo);
Texture* fboGetColorTexture(FBO* fbo, int index);
Texture* fboGetDepthTexture(FBO* fbo);
int fboGetWidth(FBO* fbo);
int fboGetHeight(FBO* fbo);
GLuint fboGetId(FBO* fbo);
std::string fboToString(FBO* fbo);
std::string fboGetStatus(FBO* fbo);
void fboBindTexture(FBO* fbo);
void fboDraw(FBO* fbo);
void fboDrawImmediate(FBO* fbo, float r);

// Blits leave the recorded render target bound (with its draw buffers), so
// "bind, then blit into it" goes on drawing into the destination. A null side
// is the screen, at the window's full size.
void fboBlitRect(FBO* source, GLenum readBuffer, FBO* destination, GLenum drawBuffer,
                 GLbitfield mask, GLenum filter, int srcX0, int srcY0, int srcX1, int srcY1,
                 int dstX0, int dstY0, int dstX1, int dstY1);
void fboBlit(FBO* source, GLenum readBuffer, FBO* destination, GLenum drawBuffer,
             GLbitfield mask, GLenum filter);
void fboBlitColor(FBO* source, int sourceIndex, FBO* destination, int destinationIndex,
                  GLenum filter);
void fboBlitColorRect(FBO* source, int sourceIndex, FBO* destination, int destinationIndex,
                      GLenum filter, int srcX0, int srcY0, int srcX1, int srcY1, int dstX0,
                      int dstY0, int dstX1, int dstY1);
void fboBlitDepth(FBO* source, FBO* destination);
