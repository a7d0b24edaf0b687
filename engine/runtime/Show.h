#pragma once
// The show from start to end, the same for every program that runs one: the
// Demo, the progress bar, the production's shader cache and declarations, the
// start-up, the input callbacks, the frame loop and the shutdown.

#include <functional>
#include <string>

class ResourceDefinition;
class ScreenSettings;
class ShaderCache;

struct ShowParts {
    // The production's declarations and its shader cache, made after the Demo
    // and handed to the engine; deleted once the Demo is gone. Without a
    // shader cache the loader makes a plain one.
    std::function<ResourceDefinition*()> makeResources;
    std::function<ShaderCache*()> makeShaderCache;
    // The window's title; empty keeps the Demo's own.
    std::string title;
    // Optional: after the start-up, with whether it succeeded, before the
    // input callbacks are set.
    std::function<void(bool started)> afterStart;
    // Optional: after the frame loop, before the shutdown; false fails the run.
    std::function<bool()> afterRun;
};

// Runs the show with the settings (which must outlive it) from the resource
// mode's source; argc and argv go to the Demo. True when the show started and
// every hook agreed.
bool runShow(int argc, char** argv, ScreenSettings& settings, int resourceMode, const ShowParts& parts);
