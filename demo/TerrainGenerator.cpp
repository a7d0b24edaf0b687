#include "demo/TerrainGenerator.h"

#include "engine/render/VLMScene.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/Rows.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackValue.h"
#include "util/Assert.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

const int NEUTRAL_HEIGHT = 127;
const int ROAD_CAP = 126;
const int DEFAULT_TILE = 2;
const int WATER_TILE = 5;
const int CLEARED_TILE = 4;
const int MAX_OCTAVES = 30;
const int MAX_RANDOM_PER_ROW = 8;
const int RANDOM_COLUMN_RANGE = 128;
// The noise's lattice cells of the last row at this frequency stay far inside the int range.
const double MAX_NOISE_FREQUENCY = 1.0e4;
const uint8_t ROAD_TEXEL[TerrainGenerator::TEXEL_BYTES] = {127, 1, 8, 0};

// Every track value the generator counts with: truncation toward zero that
// saturates at the int range; NaN gives 0.
int truncToInt(double v)
{
    return trackvalue::toInt(v, INT_MIN, INT_MAX);
}

// One sample of a Perlin or Billow module, set first.
template <typename Module>
double fractalSample(Module& module, double frequency, int octaves, double persistence, double x, double y)
{
    module.SetFrequency(frequency);
    module.SetOctaveCount(octaves);
    module.SetPersistence(persistence);
    return module.GetValue(x, y, 0.0);
}

uint8_t lowByte(int v)
{
    return static_cast<uint8_t>(static_cast<unsigned>(v) & 0xFFu);
}

uint8_t saturateByte(int v)
{
    return static_cast<uint8_t>(std::min(255, std::max(0, v)));
}

// The track's value taken as an unsigned 32-bit number.
unsigned asUnsigned(float v)
{
    return static_cast<unsigned>(truncToInt(v));
}

unsigned timeOfRow(unsigned row)
{
    return row * VLMPulsvek::MS_PER_ROW;
}

}

TerrainGenerator::TerrainGenerator(int width, int rows, int windowCount, int roadWidth)
    : width(width), rows(rows), windowCount(windowCount), roadWidth(roadWidth), totalRows(rows * windowCount),
      collectedCount(0), maxRandomPerRow(MAX_RANDOM_PER_ROW), lastWindowStart(-1), generation(1),
      spriteScene(nullptr), spriteTexture(nullptr), tracks()
{
    VLM_ASSERT(width > 0 && rows > 0 && windowCount > 0 && roadWidth > 0);
    voronoi.EnableDistance(false);

    terrain.assign(static_cast<size_t>(totalRows) * width * TEXEL_BYTES, 0);
    allocProps();
    rowStamps.assign(totalRows, 0);
    scenery.resize(totalRows);
    collected.reset(new SceneryEntry[MAX_COLLECTED]);
    profiles.resize(totalRows);
    rowNoise.assign(width, 0.0);

    randomColumns.resize(static_cast<size_t>(totalRows) * maxRandomPerRow);
    std::srand(0);
    for (uint8_t& column : randomColumns)
        column = static_cast<uint8_t>(std::rand() % RANDOM_COLUMN_RANGE);
}

TerrainGenerator::~TerrainGenerator() = default;

void TerrainGenerator::allocProps()
{
    road.resize(static_cast<size_t>(totalRows) * roadWidth * TEXEL_BYTES);
    for (size_t i = 0; i < road.size(); i += TEXEL_BYTES)
        std::copy(ROAD_TEXEL, ROAD_TEXEL + TEXEL_BYTES, road.begin() + i);
}

bool TerrainGenerator::defineSceneryKinds()
{
    VLM_ASSERT(spriteScene != nullptr);
    struct Kind {
        std::vector<SceneryKind*>* list;
        const char* name;
        bool textured;
    } const kinds[] = {
        {&randomKinds, "Tree", true},      {&randomKinds, "Tree2", true},    {&randomKinds, "Cactus", true},
        {&randomKinds, "Tumbleweed", true}, {&placedKinds, "Mast", true},     {&placedKinds, "SmallSign", false},
        {&placedKinds, "BigSign", false},   {&placedKinds, "Palm", true},     {&placedKinds, "Cactus", true},
    };
    for (const Kind& k : kinds) {
        Object* obj = Effect::findSceneObject(spriteScene, k.name);
        if (!obj)
            return false;
        ownedKinds.push_back(std::make_unique<SceneryKind>(obj->getMesh(), k.textured ? spriteTexture : nullptr, 0));
        k.list->push_back(ownedKinds.back().get());
    }
    return true;
}

void TerrainGenerator::setSplineTrack(int number, TrackInterpolate* track)
{
    VLM_ASSERT(number >= 1 && number <= SPLINE_TRACKS);
    tracks[SPLINE_1 + number - 1] = track;
}

void TerrainGenerator::setTileTrack(int number, TrackInterpolate* track)
{
    VLM_ASSERT(number >= 1 && number <= BANDS);
    tracks[TILE_1 + number - 1] = track;
}

void TerrainGenerator::setRoadTrack(int number, TrackInterpolate* track)
{
    VLM_ASSERT(number >= 1 && number <= BANDS);
    tracks[ROAD_1 + number - 1] = track;
}

void TerrainGenerator::requireTracks() const
{
    for (const TrackInterpolate* track : tracks)
        VLM_ASSERT(track != nullptr);
}

float TerrainGenerator::value(int slot, unsigned timeMs) const
{
    return tracks[slot]->getValue(timeMs);
}

bool TerrainGenerator::isRoadColumn(int column) const
{
    return column >= FIRST_ROAD_COLUMN && column <= LAST_ROAD_COLUMN;
}

const uint8_t* TerrainGenerator::terrainTexel(unsigned row, int column) const
{
    VLM_ASSERT(row < static_cast<unsigned>(totalRows) && column >= 0 && column < width);
    return &terrain[(static_cast<size_t>(row) * width + column) * TEXEL_BYTES];
}

const uint8_t* TerrainGenerator::roadTexel(unsigned row, int k) const
{
    VLM_ASSERT(row < static_cast<unsigned>(totalRows) && k >= 0 && k < roadWidth);
    return &road[(static_cast<size_t>(row) * roadWidth + k) * TEXEL_BYTES];
}

int TerrainGenerator::getRandomColumn(unsigned row, int k) const
{
    VLM_ASSERT(row < static_cast<unsigned>(totalRows) && k >= 0 && k < maxRandomPerRow);
    return randomColumns[static_cast<size_t>(row) * maxRandomPerRow + k];
}

void TerrainGenerator::generateAll()
{
    requireTracks();
    for (unsigned row = 0; row < static_cast<unsigned>(totalRows); ++row) {
        generateRow(row);
        placeScenery(row);
    }
}

Spline& TerrainGenerator::buildProfile(unsigned row)
{
    VLM_ASSERT(row < static_cast<unsigned>(totalRows));
    const unsigned t = timeOfRow(row);
    Spline& profile = profiles[row];
    profile.clear();
    for (int k = 0; k < SPLINE_TRACKS; ++k)
        profile.addKey(static_cast<float>(k) * 0.25f, value(SPLINE_1 + k, t));
    profile.computeTangents();
    return profile;
}

void TerrainGenerator::sampleNoiseRow(unsigned row, double* out)
{
    const unsigned t = timeOfRow(row);
    const double frequency = trackvalue::bounded(value(NOISE_FREQ, t), MAX_NOISE_FREQUENCY);
    const float octaves = value(NOISE_OCT, t);
    const float persistence = value(NOISE_PERS, t);
    const float displacement = value(NOISE_DISPL, t);
    // The noise library accepts 1 to 30 octaves.
    const int octaveCount = std::min(MAX_OCTAVES, std::max(1, truncToInt(octaves)));
    const double y = static_cast<double>(row) / width;

    for (int i = 0; i < width; ++i) {
        const double x = static_cast<double>(i) / width;
        const int type = truncToInt(std::floor(value(NOISE_TYPE, t)));
        switch (type) {
        case 0:
            out[i] = fractalSample(perlin, frequency, octaveCount, persistence, x, y);
            break;
        case 1:
            voronoi.SetFrequency(frequency);
            voronoi.SetDisplacement(displacement);
            out[i] = voronoi.GetValue(x, y, 0.0);
            break;
        case 2:
            out[i] = fractalSample(billow, frequency, octaveCount, persistence, x, y);
            break;
        case 3:
            ridged.SetFrequency(frequency);
            ridged.SetOctaveCount(octaveCount);
            out[i] = ridged.GetValue(x, y, 0.0);
            break;
        default:
            out[i] = 0.0;
            break;
        }
    }
}

void TerrainGenerator::generateRow(unsigned row)
{
    VLM_ASSERT(row < static_cast<unsigned>(totalRows));
    requireTracks();
    sampleNoiseRow(row, rowNoise.data());
    buildRow(row, rowNoise.data());
}

void TerrainGenerator::buildRow(unsigned row, const double* noise)
{
    const unsigned t = timeOfRow(row);

    // Everything read at the row's time is the same for every column.
    const float tunnel = value(TUNELL_HEIGHT, t);
    const int roof = tunnel > 0.0f ? saturateByte(trackvalue::toInt(tunnel, 0, 255) + NEUTRAL_HEIGHT) : NEUTRAL_HEIGHT;
    const float water = value(WATER_HEIGHT, t);
    const float add = value(NOISE_ADD, t);
    const float mult = value(NOISE_MULT, t);
    const Spline& profile = buildProfile(row);

    uint8_t bandTiles[BANDS];
    for (int band = 0; band < BANDS; ++band)
        bandTiles[band] = lowByte(truncToInt(std::floor(value(TILE_1 + band, t))));

    uint8_t* texels = &terrain[static_cast<size_t>(row) * width * TEXEL_BYTES];
    uint8_t* previous = row > 0 ? texels - static_cast<size_t>(width) * TEXEL_BYTES : nullptr;

    for (int i = 0; i < width; ++i) {
        uint8_t* texel = texels + i * TEXEL_BYTES;
        const float p = profile.evaluate(static_cast<float>(i) / static_cast<float>(width));
        const double n = noise[i];

        int h = saturateByte(truncToInt(std::floor(n * mult + add + NEUTRAL_HEIGHT + p + 0.5)));
        int wall = 1;
        int tile = i < BANDS * BAND_COLUMNS ? bandTiles[i / BAND_COLUMNS] : DEFAULT_TILE;

        if (water >= static_cast<float>(h)) {
            h = saturateByte(truncToInt(water));
            tile = WATER_TILE;
            wall = 1;
        }

        if (previous != nullptr) {
            uint8_t* above = previous + i * TEXEL_BYTES;
            const int q = above[0];
            if (!(isRoadColumn(i) && std::max(h, q) > ROAD_CAP)) {
                const int d = h - q;
                if (d >= 2)
                    wall = std::max(wall, d);
                else if (d <= -2)
                    above[1] = static_cast<uint8_t>(std::max<int>(above[1], -d));
            }
        }

        if (i > 0) {
            uint8_t* left = texel - TEXEL_BYTES;
            const int l = left[0];
            const int d = h - l;
            const bool low = std::max(h, l) <= ROAD_CAP;
            if (d >= 2 && (!isRoadColumn(i) || low))
                wall = std::max(wall, d);
            else if (d <= -2 && (!isRoadColumn(i - 1) || low))
                left[1] = static_cast<uint8_t>(std::max<int>(left[1], -d));
        }

        if (isRoadColumn(i)) {
            if (h > roof)
                wall = h - roof;
            else if (h > ROAD_CAP)
                h = ROAD_CAP;
        } else if (i == LEFT_EDGE_COLUMN || i == RIGHT_EDGE_COLUMN) {
            if (h >= NEUTRAL_HEIGHT + 1)
                wall = std::max(wall, h - NEUTRAL_HEIGHT);
        }

        texel[0] = static_cast<uint8_t>(h);
        texel[1] = static_cast<uint8_t>(wall);
        texel[2] = static_cast<uint8_t>(tile);
        texel[3] = 0;

        const int k = i - FIRST_ROAD_COLUMN;
        if (isRoadColumn(i) && k < roadWidth) {
            uint8_t* roadTexel = &road[(static_cast<size_t>(row) * roadWidth + k) * TEXEL_BYTES];
            roadTexel[2] = lowByte(truncToInt(std::floor(value(ROAD_1 + k, t))));
        }
    }
    rowStamps[row] = generation;
}

void TerrainGenerator::placeScenery(unsigned row)
{
    VLM_ASSERT(row < static_cast<unsigned>(totalRows));
    requireTracks();
    const unsigned t = timeOfRow(row);
    std::vector<SceneryEntry>& list = scenery[row];
    list.clear();
    // Kinds are picked modulo the number of random kinds, for placed sprites too.
    if (randomKinds.empty())
        return;

    SceneryKind* kind = randomKinds[asUnsigned(value(R_SPRITE, t)) % randomKinds.size()];
    const float frequency = value(R_FREQUENCY, t);
    int count = 0;
    if (frequency > 0.0f && frequency < 1.0f)
        count = truncToInt(1.0 / static_cast<double>(frequency));
    else if (frequency >= 1.0f)
        count = row % static_cast<unsigned>(truncToInt(frequency)) == 0 ? 1 : 0;
    count = std::min(count, maxRandomPerRow);

    for (int k = 0; k < count; ++k) {
        const int x = getRandomColumn(row, k);
        if (x >= width || (x >= FIRST_CLEAR_COLUMN && x <= LAST_CLEAR_COLUMN))
            continue;
        const uint8_t* texel = terrainTexel(row, x);
        if (texel[2] == CLEARED_TILE)
            continue;
        list.emplace_back(kind, 0, static_cast<int>(row), x, texel[0]);
    }

    const float placedFrequency = value(S_FREQUENCY, t);
    const unsigned placedIndex = asUnsigned(value(S_SPRITE, t)) % randomKinds.size();
    const float positions[2] = {value(S_POS1, t), value(S_POS2, t)};
    if (!(placedFrequency > 0.0f) || placedIndex >= placedKinds.size())
        return;
    // A frequency below 1 places on every row.
    const unsigned every = static_cast<unsigned>(std::max(1, truncToInt(placedFrequency)));
    if (row % every != 0)
        return;
    for (float position : positions) {
        const int column = truncToInt(position);
        if (column >= 0 && column < width)
            list.emplace_back(placedKinds[placedIndex], 1, static_cast<int>(row), column, terrainTexel(row, column)[0]);
    }
}

const uint8_t* TerrainGenerator::getTerrainWindow(unsigned start)
{
    const unsigned s = std::min(start, static_cast<unsigned>(totalRows - rows));
    if (static_cast<int>(s) == lastWindowStart)
        return nullptr;
    lastWindowStart = static_cast<int>(s);
    return &terrain[static_cast<size_t>(s) * width * TEXEL_BYTES];
}

const uint8_t* TerrainGenerator::getRoadWindow(unsigned start) const
{
    const unsigned s = std::min(start, static_cast<unsigned>(totalRows - rows));
    return &road[static_cast<size_t>(s) * roadWidth * TEXEL_BYTES];
}

const SceneryEntry* TerrainGenerator::collectScenery(unsigned start)
{
    const unsigned long long end =
        std::min<unsigned long long>(static_cast<unsigned long long>(start) + rows, totalRows);
    int count = 0;
    for (unsigned long long row = start; row < end && count < MAX_COLLECTED; ++row) {
        for (const SceneryEntry& entry : scenery[row]) {
            if (count == MAX_COLLECTED)
                break;
            collected[count++] = entry;
        }
    }
    collectedCount = count;
    return collected.get();
}

void TerrainGenerator::markTracksChanged()
{
    bool modified = false;
    for (const TrackInterpolate* track : tracks)
        modified = modified || (track != nullptr && track->isModified());
    if (!modified)
        return;
    ++generation;
    for (TrackInterpolate* track : tracks) {
        if (track != nullptr)
            track->setModified(false);
    }
}
