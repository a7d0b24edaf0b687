#pragma once
// A key of a track: a row and a type. Value tracks use the value and read the
// type as the interpolation (0 linear, 1 cosine ease-out, 2 cosine ease-in,
// 3 step, 4 quadratic, anything else linear); start/stop tracks hold
// StartStopKeyframe keys, whose type is 1 (start) or 0 (stop).
// Tracks hold both kinds as Keyframe pointers and delete them.

class Keyframe {
public:
    Keyframe() : row(0), value(0.0f), type(0) {}
    Keyframe(unsigned row, int type, float value) : row(row), value(value), type(type) {}
    virtual ~Keyframe() = default;

    unsigned row;
    float value;
    int type;
};
