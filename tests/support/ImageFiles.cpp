#include "support/ImageFiles.h"

#include <cstdint>

namespace testsupport {

namespace {

void put32be(std::string& out, uint32_t v)
{
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void put16le(std::string& out, unsigned v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32le(std::string& out, uint32_t v)
{
    put16le(out, v & 0xFFFF);
    put16le(out, v >> 16);
}

uint32_t crc32(const std::string& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void chunk(std::string& out, const char* type, const std::string& body)
{
    put32be(out, static_cast<uint32_t>(body.size()));
    std::string typed = std::string(type, 4) + body;
    out += typed;
    put32be(out, crc32(typed));
}

// zlib stream of stored (uncompressed) deflate blocks.
std::string zlibStored(const std::string& raw)
{
    std::string out("\x78\x01", 2);
    size_t pos = 0;
    do {
        size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        bool last = pos + n == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        put16le(out, static_cast<unsigned>(n));
        put16le(out, static_cast<unsigned>(~n & 0xFFFF));
        out.append(raw, pos, n);
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put32be(out, (b << 16) | a);
    return out;
}

int samplesPerPixel(int colourType)
{
    switch (colourType) {
    case 0: case 3: return 1;
    case 4: return 2;
    case 2: return 3;
    default: return 4;
    }
}

}

std::string pngChunk(const char* type, const std::string& body)
{
    std::string out;
    chunk(out, type, body);
    return out;
}

std::string pngHeader(uint32_t width, uint32_t height, int bitDepth, int colourType)
{
    std::string header;
    put32be(header, width);
    put32be(header, height);
    header += static_cast<char>(bitDepth);
    header += static_cast<char>(colourType);
    header += std::string(3, '\0');
    return header;
}

std::string makePng(int width, int height, int colourType, int bitDepth, const Bytes& samples, const Bytes& palette,
                    const Bytes& transparency)
{
    std::string out("\x89PNG\r\n\x1a\n", 8);
    chunk(out, "IHDR", pngHeader(static_cast<uint32_t>(width), static_cast<uint32_t>(height), bitDepth, colourType));
    if (colourType == 3)
        chunk(out, "PLTE", std::string(palette.begin(), palette.end()));
    if (!transparency.empty())
        chunk(out, "tRNS", std::string(transparency.begin(), transparency.end()));
    size_t rowBytes = (static_cast<size_t>(width) * samplesPerPixel(colourType) * bitDepth + 7) / 8;
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(samples.data()) + y * rowBytes, rowBytes);
    }
    chunk(out, "IDAT", zlibStored(raw));
    chunk(out, "IEND", "");
    return out;
}

std::string makePngRgb(int width, int height, int channels, const Bytes& samples)
{
    return makePng(width, height, channels == 4 ? 6 : 2, 8, samples);
}

std::string makeBmp24(int width, int height, const Bytes& rgb)
{
    int stride = (width * 3 + 3) & ~3;
    uint32_t pixelBytes = static_cast<uint32_t>(stride * height);
    std::string out = "BM";
    put32le(out, 54 + pixelBytes);
    put32le(out, 0);
    put32le(out, 54);
    put32le(out, 40);
    put32le(out, static_cast<uint32_t>(width));
    put32le(out, static_cast<uint32_t>(height));
    put16le(out, 1);
    put16le(out, 24);
    put32le(out, 0);
    put32le(out, pixelBytes);
    put32le(out, 2835);
    put32le(out, 2835);
    put32le(out, 0);
    put32le(out, 0);
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &rgb[static_cast<size_t>((row * width + x) * 3)];
            out += static_cast<char>(p[2]);
            out += static_cast<char>(p[1]);
            out += static_cast<char>(p[0]);
        }
        out.append(static_cast<size_t>(stride - width * 3), '\0');
    }
    return out;
}

std::string makeTga(int width, int height, int channels, const Bytes& rgb, bool topOrigin)
{
    std::string out;
    out += '\0';  // no id
    out += '\0';  // no colour map
    out += channels == 1 ? '\3' : '\2';  // uncompressed grey or true colour
    out.append(5, '\0');
    put16le(out, 0);
    put16le(out, 0);
    put16le(out, static_cast<unsigned>(width));
    put16le(out, static_cast<unsigned>(height));
    out += static_cast<char>(channels * 8);
    out += static_cast<char>((channels == 4 ? 8 : 0) | (topOrigin ? 0x20 : 0));
    for (int i = 0; i < height; ++i) {
        int row = topOrigin ? i : height - 1 - i;
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &rgb[static_cast<size_t>((row * width + x) * channels)];
            if (channels == 1) {
                out += static_cast<char>(p[0]);
                continue;
            }
            out += static_cast<char>(p[2]);
            out += static_cast<char>(p[1]);
            out += static_cast<char>(p[0]);
            if (channels == 4)
                out += static_cast<char>(p[3]);
        }
    }
    return out;
}

}
