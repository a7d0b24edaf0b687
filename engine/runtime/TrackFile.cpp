#include "engine/runtime/TrackFile.h"

#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"
#include "engine/runtime/VLMIO.h"
#include "util/Assert.h"
#include "util/File.h"
#include "util/Log.h"

#include <cstdint>
#include <map>
#include <memory>

namespace {

// Reads one record through the byte file and notices when the record does
// not fit in what is left of it (the file's own overrun mark is sticky, so
// it cannot tell one record from the next).
class RecordReader {
public:
    explicit RecordReader(File& file) : file(file) {}

    bool fits() const { return ok; }

    // True when count items of itemSize bytes can still follow.
    bool has(int64_t count, int64_t itemSize)
    {
        if (ok && (count < 0 || count * itemSize > left()))
            ok = false;
        return ok;
    }
    int readInt() { return has(1, 4) ? file.readInt() : 0; }
    unsigned readUInt() { return static_cast<unsigned>(readInt()); }
    float readFloat() { return has(1, 4) ? file.readFloat() : 0.0f; }
    std::string readString()
    {
        if (!has(1, 1))
            return std::string();
        const int before = file.getPosition();
        std::string text = file.readString();
        const size_t used = static_cast<size_t>(file.getPosition() - before);
        // Terminated inside the data: the text and its zero byte, or a lone
        // zero byte, which reads as "Object".
        if (used != text.size() + 1 && !(used == 1 && text == "Object"))
            ok = false;
        return text;
    }

private:
    int64_t left() const
    {
        const int64_t position = file.getPosition();
        const int64_t size = file.getSize();
        return position < 0 || position > size ? 0 : size - position;
    }

    File& file;
    bool ok = true;
};

FBO* framebufferNamed(const std::string& name)
{
    DataFBOPool* pool = VLMPulsvek::fboDataPool;
    return pool && pool->contains(name) ? pool->getFBO(name) : nullptr;
}

void appendName(File& file, const std::string& name)
{
    file.appendString(name);
    file.appendByte(0);
}

}

TrackFile::TrackFile(const std::string& folder) : folder(folder), verbose(false) {}

TrackFile::~TrackFile() = default;

TrackStartStop* TrackFile::readStartStopTrack(File* file, const std::string& instanceName)
{
    RecordReader in(*file);
    const int priority = in.readInt();
    if (!in.fits())
        return nullptr;
    vlm::logLine("Loading '", instanceName, ".track' (", priority, ")");

    const int n = in.readInt();
    // Every key is at least a row and a type.
    if (!in.has(n, 8))
        return nullptr;
    std::unique_ptr<TrackStartStop> track(new TrackStartStop(priority));
    for (int i = 0; i < n; ++i) {
        const unsigned row = in.readUInt();
        const int type = in.readInt();
        std::string name;
        if (type == 1) {
            name = in.readString();
            if (verbose)
                vlm::logLine("Raw string = '", name, "'");
        }
        if (!in.fits())
            return nullptr;
        StartStopKeyframe* key = new StartStopKeyframe(row, type);
        if (type == 1) {
            key->target = framebufferNamed(name);
            key->targetName = key->target ? name : "screen";
        }
        track->addKeyframe(key);
        if (verbose)
            vlm::logLine("keyframe ", row, " : ", type, ", ", name);
    }
    return track.release();
}

bool TrackFile::readTrack(File* file, const std::string& instanceName, TrackInterpolate* track)
{
    vlm::logLine("Loading '", instanceName, ".", track->getName(), "'");
    RecordReader in(*file);
    const int n = in.readInt();
    if (!in.fits())
        return false;
    if (n == 0)
        return true;
    if (!in.has(n, 12))
        return false;
    for (int i = 0; i < n; ++i) {
        const unsigned row = in.readUInt();
        const int type = in.readInt();
        const float value = in.readFloat();
        track->addKeyframe(new Keyframe(row, type, value));
        if (verbose)
            vlm::logLine("keyframe ", row, " : ", type, ", ", value);
    }
    return true;
}

void TrackFile::writeStartStopTrack(File* file, TrackStartStop* track)
{
    std::vector<Keyframe*> keys;
    if (track)
        track->getKeyframes(keys);
    file->appendInt(track ? track->priority : -1);
    file->appendInt(static_cast<int>(keys.size()));
    for (const Keyframe* key : keys) {
        file->appendUInt(key->row);
        file->appendInt(key->type);
        if (key->type == 1) {
            const StartStopKeyframe* start = dynamic_cast<const StartStopKeyframe*>(key);
            appendName(*file, start ? start->targetName : std::string());
        }
    }
}

void TrackFile::writeTrack(File* file, TrackInterpolate* track)
{
    std::vector<Keyframe*> keys;
    track->getKeyframes(keys);
    file->appendInt(static_cast<int>(keys.size()));
    for (const Keyframe* key : keys) {
        file->appendUInt(key->row);
        file->appendInt(key->type);
        file->appendFloat(key->value);
    }
}

bool TrackFile::fail(const std::string& file, const std::string& what)
{
    missingFile = folder + file;
    problem = what;
    return false;
}

TrackManager* TrackFile::build(const std::vector<std::string>& names, const std::vector<Effect*>& effects,
                               const RecordSource& source, bool wholeRecords)
{
    VLM_ASSERT(names.size() == effects.size());
    recordsFound = 0;
    std::unique_ptr<TrackManager> manager(new TrackManager());
    for (size_t k = 0; k < names.size(); ++k) {
        const std::string& name = names[k];
        Effect* effect = effects[k];
        TrackEntry* entry = new TrackEntry(name);
        entry->setEffect(effect);
        manager->addEntry(entry);

        TrackStartStop* startStop = nullptr;
        if (File* file = source(name + ".track")) {
            ++recordsFound;
            startStop = readStartStopTrack(file, name);
            if (!startStop && wholeRecords) {
                vlm::logLine("Track '", name, "' does not fit in the track data.");
                fail("track.data", "Track '" + name + "' does not fit in the track data");
                return nullptr;
            }
            if (!startStop)
                vlm::logLine("Track '", name, "' does not fit in the track data. Creating dummy.");
        } else if (verbose) {
            vlm::logLine("Track '", name, "' do not exit. Creating dummy.");
        }
        entry->setStartStop(startStop ? startStop : new TrackStartStop(-1));

        const int trackCount = effect ? effect->getTrackCount() : 0;
        for (int t = 0; t < trackCount; ++t) {
            TrackInterpolate* track = effect->getTrack(t);
            const std::string recordName = name + "." + track->getName() + ".track";
            if (File* file = source(recordName)) {
                ++recordsFound;
                const bool fits = readTrack(file, name, track);
                if (!fits && wholeRecords) {
                    vlm::logLine("-> '", recordName, "' does not fit in the track data.");
                    fail("track.data", "Track '" + name + "." + track->getName() + "' does not fit in the track data");
                    return nullptr;
                }
                if (!fits)
                    vlm::logLine("-> '", recordName, "' does not fit in the track data. Keeping dummy.");
            } else if (verbose) {
                vlm::logLine("-> '", recordName, "' do not exit. Keeping dummy.");
            }
            entry->addTrack(track);
        }
    }
    manager->buildEntryList();
    manager->renumberPriorities();
    manager->setModified(false);
    manager->setUpToDate();
    return manager.release();
}

TrackManager* TrackFile::loadFromIndex(const std::vector<std::string>& names, const std::vector<Effect*>& effects)
{
    missingFile.clear();
    problem.clear();
    std::unique_ptr<File> index(VLMIO::loadFile(folder + "index.list"));
    std::unique_ptr<File> data(VLMIO::loadFile(folder + "track.data"));
    if (!index || !index->isOpen())
        missingFile = folder + "index.list";
    else if (!data || !data->isOpen())
        missingFile = folder + "track.data";
    if (!missingFile.empty())
        return nullptr;

    std::map<std::string, int> offsets;
    RecordReader in(*index);
    const int count = in.readInt();
    int entries = 0;
    for (; entries < count && in.fits(); ++entries) {
        const std::string name = in.readString();
        const int offset = in.readInt();
        if (!in.fits())
            break;
        // An offset at the very end is an empty record, which does not fit either.
        if (offset < 0 || offset >= data->getSize()) {
            fail("track.data", "Entry '" + name + "' of index.list points to byte " + std::to_string(offset) +
                                   " of " + std::to_string(data->getSize()));
            vlm::logLine(problem);
            return nullptr;
        }
        offsets[name] = offset;
    }
    if (!in.fits() || count < 0) {
        const std::string line = "index.list ends inside entry " + std::to_string(entries) + " of " +
                                 std::to_string(count);
        vlm::logLine(line);
        fail("index.list", line);
        return nullptr;
    }

    TrackManager* manager = build(
        names, effects,
        [&](const std::string& recordName) -> File* {
            auto it = offsets.find(recordName);
            if (it == offsets.end())
                return nullptr;
            data->setPosition(it->second);
            return data.get();
        },
        true);
    if (manager && recordsFound == 0 && !names.empty()) {
        delete manager;
        fail("index.list", "None of the " + std::to_string(names.size()) + " effects' tracks is in index.list");
        vlm::logLine(problem);
        return nullptr;
    }
    return manager;
}

TrackManager* TrackFile::loadFromFolder(const std::vector<std::string>& names, const std::vector<Effect*>& effects)
{
    std::unique_ptr<File> current;
    return build(names, effects, [&](const std::string& recordName) -> File* {
        current.reset(new File(folder + "/" + recordName, 0));
        return current->isOpen() ? current.get() : nullptr;
    }, false);
}

bool TrackFile::saveIndex(TrackManager* manager)
{
    File index(folder + "/index.list", 2);
    File data(folder + "/track.data", 2);
    if (!index.isOpen() || !data.isOpen())
        return false;
    index.appendInt(manager->getTotalTrackCount());
    for (int i = 0; i < manager->getNameEntryCount(); ++i) {
        TrackEntry* entry = manager->getEntryByNameIndex(i);
        const std::string name = entry->getName();
        appendName(index, name + ".track");
        index.appendInt(data.getLength());
        writeStartStopTrack(&data, entry->getStartStop());
        for (int t = 0; t < entry->getTrackCount(); ++t) {
            TrackInterpolate* track = entry->getTrackAt(t);
            appendName(index, name + "." + track->getName() + ".track");
            index.appendInt(data.getLength());
            writeTrack(&data, track);
        }
    }
    const bool saved = index.save() && data.save();
    manager->setUpToDate();
    return saved;
}

bool TrackFile::saveToFolder(TrackManager* manager)
{
    bool saved = true;
    for (int i = 0; i < manager->getNameEntryCount(); ++i) {
        TrackEntry* entry = manager->getEntryByNameIndex(i);
        const std::string name = entry->getName();
        File record(folder + "/" + name + ".track", 2);
        writeStartStopTrack(&record, entry->getStartStop());
        saved = record.save() && saved;
        for (int t = 0; t < entry->getTrackCount(); ++t) {
            TrackInterpolate* track = entry->getTrackAt(t);
            File values(folder + "/" + name + "." + track->getName() + ".track", 2);
            writeTrack(&values, track);
            saved = values.save() && saved;
        }
    }
    manager->setUpToDate();
    return saved;
}

void TrackFile::loadProperties()
{
    File file(folder + "/track.properties", 0);
    if (!file.isOpen())
        return;
    RecordReader in(file);
    const int count = in.readInt();
    for (int i = 0; i < count && in.fits(); ++i) {
        const std::string name = in.readString();
        const int flag = in.readInt();
        if (!in.fits())
            break;
        vlm::logLine("Loading track property for ", name);
        TrackEntry* entry = VLMPulsvek::tracks ? VLMPulsvek::tracks->getEntry(name) : nullptr;
        if (entry && entry->getStartStop()) {
            entry->getStartStop()->enabled = (flag & 1) == 0;
            vlm::logLine("Flag : ", flag);
        }
    }
}

bool TrackFile::saveProperties()
{
    TrackManager* manager = VLMPulsvek::tracks;
    if (!manager)
        return false;
    File file(folder + "/track.properties", 2);
    file.appendInt(manager->getNameEntryCount());
    for (int i = 0; i < manager->getNameEntryCount(); ++i) {
        TrackEntry* entry = manager->getEntryByNameIndex(i);
        vlm::logLine("Saving track property for ", entry->getName());
        appendName(file, entry->getName());
        const bool enabled = entry->getStartStop() ? entry->getStartStop()->enabled : true;
        file.appendInt(1 - (enabled ? 1 : 0));
    }
    return file.save();
}
