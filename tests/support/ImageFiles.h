#pragma once
// Small image files written byte by byte, so image tests do not depend on the
// decoder under test to make their fixtures. Pixel rows are given top-down.

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<unsigned char>;

// PNG colour types: 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA. Samples are
// big-endian for bit depth 16 and packed into bytes below 8. For type 3, palette
// holds RGB triples. A non-empty transparency becomes a tRNS chunk.
std::string makePng(int width, int height, int colourType, int bitDepth, const Bytes& samples,
                    const Bytes& palette = {}, const Bytes& transparency = {});
// One chunk: length, type, body and check sum.
std::string pngChunk(const char* type, const std::string& body);
// The body of an IHDR chunk (no compression, filter or interlace method).
std::string pngHeader(uint32_t width, uint32_t height, int bitDepth, int colourType);
// 8-bit RGB (channels 3) or RGBA (channels 4) PNG.
std::string makePngRgb(int width, int height, int channels, const Bytes& samples);
// 24-bit BMP, stored bottom-up and BGR with rows padded to 4 bytes; input is RGB.
std::string makeBmp24(int width, int height, const Bytes& rgb);
// Uncompressed TGA, stored BGR(A); bottom-up unless topOrigin; input is RGB(A),
// or grey for channels 1.
std::string makeTga(int width, int height, int channels, const Bytes& rgb, bool topOrigin);

}
