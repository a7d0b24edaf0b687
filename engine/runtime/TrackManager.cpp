#include "engine/runtime/TrackManager.h"

#include "engine/render/Engine.h"

#include "engine/runtime/Effect.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackStartStop.h"
#include "util/Assert.h"
#include "util/Log.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace VLMPulsvek {
TrackManager* tracks = nullptr;

int rowsPerSecond()
{
    return tracks != nullptr ? tracks->getRowsPerSecond() : ROWS_PER_SECOND;
}
}

namespace {

// An entry without a start/stop track sorts like a made-up one.
int priorityOf(const TrackEntry* entry)
{
    const TrackStartStop* startStop = entry->getStartStop();
    return startStop != nullptr ? startStop->priority : -1;
}

void setPriority(TrackEntry* entry, int priority)
{
    if (TrackStartStop* startStop = entry->getStartStop())
        startStop->priority = priority;
}

}

TrackManager::TrackManager() : rowsPerSecond(VLMPulsvek::ROWS_PER_SECOND) {}

TrackManager::~TrackManager()
{
    for (auto& named : entriesByName)
        delete named.second;
}

void TrackManager::run(int timeMs, int row, int deltaMs)
{
    active.clear();
    // Room for all at once, so that an effect starting later allocates nothing.
    active.reserve(entries.size());
    for (TrackEntry* entry : entries) {
        // An entry without a start/stop track or an effect never runs.
        if (entry->getEffect() != nullptr && entry->isActiveAt(timeMs, row))
            active.push_back(entry);
    }
    for (TrackEntry* entry : active)
        entry->getEffect()->update(timeMs);
    for (TrackEntry* entry : active) {
        FBO* target = entry->getStartStop()->getTarget(static_cast<unsigned>(row));
        entry->getEffect()->draw(timeMs, deltaMs, target);
        markPass(entry->getName().c_str());
    }
    for (TrackEntry* entry : active)
        entry->getEffect()->postDraw(timeMs);
}

void TrackManager::addEntry(TrackEntry* entry)
{
    VLM_ASSERT(entry != nullptr);
    TrackEntry*& slot = entriesByName[entry->getName()];
    if (slot != nullptr && slot != entry) {
        entries.erase(std::remove(entries.begin(), entries.end(), slot), entries.end());
        active.erase(std::remove(active.begin(), active.end(), slot), active.end());
        delete slot;
    }
    slot = entry;
}

TrackEntry* TrackManager::getEntry(const std::string& name) const
{
    auto it = entriesByName.find(name);
    return it == entriesByName.end() ? nullptr : it->second;
}

void TrackManager::buildEntryList()
{
    entries.clear();
    for (auto& named : entriesByName)
        entries.push_back(named.second);
    sortByPriority();
}

void TrackManager::sortByPriority()
{
    const size_t n = entries.size();
    if (n < 2)
        return;
    for (size_t i = 0; i < n; ++i) {
        size_t smallest = i;
        for (size_t j = i + 1; j < n; ++j) {
            if (priorityOf(entries[j]) < priorityOf(entries[smallest]))
                smallest = j;
        }
        std::swap(entries[i], entries[smallest]);
    }
}

void TrackManager::renumberPriorities()
{
    for (size_t i = 0; i < entries.size(); ++i)
        setPriority(entries[i], static_cast<int>(i));
}

void TrackManager::swapEntries(int i, int j)
{
    VLM_ASSERT(i >= 0 && i < getEntryCount() && j >= 0 && j < getEntryCount());
    TrackEntry* a = entries[i];
    TrackEntry* b = entries[j];
    const int priorityA = priorityOf(a);
    setPriority(a, priorityOf(b));
    setPriority(b, priorityA);
    entries[i] = b;
    entries[j] = a;
}

bool TrackManager::validate()
{
    vlm::logLine("Validating StartStop track data.");
    for (TrackEntry* entry : entries) {
        TrackStartStop* startStop = entry->getStartStop();
        if (startStop != nullptr && !startStop->validate()) {
            vlm::logLine("--> StartStop Track : ", entry->getName(), " has keyframe mismatch");
            return false;
        }
    }
    return true;
}

bool TrackManager::prepare()
{
    return true;
}

void TrackManager::printPriorities() const
{
    for (const TrackEntry* entry : entries)
        vlm::logLine("Priority ", priorityOf(entry), " = ", entry->getName());
}

TrackEntry* TrackManager::getEntryAt(int index) const
{
    if (index < 0 || index >= getEntryCount())
        return nullptr;
    return entries[index];
}

TrackEntry* TrackManager::getEntryByNameIndex(int index) const
{
    if (index < 0 || index >= getNameEntryCount())
        return nullptr;
    auto it = entriesByName.begin();
    std::advance(it, index);
    return it->second;
}

int TrackManager::getTotalTrackCount() const
{
    int count = 0;
    for (const auto& named : entriesByName)
        count += 1 + named.second->getTrackCount();
    return count;
}

bool TrackManager::isEffectActive(const std::string& name) const
{
    for (const TrackEntry* entry : active)
        if (entry->getName() == name)
            return true;
    return false;
}

void TrackManager::setRowsPerSecond(int value)
{
    // Rows are whole milliseconds long.
    VLM_ASSERT(value > 0 && value <= 1000);
    rowsPerSecond = value;
}

bool TrackManager::isModified() const
{
    for (const auto& named : entriesByName)
        if (named.second->isModified())
            return true;
    return false;
}

void TrackManager::setModified(bool value)
{
    for (auto& named : entriesByName)
        named.second->setModified(value);
}

bool TrackManager::isUpToDate() const
{
    for (const auto& named : entriesByName)
        if (!named.second->isUpToDate())
            return false;
    return true;
}

void TrackManager::setUpToDate()
{
    for (auto& named : entriesByName)
        named.second->setUpToDate();
}

void TrackManager::makeRandomTestTrack(Track* track)
{
    unsigned row = 0;
    for (int k = 0; k < 1000; ++k) {
        row += static_cast<unsigned>(std::rand() % 10) + 1;
        track->addKeyframe(new StartStopKeyframe(row, k % 2 == 0 ? 1 : 0));
    }
}
