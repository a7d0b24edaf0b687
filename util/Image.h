#pragma once
// One picture decoded by DevIL, with its own copy of the pixels, rows reversed
// so that the first row is the bottom one (ready for a GL upload).
//
// PNG is decoded by libpng and must be whole: a cut or damaged file does not
// load. Every format arrives top-down as the file shows it before the reversal,
// in the depth and channel layout it is stored in (grey, grey and alpha, palette
// indices, 16-bit samples stay so); BMP and TGA colours are put in RGB(A) order.

#include <cstddef>
#include <string>

class Image {
public:
    // Decodes the file at the path.
    explicit Image(const char* path);
    // No picture yet; the archive glue calls loadFromMemory.
    Image();
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

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
    // Why the last load did not decode (the decoder's text, "missing", ...);
    // empty after one that did.
    std::string getProblem() const { return problem; }
    void setProblem(const std::string& text) { problem = text; }

private:
    // Decodes the bytes of any accepted format into the fields.
    bool decode(const unsigned char* bytes, size_t size);
    // Decodes PNG bytes into the fields; false when they do not make a whole picture.
    bool takePng(const unsigned char* bytes, size_t size);
    // Reads the bound library image into the fields; false when it cannot be used.
    bool takeBoundImage();

    unsigned int imageName = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int bytesPerPixel = 0;
    char* pixels = nullptr;
    bool loaded = false;
    std::string filename;
    std::string problem;
};
