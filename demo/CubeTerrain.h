#pragma once
// The drive's renderer: the landscape as a grid of boxes (one per terrain cell)
// with a road of eight box columns in its middle, the blended sky box, the car,
// the scenery sprites and the rear-view mirror. Heights, tiles and the road's
// curve reach the shaders through small data textures that follow the window
// of rows on screen; the two box meshes are built once.
//
// Terrain row r lies at z = -r, column col is centred at x = col - columns/2 + 0.5,
// one row stands for 50 ms. Angles are in degrees.
//
// By concern: CubeTerrain.cpp (set-up and setters), CubeTerrainBoxes.cpp (the
// cube tables and box meshes), CubeTerrainRows.cpp (data textures and row
// uploads), CubeTerrainRoad.cpp (road and camera math), CubeTerrainPasses.cpp
// (the passes of a frame: sky, road and terrain, car, sprites, rear view),
// CubeTerrainDebug.cpp (the debug drawing).

#include "engine/runtime/TrackValue.h"

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <climits>
#include <cstdint>
#include <vector>

class FBO;
class RoadSpline;
class SceneryEntry;
class SceneryKind;
class Shader;
class TerrainGenerator;
class Texture;
class TrackInterpolate;
class VAO;
class VLMScene;

class CubeTerrain {
public:
    // One box of 36 vertices (two counter-clockwise triangles per face, faces
    // +z, +x, -y, -x, -z, +y), x and z in -0.5..0.5, y in -1..0.
    static const float cubeVertices[36][3];
    static const float cubeNormals[36][3];
    static const float cubeUVs[36][2];

    // The meshes hold at most this many rows of boxes.
    static constexpr int MAX_MESH_ROWS = 254;
    // Per vertex: position (3), normal (3) and UV (2) as floats, and four In_Props bytes.
    static constexpr int FLOATS_PER_VERTEX = 8;
    static constexpr int PROPS_PER_VERTEX = 4;
    static constexpr int VERTICES_PER_BOX = 36;

    // Where the drive stands in a frame.
    struct FramePosition {
        int row;
        float frac;
    };

    CubeTerrain();
    // The show keeps its renderer to the end; whoever deletes one needs its GL context.
    ~CubeTerrain();
    CubeTerrain(const CubeTerrain&) = delete;
    CubeTerrain& operator=(const CubeTerrain&) = delete;

    void setup(int columns, int rows);
    void buildTerrainGeometry();
    void addCubemap(Texture* cubeMap) { cubeMaps.push_back(cubeMap); }
    // False (a start failure reported) when the sprite scene lacks a kind.
    bool defineSceneryKinds();
    // Rebuilds the road spline, then generates every row and its scenery.
    void generate();

    void uploadRows(int startRow);
    void selectSkyCubemaps(int timeMs);
    glm::mat4 carMatrix(int timeMs, float fraction) const;
    glm::mat4 carViewMatrix(int timeMs, float fraction) const;
    glm::mat4 splineCameraMatrix(int timeMs, float fraction) const;
    // The road's sideways offset and height at window row index (blended
    // towards the next row by fraction) plus offset, at z = offset.z - fraction.
    glm::vec3 splinePoint(const glm::vec3& offset, int index, float fraction) const;

    // A null target is the screen.
    void draw(FBO* target, int timeMs, float position, const glm::mat4& camera,
              const glm::mat4& projection, bool lookBack, int lookBackRows);
    void debugDraw(const glm::mat4& camera, const glm::mat4& projection, bool rowMarker, int row);

    // Pure helpers of the above.

    static int meshRowsFor(int rows) { return rows < MAX_MESH_ROWS ? rows : MAX_MESH_ROWS; }
    // Writes the boxes of a mesh width columns wide and meshRows rows deep:
    // FLOATS_PER_VERTEX floats and PROPS_PER_VERTEX In_Props bytes per vertex.
    // The road mesh's third byte names the terrain column under the road.
    static void fillBoxes(float* floats, uint8_t* props, int width, int meshRows, bool road);
    // The frame of the road at sample (carPos, fraction) of the turn and hill
    // arrays (count samples); the sample index is kept within 0..count - 3.
    static glm::mat4 roadFrame(const float* turn, const float* hill, int count, float carPos,
                               float fraction);
    // Index into count cube maps for a "sky1"/"sky2" value.
    static int skyIndex(float value, int count);
    // Row and fraction for the drive's position; the row stays within 0..lastRow.
    static FramePosition framePosition(float position, bool lookBack, int lookBackRows, int lastRow);
    static int cameraMode(float value) { return trackvalue::toInt(value, INT_MIN, INT_MAX); }
    // The sprite size of a scenery entry: random ones by "r_scale", placed ones by "s_scale".
    static float spriteScale(int placed, float rScale, float sScale);

    void setMirrorFbo(FBO* fbo) { mirrorFbo = fbo; }
    void setTerrainShader(Shader* shader) { terrainShader = shader; }
    void setColorShader(Shader* shader) { colorShader = shader; }
    void setSkyboxFbo(FBO* fbo) { skyboxFbo = fbo; }
    void setCar(VLMScene* scene) { car = scene; }
    void setCarShader(Shader* shader) { carShader = shader; }
    void setCarTexture(Texture* texture) { carTexture = texture; }
    void setSprites(VLMScene* scene);
    void setSpriteShader(Shader* shader) { spriteShader = shader; }
    void setSpriteShaderTex(Shader* shader) { spriteShaderTex = shader; }
    void setWireframeTexture(Texture* texture);
    void setTileTextures(Texture* texture) { tileTextures = texture; }
    void setRoadTileTextures(Texture* texture) { roadTileTextures = texture; }
    void setSkyboxShader(Shader* shader) { skyboxShader = shader; }
    void setMirrorShader(Shader* shader) { mirrorShader = shader; }
    void setOption(int value) { option = value; }

    void setTurnTrack(TrackInterpolate* track);
    void setHillTrack(TrackInterpolate* track);
    void setCarPosTrack(TrackInterpolate* track) { carPosTrack = track; }
    void setCarXTrack(TrackInterpolate* track) { carXTrack = track; }
    void setCamModeTrack(TrackInterpolate* track) { camModeTrack = track; }
    void setXposTrack(TrackInterpolate* track) { xposTrack = track; }
    void setYposTrack(TrackInterpolate* track) { yposTrack = track; }
    void setZposTrack(TrackInterpolate* track) { zposTrack = track; }
    void setXrotTrack(TrackInterpolate* track) { xrotTrack = track; }
    void setYrotTrack(TrackInterpolate* track) { yrotTrack = track; }
    void setZrotTrack(TrackInterpolate* track) { zrotTrack = track; }
    void setRScaleTrack(TrackInterpolate* track) { rScaleTrack = track; }
    void setSScaleTrack(TrackInterpolate* track) { sScaleTrack = track; }
    void setSky1Track(TrackInterpolate* track) { sky1Track = track; }
    void setSky2Track(TrackInterpolate* track) { sky2Track = track; }
    void setSkyMixTrack(TrackInterpolate* track) { skyMixTrack = track; }
    void setSkyYTrack(TrackInterpolate* track) { skyYTrack = track; }

    // Into the generator; setup must have run.
    void setRSpriteTrack(TrackInterpolate* track);
    void setRFrequencyTrack(TrackInterpolate* track);
    void setSFrequencyTrack(TrackInterpolate* track);
    void setSSpriteTrack(TrackInterpolate* track);
    void setSPos1Track(TrackInterpolate* track);
    void setSPos2Track(TrackInterpolate* track);
    void setNoiseTypeTrack(TrackInterpolate* track);
    void setNoiseFreqTrack(TrackInterpolate* track);
    void setNoiseOctTrack(TrackInterpolate* track);
    void setNoisePersTrack(TrackInterpolate* track);
    void setNoiseDisplTrack(TrackInterpolate* track);
    void setNoiseMultTrack(TrackInterpolate* track);
    void setNoiseAddTrack(TrackInterpolate* track);
    void setWaterHeightTrack(TrackInterpolate* track);
    void setTunellHeightTrack(TrackInterpolate* track);
    void setSpline1Track(TrackInterpolate* track);
    void setSpline2Track(TrackInterpolate* track);
    void setSpline3Track(TrackInterpolate* track);
    void setSpline4Track(TrackInterpolate* track);
    void setSpline5Track(TrackInterpolate* track);
    void setTile1Track(TrackInterpolate* track);
    void setTile2Track(TrackInterpolate* track);
    void setTile3Track(TrackInterpolate* track);
    void setTile4Track(TrackInterpolate* track);
    void setTile5Track(TrackInterpolate* track);
    void setTile6Track(TrackInterpolate* track);
    void setTile7Track(TrackInterpolate* track);
    void setTile8Track(TrackInterpolate* track);
    void setRoad1Track(TrackInterpolate* track);
    void setRoad2Track(TrackInterpolate* track);
    void setRoad3Track(TrackInterpolate* track);
    void setRoad4Track(TrackInterpolate* track);
    void setRoad5Track(TrackInterpolate* track);
    void setRoad6Track(TrackInterpolate* track);
    void setRoad7Track(TrackInterpolate* track);
    void setRoad8Track(TrackInterpolate* track);

    int getColumns() const { return columns; }
    int getRows() const { return rows; }
    int getRoadColumns() const { return roadColumns; }
    int getOption() const { return option; }
    TerrainGenerator* getGenerator() const { return generator; }
    RoadSpline* getRoadSpline() const { return roadSpline; }
    Texture* getTileTextures() const { return tileTextures; }
    Texture* getRoadTileTextures() const { return roadTileTextures; }
    VAO* getTerrainMesh() const { return terrainMesh; }
    VAO* getRoadMesh() const { return roadMesh; }
    Texture* getTerrainData() const { return terrainData; }
    Texture* getRoadData() const { return roadData; }
    Texture* getTurnMap() const { return turnMap; }
    Texture* getHillMap() const { return hillMap; }
    Texture* getSkyCubeA() const { return skyCubeA; }
    Texture* getSkyCubeB() const { return skyCubeB; }
    const SceneryEntry* getScenery() const { return scenery; }
    // Texture uploads made by uploadRows so far (terrain, road, turn, hill each count one).
    int getUploadCount() const { return uploadCount; }

private:
    // The data textures and the road spline; the debug drawing's ground quad.
    void createDataTextures();
    void buildGroundQuad();

    // The passes of a frame, in the order draw runs them.
    struct Frame;
    struct TerrainPass;
    void placeFrame(Frame& frame, float position, bool lookBack, int lookBackRows);
    void drawSkyBox(Frame& frame);
    void drawBackground(Frame& frame);
    void drawLandscape(const Frame& frame);
    void drawCar(const Frame& frame);
    void drawSprites(const Frame& frame);
    void drawMirror(const Frame& frame);
    // The road, then the terrain, seen through view; only the main view's
    // road pass sets the row's fraction and the sky image.
    void drawRoadAndTerrain(const Frame& frame, const glm::mat4& view, bool roadExtras);
    void drawTerrainPass(const TerrainPass& pass);
    // True the first time the mesh-less thing is seen (so it is reported once).
    bool firstMissing(const void* what);

    int columns;
    int rows;
    int roadColumns;
    FBO* mirrorFbo;
    Shader* terrainShader;
    Texture* tileTextures;
    Texture* roadTileTextures;
    int option;
    VAO* terrainMesh;
    VAO* roadMesh;
    Shader* carShader;
    Shader* mirrorShader;
    VLMScene* car;
    Texture* carTexture;
    VLMScene* sprites;
    Shader* spriteShader;
    Shader* spriteShaderTex;
    Texture* wireframeTexture;
    const SceneryEntry* scenery;
    Shader* skyboxShader;
    std::vector<Texture*> cubeMaps;
    Texture* skyCubeA;
    Texture* skyCubeB;
    VAO* skyboxMesh;
    FBO* skyboxFbo;
    TerrainGenerator* generator;
    Texture* terrainData;
    Texture* roadData;
    RoadSpline* roadSpline;
    Texture* turnMap;
    Texture* hillMap;
    TrackInterpolate* carPosTrack;
    TrackInterpolate* carXTrack;
    VAO* splineXLine;
    VAO* splineYLine;
    Shader* colorShader;
    VAO* groundQuad;
    TrackInterpolate* sky1Track;
    TrackInterpolate* sky2Track;
    TrackInterpolate* skyMixTrack;
    TrackInterpolate* skyYTrack;
    TrackInterpolate* camModeTrack;
    TrackInterpolate* xposTrack;
    TrackInterpolate* yposTrack;
    TrackInterpolate* zposTrack;
    TrackInterpolate* xrotTrack;
    TrackInterpolate* yrotTrack;
    TrackInterpolate* zrotTrack;
    TrackInterpolate* rScaleTrack;
    TrackInterpolate* sScaleTrack;

    int uploadCount;
    // The car scene and the scenery kinds already reported without a mesh.
    std::vector<const void*> reportedMissing;
};
