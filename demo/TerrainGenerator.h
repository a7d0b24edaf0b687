#pragma once
// The drive's landscape, generated once from noise modules and keyframe tracks:
// per terrain row one texel (height, wall, tile, 0) per column, one road texel
// (height, wall, road tile, 0) per road column and a list of scenery sprites.
// Row r is read at the time r x 50 ms. The renderer takes windows of rows.

#include "demo/SceneryEntry.h"
#include "demo/SceneryKind.h"
#include "engine/runtime/Spline.h"

#include <libnoise/noise.h>

#include <cstdint>
#include <memory>
#include <vector>

class Texture;
class TrackInterpolate;
class VLMScene;

class TerrainGenerator {
public:
    // Road columns and edge columns of the landscape (made for 128 columns;
    // a narrower landscape has no road).
    static constexpr int FIRST_ROAD_COLUMN = 60;
    static constexpr int LAST_ROAD_COLUMN = 67;
    static constexpr int LEFT_EDGE_COLUMN = 59;
    static constexpr int RIGHT_EDGE_COLUMN = 68;
    // Random sprites keep off these columns.
    static constexpr int FIRST_CLEAR_COLUMN = 57;
    static constexpr int LAST_CLEAR_COLUMN = 70;
    static constexpr int MAX_COLLECTED = 1000;
    static constexpr int TEXEL_BYTES = 4;

    TerrainGenerator(int width, int rows, int windowCount, int roadWidth);
    ~TerrainGenerator();
    TerrainGenerator(const TerrainGenerator&) = delete;
    TerrainGenerator& operator=(const TerrainGenerator&) = delete;

    // Fills the road buffer with (127, 1, 8, 0).
    void allocProps();
    // The random and placed kinds from the objects of the sprite scene; the
    // generator owns them. False, with a start failure reported, when the
    // scene lacks one of their names.
    bool defineSceneryKinds();

    // Every row in ascending order, then its scenery. Every track must be set.
    void generateAll();
    void generateRow(unsigned row);
    // The cross-section of the row, kept per row.
    Spline& buildProfile(unsigned row);
    void placeScenery(unsigned row);

    // The rows of one window from min(start, totalRows - rows); null when that
    // start is the one handed out last.
    const uint8_t* getTerrainWindow(unsigned start);
    // The road texels of the window getTerrainWindow gives for the same start.
    const uint8_t* getRoadWindow(unsigned start) const;
    // The scenery of rows start .. start + rows - 1, at most MAX_COLLECTED entries.
    const SceneryEntry* collectScenery(unsigned start);
    int getSceneryCount() const { return collectedCount; }

    // A new generation when any track was modified; clears the tracks' flags.
    void markTracksChanged();

    void setSpriteScene(VLMScene* scene) { spriteScene = scene; }
    void setSpriteTexture(Texture* texture) { spriteTexture = texture; }

    void setRSpriteTrack(TrackInterpolate* track) { tracks[R_SPRITE] = track; }
    void setRFrequencyTrack(TrackInterpolate* track) { tracks[R_FREQUENCY] = track; }
    void setSFrequencyTrack(TrackInterpolate* track) { tracks[S_FREQUENCY] = track; }
    void setSSpriteTrack(TrackInterpolate* track) { tracks[S_SPRITE] = track; }
    void setSPos1Track(TrackInterpolate* track) { tracks[S_POS1] = track; }
    void setSPos2Track(TrackInterpolate* track) { tracks[S_POS2] = track; }
    void setNoiseTypeTrack(TrackInterpolate* track) { tracks[NOISE_TYPE] = track; }
    void setNoiseFreqTrack(TrackInterpolate* track) { tracks[NOISE_FREQ] = track; }
    void setNoiseOctTrack(TrackInterpolate* track) { tracks[NOISE_OCT] = track; }
    void setNoisePersTrack(TrackInterpolate* track) { tracks[NOISE_PERS] = track; }
    void setNoiseDisplTrack(TrackInterpolate* track) { tracks[NOISE_DISPL] = track; }
    void setNoiseMultTrack(TrackInterpolate* track) { tracks[NOISE_MULT] = track; }
    void setNoiseAddTrack(TrackInterpolate* track) { tracks[NOISE_ADD] = track; }
    void setWaterHeightTrack(TrackInterpolate* track) { tracks[WATER_HEIGHT] = track; }
    void setTunellHeightTrack(TrackInterpolate* track) { tracks[TUNELL_HEIGHT] = track; }
    // number 1 to 5: "spline_1" to "spline_5".
    void setSplineTrack(int number, TrackInterpolate* track);
    // number 1 to 8: "tile1" to "tile8".
    void setTileTrack(int number, TrackInterpolate* track);
    // number 1 to 8: "road1" to "road8".
    void setRoadTrack(int number, TrackInterpolate* track);

    int getWidth() const { return width; }
    int getRows() const { return rows; }
    int getWindowCount() const { return windowCount; }
    int getRoadWidth() const { return roadWidth; }
    int getTotalRows() const { return totalRows; }
    int getGeneration() const { return generation; }
    int getRowStamp(unsigned row) const { return rowStamps[row]; }

    // Texel (row, column) of the whole terrain and road texel (row, k).
    const uint8_t* terrainTexel(unsigned row, int column) const;
    const uint8_t* roadTexel(unsigned row, int k) const;
    const std::vector<SceneryEntry>& getScenery(unsigned row) const { return scenery[row]; }
    const std::vector<SceneryKind*>& getRandomKinds() const { return randomKinds; }
    const std::vector<SceneryKind*>& getPlacedKinds() const { return placedKinds; }
    // Column k of the random column table of row.
    int getRandomColumn(unsigned row, int k) const;

private:
    static constexpr int SPLINE_TRACKS = 5;
    static constexpr int BANDS = 8;
    static constexpr int BAND_COLUMNS = 16;

    enum Slot {
        R_SPRITE,
        R_FREQUENCY,
        S_FREQUENCY,
        S_SPRITE,
        S_POS1,
        S_POS2,
        NOISE_TYPE,
        NOISE_FREQ,
        NOISE_OCT,
        NOISE_PERS,
        NOISE_DISPL,
        NOISE_MULT,
        NOISE_ADD,
        WATER_HEIGHT,
        TUNELL_HEIGHT,
        SPLINE_1,
        TILE_1 = SPLINE_1 + SPLINE_TRACKS,
        ROAD_1 = TILE_1 + BANDS,
        SLOT_COUNT = ROAD_1 + BANDS
    };

    void requireTracks() const;
    float value(int slot, unsigned timeMs) const;
    bool isRoadColumn(int column) const;
    // The noise of every column of the row, each sample from its module set
    // for the row's time.
    void sampleNoiseRow(unsigned row, double* out);
    // The row's texels from its noise.
    void buildRow(unsigned row, const double* noise);

    int width;
    int rows;
    int windowCount;
    int roadWidth;
    int totalRows;

    noise::module::Perlin perlin;
    noise::module::Voronoi voronoi;
    noise::module::Billow billow;
    noise::module::RidgedMulti ridged;

    std::vector<uint8_t> terrain;
    std::vector<uint8_t> road;
    std::vector<std::vector<SceneryEntry>> scenery;
    std::vector<SceneryKind*> randomKinds;
    std::vector<SceneryKind*> placedKinds;
    std::vector<std::unique_ptr<SceneryKind>> ownedKinds;
    std::unique_ptr<SceneryEntry[]> collected;
    int collectedCount;
    std::vector<uint8_t> randomColumns;
    int maxRandomPerRow;
    std::vector<int> rowStamps;
    std::vector<Spline> profiles;
    std::vector<double> rowNoise;
    int lastWindowStart;
    int generation;

    VLMScene* spriteScene;
    Texture* spriteTexture;

    // The 36 tracks, in the order of the slots.
    TrackInterpolate* tracks[SLOT_COUNT];
};
