#pragma once
// Key of a start/stop track: type 1 starts the effect, type 0 stops it. A start
// key names the framebuffer the effect draws into; a null target is the screen.

#include "engine/runtime/Keyframe.h"

#include <string>

class FBO;

class StartStopKeyframe : public Keyframe {
public:
    StartStopKeyframe() : targetName("screen"), target(nullptr) {}
    StartStopKeyframe(unsigned row, int type) : Keyframe(row, type, 0.0f), targetName("screen"), target(nullptr) {}

    std::string targetName;
    FBO* target;
};
