#include "engine/runtime/VLMIO.h"

#include "engine/render/Engine.h"
#include "engine/render/Texture.h"
#include "engine/runtime/Binary.h"
#include "engine/runtime/Prefetch.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/UnpackAlignment.h"
#include "engine/runtime/Video.h"
#include "util/Archive.h"
#include "util/File.h"
#include "util/Image.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <algorithm>
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
    // The workers read from the archive.
    Prefetch::stop();
    if (loadMode == 1)
        closeArchive();
}

Image* loadImage(const std::string& path, int mode)
{
    // A picture decoded ahead by a worker; anything else is read here.
    std::unique_ptr<Image> image(mode == 0 || mode == 1 ? Prefetch::takePicture(path) : nullptr);
    if (image) {
        return image.release();
    } else if (mode == 0) {
        image = std::make_unique<Image>(path.c_str());
    } else if (mode == 1) {
        image = std::make_unique<Image>();
        image->setFilename(path);
        loadFromArchive(*image);
    }
    if (!image || !image->isLoaded())
        return nullptr;
    return image.release();
}

Image* loadImage(const std::string& path)
{
    return loadImage(path, loadMode);
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

// RGB pictures are stored with an opaque alpha as well: they sample the same,
// and every picture shares one texel format, for which the software rasteriser
// compiles its mipmap and sampling code once instead of once per format.
const GLint storedFormat = GL_RGBA8;

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

// Builds the mipmap chain when asked for and not uploaded already; returns the
// minifying filter to use.
GLint applyMipmap(GLenum target, bool mipmap, bool levelsUploaded = false)
{
    if (mipmap && !levelsUploaded)
        glGenerateMipmap(target);
    return mipmap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR;
}

// True when a decoding worker made the picture's mipmap chain for slices of layers:
// the levels are then uploaded as they are, instead of being generated by the GL.
bool hasOwnMipmaps(const Image& image, bool mipmap, int layers)
{
    return mipmap && image.getMipmapLayers() == layers && image.getMipmapCount() > 0;
}

// Room for levels levels of the texture (every face of a cube map), for
// TexSubImage uploads: immutable storage where the GL has it.
void allocateLevels(GLenum target, int levels, int width, int height, int layers)
{
    if (GLEW_ARB_texture_storage) {
        if (target == GL_TEXTURE_1D)
            glTexStorage1D(target, levels, storedFormat, width);
        else if (target == GL_TEXTURE_2D_ARRAY)
            glTexStorage3D(target, levels, storedFormat, width, height, layers);
        else
            glTexStorage2D(target, levels, storedFormat, width, height);
        return;
    }
    for (int level = 0; level < levels; ++level) {
        const int w = std::max(width >> level, 1);
        const int h = std::max(height >> level, 1);
        if (target == GL_TEXTURE_1D) {
            glTexImage1D(target, level, storedFormat, w, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        } else if (target == GL_TEXTURE_2D_ARRAY) {
            glTexImage3D(target, level, storedFormat, w, h, layers, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        } else if (target == GL_TEXTURE_CUBE_MAP) {
            for (GLenum face = 0; face < 6; ++face)
                glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, level, storedFormat, w, h, 0, GL_RGBA,
                             GL_UNSIGNED_BYTE, nullptr);
        } else {
            glTexImage2D(target, level, storedFormat, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        }
    }
}

// Every level of a picture with its own chain into face (a 2D target) or an array.
void uploadLevels(GLenum target, const Image& image, GLenum format, int layers)
{
    for (int level = 0; level <= image.getMipmapCount(); ++level) {
        const int w = level == 0 ? image.getWidth() : image.getMipmapWidth(level);
        const int h = level == 0 ? image.getHeight() / layers : image.getMipmapHeight(level);
        const char* pixels = level == 0 ? image.getPixels() : image.getMipmap(level);
        if (target == GL_TEXTURE_1D)
            glTexSubImage1D(target, level, 0, std::max(w, h), format, GL_UNSIGNED_BYTE, pixels);
        else if (target == GL_TEXTURE_2D_ARRAY)
            glTexSubImage3D(target, level, 0, 0, 0, w, h, layers, format, GL_UNSIGNED_BYTE, pixels);
        else
            glTexSubImage2D(target, level, 0, 0, w, h, format, GL_UNSIGNED_BYTE, pixels);
    }
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
    std::unique_ptr<Image> image(loadImage(graphicsFolder + def.file, mode));
    if (!image || !uploadableDepth(*image))
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

    TextureName name(target);
    bool levelsUploaded = false;
    {
        UnpackAlignment packed;
        const void* pixels = image->getPixels();
        const GLenum format = formatFor(bpp);
        // A 1D picture's levels are its own when it is a line of texels, across or down.
        levelsUploaded = (target == GL_TEXTURE_2D || (target == GL_TEXTURE_1D && (w == 1 || h == 1))) &&
                         hasOwnMipmaps(*image, def.mipmap, 1);
        if (levelsUploaded) {
            allocateLevels(target, 1 + image->getMipmapCount(), target == GL_TEXTURE_1D ? std::max(w, h) : w, h, 1);
            uploadLevels(target, *image, format, 1);
        } else if (target == GL_TEXTURE_1D) {
            glTexImage1D(target, 0, storedFormat, w > h ? w : h, 0, format, GL_UNSIGNED_BYTE, pixels);
        } else if (target == GL_TEXTURE_2D) {
            glTexImage2D(target, 0, storedFormat, w, h, 0, format, GL_UNSIGNED_BYTE, pixels);
        } else {
            glTexImage3D(target, 0, storedFormat, w, w, h / w, 0, format, GL_UNSIGNED_BYTE, pixels);
        }
    }
    const GLint minFilter = applyMipmap(target, def.mipmap, levelsUploaded);
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
    if (def.layers <= 0)
        return nullptr;
    std::unique_ptr<Image> image(loadImage(graphicsFolder + def.file, mode));
    if (!image || !uploadableDepth(*image))
        return nullptr;
    const GLenum target = static_cast<GLenum>(def.target);
    const int w = image->getWidth();
    const int layerHeight = image->getHeight() / def.layers;
    const int bpp = image->getBitsPerPixel();
    if (layerHeight == 0)
        return nullptr;

    TextureName name(target);
    bool levelsUploaded = false;
    {
        // Level 0 holds the image; the mipmap chain, when asked for, follows
        // from the layer size.
        UnpackAlignment packed;
        levelsUploaded = target == GL_TEXTURE_2D_ARRAY && hasOwnMipmaps(*image, def.mipmap, def.layers);
        if (levelsUploaded) {
            allocateLevels(target, 1 + image->getMipmapCount(), w, layerHeight, def.layers);
            uploadLevels(target, *image, formatFor(bpp), def.layers);
        } else {
            glTexImage3D(target, 0, storedFormat, w, layerHeight, def.layers, 0, formatFor(bpp), GL_UNSIGNED_BYTE,
                         image->getPixels());
        }
    }
    const GLint minFilter = applyMipmap(target, def.mipmap, levelsUploaded);
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
    if (!uploadableDepth(first) || first.getHeight() != side)
        return nullptr;
    for (const auto& face : faces)
        if (face->getWidth() != side || face->getHeight() != side || face->getBitsPerPixel() != bpp)
            return nullptr;

    const GLenum target = static_cast<GLenum>(def.target);
    TextureName name(target);
    bool levelsUploaded = false;
    {
        // Faces in the order of the GL targets: +x, -x, +y, -y, +z, -z.
        static const int imageForFace[6] = {0, 3, 1, 4, 2, 5};
        UnpackAlignment packed;
        // The faces' own levels when every face has them.
        levelsUploaded = std::all_of(faces.begin(), faces.end(), [&](const std::unique_ptr<Image>& face) {
            return hasOwnMipmaps(*face, def.mipmap, 1);
        });
        if (levelsUploaded)
            allocateLevels(target, 1 + first.getMipmapCount(), side, side, 1);
        for (int f = 0; f < 6; ++f) {
            const GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(f);
            const Image& picture = *faces[static_cast<size_t>(imageForFace[f])];
            if (levelsUploaded)
                uploadLevels(face, picture, formatFor(bpp), 1);
            else
                glTexImage2D(face, 0, storedFormat, side, side, 0, formatFor(bpp), GL_UNSIGNED_BYTE,
                             picture.getPixels());
        }
    }
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    const GLint minFilter = applyMipmap(target, def.mipmap, levelsUploaded);
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
