#include "util/Image.h"

#include <IL/il.h>

#include <climits>
#include <cstring>

namespace {

void initLibrary()
{
    ilInit();
    // Bottom-origin files (BMP, most TGA) are flipped to the top-down order of PNG.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
}

bool hasAlpha(ILint format)
{
    if (format == IL_RGBA || format == IL_BGRA || format == IL_LUMINANCE_ALPHA)
        return true;
    if (format == IL_COLOUR_INDEX) {
        ILint palette = ilGetInteger(IL_PALETTE_TYPE);
        return palette == IL_PAL_RGBA32 || palette == IL_PAL_BGRA32;
    }
    return false;
}

// Brings the bound image to 8-bit RGB or RGBA.
bool normalise()
{
    ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    ILint type = ilGetInteger(IL_IMAGE_TYPE);
    if ((format == IL_RGB || format == IL_RGBA) && type == IL_UNSIGNED_BYTE)
        return true;
    ILenum target = hasAlpha(format) ? IL_RGBA : IL_RGB;
    return ilConvertImage(target, IL_UNSIGNED_BYTE) == IL_TRUE;
}

}

Image::Image(const char* path)
{
    initLibrary();
    ilGenImages(1, &imageName);
    ilBindImage(imageName);
    if (path && ilLoadImage(path) == IL_TRUE && takeBoundImage()) {
        loaded = true;
        filename = path;
    }
}

Image::Image()
{
    initLibrary();
    ilGenImages(1, &imageName);
}

Image::~Image()
{
    delete[] pixels;
    if (imageName != 0)
        ilDeleteImages(1, &imageName);
}

bool Image::loadFromMemory(const unsigned char* bytes, int size)
{
    if (imageName == 0)
        ilGenImages(1, &imageName);
    ilBindImage(imageName);
    bool ok = bytes && size > 0 && ilLoadL(IL_TYPE_UNKNOWN, bytes, static_cast<ILuint>(size)) == IL_TRUE &&
              takeBoundImage();
    if (ok) {
        loaded = true;
        filename.clear();
    }
    ilDeleteImages(1, &imageName);
    imageName = 0;
    return ok;
}

bool Image::takeBoundImage()
{
    if (!normalise())
        return false;
    ILint w = ilGetInteger(IL_IMAGE_WIDTH);
    ILint h = ilGetInteger(IL_IMAGE_HEIGHT);
    ILint bits = ilGetInteger(IL_IMAGE_BITS_PER_PIXEL);
    ILint bytes = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    const ILubyte* source = ilGetData();
    if (w <= 0 || h <= 0 || bytes <= 0 || !source)
        return false;
    long long rowBytes = static_cast<long long>(w) * bytes;
    long long total = rowBytes * h;
    if (total > INT_MAX || total > ilGetInteger(IL_IMAGE_SIZE_OF_DATA))
        return false;

    char* copy = new char[static_cast<size_t>(total)];
    for (ILint i = 0; i < h; ++i)
        std::memcpy(copy + i * rowBytes, source + (h - 1 - i) * rowBytes, static_cast<size_t>(rowBytes));
    delete[] pixels;
    pixels = copy;
    width = w;
    height = h;
    bitsPerPixel = bits;
    bytesPerPixel = bytes;
    return true;
}
