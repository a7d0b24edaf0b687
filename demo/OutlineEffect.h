#pragma once
// Outlines from the depth texture of a framebuffer, alpha-blended over whatever
// is bound. Without a depth source (or one without depth) or a shader it draws
// nothing and says so once.

#include "engine/runtime/Effect.h"

class OutlineEffect : public Effect {
public:
    OutlineEffect();
    ~OutlineEffect() override;

    void update(int timeMs) override;
    void draw(int timeMs, int deltaMs, FBO* target) override;
    void postDraw(int timeMs) override;
    void init() override;
    Effect* clone() override;
    void createTracks() override;

    FBO* depthSource = nullptr;
    Shader* outlineShader = nullptr;

private:
    bool reportedMissing = false;
};
