#include "engine/runtime/VLMIO.h"

#include "engine/render/Texture.h"
#include "engine/runtime/ResourceDefinition.h"

#include "support/Capture.h"
#include "support/GLContext.h"
#include "support/ImageFiles.h"
#include "support/SevenZip.h"
#include "support/TempDir.h"

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using testsupport::Bytes;
using testsupport::TempDir;

namespace {

TextureDefinition def(const std::string& file, GLenum target, bool mipmap = false, int layers = 0)
{
    TextureDefinition d;
    d.name = "alias";
    d.file = file;
    d.target = static_cast<int>(target);
    d.mipmap = mipmap;
    d.layers = layers;
    return d;
}

// A picture whose every byte differs, top-down.
Bytes distinct(int width, int height, int channels, int seed)
{
    Bytes b(static_cast<size_t>(width * height * channels));
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<unsigned char>((i * 7 + static_cast<size_t>(seed) * 31 + 1) & 0xFF);
    return b;
}

Bytes bottomUp(const Bytes& topDown, int width, int height, int channels)
{
    Bytes out;
    size_t row = static_cast<size_t>(width * channels);
    for (int y = height - 1; y >= 0; --y)
        out.insert(out.end(), topDown.begin() + static_cast<long>(y * row), topDown.begin() + static_cast<long>((y + 1) * row));
    return out;
}

GLint levelParameter(GLenum target, GLint level, GLenum name)
{
    GLint value = -1;
    glGetTexLevelParameteriv(target, level, name, &value);
    return value;
}

Bytes texels(GLenum target, int count, GLenum format, GLint level = 0)
{
    int channels = format == GL_RGBA ? 4 : 3;
    Bytes out(static_cast<size_t>(count * channels));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, level, format, GL_UNSIGNED_BYTE, out.data());
    return out;
}

// Texture names alive in the first thousand.
int liveTextureNames()
{
    int alive = 0;
    for (GLuint id = 1; id < 1000; ++id)
        if (glIsTexture(id))
            ++alive;
    return alive;
}

// 2 x 2 pictures of every kind: only those of 24 and 32 bits upload, with
// their colours in RGB(A) order whatever the file stores.
struct Kind {
    const char* name;
    const char* extension;
    std::string bytes;
    int bitsPerPixel;
    Bytes texels;  // bottom-up as uploaded, empty when nothing is
};

const std::vector<Kind>& kinds()
{
    const Bytes rgb = distinct(2, 2, 3, 20);
    const Bytes rgba = distinct(2, 2, 4, 21);
    const Bytes palette = {0, 0, 0, 9, 8, 7};
    static const std::vector<Kind> all = {
        {"KindRgb", ".png", testsupport::makePngRgb(2, 2, 3, rgb), 24, bottomUp(rgb, 2, 2, 3)},
        {"KindRgba", ".png", testsupport::makePngRgb(2, 2, 4, rgba), 32, bottomUp(rgba, 2, 2, 4)},
        {"KindBmp", ".bmp", testsupport::makeBmp24(2, 2, rgb), 24, bottomUp(rgb, 2, 2, 3)},
        {"KindTga", ".tga", testsupport::makeTga(2, 2, 3, rgb, false), 24, bottomUp(rgb, 2, 2, 3)},
        {"KindTgaRgba", ".tga", testsupport::makeTga(2, 2, 4, rgba, true), 32, bottomUp(rgba, 2, 2, 4)},
        {"KindGrey", ".png", testsupport::makePng(2, 2, 0, 8, {10, 20, 30, 40}), 8, {}},
        {"KindGreyAlpha", ".png", testsupport::makePng(2, 2, 4, 8, distinct(2, 2, 2, 22)), 16, {}},
        {"KindPalette", ".png", testsupport::makePng(2, 2, 3, 8, {1, 0, 0, 1}, palette), 8, {}},
        {"KindRgb16", ".png", testsupport::makePng(2, 2, 2, 16, distinct(2, 2, 6, 23)), 48, {}},
        {"KindRgba16", ".png", testsupport::makePng(2, 2, 6, 16, distinct(2, 2, 8, 24)), 64, {}},
        {"KindTgaGrey", ".tga", testsupport::makeTga(2, 2, 1, {10, 20, 30, 40}, false), 8, {}},
    };
    return all;
}

// A resource tree of pictures, as folders and as resources.7z, in a fresh
// working folder; the tests run in both load modes.
const char* const faces[] = {"posx", "negx", "posy", "negy", "posz", "negz"};

struct TextureTree : ::testing::TestWithParam<int> {
    TempDir dir;
    std::string previous;
    testsupport::Members members;

    void add(const std::string& file, const std::string& bytes) { members.push_back({"resources/graphics/" + file, bytes}); }

    void SetUp() override
    {
        char buffer[4096];
        previous = getcwd(buffer, sizeof buffer) ? buffer : ".";
        add("rgb3x3.png", testsupport::makePngRgb(3, 3, 3, distinct(3, 3, 3, 1)));
        add("rgba2x2.png", testsupport::makePngRgb(2, 2, 4, distinct(2, 2, 4, 2)));
        add("wide.png", testsupport::makePngRgb(256, 1, 3, distinct(256, 1, 3, 3)));
        add("tall.png", testsupport::makePngRgb(1, 256, 3, distinct(1, 256, 3, 4)));
        add("layers24.png", testsupport::makePngRgb(64, 640, 3, distinct(64, 640, 3, 5)));
        add("layers32.png", testsupport::makePngRgb(64, 640, 4, distinct(64, 640, 4, 6)));
        add("small.png", testsupport::makePngRgb(4, 12, 3, distinct(4, 12, 3, 7)));
        add("volume.png", testsupport::makePngRgb(2, 4, 3, distinct(2, 4, 3, 8)));
        add("junk.png", "not a picture");
        for (int f = 0; f < 6; ++f) {
            add(std::string("Sky_") + faces[f] + ".png", testsupport::makePngRgb(2, 2, 3, distinct(2, 2, 3, 10 + f)));
            if (std::string(faces[f]) != "negz")
                add(std::string("Gap_") + faces[f] + ".png", testsupport::makePngRgb(2, 2, 3, distinct(2, 2, 3, f)));
            add(std::string("Oblong_") + faces[f] + ".png", testsupport::makePngRgb(2, 3, 3, distinct(2, 3, 3, f)));
            add(std::string("Mixed_") + faces[f] + ".png",
                testsupport::makePngRgb(f == 0 ? 4 : 2, f == 0 ? 4 : 2, 3, distinct(4, 4, 3, f)));
            add(std::string("Deep_") + faces[f] + ".png",
                testsupport::makePngRgb(2, 2, f == 5 ? 4 : 3, distinct(2, 2, 4, f)));
        }
        // Each kind of picture once as a 2 x 2 file and as the six faces of a cube map.
        for (const Kind& kind : kinds()) {
            add(std::string(kind.name) + kind.extension, kind.bytes);
            for (int f = 0; f < 6; ++f)
                add(std::string(kind.name) + "_" + faces[f] + kind.extension, kind.bytes);
        }
        for (const auto& m : members)
            dir.write(m.first, m.second);
        testsupport::write7z(dir.file("resources.7z"), members);
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        testsupport::StdoutCapture quiet;
        VLMIO::setLoadMode(GetParam());
    }
    void TearDown() override
    {
        VLMIO::releaseArchive();
        VLMIO::setLoadMode(0);
        EXPECT_EQ(chdir(previous.c_str()), 0);
    }
};

}

TEST_P(TextureTree, FlatTexturesHoldTheirPictures)
{
    REQUIRE_GL();
    struct Case {
        const char* file;
        GLenum target;
        int length, width, height, channels;
        Bytes expected;
    } cases[] = {
        // 9-byte rows: only right with packed unpacking.
        {"rgb3x3.png", GL_TEXTURE_2D, 9, 3, 3, 3, bottomUp(distinct(3, 3, 3, 1), 3, 3, 3)},
        {"rgba2x2.png", GL_TEXTURE_2D, 4, 2, 2, 4, bottomUp(distinct(2, 2, 4, 2), 2, 2, 4)},
        {"wide.png", GL_TEXTURE_1D, 256, 256, 1, 3, distinct(256, 1, 3, 3)},
        {"tall.png", GL_TEXTURE_1D, 256, 1, 256, 3, bottomUp(distinct(1, 256, 3, 4), 1, 256, 3)},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Texture> texture(VLMIO::loadTextureByTarget(def(c.file, c.target)));
        ASSERT_NE(texture, nullptr) << c.file;
        EXPECT_EQ(texture->getName(), c.file);
        EXPECT_EQ(texture->getTarget(), c.target);
        EXPECT_EQ(texture->getWidth(), c.width);
        EXPECT_EQ(texture->getHeight(), c.height);
        EXPECT_EQ(texture->getBpp(), c.channels * 8);
        glBindTexture(c.target, texture->getId());
        EXPECT_EQ(levelParameter(c.target, 0, GL_TEXTURE_WIDTH), c.target == GL_TEXTURE_1D ? 256 : c.width) << c.file;
        // Stored as decoded: three bytes a texel for 24 bits, four for 32.
        EXPECT_EQ(levelParameter(c.target, 0, GL_TEXTURE_INTERNAL_FORMAT), c.channels == 3 ? GL_RGB8 : GL_RGBA8)
            << c.file;
        EXPECT_EQ(texels(c.target, c.length, c.channels == 4 ? GL_RGBA : GL_RGB), c.expected) << c.file;
        GLint minFilter = 0;
        glGetTexParameteriv(c.target, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, GL_LINEAR);
        glBindTexture(c.target, 0);
    }

    std::unique_ptr<Texture> mipmapped(VLMIO::loadTexture2D("rgb3x3.png", true));
    ASSERT_NE(mipmapped, nullptr);
    EXPECT_TRUE(mipmapped->isMipmapped());
    glBindTexture(GL_TEXTURE_2D, mipmapped->getId());
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH), 1);
    glBindTexture(GL_TEXTURE_2D, 0);

    // The GL makes every level, in storage that stays mutable, each level in
    // the picture's own format.
    for (const char* file : {"layers24.png", "layers32.png"}) {
        std::unique_ptr<Texture> chain(VLMIO::loadTexture2D(file, true));
        ASSERT_NE(chain, nullptr) << file;
        glBindTexture(GL_TEXTURE_2D, chain->getId());
        GLint immutable = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_IMMUTABLE_FORMAT, &immutable);
        EXPECT_EQ(immutable, GL_FALSE) << file;
        const GLint sized = std::string(file) == "layers24.png" ? GL_RGB8 : GL_RGBA8;
        for (int level = 0; level <= 9; ++level) {
            EXPECT_EQ(levelParameter(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH), std::max(64 >> level, 1)) << file;
            EXPECT_EQ(levelParameter(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT), 640 >> level) << file;
            EXPECT_EQ(levelParameter(GL_TEXTURE_2D, level, GL_TEXTURE_INTERNAL_FORMAT), sized) << file << level;
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    // Square slices stacked vertically.
    std::unique_ptr<Texture> volume(VLMIO::loadTexture(def("volume.png", GL_TEXTURE_3D)));
    ASSERT_NE(volume, nullptr);
    glBindTexture(GL_TEXTURE_3D, volume->getId());
    EXPECT_EQ(levelParameter(GL_TEXTURE_3D, 0, GL_TEXTURE_DEPTH), 2);
    EXPECT_EQ(texels(GL_TEXTURE_3D, 8, GL_RGB), bottomUp(distinct(2, 4, 3, 8), 2, 4, 3));
    glBindTexture(GL_TEXTURE_3D, 0);
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(TextureTree, ArrayLayers)
{
    REQUIRE_GL();
    struct Case {
        const char* file;
        int layers;
        bool mipmap;
        int width, layerHeight, channels;
    } cases[] = {
        {"layers24.png", 10, false, 64, 64, 3},
        {"layers32.png", 10, false, 64, 64, 4},
        {"layers32.png", 10, true, 64, 64, 4},
        // Layers of 4 x 4: a mipmap chain of three levels.
        {"small.png", 3, true, 4, 4, 3},
        // Rows left over by the division are not used.
        {"small.png", 5, false, 4, 2, 3},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Texture> texture(VLMIO::loadTextureByTarget(def(c.file, GL_TEXTURE_2D_ARRAY, c.mipmap, c.layers)));
        ASSERT_NE(texture, nullptr) << c.file << " " << c.layers;
        glBindTexture(GL_TEXTURE_2D_ARRAY, texture->getId());
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D_ARRAY, 0, GL_TEXTURE_WIDTH), c.width);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D_ARRAY, 0, GL_TEXTURE_HEIGHT), c.layerHeight);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D_ARRAY, 0, GL_TEXTURE_DEPTH), c.layers);
        // Storage of six levels, or the whole chain where the layers have fewer,
        // whether a mipmap chain is asked for or not.
        int levels = 1;
        for (int side = c.width > c.layerHeight ? c.width : c.layerHeight; side > 1 && levels < 6; side /= 2)
            ++levels;
        GLint immutable = 0;
        glGetTexParameteriv(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_IMMUTABLE_LEVELS, &immutable);
        EXPECT_EQ(immutable, levels) << c.file;
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D_ARRAY, levels - 1, GL_TEXTURE_WIDTH),
                  std::max(c.width >> (levels - 1), 1)) << c.file;
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D_ARRAY, levels - 1, GL_TEXTURE_INTERNAL_FORMAT),
                  c.channels == 3 ? GL_RGB8 : GL_RGBA8) << c.file;
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, c.mipmap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR) << c.file;
        GLint wrap = 0;
        glGetTexParameteriv(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, &wrap);
        EXPECT_EQ(wrap, GL_REPEAT);
        glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
        EXPECT_EQ(texture->getWidth(), c.width);
        EXPECT_EQ(texture->getHeight(), c.file == std::string("small.png") ? 12 : 640);
    }

    // The texels of 3 layers of 4 x 4: the image's rows bottom-up, layer after layer.
    std::unique_ptr<Texture> small(VLMIO::loadTextureArray(def("small.png", GL_TEXTURE_2D_ARRAY, false, 3)));
    ASSERT_NE(small, nullptr);
    glBindTexture(GL_TEXTURE_2D_ARRAY, small->getId());
    EXPECT_EQ(texels(GL_TEXTURE_2D_ARRAY, 48, GL_RGB), bottomUp(distinct(4, 12, 3, 7), 4, 12, 3));
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(TextureTree, CubeMapFaces)
{
    REQUIRE_GL();
    std::unique_ptr<Texture> cube(VLMIO::loadTextureByTarget(def("Sky_*.png", GL_TEXTURE_CUBE_MAP, true)));
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->getName(), "Sky_");
    EXPECT_EQ(cube->getWidth(), 2);
    EXPECT_EQ(cube->getBpp(), 24);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube->getId());
    // GL face order +x, -x, +y, -y, +z, -z; seeds as written: posx 10, negx 11, ...
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(texels(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(f), 4, GL_RGB),
                  bottomUp(distinct(2, 2, 3, 10 + f), 2, 2, 3))
            << "face " << f;
    // Faces made with the unsized format, their levels by the GL.
    GLint immutable = -1;
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_IMMUTABLE_FORMAT, &immutable);
    EXPECT_EQ(immutable, GL_FALSE);
    for (int f = 0; f < 6; ++f) {
        const GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(f);
        EXPECT_EQ(levelParameter(face, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB) << "face " << f;
        EXPECT_EQ(levelParameter(face, 1, GL_TEXTURE_WIDTH), 1) << "face " << f;
    }
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}

// Every kind of texture from every kind of picture: a texture object each
// time, with image data only for 24 and 32 bits (a level 0 of width 0
// otherwise), and no GL error, mipmaps asked for or not.
TEST_P(TextureTree, OnlyPicturesOf24Or32BitsUpload)
{
    REQUIRE_GL();
    struct Target {
        GLenum target;
        int layers;
        const char* pattern;  // file name, with the kind's name for %
    } const targets[] = {
        {GL_TEXTURE_1D, 0, "%"},
        {GL_TEXTURE_2D, 0, "%"},
        {GL_TEXTURE_3D, 0, "%"},
        {GL_TEXTURE_2D_ARRAY, 2, "%"},
        {GL_TEXTURE_CUBE_MAP, 0, "%_*"},
    };
    for (const Kind& kind : kinds()) {
        for (const Target& t : targets) {
            for (bool mipmap : {false, true}) {
                std::string file = t.pattern;
                file.replace(file.find('%'), 1, kind.name);
                file += kind.extension;
                const std::string label = file + " target " + std::to_string(t.target) + (mipmap ? " mipmap" : "");
                const TextureDefinition d = def(file, t.target, mipmap, t.layers);
                std::unique_ptr<Texture> texture(t.target == GL_TEXTURE_3D ? VLMIO::loadTexture(d)
                                                                           : VLMIO::loadTextureByTarget(d));
                ASSERT_NE(texture, nullptr) << label;
                EXPECT_EQ(texture->getBpp(), kind.bitsPerPixel) << label;
                EXPECT_EQ(texture->getWidth(), 2) << label;
                glBindTexture(t.target, texture->getId());
                GLint minFilter = 0;
                glGetTexParameteriv(t.target, GL_TEXTURE_MIN_FILTER, &minFilter);
                EXPECT_EQ(minFilter, mipmap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR) << label;
                const GLenum level0 = t.target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_NEGATIVE_Z : t.target;
                const int width = kind.texels.empty() ? 0 : 2;
                EXPECT_EQ(levelParameter(level0, 0, GL_TEXTURE_WIDTH), width) << label;
                if (width > 0) {
                    const int count = t.target == GL_TEXTURE_1D ? 2 : 4;
                    const GLenum format = kind.bitsPerPixel == 32 ? GL_RGBA : GL_RGB;
                    const Bytes expected(kind.texels.begin(),
                                         kind.texels.begin() + count * (kind.bitsPerPixel / 8));
                    EXPECT_EQ(texels(level0, count, format), expected) << label;
                    // An array's storage has its levels whether or not they are made.
                    if (t.target != GL_TEXTURE_2D_ARRAY) {
                        EXPECT_EQ(levelParameter(level0, 1, GL_TEXTURE_WIDTH), mipmap ? 1 : 0) << label;
                    }
                }
                glBindTexture(t.target, 0);
                EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR)) << label;
            }
        }
    }
}

TEST_P(TextureTree, ImpossibleTexturesFailWithoutLeavingNames)
{
    REQUIRE_GL();
    int before = liveTextureNames();
    struct Case {
        const char* what;
        TextureDefinition d;
    } cases[] = {
        {"missing file", def("none.png", GL_TEXTURE_2D)},
        {"not a picture", def("junk.png", GL_TEXTURE_2D)},
        {"letter case", def("RGB3x3.png", GL_TEXTURE_2D)},
        {"unknown target", def("rgb3x3.png", GL_TEXTURE_3D)},
        {"zero layers", def("small.png", GL_TEXTURE_2D_ARRAY, false, 0)},
        {"negative layers", def("small.png", GL_TEXTURE_2D_ARRAY, false, -2)},
        {"layers above the height", def("small.png", GL_TEXTURE_2D_ARRAY, false, 13)},
        {"star first", def("*.png", GL_TEXTURE_CUBE_MAP)},
        {"no star", def("Sky_posx.png", GL_TEXTURE_CUBE_MAP)},
        {"face missing", def("Gap_*.png", GL_TEXTURE_CUBE_MAP)},
        {"faces not square", def("Oblong_*.png", GL_TEXTURE_CUBE_MAP)},
        {"face sizes differ", def("Mixed_*.png", GL_TEXTURE_CUBE_MAP)},
        {"face depths differ", def("Deep_*.png", GL_TEXTURE_CUBE_MAP)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VLMIO::loadTextureByTarget(c.d), nullptr) << c.what;

    // A 3D texture from an image lower than wide has no slices.
    EXPECT_EQ(VLMIO::loadTexture(def("wide.png", GL_TEXTURE_3D)), nullptr);
    EXPECT_EQ(VLMIO::loadTexture(def("rgb3x3.png", GL_TEXTURE_CUBE_MAP)), nullptr);
    EXPECT_EQ(VLMIO::loadTexture(def("rgb3x3.png", GL_TEXTURE_2D), 7), nullptr);
    EXPECT_EQ(liveTextureNames(), before);
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(TextureTree, VerboseNamesTheTextureFile)
{
    REQUIRE_GL();
    VLMIO::verbose = true;
    testsupport::StdoutCapture capture;
    std::unique_ptr<Texture> texture(VLMIO::loadTexture(def("rgb3x3.png", GL_TEXTURE_2D)));
    VLMIO::verbose = false;
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"Loading texture : rgb3x3.png"});
}

INSTANTIATE_TEST_SUITE_P(Modes, TextureTree, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) { return info.param == 0 ? "Folders" : "Archive"; });
