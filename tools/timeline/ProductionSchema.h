#pragma once
// The effect instances of the show and the tracks each one reads, taken from
// the production itself: its prototypes (DemoResources::defineEffects) and the
// tracks their createTracks makes.

#include "tools/timeline/Timeline.h"

#include <string>
#include <vector>

// Instances whose class has no prototype are left out and named in missing.
TimelineSchema productionSchema(std::vector<std::string>* missing = nullptr);
