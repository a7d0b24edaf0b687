#include "util/Image.h"

#include "support/ImageFiles.h"
#include "support/TempDir.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testsupport::Bytes;
using testsupport::TempDir;

namespace {

Bytes pixelsOf(const Image& image)
{
    if (!image.getPixels())
        return {};
    size_t n = static_cast<size_t>(image.getWidth()) * image.getHeight() * image.getBytesPerPixel();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(image.getPixels());
    return Bytes(p, p + n);
}

// Top-down picture rows reversed: what the Image must hold.
Bytes bottomUp(const Bytes& topDown, int width, int height, int channels)
{
    Bytes out;
    size_t row = static_cast<size_t>(width) * channels;
    for (int y = height - 1; y >= 0; --y)
        out.insert(out.end(), topDown.begin() + y * row, topDown.begin() + (y + 1) * row);
    return out;
}

Image* loadMemory(const std::string& bytes)
{
    Image* image = new Image();
    image->loadFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    return image;
}

// 3 x 2, RGB: a row of red, green, blue over a row of white, grey, black.
const Bytes rgb3x2 = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 128, 128, 128, 0, 0, 0};
const Bytes rgba2x2 = {255, 0, 0, 10, 0, 255, 0, 20, 0, 0, 255, 30, 1, 2, 3, 40};

}

TEST(Image, EveryFormatArrivesBottomUpAsRgb)
{
    struct Case {
        const char* name;
        std::string file;
        int width, height, channels;
        Bytes topDown;
    } cases[] = {
        {"png rgb", testsupport::makePngRgb(3, 2, 3, rgb3x2), 3, 2, 3, rgb3x2},
        {"png rgba", testsupport::makePngRgb(2, 2, 4, rgba2x2), 2, 2, 4, rgba2x2},
        {"bmp", testsupport::makeBmp24(3, 2, rgb3x2), 3, 2, 3, rgb3x2},
        {"tga bottom origin", testsupport::makeTga(3, 2, 3, rgb3x2, false), 3, 2, 3, rgb3x2},
        {"tga top origin", testsupport::makeTga(3, 2, 3, rgb3x2, true), 3, 2, 3, rgb3x2},
        {"tga rgba", testsupport::makeTga(2, 2, 4, rgba2x2, false), 2, 2, 4, rgba2x2},
        {"height 1", testsupport::makePngRgb(3, 1, 3, Bytes(rgb3x2.begin(), rgb3x2.begin() + 9)), 3, 1, 3,
         Bytes(rgb3x2.begin(), rgb3x2.begin() + 9)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Bytes expected = bottomUp(c.topDown, c.width, c.height, c.channels);

        std::string path = dir.write("image.bin", c.file);
        Image fromPath(path.c_str());
        ASSERT_TRUE(fromPath.isLoaded()) << c.name;
        EXPECT_EQ(fromPath.getWidth(), c.width) << c.name;
        EXPECT_EQ(fromPath.getHeight(), c.height) << c.name;
        EXPECT_EQ(fromPath.getBytesPerPixel(), c.channels) << c.name;
        EXPECT_EQ(fromPath.getBitsPerPixel(), c.channels * 8) << c.name;
        EXPECT_EQ(pixelsOf(fromPath), expected) << c.name;
        EXPECT_EQ(fromPath.getFilename(), path);

        std::unique_ptr<Image> fromMemory(loadMemory(c.file));
        ASSERT_TRUE(fromMemory->isLoaded()) << c.name;
        EXPECT_EQ(pixelsOf(*fromMemory), expected) << c.name;
        EXPECT_EQ(fromMemory->getFilename(), "");
    }
}

namespace {

// What the library's own PNG loader delivers for the bytes, rows reversed as
// the Image holds them: depth, bytes per pixel and pixels.
struct LibraryPicture {
    int bits = 0;
    int bytes = 0;
    Bytes pixels;
};

LibraryPicture libraryPng(const std::string& file)
{
    Image origin;  // sets the library up as the Image does
    LibraryPicture out;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    if (ilLoadL(IL_PNG, file.data(), static_cast<ILuint>(file.size())) == IL_TRUE) {
        out.bits = ilGetInteger(IL_IMAGE_BITS_PER_PIXEL);
        out.bytes = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
        const int w = ilGetInteger(IL_IMAGE_WIDTH), h = ilGetInteger(IL_IMAGE_HEIGHT);
        const Bytes topDown(ilGetData(), ilGetData() + static_cast<size_t>(w) * h * out.bytes);
        out.pixels = bottomUp(topDown, w, h, out.bytes);
    }
    ilDeleteImages(1, &name);
    return out;
}

}

// Pictures are taken as stored: grey, grey and alpha, palette indices and
// 16-bit samples keep their depth (samples under 8 bits unpacked to a byte,
// 16-bit ones in the machine's order, little-endian here). A PNG decodes to
// exactly what the library's own PNG loader gives.
TEST(Image, OtherDepthsKeepTheLayoutTheyAreStoredIn)
{
    const Bytes palette = {0, 0, 0, 9, 8, 7};
    struct Case {
        const char* name;
        std::string file;
        int bytesPerPixel;
        Bytes bottomUpPixels;
    } cases[] = {
        {"grey", testsupport::makePng(2, 1, 0, 8, {10, 200}), 1, {10, 200}},
        {"grey 1-bit", testsupport::makePng(8, 1, 0, 1, {0xA0}), 1, {255, 0, 255, 0, 0, 0, 0, 0}},
        {"grey alpha", testsupport::makePng(1, 2, 4, 8, {10, 20, 30, 40}), 2, {30, 40, 10, 20}},
        {"palette", testsupport::makePng(2, 1, 3, 8, {1, 0}, palette), 1, {1, 0}},
        {"palette 4-bit", testsupport::makePng(2, 1, 3, 4, {0x10}, palette), 1, {1, 0}},
        {"palette, transparent entry", testsupport::makePng(2, 1, 3, 8, {1, 0}, palette, {5}), 1, {1, 0}},
        // A transparent colour of grey or RGB becomes an alpha channel, as the library gives it.
        {"grey, transparent colour", testsupport::makePng(2, 1, 0, 8, {10, 200}, {}, {0, 10}), 2, {10, 0, 200, 255}},
        {"rgb, transparent colour", testsupport::makePng(2, 1, 2, 8, {1, 2, 3, 4, 5, 6}, {}, {0, 1, 0, 2, 0, 3}), 4,
         {1, 2, 3, 0, 4, 5, 6, 255}},
        {"16-bit grey", testsupport::makePng(1, 1, 0, 16, {0x12, 0x34}), 2, {0x34, 0x12}},
        {"16-bit rgb", testsupport::makePng(1, 1, 2, 16, {0x12, 0x34, 0xFF, 0xFE, 0x00, 0x01}), 6,
         {0x34, 0x12, 0xFE, 0xFF, 0x01, 0x00}},
        {"16-bit rgba", testsupport::makePng(1, 1, 6, 16, {0x12, 0x34, 0xFF, 0xFE, 0x00, 0x01, 0xAB, 0xCD}), 8,
         {0x34, 0x12, 0xFE, 0xFF, 0x01, 0x00, 0xCD, 0xAB}},
        {"tga grey", testsupport::makeTga(2, 1, 1, {10, 200}, false), 1, {10, 200}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Image> image(loadMemory(c.file));
        ASSERT_TRUE(image->isLoaded()) << c.name;
        EXPECT_EQ(image->getBytesPerPixel(), c.bytesPerPixel) << c.name;
        EXPECT_EQ(image->getBitsPerPixel(), c.bytesPerPixel * 8) << c.name;
        EXPECT_EQ(pixelsOf(*image), c.bottomUpPixels) << c.name;
        if (c.file.rfind("\x89PNG", 0) != 0)
            continue;
        const LibraryPicture library = libraryPng(c.file);
        EXPECT_EQ(library.bits, image->getBitsPerPixel()) << c.name;
        EXPECT_EQ(library.bytes, image->getBytesPerPixel()) << c.name;
        EXPECT_EQ(library.pixels, pixelsOf(*image)) << c.name;
    }
}

// Headers that declare more than a PNG may hold (16384 a side, 256 MiB), or
// TGA kinds and colour maps outside the format, are refused before the
// library decodes them: it trusts the sizes it reads.
TEST(Image, PicturesDeclaredLargerThanTheBoundDoNotLoad)
{
    std::string tga = testsupport::makeTga(3, 2, 3, rgb3x2, false);
    tga[12] = tga[13] = tga[14] = tga[15] = '\xFF';
    std::string bmp = testsupport::makeBmp24(3, 2, rgb3x2);
    bmp.replace(18, 8, std::string("\x00\x40\x00\x00\x00\x40\x00\x00", 8));  // 16384 x 16384
    std::string wide = testsupport::makeBmp24(3, 2, rgb3x2);
    wide.replace(18, 4, std::string("\x01\x40\x00\x00", 4));  // 16385 wide
    // What the fuzzer found: a grey TGA 65535 wide, colour maps the library sizes to gigabytes.
    std::vector<std::string> files = {tga, bmp, wide};
    for (const char* name :
         {"huge-grey-tga-overruns-conversion", "tga-mapped-without-colour-map", "tga-colour-map-past-entry-65535"})
        files.push_back(
            testsupport::readWholeFile(std::string(PULSVEK_SOURCE_DIR) + "/tests/fuzz/regressions/png/" + name));
    TempDir dir;
    for (const std::string& file : files) {
        std::unique_ptr<Image> fromMemory(loadMemory(file));
        EXPECT_FALSE(fromMemory->isLoaded());
        Image fromPath(dir.write("big.bin", file).c_str());
        EXPECT_FALSE(fromPath.isLoaded());
    }
}

TEST(Image, UndecodableInputLeavesNoPicture)
{
    TempDir dir;
    std::string png = testsupport::makePngRgb(3, 2, 3, rgb3x2);
    // An icon header: the library's icon loader never returns on it.
    const std::string icon = testsupport::readWholeFile(std::string(PULSVEK_SOURCE_DIR) +
                                                        "/tests/fuzz/regressions/png/icon-header-hangs");
    ASSERT_EQ(icon.rfind("icns", 0), 0u);
    std::string paths[] = {dir.file("missing.png"), dir.write("junk.png", "not a picture at all"),
                           dir.write("cut.png", png.substr(0, 40)), dir.path(), dir.write("icon.png", icon),
                           dir.write("icon.bin", icon)};
    for (const std::string& path : paths) {
        Image image(path.c_str());
        EXPECT_FALSE(image.isLoaded()) << path;
        EXPECT_EQ(image.getPixels(), nullptr) << path;
        EXPECT_EQ(image.getFilename(), "") << path;
    }

    Image fresh;
    EXPECT_FALSE(fresh.isLoaded());
    EXPECT_EQ(fresh.getPixels(), nullptr);
    EXPECT_FALSE(fresh.loadFromMemory(nullptr, 10));
    const unsigned char junk[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(fresh.loadFromMemory(junk, sizeof junk));
    EXPECT_FALSE(fresh.loadFromMemory(junk, 0));
    EXPECT_FALSE(fresh.loadFromMemory(reinterpret_cast<const unsigned char*>(png.data()), 40));
    EXPECT_FALSE(fresh.loadFromMemory(reinterpret_cast<const unsigned char*>(icon.data()),
                                      static_cast<int>(icon.size())));
    EXPECT_FALSE(fresh.isLoaded());
    EXPECT_EQ(fresh.getPixels(), nullptr);

    // A later good load still works, and a bad one after it keeps the picture.
    ASSERT_TRUE(fresh.loadFromMemory(reinterpret_cast<const unsigned char*>(png.data()),
                                     static_cast<int>(png.size())));
    EXPECT_EQ(fresh.getWidth(), 3);
    EXPECT_FALSE(fresh.loadFromMemory(junk, sizeof junk));
    EXPECT_TRUE(fresh.isLoaded());
    EXPECT_EQ(pixelsOf(fresh), bottomUp(rgb3x2, 3, 2, 3));
}

// A picture that does not load says why: the decoder's own text, or what
// kept it from being decoded at all. A later load that works clears it.
TEST(Image, AFailedLoadSaysWhy)
{
    TempDir dir;
    const std::string png = testsupport::makePngRgb(16, 8, 3, Bytes(16 * 8 * 3, 7));
    std::string crc = png;
    crc[png.find("IDAT") + 30] ^= 0x55;
    std::string tall = testsupport::makeTga(3, 2, 3, rgb3x2, false);
    tall[14] = tall[15] = '\xFF';
    const std::string bmp = testsupport::makeBmp24(3, 2, rgb3x2);
    struct Case {
        const char* what;
        std::string path;
        std::string problem;
    } const cases[] = {
        {"missing", dir.file("none.png"), "missing"},
        {"a folder", dir.path(), "not a readable file"},
        {"empty", dir.write("empty.png", ""), "empty file"},
        {"junk", dir.write("junk.png", "not a picture at all"), "not a PNG, JPEG, BMP or TGA picture"},
        {"png cut", dir.write("cut.png", png.substr(0, png.size() / 2)), "file cut short"},
        {"png damaged", dir.write("crc.png", crc), "IDAT: CRC error"},
        {"tga too tall", dir.write("tall.tga", tall), "larger than 16384 pixels a side or 256 MiB"},
        {"bmp cut", dir.write("cut.bmp", bmp.substr(0, 40)), "file read error"},
    };
    for (const Case& c : cases) {
        Image fromPath(c.path.c_str());
        EXPECT_FALSE(fromPath.isLoaded()) << c.what;
        EXPECT_EQ(fromPath.getProblem(), c.problem) << c.what;
        if (c.what == std::string("missing") || c.what == std::string("a folder"))
            continue;
        Image fromMemory;
        const std::string bytes = testsupport::readWholeFile(c.path);
        EXPECT_FALSE(fromMemory.loadFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()),
                                               static_cast<int>(bytes.size())))
            << c.what;
        EXPECT_EQ(fromMemory.getProblem(), c.problem) << c.what;
        ASSERT_TRUE(fromMemory.loadFromMemory(reinterpret_cast<const unsigned char*>(png.data()),
                                              static_cast<int>(png.size())));
        EXPECT_EQ(fromMemory.getProblem(), "") << c.what;
    }
}

namespace {

// Picture bytes that must not load, through memory and, with a path, through a file.
void expectNoPicture(const std::string& bytes, const std::string& path, const std::string& what)
{
    Image fromMemory;
    EXPECT_FALSE(
        fromMemory.loadFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size())))
        << what;
    EXPECT_FALSE(fromMemory.isLoaded()) << what;
    EXPECT_EQ(fromMemory.getPixels(), nullptr) << what;
    if (path.empty())
        return;
    Image fromPath(path.c_str());
    EXPECT_FALSE(fromPath.isLoaded()) << what;
    EXPECT_EQ(fromPath.getPixels(), nullptr) << what;
}

Bytes pattern(size_t n)
{
    Bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<unsigned char>(i * 37 + 11);
    return out;
}

const std::string pngSignature("\x89PNG\r\n\x1a\n", 8);

}

// Every cut of a PNG fails, in bounded time and without leaking (the leak
// checker runs when the test ends); only the whole file loads.
TEST(Image, EveryCutOfAPngFailsAndTheWholeFileLoads)
{
    TempDir dir;
    const std::string files[] = {
        testsupport::makePngRgb(16, 8, 3, pattern(16 * 8 * 3)),
        testsupport::makePng(4, 4, 3, 8, pattern(16), pattern(256 * 3)),
    };
    for (const std::string& png : files) {
        for (size_t n = 0; n < png.size(); ++n) {
            // Files for the cuts inside the signature and the header, and then for some.
            const std::string cut = png.substr(0, n);
            const std::string path = n < 40 || n % 16 == 0 ? dir.write("cut.png", cut) : "";
            expectNoPicture(cut, path, "cut at " + std::to_string(n) + " of " + std::to_string(png.size()));
        }
        std::unique_ptr<Image> whole(loadMemory(png));
        EXPECT_TRUE(whole->isLoaded());
        Image fromPath(dir.write("whole.png", png).c_str());
        EXPECT_TRUE(fromPath.isLoaded());
        EXPECT_EQ(pixelsOf(fromPath), pixelsOf(*whole));
    }
}

TEST(Image, DamagedPngsFail)
{
    using testsupport::pngChunk;
    using testsupport::pngHeader;
    const std::string good = testsupport::makePngRgb(16, 8, 3, pattern(16 * 8 * 3));
    const size_t idat = good.find("IDAT") - 4;
    const std::string idatChunk = good.substr(idat, good.size() - 12 - idat);
    const std::string iend = pngChunk("IEND", "");
    auto withByte = [&](size_t at, unsigned char value) {
        std::string bytes = good;
        bytes[at] = static_cast<char>(value);
        return bytes;
    };
    struct Case {
        const char* what;
        std::string bytes;
    } const cases[] = {
        // The length fields are not covered by the check sums.
        {"pixel chunk longer than the file", withByte(idat, 0x7F)},
        {"pixel chunk length just past the end", withByte(idat + 2, 0x10)},
        {"header chunk longer than the file", withByte(8, 0x7F)},
        {"header chunk of the wrong length", withByte(11, 12)},
        {"pixel data damaged", withByte(idat + 100, 0x55)},
        {"pixel check sum wrong", withByte(good.size() - 13, static_cast<unsigned char>(good[good.size() - 13] ^ 1))},
        {"no end chunk", good.substr(0, good.size() - 12)},
        {"end before the pixels", pngSignature + pngChunk("IHDR", pngHeader(16, 8, 8, 2)) + iend + idatChunk},
        {"no header chunk", pngSignature + idatChunk + iend},
        {"zero width", pngSignature + pngChunk("IHDR", pngHeader(0, 8, 8, 2)) + idatChunk + iend},
        {"bad bit depth", pngSignature + pngChunk("IHDR", pngHeader(16, 8, 7, 2)) + idatChunk + iend},
        {"huge size", pngSignature + pngChunk("IHDR", pngHeader(0x7FFFFFFF, 0x7FFFFFFF, 8, 6)) + idatChunk + iend},
        // Within the side limit, but far more pixels than a file this small can hold.
        {"large size, little data", pngSignature + pngChunk("IHDR", pngHeader(16000, 16000, 8, 6)) + idatChunk + iend},
        {"pixel data that is not deflate",
         pngSignature + pngChunk("IHDR", pngHeader(16, 8, 8, 2)) + pngChunk("IDAT", std::string(400, 'x')) + iend},
        {"too few pixel rows",
         pngSignature + pngChunk("IHDR", pngHeader(16, 80, 8, 2)) + idatChunk + iend},
    };
    TempDir dir;
    for (const Case& c : cases)
        expectNoPicture(c.bytes, dir.write("damaged.png", c.bytes), c.what);
}
