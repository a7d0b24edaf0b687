// The drive's built object files and sky cube maps, loaded the way the show loads them.

#include "engine/render/Object.h"
#include "engine/render/ObjectFile.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/VLMIO.h"

#include "RenderFixture.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <memory>
#include <string>

namespace {

const std::string kResources = std::string(PULSVEK_BINARY_DIR) + "/show/resources/";

std::unique_ptr<VLMScene> loadScene(const std::string& file)
{
    ObjectFile reader(kResources + "objects/" + file);
    std::unique_ptr<VLMScene> scene(reader.load());
    EXPECT_TRUE(reader.isOk()) << reader.getMessage();
    return scene;
}

class DriveArt : public rendertest::GLTest {};

TEST_F(DriveArt, SpritesHoldTheEightSceneryKindsStandingOnZero)
{
    std::unique_ptr<VLMScene> scene = loadScene("Sprites.vbo");
    ASSERT_NE(scene, nullptr);
    for (const char* name : {"Tree", "Tree2", "Cactus", "Tumbleweed", "Mast", "SmallSign", "BigSign", "Palm"}) {
        ASSERT_TRUE(scene->objectExists(name)) << name;
        VAO* mesh = scene->getObject(name)->getMesh();
        ASSERT_NE(mesh, nullptr) << name;
        EXPECT_GT(mesh->getVertexCount(), 0) << name;
        EXPECT_TRUE(mesh->hasMapping("in_UV0") && mesh->hasMapping("in_Color0")) << name;
        // z up, base on z = 0 (beams may reach a hair below).
        EXPECT_NEAR(mesh->getBBoxMin().z, 0.0f, 0.05f) << name;
        EXPECT_GT(mesh->getBBoxMax().z, 1.0f) << name;
    }
}

TEST_F(DriveArt, CarSitsOnTheRoadUnderTheCarTransform)
{
    std::unique_ptr<VLMScene> scene = loadScene("hqpoly.vbo");
    ASSERT_NE(scene, nullptr);
    ASSERT_GT(scene->getObjectCount(), 0);
    VAO* mesh = scene->getObject(0)->getMesh();
    ASSERT_NE(mesh, nullptr);
    EXPECT_TRUE(mesh->hasMapping("in_UV0"));
    // The drive's local transform: moved by (0, -6.5, carx), turned -90 degrees about y, scaled by 0.06.
    glm::mat4 local = glm::scale(glm::mat4(1.0f), glm::vec3(0.06f));
    local = glm::rotate(local, glm::radians(-90.0f), glm::vec3(0, 1, 0));
    local = glm::translate(local, glm::vec3(0, -6.5f, 0));
    const glm::vec3 lo = mesh->getBBoxMin(), hi = mesh->getBBoxMax();
    const glm::vec3 nose = glm::vec3(local * glm::vec4(lo.x, 0, 0, 1));
    const glm::vec3 tail = glm::vec3(local * glm::vec4(hi.x, 0, 0, 1));
    const glm::vec3 wheels = glm::vec3(local * glm::vec4(0, lo.y, 0, 1));
    const glm::vec3 roof = glm::vec3(local * glm::vec4(0, hi.y, 0, 1));
    EXPECT_LT(nose.z, tail.z);                  // the nose points ahead (-z of the car frame)
    EXPECT_NEAR(wheels.y, -1.0f, 0.02f);        // on the road top, one unit under the frame
    EXPECT_NEAR(tail.z - nose.z, 4.6f, 0.3f);   // a car's length in terrain cells
    EXPECT_NEAR(roof.y - wheels.y, 1.2f, 0.2f);
    EXPECT_NEAR((hi.z - lo.z) * 0.06f, 2.0f, 0.2f);
}

// Layers as the array loader builds them: the bottom strip of the picture is layer 0.
TEST_F(DriveArt, TileLayersLoadInTheirOrder)
{
    const std::string previousFolder = VLMIO::graphicsFolder;
    const int previousMode = VLMIO::loadMode;
    VLMIO::graphicsFolder = kResources + "graphics/";
    VLMIO::loadMode = 0;
    TextureDefinition def;
    def.name = "tiles1";
    def.file = "TextureTiles4.png";
    def.target = GL_TEXTURE_2D_ARRAY;
    def.mipmap = true;
    def.layers = 10;
    std::unique_ptr<Texture> tiles(VLMIO::loadTextureArray(def));
    VLMIO::graphicsFolder = previousFolder;
    VLMIO::loadMode = previousMode;
    ASSERT_NE(tiles, nullptr);

    std::unique_ptr<Shader> shader = rendertest::makeShader("layer probe", rendertest::coverVS,
        "#version 150\n"
        "uniform sampler2DArray tile;\n"
        "uniform float layers[4];\n"
        "out vec4 colour;\n"
        "void main() { colour = textureLod(tile, vec3(0.5, 0.5, layers[int(gl_FragCoord.x)]), 20.0); }\n");
    ASSERT_NE(shader, nullptr);
    // The coarsest level: each layer's mean colour.
    const float layers[4] = {0, 1, 3, 5};  // grass, sand, snow, water
    rendertest::RawTarget target(4, 1);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D_ARRAY, tiles->getId());
    shader->bind();
    shader->setInt("tile", 0);
    glUniform1fv(glGetUniformLocation(shader->getProgramId(), "layers"), 4, layers);
    rendertest::drawCover(*shader);
    const rendertest::RGBA grass = rendertest::pixel(0, 0), sand = rendertest::pixel(1, 0),
                           snow = rendertest::pixel(2, 0), water = rendertest::pixel(3, 0);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    EXPECT_TRUE(grass[1] > grass[0] && grass[1] > grass[2]) << "layer 0 is grass";
    EXPECT_TRUE(sand[0] > sand[1] && sand[1] > sand[2]) << "layer 1 is sand";
    EXPECT_TRUE(snow[0] > 180 && snow[2] > 200) << "layer 3 is snow";
    EXPECT_TRUE(water[2] > water[0] && water[2] > water[1]) << "layer 5 is water";
}

// Each sky, sampled along a few directions through GL's own cube-map lookup.
TEST_F(DriveArt, SkiesStandTheRightWayUp)
{
    const std::string previousFolder = VLMIO::graphicsFolder;
    const int previousMode = VLMIO::loadMode;
    VLMIO::graphicsFolder = kResources + "graphics/";
    VLMIO::loadMode = 0;

    std::unique_ptr<Shader> shader = rendertest::makeShader("sky probe", rendertest::coverVS,
        "#version 150\n"
        "uniform samplerCube cube;\n"
        "uniform vec3 dirs[4];\n"
        "out vec4 colour;\n"
        "void main() { colour = textureLod(cube, dirs[int(gl_FragCoord.x)], 0.0); }\n");
    ASSERT_NE(shader, nullptr);
    auto direction = [](float azimuth, float elevation) {
        const float a = glm::radians(azimuth), e = glm::radians(elevation);
        return glm::vec3(std::cos(e) * std::sin(a), std::sin(e), std::cos(e) * std::cos(a));
    };
    // Up, down, 15 degrees over the horizon (away from the sun), and the sunset's sun.
    // Level 0 only: neighbouring pixels look far apart, which would pick a coarse level.
    const glm::vec3 dirs[4] = {{0, 1, 0}, {0, -1, 0}, direction(180.0f, 15.0f), direction(12.0f, 15.0f)};
    rendertest::RawTarget target(4, 1);

    for (const char* sky : {"Sunset", "Desert", "Forest", "City"}) {
        TextureDefinition def;
        def.name = sky;
        def.file = std::string(sky) + "_*.png";
        def.target = GL_TEXTURE_CUBE_MAP;
        def.mipmap = true;
        std::unique_ptr<Texture> cube(VLMIO::loadCubeMap(def));
        ASSERT_NE(cube, nullptr) << sky;
        EXPECT_GE(cube->getWidth(), 256) << sky;

        target.bind();
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube->getId());
        shader->bind();
        shader->setInt("cube", 0);
        glUniform3fv(glGetUniformLocation(shader->getProgramId(), "dirs"), 4, &dirs[0].x);
        rendertest::drawCover(*shader);
        auto luminance = [](const rendertest::RGBA& p) { return 0.3 * p[0] + 0.6 * p[1] + 0.1 * p[2]; };
        const double up = luminance(rendertest::pixel(0, 0));
        const double down = luminance(rendertest::pixel(1, 0));
        const double horizon = luminance(rendertest::pixel(2, 0));
        EXPECT_LT(up, horizon) << sky << ": the zenith is darker than the sky over the horizon";
        EXPECT_LT(down, horizon) << sky << ": the ground haze is darker than the sky";
        if (std::string(sky) == "Sunset") {
            const rendertest::RGBA sun = rendertest::pixel(3, 0);
            EXPECT_GT(sun[0], 230) << "the sun stands ahead, right of +z";
            EXPECT_GT(sun[1], 150);
        }
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    VLMIO::graphicsFolder = previousFolder;
    VLMIO::loadMode = previousMode;
}

}
