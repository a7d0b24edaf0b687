#pragma once
// Rain: two crossed stacks of alpha-blended full-screen planes around the
// viewer, in the engine camera's space scaled by 100. Each plane has a fixed
// random offset so that the planes do not move in step.

#include "engine/runtime/Effect.h"

class RainEffect : public Effect {
public:
    RainEffect();
    ~RainEffect() override;

    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    void createTracks() override;

    // Planes drawn per frame: 2 x (planeCount + 1).
    int planesPerFrame() const { return 2 * (static_cast<int>(planeCount) + 1); }

    // Set by the resource declaration.
    Texture* rainTexture = nullptr;
    Shader* rainShader = nullptr;

    unsigned int planeCount = 0;
    float planeDepth = 0.0f;
    TrackInterpolate* rainMove = nullptr;
    float* offsets = nullptr;
    int offsetIndex = 0;

protected:
    // One plane at planeDepth with the next offset.
    virtual void drawPlane();
};
