#include "demo/RoadSpline.h"
#include "demo/TerrainGenerator.h"
#include "engine/runtime/Keyframe.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/TrackInterpolate.h"
#include "support/TerrainTracks.h"

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <string>

namespace {

// The production's landscape: 128 columns, 50 windows of 256 rows.
const int COLUMNS = 128;
const int ROWS = 256;
const int WINDOWS = 50;
const unsigned TOTAL_ROWS = ROWS * WINDOWS;

// Keys every `step` rows over the whole landscape, cycling through the values.
void keys(TerrainTracks& tracks, const std::string& name, unsigned step, std::initializer_list<float> values,
          int type = 0)
{
    size_t i = 0;
    for (unsigned row = 0; row < TOTAL_ROWS; row += step, ++i)
        tracks[name].addKeyframe(new Keyframe(row, type, *(values.begin() + i % values.size())));
}

// A show-like set of keys: every noise type in turn, hills, water, tunnels,
// changing tiles and sprites.
void fillShow(TerrainTracks& t)
{
    keys(t, "noise_type", 1600, {0, 1, 2, 3}, 3);
    keys(t, "noise_freq", 400, {2, 4, 3, 6});
    keys(t, "noise_oct", 800, {4, 6, 8, 5}, 3);
    keys(t, "noise_pers", 700, {0.5f, 0.6f, 0.4f});
    keys(t, "noise_displ", 900, {1, 0.5f, 2});
    keys(t, "noise_mult", 300, {20, 40, 10, 60});
    keys(t, "noise_add", 500, {0, 10, -10, 5});
    keys(t, "water_height", 1000, {100, 120, 90});
    keys(t, "tunell_height", 250, {0, 0, 12, 0, 20}, 3);
    for (int i = 1; i <= 5; ++i)
        keys(t, "spline_" + std::to_string(i), 350 + 50 * i, {0, 20.0f * i, -10, 30});
    for (int i = 1; i <= 8; ++i) {
        keys(t, "tile" + std::to_string(i), 600, {1, 2, 3, 4, 6}, 3);
        keys(t, "road" + std::to_string(i), 1200, {0, 1, 2}, 3);
    }
    keys(t, "r_sprite", 500, {0, 1, 2, 3}, 3);
    keys(t, "r_frequency", 700, {0.25f, 3, 0.125f, 0}, 3);
    keys(t, "s_frequency", 900, {20, 0, 8}, 3);
    keys(t, "s_sprite", 900, {0, 1, 2, 3}, 3);
    keys(t, "s_pos1", 900, {50, -1, 75}, 3);
    keys(t, "s_pos2", 900, {77, 52, -1}, 3);
}

// The production's generator with show-like tracks and the sprite kinds.
struct Landscape {
    Landscape() : generator(COLUMNS, ROWS, WINDOWS, 8)
    {
        fillShow(tracks);
        addSpriteObjects(sprites);
        tracks.wire(generator);
        generator.setSpriteScene(&sprites);
        generator.defineSceneryKinds();
    }

    void run(benchmark::State& state)
    {
        for (auto _ : state) {
            generator.generateAll();
            benchmark::DoNotOptimize(generator.terrainTexel(TOTAL_ROWS - 1, COLUMNS - 1));
        }
        generator.collectScenery(0);
        state.counters["sprites in the first window"] = generator.getSceneryCount();
    }

    TerrainTracks tracks;
    VLMScene sprites;
    TerrainGenerator generator;
};

void BM_TerrainGenerateAll(benchmark::State& state)
{
    Landscape landscape;
    landscape.run(state);
}
BENCHMARK(BM_TerrainGenerateAll)->Unit(benchmark::kMillisecond);

// The whole landscape in one noise type (0 Perlin, 1 Voronoi, 2 Billow,
// 3 ridged, 4 none) with 8 octaves, the rest of the show unchanged.
void BM_TerrainGenerateAllOneType(benchmark::State& state)
{
    Landscape landscape;
    TerrainTracks& tracks = landscape.tracks;
    for (unsigned row = 1; row < TOTAL_ROWS; ++row) {
        if (tracks["noise_type"].hasKeyframe(row))
            tracks["noise_type"].removeKeyframe(row);
        if (tracks["noise_oct"].hasKeyframe(row))
            tracks["noise_oct"].removeKeyframe(row);
    }
    tracks.set("noise_type", static_cast<float>(state.range(0)));
    tracks.set("noise_oct", 8.0f);
    landscape.run(state);
}
BENCHMARK(BM_TerrainGenerateAllOneType)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// Construction: the buffers, lists and the random column table.
void BM_TerrainConstruct(benchmark::State& state)
{
    for (auto _ : state) {
        TerrainGenerator generator(COLUMNS, ROWS, WINDOWS, 8);
        benchmark::DoNotOptimize(generator.terrainTexel(0, 0));
    }
}
BENCHMARK(BM_TerrainConstruct)->Unit(benchmark::kMillisecond);

// One resample of the production's 256 rows of turn and hill.
void BM_RoadSplineResample(benchmark::State& state)
{
    TrackInterpolate turn("turn");
    TrackInterpolate hill("hill");
    for (unsigned row = 0; row < TOTAL_ROWS; row += 97) {
        turn.addKeyframe(new Keyframe(row, 0, static_cast<float>(row % 41) - 20.0f));
        hill.addKeyframe(new Keyframe(row + 13, 3, static_cast<float>(row % 29)));
    }
    RoadSpline spline(ROWS);
    spline.setTurnTrack(&turn);
    spline.setHillTrack(&hill);
    spline.rebuild();
    unsigned start = 0;
    for (auto _ : state) {
        start = (start + 1) % (TOTAL_ROWS - ROWS);
        benchmark::DoNotOptimize(spline.update(start));
        benchmark::DoNotOptimize(spline.getTurn()[ROWS - 1]);
    }
}
BENCHMARK(BM_RoadSplineResample);

}
