#pragma once
// What the driver sees in front of the scene, chosen by "view_direction": the
// rear-view overlay, the cockpit (overlay, rear-view mirror, two speedometer
// needles, a scrolling text strip, volume meters) or the helmet visor.

#include "demo/VisorRegion.h"
#include "engine/runtime/Effect.h"

#include <glm/mat4x4.hpp>
#include <libnoise/noise.h>

#include <random>

class DashboardEffect : public Effect {
public:
    DashboardEffect();
    ~DashboardEffect() override;

    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    void createTracks() override;

    enum class View { None, Rear, Front, Helmet };
    // v < 0 rear, 0 < v <= 1 front, 1 < v <= 2 helmet, otherwise none.
    static View chooseView(float viewDirection);
    // Needle placement for a Perlin value: angle = value x 15 + base degrees.
    static glm::mat4 needleMatrix(float x, float baseDegrees, float noiseValue);

    // True when this frame's update chose the cockpit, the only view that
    // shows the rear-view mirror (false on a frame the dashboard does not run).
    bool showsMirror() const;
    // The part of target that this frame's view reads, when that is less
    // than all of it: in the helmet view, what the visor shows of the scene
    // in "offscreen". Null otherwise (and on a frame the dashboard does not run).
    const visor::Rect* sceneRead(const FBO* target) const;
    // The "dashboard" instance, or null.
    static DashboardEffect* find();

    static constexpr int METERS = 8;
    // Fills the meter buffer (one byte per channel, three channels per meter)
    // from a generator of the effect's own, seeded with timeMs / 50.
    void fillMeters(int timeMs);

    // Set by the resource declaration.
    Texture* rearViewOverlay = nullptr;
    Texture* frontViewOverlay = nullptr;
    Texture* speedometerArrow = nullptr;
    Texture* mirrorMask = nullptr;
    Texture* scroller = nullptr;
    Texture* helmet = nullptr;
    Texture* helmetMask = nullptr;

    Texture* meterTexture = nullptr;
    unsigned char* meterBuffer = nullptr;

    // Set by the resource declaration.
    Shader* dashboardShader = nullptr;
    Shader* copyShader = nullptr;
    Shader* helmetShader = nullptr;
    FBO* mirror = nullptr;
    FBO* offscreen = nullptr;
    FBO* offscreen2 = nullptr;
    Shader* speedometerShader = nullptr;
    Shader* scrollerShader = nullptr;
    Shader* meterShader = nullptr;

    noise::module::Perlin noise;

    TrackInterpolate* viewDirection = nullptr;
    TrackInterpolate* speedo = nullptr;
    TrackInterpolate* speedo2 = nullptr;
    TrackInterpolate* scroll = nullptr;

private:
    void drawRearView(FBO* target);
    void drawFrontView(unsigned t, FBO* target);
    void drawHelmetView(FBO* target);
    // Finds what the helmet view reads of "offscreen" from the visor mask.
    void findHelmetRegion();

    std::mt19937 meterRandom;
    // The view this frame's update chose, and that frame.
    View frameView = View::None;
    unsigned int viewFrame = 0;
    // Empty when the helmet view reads all of the scene.
    visor::Rect helmetRegion;
};
