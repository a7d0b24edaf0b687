#include "demo/ParameterEffects.h"

#include <string>

#define PARAMETER_EFFECT_BODY(Class)               \
    void Class::update(int) {}                     \
    void Class::draw(int, int, FBO*) {}            \
    void Class::postDraw(int) {}                   \
    void Class::init() {}                          \
    Effect* Class::clone() { return new Class(); }

PARAMETER_EFFECT_BODY(NoiseEffect)
PARAMETER_EFFECT_BODY(SkyEffect)
PARAMETER_EFFECT_BODY(SpriteEffect)
PARAMETER_EFFECT_BODY(TileEffect)

#undef PARAMETER_EFFECT_BODY

void NoiseEffect::createTracks()
{
    addTrack("water_height", waterHeightTrack);
    addTrack("tunell_height", tunellHeightTrack);
    addTrack("noise_type", noiseTypeTrack);
    addTrack("noise_freq", noiseFreqTrack);
    addTrack("noise_oct", noiseOctTrack);
    addTrack("noise_pers", noisePersTrack);
    addTrack("noise_displ", noiseDisplTrack);
    addTrack("noise_mult", noiseMultTrack);
    addTrack("noise_add", noiseAddTrack);
    for (int i = 0; i < 5; ++i)
        addTrack("spline_" + std::to_string(i + 1), splineTracks[i]);
}

void SkyEffect::createTracks()
{
    addTrack("sky1", sky1Track);
    addTrack("sky2", sky2Track);
    addTrack("sky_mix", skyMixTrack);
    addTrack("sky_y", skyYTrack);
}

void SpriteEffect::createTracks()
{
    addTrack("r_scale", rScaleTrack);
    addTrack("r_sprite", rSpriteTrack);
    addTrack("r_frequency", rFrequencyTrack);
    addTrack("s_scale", sScaleTrack);
    addTrack("s_frequency", sFrequencyTrack);
    addTrack("s_sprite", sSpriteTrack);
    addTrack("s_pos1", sPos1Track);
    addTrack("s_pos2", sPos2Track);
}

void TileEffect::createTracks()
{
    for (int i = 0; i < 8; ++i)
        addTrack("tile" + std::to_string(i + 1), tileTracks[i]);
    for (int i = 0; i < 8; ++i)
        addTrack("road" + std::to_string(i + 1), roadTracks[i]);
}
