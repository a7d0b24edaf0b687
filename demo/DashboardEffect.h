#pragma once
// What the driver sees in front of the scene, chosen by "view_direction": the
// rear-view overlay, the cockpit (overlay, rear-view mirror, two speedometer
// needles, a scrolling text strip, volume meters) or the helmet visor.

#include "engine/runtime/Effect.h"

#include <glm/mat4x4.hpp>
#include <libnoise/noise.h>

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

    static constexpr int METERS = 8;
    // Fills the meter buffer (one byte per channel, three channels per meter):
    // srand(timeMs / 50), then one rand() per meter, scaled to 0..255.
    void fillMeters(int timeMs);
    // The level byte of one rand() result.
    static unsigned char meterLevel(int randomValue);

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
};
