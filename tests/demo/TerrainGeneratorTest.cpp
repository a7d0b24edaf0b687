#include "demo/TerrainGenerator.h"

#include "support/TerrainTracks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

const int WIDTH = 128;
const int ROWS = 4;
const int WINDOWS = 3;
const int TOTAL_ROWS = ROWS * WINDOWS;

// A generator wired to its own tracks, flat unless a test says otherwise.
struct Landscape {
    explicit Landscape(int width = WIDTH) : generator(width, ROWS, WINDOWS, 8)
    {
        tracks.wire(generator);
        tracks.setFlat();
    }

    int height(unsigned row, int column) const { return generator.terrainTexel(row, column)[0]; }
    int wall(unsigned row, int column) const { return generator.terrainTexel(row, column)[1]; }
    int tile(unsigned row, int column) const { return generator.terrainTexel(row, column)[2]; }

    std::vector<uint8_t> allTexels() const
    {
        const uint8_t* first = generator.terrainTexel(0, 0);
        return std::vector<uint8_t>(first, first + TOTAL_ROWS * generator.getWidth() * 4);
    }

    TerrainTracks tracks;
    TerrainGenerator generator;
};

void setProfile(TerrainTracks& tracks, const float (&values)[5])
{
    for (int i = 0; i < 5; ++i)
        tracks.set("spline_" + std::to_string(i + 1), values[i]);
}

TEST(TerrainGeneratorTest, HeightIsTheProfilePlusTheOffsetWithoutNoise)
{
    const float flat[5] = {0, 0, 0, 0, 0};
    const float rising[5] = {0, 4, 8, 12, 16};
    struct Case {
        const char* what;
        float type;
        float mult;
        float add;
        const float (&profile)[5];
        int column;
        int expected;
    } const cases[] = {
        {"unknown type -1 adds no noise", -1, 25, 0, flat, 10, 127},
        {"unknown type 4 adds no noise", 4, 25, 3, flat, 10, 130},
        {"unknown type 7.5 adds no noise", 7.5f, 25, 3, flat, 10, 130},
        {"Perlin with mult 0", 0, 0, 3, flat, 10, 130},
        {"Voronoi with mult 0", 1, 0, -3, flat, 10, 124},
        {"Billow with mult 0", 2, 0, 1, flat, 10, 128},
        {"ridged with mult 0", 3, 0, 2, flat, 10, 129},
        {"rounds down below one half", -1, 0, 0.4f, flat, 10, 127},
        {"rounds up at one half", -1, 0, 0.5f, flat, 10, 128},
        {"negative offset rounds to nearest", -1, 0, -0.6f, flat, 10, 126},
        {"profile key 0.0 at column 0", -1, 0, 0, rising, 0, 127},
        {"profile key 0.25 at column 32", -1, 0, 0, rising, 32, 131},
        {"profile key 0.75 at column 96", -1, 0, 0, rising, 96, 139},
        {"profile plus offset", -1, 0, -7, rising, 96, 132},
        {"highest height", -1, 0, 128, flat, 10, 255},
        {"above 255 saturates", -1, 0, 129, flat, 10, 255},
        {"far above saturates", -1, 0, 5000, flat, 10, 255},
        {"below 0 saturates", -1, 0, -300, flat, 10, 0},
        {"lowest height", -1, 0, -127, flat, 10, 0},
    };
    for (const Case& c : cases) {
        Landscape land;
        land.tracks.set("noise_type", c.type);
        land.tracks.set("noise_mult", c.mult);
        land.tracks.set("noise_add", c.add);
        land.tracks.set("noise_freq", 3.0f);
        land.tracks.set("noise_oct", 4.0f);
        land.tracks.set("noise_pers", 0.5f);
        setProfile(land.tracks, c.profile);
        land.generator.generateAll();
        for (unsigned row : {0u, 5u, 11u})
            EXPECT_EQ(land.height(row, c.column), c.expected) << c.what << ", row " << row;
    }
}

TEST(TerrainGeneratorTest, WaterFloodsCellsUpToItsLevel)
{
    struct Case {
        const char* what;
        float water;
        float add;
        int height;
        int tile;
    } const cases[] = {
        {"level equal to the height floods", 127, 0, 127, 5},
        {"level just below stays dry", 126.9f, 0, 127, 10},
        {"level above raises to its truncation", 130.7f, 0, 130, 5},
        {"level above 255 saturates", 300, 0, 255, 5},
        {"level below the lowest cell", -1, -300, 0, 10},
        {"level 0 floods the lowest cell", 0, -300, 0, 5},
    };
    for (const Case& c : cases) {
        Landscape land;
        land.tracks.set("water_height", c.water);
        land.tracks.set("noise_add", c.add);
        land.generator.generateAll();
        for (int column : {0, 7, 15}) {
            EXPECT_EQ(land.height(2, column), c.height) << c.what;
            EXPECT_EQ(land.tile(2, column), c.tile) << c.what;
            EXPECT_EQ(land.wall(2, column), 1) << c.what;
        }
    }
}

TEST(TerrainGeneratorTest, RoadIsCappedAt126OrRoofedUnderTheTunnel)
{
    struct Case {
        const char* what;
        float tunnel;
        float add;
        int height;
        int wall;
    } const cases[] = {
        {"neutral level is lowered", 0, 0, 126, 1},
        {"below the cap stays", 0, -10, 117, 1},
        {"at the cap stays", 0, -1, 126, 1},
        {"no tunnel: above 127 is a roof", 0, 5, 132, 5},
        {"negative tunnel: roof at 127", -5, 5, 132, 5},
        {"tunnel below one: roof at 127", 0.5f, 5, 132, 5},
        {"under the roof is capped", 10, 5, 126, 1},
        {"at the roof is capped", 10, 10, 126, 1},
        {"above the roof: wall is the thickness", 10, 20, 147, 10},
        {"roof level saturates at 255", 129, 100, 126, 1},
        {"high roof above a mountain", 500, 128, 126, 1},
        {"highest height under no tunnel", 0, 128, 255, 128},
    };
    for (const Case& c : cases) {
        Landscape land;
        land.tracks.set("tunell_height", c.tunnel);
        land.tracks.set("noise_add", c.add);
        land.generator.generateAll();
        for (int column = 60; column <= 67; ++column) {
            for (unsigned row : {0u, 7u}) {
                EXPECT_EQ(land.height(row, column), c.height) << c.what << ", column " << column;
                EXPECT_EQ(land.wall(row, column), c.wall) << c.what << ", column " << column;
            }
        }
    }
}

TEST(TerrainGeneratorTest, EdgeColumnsShowTheirHeightAboveTheRoad)
{
    struct Case {
        const char* what;
        float tunnel;
        float add;
        int left;
        int right;
    } const cases[] = {
        {"neutral level", 0, 0, 1, 1},
        {"one above", 0, 1, 1, 1},
        {"two above", 0, 2, 2, 2},
        {"mountain", 0, 50, 50, 50},
        {"below the road", 0, -20, 1, 1},
        // The right edge also sees the drop to the capped road on its left.
        {"beside a capped road", 20, 5, 5, 6},
    };
    for (const Case& c : cases) {
        Landscape land;
        land.tracks.set("tunell_height", c.tunnel);
        land.tracks.set("noise_add", c.add);
        land.generator.generateAll();
        EXPECT_EQ(land.wall(3, 59), c.left) << c.what;
        EXPECT_EQ(land.wall(3, 68), c.right) << c.what;
        EXPECT_EQ(land.wall(3, 58), 1) << c.what;
        EXPECT_EQ(land.wall(3, 69), 1) << c.what;
    }
}

TEST(TerrainGeneratorTest, WallsBetweenRows)
{
    struct Case {
        const char* what;
        int column;
        float tunnel;
        float before;
        float after;
        int wallBefore;
        int wallAfter;
    } const cases[] = {
        {"rise of 5", 10, 0, 0, 5, 1, 5},
        {"drop of 5", 10, 0, 5, 0, 5, 1},
        {"rise of 1", 10, 0, 0, 1, 1, 1},
        {"drop of 1", 10, 0, 0, -1, 1, 1},
        {"drop of 2", 10, 0, 0, -2, 2, 1},
        {"road rise below the cap", 62, 30, -20, -10, 1, 10},
        {"road rise to above the cap is skipped", 62, 30, -10, 0, 1, 1},
        // The earlier row is already capped at 126.
        {"road drop from the cap", 62, 30, 0, -10, 9, 1},
    };
    for (const Case& c : cases) {
        Landscape land;
        land.tracks.set("tunell_height", c.tunnel);
        land.tracks.set("noise_add", c.before);
        land.tracks.set("noise_add", c.after, 6);
        land.generator.generateAll();
        EXPECT_EQ(land.wall(5, c.column), c.wallBefore) << c.what;
        EXPECT_EQ(land.wall(6, c.column), c.wallAfter) << c.what;
        EXPECT_EQ(land.wall(4, c.column), 1) << c.what;
        EXPECT_EQ(land.wall(7, c.column), 1) << c.what;
    }
}

// Away from the road a cell's wall is at least 1 and reaches down to its
// lowest neighbour, across rows and columns.
TEST(TerrainGeneratorTest, WallsReachTheLowestNeighbour)
{
    const float hills[5] = {30, -20, 10, 40, -30};
    for (int type = 0; type < 4; ++type) {
        Landscape land;
        land.tracks.set("noise_type", static_cast<float>(type));
        land.tracks.set("noise_mult", 60.0f);
        land.tracks.set("noise_freq", 6.0f);
        land.tracks.set("noise_oct", 3.0f);
        land.tracks.set("noise_pers", 0.5f);
        land.tracks.set("noise_displ", 1.0f);
        land.tracks.set("water_height", 110.0f);
        setProfile(land.tracks, hills);
        land.generator.generateAll();

        int raised = 0;
        for (int row = 0; row < TOTAL_ROWS; ++row) {
            for (int column = 0; column < WIDTH; ++column) {
                if (column >= 59 && column <= 68)
                    continue;
                const int h = land.height(row, column);
                int expected = 1;
                const int neighbours[4][2] = {{row - 1, column}, {row + 1, column}, {row, column - 1}, {row, column + 1}};
                for (const auto& n : neighbours) {
                    if (n[0] >= 0 && n[0] < TOTAL_ROWS && n[1] >= 0 && n[1] < WIDTH)
                        expected = std::max(expected, h - land.height(n[0], n[1]));
                }
                ASSERT_EQ(land.wall(row, column), expected) << "type " << type << " at " << row << ", " << column;
                raised += expected > 1;
            }
        }
        EXPECT_GT(raised, 20) << "type " << type;
    }
}

TEST(TerrainGeneratorTest, TilesComeIn16ColumnBands)
{
    Landscape land(140);
    land.tracks.set("tile3", 3.7f);
    land.tracks.set("tile8", 12.0f, 2);
    land.generator.generateAll();
    for (int column = 0; column < 140; ++column) {
        int expected = 10 + column / 16;
        if (column / 16 == 2)
            expected = 3;
        if (column >= 128)
            expected = 2;
        EXPECT_EQ(land.tile(0, column), expected) << "column " << column;
    }
    EXPECT_EQ(land.tile(1, 120), 17);
    EXPECT_EQ(land.tile(2, 120), 12);
}

TEST(TerrainGeneratorTest, RoadTilesComeFromTheRoadTracks)
{
    Landscape land;
    land.tracks.set("road3", 3.9f);
    land.tracks.set("road8", 40.0f, 5);
    land.tracks.set("noise_add", 30.0f);
    for (unsigned row = 0; row < TOTAL_ROWS; ++row) {
        for (int k = 0; k < 8; ++k) {
            const uint8_t* texel = land.generator.roadTexel(row, k);
            EXPECT_EQ(std::vector<int>(texel, texel + 4), (std::vector<int>{127, 1, 8, 0}));
        }
    }
    land.generator.generateAll();
    for (unsigned row = 0; row < TOTAL_ROWS; ++row) {
        for (int k = 0; k < 8; ++k) {
            int tile = 20 + k;
            if (k == 2)
                tile = 3;
            if (k == 7 && row >= 5)
                tile = 40;
            const uint8_t* texel = land.generator.roadTexel(row, k);
            EXPECT_EQ(std::vector<int>(texel, texel + 4), (std::vector<int>{127, 1, tile, 0})) << row << ", " << k;
        }
    }
}

TEST(TerrainGeneratorTest, OctaveCountIsKeptBetween1And30)
{
    struct Case {
        float octaves;
        float same;
    } const cases[] = {{0, 1}, {-4, 1}, {0.9f, 1}, {31, 30}, {45, 30}, {1e12f, 30}};
    for (int type : {0, 2, 3}) {
        for (const Case& c : cases) {
            Landscape a;
            Landscape b;
            for (Landscape* land : {&a, &b}) {
                land->tracks.set("noise_type", static_cast<float>(type));
                land->tracks.set("noise_mult", 80.0f);
                land->tracks.set("noise_freq", 5.0f);
                land->tracks.set("noise_pers", 0.9f);
            }
            a.tracks.set("noise_oct", c.octaves);
            b.tracks.set("noise_oct", c.same);
            a.generator.generateAll();
            b.generator.generateAll();
            EXPECT_EQ(a.allTexels(), b.allTexels()) << "type " << type << ", octaves " << c.octaves;
            if (c.same == 1) {
                // The count is used at all: one octave is not thirty.
                Landscape many;
                many.tracks.set("noise_type", static_cast<float>(type));
                many.tracks.set("noise_mult", 80.0f);
                many.tracks.set("noise_freq", 5.0f);
                many.tracks.set("noise_pers", 0.9f);
                many.tracks.set("noise_oct", 30.0f);
                many.generator.generateAll();
                EXPECT_NE(a.allTexels(), many.allTexels()) << "type " << type;
            }
        }
    }
}

// Any track value at all: each of the generator's tracks in turn not a number,
// infinite or huge, under every noise type. The conversions are bounded (the
// sanitizers stop at any that is not), and a frequency that is not a number
// is frequency 0.
TEST(TerrainGeneratorTest, NonFiniteAndHugeTrackValuesAreBounded)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {std::nanf(""), inf, -inf, 3e38f, -3e38f};
    for (int type = -1; type < 4; ++type) {
        for (const std::string& name : TerrainTracks::names()) {
            for (float value : values) {
                Landscape land;
                land.tracks.set("noise_type", static_cast<float>(type));
                land.tracks.set("noise_mult", 80.0f);
                land.tracks.set("noise_freq", 5.0f);
                land.tracks.set("noise_oct", 3.0f);
                land.tracks.set(name, value);
                land.generator.generateAll();
            }
        }
        Landscape nan;
        Landscape zero;
        for (Landscape* land : {&nan, &zero}) {
            land->tracks.set("noise_type", static_cast<float>(type));
            land->tracks.set("noise_mult", 80.0f);
        }
        nan.tracks.set("noise_freq", std::nanf(""));
        zero.tracks.set("noise_freq", 0.0f);
        nan.generator.generateAll();
        zero.generator.generateAll();
        EXPECT_EQ(nan.allTexels(), zero.allTexels()) << "type " << type;
    }
}

TEST(TerrainGeneratorTest, NoiseTypesGiveDistinctRepeatableLandscapes)
{
    std::vector<std::vector<uint8_t>> landscapes;
    for (int type = 0; type < 4; ++type) {
        Landscape a;
        Landscape b;
        for (Landscape* land : {&a, &b}) {
            land->tracks.set("noise_type", static_cast<float>(type));
            land->tracks.set("noise_mult", 40.0f);
            land->tracks.set("noise_freq", 4.0f);
            land->tracks.set("noise_oct", 6.0f);
            land->tracks.set("noise_pers", 0.5f);
            land->tracks.set("noise_displ", 1.0f);
            land->generator.generateAll();
        }
        EXPECT_EQ(a.allTexels(), b.allTexels()) << "type " << type;
        int lowest = 255, highest = 0;
        for (int column = 0; column < WIDTH; ++column) {
            lowest = std::min(lowest, a.height(3, column));
            highest = std::max(highest, a.height(3, column));
        }
        EXPECT_GT(highest - lowest, 5) << "type " << type;
        landscapes.push_back(a.allTexels());
    }
    for (size_t i = 0; i < landscapes.size(); ++i) {
        for (size_t j = i + 1; j < landscapes.size(); ++j)
            EXPECT_NE(landscapes[i], landscapes[j]) << i << " and " << j;
    }
}

TEST(TerrainGeneratorTest, AllRowsAtOnceMatchRowByRow)
{
    // Every noise type in turn, and walls that reach back into the row before.
    const int rows = 128;
    const int windows = 6;
    TerrainTracks tracks;
    TerrainGenerator all(WIDTH, rows, windows, 8);
    TerrainGenerator single(WIDTH, rows, windows, 8);
    tracks.wire(all);
    tracks.wire(single);
    tracks.setFlat();
    tracks.set("noise_mult", 30.0f);
    tracks.set("noise_freq", 3.0f);
    tracks.set("noise_pers", 0.5f);
    tracks.set("noise_displ", 1.0f);
    for (unsigned type = 0; type < 6; ++type) {
        tracks.set("noise_type", static_cast<float>(type % 4), type * 130);
        tracks.set("noise_oct", static_cast<float>(2 + type), type * 130 + 40);
        tracks.set("water_height", type == 3 ? 120.0f : -1.0f, type * 130 + 7);
    }
    all.generateAll();
    for (unsigned row = 0; row < static_cast<unsigned>(rows * windows); ++row)
        single.generateRow(row);
    const size_t texels = static_cast<size_t>(rows * windows) * WIDTH * 4;
    const uint8_t* a = all.terrainTexel(0, 0);
    const uint8_t* b = single.terrainTexel(0, 0);
    EXPECT_TRUE(std::equal(a, a + texels, b));
    int heights = 0;
    for (unsigned row = 0; row < static_cast<unsigned>(rows * windows); row += 97)
        heights += std::abs(all.terrainTexel(row, 5)[0] - all.terrainTexel(row + 1, 90)[0]) > 0;
    EXPECT_GT(heights, 2);
}

// Each row keeps its own cross-section: building another row's leaves it as it was.
TEST(TerrainGeneratorTest, EveryRowHasAProfileOfItsOwn)
{
    Landscape land;
    const float values[3][5] = {{0, 4, 8, 4, 0}, {10, 0, -10, 0, 10}, {-3, -3, -3, -3, -3}};
    const unsigned rowsOf[3] = {0, 6, 7};
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 5; ++i)
            land.tracks.set("spline_" + std::to_string(i + 1), values[k][i], rowsOf[k]);
    Spline* profiles[3];
    for (int k = 0; k < 3; ++k)
        profiles[k] = &land.generator.buildProfile(rowsOf[k]);
    EXPECT_NE(profiles[0], profiles[1]);
    EXPECT_NE(profiles[1], profiles[2]);
    // Built again, a row gives back its own profile.
    EXPECT_EQ(&land.generator.buildProfile(rowsOf[1]), profiles[1]);
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 5; ++i)
            EXPECT_NEAR(profiles[k]->evaluate(static_cast<float>(i) * 0.25f), values[k][i], 1e-4f)
                << "row " << rowsOf[k] << " key " << i;
}

TEST(TerrainGeneratorTest, TerrainWindowIsHandedOutOncePerStart)
{
    Landscape land;
    land.generator.generateAll();
    TerrainGenerator& g = land.generator;
    const unsigned last = TOTAL_ROWS - ROWS;

    EXPECT_EQ(g.getTerrainWindow(0), g.terrainTexel(0, 0));
    EXPECT_EQ(g.getTerrainWindow(0), nullptr);
    EXPECT_EQ(g.getTerrainWindow(3), g.terrainTexel(3, 0));
    EXPECT_EQ(g.getTerrainWindow(3), nullptr);
    EXPECT_EQ(g.getTerrainWindow(0), g.terrainTexel(0, 0));
    // Near the end the window stops at the last whole window.
    EXPECT_EQ(g.getTerrainWindow(last + 2), g.terrainTexel(last, 0));
    EXPECT_EQ(g.getTerrainWindow(last), nullptr);
    EXPECT_EQ(g.getTerrainWindow(4000000000u), nullptr);
    EXPECT_EQ(g.getTerrainWindow(last - 1), g.terrainTexel(last - 1, 0));
}

TEST(TerrainGeneratorTest, RoadWindowStartsWhereTheTerrainWindowStarts)
{
    Landscape land;
    land.generator.generateAll();
    TerrainGenerator& g = land.generator;
    const unsigned last = TOTAL_ROWS - ROWS;
    for (unsigned start : {0u, 1u, last - 1, last, last + 1, last + 3, 4000000000u}) {
        const unsigned expected = std::min(start, last);
        EXPECT_EQ(g.getRoadWindow(start), g.roadTexel(expected, 0)) << "start " << start;
        const uint8_t* terrain = g.getTerrainWindow(start);
        if (terrain != nullptr) {
            EXPECT_EQ(terrain, g.terrainTexel(expected, 0)) << "start " << start;
        }
    }
}

TEST(TerrainGeneratorTest, WithoutSceneryKindsNoSpriteIsPlaced)
{
    Landscape land;
    land.tracks.set("r_frequency", 0.25f);
    land.tracks.set("s_frequency", 1.0f);
    land.tracks.set("s_pos1", 10.0f);
    land.tracks.set("s_sprite", 4.0f);
    land.generator.generateAll();
    for (unsigned row = 0; row < TOTAL_ROWS; ++row)
        EXPECT_TRUE(land.generator.getScenery(row).empty());
    EXPECT_NE(land.generator.collectScenery(0), nullptr);
    EXPECT_EQ(land.generator.getSceneryCount(), 0);
}

TEST(TerrainGeneratorTest, RandomColumnsAreTheSameForEveryGenerator)
{
    TerrainGenerator a(WIDTH, ROWS, WINDOWS, 8);
    std::rand();
    TerrainGenerator b(WIDTH, ROWS, WINDOWS, 8);
    std::vector<int> seen(128, 0);
    for (unsigned row = 0; row < TOTAL_ROWS; ++row) {
        for (int k = 0; k < 8; ++k) {
            const int column = a.getRandomColumn(row, k);
            ASSERT_GE(column, 0);
            ASSERT_LT(column, 128);
            EXPECT_EQ(column, b.getRandomColumn(row, k));
            ++seen[column];
        }
    }
    EXPECT_GT(std::count_if(seen.begin(), seen.end(), [](int n) { return n > 0; }), 40);
}

TEST(TerrainGeneratorTest, ModifiedTracksStartANewGeneration)
{
    Landscape land;
    land.generator.markTracksChanged();
    EXPECT_EQ(land.generator.getGeneration(), 2);
    for (const std::string& name : TerrainTracks::names())
        EXPECT_FALSE(land.tracks[name].isModified()) << name;
    land.generator.markTracksChanged();
    EXPECT_EQ(land.generator.getGeneration(), 2);

    land.generator.generateRow(0);
    EXPECT_EQ(land.generator.getRowStamp(0), 2);
    EXPECT_EQ(land.generator.getRowStamp(1), 0);
    land.tracks.set("road8", 1.0f);
    land.generator.markTracksChanged();
    land.generator.generateAll();
    for (unsigned row = 0; row < TOTAL_ROWS; ++row)
        EXPECT_EQ(land.generator.getRowStamp(row), 3);
}

TEST(TerrainGeneratorDeathTest, EveryTrackMustBeSet)
{
    TerrainGenerator generator(WIDTH, ROWS, WINDOWS, 8);
    EXPECT_DEATH(generator.generateAll(), "track != nullptr");
    TerrainTracks tracks;
    tracks.wire(generator);
    generator.setRoadTrack(8, nullptr);
    EXPECT_DEATH(generator.generateRow(0), "track != nullptr");
    EXPECT_DEATH(generator.setTileTrack(9, nullptr), "number >= 1");
    EXPECT_DEATH(generator.setSplineTrack(0, nullptr), "number >= 1");
}

}
