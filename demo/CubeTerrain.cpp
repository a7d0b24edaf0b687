#include "demo/CubeTerrain.h"

#include "demo/RoadSpline.h"
#include "demo/SceneryEntry.h"
#include "demo/SceneryKind.h"
#include "demo/TerrainGenerator.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Object.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/render/VBO.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/TrackInterpolate.h"
#include "util/Assert.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/mat3x3.hpp>
#include <glm/matrix.hpp>

#include <algorithm>
#include <cmath>

const float CubeTerrain::cubeVertices[36][3] = {
    {0.5f, -1, 0.5f},   {0.5f, 0, 0.5f},    {-0.5f, -1, 0.5f},  {0.5f, 0, 0.5f},    {-0.5f, 0, 0.5f},
    {-0.5f, -1, 0.5f},  {0.5f, -1, -0.5f},  {0.5f, 0, -0.5f},   {0.5f, -1, 0.5f},   {0.5f, 0, -0.5f},
    {0.5f, 0, 0.5f},    {0.5f, -1, 0.5f},   {0.5f, -1, -0.5f},  {0.5f, -1, 0.5f},   {-0.5f, -1, 0.5f},
    {0.5f, -1, -0.5f},  {-0.5f, -1, 0.5f},  {-0.5f, -1, -0.5f}, {-0.5f, -1, 0.5f},  {-0.5f, 0, 0.5f},
    {-0.5f, 0, -0.5f},  {-0.5f, -1, 0.5f},  {-0.5f, 0, -0.5f},  {-0.5f, -1, -0.5f}, {0.5f, 0, -0.5f},
    {0.5f, -1, -0.5f},  {-0.5f, -1, -0.5f}, {0.5f, 0, -0.5f},   {-0.5f, -1, -0.5f}, {-0.5f, 0, -0.5f},
    {0.5f, 0, -0.5f},   {-0.5f, 0, -0.5f},  {0.5f, 0, 0.5f},    {-0.5f, 0, -0.5f},  {-0.5f, 0, 0.5f},
    {0.5f, 0, 0.5f},
};

const float CubeTerrain::cubeNormals[36][3] = {
    {0, 0, 1},  {0, 0, 1},  {0, 0, 1},  {0, 0, 1},  {0, 0, 1},  {0, 0, 1},
    {1, 0, 0},  {1, 0, 0},  {1, 0, 0},  {1, 0, 0},  {1, 0, 0},  {1, 0, 0},
    {0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0},
    {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0},
    {0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1},
    {0, 1, 0},  {0, 1, 0},  {0, 1, 0},  {0, 1, 0},  {0, 1, 0},  {0, 1, 0},
};

const float CubeTerrain::cubeUVs[36][2] = {
    {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}, {0, 0},
    {1, 1}, {0, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 0}, {0, 1}, {0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1},
    {1, 0}, {1, 1}, {0, 1}, {1, 0}, {0, 1}, {0, 0}, {1, 1}, {0, 1}, {1, 0}, {0, 1}, {0, 0}, {1, 0},
};

namespace {

// Terrain column of road column 0.
constexpr int ROAD_TERRAIN_COLUMN = TerrainGenerator::FIRST_ROAD_COLUMN;

const glm::mat4 identity(1.0f);

float valueAt(const TrackInterpolate* track, int timeMs)
{
    VLM_ASSERT(track != nullptr);
    return track->getValue(static_cast<unsigned>(std::max(timeMs, 0)));
}

}

// Uniforms of one road or terrain draw.
struct CubeTerrain::TerrainPass {
    VAO* mesh;
    const glm::mat4* view;
    const glm::mat4* projection;
    const glm::mat3* skyM;
    const float* screen;
    float skyMix;
    float seconds;
    int row;
    Texture* tiles;
    Texture* props;
    // Only the main road pass sets "offset" and "background".
    bool roadExtras;
    float offset;
};

CubeTerrain::CubeTerrain()
    : columns(0), rows(0), roadColumns(8), mirrorFbo(nullptr), terrainShader(nullptr),
      tileTextures(nullptr), roadTileTextures(nullptr), option(0), terrainMesh(nullptr),
      roadMesh(nullptr), carShader(nullptr), mirrorShader(nullptr), car(nullptr),
      carTexture(nullptr), sprites(nullptr), spriteShader(nullptr), spriteShaderTex(nullptr),
      wireframeTexture(nullptr), scenery(nullptr), skyboxShader(nullptr), skyCubeA(nullptr),
      skyCubeB(nullptr), skyboxMesh(nullptr), skyboxFbo(nullptr), generator(nullptr),
      terrainData(nullptr), roadData(nullptr), roadSpline(nullptr), turnMap(nullptr),
      hillMap(nullptr), carPosTrack(nullptr), carXTrack(nullptr), splineXLine(nullptr),
      splineYLine(nullptr), colorShader(nullptr), groundQuad(nullptr), sky1Track(nullptr),
      sky2Track(nullptr), skyMixTrack(nullptr), skyYTrack(nullptr), camModeTrack(nullptr),
      xposTrack(nullptr), yposTrack(nullptr), zposTrack(nullptr), xrotTrack(nullptr),
      yrotTrack(nullptr), zrotTrack(nullptr), rScaleTrack(nullptr), sScaleTrack(nullptr),
      uploadCount(0)
{
}

CubeTerrain::~CubeTerrain()
{
    delete generator;
    delete roadSpline;
    delete terrainMesh;
    delete roadMesh;
    delete splineXLine;
    delete splineYLine;
    delete groundQuad;
    delete skyboxMesh;
    delete terrainData;
    delete roadData;
    delete turnMap;
    delete hillMap;
}

void CubeTerrain::setup(int columnCount, int rowCount)
{
    VLM_ASSERT(columnCount > 0 && rowCount >= 3);
    cubeMaps.clear();
    columns = columnCount;
    rows = rowCount;
    roadColumns = 8;
    reportedMissing.reserve(16);

    generator = new TerrainGenerator(columns, rows, 50, roadColumns);
    buildTerrainGeometry();

    terrainData = new Texture(columns, rows, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    terrainData->setWrapAll(GL_CLAMP_TO_EDGE);
    roadData = new Texture(roadColumns, meshRowsFor(rows), GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);

    roadSpline = new RoadSpline(rows);

    turnMap = new Texture(rows, 1, GL_R32F, GL_RED, GL_FLOAT);
    turnMap->setFilter(GL_NEAREST, GL_NEAREST);
    turnMap->setWrapAll(GL_CLAMP_TO_EDGE);
    hillMap = new Texture(rows, 1, GL_R32F, GL_RED, GL_FLOAT);
    hillMap->setFilter(GL_NEAREST, GL_NEAREST);
    hillMap->setWrapAll(GL_CLAMP_TO_EDGE);

    static const float quadPositions[18] = {-128, 255, 0, -128, -1, 0, 128, -1, 0,
                                            -128, 255, 0, 128,  -1, 0, 128, 255, 0};
    static const float quadUVs[12] = {0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1};
    static const float quadNormals[18] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    groundQuad = new VAO("Geometry::Quad");
    groundQuad->createBuffer(GL_FLOAT, 18, const_cast<float*>(quadPositions), GL_STATIC_DRAW);
    groundQuad->createBuffer(GL_FLOAT, 12, const_cast<float*>(quadUVs), GL_STATIC_DRAW);
    groundQuad->createBuffer(GL_FLOAT, 18, const_cast<float*>(quadNormals), GL_STATIC_DRAW);
    groundQuad->mapArray(quadPositions, "in_Position", 3, 0);
    groundQuad->mapArray(quadUVs, "in_UV0", 2, 0);
    groundQuad->mapArray(quadNormals, "in_Normal", 3, 0);
    groundQuad->upload();

    skyboxMesh = Geometry::skybox(glm::vec3(100.0f, 100.0f, 100.0f));
}

void CubeTerrain::fillBoxes(float* floats, uint8_t* props, int width, int meshRows, bool road)
{
    for (int r = 0; r < meshRows; ++r) {
        for (int col = 0; col < width; ++col) {
            for (int i = 0; i < VERTICES_PER_BOX; ++i) {
                const float* p = cubeVertices[i];
                floats[0] = static_cast<float>(col) - static_cast<float>(width) * 0.5f + 0.5f + p[0];
                floats[1] = p[1];
                floats[2] = p[2] - static_cast<float>(r);
                floats[3] = cubeNormals[i][0];
                floats[4] = cubeNormals[i][1];
                floats[5] = cubeNormals[i][2];
                floats[6] = cubeUVs[i][0];
                floats[7] = cubeUVs[i][1];
                floats += FLOATS_PER_VERTEX;

                const int side = p[0] < 0 ? col : col + 1;
                props[0] = static_cast<uint8_t>(col);
                props[1] = static_cast<uint8_t>(r);
                props[2] = static_cast<uint8_t>(road ? ROAD_TERRAIN_COLUMN + side : side);
                props[3] = static_cast<uint8_t>(p[2] > 0 ? r : r + 1);
                props += PROPS_PER_VERTEX;
            }
        }
    }
}

namespace {

VAO* makeBoxMesh(const char* name, int width, int meshRows, bool road)
{
    VAO* mesh = new VAO(name);
    const int cells = width * meshRows;
    constexpr int floatsPerCell = CubeTerrain::VERTICES_PER_BOX * CubeTerrain::FLOATS_PER_VERTEX;
    constexpr int bytesPerCell = CubeTerrain::VERTICES_PER_BOX * CubeTerrain::PROPS_PER_VERTEX;
    float* floats = mesh->createFloatBuffer(GL_FLOAT, cells * floatsPerCell, GL_STATIC_DRAW);
    // The byte buffer lives in an owned float array; only its first bytes are used.
    float* bytes = mesh->createFloatBuffer(GL_UNSIGNED_BYTE, cells * bytesPerCell, GL_STATIC_DRAW);
    CubeTerrain::fillBoxes(floats, reinterpret_cast<uint8_t*>(bytes), width, meshRows, road);
    mesh->mapArray(floats, "in_Position", 3, 0);
    mesh->mapArray(floats, "in_Normal", 3, 0);
    mesh->mapArray(floats, "in_UV0", 2, 0);
    mesh->mapArray(bytes, "In_Props", 4, 0);
    mesh->upload();
    return mesh;
}

VAO* makeLineMesh(const char* name, int rows)
{
    VAO* mesh = new VAO(name);
    float* line = mesh->createFloatBuffer(GL_FLOAT, rows * 3 + 3, GL_DYNAMIC_DRAW);
    mesh->mapArray(line, "in_Position", 3, 0);
    mesh->upload();
    return mesh;
}

}

void CubeTerrain::buildTerrainGeometry()
{
    const int meshRows = meshRowsFor(rows);
    terrainMesh = makeBoxMesh("terrain", columns, meshRows, false);
    roadMesh = makeBoxMesh("road", roadColumns, meshRows, true);
    splineXLine = makeLineMesh("splinex", rows);
    splineYLine = makeLineMesh("spliney", rows);
}

bool CubeTerrain::defineSceneryKinds()
{
    VLM_ASSERT(generator != nullptr);
    return generator->defineSceneryKinds();
}

void CubeTerrain::generate()
{
    VLM_ASSERT(generator != nullptr && roadSpline != nullptr);
    roadSpline->rebuild();
    generator->generateAll();
}

void CubeTerrain::setSprites(VLMScene* scene)
{
    VLM_ASSERT(generator != nullptr);
    sprites = scene;
    generator->setSpriteScene(scene);
}

void CubeTerrain::setWireframeTexture(Texture* texture)
{
    VLM_ASSERT(generator != nullptr);
    wireframeTexture = texture;
    generator->setSpriteTexture(texture);
}

void CubeTerrain::setTurnTrack(TrackInterpolate* track)
{
    VLM_ASSERT(roadSpline != nullptr);
    roadSpline->setTurnTrack(track);
}

void CubeTerrain::setHillTrack(TrackInterpolate* track)
{
    VLM_ASSERT(roadSpline != nullptr);
    roadSpline->setHillTrack(track);
}

#define CUBE_TERRAIN_GENERATOR_SETTER(Name, Call)            \
    void CubeTerrain::Name(TrackInterpolate* track)          \
    {                                                        \
        VLM_ASSERT(generator != nullptr);                    \
        generator->Call;                                     \
    }

CUBE_TERRAIN_GENERATOR_SETTER(setRSpriteTrack, setRSpriteTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setRFrequencyTrack, setRFrequencyTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setSFrequencyTrack, setSFrequencyTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setSSpriteTrack, setSSpriteTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setSPos1Track, setSPos1Track(track))
CUBE_TERRAIN_GENERATOR_SETTER(setSPos2Track, setSPos2Track(track))
CUBE_TERRAIN_GENERATOR_SETTER(setNoiseTypeTrack, setNoiseTypeTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setNoiseFreqTrack, setNoiseFreqTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setNoiseOctTrack, setNoiseOctTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setNoisePersTrack, setNoisePersTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setNoiseDisplTrack, setNoiseDisplTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setNoiseMultTrack, setNoiseMultTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setNoiseAddTrack, setNoiseAddTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setWaterHeightTrack, setWaterHeightTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setTunellHeightTrack, setTunellHeightTrack(track))
CUBE_TERRAIN_GENERATOR_SETTER(setSpline1Track, setSplineTrack(1, track))
CUBE_TERRAIN_GENERATOR_SETTER(setSpline2Track, setSplineTrack(2, track))
CUBE_TERRAIN_GENERATOR_SETTER(setSpline3Track, setSplineTrack(3, track))
CUBE_TERRAIN_GENERATOR_SETTER(setSpline4Track, setSplineTrack(4, track))
CUBE_TERRAIN_GENERATOR_SETTER(setSpline5Track, setSplineTrack(5, track))
CUBE_TERRAIN_GENERATOR_SETTER(setTile1Track, setTileTrack(1, track))
CUBE_TERRAIN_GENERATOR_SETTER(setTile2Track, setTileTrack(2, track))
CUBE_TERRAIN_GENERATOR_SETTER(setTile3Track, setTileTrack(3, track))
CUBE_TERRAIN_GENERATOR_SETTER(setTile4Track, setTileTrack(4, track))
CUBE_TERRAIN_GENERATOR_SETTER(setTile5Track, setTileTrack(5, track))
CUBE_TERRAIN_GENERATOR_SETTER(setTile6Track, setTileTrack(6, track))
CUBE_TERRAIN_GENERATOR_SETTER(setTile7Track, setTileTrack(7, track))
CUBE_TERRAIN_GENERATOR_SETTER(setTile8Track, setTileTrack(8, track))
CUBE_TERRAIN_GENERATOR_SETTER(setRoad1Track, setRoadTrack(1, track))
CUBE_TERRAIN_GENERATOR_SETTER(setRoad2Track, setRoadTrack(2, track))
CUBE_TERRAIN_GENERATOR_SETTER(setRoad3Track, setRoadTrack(3, track))
CUBE_TERRAIN_GENERATOR_SETTER(setRoad4Track, setRoadTrack(4, track))
CUBE_TERRAIN_GENERATOR_SETTER(setRoad5Track, setRoadTrack(5, track))
CUBE_TERRAIN_GENERATOR_SETTER(setRoad6Track, setRoadTrack(6, track))
CUBE_TERRAIN_GENERATOR_SETTER(setRoad7Track, setRoadTrack(7, track))
CUBE_TERRAIN_GENERATOR_SETTER(setRoad8Track, setRoadTrack(8, track))

#undef CUBE_TERRAIN_GENERATOR_SETTER

void CubeTerrain::uploadRows(int startRow)
{
    VLM_ASSERT(startRow >= 0);
    const unsigned start = static_cast<unsigned>(startRow);
    if (const uint8_t* window = generator->getTerrainWindow(start)) {
        terrainData->updateTexture(window);
        roadData->updateTexture(generator->getRoadWindow(start));
        uploadCount += 2;
    }
    if (roadSpline->update(start)) {
        turnMap->updateTexture(roadSpline->getTurn());
        hillMap->updateTexture(roadSpline->getHill());
        uploadCount += 2;
    }
    scenery = generator->collectScenery(start);
}

int CubeTerrain::skyIndex(float value, int count)
{
    VLM_ASSERT(count > 0);
    return trackvalue::toInt(std::floor(value), 0, count - 1);
}

void CubeTerrain::selectSkyCubemaps(int timeMs)
{
    VLM_ASSERT(!cubeMaps.empty());
    const int n = static_cast<int>(cubeMaps.size());
    skyCubeA = cubeMaps[static_cast<size_t>(skyIndex(valueAt(sky1Track, timeMs), n))];
    skyCubeB = cubeMaps[static_cast<size_t>(skyIndex(valueAt(sky2Track, timeMs), n))];
}

glm::mat4 CubeTerrain::roadFrame(const float* X, const float* Y, int count, float carPos,
                                 float f)
{
    VLM_ASSERT(count >= 3);
    // The track keeps "carpos" within the window; anything outside is held at its edges.
    int i = 0;
    if (carPos >= static_cast<float>(count - 2))
        i = count - 3;
    else if (carPos >= 0.0f)
        i = static_cast<int>(std::floor(carPos));
    const float fi = static_cast<float>(i);
    const glm::vec3 P(X[i] + (X[i + 1] - X[i]) * f, Y[i] + (Y[i + 1] - Y[i]) * f, -(fi + f));
    const glm::vec3 A(X[i + 1] + (X[i + 2] - X[i + 1]) * f, Y[i + 1] + (Y[i + 2] - Y[i + 1]) * f,
                      -(fi + 1.0f + f));
    const glm::vec3 F = glm::normalize(A - P);
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(F.y * F.y + F.z * F.z, -F.x * F.y, -F.x * F.z, 0.0f);
    m[1] = glm::vec4(0.0f, -F.z, F.y, 0.0f);
    m[2] = glm::vec4(-F.x, -F.y, -F.z, 0.0f);
    m[3] = glm::vec4(P.x, P.y + 128.0f, P.z, 1.0f);
    return m;
}

glm::mat4 CubeTerrain::carMatrix(int timeMs, float fraction) const
{
    return roadFrame(roadSpline->getTurn(), roadSpline->getHill(), rows,
                     valueAt(carPosTrack, timeMs), fraction);
}

glm::mat4 CubeTerrain::carViewMatrix(int timeMs, float fraction) const
{
    return glm::inverse(carMatrix(timeMs, fraction));
}

glm::mat4 CubeTerrain::splineCameraMatrix(int timeMs, float fraction) const
{
    const glm::mat4 turnAround = glm::scale(identity, glm::vec3(-1.0f, 1.0f, -1.0f));
    return turnAround * glm::inverse(carMatrix(timeMs, fraction));
}

glm::vec3 CubeTerrain::splinePoint(const glm::vec3& v, int k, float a) const
{
    VLM_ASSERT(k >= 0 && k < rows);
    const float* X = roadSpline->getTurn();
    const float* Y = roadSpline->getHill();
    if (a == 0.0f)
        return glm::vec3(X[k] + v.x, Y[k] + v.y, v.z);
    VLM_ASSERT(k + 1 < rows);
    return glm::vec3(X[k] + (X[k + 1] - X[k]) * a + v.x, Y[k] + (Y[k + 1] - Y[k]) * a + v.y,
                     v.z - a);
}

CubeTerrain::FramePosition CubeTerrain::framePosition(float position, bool lookBack,
                                                      int lookBackRows, int lastRow)
{
    if (lookBack)
        position -= static_cast<float>(lookBackRows);
    // Below the start (or not a number) is the start, beyond the end the last row.
    if (!(position >= 0.0f))
        return {0, 0.0f};
    if (position >= static_cast<float>(lastRow))
        return {lastRow, 0.0f};
    const int row = static_cast<int>(std::floor(position));
    return {row, position - static_cast<float>(row)};
}

float CubeTerrain::spriteScale(int placed, float rScale, float sScale)
{
    if (placed == 0)
        return rScale;
    if (placed == 1)
        return sScale;
    return 1.0f;
}

bool CubeTerrain::firstMissing(const void* what)
{
    if (std::find(reportedMissing.begin(), reportedMissing.end(), what) != reportedMissing.end())
        return false;
    reportedMissing.push_back(what);
    return true;
}

void CubeTerrain::drawTerrainPass(const TerrainPass& pass)
{
    Shader* shader = terrainShader;
    pass.mesh->bind(shader);
    shader->setMatrix4("ViewM", *pass.view);
    shader->setMatrix4("ProjM", *pass.projection);
    shader->setMatrix3("SkyM", *pass.skyM);
    shader->setVec2fv("screen", pass.screen);
    shader->setFloat("blend", pass.skyMix);
    shader->setFloat("time", pass.seconds);
    shader->setInt("row", pass.row);
    if (pass.roadExtras)
        shader->setFloat("offset", pass.offset);
    shader->setTexture(10, "tile", pass.tiles);
    shader->setTexture(1, "cube1", skyCubeA);
    shader->setTexture(2, "cube2", skyCubeB);
    shader->setTexture(3, "TerrainProps", pass.props);
    shader->setTexture(4, "TurnMap", turnMap);
    shader->setTexture(5, "HillMap", hillMap);
    if (pass.roadExtras)
        shader->setTexture(6, "background", fboGetColorTexture(skyboxFbo, 0));
    pass.mesh->draw();
}

void CubeTerrain::drawCar(int t, float frac, const glm::mat4& view, const glm::mat4& projection,
                          const glm::mat3& skyM, float skyMix)
{
    VLM_ASSERT(car != nullptr);
    VAO* mesh = car->getObjectCount() > 0 ? car->getObject(0)->getMesh() : nullptr;
    if (!mesh) {
        if (firstMissing(car))
            vlm::logLine("CubeTerrain: the car's first object has no mesh; the car is not drawn");
        return;
    }
    glm::mat4 local = glm::scale(identity, glm::vec3(0.06f));
    local = glm::rotate(local, glm::radians(-90.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    local = glm::translate(local, glm::vec3(0.0f, -6.5f, valueAt(carXTrack, t)));
    const glm::mat4 modelView = view * (carMatrix(t, frac) * local);
    const glm::mat3 normalM = glm::transpose(glm::inverse(glm::mat3(modelView)));

    mesh->bind(carShader);
    carShader->setMatrix4("ProjM", projection);
    carShader->setMatrix4("ViewM", modelView);
    carShader->setMatrix3("NormalM", normalM);
    carShader->setMatrix3("SkyM", skyM);
    carShader->setFloat("blend", skyMix);
    carShader->setTexture(0, "cube1", skyCubeA);
    carShader->setTexture(1, "cube2", skyCubeB);
    carShader->setTexture(2, "diffuse", carTexture);
    mesh->draw();
}

void CubeTerrain::drawSprites(int row, const glm::mat4& view, const glm::mat4& projection,
                              const float screen[2])
{
    const int rowTime = row * 50;
    const float rs = valueAt(rScaleTrack, rowTime);
    const float ss = valueAt(sScaleTrack, rowTime);
    const int n = generator->getSceneryCount();
    if (n == 0 || !scenery)
        return;
    const int meshRows = meshRowsFor(rows);
    const glm::mat4 upright = glm::rotate(identity, glm::radians(-90.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    for (int k = 0; k < n; ++k) {
        const SceneryEntry& e = scenery[k];
        const int d = e.row - row;
        // Only rows the meshes show.
        if (d < 0 || d >= meshRows)
            continue;
        SceneryKind* kind = e.kind;
        if (!kind || !kind->mesh) {
            if (firstMissing(kind))
                vlm::logLine("CubeTerrain: a scenery kind has no mesh; its sprites are not drawn");
            continue;
        }
        const glm::vec3 p = splinePoint(glm::vec3(static_cast<float>(e.column - 64),
                                                  static_cast<float>(e.height),
                                                  static_cast<float>(-d)),
                                        d, 0.0f);
        glm::mat4 model = glm::translate(identity, p) * upright;
        if (e.placed == 0 || e.placed == 1) {
            const float s = spriteScale(e.placed, rs, ss);
            model[0] *= s;
            model[1] *= s;
            model[2] *= s;
        }
        const bool textured = kind->texture != nullptr;
        Shader* shader = textured ? spriteShaderTex : spriteShader;
        kind->mesh->bind(shader);
        shader->setMatrix4("projM", projection);
        shader->setMatrix4("modelM", view * model);
        shader->setMatrix4("cameraM", identity);
        shader->setVec2fv("screen", screen);
        shader->setFloat("row", static_cast<float>(d));
        if (textured)
            shader->setTexture(0, "tile", wireframeTexture);
        shader->setTexture(1, "background", fboGetColorTexture(skyboxFbo, 0));
        kind->mesh->draw();
    }
}

void CubeTerrain::prepareVertexArrays()
{
    // Each mesh makes its vertex array for a shader the first time it is drawn
    // with it: all of them now, not when a car or a sprite first comes in view.
    if (car && car->getObjectCount() > 0 && car->getObject(0)->getMesh() && carShader)
        car->getObject(0)->getMesh()->bind(carShader);
    for (const std::vector<SceneryKind*>* kinds : {&generator->getRandomKinds(), &generator->getPlacedKinds()})
        for (SceneryKind* kind : *kinds)
            if (kind && kind->mesh && (kind->texture ? spriteShaderTex : spriteShader))
                kind->mesh->bind(kind->texture ? spriteShaderTex : spriteShader);
    verticesPrepared = true;
}

void CubeTerrain::draw(FBO* target, int timeMs, float position, const glm::mat4& camera,
                       const glm::mat4& projection, bool lookBack, int lookBackRows)
{
    if (!verticesPrepared)
        prepareVertexArrays();
    const int t = timeMs;
    const FramePosition at =
        framePosition(position, lookBack, lookBackRows, generator->getTotalRows() - 1);
    const int row = at.row;
    const float frac = at.frac;
    uploadRows(row);

    const int camMode = cameraMode(valueAt(camModeTrack, t));
    glm::mat4 freeCam = glm::rotate(identity, glm::radians(valueAt(xrotTrack, t)), glm::vec3(1, 0, 0));
    freeCam = glm::rotate(freeCam, glm::radians(valueAt(yrotTrack, t)), glm::vec3(0, 1, 0));
    freeCam = glm::rotate(freeCam, glm::radians(valueAt(zrotTrack, t)), glm::vec3(0, 0, 1));
    freeCam = glm::translate(
        freeCam, glm::vec3(valueAt(xposTrack, t), valueAt(yposTrack, t), valueAt(zposTrack, t)));

    glm::mat4 view(1.0f);
    if (lookBack)
        view = glm::translate(camera, glm::vec3(0.0f, -145.0f, frac));
    else if (camMode == 0)
        view = camera * carViewMatrix(t, frac);
    else if (camMode == 1)
        view = camera * freeCam * carViewMatrix(t, frac);
    else if (camMode == 2)
        view = glm::translate(camera * freeCam, glm::vec3(0.0f, -128.0f, frac));

    selectSkyCubemaps(t);

    // The sky into its own buffer.
    fboBind(skyboxFbo);
    fboBindAndClear(skyboxFbo);
    glm::mat4 skyCam = view;
    skyCam[3] = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    skyCam = glm::rotate(skyCam, glm::radians(180.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    skyCam = glm::translate(skyCam, glm::vec3(0.0f, valueAt(skyYTrack, t), 0.0f));
    const float skyMix = valueAt(skyMixTrack, t);
    glDisable(GL_DEPTH_TEST);
    skyboxMesh->bind(skyboxShader);
    skyboxShader->setTexture(0, "cube1", skyCubeA);
    skyboxShader->setTexture(1, "cube2", skyCubeB);
    skyboxShader->setFloat("blend", skyMix);
    skyboxShader->setMatrix4("projM", projection);
    skyboxShader->setMatrix4("cameraM", skyCam);
    skyboxMesh->drawMode(GL_TRIANGLES);

    // The sky as the target's background.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    fboBind(target);
    fboMarkDirty(target);
    fboBlitColor(skyboxFbo, 0, target, 0, GL_LINEAR);
    markPass("terrain: sky");
    const glm::mat3 skyM = glm::inverse(glm::mat3(skyCam));

    // The screen's size is its letterboxed viewport.
    float screen[2];
    if (target) {
        screen[0] = static_cast<float>(fboGetWidth(target));
        screen[1] = static_cast<float>(fboGetHeight(target));
    } else {
        VLM_ASSERT(VLMPulsvek::screenSettings != nullptr);
        screen[0] = static_cast<float>(VLMPulsvek::screenSettings->getViewportWidth());
        screen[1] = static_cast<float>(VLMPulsvek::screenSettings->getViewportHeight());
    }

    TerrainPass pass{roadMesh, &view, &projection, &skyM, screen, skyMix,
                     static_cast<float>(t) / 1000.0f, row, roadTileTextures, roadData, true, frac};
    drawTerrainPass(pass);
    pass.mesh = terrainMesh;
    pass.tiles = tileTextures;
    pass.props = terrainData;
    pass.roadExtras = false;
    drawTerrainPass(pass);
    markPass("terrain: landscape");

    if (camMode > 0)
        drawCar(t, frac, view, projection, skyM, skyMix);
    drawSprites(row, view, projection, screen);
    markPass("terrain: car and sprites");

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    // The rear view: road and terrain only, into the mirror buffer (cleared by the pool).
    const glm::mat4 mirrorView = camera * splineCameraMatrix(t, frac);
    fboBind(mirrorFbo);
    fboMarkDirty(mirrorFbo);
    pass.view = &mirrorView;
    pass.mesh = roadMesh;
    pass.tiles = roadTileTextures;
    pass.props = roadData;
    drawTerrainPass(pass);
    pass.mesh = terrainMesh;
    pass.tiles = tileTextures;
    pass.props = terrainData;
    drawTerrainPass(pass);
    markPass("terrain: mirror");

    glDisable(GL_DEPTH_TEST);
}

void CubeTerrain::debugDraw(const glm::mat4& camera, const glm::mat4& projection, bool rowMarker,
                            int row)
{
    if (rowMarker) {
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        groundQuad->bind(colorShader);
        colorShader->setMatrix4("projM", projection);
        colorShader->setMatrix4("cameraM", camera);
        colorShader->setMatrix4("modelM",
                                glm::translate(identity, glm::vec3(0.0f, 0.0f, -static_cast<float>(row))));
        colorShader->setVec4("color", glm::vec4(1.0f, 0.0f, 0.0f, 0.25f));
        groundQuad->drawMode(GL_TRIANGLES);
        glDisable(GL_BLEND);
        glEnable(GL_CULL_FACE);
        return;
    }

    const std::pair<float, float> turnRange = roadSpline->getTurnRange();
    const std::pair<float, float> hillRange = roadSpline->getHillRange();
    float s = std::max(std::max(turnRange.second, hillRange.second),
                       std::fabs(std::min(turnRange.first, hillRange.first)));
    // A flat road has no range: plot it at the middle.
    if (!(s > 0.0f))
        s = 1.0f;
    const float* samples[2] = {roadSpline->getTurn(), roadSpline->getHill()};
    VAO* lines[2] = {splineXLine, splineYLine};
    for (int l = 0; l < 2; ++l) {
        VBO* buffer = lines[l]->getBuffers().front();
        float* out = static_cast<float*>(buffer->map(GL_WRITE_ONLY));
        if (!out)
            continue;
        for (int j = 0; j < rows; ++j) {
            out[j * 3 + 0] = 2.0f / static_cast<float>(rows) * static_cast<float>(j) - 1.0f;
            out[j * 3 + 1] = samples[l][j] / s;
            out[j * 3 + 2] = 0.0f;
        }
        // The extra last vertex closes the plot at the right edge with the last sample.
        out[rows * 3 + 0] = 1.0f;
        out[rows * 3 + 1] = samples[l][rows - 1] / s;
        out[rows * 3 + 2] = 0.0f;
        buffer->unmap();
    }
    glDisable(GL_DEPTH_TEST);
    const glm::vec4 colors[2] = {glm::vec4(1, 0, 0, 1), glm::vec4(0, 1, 0, 1)};
    for (int l = 0; l < 2; ++l) {
        lines[l]->bind(colorShader);
        colorShader->setMatrix4("projM", identity);
        colorShader->setMatrix4("cameraM", identity);
        colorShader->setMatrix4("modelM", identity);
        colorShader->setVec4("color", colors[l]);
        lines[l]->drawMode(GL_LINE_STRIP);
    }
}
