#include "demo/TerrainGenerator.h"
#include "engine/runtime/Effect.h"

#include "support/TerrainTracks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int ROWS = 4;
const int WINDOWS = 3;
const unsigned TOTAL_ROWS = ROWS * WINDOWS;

// Meshes are not owned by objects or kinds: distinct addresses stand in for them.
alignas(8) char meshStorage[8][8];
alignas(8) char textureStorage[8];

VAO* meshOf(int i)
{
    return reinterpret_cast<VAO*>(meshStorage[i]);
}

Texture* const SPRITE_TEXTURE = reinterpret_cast<Texture*>(textureStorage);

void addSprites(VLMScene& scene)
{
    std::vector<VAO*> meshes;
    for (int i = 0; i < 8; ++i)
        meshes.push_back(meshOf(i));
    addSpriteObjects(scene, meshes);
}

// A flat landscape with its sprite kinds defined.
struct Scenery {
    explicit Scenery(int rows = ROWS, int windows = WINDOWS) : generator(128, rows, windows, 8)
    {
        addSprites(scene);
        tracks.wire(generator);
        tracks.setFlat();
        generator.setSpriteScene(&scene);
        generator.setSpriteTexture(SPRITE_TEXTURE);
        generator.defineSceneryKinds();
    }

    // Eight random sprites a row (before exclusions) and placed ones at
    // columns 30 and 90.
    void setCrowded()
    {
        tracks.set("r_frequency", 0.0625f);
        tracks.set("s_frequency", 1.0f);
        tracks.set("s_pos1", 30.0f);
        tracks.set("s_pos2", 90.0f);
    }

    // The random columns of row r that may carry a sprite, in table order.
    std::vector<int> freeColumns(unsigned row, int count) const
    {
        std::vector<int> columns;
        for (int k = 0; k < count; ++k) {
            const int x = generator.getRandomColumn(row, k);
            if (x < 57 || x > 70)
                columns.push_back(x);
        }
        return columns;
    }

    std::vector<int> columnsOf(unsigned row, int placed) const
    {
        std::vector<int> columns;
        for (const SceneryEntry& entry : generator.getScenery(row)) {
            if (entry.placed == placed)
                columns.push_back(entry.column);
        }
        return columns;
    }

    VLMScene scene;
    TerrainTracks tracks;
    TerrainGenerator generator;
};

TEST(TerrainSceneryTest, KindsComeFromTheSpriteScene)
{
    Scenery s;
    const std::vector<SceneryKind*>& random = s.generator.getRandomKinds();
    const std::vector<SceneryKind*>& placed = s.generator.getPlacedKinds();
    ASSERT_EQ(random.size(), 4u);
    ASSERT_EQ(placed.size(), 5u);
    struct Expected {
        const SceneryKind* kind;
        VAO* mesh;
        Texture* texture;
    } const expected[] = {
        {random[0], meshOf(0), SPRITE_TEXTURE}, {random[1], meshOf(1), SPRITE_TEXTURE},
        {random[2], meshOf(2), SPRITE_TEXTURE}, {random[3], meshOf(3), SPRITE_TEXTURE},
        {placed[0], meshOf(4), SPRITE_TEXTURE}, {placed[1], meshOf(5), nullptr},
        {placed[2], meshOf(6), nullptr},        {placed[3], meshOf(7), SPRITE_TEXTURE},
        {placed[4], meshOf(2), SPRITE_TEXTURE},
    };
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(expected[i].kind->mesh, expected[i].mesh) << i;
        EXPECT_EQ(expected[i].kind->texture, expected[i].texture) << i;
        EXPECT_EQ(expected[i].kind->flags, 0) << i;
    }
    // The cactus is a kind of each list.
    EXPECT_NE(random[2], placed[4]);
}

TEST(TerrainSceneryTest, AKindMissingFromTheSpriteFileIsAStartFailureNamingIt)
{
    TerrainGenerator generator(128, ROWS, WINDOWS, 8);
    VLMScene scene;
    scene.setSourceFile("resources/objects/Sprites.vbo");
    addSprites(scene);
    Object* palm = scene.getObject(std::string("Palm"));
    scene.removeObject(palm);
    delete palm;
    generator.setSpriteScene(&scene);
    EXPECT_FALSE(generator.defineSceneryKinds());
    EXPECT_EQ(Effect::takeStartFailure(), "Failed to find object 'Palm'!\nFile : 'resources/objects/Sprites.vbo'");
    EXPECT_EQ(Effect::takeStartFailure(), "");
}

TEST(TerrainSceneryTest, RandomSpritesPerRow)
{
    struct Case {
        const char* what;
        float frequency;
        int count;
        unsigned every;
    } const cases[] = {
        {"a quarter gives four per row", 0.25f, 4, 1},
        {"a half gives two per row", 0.5f, 2, 1},
        {"0.3 gives three", 0.3f, 3, 1},
        {"a sixteenth is limited to eight", 0.0625f, 8, 1},
        {"one gives one per row", 1.0f, 1, 1},
        {"three gives one every third row", 3.0f, 1, 3},
        {"2.5 gives one every second row", 2.5f, 1, 2},
        {"zero gives none", 0.0f, 0, 1},
        {"negative gives none", -2.0f, 0, 1},
    };
    for (const Case& c : cases) {
        Scenery s;
        s.tracks.set("r_frequency", c.frequency);
        s.generator.generateAll();
        for (unsigned row = 0; row < TOTAL_ROWS; ++row) {
            const int count = row % c.every == 0 ? c.count : 0;
            EXPECT_EQ(s.columnsOf(row, 0), s.freeColumns(row, count)) << c.what << ", row " << row;
        }
    }
}

TEST(TerrainSceneryTest, RandomSpriteKindAndCell)
{
    struct Case {
        float sprite;
        int kind;
    } const cases[] = {{0, 0}, {2.7f, 2}, {3, 3}, {5, 1}, {-1, 3}};
    for (const Case& c : cases) {
        Scenery s;
        s.tracks.set("r_frequency", 0.125f);
        s.tracks.set("r_sprite", c.sprite);
        s.tracks.set("noise_add", 9.0f);
        s.generator.generateAll();
        int seen = 0;
        for (unsigned row = 0; row < TOTAL_ROWS; ++row) {
            for (const SceneryEntry& entry : s.generator.getScenery(row)) {
                EXPECT_EQ(entry.kind, s.generator.getRandomKinds()[c.kind]) << c.sprite;
                EXPECT_EQ(entry.placed, 0);
                EXPECT_EQ(entry.row, static_cast<int>(row));
                EXPECT_EQ(entry.height, 136);
                ++seen;
            }
        }
        EXPECT_GT(seen, 40) << c.sprite;
    }
}

TEST(TerrainSceneryTest, RandomSpritesKeepOffTile4)
{
    Scenery s;
    s.tracks.set("r_frequency", 0.0625f);
    // Columns 32 to 47 and, from row 6, 0 to 15 are tile 4.
    s.tracks.set("tile3", 4.0f);
    s.tracks.set("tile1", 4.0f, 6);
    s.generator.generateAll();
    for (unsigned row = 0; row < TOTAL_ROWS; ++row) {
        std::vector<int> expected;
        for (int x : s.freeColumns(row, 8)) {
            if (!(x >= 32 && x < 48) && !(row >= 6 && x < 16))
                expected.push_back(x);
        }
        EXPECT_EQ(s.columnsOf(row, 0), expected) << "row " << row;
    }
}

TEST(TerrainSceneryTest, PlacedSpritesPerRow)
{
    struct Case {
        const char* what;
        float frequency;
        float pos1;
        float pos2;
        unsigned every;
        std::vector<int> columns;
    } const cases[] = {
        {"both positions every row", 1, 20, 100, 1, {20, 100}},
        {"every third row", 3, 20, 100, 3, {20, 100}},
        {"below one: every row", 0.5f, 20, 100, 1, {20, 100}},
        {"zero frequency: none", 0, 20, 100, 1, {}},
        {"negative frequency: none", -1, 20, 100, 1, {}},
        {"negative position is skipped", 1, -1, 10, 1, {10}},
        {"on the road and on water", 1, 63, 10, 1, {63, 10}},
        {"last column", 1, 127, 0, 1, {127, 0}},
        {"at the width is skipped", 1, 128, 5.9f, 1, {5}},
        {"far beyond is skipped", 1, 20, 100000, 1, {20}},
    };
    for (const Case& c : cases) {
        Scenery s;
        s.tracks.set("s_frequency", c.frequency);
        s.tracks.set("s_pos1", c.pos1);
        s.tracks.set("s_pos2", c.pos2);
        // Column 10 is flooded up to row 5, then tile 4.
        s.tracks.set("water_height", 200.0f);
        s.tracks.set("water_height", -1.0f, 6);
        s.tracks.set("tile1", 4.0f);
        s.generator.generateAll();
        for (unsigned row = 0; row < TOTAL_ROWS; ++row) {
            const std::vector<int> expected = row % c.every == 0 ? c.columns : std::vector<int>();
            EXPECT_EQ(s.columnsOf(row, 1), expected) << c.what << ", row " << row;
            for (const SceneryEntry& entry : s.generator.getScenery(row))
                EXPECT_EQ(entry.height, s.generator.terrainTexel(row, entry.column)[0]) << c.what;
        }
    }
}

TEST(TerrainSceneryTest, PlacedKindIsChosenAmongTheFirstFour)
{
    struct Case {
        float sprite;
        int kind;
    } const cases[] = {{0, 0}, {1, 1}, {3, 3}, {4, 0}, {5, 1}, {-1, 3}};
    for (const Case& c : cases) {
        Scenery s;
        s.tracks.set("s_frequency", 1.0f);
        s.tracks.set("s_pos1", 30.0f);
        s.tracks.set("s_pos2", -1.0f);
        s.tracks.set("s_sprite", c.sprite);
        s.generator.generateAll();
        for (unsigned row = 0; row < TOTAL_ROWS; ++row) {
            ASSERT_EQ(s.generator.getScenery(row).size(), 1u);
            EXPECT_EQ(s.generator.getScenery(row)[0].kind, s.generator.getPlacedKinds()[c.kind]) << c.sprite;
        }
    }
}

TEST(TerrainSceneryTest, RandomSpritesComeBeforePlacedOnes)
{
    Scenery s;
    s.setCrowded();
    s.generator.generateAll();
    // Generating a row again replaces its sprites.
    s.generator.placeScenery(2);
    for (unsigned row = 0; row < TOTAL_ROWS; ++row) {
        std::vector<int> expected = s.freeColumns(row, 8);
        expected.push_back(30);
        expected.push_back(90);
        std::vector<int> columns;
        std::vector<int> placed;
        for (const SceneryEntry& entry : s.generator.getScenery(row)) {
            columns.push_back(entry.column);
            placed.push_back(entry.placed);
        }
        EXPECT_EQ(columns, expected) << "row " << row;
        std::vector<int> expectedPlaced(expected.size() - 2, 0);
        expectedPlaced.push_back(1);
        expectedPlaced.push_back(1);
        EXPECT_EQ(placed, expectedPlaced) << "row " << row;
    }
}

TEST(TerrainSceneryTest, CollectedWindowHoldsItsRowsInOrderUpTo1000)
{
    // 128 rows a window with about nine sprites a row: more than 1000.
    Scenery s(128, 3);
    s.setCrowded();
    s.tracks.set("r_frequency", 0.0f, 200);
    s.tracks.set("s_frequency", 0.0f, 200);
    s.generator.generateAll();
    const unsigned total = 128 * 3;

    struct Case {
        const char* what;
        unsigned start;
    } const cases[] = {
        {"full window", 0},
        {"window over the end of the sprites", 150},
        {"window near the end", total - 10},
        {"window past the end", total},
        {"window far past the end", 4000000000u},
    };
    for (const Case& c : cases) {
        std::vector<const SceneryEntry*> expected;
        for (unsigned long long row = c.start; row < c.start + 128ull && row < total; ++row) {
            for (const SceneryEntry& entry : s.generator.getScenery(static_cast<unsigned>(row))) {
                if (expected.size() < 1000)
                    expected.push_back(&entry);
            }
        }
        const SceneryEntry* collected = s.generator.collectScenery(c.start);
        ASSERT_EQ(s.generator.getSceneryCount(), static_cast<int>(expected.size())) << c.what;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(collected[i].kind, expected[i]->kind) << c.what << ", " << i;
            EXPECT_EQ(collected[i].row, expected[i]->row) << c.what << ", " << i;
            EXPECT_EQ(collected[i].column, expected[i]->column) << c.what << ", " << i;
            EXPECT_EQ(collected[i].placed, expected[i]->placed) << c.what << ", " << i;
            EXPECT_EQ(collected[i].height, expected[i]->height) << c.what << ", " << i;
        }
    }
    s.generator.collectScenery(0);
    EXPECT_EQ(s.generator.getSceneryCount(), 1000);
}

}
