#pragma once
// Effects that draw nothing and only carry keyframe tracks; the terrain effect
// reads them by instance name ("distort", "sky", "sprites", "tiles") and hands
// the tracks to the renderer and the terrain generator.

#include "engine/runtime/Effect.h"

// Instance "distort": the terrain generator's noise, water, tunnel and profile tracks.
class NoiseEffect : public Effect {
public:
    NoiseEffect() = default;
    ~NoiseEffect() override = default;
    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    // "water_height", "tunell_height", "noise_type", "noise_freq", "noise_oct",
    // "noise_pers", "noise_displ", "noise_mult", "noise_add", "spline_1" .. "spline_5".
    void createTracks() override;

    TrackInterpolate* waterHeightTrack = nullptr;
    TrackInterpolate* tunellHeightTrack = nullptr;
    TrackInterpolate* noiseTypeTrack = nullptr;
    TrackInterpolate* noiseFreqTrack = nullptr;
    TrackInterpolate* noiseOctTrack = nullptr;
    TrackInterpolate* noisePersTrack = nullptr;
    TrackInterpolate* noiseDisplTrack = nullptr;
    TrackInterpolate* noiseMultTrack = nullptr;
    TrackInterpolate* noiseAddTrack = nullptr;
    TrackInterpolate* splineTracks[5] = {};
};

// Instance "sky": which two cube maps are blended, by how much, and the sky's height.
class SkyEffect : public Effect {
public:
    SkyEffect() = default;
    ~SkyEffect() override = default;
    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    // "sky1", "sky2", "sky_mix", "sky_y".
    void createTracks() override;

    TrackInterpolate* sky1Track = nullptr;
    TrackInterpolate* sky2Track = nullptr;
    TrackInterpolate* skyMixTrack = nullptr;
    TrackInterpolate* skyYTrack = nullptr;
};

// Instance "sprites": sizes for the renderer, kinds, frequencies and positions
// for the generator.
class SpriteEffect : public Effect {
public:
    SpriteEffect() = default;
    ~SpriteEffect() override = default;
    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    // "r_scale", "r_sprite", "r_frequency", "s_scale", "s_frequency", "s_sprite",
    // "s_pos1", "s_pos2".
    void createTracks() override;

    TrackInterpolate* rScaleTrack = nullptr;
    TrackInterpolate* rSpriteTrack = nullptr;
    TrackInterpolate* rFrequencyTrack = nullptr;
    TrackInterpolate* sScaleTrack = nullptr;
    TrackInterpolate* sFrequencyTrack = nullptr;
    TrackInterpolate* sSpriteTrack = nullptr;
    TrackInterpolate* sPos1Track = nullptr;
    TrackInterpolate* sPos2Track = nullptr;
};

// Instance "tiles": terrain tiles per 16-column band and road tiles per road column.
class TileEffect : public Effect {
public:
    TileEffect() = default;
    ~TileEffect() override = default;
    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    // "tile1" .. "tile8", then "road1" .. "road8".
    void createTracks() override;

    TrackInterpolate* tileTracks[8] = {};
    TrackInterpolate* roadTracks[8] = {};
};
