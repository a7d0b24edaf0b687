#include "demo/PostProcessEffect.h"

#include "demo/PostFilter.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/runtime/TrackInterpolate.h"
#include "util/Assert.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdint>

namespace {

struct Stop {
    int palette;
    std::uint8_t position;
    float r, g, b, a;
};

const Stop paletteStops[] = {
    {0, 0, 0.0937f, 0.0156f, 0.1171f, 1.0f},
    {0, 25, 0.3281f, 0.1093f, 0.4281f, 1.0f},
    {0, 240, 1.0f, 0.0f, 1.0f, 1.0f},
    {0, 255, 1.0f, 1.0f, 1.0f, 1.0f},
    {1, 0, 0.0234375f, 0.06640625f, 0.07421875f, 1.0f},
    {1, 24, 0.05078125f, 0.12109375f, 0.140625f, 1.0f},
    {1, 42, 0.546875f, 0.171875f, 0.03125f, 1.0f},
    {1, 96, 0.84765625f, 0.421875f, 0.05078125f, 1.0f},
    {1, 255, 0.9453125f, 0.796875f, 0.05859375f, 1.0f},
    {2, 0, 0.0f, 0.0f, 0.25f, 1.0f},
    {2, 127, 0.0f, 1.0f, 0.25f, 1.0f},
    {2, 255, 1.0f, 1.0f, 1.0f, 1.0f},
    {3, 0, 0.0f, 0.125f, 0.25f, 1.0f},
    {3, 63, 0.1f, 0.7f, 0.9f, 1.0f},
    {3, 191, 0.2f, 1.0f, 1.0f, 1.0f},
    {3, 255, 1.0f, 1.0f, 1.0f, 1.0f},
};

unsigned char channelByte(float value)
{
    // Truncated toward zero to 16 bits; the low byte is kept.
    const auto wide = static_cast<std::int16_t>(value * 255.0f);
    return static_cast<unsigned char>(wide & 0xFF);
}

}

PostProcessEffect::PostProcessEffect() = default;

PostProcessEffect::~PostProcessEffect()
{
    for (Texture*& p : palette) {
        delete p;
        p = nullptr;
    }
    delete[] paletteBuffer;
}

void PostProcessEffect::update(int) {}

void PostProcessEffect::postDraw(int) {}

Effect* PostProcessEffect::clone()
{
    return new PostProcessEffect();
}

void PostProcessEffect::createTracks()
{
    addTrack("beam_speed", beamSpeed);
    addTrack("rgb separation", rgbSeparation);
    addTrack("brightness", brightness);
    addTrack("contrast", contrast);
    addTrack("palette", paletteTrack);
    addTrack("palette_mix", paletteMix);
    addTrack("fade", fade);
    addTrack("fade_r", fadeR);
    addTrack("fade_g", fadeG);
    addTrack("fade_b", fadeB);
    addTrack("img_bright", imgBright);
    addTrack("img_contr", imgContr);
    addTrack("noise_strength", noiseStrength);
    addTrack("noise_offset", noiseOffset);
    addTrack("colgrade_toggle", colgradeToggle);
    addTrack("distort_amount", distortAmount);
}

void PostProcessEffect::init()
{
    VLM_ASSERT(gradient != nullptr);
    VLM_ASSERT(vignette != nullptr);
    gradient->setWrapAll(GL_CLAMP_TO_EDGE);
    vignette->setWrapAll(GL_CLAMP_TO_EDGE);

    for (Texture*& p : palette) {
        delete p;
        p = new Texture(GL_TEXTURE_1D, 0, GL_RGBA8, PALETTE_SIZE, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                        nullptr);
        p->setWrapAll(GL_CLAMP_TO_EDGE);
    }
    if (paletteBuffer == nullptr)
        paletteBuffer = new unsigned char[PALETTE_SIZE * 4];

    for (int i = 0; i < 4; ++i) {
        colourStops.clear();
        stopPositions.clear();
        for (const Stop& s : paletteStops) {
            if (s.palette != i)
                continue;
            colourStops.emplace_back(s.r, s.g, s.b, s.a);
            stopPositions.push_back(s.position);
        }
        buildPalette(palette[i]);
    }
}

void PostProcessEffect::fillPalette(const std::vector<glm::vec4>& stops,
                                    const std::vector<std::uint8_t>& positions, unsigned char* out)
{
    VLM_ASSERT(stops.size() >= 2 && stops.size() == positions.size());
    VLM_ASSERT(positions.front() == 0 && positions.back() == PALETTE_SIZE - 1);
    int o = 0;
    for (size_t k = 0; k + 1 < stops.size(); ++k) {
        VLM_ASSERT(positions[k] < positions[k + 1]);
        const int d = positions[k + 1] - positions[k];
        const float step = 1.0f / static_cast<float>(d + 1);
        for (int j = 0; j <= d; ++j) {
            const float x = static_cast<float>(j) * step;
            unsigned char* texel = out + (o + j) * 4;
            for (int c = 0; c < 4; ++c)
                texel[c] = channelByte(stops[k][c] + x * (stops[k + 1][c] - stops[k][c]));
        }
        o += d;
    }
}

void PostProcessEffect::buildPalette(Texture* target)
{
    VLM_ASSERT(target != nullptr && paletteBuffer != nullptr);
    fillPalette(colourStops, stopPositions, paletteBuffer);
    target->updateTexture(paletteBuffer);
}

int PostProcessEffect::palettePair(float value)
{
    if (!(value > 0.0f))  // zero, negative and NaN
        return 0;
    if (value <= 1.0f)
        return 1;
    if (value <= 2.0f)
        return 2;
    return 3;
}

void PostProcessEffect::draw(int timeMs, int, FBO* target)
{
    VLM_ASSERT(postShader != nullptr && glowShader != nullptr && brightContrastShader != nullptr);
    VLM_ASSERT(source != nullptr && glow1 != nullptr && glow2 != nullptr);
    VLM_ASSERT(palette[0] != nullptr);
    const auto t = static_cast<unsigned>(timeMs);

    glDisable(GL_DEPTH_TEST);
    PostFilter::brightness = brightness->getValue(t);
    PostFilter::contrast = contrast->getValue(t);

    PostFilter::brightContrast(brightContrastShader, source, glow1);
    PostFilter::blurHorizontal(glowShader, glow1, glow2);
    PostFilter::blurVertical(glowShader, glow2, glow1);
    markPass("postprocess: mipmaps and glow");

    if (target == source) {
        // The pass reads the source; it cannot also be written.
        if (!reportedSourceTarget) {
            vlm::logLine("PostProcessEffect: the target is the source framebuffer; drawing to the screen");
            reportedSourceTarget = true;
        }
        target = nullptr;
    }
    fboBind(target);
    fboMarkDirty(target);

    Geometry::screenQuad->bind(postShader);
    postShader->setTexture(0, "source", fboGetColorTexture(source, 0));
    postShader->setTexture(1, "vignett", vignette);
    postShader->setFloat("palette_mix", paletteMix->getValue(t));
    const int first = palettePair(paletteTrack->getValue(t));
    postShader->setTexture(2, "gradient", palette[first]);
    postShader->setTexture(3, "gradient2", palette[(first + 1) % 4]);
    postShader->setTexture(4, "glow", fboGetColorTexture(glow1, 0));
    postShader->setTexture(5, "noise", noise);
    postShader->setFloat("time", beamSpeed->getValue(t));
    postShader->setFloat("rgb_separation",
                         rgbSeparation->getValue(t) * (1.0f / static_cast<float>(fboGetWidth(source))));
    postShader->setFloat("fade_amount", fade->getValue(t));
    postShader->setFloat3("fade_color", fadeR->getValue(t), fadeG->getValue(t), fadeB->getValue(t));
    postShader->setFloat("img_bright", imgBright->getValue(t));
    postShader->setFloat("img_contr", imgContr->getValue(t));
    postShader->setFloat("noise_strength", noiseStrength->getValue(t));
    postShader->setFloat("noise_offset", noiseOffset->getValue(t));
    postShader->setFloat("colgrade_toggle", colgradeToggle->getValue(t));
    postShader->setFloat("distort_amount", distortAmount->getValue(t));
    Geometry::screenQuad->draw();
    glEnable(GL_DEPTH_TEST);
}
