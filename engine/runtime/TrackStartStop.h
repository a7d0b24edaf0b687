#pragma once
// Decides when an effect instance runs: alternating start and stop keys, the
// framebuffer named by each start key, and the instance's priority (-1 marks a
// track made up because the data had none).

#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/Track.h"

class FBO;

class TrackStartStop : public Track {
public:
    explicit TrackStartStop(int priority);
    ~TrackStartStop() override;

    // Target of the start key in force at row; null is the screen.
    FBO* getTarget(unsigned row) const;
    // Row of the start key of the interval start <= row < stop, else 0.
    unsigned getStartRowAt(unsigned row) const;

    int priority;
    bool enabled;
};
