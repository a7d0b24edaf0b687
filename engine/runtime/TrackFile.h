#pragma once
// The track data on disk. The show reads the archive form: "index.list" (record
// names and offsets) and "track.data" (the records, concatenated). Tools also
// use the folder form (one ".track" file per record) and "track.properties"
// (an enabled flag per instance). Numbers are 32-bit little-endian, strings
// end with a zero byte.
//
// Start/stop record "N.track": priority, n, n x {row, type, target name if type 1}.
// Value record "N.T.track": n, n x {row, type, value}.

#include <functional>
#include <string>
#include <vector>

class Effect;
class File;
class TrackInterpolate;
class TrackManager;
class TrackStartStop;

class TrackFile {
public:
    explicit TrackFile(const std::string& folder);
    ~TrackFile();
    TrackFile(const TrackFile&) = delete;
    TrackFile& operator=(const TrackFile&) = delete;

    // A new manager with one entry per name (effects[k] for names[k]); records
    // missing from the data become dummies. Null when "index.list" or
    // "track.data" cannot be read whole: a file missing or ending early, an
    // entry outside the data, a record that does not fit, or none of the
    // names' records in the index.
    TrackManager* loadFromIndex(const std::vector<std::string>& names, const std::vector<Effect*>& effects);
    // The same from one file per record; an unreadable file is a missing
    // record, and a record that does not fit becomes a dummy.
    TrackManager* loadFromFolder(const std::vector<std::string>& names, const std::vector<Effect*>& effects);

    // One record at the file's read position; null when it does not fit in the file.
    TrackStartStop* readStartStopTrack(File* file, const std::string& instanceName);
    // Adds the record's keys to track; false, adding nothing, when it does not fit.
    bool readTrack(File* file, const std::string& instanceName, TrackInterpolate* track);

    // Append one record to the file's buffer, keys in row order.
    static void writeStartStopTrack(File* file, TrackStartStop* track);
    static void writeTrack(File* file, TrackInterpolate* track);

    // False when a file could not be written.
    bool saveIndex(TrackManager* manager);
    bool saveToFolder(TrackManager* manager);

    // "track.properties" against VLMPulsvek::tracks.
    void loadProperties();
    bool saveProperties();

    void setVerbose(bool v) { verbose = v; }
    // The file the last load could not read; empty after a load that read both.
    const std::string& getMissingFile() const { return missingFile; }
    // What was wrong with that file; empty when it was missing.
    const std::string& getProblem() const { return problem; }

private:
    // Gives the file positioned at the named record, or null when there is none.
    using RecordSource = std::function<File*(const std::string& recordName)>;

    // With wholeRecords a record that does not fit fails the build (null,
    // problem set) instead of becoming a dummy.
    TrackManager* build(const std::vector<std::string>& names, const std::vector<Effect*>& effects,
                        const RecordSource& source, bool wholeRecords);
    bool fail(const std::string& file, const std::string& what);

    std::string folder;
    bool verbose;
    std::string missingFile;
    std::string problem;
    // Records the last build found.
    int recordsFound = 0;
};
