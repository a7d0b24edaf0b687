#pragma once
// One effect instance on the timeline: its start/stop track, its parameter
// tracks and the effect. The entry owns its start/stop track only; the
// parameter tracks belong to the effect and the effect to the instance pool.

#include <map>
#include <string>
#include <vector>

class Effect;
class TrackInterpolate;
class TrackStartStop;

class TrackEntry {
public:
    explicit TrackEntry(const std::string& name);
    ~TrackEntry();
    TrackEntry(const TrackEntry&) = delete;
    TrackEntry& operator=(const TrackEntry&) = delete;

    // The entry takes the track; a different track set before is deleted.
    void setStartStop(TrackStartStop* track);
    TrackStartStop* getStartStop() const { return startStop; }

    void setEffect(Effect* instance) { effect = instance; }
    Effect* getEffect() const { return effect; }

    void addTrack(TrackInterpolate* track);
    TrackInterpolate* getTrack(const std::string& trackName) const;
    // The old track is not deleted; the caller keeps ownership of both.
    void replaceTrack(const std::string& trackName, TrackInterpolate* newTrack);
    TrackInterpolate* getTrackAt(int index) const { return tracks[index]; }
    int getTrackCount() const { return static_cast<int>(tracks.size()); }
    const std::string& getName() const { return name; }

    // False without a start/stop track.
    bool isActiveAt(int timeMs, int row) const;
    // Milliseconds since the running start/stop interval began.
    unsigned getLocalTimeMs(int row, unsigned timeMs) const;

    bool isModified() const;
    void setModified(bool value);
    bool isUpToDate() const;
    void setUpToDate();

private:
    TrackStartStop* startStop;
    std::map<std::string, TrackInterpolate*> tracksByName;
    std::vector<TrackInterpolate*> tracks;
    std::string name;
    Effect* effect;
};
