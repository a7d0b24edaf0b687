// The show's resource set as the build makes it: every file the production
// declares is in <build>/show/resources and in resources.7z under its exact
// name, the object files hold the named objects the effects look up, and the
// framebuffers have their sizes.

#include "RenderFixture.h"

#include "demo/DemoResources.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/ObjectFile.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/VLMIO.h"
#include "util/Archive.h"

#include "support/Declarations.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kShow = std::string(PULSVEK_BINARY_DIR) + "/show";

// The production's declarations, made at the given window size in the show's
// folder with its archive open (load mode 1).
class ShowResources : public rendertest::GLTest {
protected:
    void SetUp() override
    {
        rendertest::GLTest::SetUp();
        if (IsSkipped())
            return;
        if (!fs::exists(kShow + "/resources.7z"))
            GTEST_SKIP() << "the show's resources are not built (target show_resources)";
        previousDir = fs::current_path();
        fs::current_path(kShow);
        savedScreen = VLMPulsvek::screenSettings;
        settings.setSize(1000, 700);
        VLMPulsvek::screenSettings = &settings;
        savedFbos = VLMPulsvek::fboDataPool;
        VLMPulsvek::fboDataPool = new DataFBOPool();
        testsupport::StdoutCapture quiet;
        VLMIO::setLoadMode(1);
        production.defineResources();
        quiet.text();
    }

    void TearDown() override
    {
        if (!previousDir.empty()) {
            VLMIO::releaseArchive();
            VLMIO::setLoadMode(0);
            delete VLMPulsvek::fboDataPool;
            VLMPulsvek::fboDataPool = savedFbos;
            VLMPulsvek::screenSettings = savedScreen;
            fs::current_path(previousDir);
            rendertest::resetBindCaches();
        }
        rendertest::GLTest::TearDown();
    }

    // The path below the show's folder is a file there and a member of the archive.
    void expectShipped(const std::string& path)
    {
        EXPECT_TRUE(fs::is_regular_file(path)) << path << " is not in " << kShow;
        EXPECT_GE(arc_find(path.c_str()), 0) << path << " is not in resources.7z";
        EXPECT_GT(arc_size(path.c_str()), 0) << path << " is empty in resources.7z";
    }

    testsupport::DeclarationScope declarations;
    DemoResources production;
    ScreenSettings settings;
    ScreenSettings* savedScreen = nullptr;
    DataFBOPool* savedFbos = nullptr;
    fs::path previousDir;
};

}

TEST_F(ShowResources, EveryDeclaredFileIsBuiltAndPackedUnderItsExactName)
{
    // The object files first: loading them declares the textures they name.
    for (const FileDefinition& object : VLMPulsvek::objectDefinitions) {
        const std::string path = VLMIO::objectFolder + object.file;
        expectShipped(path);
        testsupport::StdoutCapture quiet;
        ObjectFile reader(path);
        std::unique_ptr<VLMScene> scene(reader.load());
        quiet.text();
        EXPECT_NE(scene, nullptr) << path << ": " << reader.getMessage();
    }

    int faces = 0;
    for (const TextureDefinition& texture : VLMPulsvek::textureDefinitions) {
        if (texture.target == GL_TEXTURE_CUBE_MAP) {
            const size_t star = texture.file.find('*');
            ASSERT_NE(star, std::string::npos) << texture.name;
            for (const char* face : {"posx", "negx", "posy", "negy", "posz", "negz"}) {
                std::string file = texture.file;
                file.replace(star, 1, face);
                expectShipped(VLMIO::graphicsFolder + file);
                ++faces;
            }
        } else {
            expectShipped(VLMIO::graphicsFolder + texture.file);
        }
    }
    EXPECT_EQ(faces, 4 * 6);

    for (const ShaderDefinition& shader : VLMPulsvek::shaderDefinitions) {
        expectShipped(VLMIO::shaderFolder + shader.file + ".vert");
        expectShipped(VLMIO::shaderFolder + shader.file + ".frag");
        const std::string geometry = VLMIO::shaderFolder + shader.file + ".geo";
        EXPECT_EQ(fs::exists(geometry), arc_find(geometry.c_str()) >= 0) << geometry;
    }
    // The loading bar's own shader.
    expectShipped(VLMIO::shaderFolder + "default_Progress.vert");
    expectShipped(VLMIO::shaderFolder + "default_Progress.frag");

    ASSERT_EQ(VLMPulsvek::musicFile, "Kaldrune_320Kbps.mp3");
    expectShipped(VLMIO::soundFolder + VLMPulsvek::musicFile);
    expectShipped(VLMIO::trackFolder + "index.list");
    expectShipped(VLMIO::trackFolder + "track.data");
}

TEST_F(ShowResources, TheObjectFilesHoldTheObjectsTheDriveLooksUp)
{
    const struct {
        const char* file;
        std::vector<std::string> names;
    } files[] = {
        {"Sprites.vbo", {"Tree", "Tree2", "Cactus", "Tumbleweed", "Mast", "SmallSign", "BigSign", "Palm"}},
        {"hqpoly.vbo", {}},
    };
    for (const auto& f : files) {
        testsupport::StdoutCapture quiet;
        ObjectFile reader(VLMIO::objectFolder + f.file);
        std::unique_ptr<VLMScene> scene(reader.load());
        quiet.text();
        ASSERT_NE(scene, nullptr) << f.file << ": " << reader.getMessage();
        // The car is drawn from its first object.
        ASSERT_GE(scene->getObjectCount(), 1) << f.file;
        ASSERT_NE(scene->getObject(0), nullptr) << f.file;
        for (const std::string& name : f.names)
            EXPECT_TRUE(scene->objectExists(name)) << f.file << " has no object '" << name << "'";
    }
}

TEST_F(ShowResources, OffscreenBuffersFollowTheWindowAndTheOthersKeepTheirSizes)
{
    const struct {
        const char* name;
        int width, height;
    } sizes[] = {{"offscreen", 1000, 700}, {"offscreen2", 1000, 700}, {"glow1", 256, 256},
                 {"glow2", 256, 256},      {"mirror", 256, 128},      {"skybox", 1024, 576}};
    for (const auto& s : sizes) {
        FBO* fbo = VLMPulsvek::fboDataPool->getFBO(s.name);
        ASSERT_NE(fbo, nullptr) << s.name;
        EXPECT_EQ(fbo->getWidth(), s.width) << s.name;
        EXPECT_EQ(fbo->getHeight(), s.height) << s.name;
    }
}
