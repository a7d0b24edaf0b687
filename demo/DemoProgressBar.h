#pragma once
// A loading bar of the show's own: two speedometer pictures read from the
// graphics folder on disk and the programs "Progress" and "progressbar_bg".
// It draws nothing, so the screen stays as it is while loading.

#include "engine/render/Projection.h"
#include "engine/runtime/ProgressBar.h"

class Shader;
class Texture;

class DemoProgressBar : public ProgressBar {
public:
    DemoProgressBar() = default;
    ~DemoProgressBar() override;

    void draw() override;
    // A missing picture leaves its pointer null; a shader that does not build
    // is dropped. Either way the bar lists the six files it read.
    void init() override;

    Texture* getSpeedometer(int i) const { return speedometer[i]; }
    Shader* getBackgroundShader() const { return background; }
    Shader* getShader() const { return shader; }

private:
    Texture* speedometer[2] = {nullptr, nullptr};
    Projection projection;
    Shader* background = nullptr;
};
