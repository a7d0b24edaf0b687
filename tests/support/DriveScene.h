#pragma once
// The drive with small resources of its own: engine pools holding the drive's
// shaders (from content/shaders), tile arrays, cube maps, a car and sprite
// objects written with the object-file writer, the "skybox" and "mirror"
// framebuffers and a target; the four parameter instances and a terrain effect
// with show-like keys. Needs a current GL context; puts the engine's globals
// back when it goes.

#include "demo/CubeTerrainEffect.h"
#include "demo/ParameterEffects.h"
#include "engine/render/ScreenSettings.h"
#include "support/TempDir.h"

#include <array>
#include <string>
#include <vector>

class DataEffectPool;
class DataFBOPool;
class DataObjectPool;
class DataShaderPool;
class DataTexturePool;
class FBO;
class Shader;
class Texture;
class TrackInterpolate;
class VLMScene;

namespace testsupport {

// Plain colours of the resources, for telling the passes apart in pixels.
namespace drivecolors {
constexpr std::array<int, 3> SKY = {230, 60, 220};        // every cube-map face
constexpr std::array<int, 3> ROAD = {70, 70, 70};         // every road tile
constexpr std::array<int, 3> CAR = {255, 0, 0};           // the car's paint
constexpr std::array<int, 3> SPRITE = {255, 255, 0};      // every sprite's faces
}

struct DriveOptions {
    int targetWidth = 320;
    int targetHeight = 180;
    int skyboxWidth = 256;
    int skyboxHeight = 144;
    // The car's object 0 carries no mesh.
    bool carWithoutMesh = false;
    // The "Tree" sprite object carries no mesh.
    bool treeWithoutMesh = false;
    // Edge lengths of the tile pictures and of the cube-map faces.
    int tileSize = 16;
    int cubeSize = 8;
    // The show's resource tree (<build>/show/resources): pictures and objects
    // come from its graphics/ and objects/ folders instead of being made here.
    std::string resourceFolder;
    // Shader folder; empty: content/shaders of the source tree.
    std::string shaderFolder;
};

class DriveScene {
public:
    explicit DriveScene(const DriveOptions& options = DriveOptions());
    ~DriveScene();
    DriveScene(const DriveScene&) = delete;
    DriveScene& operator=(const DriveScene&) = delete;

    // Show-like keys on every track: a bending, hilly road through noise
    // terrain with water, sprites on both sides, two skies blended, the car at
    // row 12 and a chase camera. camMode goes into "cam_mode".
    void setShowTracks(float camMode);
    // One key (linear unless type says otherwise).
    static void key(TrackInterpolate* track, unsigned row, float value, int type = 0);

    void init();
    // One frame into the target (or the screen), as the timeline draws it.
    void draw(int timeMs, bool toScreen = false);
    // What the frame loop does after the effects: clear the dirty framebuffers.
    void endFrame();

    FBO* target = nullptr;
    FBO* skybox = nullptr;
    FBO* mirror = nullptr;
    CubeTerrainEffect* effect = nullptr;
    SpriteEffect* sprites = nullptr;
    NoiseEffect* distort = nullptr;
    TileEffect* tiles = nullptr;
    SkyEffect* sky = nullptr;
    ScreenSettings screen;
    std::vector<std::string> shaderNames;

    Shader* shader(const std::string& name) const;

private:
    void loadShaders(const std::string& folder);
    void makeTextures(const DriveOptions& options);
    void makeObjects(const DriveOptions& options);
    void loadShowArt(const std::string& folder);

    TempDir dir;
    DataShaderPool* shaderPool;
    DataTexturePool* texturePool;
    DataFBOPool* fboPool;
    DataObjectPool* scenePool;
    DataEffectPool* instancePool;

    ScreenSettings* savedScreen;
    DataShaderPool* savedShaders;
    DataTexturePool* savedTextures;
    DataFBOPool* savedFbos;
    DataObjectPool* savedScenes;
    DataEffectPool* savedInstances;
};

}
