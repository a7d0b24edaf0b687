#pragma once
// The full-screen grading pass: a glow chain through PostFilter, then one pass
// with four generated 256-texel palettes, vignette, noise, RGB separation,
// image brightness and contrast, a colour fade and a distortion.

#include "engine/runtime/Effect.h"

#include <glm/vec4.hpp>

#include <cstdint>
#include <vector>

class PostProcessEffect : public Effect {
public:
    PostProcessEffect();
    ~PostProcessEffect() override;

    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    void createTracks() override;

    // Fills the palette buffer from the current stops and uploads it.
    void buildPalette(Texture* palette);

    // 256 RGBA texels from stops at ascending positions (first 0, last 255):
    // each segment of d texels steps by 1 / (d + 1) and the next segment starts
    // on its last texel.
    static void fillPalette(const std::vector<glm::vec4>& stops,
                            const std::vector<std::uint8_t>& positions, unsigned char* out);
    // The first palette of the pair for a "palette" value; the second is the
    // next one, wrapping from 3 to 0. Values outside 0..3 are clamped, NaN is 0.
    static int palettePair(float value);

    static constexpr int PALETTE_SIZE = 256;

    unsigned char* paletteBuffer = nullptr;
    Texture* palette[4] = {nullptr, nullptr, nullptr, nullptr};
    std::vector<glm::vec4> colourStops;
    std::vector<std::uint8_t> stopPositions;

    // Set by the resource declaration.
    Texture* vignette = nullptr;
    Texture* gradient = nullptr;
    Texture* shadowMask = nullptr;
    Texture* noise = nullptr;
    Texture* rearViewOverlay = nullptr;
    Shader* postShader = nullptr;
    FBO* source = nullptr;

    TrackInterpolate* beamSpeed = nullptr;
    TrackInterpolate* rgbSeparation = nullptr;
    TrackInterpolate* brightness = nullptr;
    TrackInterpolate* contrast = nullptr;
    TrackInterpolate* paletteTrack = nullptr;
    TrackInterpolate* paletteMix = nullptr;
    TrackInterpolate* fade = nullptr;
    TrackInterpolate* fadeR = nullptr;
    TrackInterpolate* fadeG = nullptr;
    TrackInterpolate* fadeB = nullptr;
    TrackInterpolate* imgBright = nullptr;
    TrackInterpolate* imgContr = nullptr;
    TrackInterpolate* noiseStrength = nullptr;
    TrackInterpolate* noiseOffset = nullptr;
    TrackInterpolate* colgradeToggle = nullptr;
    TrackInterpolate* distortAmount = nullptr;

    // Set by the resource declaration.
    Shader* glowShader = nullptr;
    Shader* brightContrastShader = nullptr;
    FBO* glow1 = nullptr;
    FBO* glow2 = nullptr;

private:
    bool reportedSourceTarget = false;
};
