#pragma once
// One picture decoded by DevIL, with its own copy of the pixels, rows reversed
// so that the first row is the bottom one (ready for a GL upload).
//
// PNG is decoded by libpng and must be whole: a cut or damaged file does not
// load. Every format arrives the same way: top-down as the file shows it before the
// reversal, 8 bits per channel, RGB or RGBA (24 or 32 bits per pixel).

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class Image {
public:
    // Decodes the file at the path.
    explicit Image(const char* path);
    // No picture yet; the archive glue calls loadFromMemory.
    Image();
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // A PNG decoded without DevIL, so safe on any thread; null when the bytes are
    // no PNG or do not make a whole picture.
    static Image* fromPng(const unsigned char* bytes, size_t size);
    static bool looksLikePng(const unsigned char* bytes, size_t size);

    // The mipmap chain of a picture made of layers equal slices stacked
    // vertically, each slice halved level by level down to 1 x 1 with the
    // two-step linear blend the GL's mipmap generation makes of power-of-two
    // sizes (so the levels are the ones it would make). Only for slices
    // whose sides are powers of two; false (nothing built) otherwise.
    bool buildMipmaps(int layers);
    // Levels built below the picture (0 when none), their slices' size and pixels
    // (the layers stacked as in the picture). Level 1 is the first below it.
    int getMipmapCount() const { return static_cast<int>(mipmaps.size()); }
    int getMipmapLayers() const { return mipmapLayers; }
    int getMipmapWidth(int level) const { return mipmaps[static_cast<size_t>(level - 1)].width; }
    int getMipmapHeight(int level) const { return mipmaps[static_cast<size_t>(level - 1)].height; }
    const char* getMipmap(int level) const { return mipmaps[static_cast<size_t>(level - 1)].pixels.get(); }

    // Decodes the bytes (format sniffed); the library's image is deleted afterwards.
    // Bytes that do not decode leave the Image as it was.
    bool loadFromMemory(const unsigned char* bytes, int size);

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    int getBitsPerPixel() const { return bitsPerPixel; }
    int getBytesPerPixel() const { return bytesPerPixel; }
    char* getPixels() const { return pixels; }
    bool isLoaded() const { return loaded; }
    void setLoaded(bool value) { loaded = value; }
    std::string getFilename() const { return filename; }
    void setFilename(const std::string& name) { filename = name; }

private:
    struct NoLibrary {};
    explicit Image(NoLibrary) {}

    // Decodes PNG bytes into the fields; false when they do not make a whole picture.
    bool takePng(const unsigned char* bytes, size_t size);
    // Reads the bound library image into the fields; false when it cannot be used.
    bool takeBoundImage();

    struct Level {
        int width;
        int height;  // of one slice
        std::unique_ptr<char[]> pixels;
    };
    std::vector<Level> mipmaps;
    int mipmapLayers = 0;

    unsigned int imageName = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int bytesPerPixel = 0;
    char* pixels = nullptr;
    bool loaded = false;
    std::string filename;
};
