#include "demo/CubeTerrain.h"

#include "demo/RoadSpline.h"
#include "demo/TerrainGenerator.h"
#include "engine/render/Geometry.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/runtime/TrackInterpolate.h"
#include "util/Assert.h"

#include <glm/vec3.hpp>

// Construction, set-up and the setters.

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
    createDataTextures();
    buildGroundQuad();
    skyboxMesh = Geometry::skybox(glm::vec3(100.0f, 100.0f, 100.0f));
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
