#include "engine/runtime/Track.h"

#include "util/Assert.h"
#include "util/Log.h"

#include <iterator>

Track::Track() : modified(false), upToDate(true) {}

Track::~Track()
{
    for (auto& entry : keys)
        delete entry.second;
    keys.clear();
}

void Track::getKeyframesInRange(unsigned from, unsigned to, std::vector<Keyframe*>& out)
{
    auto it = keys.lower_bound(from);
    if (it == keys.end())
        return;
    if (!isStart(it->second)) {
        if (it == keys.begin())
            return;
        --it;
    }
    for (; it != keys.end() && it->first <= to; ++it)
        out.push_back(it->second);
    if (it != keys.end() && !isStart(it->second))
        out.push_back(it->second);
}

bool Track::validate()
{
    bool expectStart = true;
    for (const auto& entry : keys) {
        const Keyframe* key = entry.second;
        bool ok = expectStart ? isStart(key) : isStop(key);
        if (!ok) {
            vlm::logLine("--> row = ", entry.first, ", row=", key->row, ", type = ", key->type);
            if (expectStart)
                vlm::logLine("--> PREVIOUS LINE IS CORRUPT BECAUSE IT'S NOT TAGGED AS A START KEYFRAME!");
            else
                vlm::logLine("--> PREVIOUS LINE IS CORRUPT BECAUSE IT'S NOT TAGGED AS A STOP KEYFRAME!");
            return false;
        }
        expectStart = !expectStart;
    }
    return true;
}

bool Track::isActiveAt(int, unsigned row) const
{
    auto it = keys.lower_bound(row);
    if (it == keys.end())
        return false;
    if (!isStart(it->second))
        return true;
    return it->first == row;
}

bool Track::isActiveAtRow(unsigned row) const
{
    return isActiveAt(0, row);
}

void Track::getKeyframes(std::vector<Keyframe*>& out) const
{
    for (const auto& entry : keys)
        out.push_back(entry.second);
}

void Track::addKeyframe(Keyframe* key)
{
    VLM_ASSERT(key != nullptr);
    Keyframe*& slot = keys[key->row];
    if (slot != key)
        delete slot;
    slot = key;
    setModified(true);
}

void Track::addKeyframePair(Keyframe* start, Keyframe* stop)
{
    addKeyframe(start);
    addKeyframe(stop);
}

void Track::moveKeyframe(unsigned fromRow, unsigned toRow)
{
    setModified(true);
    if (fromRow == toRow)
        return;
    auto it = keys.find(fromRow);
    if (it == keys.end())
        return;
    Keyframe* key = it->second;
    keys.erase(it);
    key->row = toRow;
    addKeyframe(key);
}

void Track::removeStartStopPair(unsigned row)
{
    setModified(true);
    auto it = keys.lower_bound(row);
    if (it == keys.end())
        return;
    if (!isStart(it->second)) {
        // The stop key and the start before it, when there is one.
        if (it != keys.begin())
            eraseKey(std::prev(it));
        eraseKey(it);
    } else if (it->first == row) {
        // The start key and the stop after it, when there is one.
        auto next = std::next(it);
        if (next != keys.end())
            eraseKey(next);
        eraseKey(it);
    }
}

bool Track::hasStartAt(unsigned row) const
{
    auto it = keys.find(row);
    return it != keys.end() && isStart(it->second);
}

Keyframe* Track::getKeyframe(unsigned row) const
{
    auto it = keys.find(row);
    return it == keys.end() ? nullptr : it->second;
}

bool Track::hasKeyframe(unsigned row) const
{
    return keys.count(row) != 0;
}

bool Track::isRangeFree(unsigned from, unsigned to) const
{
    auto it = keys.lower_bound(from);
    return it == keys.end() || it->first > to;
}

unsigned Track::previousKeyRow(unsigned row) const
{
    auto it = keys.lower_bound(row);
    if (it == keys.begin())
        return NO_ROW;
    return std::prev(it)->first;
}

unsigned Track::nextKeyRow(unsigned row) const
{
    auto it = keys.upper_bound(row);
    return it == keys.end() ? NO_ROW : it->first;
}

void Track::setModified(bool value)
{
    modified = value;
    if (value)
        upToDate = false;
}

void Track::eraseKey(KeyMap::iterator it)
{
    delete it->second;
    keys.erase(it);
}
