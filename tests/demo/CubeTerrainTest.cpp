#include "demo/CubeTerrain.h"
#include "demo/CubeTerrainEffect.h"
#include "demo/ParameterEffects.h"

#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/TrackInterpolate.h"

#include <glm/geometric.hpp>
#include <glm/matrix.hpp>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using Props = std::array<int, 4>;

// The mesh of a few rows, with its vertices' positions and In_Props bytes.
struct Boxes {
    Boxes(int width, int meshRows, bool road)
        : width(width), floats(static_cast<size_t>(width * meshRows * 36 * 8)),
          props(static_cast<size_t>(width * meshRows * 36 * 4))
    {
        CubeTerrain::fillBoxes(floats.data(), props.data(), width, meshRows, road);
    }
    size_t index(int row, int column, int vertex) const
    {
        return static_cast<size_t>((row * width + column) * 36 + vertex);
    }
    Props propsAt(int row, int column, int vertex) const
    {
        const uint8_t* p = &props[index(row, column, vertex) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    glm::vec3 position(int row, int column, int vertex) const
    {
        const float* f = &floats[index(row, column, vertex) * 8];
        return {f[0], f[1], f[2]};
    }

    int width;
    std::vector<float> floats;
    std::vector<uint8_t> props;
};

TEST(CubeTerrainMeshTest, InPropsNameTheCellAndTheNeighbourOnTheCornersSide)
{
    const Boxes terrain(128, 3, false);
    const Boxes road(8, 3, true);
    struct Case {
        const Boxes* mesh;
        int row, column, vertex;
        Props want;
    };
    // Vertex 0 (+x, +z corner), 2 (-x, +z), 6 (+x, -z), 20 (-x, -z) of the cube table.
    const Case cases[] = {
        {&terrain, 0, 0, 0, {0, 0, 1, 0}},      {&terrain, 0, 0, 2, {0, 0, 0, 0}},
        {&terrain, 0, 0, 6, {0, 0, 1, 1}},      {&terrain, 0, 0, 20, {0, 0, 0, 1}},
        {&terrain, 2, 127, 0, {127, 2, 128, 2}}, {&terrain, 2, 127, 20, {127, 2, 127, 3}},
        {&terrain, 1, 64, 6, {64, 1, 65, 2}},   {&road, 0, 0, 2, {0, 0, 60, 0}},
        {&road, 0, 0, 6, {0, 0, 61, 1}},        {&road, 2, 7, 0, {7, 2, 68, 2}},
        {&road, 1, 7, 20, {7, 1, 67, 2}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.mesh->propsAt(c.row, c.column, c.vertex), c.want)
            << (c.mesh == &road ? "road" : "terrain") << " row " << c.row << " column " << c.column
            << " vertex " << c.vertex;
    }
}

TEST(CubeTerrainMeshTest, BoxesFollowTheCubeTableCentredOnTheRoad)
{
    const Boxes terrain(128, 4, false);
    EXPECT_EQ(terrain.position(0, 0, 2), glm::vec3(-64.0f, -1.0f, 0.5f));
    EXPECT_EQ(terrain.position(3, 127, 6), glm::vec3(64.0f, -1.0f, -3.5f));
    EXPECT_EQ(terrain.position(1, 64, 30), glm::vec3(1.0f, 0.0f, -1.5f));
    const Boxes road(8, 4, true);
    EXPECT_EQ(road.position(0, 0, 2), glm::vec3(-4.0f, -1.0f, 0.5f));
    EXPECT_EQ(road.position(2, 7, 6), glm::vec3(4.0f, -1.0f, -2.5f));

    for (const Boxes* mesh : {&terrain, &road}) {
        const float half = static_cast<float>(mesh->width) * 0.5f;
        for (size_t v = 0; v < mesh->floats.size() / 8; ++v) {
            const float* f = &mesh->floats[v * 8];
            ASSERT_GE(f[0], -half);
            ASSERT_LE(f[0], half);
            ASSERT_TRUE(f[1] == 0.0f || f[1] == -1.0f);
            // The normal and uv come straight from the table.
            const int i = static_cast<int>(v % 36);
            ASSERT_EQ(f[3], CubeTerrain::cubeNormals[i][0]);
            ASSERT_EQ(f[7], CubeTerrain::cubeUVs[i][1]);
        }
    }
}

TEST(CubeTerrainMeshTest, CubeTableFacesPointOutwardsCounterClockwise)
{
    for (int tri = 0; tri < 12; ++tri) {
        const glm::vec3 a(CubeTerrain::cubeVertices[tri * 3][0], CubeTerrain::cubeVertices[tri * 3][1],
                          CubeTerrain::cubeVertices[tri * 3][2]);
        const glm::vec3 b(CubeTerrain::cubeVertices[tri * 3 + 1][0], CubeTerrain::cubeVertices[tri * 3 + 1][1],
                          CubeTerrain::cubeVertices[tri * 3 + 1][2]);
        const glm::vec3 c(CubeTerrain::cubeVertices[tri * 3 + 2][0], CubeTerrain::cubeVertices[tri * 3 + 2][1],
                          CubeTerrain::cubeVertices[tri * 3 + 2][2]);
        const glm::vec3 n(CubeTerrain::cubeNormals[tri * 3][0], CubeTerrain::cubeNormals[tri * 3][1],
                          CubeTerrain::cubeNormals[tri * 3][2]);
        EXPECT_GT(glm::dot(glm::cross(b - a, c - a), n), 0.0f) << "triangle " << tri;
    }
}

TEST(CubeTerrainMeshTest, MeshesHoldAtMost254Rows)
{
    EXPECT_EQ(CubeTerrain::meshRowsFor(256), 254);
    EXPECT_EQ(CubeTerrain::meshRowsFor(255), 254);
    EXPECT_EQ(CubeTerrain::meshRowsFor(254), 254);
    EXPECT_EQ(CubeTerrain::meshRowsFor(100), 100);
}

void expectMatrixNear(const glm::mat4& got, const glm::mat4& want, float tolerance = 1e-4f)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(got[c][r], want[c][r], tolerance) << "column " << c << " row " << r;
}

const int SAMPLES = 256;

TEST(CubeTerrainMatrixTest, FlatStraightRoadGivesAPureTranslation)
{
    const std::vector<float> turn(SAMPLES, 3.0f);
    const std::vector<float> hill(SAMPLES, 5.0f);
    glm::mat4 want(1.0f);
    want[3] = glm::vec4(3.0f, 133.0f, -10.25f, 1.0f);
    expectMatrixNear(CubeTerrain::roadFrame(turn.data(), hill.data(), SAMPLES, 10.7f, 0.25f), want);
}

struct CurvedRoad {
    CurvedRoad() : turn(SAMPLES), hill(SAMPLES)
    {
        for (int i = 0; i < SAMPLES; ++i) {
            turn[static_cast<size_t>(i)] = 12.0f * std::sin(static_cast<float>(i) * 0.07f);
            hill[static_cast<size_t>(i)] = 6.0f * std::cos(static_cast<float>(i) * 0.05f);
        }
    }
    glm::mat4 frame(float carPos, float f) const
    {
        return CubeTerrain::roadFrame(turn.data(), hill.data(), SAMPLES, carPos, f);
    }
    std::vector<float> turn;
    std::vector<float> hill;
};

TEST(CubeTerrainMatrixTest, CurvedRoadGivesOrthogonalAxesAndATrueInverse)
{
    const CurvedRoad road;
    for (float carPos : {0.0f, 17.5f, 100.0f, 252.9f}) {
        const glm::mat4 m = road.frame(carPos, 0.6f);
        const glm::vec3 side(m[0]), up(m[1]), back(m[2]);
        EXPECT_NEAR(glm::dot(side, up), 0.0f, 1e-5f) << carPos;
        EXPECT_NEAR(glm::dot(side, back), 0.0f, 1e-5f) << carPos;
        EXPECT_NEAR(glm::dot(up, back), 0.0f, 1e-5f) << carPos;
        EXPECT_NEAR(glm::length(back), 1.0f, 1e-5f);
        EXPECT_NEAR(glm::length(up), std::sqrt(1.0f - back.x * back.x), 1e-5f);
        // The car looks along the road: forward (-back) has z of about -1 per row.
        EXPECT_LE(back.z, 1.0f);
        EXPECT_GT(back.z, 0.5f);
        expectMatrixNear(glm::inverse(m) * m, glm::mat4(1.0f));
        // The origin stands on the road between the two samples, 128 up.
        const int i = static_cast<int>(carPos);
        EXPECT_NEAR(m[3].x, road.turn[i] + (road.turn[i + 1] - road.turn[i]) * 0.6f, 1e-4f);
        EXPECT_NEAR(m[3].y, 128.0f + road.hill[i] + (road.hill[i + 1] - road.hill[i]) * 0.6f, 1e-4f);
        EXPECT_NEAR(m[3].z, -(static_cast<float>(i) + 0.6f), 1e-4f);
    }
}

TEST(CubeTerrainMatrixTest, CarPositionOutsideTheWindowIsHeldAtItsEdges)
{
    const CurvedRoad road;
    const glm::mat4 last = road.frame(253.0f, 0.3f);
    for (float carPos : {254.0f, 255.5f, 400.0f, 1e9f, std::numeric_limits<float>::infinity()})
        expectMatrixNear(road.frame(carPos, 0.3f), last);
    const glm::mat4 first = road.frame(0.0f, 0.3f);
    for (float carPos : {-0.5f, -3.0f, -1e9f, std::numeric_limits<float>::quiet_NaN()})
        expectMatrixNear(road.frame(carPos, 0.3f), first);
}

TEST(CubeTerrainFrameTest, SkyCubeSelection)
{
    struct Case {
        float value;
        int count;
        int want;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {{-2.0f, 4, 0}, {-0.5f, 4, 0}, {0.0f, 4, 0},  {2.9f, 4, 2},
                          {3.0f, 4, 3},  {7.0f, 4, 3},  {1.5f, 1, 0},  {std::nanf(""), 4, 0},
                          {inf, 4, 3},   {-inf, 4, 0},  {3e38f, 4, 3}, {-3e38f, 4, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(CubeTerrain::skyIndex(c.value, c.count), c.want) << c.value << " of " << c.count;
}

TEST(CubeTerrainFrameTest, RowFractionAndLookBack)
{
    struct Case {
        float position;
        bool lookBack;
        int rows;
        int wantRow;
        float wantFrac;
    };
    const int last = 12799;
    const Case cases[] = {
        {37.25f, false, 0, 37, 0.25f}, {0.0f, false, 0, 0, 0.0f},    {10.5f, true, 20, 0, 0.0f},
        {10.5f, true, 4, 6, 0.5f},     {10.5f, false, 4, 10, 0.5f},  {-3.5f, false, 0, 0, 0.0f},
        {-0.25f, false, 0, 0, 0.0f},   {20000.0f, false, 0, last, 0.0f},
        {std::numeric_limits<float>::quiet_NaN(), false, 0, 0, 0.0f},
    };
    for (const Case& c : cases) {
        const CubeTerrain::FramePosition at =
            CubeTerrain::framePosition(c.position, c.lookBack, c.rows, last);
        EXPECT_EQ(at.row, c.wantRow) << c.position << " look-back " << c.lookBack << " " << c.rows;
        EXPECT_FLOAT_EQ(at.frac, c.wantFrac) << c.position;
    }
}

TEST(CubeTerrainFrameTest, CameraModeTruncatesTowardZero)
{
    EXPECT_EQ(CubeTerrain::cameraMode(1.9f), 1);
    EXPECT_EQ(CubeTerrain::cameraMode(-0.5f), 0);
    EXPECT_EQ(CubeTerrain::cameraMode(2.0f), 2);
    EXPECT_EQ(CubeTerrain::cameraMode(3.7f), 3);
    // Held at the int range first; not a number is mode 0.
    EXPECT_EQ(CubeTerrain::cameraMode(std::nanf("")), 0);
    EXPECT_EQ(CubeTerrain::cameraMode(std::numeric_limits<float>::infinity()), INT_MAX);
    EXPECT_EQ(CubeTerrain::cameraMode(-3e38f), INT_MIN);
}

TEST(CubeTerrainFrameTest, SpriteScaleByKindOfPlacement)
{
    EXPECT_FLOAT_EQ(CubeTerrain::spriteScale(0, 2.0f, 5.0f), 2.0f);
    EXPECT_FLOAT_EQ(CubeTerrain::spriteScale(1, 2.0f, 5.0f), 5.0f);
    EXPECT_FLOAT_EQ(CubeTerrain::spriteScale(2, 2.0f, 5.0f), 1.0f);
    EXPECT_FLOAT_EQ(CubeTerrain::spriteScale(-1, 2.0f, 5.0f), 1.0f);
}

std::vector<std::string> trackNames(Effect& effect)
{
    effect.createTracks();
    std::vector<std::string> names;
    for (int i = 0; i < effect.getTrackCount(); ++i)
        names.push_back(effect.getTrack(i)->getName());
    return names;
}

std::vector<std::string> numbered(const std::string& prefix, int count)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i)
        names.push_back(prefix + std::to_string(i));
    return names;
}

TEST(CubeTerrainEffectTest, TrackNamesOfTheFiveClasses)
{
    CubeTerrainEffect terrain;
    EXPECT_EQ(trackNames(terrain),
              (std::vector<std::string>{"position", "turn", "hill", "carpos", "carx", "cam_mode", "xpos",
                                        "ypos", "zpos", "xrot", "yrot", "zrot"}));
    EXPECT_EQ(terrain.positionTrack, terrain.getTrack(0));
    EXPECT_EQ(terrain.zrotTrack, terrain.getTrack(11));

    NoiseEffect noise;
    std::vector<std::string> noiseNames = {"water_height", "tunell_height", "noise_type", "noise_freq",
                                           "noise_oct",    "noise_pers",    "noise_displ", "noise_mult",
                                           "noise_add"};
    for (const std::string& s : numbered("spline_", 5))
        noiseNames.push_back(s);
    EXPECT_EQ(trackNames(noise), noiseNames);
    EXPECT_EQ(noise.splineTracks[4], noise.getTrack(13));

    SkyEffect sky;
    EXPECT_EQ(trackNames(sky), (std::vector<std::string>{"sky1", "sky2", "sky_mix", "sky_y"}));
    EXPECT_EQ(sky.skyYTrack, sky.getTrack(3));

    SpriteEffect sprites;
    EXPECT_EQ(trackNames(sprites), (std::vector<std::string>{"r_scale", "r_sprite", "r_frequency", "s_scale",
                                                             "s_frequency", "s_sprite", "s_pos1", "s_pos2"}));
    EXPECT_EQ(sprites.sScaleTrack, sprites.getTrack(3));

    TileEffect tiles;
    std::vector<std::string> tileNames = numbered("tile", 8);
    for (const std::string& s : numbered("road", 8))
        tileNames.push_back(s);
    EXPECT_EQ(trackNames(tiles), tileNames);
    EXPECT_EQ(tiles.roadTracks[0], tiles.getTrack(8));
}

TEST(CubeTerrainEffectTest, ClonesAreFreshObjectsOfTheSameClass)
{
    std::vector<std::unique_ptr<Effect>> prototypes;
    prototypes.emplace_back(new CubeTerrainEffect());
    prototypes.emplace_back(new NoiseEffect());
    prototypes.emplace_back(new SkyEffect());
    prototypes.emplace_back(new SpriteEffect());
    prototypes.emplace_back(new TileEffect());
    for (const auto& prototype : prototypes) {
        prototype->createTracks();
        std::unique_ptr<Effect> copy(prototype->clone());
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy.get(), prototype.get());
        const Effect& made = *copy;
        const Effect& original = *prototype;
        EXPECT_EQ(typeid(made), typeid(original));
        EXPECT_EQ(copy->getTrackCount(), 0);
    }
}

TEST(CubeTerrainEffectTest, DragRowsFollowTheMouseWithinTheWindow)
{
    EXPECT_EQ(CubeTerrainEffect::dragRowsAt(140, 100, 0.0f), 10);
    EXPECT_EQ(CubeTerrainEffect::dragRowsAt(2100, 100, 0.0f), 254);
    EXPECT_EQ(CubeTerrainEffect::dragRowsAt(60, 100, 0.0f), 0);
    EXPECT_EQ(CubeTerrainEffect::dragRowsAt(103, 100, 5.5f), 6);
    // The flags as a new effect has them: no look-back.
    CubeTerrainEffect effect;
    EXPECT_FALSE(effect.isLookBack());
    EXPECT_FALSE(effect.isDragging());
    EXPECT_EQ(effect.getLookBackRows(), 0.0f);
}

// An instance pool of its own for the test's lifetime.
class InstancePool {
public:
    InstancePool() : saved(VLMPulsvek::effectInstanceDataPool)
    {
        VLMPulsvek::effectInstanceDataPool = &pool;
    }
    ~InstancePool() { VLMPulsvek::effectInstanceDataPool = saved; }
    DataEffectPool pool;

private:
    DataEffectPool* saved;
};

TEST(CubeTerrainEffectTest, ParameterInstancesAreFoundByNameAndClass)
{
    InstancePool instances;
    SpriteEffect* sprites = new SpriteEffect();
    NoiseEffect* distort = new NoiseEffect();
    TileEffect* tiles = new TileEffect();
    SkyEffect* sky = new SkyEffect();
    instances.pool.add("sprites", sprites);
    instances.pool.add("distort", distort);
    instances.pool.add("tiles", tiles);
    instances.pool.add("sky", sky);
    EXPECT_EQ(CubeTerrainEffect::spritesInstance(), sprites);
    EXPECT_EQ(CubeTerrainEffect::distortInstance(), distort);
    EXPECT_EQ(CubeTerrainEffect::tilesInstance(), tiles);
    EXPECT_EQ(CubeTerrainEffect::skyInstance(), sky);
}

TEST(CubeTerrainEffectDeathTest, MissingOrMistypedParameterInstanceStops)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            InstancePool instances;
            CubeTerrainEffect::spritesInstance();
        },
        "effect != NULL");
    EXPECT_DEATH(
        {
            InstancePool instances;
            instances.pool.add("sky", new TileEffect());
            CubeTerrainEffect::skyInstance();
        },
        "typed != NULL");
}

}
