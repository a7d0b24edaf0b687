#pragma once
// The engine's one way to resource bytes: from the folder tree (mode 0) or from
// the members of "resources.7z" with the same relative paths (mode 1). Every
// loader returns a new object owned by the caller, or null.

#include <string>

class Binary;
class File;
class Image;
class Texture;
class Video;
struct TextureDefinition;

namespace VLMIO {

extern int loadMode;   // 0 folders, 1 archive; any other value makes every loader fail
extern bool verbose;   // each loader names what it loads

extern std::string objectFolder;
extern std::string graphicsFolder;
extern std::string miscFolder;
extern std::string soundFolder;
extern std::string shaderFolder;
extern std::string videoFolder;
extern std::string trackFolder;

// Mode 1 opens "resources.7z" and prints "arc_load : 1" (or 0 when it did not open).
void setLoadMode(int mode);
// Closes the archive when the mode is 1.
void releaseArchive();
// In mode 1, when the archive or one of its members could not be read: a line
// naming "resources.7z" and why. Empty otherwise.
std::string archiveProblem();

// Null when the picture did not load.
Image* loadImage(const std::string& path, int mode);
Image* loadImage(const std::string& path);

// The picture that made the last texture loader give null, and why it did
// not load; both empty when no picture failed.
struct PictureProblem {
    std::string path;
    std::string reason;
};
PictureProblem pictureProblem();
// The File comes back also when nothing was read: test isOpen. Null for a bad mode.
File* loadTextFile(const std::string& path, int mode);
File* loadTextFile(const std::string& path);
File* loadFile(const std::string& path, int mode);
File* loadFile(const std::string& path);
// Null when the file could not be read.
Binary* loadBinaryFile(const std::string& path, int mode);
Binary* loadBinaryFile(const std::string& path);
// Null when the video did not load.
Video* loadVideoFile(const std::string& path, int mode);
Video* loadVideoFile(const std::string& path);

// Textures from images in the graphics folder. Null when an image is missing or
// does not fit the kind, or the upload fails; no GL name is left behind then.
// Only 24- and 32-bit pictures upload: other depths give a texture object
// without image data.
// 1D (length = the larger side), 2D or 3D (square slices stacked vertically).
Texture* loadTexture(const TextureDefinition& def, int mode);
Texture* loadTexture(const TextureDefinition& def);
// 2D array: def.layers layers stacked vertically in one image.
Texture* loadTextureArray(const TextureDefinition& def, int mode);
Texture* loadTextureArray(const TextureDefinition& def);
// Cube map: def.file is a pattern whose '*' stands for posx, negx, posy, negy,
// posz and negz; the six faces must be square, of one size and one depth.
Texture* loadCubeMap(const TextureDefinition& def, int mode);
Texture* loadCubeMap(const TextureDefinition& def);
Texture* loadTextureByTarget(const TextureDefinition& def, int mode);
Texture* loadTextureByTarget(const TextureDefinition& def);
Texture* loadTexture2D(const std::string& file, bool mipmap);

}
