#pragma once
// The drive on the timeline: builds the cube-terrain renderer on its first
// initialisation, wires it to its resources and to the tracks of the parameter
// effects "sprites", "distort", "tiles" and "sky", generates the landscape and
// then draws one frame of it per call into the target (null: the screen).

#include "engine/runtime/Effect.h"

class CubeTerrain;
class NoiseEffect;
class SkyEffect;
class SpriteEffect;
class TileEffect;

class CubeTerrainEffect : public Effect {
public:
    CubeTerrainEffect() = default;
    // The renderer lives on until the process ends.
    ~CubeTerrainEffect() override = default;

    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    // "position", "turn", "hill", "carpos", "carx", "cam_mode", "xpos", "ypos",
    // "zpos", "xrot", "yrot", "zrot".
    void createTracks() override;

    // The look-back distance from the mouse while dragging.
    int dragRows();
    // Rows for a mouse at x with the drag anchored at anchorX: 0 .. 254.
    static int dragRowsAt(int mouseX, int anchorX, float lookBackRows);

    // The parameter instances by name; a missing one or one of another class
    // stops the program with an assertion.
    static SpriteEffect* spritesInstance();
    static NoiseEffect* distortInstance();
    static TileEffect* tilesInstance();
    static SkyEffect* skyInstance();

    CubeTerrain* getTerrain() const { return terrain; }
    bool isLookBack() const { return lookBack; }
    bool isDragging() const { return dragging; }
    float getLookBackRows() const { return lookBackRows; }
    int getDragAnchorX() const { return dragAnchorX; }

    Texture* tileTextures = nullptr;
    CubeTerrain* terrain = nullptr;
    TrackInterpolate* positionTrack = nullptr;
    TrackInterpolate* turnTrack = nullptr;
    TrackInterpolate* hillTrack = nullptr;
    TrackInterpolate* carPosTrack = nullptr;
    TrackInterpolate* carXTrack = nullptr;
    TrackInterpolate* camModeTrack = nullptr;
    TrackInterpolate* xposTrack = nullptr;
    TrackInterpolate* yposTrack = nullptr;
    TrackInterpolate* zposTrack = nullptr;
    TrackInterpolate* xrotTrack = nullptr;
    TrackInterpolate* yrotTrack = nullptr;
    TrackInterpolate* zrotTrack = nullptr;

private:
    bool lookBack = false;
    bool dragging = false;
    float lookBackRows = 0.0f;
    int dragAnchorX = 0;
};
