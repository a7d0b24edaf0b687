#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "engine/runtime/DataVideoPool.h"
#include "engine/runtime/Video.h"

#include "engine/render/FBO.h"
#include "engine/render/Texture.h"

#include "RenderFixture.h"
#include "support/Capture.h"
#include "support/GLContext.h"
#include "support/TempDir.h"

#include <memory>

namespace {

GLuint newTextureName()
{
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

Texture* sized(const std::string& name, int width, int height, int bpp = 32)
{
    Texture* t = new Texture(name, newTextureName());
    t->setSize(width, height);
    t->setBpp(bpp);
    return t;
}

}

TEST(DataTexturePool, NamesAliasesAndOwnership)
{
    REQUIRE_GL();
    testsupport::StdoutCapture capture;
    GLuint displacedId, sharedId, keptId;
    {
        DataTexturePool pool;
        EXPECT_EQ(pool.size(), 0);
        EXPECT_EQ(pool.toString(), "DataTexturePool {\n    total memory size : 0 MB - 0    numTextures = 0\n}\n");

        Texture* displaced = sized("Old.png", 4, 4);
        displacedId = displaced->getId();
        pool.addTexture("a", displaced);
        Texture* shared = sized("", 256, 256);
        sharedId = shared->getId();
        pool.addTexture("b", shared);
        pool.addTexture("c", shared);
        Texture* kept = sized("New.png", 512, 512, 24);
        keptId = kept->getId();
        pool.addTexture("a", kept);

        // The displaced texture is gone, with its name record; the shared one stays.
        EXPECT_FALSE(glIsTexture(displacedId));
        EXPECT_TRUE(glIsTexture(sharedId));
        EXPECT_EQ(pool.size(), 3);
        EXPECT_EQ(pool.getTexture("a"), kept);
        EXPECT_EQ(pool.getTexture("A"), nullptr);
        EXPECT_EQ(pool.getTexture("missing"), nullptr);
        EXPECT_FALSE(pool.contains("missing"));
        EXPECT_EQ(pool.size(), 3);
        EXPECT_FALSE(pool.containsTextureName("Old.png"));
        EXPECT_TRUE(pool.containsTextureName("New.png"));
        EXPECT_FALSE(pool.containsTextureName(""));
        EXPECT_EQ(pool.getTextureIdByName("New.png"), static_cast<int>(keptId));
        EXPECT_EQ(pool.getTextureIdByName("Old.png"), 0);
        EXPECT_EQ(pool.getTextureId("b"), static_cast<int>(sharedId));
        EXPECT_EQ(pool.getTextureId("none"), 0);
        EXPECT_EQ(pool.getTextureIds(),
                  (std::vector<int>{static_cast<int>(keptId), static_cast<int>(sharedId), static_cast<int>(sharedId)}));
        EXPECT_EQ(pool.getTotalMemory(), 512 * 512 * 3 + 2 * 256 * 256 * 4);

        GLuint wrapped = newTextureName();
        pool.createTexture("fb", "FBO_1_color_" + std::to_string(wrapped), wrapped);
        EXPECT_EQ(pool.getTexture("fb")->getName(), "FBO_1_color_" + std::to_string(wrapped));
        EXPECT_EQ(pool.getTextureIdByName("FBO_1_color_" + std::to_string(wrapped)), static_cast<int>(wrapped));
        EXPECT_EQ(pool.getAliases().at("New.png"), "a");
        EXPECT_EQ(pool.getTextures().size(), 4u);
    }
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"[Dispose texturePool]"});
    EXPECT_FALSE(glIsTexture(sharedId));
    EXPECT_FALSE(glIsTexture(keptId));
}

TEST(DataTexturePool, Dump)
{
    REQUIRE_GL();
    testsupport::StdoutCapture quiet;
    DataTexturePool pool;
    Texture* sky = sized("sky", 1024, 1024);
    pool.addTexture("sky", sky);
    std::string skyDump = sky->toString();
    EXPECT_EQ(pool.toString(), "DataTexturePool {\n    total memory size : 4 MB - 4194304    numTextures = 1\n    sky = " +
                                   skyDump + "}\n");
}

TEST(DataFBOPool, LookupsListsAndDispose)
{
    REQUIRE_GL();
    DataFBOPool pool;
    FBO* a = new FBO(16, 8);
    FBO* b = new FBO(32, 16);
    FBO* c = new FBO(8, 8);
    pool.addFBO("b", b);
    pool.addFBO("a", a);
    pool.addFBO("b", c);  // displaced b stays listed and is deleted with the pool
    EXPECT_EQ(pool.size(), 2);
    EXPECT_EQ(pool.getFBOAt(0), b);
    EXPECT_EQ(pool.getFBOAt(2), c);
    EXPECT_EQ(pool.getNameAt(2), "b");
    EXPECT_EQ(pool.getFBOAt(3), nullptr);
    EXPECT_EQ(pool.getFBOAt(-1), nullptr);
    EXPECT_EQ(pool.getNameAt(3), "");

    testsupport::StdoutCapture capture;
    EXPECT_FALSE(pool.contains("mirror"));
    EXPECT_EQ(pool.getFBO("b"), c);
    EXPECT_EQ(pool.getFBO("mirror"), nullptr);
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"FBO::getFBO(mirror) cannot find the requested VBO"});
    EXPECT_EQ(pool.toString(), "FBOPool {\n  a = " + a->toString() + "\n  b = " + c->toString() + "\n}\n");
}

namespace {

FBO* target(int size)
{
    return new FBO(size, size, false, false, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
}

rendertest::RGBA cornerOf(FBO* fbo)
{
    fboBind(fbo);
    return rendertest::pixel(0, 0);
}

using ResourcePoolGL = rendertest::GLTest;

const char* const plainFS = "#version 150\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n";

}

TEST_F(ResourcePoolGL, ClearDirtyClearsWhatWasDrawnIntoThenBindsTheScreen)
{
    DataFBOPool pool;
    FBO* a = target(8);
    FBO* b = target(4);
    FBO* c = target(2);
    pool.addFBO("c", c);
    pool.addFBO("a", a);
    pool.addFBO("b", b);
    const rendertest::RGBA red{255, 0, 0, 255}, blue{0, 0, 255, 255};

    glClearColor(1, 0, 0, 1);
    for (FBO* fbo : {a, b, c})
        fboBindAndClear(fbo);
    fboMarkDirty(a);
    fboMarkDirty(c);
    glClearColor(0, 0, 1, 1);
    fboBind(b);
    pool.clearDirty();
    EXPECT_EQ(rendertest::getInt(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_FALSE(fboIsDirty(a));
    EXPECT_FALSE(fboIsDirty(c));
    EXPECT_EQ(cornerOf(a), blue);
    EXPECT_EQ(cornerOf(c), blue);
    EXPECT_EQ(cornerOf(b), red);

    // Nothing drawn: nothing cleared, and the screen is bound all the same.
    fboBind(b);
    pool.clearDirty();
    EXPECT_EQ(rendertest::getInt(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(cornerOf(b), red);
    fboBind(nullptr);
    glClearColor(0, 0, 0, 0);
}

TEST_F(ResourcePoolGL, ShaderPool)
{
    Shader* first = rendertest::makeShader("first", rendertest::coverVS, plainFS).release();
    Shader* second = rendertest::makeShader("second", rendertest::coverVS, plainFS).release();
    Shader* third = rendertest::makeShader("third", rendertest::coverVS, plainFS).release();
    const std::string secondDump = second->toString(), thirdDump = third->toString();
    auto pool = std::make_unique<DataShaderPool>();
    testsupport::StdoutCapture capture;
    EXPECT_EQ(pool->toString(), "ShaderPool {\n<Empty>\n}\n");
    pool->addShader("b", first);
    pool->addShader("b", second);
    pool->addShader("a", third);
    EXPECT_EQ(pool->size(), 2);
    EXPECT_EQ(pool->getShader("b"), second);
    EXPECT_EQ(pool->getShader("c"), nullptr);
    EXPECT_FALSE(pool->contains("c"));
    EXPECT_EQ(pool->size(), 2);
    EXPECT_EQ(pool->toString(), "ShaderPool {\n  a = " + thirdDump + "\n  b = " + secondDump + "\n}\n");
    pool.reset();
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Shaders in pool : 0", "Shaders in pool : 2"}));
}

TEST(DataVideoPool, HoldsVideos)
{
    REQUIRE_GL();
    std::string ivf = testsupport::readWholeFile(std::string(PULSVEK_TEST_DATA) + "/video/moving-34x18.ivf");
    auto pool = std::make_unique<DataVideoPool>();
    {
        testsupport::StdoutCapture quiet;
        auto make = [&] {
            return new Video(reinterpret_cast<const unsigned char*>(ivf.data()), static_cast<unsigned int>(ivf.size()));
        };
        Video* first = make();
        pool->addVideo("intro", first);
        pool->addVideo("intro", make());
        pool->addVideo("outro", make());
        EXPECT_NE(pool->getVideo("intro"), first);
    }
    EXPECT_EQ(pool->toString(), "");
    EXPECT_EQ(pool->size(), 2);
    EXPECT_TRUE(pool->contains("outro"));
    EXPECT_EQ(pool->getVideo("missing"), nullptr);
    EXPECT_EQ(pool->size(), 2);
    testsupport::StdoutCapture capture;
    pool.reset();
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"[Dispose videoPool]"});
}
