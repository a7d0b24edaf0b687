#pragma once
// Keys ordered by row, at most one per row; the track owns and deletes its keys.
// The start/stop operations read the key types as start (1) and stop (0).

#include "engine/runtime/Keyframe.h"

#include <map>
#include <vector>

class Track {
public:
    typedef std::map<unsigned, Keyframe*> KeyMap;

    static constexpr unsigned NO_ROW = 0xFFFFFFFFu;

    Track();
    virtual ~Track();
    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;

    // Whole start/stop intervals that touch from..to, in row order.
    virtual void getKeyframesInRange(unsigned from, unsigned to, std::vector<Keyframe*>& out);
    // Start and stop keys must alternate, beginning with a start; logs the first
    // key that breaks the pattern.
    virtual bool validate();

    // Active from a start key's row through its stop key's row. timeMs is unused.
    bool isActiveAt(int timeMs, unsigned row) const;
    bool isActiveAtRow(unsigned row) const;

    void getKeyframes(std::vector<Keyframe*>& out) const;
    // The track takes the key; a key already at that row is deleted.
    void addKeyframe(Keyframe* key);
    void addKeyframePair(Keyframe* start, Keyframe* stop);
    // A key already at toRow is deleted.
    void moveKeyframe(unsigned fromRow, unsigned toRow);
    // Deletes the start/stop interval at row (the keys of it that exist).
    void removeStartStopPair(unsigned row);

    bool hasStartAt(unsigned row) const;
    Keyframe* getKeyframe(unsigned row) const;
    bool hasKeyframe(unsigned row) const;
    bool isRangeFree(unsigned from, unsigned to) const;
    unsigned previousKeyRow(unsigned row) const;
    unsigned nextKeyRow(unsigned row) const;

    void setModified(bool value);
    bool isModified() const { return modified; }
    bool isUpToDate() const { return upToDate; }
    void setUpToDate() { upToDate = true; }

protected:
    static bool isStart(const Keyframe* key) { return key->type == 1; }
    static bool isStop(const Keyframe* key) { return key->type == 0; }
    // Removes the key at row from the map and deletes it.
    void eraseKey(KeyMap::iterator it);

    KeyMap keys;
    bool modified;
    bool upToDate;
};
