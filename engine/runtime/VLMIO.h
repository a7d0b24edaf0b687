#pragma once
// The engine's one way to resource bytes: from the folder tree (mode 0) or from
// the members of "resources.7z" with the same relative paths (mode 1). Every
// loader returns a new object owned by the caller, or null.

#include <string>

class Binary;
class File;
class Image;

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

// Null when the picture did not load.
Image* loadImage(const std::string& path, int mode);
Image* loadImage(const std::string& path);
// The File comes back also when nothing was read: test isOpen. Null for a bad mode.
File* loadTextFile(const std::string& path, int mode);
File* loadTextFile(const std::string& path);
File* loadFile(const std::string& path, int mode);
File* loadFile(const std::string& path);
// Null when the file could not be read.
Binary* loadBinaryFile(const std::string& path, int mode);
Binary* loadBinaryFile(const std::string& path);

}
