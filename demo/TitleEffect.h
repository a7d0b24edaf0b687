#pragma once
// The title cards: one full-screen pass that combines a background picture and
// a text picture, each chosen by an index track and moved and zoomed by tracks.
// Background indices 3 and 4 use the rendered scene ("offscreen"); the pass then
// goes into "offscreen2" and is copied into the target.

#include "engine/runtime/Effect.h"

class TitleEffect : public Effect {
public:
    TitleEffect();
    ~TitleEffect() override;

    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    void createTracks() override;

    // 0..2 for the pictures, 3 for the scene, -1 for none.
    static int backgroundChoice(float index);
    // 0..4 for the pictures, -1 for none.
    static int textChoice(float index);

    // Set by the resource declaration.
    Texture* background[3] = {nullptr, nullptr, nullptr};
    Texture* text[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};
    Shader* titleShader = nullptr;
    FBO* offscreen = nullptr;
    FBO* offscreen2 = nullptr;

    TrackInterpolate* backgroundIndex = nullptr;
    TrackInterpolate* textIndex = nullptr;
    TrackInterpolate* bgxpos = nullptr;
    TrackInterpolate* bgypos = nullptr;
    TrackInterpolate* bgzoom = nullptr;
    TrackInterpolate* fgxpos = nullptr;
    TrackInterpolate* fgypos = nullptr;
    TrackInterpolate* fgzoom = nullptr;

    // 1 x 1 transparent picture bound where no picture is chosen; made by init.
    Texture* blank = nullptr;
};
