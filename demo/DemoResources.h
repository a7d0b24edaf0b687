#pragma once
// The show's resource set: music, object files, textures, shaders and
// framebuffers, the effect prototypes and the nine instances of the timeline.

#include "engine/runtime/ResourceDefinition.h"

#include <vector>

class DemoResources : public ResourceDefinition {
public:
    DemoResources() = default;
    ~DemoResources() override = default;

    // Near 0.1, far 500, the show from "00:00:00" to "99:00:00"; the window
    // keeps the size and mode it was given.
    void configure(ScreenSettings* settings) override;
    void defineResources() override;
    void defineEffects() override;
    void defineEffectInstances() override;

    struct Instance {
        const char* name;
        const char* className;
    };
    // The effect instances of the timeline, in the order they are created.
    static const std::vector<Instance>& instances();
};
