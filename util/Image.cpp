#include "util/Image.h"

#include <IL/il.h>
#include <png.h>

#include <climits>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// PNG goes through libpng, which reports a cut or damaged file as an error;
// the other formats through DevIL.
const unsigned char pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Also true for a file cut inside the signature.
bool looksLikePng(const unsigned char* bytes, size_t size)
{
    return size > 0 && std::memcmp(bytes, pngSignature, size < 8 ? size : 8) == 0;
}

// Largest picture side and pixel copy accepted.
const png_uint_32 maxPngSide = 16384;
const long long maxPixelBytes = 256LL << 20;
// Deflate expands at most about 1032-fold: a picture whose filtered rows need
// more than this per byte of file cannot be held by it.
const long long maxInflation = 1100;

struct PngInput {
    const unsigned char* data;
    size_t size;
    size_t position;
};

void readPngBytes(png_structp png, png_bytep out, size_t count)
{
    auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
    if (count > in->size - in->position)
        png_error(png, "cut short");
    std::memcpy(out, in->data + in->position, count);
    in->position += count;
}

void pngFailed(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

struct Decoded {
    char* pixels = nullptr;  // rows bottom-up
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
};

// Decodes a PNG to 8-bit RGB or RGBA, rows reversed, checking every chunk up
// to the end; false (nothing allocated) for anything cut, damaged or oversized.
bool decodePng(const unsigned char* bytes, size_t size, Decoded& out)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFailed, pngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    PngInput input{bytes, size, 0};
    char* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        delete[] pixels;
        delete[] rows;
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &input, readPngBytes);
#ifdef PNG_IGNORE_ADLER32
    // Damage to the image data is caught by the chunks' check sums; the
    // stream's own second check sum over the inflated bytes is not computed.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_set_user_limits(png, maxPngSide, maxPngSide);
    png_read_info(png, info);

    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    const int depth = png_get_bit_depth(png, info);
    const int colourType = png_get_color_type(png, info);
    const long long filteredRowBytes = (static_cast<long long>(w) * depth * png_get_channels(png, info) + 7) / 8 + 1;
    if (filteredRowBytes * h > maxInflation * static_cast<long long>(size))
        png_longjmp(png, 1);

    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (depth == 16)
        png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const int channels = png_get_channels(png, info);
    const long long rowBytes = static_cast<long long>(w) * channels;
    if ((channels != 3 && channels != 4) || png_get_bit_depth(png, info) != 8 ||
        static_cast<long long>(png_get_rowbytes(png, info)) != rowBytes || rowBytes * h > maxPixelBytes)
        png_longjmp(png, 1);

    pixels = new char[static_cast<size_t>(rowBytes * h)];
    rows = new png_bytep[h];
    for (png_uint_32 i = 0; i < h; ++i)
        rows[i] = reinterpret_cast<png_bytep>(pixels + (h - 1 - i) * rowBytes);
    png_read_image(png, rows);
    png_read_end(png, nullptr);

    delete[] rows;
    png_destroy_read_struct(&png, &info, nullptr);
    out.pixels = pixels;
    out.width = static_cast<int>(w);
    out.height = static_cast<int>(h);
    out.bytesPerPixel = channels;
    return true;
}

// The file's bytes when it is a regular file that reads as PNG.
bool readPngFile(const char* path, std::vector<unsigned char>& bytes)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    unsigned char head[8] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    if (!looksLikePng(head, static_cast<size_t>(in.gcount())))
        return false;
    in.clear();
    in.seekg(0);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

void initLibrary()
{
    ilInit();
    // Bottom-origin files (BMP, most TGA) are flipped to the top-down order of PNG.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
}

unsigned readU16(const unsigned char* b, bool bigEndian)
{
    return bigEndian ? (b[0] << 8) | b[1] : b[0] | (b[1] << 8);
}

// The width and height that a JPEG, BMP or TGA header declares; false when
// the bytes hold no such header.
bool declaredSize(ILenum type, const unsigned char* b, size_t n, long long& w, long long& h)
{
    if (type == IL_TGA && n >= 18) {
        // Only the kinds and depths of the format itself: the library
        // mis-sizes its buffers for others.
        const unsigned kind = b[2], mapDepth = b[7], depth = b[16];
        const bool mapped = kind == 1 || kind == 9;
        // A colour map exactly for colour-mapped kinds, starting at entry 0.
        const bool map = b[1] == 1 && readU16(b + 3, false) == 0 &&
                         (mapDepth == 15 || mapDepth == 16 || mapDepth == 24 || mapDepth == 32);
        if (!(mapped || kind == 2 || kind == 3 || kind == 10 || kind == 11) || (mapped ? !map : b[1] != 0) ||
            (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32))
            return false;
        w = readU16(b + 12, false);
        h = readU16(b + 14, false);
        return true;
    }
    if (type == IL_BMP && n >= 26) {
        if (b[14] == 12) {
            w = readU16(b + 18, false);
            h = readU16(b + 20, false);
        } else {
            int32_t iw = 0, ih = 0;
            std::memcpy(&iw, b + 18, 4);
            std::memcpy(&ih, b + 22, 4);
            w = iw;
            h = ih < 0 ? -static_cast<long long>(ih) : ih;
        }
        return true;
    }
    if (type != IL_JPG)
        return false;
    // The first start-of-frame marker (C0 to CF, but for C4, C8 and CC).
    for (size_t i = 2; i + 9 <= n;) {
        const unsigned marker = b[i + 1];
        if (b[i] != 0xFF || marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            i += b[i] != 0xFF || marker == 0xFF ? 1 : 2;
            continue;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            h = readU16(b + i + 5, true);
            w = readU16(b + i + 7, true);
            return true;
        }
        i += 2 + readU16(b + i + 2, true);
    }
    return false;
}

// Decodes JPEG, BMP or TGA bytes into the bound image, within the bounds of
// a PNG. The library's other loaders are not asked: some never return on
// damaged data (an icon header), and it trusts the sizes that headers declare.
bool loadOtherFormat(const unsigned char* bytes, ILuint size)
{
    const ILenum type = ilDetermineTypeL(bytes, size);
    long long w = 0;
    long long h = 0;
    if (!declaredSize(type, bytes, size, w, h) || w <= 0 || h <= 0 || w > maxPngSide || h > maxPngSide ||
        w * h * 4 > maxPixelBytes)
        return false;
    return ilLoadL(type, bytes, size) == IL_TRUE;
}

bool loadOtherFile(const char* path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return !bytes.empty() && loadOtherFormat(bytes.data(), static_cast<ILuint>(bytes.size()));
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
    if (!path)
        return;
    std::vector<unsigned char> bytes;
    const bool decoded = readPngFile(path, bytes) ? takePng(bytes.data(), bytes.size())
                                                  : loadOtherFile(path) && takeBoundImage();
    if (decoded) {
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
    bool ok = false;
    if (bytes && size > 0) {
        if (looksLikePng(bytes, static_cast<size_t>(size)))
            ok = takePng(bytes, static_cast<size_t>(size));
        else
            ok = loadOtherFormat(bytes, static_cast<ILuint>(size)) && takeBoundImage();
    }
    if (ok) {
        loaded = true;
        filename.clear();
    }
    ilDeleteImages(1, &imageName);
    imageName = 0;
    return ok;
}

bool Image::takePng(const unsigned char* bytes, size_t size)
{
    Decoded decoded;
    if (!decodePng(bytes, size, decoded))
        return false;
    delete[] pixels;
    pixels = decoded.pixels;
    width = decoded.width;
    height = decoded.height;
    bytesPerPixel = decoded.bytesPerPixel;
    bitsPerPixel = decoded.bytesPerPixel * 8;
    return true;
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
