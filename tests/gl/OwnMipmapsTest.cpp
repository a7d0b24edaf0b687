#include "engine/runtime/Prefetch.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/VLMIO.h"

#include "engine/render/Texture.h"

#include "support/Capture.h"
#include "support/GLContext.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

#include <GL/glew.h>

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using testsupport::Bytes;

namespace {

Bytes noise(int width, int height, int channels, unsigned seed)
{
    Bytes b(static_cast<size_t>(width * height * channels));
    std::srand(seed);
    for (unsigned char& c : b)
        c = static_cast<unsigned char>(std::rand() & 0xFF);
    return b;
}

// Every level of the texture (every face of a cube map), as RGBA bytes.
std::vector<Bytes> levels(const Texture& texture)
{
    const GLenum target = texture.getTarget();
    glBindTexture(target, texture.getId());
    std::vector<Bytes> out;
    const GLenum query = target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X : target;
    for (GLint level = 0;; ++level) {
        GLint w = 0, h = 0, d = 0;
        glGetTexLevelParameteriv(query, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(query, level, GL_TEXTURE_HEIGHT, &h);
        glGetTexLevelParameteriv(query, level, GL_TEXTURE_DEPTH, &d);
        if (w == 0)
            break;
        const int faces = target == GL_TEXTURE_CUBE_MAP ? 6 : 1;
        for (int f = 0; f < faces; ++f) {
            Bytes texels(static_cast<size_t>(w * h * d * 4));
            glGetTexImage(target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(f) : target,
                          level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
            out.push_back(texels);
        }
    }
    glBindTexture(target, 0);
    return out;
}

bool immutable(const Texture& texture)
{
    glBindTexture(texture.getTarget(), texture.getId());
    GLint value = 0;
    glGetTexParameteriv(texture.getTarget(), GL_TEXTURE_IMMUTABLE_FORMAT, &value);
    glBindTexture(texture.getTarget(), 0);
    return value != 0;
}

bool softwareRenderer()
{
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const std::string name = renderer ? renderer : "";
    return name.find("llvmpipe") != std::string::npos || name.find("softpipe") != std::string::npos;
}

}

TEST(OwnMipmaps, DecodedChainsAreTheLevelsTheGLWouldMake)
{
    REQUIRE_GL();
    testsupport::TempDir dir;
    struct Case {
        const char* file;
        GLenum target;
        int width, height, channels, layers;
        bool ownChain;  // power-of-two slices: the worker makes the levels
    } const cases[] = {
        {"square-rgb.png", GL_TEXTURE_2D, 64, 64, 3, 0, true},
        {"wide-rgba.png", GL_TEXTURE_2D, 32, 8, 4, 0, true},
        {"tall-rgb.png", GL_TEXTURE_2D, 4, 32, 3, 0, true},
        {"line.png", GL_TEXTURE_1D, 16, 1, 3, 0, true},
        {"column.png", GL_TEXTURE_1D, 1, 16, 4, 0, true},
        {"layers.png", GL_TEXTURE_2D_ARRAY, 8, 8 * 3, 3, 3, true},
        {"wide-layers.png", GL_TEXTURE_2D_ARRAY, 16, 2 * 4, 4, 4, true},
        {"Sky_*.png", GL_TEXTURE_CUBE_MAP, 8, 8, 3, 0, true},
        // Other sizes are left to the GL.
        {"odd.png", GL_TEXTURE_2D, 12, 10, 3, 0, false},
        {"leftover-rows.png", GL_TEXTURE_2D_ARRAY, 8, 8 * 3 + 2, 3, 3, false},
    };
    unsigned seed = 1;
    for (const Case& c : cases) {
        if (c.target == GL_TEXTURE_CUBE_MAP) {
            for (const char* face : {"posx", "negx", "posy", "negy", "posz", "negz"})
                dir.write(std::string("resources/graphics/Sky_") + face + ".png",
                          testsupport::makePngRgb(c.width, c.height, c.channels, noise(c.width, c.height, c.channels, ++seed)));
        } else {
            dir.write(std::string("resources/graphics/") + c.file,
                      testsupport::makePngRgb(c.width, c.height, c.channels, noise(c.width, c.height, c.channels, ++seed)));
        }
    }
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    testsupport::StdoutCapture quiet;
    VLMIO::setLoadMode(0);

    for (const Case& c : cases) {
        TextureDefinition def;
        def.name = c.file;
        def.file = c.file;
        def.target = static_cast<int>(c.target);
        def.mipmap = true;
        def.layers = c.layers;
        // The GL's own levels first, then those made by a worker.
        Prefetch::stop();
        std::unique_ptr<Texture> generated(VLMIO::loadTextureByTarget(def));
        std::vector<Prefetch::Picture> pictures;
        if (c.target == GL_TEXTURE_CUBE_MAP) {
            for (const char* face : {"posx", "posy", "posz", "negx", "negy", "negz"})
                pictures.push_back({std::string("resources/graphics/Sky_") + face + ".png", 1});
        } else {
            pictures.push_back({std::string("resources/graphics/") + c.file, c.layers > 0 ? c.layers : 1});
        }
        Prefetch::startPictures(pictures, 0);
        std::unique_ptr<Texture> decoded(VLMIO::loadTextureByTarget(def));
        Prefetch::stop();
        ASSERT_NE(generated, nullptr) << c.file;
        ASSERT_NE(decoded, nullptr) << c.file;
        EXPECT_EQ(immutable(*decoded), c.ownChain && GLEW_ARB_texture_storage) << c.file;
        EXPECT_TRUE(decoded->isMipmapped()) << c.file;
        const std::vector<Bytes> want = levels(*generated);
        const std::vector<Bytes> got = levels(*decoded);
        ASSERT_EQ(got.size(), want.size()) << c.file;
        // The blend is the software rasteriser's; other GLs filter as they like.
        if (softwareRenderer()) {
            for (size_t i = 0; i < got.size(); ++i)
                EXPECT_EQ(got[i], want[i]) << c.file << " level/face " << i;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(chdir(previous), 0);
}
