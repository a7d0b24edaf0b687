#include "RenderFixture.h"

#include "engine/render/Texture.h"

#include <iostream>
#include <limits>
#include <vector>

using rendertest::getInt;

namespace {

struct LevelSize {
    GLint width, height, depth;
};

LevelSize levelSize(const Texture& t)
{
    LevelSize s{};
    t.bind();
    glGetTexLevelParameteriv(t.getTarget(), 0, GL_TEXTURE_WIDTH, &s.width);
    glGetTexLevelParameteriv(t.getTarget(), 0, GL_TEXTURE_HEIGHT, &s.height);
    glGetTexLevelParameteriv(t.getTarget(), 0, GL_TEXTURE_DEPTH, &s.depth);
    t.unbind();
    return s;
}

std::vector<unsigned char> texels(const Texture& t, size_t count)
{
    std::vector<unsigned char> out(count * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    t.bind();
    glGetTexImage(t.getTarget(), 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    t.unbind();
    return out;
}

std::vector<unsigned char> ramp(size_t texelCount)
{
    std::vector<unsigned char> data(texelCount * 4);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 7 + 1);
    return data;
}

}

class TextureTest : public rendertest::GLTest {};

TEST_F(TextureTest, CreateAllocatesStorageOfTheTarget)
{
    struct Case {
        GLenum target;
        int width, height, depth;
        LevelSize expected;
    } cases[] = {
        {GL_TEXTURE_2D, 4, 2, 0, {4, 2, 1}},
        {GL_TEXTURE_1D, 8, 16, 0, {16, 1, 1}},  // 1D takes the larger side
        {GL_TEXTURE_1D, 8, 1, 0, {8, 1, 1}},
        {GL_TEXTURE_3D, 2, 3, 4, {2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const int texelCount = c.expected.width * c.expected.height * c.expected.depth;
        std::vector<unsigned char> data = ramp(static_cast<size_t>(texelCount));
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        Texture t(c.target, 0, GL_RGBA8, c.width, c.height, c.depth, GL_RGBA, GL_UNSIGNED_BYTE,
                  data.data());
        // create leaves the new texture bound
        const GLenum binding = c.target == GL_TEXTURE_1D   ? GL_TEXTURE_BINDING_1D
                               : c.target == GL_TEXTURE_2D ? GL_TEXTURE_BINDING_2D
                                                           : GL_TEXTURE_BINDING_3D;
        EXPECT_EQ(static_cast<GLuint>(getInt(binding)), t.getId());
        EXPECT_EQ(t.getWidth(), c.width);
        EXPECT_EQ(t.getHeight(), c.height);
        const LevelSize s = levelSize(t);
        EXPECT_EQ(s.width, c.expected.width);
        EXPECT_EQ(s.height, c.expected.height);
        EXPECT_EQ(s.depth, c.expected.depth);
        EXPECT_EQ(texels(t, static_cast<size_t>(texelCount)), data);
        EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(TextureTest, ConstructorsRecordDefaults)
{
    Texture empty(16, 8, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    EXPECT_EQ(empty.getTarget(), static_cast<GLenum>(GL_TEXTURE_2D));
    EXPECT_EQ(empty.getName(), "");
    EXPECT_EQ(empty.getBpp(), 32);
    EXPECT_FALSE(empty.isMipmapped());
    EXPECT_EQ(empty.getMinFilter(), static_cast<GLenum>(GL_LINEAR));
    EXPECT_EQ(empty.getWrapR(), static_cast<GLenum>(GL_CLAMP_TO_EDGE));
    empty.bind();
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(empty.getId()));
    GLint wrapS = 0, minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(wrapS, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(minFilter, GL_LINEAR);
    empty.unbind();

    const GLuint id = Texture::generateId();
    Texture wrapped("sky", id);
    EXPECT_EQ(wrapped.getId(), id);
    EXPECT_EQ(wrapped.getName(), "sky");
    EXPECT_EQ(wrapped.getWidth(), 0);
    EXPECT_EQ(wrapped.getTarget(), static_cast<GLenum>(GL_TEXTURE_2D));
}

TEST_F(TextureTest, DestructorDeletesTheGLName)
{
    GLuint id = 0;
    {
        Texture t(2, 2, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
        id = t.getId();
        EXPECT_TRUE(glIsTexture(id));
    }
    EXPECT_FALSE(glIsTexture(id));
}

TEST_F(TextureTest, UpdateTextureWritesSubImagesOfLevelZero)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const std::vector<unsigned char> zero(4 * 4 * 4, 0);
    const unsigned char patch[8] = {10, 20, 30, 40, 50, 60, 70, 80};

    Texture t2(4, 4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, zero.data());
    t2.updateTexture(patch, 1, 2, 2, 1);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 0);
    std::vector<unsigned char> expected = zero;
    std::copy(patch, patch + 8, expected.begin() + (2 * 4 + 1) * 4);
    EXPECT_EQ(texels(t2, 16), expected);

    Texture t1(GL_TEXTURE_1D, 0, GL_RGBA8, 4, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, zero.data());
    t1.updateTexture(patch, 2, 0, 2, 1);
    expected.assign(zero.begin(), zero.begin() + 16);
    std::copy(patch, patch + 8, expected.begin() + 8);
    EXPECT_EQ(texels(t1, 4), expected);

    // A 3D texture takes no sub-image through this path.
    Texture t3(GL_TEXTURE_3D, 0, GL_RGBA8, 2, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, zero.data());
    t3.updateTexture(patch, 0, 0, 2, 1);
    EXPECT_EQ(texels(t3, 8), std::vector<unsigned char>(zero.begin(), zero.begin() + 32));
}

TEST_F(TextureTest, SetSizeChangesTheWholeImageUpdateNotTheStorage)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const std::vector<unsigned char> zero(4 * 4 * 4, 0);
    Texture t(4, 4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, zero.data());
    t.setSize(2, 1);
    const unsigned char row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    t.updateTexture(row);
    std::vector<unsigned char> expected = zero;
    std::copy(row, row + 8, expected.begin());
    EXPECT_EQ(texels(t, 16), expected);
    EXPECT_EQ(levelSize(t).width, 4);
}

TEST_F(TextureTest, FiltersAndWrapsReachGLAndLeaveNothingBound)
{
    Texture t(4, 4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    t.unbind();
    t.setWrapAll(GL_MIRRORED_REPEAT);
    t.setWrapST(GL_REPEAT, GL_REPEAT);
    t.setFilter(GL_NEAREST, GL_LINEAR);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(t.getWrapS(), static_cast<GLenum>(GL_REPEAT));
    EXPECT_EQ(t.getWrapR(), static_cast<GLenum>(GL_MIRRORED_REPEAT));
    EXPECT_EQ(t.getMinFilter(), static_cast<GLenum>(GL_NEAREST));
    t.bind();
    struct Param {
        GLenum name;
        GLint expected;
    } params[] = {
        {GL_TEXTURE_WRAP_S, GL_REPEAT},           {GL_TEXTURE_WRAP_T, GL_REPEAT},
        {GL_TEXTURE_WRAP_R, GL_MIRRORED_REPEAT},  {GL_TEXTURE_MIN_FILTER, GL_NEAREST},
        {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
    };
    for (const Param& p : params) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, p.name, &value);
        EXPECT_EQ(value, p.expected) << p.name;
    }
    t.unbind();

    t.setFilter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    t.generateMipmap(true);
    EXPECT_TRUE(t.isMipmapped());
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 0);
}

TEST_F(TextureTest, AnisotropyIsClampedToTheDeviceRange)
{
    if (!GLEW_EXT_texture_filter_anisotropic)
        GTEST_SKIP() << "no anisotropic filtering";
    GLfloat maximum = 0;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maximum);
    ASSERT_GE(maximum, 1.0f);
    struct Case {
        float asked, expected;
    } cases[] = {
        {maximum * 2, maximum}, {maximum, maximum}, {1.0f, 1.0f},
        {0.5f, 1.0f},           {0.0f, 1.0f},       {-4.0f, 1.0f},
    };
    Texture t(4, 4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    for (const Case& c : cases) {
        t.setAnisotropy(c.asked);
        EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR)) << c.asked;
        GLfloat value = 0;
        t.bind();
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &value);
        t.unbind();
        EXPECT_FLOAT_EQ(value, c.expected) << c.asked;
    }
}

TEST_F(TextureTest, ByteSizeDoesNotOverflow)
{
    struct Case {
        int width, height, bpp;
        std::int64_t expected;
    } cases[] = {
        {256, 256, 32, 262144},
        {256, 256, 24, 196608},
        {3, 1, 12, 4},  // truncates
        {32768, 32768, 32, 4294967296LL},
        {46341, 46341, 32, 8589953124LL},
    };
    for (const Case& c : cases) {
        Texture t("big", 0);
        t.setSize(c.width, c.height);
        t.setBpp(c.bpp);
        EXPECT_EQ(t.getByteSize(), c.expected) << c.width << "x" << c.height;
    }
}

TEST_F(TextureTest, ToStringDump)
{
    const GLuint id = Texture::generateId();
    Texture t("sky", id);
    t.setSize(256, 256);
    EXPECT_EQ(t.toString(),
              "Texture {file='sky',id=" + std::to_string(id) + "',size='256,256,0',bpp='32'}\n");
}

TEST(TextureDeathTest, UnsupportedTargetsEndTheProgram)
{
    REQUIRE_GL();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            Texture t(GL_TEXTURE_CUBE_MAP, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        },
        "Texture\\(\\.\\.\\) unsupported texture type 34067\n.*Assertion failed: 0");
    EXPECT_DEATH(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            Texture t("cube", Texture::generateId());
            t.setTarget(GL_TEXTURE_CUBE_MAP);
            t.updateTexture(nullptr);
        },
        "updateTexture\\(\\.\\.\\) unsupported texture type 34067\n.*Assertion failed: 0");
}
