#include "util/Image.h"

#include <IL/il.h>
#include <IL/ilu.h>
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
        png_error(png, "file cut short");
    std::memcpy(out, in->data + in->position, count);
    in->position += count;
}

// The library's text becomes the reason the picture did not load.
void pngFailed(png_structp png, png_const_charp text)
{
    *static_cast<std::string*>(png_get_error_ptr(png)) = text ? text : "";
    png_longjmp(png, 1);
}

// Fails the decoding with a reason of our own.
[[noreturn]] void pngRefused(png_structp png, const char* why)
{
    *static_cast<std::string*>(png_get_error_ptr(png)) = why;
    png_longjmp(png, 1);
}

const char* const tooLarge = "larger than 16384 pixels a side or 256 MiB";

void pngWarning(png_structp, png_const_charp) {}

struct Decoded {
    char* pixels = nullptr;  // rows bottom-up
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
};

// Decodes a PNG as it is stored, checking every chunk up to the end; false
// (nothing allocated, why in problem) for anything cut, damaged or oversized.
// Samples of fewer than 8 bits are unpacked to a byte each (grey scaled to
// 0..255, palette indices kept), 16-bit samples come in the machine's byte
// order, and a transparent colour of a grey or RGB picture becomes an alpha
// channel: the layouts the library gives the other formats.
bool decodePng(const unsigned char* bytes, size_t size, Decoded& out, std::string& problem)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &problem, pngFailed, pngWarning);
    if (!png) {
        problem = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        problem = "out of memory";
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
        pngRefused(png, "more pixels than the file can hold");

    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_packing(png);
    else if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    const uint16_t one = 1;
    if (depth == 16 && *reinterpret_cast<const unsigned char*>(&one) == 1)
        png_set_swap(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const int bytesPerPixel = png_get_channels(png, info) * png_get_bit_depth(png, info) / 8;
    const long long rowBytes = static_cast<long long>(w) * bytesPerPixel;
    if (bytesPerPixel <= 0 || static_cast<long long>(png_get_rowbytes(png, info)) != rowBytes)
        pngRefused(png, "unsupported sample layout");
    if (rowBytes * h > maxPixelBytes)
        pngRefused(png, tooLarge);

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
    out.bytesPerPixel = bytesPerPixel;
    return true;
}

// The whole file; false with the reason when there is no file to read.
bool readWholeFile(const char* path, std::vector<unsigned char>& bytes, std::string& problem)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        problem = "missing";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!std::filesystem::is_regular_file(path, ec) || !in) {
        problem = "not a readable file";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

void initLibrary()
{
    ilInit();
    iluInit();
    // Bottom-origin files (BMP, most TGA) are flipped to the top-down order of PNG.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
}

// The library's reason for its last failure, or else the fallback; clears
// every error it has kept.
std::string libraryProblem(const char* fallback)
{
    const ILenum first = ilGetError();
    while (ilGetError() != IL_NO_ERROR) {
    }
    const char* text = first == IL_NO_ERROR ? nullptr : iluErrorString(first);
    return text && *text ? text : fallback;
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
// a PNG; false with the reason when they do not load. The library's other
// loaders are not asked: some never return on damaged data (an icon header),
// and it trusts the sizes that headers declare.
bool loadOtherFormat(const unsigned char* bytes, ILuint size, std::string& problem)
{
    if (size == 0) {
        problem = "empty file";
        return false;
    }
    const ILenum type = ilDetermineTypeL(bytes, size);
    if (type != IL_JPG && type != IL_BMP && type != IL_TGA) {
        problem = "not a PNG, JPEG, BMP or TGA picture";
        return false;
    }
    long long w = 0;
    long long h = 0;
    if (!declaredSize(type, bytes, size, w, h) || w <= 0 || h <= 0) {
        problem = "damaged or unsupported header";
        return false;
    }
    if (w > maxPngSide || h > maxPngSide || w * h * 4 > maxPixelBytes) {
        problem = tooLarge;
        return false;
    }
    libraryProblem("");
    if (ilLoadL(type, bytes, size) == IL_TRUE)
        return true;
    problem = libraryProblem("not a readable picture");
    return false;
}

// BMP and TGA arrive as BGR(A): swapped to RGB(A), nothing else changed.
bool swapToRgb()
{
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    if (format != IL_BGR && format != IL_BGRA)
        return true;
    return ilConvertImage(format == IL_BGR ? IL_RGB : IL_RGBA, static_cast<ILenum>(ilGetInteger(IL_IMAGE_TYPE))) ==
           IL_TRUE;
}

}

Image::Image(const char* path)
{
    initLibrary();
    ilGenImages(1, &imageName);
    ilBindImage(imageName);
    if (!path) {
        problem = "missing";
        return;
    }
    std::vector<unsigned char> bytes;
    if (readWholeFile(path, bytes, problem) && decode(bytes.data(), bytes.size())) {
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
    const bool ok = decode(bytes, bytes && size > 0 ? static_cast<size_t>(size) : 0);
    if (ok) {
        loaded = true;
        filename.clear();
    }
    ilDeleteImages(1, &imageName);
    imageName = 0;
    return ok;
}

bool Image::decode(const unsigned char* bytes, size_t size)
{
    const bool ok = looksLikePng(bytes, size) ? takePng(bytes, size)
                                              : loadOtherFormat(bytes, static_cast<ILuint>(size), problem) &&
                                                    takeBoundImage();
    if (ok)
        problem.clear();
    return ok;
}

bool Image::takePng(const unsigned char* bytes, size_t size)
{
    Decoded decoded;
    if (!decodePng(bytes, size, decoded, problem))
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
    if (!swapToRgb()) {
        problem = libraryProblem("colours could not be put in RGB order");
        return false;
    }
    ILint w = ilGetInteger(IL_IMAGE_WIDTH);
    ILint h = ilGetInteger(IL_IMAGE_HEIGHT);
    ILint bits = ilGetInteger(IL_IMAGE_BITS_PER_PIXEL);
    ILint bytes = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    const ILubyte* source = ilGetData();
    long long rowBytes = static_cast<long long>(w) * bytes;
    long long total = rowBytes * h;
    if (w <= 0 || h <= 0 || bytes <= 0 || !source || total > INT_MAX || total > ilGetInteger(IL_IMAGE_SIZE_OF_DATA)) {
        problem = "the decoded picture is incomplete";
        return false;
    }

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
