#include "demo/CubeTerrainEffect.h"

#include "demo/Anisotropy.h"
#include "demo/CubeTerrain.h"
#include "demo/ParameterEffects.h"
#include "engine/render/Camera.h"
#include "engine/render/Engine.h"
#include "engine/render/Projection.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/Texture.h"
#include "engine/runtime/TrackInterpolate.h"
#include "platform/Glfw27.h"
#include "util/Assert.h"

#include <GL/glew.h>

#include <cmath>
#include <vector>

namespace {

template <typename T>
T* parameterInstance(const char* name)
{
    Effect* effect = Effect::getEffect(name);
    T* typed = dynamic_cast<T*>(effect);
    VLM_ASSERT(typed != NULL);
    return typed;
}

// Renderers live until the process ends, and stay reachable until then.
std::vector<CubeTerrain*>& liveRenderers()
{
    static std::vector<CubeTerrain*>* renderers = new std::vector<CubeTerrain*>();
    return *renderers;
}

void prepareTiles(Texture* tiles)
{
    tiles->setFilter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    tiles->setWrap(GL_CLAMP_TO_EDGE, GL_REPEAT, GL_CLAMP_TO_EDGE);
    tiles->setAnisotropy(Anisotropy::current());
}

}

SpriteEffect* CubeTerrainEffect::spritesInstance() { return parameterInstance<SpriteEffect>("sprites"); }
NoiseEffect* CubeTerrainEffect::distortInstance() { return parameterInstance<NoiseEffect>("distort"); }
TileEffect* CubeTerrainEffect::tilesInstance() { return parameterInstance<TileEffect>("tiles"); }
SkyEffect* CubeTerrainEffect::skyInstance() { return parameterInstance<SkyEffect>("sky"); }

void CubeTerrainEffect::update(int) {}

void CubeTerrainEffect::postDraw(int) {}

Effect* CubeTerrainEffect::clone()
{
    return new CubeTerrainEffect();
}

void CubeTerrainEffect::createTracks()
{
    addTrack("position", positionTrack);
    addTrack("turn", turnTrack);
    addTrack("hill", hillTrack);
    addTrack("carpos", carPosTrack);
    addTrack("carx", carXTrack);
    addTrack("cam_mode", camModeTrack);
    addTrack("xpos", xposTrack);
    addTrack("ypos", yposTrack);
    addTrack("zpos", zposTrack);
    addTrack("xrot", xrotTrack);
    addTrack("yrot", yrotTrack);
    addTrack("zrot", zrotTrack);
}

void CubeTerrainEffect::init()
{
    terrain = new CubeTerrain();
    liveRenderers().push_back(terrain);
    terrain->setup(128, 256);

    terrain->setTerrainShader(getShader("cubeterrain"));
    terrain->setColorShader(getShader("color"));
    terrain->setSkyboxFbo(getFBO("skybox"));
    terrain->setCar(getScene("car"));
    terrain->setCarShader(getShader("carshader"));
    terrain->setCarTexture(getTexture("cartexture"));
    terrain->setSprites(getScene("sprites"));
    terrain->setSpriteShader(getShader("spriteshader"));
    terrain->setSpriteShaderTex(getShader("spriteshadertex"));
    terrain->setWireframeTexture(getTexture("wireframetexture"));

    tileTextures = getTexture("tiles1");
    prepareTiles(tileTextures);
    Texture* roadTiles = getTexture("roadtiles");
    prepareTiles(roadTiles);
    terrain->setTileTextures(tileTextures);
    terrain->setRoadTileTextures(roadTiles);

    terrain->addCubemap(getTexture("cubemap1"));
    terrain->addCubemap(getTexture("cubemap2"));
    terrain->addCubemap(getTexture("cubemap3"));
    terrain->addCubemap(getTexture("cubemap4"));
    terrain->setSkyboxShader(getShader("skybox"));

    terrain->setTurnTrack(turnTrack);
    terrain->setHillTrack(hillTrack);

    SpriteEffect* sprites = spritesInstance();
    terrain->setRScaleTrack(sprites->rScaleTrack);
    terrain->setRSpriteTrack(sprites->rSpriteTrack);
    terrain->setRFrequencyTrack(sprites->rFrequencyTrack);
    terrain->setSFrequencyTrack(sprites->sFrequencyTrack);
    terrain->setSSpriteTrack(sprites->sSpriteTrack);
    terrain->setSScaleTrack(sprites->sScaleTrack);
    terrain->setSPos1Track(sprites->sPos1Track);
    terrain->setSPos2Track(sprites->sPos2Track);

    terrain->setXposTrack(xposTrack);
    terrain->setYposTrack(yposTrack);
    terrain->setZposTrack(zposTrack);
    terrain->setXrotTrack(xrotTrack);
    terrain->setYrotTrack(yrotTrack);
    terrain->setZrotTrack(zrotTrack);
    terrain->setCamModeTrack(camModeTrack);

    NoiseEffect* distort = distortInstance();
    terrain->setNoiseTypeTrack(distort->noiseTypeTrack);
    terrain->setNoiseFreqTrack(distort->noiseFreqTrack);
    terrain->setNoiseOctTrack(distort->noiseOctTrack);
    terrain->setNoisePersTrack(distort->noisePersTrack);
    terrain->setNoiseDisplTrack(distort->noiseDisplTrack);
    terrain->setNoiseAddTrack(distort->noiseAddTrack);
    terrain->setNoiseMultTrack(distort->noiseMultTrack);
    terrain->setSpline1Track(distort->splineTracks[0]);
    terrain->setSpline2Track(distort->splineTracks[1]);
    terrain->setSpline3Track(distort->splineTracks[2]);
    terrain->setSpline4Track(distort->splineTracks[3]);
    terrain->setSpline5Track(distort->splineTracks[4]);
    terrain->setWaterHeightTrack(distort->waterHeightTrack);
    terrain->setTunellHeightTrack(distort->tunellHeightTrack);
    terrain->setCarPosTrack(carPosTrack);
    terrain->setCarXTrack(carXTrack);

    TileEffect* tiles = tilesInstance();
    terrain->setTile1Track(tiles->tileTracks[0]);
    terrain->setTile2Track(tiles->tileTracks[1]);
    terrain->setTile3Track(tiles->tileTracks[2]);
    terrain->setTile4Track(tiles->tileTracks[3]);
    terrain->setTile5Track(tiles->tileTracks[4]);
    terrain->setTile6Track(tiles->tileTracks[5]);
    terrain->setTile7Track(tiles->tileTracks[6]);
    terrain->setTile8Track(tiles->tileTracks[7]);
    terrain->setRoad1Track(tiles->roadTracks[0]);
    terrain->setRoad2Track(tiles->roadTracks[1]);
    terrain->setRoad3Track(tiles->roadTracks[2]);
    terrain->setRoad4Track(tiles->roadTracks[3]);
    terrain->setRoad5Track(tiles->roadTracks[4]);
    terrain->setRoad6Track(tiles->roadTracks[5]);
    terrain->setRoad7Track(tiles->roadTracks[6]);
    terrain->setRoad8Track(tiles->roadTracks[7]);

    SkyEffect* sky = skyInstance();
    terrain->setSky1Track(sky->sky1Track);
    terrain->setSky2Track(sky->sky2Track);
    terrain->setSkyMixTrack(sky->skyMixTrack);
    terrain->setSkyYTrack(sky->skyYTrack);

    lookBack = false;
    dragging = false;
    lookBackRows = 0.0f;
    dragAnchorX = 0;

    terrain->setMirrorFbo(getFBO("mirror"));
    terrain->setMirrorShader(getShader("mirror"));

    // Without every kind of scenery the start ends (the sprites file lacks a name).
    if (!terrain->defineSceneryKinds())
        return;
    terrain->generate();
}

int CubeTerrainEffect::dragRowsAt(int mouseX, int anchorX, float rows)
{
    const float v = static_cast<float>(mouseX - anchorX) * 0.25f + rows;
    if (v < 0.0f)
        return 0;
    if (v > 254.0f)
        return 254;
    return static_cast<int>(std::floor(v));
}

int CubeTerrainEffect::dragRows()
{
    int x = 0;
    int y = 0;
    glfw27::getMousePos(&x, &y);
    return dragRowsAt(x, dragAnchorX, lookBackRows);
}

void CubeTerrainEffect::draw(int timeMs, int, FBO* target)
{
    VLM_ASSERT(terrain != nullptr);
    const glm::mat4 camera = VLMPulsvek::syscam->getViewMatrix();
    const glm::mat4 projection = VLMPulsvek::screenSettings->getProjection()->getMatrix();
    const int rows = dragging && lookBack ? dragRows() : static_cast<int>(lookBackRows);
    const float position = positionTrack->getValue(static_cast<unsigned>(timeMs < 0 ? 0 : timeMs));
    terrain->draw(target, timeMs, position, camera, projection, lookBack, rows);
}
