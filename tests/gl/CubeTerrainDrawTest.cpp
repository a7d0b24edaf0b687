#include "demo/Anisotropy.h"
#include "demo/CubeTerrain.h"
#include "demo/CubeTerrainEffect.h"
#include "demo/DashboardEffect.h"
#include "demo/ParameterEffects.h"
#include "demo/RoadSpline.h"
#include "demo/TerrainGenerator.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/render/VertexArray.h"
#include "platform/Glfw27.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/TrackInterpolate.h"
#include "support/Capture.h"
#include "support/DriveScene.h"
#include "support/GLContext.h"
#include "support/ImageFiles.h"

#include "gl/RenderFixture.h"

#include <GL/glew.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::DriveOptions;
using testsupport::DriveScene;
using testsupport::StdoutCapture;
namespace colors = testsupport::drivecolors;

using Pixels = std::vector<unsigned char>;

Pixels readFbo(FBO* fbo)
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo->getId());
    Pixels pixels = testsupport::readPixels(0, 0, fbo->getWidth(), fbo->getHeight());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return pixels;
}

bool near(const unsigned char* p, const std::array<int, 3>& c, int tolerance)
{
    for (int k = 0; k < 3; ++k)
        if (std::abs(p[k] - c[static_cast<size_t>(k)]) > tolerance)
            return false;
    return true;
}

struct Census {
    int sky = 0;
    int road = 0;
    int car = 0;
    int sprite = 0;
    int black = 0;
    int other = 0;
    int total = 0;
};

// Sorts pixels of rows [fromRow, toRow) by the resource colour they show.
Census census(const Pixels& pixels, int width, int fromRow, int toRow)
{
    Census c;
    for (int y = fromRow; y < toRow; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &pixels[static_cast<size_t>((y * width + x) * 4)];
            ++c.total;
            if (near(p, colors::SKY, 6))
                ++c.sky;
            else if (p[0] < 5 && p[1] < 5 && p[2] < 5)
                ++c.black;
            else if (p[0] > 120 && p[0] > 2 * p[1] + 20 && p[0] > 2 * p[2] + 20 && p[1] < 90)
                ++c.car;
            else if (p[0] > 100 && p[1] > 100 && p[2] < 0.3 * p[0] && std::abs(p[0] - p[1]) < 30)
                ++c.sprite;
            else if (std::abs(p[0] - p[1]) < 6 && std::abs(p[1] - p[2]) < 6 && p[0] < 90 && p[0] > 15)
                ++c.road;
            else
                ++c.other;
        }
    }
    return c;
}

void savePng(const std::string& name, const Pixels& pixels, int width, int height)
{
    // Rows come bottom-up from GL; the picture wants them top-down.
    testsupport::Bytes rgb;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < 3; ++k)
                rgb.push_back(pixels[static_cast<size_t>((y * width + x) * 4 + k)]);
    const char* dir = std::getenv("PULSVEK_SCREENSHOTS");
    if (!dir)
        return;
    std::ofstream(std::string(dir) + "/" + name, std::ios::binary)
        << testsupport::makePngRgb(width, height, 3, rgb);
}

// Active uniforms of a program: name -> GL type.
std::map<std::string, GLenum> activeUniforms(GLuint program)
{
    std::map<std::string, GLenum> result;
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[256];
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(i), sizeof(name), &length, &size, &type, name);
        result[std::string(name, static_cast<size_t>(length))] = type;
    }
    return result;
}

class CubeTerrainDrawTest : public rendertest::GLTest {
protected:
    void SetUp() override
    {
        rendertest::GLTest::SetUp();
        if (IsSkipped())
            return;
    }

    std::unique_ptr<DriveScene> makeDrive(float camMode, const DriveOptions& options = DriveOptions())
    {
        auto drive = std::make_unique<DriveScene>(options);
        drive->setShowTracks(camMode);
        drive->init();
        return drive;
    }
};

TEST_F(CubeTerrainDrawTest, EveryUniformTheDrawSetsIsActiveWithItsType)
{
    REQUIRE_GL();
    DriveScene drive;
    const std::map<std::string, std::map<std::string, GLenum>> expected = {
        {"cubeterrain",
         {{"ViewM", GL_FLOAT_MAT4}, {"ProjM", GL_FLOAT_MAT4}, {"SkyM", GL_FLOAT_MAT3}, {"screen", GL_FLOAT_VEC2},
          {"blend", GL_FLOAT}, {"time", GL_FLOAT}, {"row", GL_INT}, {"offset", GL_FLOAT},
          {"tile", GL_SAMPLER_2D_ARRAY}, {"cube1", GL_SAMPLER_CUBE}, {"cube2", GL_SAMPLER_CUBE},
          {"TerrainProps", GL_SAMPLER_2D}, {"TurnMap", GL_SAMPLER_2D}, {"HillMap", GL_SAMPLER_2D},
          {"background", GL_SAMPLER_2D}}},
        {"skybox",
         {{"cube1", GL_SAMPLER_CUBE}, {"cube2", GL_SAMPLER_CUBE}, {"blend", GL_FLOAT}, {"projM", GL_FLOAT_MAT4},
          {"cameraM", GL_FLOAT_MAT4}}},
        {"carshader",
         {{"ProjM", GL_FLOAT_MAT4}, {"ViewM", GL_FLOAT_MAT4}, {"NormalM", GL_FLOAT_MAT3}, {"SkyM", GL_FLOAT_MAT3},
          {"blend", GL_FLOAT}, {"cube1", GL_SAMPLER_CUBE}, {"cube2", GL_SAMPLER_CUBE}, {"diffuse", GL_SAMPLER_2D}}},
        {"spriteshader",
         {{"projM", GL_FLOAT_MAT4}, {"modelM", GL_FLOAT_MAT4}, {"cameraM", GL_FLOAT_MAT4}, {"screen", GL_FLOAT_VEC2},
          {"row", GL_FLOAT}, {"background", GL_SAMPLER_2D}}},
        {"spriteshadertex",
         {{"projM", GL_FLOAT_MAT4}, {"modelM", GL_FLOAT_MAT4}, {"cameraM", GL_FLOAT_MAT4}, {"screen", GL_FLOAT_VEC2},
          {"row", GL_FLOAT}, {"tile", GL_SAMPLER_2D}, {"background", GL_SAMPLER_2D}}},
        {"color",
         {{"projM", GL_FLOAT_MAT4}, {"cameraM", GL_FLOAT_MAT4}, {"modelM", GL_FLOAT_MAT4}, {"color", GL_FLOAT_VEC4}}},
        {"mirror", {{"texture0", GL_SAMPLER_2D}, {"scale", GL_FLOAT_VEC2}, {"pos", GL_FLOAT_VEC2}}},
    };
    ASSERT_EQ(expected.size(), drive.shaderNames.size());
    for (const auto& [name, uniforms] : expected) {
        Shader* shader = drive.shader(name);
        ASSERT_NE(shader, nullptr) << name;
        EXPECT_EQ(shader->readVersion(), 150) << name;
        const std::map<std::string, GLenum> active = activeUniforms(shader->getProgramId());
        for (const auto& [uniform, type] : uniforms) {
            auto found = active.find(uniform);
            ASSERT_NE(found, active.end()) << name << ": " << uniform << " is not active";
            EXPECT_EQ(found->second, type) << name << ": " << uniform;
        }
    }
    // The boxes' cell indices come through the integer attribute path.
    const auto& attributes = drive.shader("cubeterrain")->getAttributes();
    ASSERT_TRUE(attributes.count("In_Props"));
    EXPECT_EQ(attributes.find("In_Props")->second.type, static_cast<GLenum>(GL_UNSIGNED_INT_VEC4));
}

TEST_F(CubeTerrainDrawTest, InitHandsTheInstancesOwnTracksToGeneratorAndRoad)
{
    REQUIRE_GL();
    auto drive = makeDrive(1.0f);
    CubeTerrain* terrain = drive->effect->getTerrain();
    ASSERT_NE(terrain, nullptr);
    EXPECT_EQ(terrain->getColumns(), 128);
    EXPECT_EQ(terrain->getRows(), 256);
    EXPECT_EQ(terrain->getTerrainMesh()->getVertexCount(), 128 * 254 * 36);
    EXPECT_EQ(terrain->getRoadMesh()->getVertexCount(), 8 * 254 * 36);
    EXPECT_EQ(terrain->getTerrainData()->getHeight(), 256);
    EXPECT_EQ(terrain->getRoadData()->getHeight(), 254);
    EXPECT_EQ(terrain->getTurnMap()->getWidth(), 256);

    TerrainGenerator* generator = terrain->getGenerator();
    // Band 4 of "tiles" holds tile 9, road column 1 gets road tile 1; the road keys bend it.
    bool sawBandTile = false;
    for (unsigned row = 0; row < 200; ++row) {
        const uint8_t* texel = generator->terrainTexel(row, 50);
        if (texel[2] != 5) {
            EXPECT_EQ(texel[2], 9) << row;
            sawBandTile = true;
        }
        EXPECT_EQ(generator->roadTexel(row, 1)[2], 1);
        EXPECT_EQ(generator->roadTexel(row, 2)[2], 0);
    }
    EXPECT_TRUE(sawBandTile);
    // Random sprites every second row, placed sprites every sixth at columns 57 and 70.
    generator->collectScenery(0);
    EXPECT_GT(generator->getSceneryCount(), 100);

    // Changing a key on the instance's own track changes what the generator reads.
    drive->tiles->tileTracks[3]->getKeyframe(0)->value = 4.0f;
    generator->generateRow(10);
    if (generator->terrainTexel(10, 50)[2] != 5) {
        EXPECT_EQ(generator->terrainTexel(10, 50)[2], 4);
    }

    ASSERT_TRUE(terrain->getRoadSpline()->update(0));
    EXPECT_NEAR(terrain->getRoadSpline()->getTurn()[60], 9.0f, 1e-3f);
    EXPECT_NEAR(terrain->getRoadSpline()->getHill()[90], 4.0f, 1e-3f);
    // "carpos" of the effect places the car: 12 rows into the window.
    EXPECT_NEAR(terrain->carMatrix(0, 0.0f)[3].z, -12.0f, 1e-4f);

    // The last window row with fraction 0 uses its own sample alone.
    const float* turn = terrain->getRoadSpline()->getTurn();
    const float* hill = terrain->getRoadSpline()->getHill();
    const glm::vec3 last = terrain->splinePoint(glm::vec3(1.0f, 2.0f, -255.0f), 255, 0.0f);
    EXPECT_FLOAT_EQ(last.x, turn[255] + 1.0f);
    EXPECT_FLOAT_EQ(last.y, hill[255] + 2.0f);
    EXPECT_FLOAT_EQ(last.z, -255.0f);
    const glm::vec3 between = terrain->splinePoint(glm::vec3(0.0f), 10, 0.5f);
    EXPECT_FLOAT_EQ(between.x, (turn[10] + turn[11]) * 0.5f);
    EXPECT_FLOAT_EQ(between.z, -0.5f);
    EXPECT_TRUE(glfw27::hasCurrentContext());
}

TEST_F(CubeTerrainDrawTest, FramesShowSkyRoadTerrainCarSpritesAndMirror)
{
    REQUIRE_GL();
    auto drive = makeDrive(1.0f);
    FBO* target = drive->target;
    const int w = target->getWidth();
    const int h = target->getHeight();
    StdoutCapture log;
    Pixels frame;
    Pixels mirror;
    for (int t : {1000, 1025}) {
        drive->draw(t);
        frame = readFbo(target);
        mirror = readFbo(drive->mirror);
        drive->endFrame();
    }
    const std::string text = log.text();
    EXPECT_EQ(text.find("Uniform variable"), std::string::npos) << text;
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
    savePng("drive-chase.png", frame, w, h);
    savePng("drive-mirror.png", mirror, 256, 128);

    const Census top = census(frame, w, h * 3 / 4, h);
    const Census all = census(frame, w, 0, h);
    EXPECT_GT(top.sky, top.total / 3) << "sky at the top of the frame";
    EXPECT_GT(all.road, all.total / 100) << "road";
    EXPECT_GT(all.other, all.total / 5) << "terrain";
    EXPECT_GT(all.car, 30) << "car";
    EXPECT_GT(all.sprite, 5) << "sprites";
    EXPECT_EQ(all.black, 0) << "holes in the frame";

    const Census rear = census(mirror, 256, 0, 128);
    EXPECT_GT(rear.road + rear.other, rear.total / 4) << "mirror";
    EXPECT_EQ(rear.car, 0) << "no car in the mirror";
    EXPECT_EQ(rear.sky, 0) << "no sky in the mirror";

    // The state the draw leaves (checked on a frame not yet ended).
    drive->draw(1050);
    EXPECT_EQ(FBO::currentFramebuffer, drive->mirror->getId());
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(CubeTerrainDrawTest, DriversViewHasNoCar)
{
    REQUIRE_GL();
    auto drive = makeDrive(0.0f);
    drive->draw(1000);
    const Pixels frame = readFbo(drive->target);
    drive->endFrame();
    savePng("drive-driver.png", frame, drive->target->getWidth(), drive->target->getHeight());
    const Census all = census(frame, drive->target->getWidth(), 0, drive->target->getHeight());
    EXPECT_EQ(all.car, 0);
    EXPECT_GT(all.road, all.total / 20);
    EXPECT_GT(all.sky, all.total / 10);
}

TEST_F(CubeTerrainDrawTest, SteadyFramesUploadOnlyWhenTheRowChanges)
{
    REQUIRE_GL();
    auto drive = makeDrive(1.0f);
    CubeTerrain* terrain = drive->effect->getTerrain();
    drive->draw(1000);
    drive->endFrame();
    const int uploads = terrain->getUploadCount();
    EXPECT_EQ(uploads, 4);
    // 1000 to 1049 ms stay in row 20.
    for (int t : {1010, 1030, 1049}) {
        drive->draw(t);
        drive->endFrame();
    }
    EXPECT_EQ(terrain->getUploadCount(), uploads);
    drive->draw(1050);
    drive->endFrame();
    EXPECT_EQ(terrain->getUploadCount(), uploads + 4);
}

// One draw per collected scenery entry, those in the window's last two rows
// (beyond the 254 mesh rows) included: each stands on its own road sample.
TEST_F(CubeTerrainDrawTest, OneDrawPerCollectedSceneryEntry)
{
    REQUIRE_GL();
    auto drive = makeDrive(1.0f);
    CubeTerrain* terrain = drive->effect->getTerrain();
    const int before = renderStats.drawCalls;
    drive->draw(1000);
    const int draws = renderStats.drawCalls - before;
    drive->endFrame();
    const int row = 20;
    const int n = terrain->getGenerator()->getSceneryCount();
    int beyond = 0;
    for (int k = 0; k < n; ++k)
        beyond += terrain->getScenery()[k].row - row >= 254;
    EXPECT_GT(beyond, 0) << "sprites every second row reach the window's end";
    // Sky, road, terrain, car, the sprites, mirror road and terrain.
    EXPECT_EQ(draws, 6 + n);
}

// The entries come in row order: the last one drawn is the farthest, in the
// window's last rows, and its uniforms are still on its shader. Camera mode 3
// has the identity view, so "modelM" is the sprite's own placement.
TEST_F(CubeTerrainDrawTest, SpritesInTheWindowsLastRowsStandOnTheirRoadSamples)
{
    REQUIRE_GL();
    auto drive = makeDrive(3.0f);
    CubeTerrain* terrain = drive->effect->getTerrain();
    drive->draw(1000);
    const int row = 20;
    const int n = terrain->getGenerator()->getSceneryCount();
    ASSERT_GT(n, 0);
    const SceneryEntry& last = terrain->getScenery()[n - 1];
    const int d = last.row - row;
    ASSERT_GE(d, 254);
    ASSERT_LE(d, 255);
    ASSERT_NE(last.kind, nullptr);
    Shader* shader = drive->shader(last.kind->texture ? "spriteshadertex" : "spriteshader");
    const GLuint program = shader->getProgramId();
    GLfloat drawnRow = -1.0f;
    glGetUniformfv(program, glGetUniformLocation(program, "row"), &drawnRow);
    EXPECT_EQ(drawnRow, static_cast<float>(d));
    GLfloat model[16];
    glGetUniformfv(program, glGetUniformLocation(program, "modelM"), model);
    const float* turn = terrain->getRoadSpline()->getTurn();
    const float* hill = terrain->getRoadSpline()->getHill();
    EXPECT_FLOAT_EQ(model[12], turn[d] + static_cast<float>(last.column - 64));
    EXPECT_FLOAT_EQ(model[13], hill[d] + static_cast<float>(last.height));
    EXPECT_FLOAT_EQ(model[14], static_cast<float>(-d));
    drive->endFrame();
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}

// Sprite sizes are read at the time of the current row, not the frame's time:
// here the drive runs at two rows per 50 ms, and the sizes change at row 30.
TEST_F(CubeTerrainDrawTest, SpriteSizesAreReadAtTheRowsTime)
{
    REQUIRE_GL();
    for (bool grow : {true, false}) {
        DriveOptions options;
        auto drive = std::make_unique<DriveScene>(options);
        drive->setShowTracks(1.0f);
        drive->effect->positionTrack->getKeyframe(20000)->value = 40000.0f;
        for (TrackInterpolate* track : {drive->sprites->rScaleTrack, drive->sprites->sScaleTrack}) {
            track->getKeyframe(0)->value = grow ? 0.0f : 1.5f;
            DriveScene::key(track, 30, grow ? 1.5f : 0.0f, 3);
        }
        drive->init();
        // t = 1000 ms is track row 20 and terrain row 40 (read at 2000 ms, track row 40).
        drive->draw(1000);
        const Pixels frame = readFbo(drive->target);
        drive->endFrame();
        const Census all = census(frame, drive->target->getWidth(), 0, drive->target->getHeight());
        if (grow)
            EXPECT_GT(all.sprite, 5);
        else
            EXPECT_EQ(all.sprite, 0);
    }
}

TEST_F(CubeTerrainDrawTest, NegativePositionShowsTheStart)
{
    REQUIRE_GL();
    auto drive = makeDrive(1.0f);
    // Before the first key the position holds the key's value: -30 rows.
    drive->effect->positionTrack->getKeyframe(0)->value = -30.0f;
    drive->effect->positionTrack->getKeyframe(0)->row = 100;
    drive->draw(0);
    drive->endFrame();
    // The window starts at row 0: asking for it again hands out nothing new.
    EXPECT_EQ(drive->effect->getTerrain()->getGenerator()->getTerrainWindow(0), nullptr);
}

// Drawn to the screen the target has no size: "screen" is (0, 0) for the road,
// the terrain and the sprites, and the shaders then take the sky image's own
// pixels for the haze. The test sky is one colour, so the screen shows what a
// target of the viewport's size shows (but for a few edge pixels: the two
// depth buffers differ).
TEST_F(CubeTerrainDrawTest, ScreenUniformIsZeroWhenDrawingToTheScreen)
{
    REQUIRE_GL();
    auto drive = makeDrive(1.0f);
    const int w = drive->target->getWidth();
    const int h = drive->target->getHeight();
    ASSERT_EQ(drive->screen.getViewportWidth(), w);
    ASSERT_EQ(drive->screen.getViewportHeight(), h);
    Pixels frames[2];
    for (bool toScreen : {false, true}) {
        SCOPED_TRACE(toScreen ? "screen" : "target");
        // The show clears the screen before each frame.
        fboBind(nullptr);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drive->draw(1000, toScreen);
        const float want[2] = {toScreen ? 0.0f : static_cast<float>(w), toScreen ? 0.0f : static_cast<float>(h)};
        for (const char* name : {"cubeterrain", "spriteshader", "spriteshadertex"}) {
            const GLuint program = drive->shader(name)->getProgramId();
            GLfloat screen[2] = {-1, -1};
            glGetUniformfv(program, glGetUniformLocation(program, "screen"), screen);
            EXPECT_EQ(screen[0], want[0]) << name;
            EXPECT_EQ(screen[1], want[1]) << name;
        }
        if (toScreen) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
            frames[1] = testsupport::readPixels(drive->screen.getViewportX(), drive->screen.getViewportY(), w, h);
        } else {
            frames[0] = readFbo(drive->target);
        }
        const Census rear = census(readFbo(drive->mirror), 256, 0, 128);
        EXPECT_GT(rear.road + rear.other, rear.total / 4) << "the mirror";
        drive->endFrame();
    }
    savePng("drive-screen.png", frames[1], w, h);
    const Census all = census(frames[1], w, 0, h);
    EXPECT_EQ(all.black, 0);
    EXPECT_GT(all.road, all.total / 100);
    int differing = 0;
    for (size_t i = 0; i < frames[0].size(); i += 4)
        for (size_t k = 0; k < 3; ++k)
            if (std::abs(frames[0][i + k] - frames[1][i + k]) > 8) {
                ++differing;
                break;
            }
    EXPECT_LT(differing, w * h / 1000) << "the haze is the sky's colour";
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CubeTerrainDrawTest, ObjectsWithoutMeshAreSkippedAndReportedOnce)
{
    REQUIRE_GL();
    DriveOptions options;
    options.carWithoutMesh = true;
    options.treeWithoutMesh = true;
    auto drive = makeDrive(1.0f, options);
    StdoutCapture log;
    drive->draw(1000);
    drive->endFrame();
    drive->draw(1050);
    drive->endFrame();
    const std::vector<std::string> lines = log.lines();
    int car = 0;
    int kinds = 0;
    for (const std::string& line : lines) {
        car += line.find("car's first object has no mesh") != std::string::npos;
        kinds += line.find("scenery kind has no mesh") != std::string::npos;
    }
    EXPECT_EQ(car, 1);
    EXPECT_EQ(kinds, 1);
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CubeTerrainDrawTest, DebugDrawingsRunOnAFlatRoad)
{
    REQUIRE_GL();
    DriveScene drive;
    // No keys on "turn" and "hill": the plot's range is 0.
    drive.init();
    CubeTerrain* terrain = drive.effect->getTerrain();
    terrain->uploadRows(0);
    fboBind(drive.target);
    StdoutCapture log;
    terrain->debugDraw(glm::mat4(1.0f), glm::mat4(1.0f), false, 0);
    terrain->debugDraw(glm::mat4(1.0f), glm::mat4(1.0f), true, 3);
    const std::string text = log.text();
    EXPECT_EQ(text.find("Uniform variable"), std::string::npos) << text;
    const Pixels frame = readFbo(drive.target);
    drive.endFrame();
    // The flat road plots as a line across the middle of the target.
    const int w = drive.target->getWidth();
    const int mid = drive.target->getHeight() / 2;
    int lit = 0;
    for (int y = mid - 1; y <= mid; ++y)
        for (int x = 0; x < w; ++x)
            lit += frame[static_cast<size_t>((y * w + x) * 4 + 1)] > 200;
    EXPECT_GT(lit, w / 2);
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}

}

namespace {

// The drive with the show's own pictures and objects, as built into the build tree.
TEST_F(CubeTerrainDrawTest, ShowArtFrames)
{
    REQUIRE_GL();
    DriveOptions options;
    options.resourceFolder = std::string(PULSVEK_BINARY_DIR) + "/show/resources";
    options.targetWidth = 640;
    options.targetHeight = 360;
    for (float camMode : {1.0f, 0.0f}) {
        auto drive = makeDrive(camMode, options);
        StdoutCapture log;
        Pixels frame;
        Pixels mirror;
        for (int t : {30000, 30025}) {
            drive->draw(t);
            frame = readFbo(drive->target);
            mirror = readFbo(drive->mirror);
            drive->endFrame();
        }
        const std::string text = log.text();
        EXPECT_EQ(text.find("Uniform variable"), std::string::npos) << text;
        EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
        const std::string view = camMode > 0 ? "chase" : "driver";
        savePng("show-" + view + ".png", frame, 640, 360);
        savePng("show-" + view + "-mirror.png", mirror, 256, 128);
        // Something beside the sky: the frame is not one colour.
        int differing = 0;
        for (size_t i = 4; i < frame.size(); i += 4)
            differing += frame[i] != frame[0] || frame[i + 1] != frame[1] || frame[i + 2] != frame[2];
        EXPECT_GT(differing, 640 * 360 / 2) << view;
    }
}

}

// The rear view is drawn every frame, whatever view the dashboard shows, and
// the draw leaves the mirror buffer bound, depth testing off and culling on.
TEST_F(CubeTerrainDrawTest, TheMirrorIsDrawnEveryFrameWhateverTheDashboardShows)
{
    REQUIRE_GL();
    auto drive = makeDrive(1.0f);
    auto* dashboard = new DashboardEffect();
    dashboard->createTracks();
    DriveScene::key(dashboard->viewDirection, 0, 0.0f);
    VLMPulsvek::effectInstanceDataPool->add("dashboard", dashboard);
    const struct {
        float direction;
        bool update;
    } cases[] = {{0.5f, true}, {-1.0f, true}, {1.5f, true}, {0.0f, true}, {1.0f, false}, {3.0f, false}};
    int firstDraws = -1;
    for (const auto& c : cases) {
        ++VLMPulsvek::frameCount;
        dashboard->viewDirection->getKeyframe(0)->value = c.direction;
        if (c.update)
            dashboard->update(1000);
        const int before = renderStats.drawCalls;
        drive->draw(1000);
        const int draws = renderStats.drawCalls - before;
        GLint bound = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), drive->mirror->getId()) << c.direction;
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << c.direction;
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << c.direction;
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST)) << c.direction;
        const Pixels mirror = readFbo(drive->mirror);
        drive->endFrame();
        const Census rear = census(mirror, 256, 0, 128);
        EXPECT_GT(rear.road + rear.other, rear.total / 4) << c.direction << (c.update ? "" : ", no update");
        if (firstDraws < 0)
            firstDraws = draws;
        EXPECT_EQ(draws, firstDraws) << c.direction;
        // Sky, road, terrain, car, the sprites, mirror road and terrain.
        const int shown = drive->effect->getTerrain()->getGenerator()->getSceneryCount();
        EXPECT_LE(draws, 6 + shown) << c.direction;
        EXPECT_GE(draws, 6) << c.direction;
    }
}

// The road pass sets the row's fraction every frame, also when the camera
// sees nothing of the road, and the terrain draws with that frame's value.
TEST_F(CubeTerrainDrawTest, TheRowFractionIsSetEveryFrame)
{
    REQUIRE_GL();
    auto drive = makeDrive(1.0f);
    Shader* shader = drive->shader("cubeterrain");
    const GLint offset = glGetUniformLocation(shader->getProgramId(), "offset");
    ASSERT_GE(offset, 0);
    // position runs at one row per 50 ms; the car's camera, then one looking up
    // into the sky (mode 3, the identity view), then the car's again.
    const struct {
        int t;
        float camMode;
        float frac;
    } frames[] = {{1010, 1.0f, 0.2f}, {1035, 3.0f, 0.7f}, {1060, 3.0f, 0.2f}, {1090, 1.0f, 0.8f}};
    for (const auto& f : frames) {
        drive->effect->camModeTrack->getKeyframe(0)->value = f.camMode;
        drive->draw(f.t);
        drive->endFrame();
        GLfloat value = -1.0f;
        glGetUniformfv(shader->getProgramId(), offset, &value);
        EXPECT_NEAR(value, f.frac, 1e-4f) << "at " << f.t;
    }
}

// The tile arrays sample with 16x anisotropy, or 1x on a software rasteriser
// (this context's, under Xvfb).
TEST_F(CubeTerrainDrawTest, TileArraysAnisotropyFollowsTheRenderer)
{
    REQUIRE_GL();
    auto drive = makeDrive(1.0f);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    GLfloat most = 1.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &most);
    const float expected = Anisotropy::isSoftwareRenderer(renderer) ? 1.0f : std::min(16.0f, most);
    CubeTerrain* terrain = drive->effect->getTerrain();
    for (Texture* tiles : {terrain->getTileTextures(), terrain->getRoadTileTextures()}) {
        ASSERT_NE(tiles, nullptr);
        tiles->bind();
        GLfloat value = 0.0f;
        glGetTexParameterfv(tiles->getTarget(), GL_TEXTURE_MAX_ANISOTROPY_EXT, &value);
        tiles->unbind();
        EXPECT_EQ(value, expected) << renderer;
    }
}
