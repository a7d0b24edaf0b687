#include "engine/runtime/VLMIO.h"

#include "engine/runtime/Binary.h"
#include "util/Archive.h"
#include "util/File.h"
#include "util/Image.h"
#include "util/Log.h"

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

}
