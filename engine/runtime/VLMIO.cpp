#include "engine/runtime/VLMIO.h"

#include "engine/render/Engine.h"
#include "engine/render/Texture.h"
#include "engine/runtime/Binary.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/UnpackAlignment.h"
#include "engine/runtime/Video.h"
#include "util/Archive.h"
#include "util/File.h"
#include "util/Image.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <array>
#include <memory>

namespace VLMIO {

int loadMode = 0;
bool verbose = false;

std::string objectFolder = "resources/objects/";
std::string graphicsFolder = "resources/graphics/";
std::string miscFolder = "resources/misc/";
std::string soundFolder = "resources/sound/";
std::string shaderFolder = "resources/shaders/";
std::string videoFolder = "resources/video/";
std::string trackFolder = "resources/tracks/";

namespace {

PictureProblem lastPictureProblem;

void logVerbose(const char* what, const std::string& path)
{
    if (verbose)
        vlm::logLine(what, path);
}

// A whole file from the disk or the archive; null for a bad mode.
File* readFile(const std::string& path, int mode)
{
    if (mode == 0)
        return new File(path, 0);
    if (mode == 1) {
        File* file = new File(path);
        loadFromArchive(*file);
        return file;
    }
    return nullptr;
}

}

void setLoadMode(int mode)
{
    loadMode = mode;
    if (mode == 1)
        vlm::logLine("arc_load : ", openArchive("resources.7z") ? 1 : 0);
    verbose = false;
}

std::string archiveProblem()
{
    if (loadMode != 1)
        return "";
    const std::string problem = arc_problem();
    return problem.empty() ? "" : "Archive 'resources.7z' could not be read : " + problem;
}

void releaseArchive()
{
    if (loadMode == 1)
        closeArchive();
}

Image* loadImage(const std::string& path, int mode)
{
    std::unique_ptr<Image> image;
    if (mode == 0) {
        image = std::make_unique<Image>(path.c_str());
    } else if (mode == 1) {
        image = std::make_unique<Image>();
        image->setFilename(path);
        loadFromArchive(*image);
    }
    if (!image)
        return nullptr;
    if (!image->isLoaded()) {
        lastPictureProblem = {path, image->getProblem()};
        return nullptr;
    }
    lastPictureProblem = {};
    return image.release();
}

Image* loadImage(const std::string& path)
{
    return loadImage(path, loadMode);
}

PictureProblem pictureProblem()
{
    return lastPictureProblem;
}

File* loadTextFile(const std::string& path, int mode)
{
    logVerbose("Loading text file : ", path);
    return readFile(path, mode);
}

File* loadTextFile(const std::string& path)
{
    return loadTextFile(path, loadMode);
}

File* loadFile(const std::string& path, int mode)
{
    logVerbose("Loading file : ", path);
    return readFile(path, mode);
}

File* loadFile(const std::string& path)
{
    return loadFile(path, loadMode);
}

Binary* loadBinaryFile(const std::string& path, int mode)
{
    logVerbose("Loading binary file : ", path);
    std::unique_ptr<File> file(readFile(path, mode));
    if (!file || !file->isOpen())
        return nullptr;
    return new Binary(file->getBytes());
}

Binary* loadBinaryFile(const std::string& path)
{
    return loadBinaryFile(path, loadMode);
}

Video* loadVideoFile(const std::string& path, int mode)
{
    logVerbose("Loading video file : ", path);
    std::unique_ptr<Video> video;
    if (mode == 0) {
        video = std::make_unique<Video>(path.c_str());
    } else if (mode == 1) {
        std::unique_ptr<File> file(readFile(path, mode));
        if (file->isOpen()) {
            std::vector<unsigned char> bytes = file->getBytes();
            video = std::make_unique<Video>(bytes.data(), static_cast<unsigned int>(bytes.size()));
        }
    }
    if (!video || !video->isLoaded())
        return nullptr;
    return video.release();
}

Video* loadVideoFile(const std::string& path)
{
    return loadVideoFile(path, loadMode);
}

}

namespace VLMIO {

namespace {

GLenum formatFor(int bitsPerPixel)
{
    return bitsPerPixel == 32 ? GL_RGBA : GL_RGB;
}

GLenum sizedFormatFor(int bitsPerPixel)
{
    return bitsPerPixel == 32 ? GL_RGBA8 : GL_RGB8;
}

bool uploadableDepth(const Image& image)
{
    return image.getBitsPerPixel() == 24 || image.getBitsPerPixel() == 32;
}

// A freshly generated GL texture name, deleted again unless it is handed on.
class TextureName {
public:
    explicit TextureName(GLenum target) : target(target)
    {
        glGenTextures(1, &id);
        glBindTexture(target, id);
    }
    ~TextureName()
    {
        glBindTexture(target, 0);
        if (id != 0)
            glDeleteTextures(1, &id);
    }
    TextureName(const TextureName&) = delete;
    TextureName& operator=(const TextureName&) = delete;
    GLuint get() const { return id; }
    GLuint release()
    {
        GLuint handed = id;
        id = 0;
        return handed;
    }

private:
    GLenum target;
    GLuint id = 0;
};

// Builds the mipmap chain when asked for and there is an image to build it
// from; returns the minifying filter to use.
GLint applyMipmap(GLenum target, bool mipmap, bool hasImage)
{
    if (mipmap && hasImage)
        glGenerateMipmap(target);
    return mipmap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR;
}

// Levels of an array's storage: six, or fewer where the layers are too small
// for six (the storage call refuses more levels than the size has).
GLsizei arrayLevels(int width, int height)
{
    GLsizei levels = 1;
    for (int side = width > height ? width : height; side > 1 && levels < 6; side /= 2)
        ++levels;
    return levels;
}

// Immutable storage for an array where the GL has it, else the same levels
// one by one.
void allocateArray(GLenum target, GLsizei levels, GLenum internalFormat, GLenum format, int width, int height,
                   int layers)
{
    if (GLEW_ARB_texture_storage) {
        glTexStorage3D(target, levels, internalFormat, width, height, layers);
        return;
    }
    for (GLsizei level = 0; level < levels; ++level)
        glTexImage3D(target, level, static_cast<GLint>(internalFormat), width > 1 ? width >> level : 1,
                     height > 1 ? height >> level : 1, layers, 0, format, GL_UNSIGNED_BYTE, nullptr);
}

Texture* wrapTexture(TextureName& name, const std::string& textureName, GLenum target, GLint minFilter, int width,
                     int height, int bitsPerPixel, bool mipmap, bool setFilters)
{
    glBindTexture(target, 0);
    Texture* texture = new Texture(textureName, name.release());
    texture->setTarget(target);
    if (setFilters)
        texture->setFilter(static_cast<GLenum>(minFilter), GL_LINEAR);
    texture->setSize(width, height);
    texture->setBpp(bitsPerPixel);
    texture->setMipmapped(mipmap);
    return texture;
}

}

Texture* loadTexture(const TextureDefinition& def, int mode)
{
    logVerbose("Loading texture : ", def.file);
    lastPictureProblem = {};
    std::unique_ptr<Image> image(loadImage(graphicsFolder + def.file, mode));
    if (!image)
        return nullptr;
    const GLenum target = static_cast<GLenum>(def.target);
    const int w = image->getWidth();
    const int h = image->getHeight();
    const int bpp = image->getBitsPerPixel();
    if (target != GL_TEXTURE_1D && target != GL_TEXTURE_2D && target != GL_TEXTURE_3D)
        return nullptr;
    // Square slices stacked vertically: an image lower than wide has none.
    if (target == GL_TEXTURE_3D && h / w == 0)
        return nullptr;

    // Other depths than 24 and 32 bits give a texture object without image data.
    const bool upload = uploadableDepth(*image);
    TextureName name(target);
    if (upload) {
        UnpackAlignment packed;
        const void* pixels = image->getPixels();
        if (target == GL_TEXTURE_1D)
            glTexImage1D(target, 0, sizedFormatFor(bpp), w > h ? w : h, 0, formatFor(bpp), GL_UNSIGNED_BYTE, pixels);
        else if (target == GL_TEXTURE_2D)
            glTexImage2D(target, 0, sizedFormatFor(bpp), w, h, 0, formatFor(bpp), GL_UNSIGNED_BYTE, pixels);
        else
            glTexImage3D(target, 0, sizedFormatFor(bpp), w, w, h / w, 0, formatFor(bpp), GL_UNSIGNED_BYTE, pixels);
    }
    const GLint minFilter = applyMipmap(target, def.mipmap, upload);
    if (checkGLError("VLMIO::loadTexture " + def.file))
        return nullptr;
    return wrapTexture(name, def.file, target, minFilter, w, h, bpp, def.mipmap, true);
}

Texture* loadTexture(const TextureDefinition& def)
{
    return loadTexture(def, loadMode);
}

Texture* loadTextureArray(const TextureDefinition& def, int mode)
{
    lastPictureProblem = {};
    if (def.layers <= 0)
        return nullptr;
    std::unique_ptr<Image> image(loadImage(graphicsFolder + def.file, mode));
    if (!image)
        return nullptr;
    const GLenum target = static_cast<GLenum>(def.target);
    const int w = image->getWidth();
    const int layerHeight = image->getHeight() / def.layers;
    const int bpp = image->getBitsPerPixel();
    if (layerHeight == 0)
        return nullptr;

    const bool upload = uploadableDepth(*image);
    TextureName name(target);
    if (upload) {
        // Level 0 holds the image; the other levels follow from it when a
        // mipmap chain is asked for.
        UnpackAlignment packed;
        allocateArray(target, arrayLevels(w, layerHeight), sizedFormatFor(bpp), formatFor(bpp), w, layerHeight,
                      def.layers);
        glTexSubImage3D(target, 0, 0, 0, 0, w, layerHeight, def.layers, formatFor(bpp), GL_UNSIGNED_BYTE,
                        image->getPixels());
    }
    const GLint minFilter = applyMipmap(target, def.mipmap, upload);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_REPEAT);
    if (checkGLError("VLMIO::loadTextureArray " + def.file))
        return nullptr;
    return wrapTexture(name, def.file, target, minFilter, w, image->getHeight(), bpp, def.mipmap, false);
}

Texture* loadTextureArray(const TextureDefinition& def)
{
    return loadTextureArray(def, loadMode);
}

Texture* loadCubeMap(const TextureDefinition& def, int mode)
{
    lastPictureProblem = {};
    const size_t star = def.file.find('*');
    if (star == std::string::npos || star == 0)
        return nullptr;
    const std::string prefix = def.file.substr(0, star);
    const std::string suffix = def.file.substr(star + 1);

    static const char* const faceNames[6] = {"posx", "posy", "posz", "negx", "negy", "negz"};
    std::array<std::unique_ptr<Image>, 6> faces;
    for (int i = 0; i < 6; ++i) {
        faces[static_cast<size_t>(i)].reset(loadImage(graphicsFolder + prefix + faceNames[i] + suffix, mode));
        if (!faces[static_cast<size_t>(i)])
            return nullptr;
    }
    // Every face is uploaded with the size and depth of posx: all must match it.
    const Image& first = *faces[0];
    const int side = first.getWidth();
    const int bpp = first.getBitsPerPixel();
    if (first.getHeight() != side)
        return nullptr;
    for (const auto& face : faces)
        if (face->getWidth() != side || face->getHeight() != side || face->getBitsPerPixel() != bpp)
            return nullptr;

    const GLenum target = static_cast<GLenum>(def.target);
    const bool upload = uploadableDepth(first);
    TextureName name(target);
    if (upload) {
        // Faces in the order of the GL targets: +x, -x, +y, -y, +z, -z.
        static const int imageForFace[6] = {0, 3, 1, 4, 2, 5};
        UnpackAlignment packed;
        for (int f = 0; f < 6; ++f)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(f), 0, static_cast<GLint>(formatFor(bpp)),
                         side, side, 0, formatFor(bpp), GL_UNSIGNED_BYTE,
                         faces[static_cast<size_t>(imageForFace[f])]->getPixels());
    }
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    const GLint minFilter = applyMipmap(target, def.mipmap, upload);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (checkGLError("VLMIO::loadCubeMap " + def.file))
        return nullptr;
    return wrapTexture(name, prefix, target, minFilter, side, side, bpp, def.mipmap, false);
}

Texture* loadCubeMap(const TextureDefinition& def)
{
    return loadCubeMap(def, loadMode);
}

Texture* loadTextureByTarget(const TextureDefinition& def, int mode)
{
    lastPictureProblem = {};
    switch (def.target) {
    case GL_TEXTURE_1D:
    case GL_TEXTURE_2D:
        return loadTexture(def, mode);
    case GL_TEXTURE_CUBE_MAP:
        return loadCubeMap(def, mode);
    case GL_TEXTURE_2D_ARRAY:
        return loadTextureArray(def, mode);
    default:
        return nullptr;
    }
}

Texture* loadTextureByTarget(const TextureDefinition& def)
{
    return loadTextureByTarget(def, loadMode);
}

Texture* loadTexture2D(const std::string& file, bool mipmap)
{
    TextureDefinition def;
    def.name = "";
    def.file = file;
    def.target = GL_TEXTURE_2D;
    def.mipmap = mipmap;
    def.layers = 0;
    return loadTextureByTarget(def);
}

}
