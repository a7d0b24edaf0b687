#pragma once
// The engine tests' own small production: two shaders (one with an include
// and a define), a texture under two aliases, a framebuffer, the music and
// three effect instances. "color" fills the framebuffer "offscreen" with a
// colour from its "red" and "green" tracks; "blit" copies the framebuffer to
// the screen through the texture and logs the colour at the centre of the
// screen whenever it changes ("screen r g b"); "idle" has no track data.

#include "engine/runtime/ResourceDefinition.h"

#include <string>

class TestProduction : public ResourceDefinition {
public:
    // endTime as minutes:seconds:milliseconds.
    explicit TestProduction(const std::string& endTime = "00:01:000");

    // Keeps the size and window mode it is given.
    void configure(ScreenSettings* settings) override;
    void defineResources() override;
    void defineEffects() override;
    void defineEffectInstances() override;

private:
    std::string endTime;
};

// Writes the production's "index.list" and "track.data" into folder: "color"
// (priority 0) into "offscreen" and "blit" (priority 1) to the screen, both
// from row 0 to row 1000; red 1 then 0 from row 10 on, green 0 then 1.
// brokenBlit gives "blit" a second start key in place of its stop key.
bool writeTestTracks(const std::string& folder, bool brokenBlit = false);
