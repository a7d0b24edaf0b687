#pragma once
// The timeline: one entry per effect instance, run every frame in ascending
// priority. The manager owns its entries.

#include "engine/runtime/Rows.h"

#include <map>
#include <string>
#include <vector>

class Track;
class TrackEntry;

class TrackManager {
public:
    TrackManager();
    ~TrackManager();
    TrackManager(const TrackManager&) = delete;
    TrackManager& operator=(const TrackManager&) = delete;

    // Updates every effect active at row, then draws each into its target,
    // then post-draws each, in ascending priority.
    void run(int timeMs, int row, int deltaMs);

    // Takes the entry; an entry of the same name added before is deleted.
    void addEntry(TrackEntry* entry);
    TrackEntry* getEntry(const std::string& name) const;
    // Rebuilds the priority list from every entry (name order, then by priority).
    void buildEntryList();
    void sortByPriority();
    void renumberPriorities();
    void swapEntries(int i, int j);
    bool validate();
    bool prepare();
    void printPriorities() const;

    TrackEntry* getEntryAt(int index) const;
    int getEntryCount() const { return static_cast<int>(entries.size()); }
    TrackEntry* getEntryByNameIndex(int index) const;
    int getNameEntryCount() const { return static_cast<int>(entriesByName.size()); }
    // Start/stop tracks plus parameter tracks of every entry.
    int getTotalTrackCount() const;
    bool isEffectActive(const std::string& name) const;

    int getRowsPerSecond() const { return rowsPerSecond; }
    void setRowsPerSecond(int value);

    bool isModified() const;
    void setModified(bool value);
    bool isUpToDate() const;
    void setUpToDate();

    // Fills the track with 1000 alternating start/stop keys at random gaps of 1 to 10 rows.
    static void makeRandomTestTrack(Track* track);

private:
    std::map<std::string, TrackEntry*> entriesByName;
    std::vector<TrackEntry*> entries;
    // Entries active in the last run, in priority order (kept allocation-free
    // per frame; isEffectActive searches it by name).
    std::vector<TrackEntry*> active;
    int rowsPerSecond;
};

namespace VLMPulsvek {
extern TrackManager* tracks;
// Rows per second of the tracks: those of VLMPulsvek::tracks, or ROWS_PER_SECOND without a manager.
int rowsPerSecond();
}
