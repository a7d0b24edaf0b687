#include "engine/runtime/Effect.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"

#include "support/Capture.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

alignas(8) char fboStorage[2][8];
FBO* const mirror = reinterpret_cast<FBO*>(fboStorage[0]);
FBO* const skybox = reinterpret_cast<FBO*>(fboStorage[1]);

std::string targetName(FBO* target)
{
    if (target == nullptr)
        return "screen";
    if (target == mirror)
        return "mirror";
    if (target == skybox)
        return "skybox";
    return "?";
}

// Writes every call it receives into a shared list.
class RecordingEffect : public Effect {
public:
    RecordingEffect(const std::string& name, std::vector<std::string>& calls) : name(name), calls(calls) {}
    void update(int timeMs) override { calls.push_back(name + " update " + std::to_string(timeMs)); }
    void draw(int timeMs, int deltaMs, FBO* target) override
    {
        calls.push_back(name + " draw " + std::to_string(timeMs) + " " + std::to_string(deltaMs) + " " +
                        targetName(target));
    }
    void postDraw(int timeMs) override { calls.push_back(name + " postDraw " + std::to_string(timeMs)); }

private:
    std::string name;
    std::vector<std::string>& calls;
};

struct Interval {
    unsigned start, stop;
    FBO* target;
};

TrackStartStop* startStop(int priority, const std::vector<Interval>& intervals)
{
    TrackStartStop* track = new TrackStartStop(priority);
    for (const Interval& interval : intervals) {
        StartStopKeyframe* start = new StartStopKeyframe(interval.start, 1);
        start->target = interval.target;
        track->addKeyframePair(start, new StartStopKeyframe(interval.stop, 0));
    }
    return track;
}

TrackEntry* entry(const std::string& name, TrackStartStop* track, Effect* effect = nullptr)
{
    TrackEntry* e = new TrackEntry(name);
    e->setStartStop(track);
    e->setEffect(effect);
    return e;
}

std::vector<std::string> entryOrder(const TrackManager& manager)
{
    std::vector<std::string> names;
    for (int i = 0; i < manager.getEntryCount(); ++i)
        names.push_back(manager.getEntryAt(i)->getName());
    return names;
}

std::vector<int> priorities(const TrackManager& manager)
{
    std::vector<int> out;
    for (int i = 0; i < manager.getEntryCount(); ++i)
        out.push_back(manager.getEntryAt(i)->getStartStop()->priority);
    return out;
}

TEST(TrackManagerTest, SortByPriority)
{
    struct Case {
        const char* what;
        std::map<std::string, int> priorities;
        std::vector<std::string> order;
    } const cases[] = {
        {"distinct", {{"a", 2}, {"b", 0}, {"c", 1}}, {"b", "c", "a"}},
        {"equal priorities stay in name order when untouched", {{"a", 5}, {"b", 5}, {"c", 9}}, {"a", "b", "c"}},
        // A stable sort would give c, a, b: the selection sort's swap moves a behind b.
        {"equal priorities reordered by a swap", {{"a", 1}, {"b", 1}, {"c", 0}}, {"c", "b", "a"}},
        {"made-up track first", {{"post", 3}, {"dummy", -1}, {"terrain", 0}}, {"dummy", "terrain", "post"}},
        {"single entry", {{"only", 7}}, {"only"}},
        {"none", {}, {}},
        {"reverse", {{"a", 4}, {"b", 3}, {"c", 2}, {"d", 1}, {"e", 0}}, {"e", "d", "c", "b", "a"}},
    };
    for (const Case& c : cases) {
        TrackManager manager;
        for (const auto& p : c.priorities)
            manager.addEntry(entry(p.first, startStop(p.second, {})));
        manager.buildEntryList();
        EXPECT_EQ(entryOrder(manager), c.order) << c.what;
        manager.renumberPriorities();
        std::vector<int> expected;
        for (size_t i = 0; i < c.order.size(); ++i)
            expected.push_back(static_cast<int>(i));
        EXPECT_EQ(priorities(manager), expected) << c.what;
    }
}

// The whole frame order: every update, then every draw with its target, then
// every post-draw, each pass in ascending priority.
TEST(TrackManagerTest, RunDrivesActiveEffectsInPriorityOrder)
{
    std::vector<std::string> calls;
    RecordingEffect post("post", calls), terrain("terrain", calls), dash("dash", calls), sky("sky", calls),
        idle("idle", calls), orphan("orphan", calls);

    TrackManager manager;
    manager.addEntry(entry("post", startStop(9, {{0, 100, nullptr}}), &post));
    manager.addEntry(entry("terrain", startStop(1, {{10, 20, mirror}, {30, 40, nullptr}}), &terrain));
    manager.addEntry(entry("dash", startStop(5, {{15, 35, nullptr}}), &dash));
    manager.addEntry(entry("sky", startStop(0, {{20, 30, skybox}}), &sky));
    manager.addEntry(entry("idle", startStop(-1, {}), &idle));       // made-up track: never active
    manager.addEntry(entry("orphan", nullptr, &orphan));             // no start/stop track: never active
    manager.addEntry(entry("noEffect", startStop(2, {{0, 100, nullptr}}))); // no effect: never run
    manager.buildEntryList();
    manager.buildEntryList(); // a second build must not duplicate entries
    EXPECT_EQ(manager.getEntryCount(), 7);

    struct Frame {
        int timeMs, row, deltaMs;
        std::vector<std::string> calls;
        std::vector<std::string> active;
    } const frames[] = {
        {250, 5, 16, {"post update 250", "post draw 250 16 screen", "post postDraw 250"}, {"post"}},
        {500, 10, 17,
         {"terrain update 500", "post update 500", "terrain draw 500 17 mirror", "post draw 500 17 screen",
          "terrain postDraw 500", "post postDraw 500"},
         {"terrain", "post"}},
        {1000, 20, 20,
         {"sky update 1000", "terrain update 1000", "dash update 1000", "post update 1000",
          "sky draw 1000 20 skybox", "terrain draw 1000 20 mirror", "dash draw 1000 20 screen",
          "post draw 1000 20 screen", "sky postDraw 1000", "terrain postDraw 1000", "dash postDraw 1000",
          "post postDraw 1000"},
         {"sky", "terrain", "dash", "post"}},
        {1250, 25, 5,
         {"sky update 1250", "dash update 1250", "post update 1250", "sky draw 1250 5 skybox",
          "dash draw 1250 5 screen", "post draw 1250 5 screen", "sky postDraw 1250", "dash postDraw 1250",
          "post postDraw 1250"},
         {"sky", "dash", "post"}},
        {1500, 30, 1,
         {"sky update 1500", "terrain update 1500", "dash update 1500", "post update 1500",
          "sky draw 1500 1 skybox", "terrain draw 1500 1 screen", "dash draw 1500 1 screen",
          "post draw 1500 1 screen", "sky postDraw 1500", "terrain postDraw 1500", "dash postDraw 1500",
          "post postDraw 1500"},
         {"sky", "terrain", "dash", "post"}},
        {5100, 102, 3, {}, {}},
    };
    const std::vector<std::string> all = {"post", "terrain", "dash", "sky", "idle", "orphan", "noEffect"};
    for (const Frame& f : frames) {
        calls.clear();
        manager.run(f.timeMs, f.row, f.deltaMs);
        EXPECT_EQ(calls, f.calls) << "row " << f.row;
        for (const std::string& name : all) {
            bool expected = false;
            for (const std::string& a : f.active)
                expected = expected || a == name;
            EXPECT_EQ(manager.isEffectActive(name), expected) << name << " at row " << f.row;
        }
    }
}

TEST(TrackManagerTest, EffectRunsFromStartRowThroughStopRow)
{
    std::vector<std::string> calls;
    RecordingEffect effect("e", calls);
    TrackManager manager;
    manager.addEntry(entry("e", startStop(0, {{10, 20, mirror}}), &effect));
    manager.buildEntryList();
    std::vector<int> updated, drawnToMirror, postDrawn;
    for (int row = 0; row <= 30; ++row) {
        calls.clear();
        manager.run(row * 50, row, 50);
        for (const std::string& call : calls) {
            if (call == "e update " + std::to_string(row * 50))
                updated.push_back(row);
            if (call == "e draw " + std::to_string(row * 50) + " 50 mirror")
                drawnToMirror.push_back(row);
            if (call == "e postDraw " + std::to_string(row * 50))
                postDrawn.push_back(row);
        }
    }
    std::vector<int> expected;
    for (int row = 10; row <= 20; ++row)
        expected.push_back(row);
    EXPECT_EQ(updated, expected);
    EXPECT_EQ(drawnToMirror, expected);
    EXPECT_EQ(postDrawn, expected);
}

TEST(TrackManagerTest, BaseEffectLogsFallbackDrawOncePerActiveFrame)
{
    Effect plain;
    TrackManager manager;
    manager.addEntry(entry("plain", startStop(0, {{1, 2, nullptr}}), &plain));
    manager.buildEntryList();
    testsupport::StdoutCapture capture;
    for (int row = 0; row < 4; ++row)
        manager.run(row * 50, row, 50);
    EXPECT_EQ(capture.lines(), (std::vector<std::string>(2, "Fallback draw method! This should never happen!")));
}

TEST(TrackManagerTest, ValidateStopsAtTheFirstFailingEntry)
{
    TrackManager manager;
    manager.addEntry(entry("a", startStop(0, {{4, 8, nullptr}})));
    TrackStartStop* twoStarts = new TrackStartStop(1);
    twoStarts->addKeyframe(new StartStopKeyframe(4, 1));
    twoStarts->addKeyframe(new StartStopKeyframe(6, 1));
    manager.addEntry(entry("b", twoStarts));
    TrackStartStop* leadingStop = new TrackStartStop(2);
    leadingStop->addKeyframe(new StartStopKeyframe(3, 0));
    manager.addEntry(entry("c", leadingStop));
    manager.addEntry(entry("d", nullptr));
    manager.buildEntryList();

    testsupport::StdoutCapture capture;
    EXPECT_FALSE(manager.validate());
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{
                                   "Validating StartStop track data.",
                                   "--> row = 6, row=6, type = 1",
                                   "--> PREVIOUS LINE IS CORRUPT BECAUSE IT'S NOT TAGGED AS A STOP KEYFRAME!",
                                   "--> StartStop Track : b has keyframe mismatch",
                               }));
}

TEST(TrackManagerTest, ValidAndPrinted)
{
    TrackManager manager;
    manager.addEntry(entry("terrain", startStop(1, {{4, 8, nullptr}})));
    manager.addEntry(entry("post", startStop(0, {})));
    manager.buildEntryList();
    testsupport::StdoutCapture capture;
    EXPECT_TRUE(manager.validate());
    EXPECT_TRUE(manager.prepare());
    manager.printPriorities();
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Validating StartStop track data.", "Priority 0 = post",
                                                          "Priority 1 = terrain"}));
}

TEST(TrackManagerTest, SwapEntriesKeepsPrioritiesEqualToPositions)
{
    TrackManager manager;
    for (const char* name : {"a", "b", "c"})
        manager.addEntry(entry(name, startStop(0, {})));
    manager.buildEntryList();
    manager.renumberPriorities();
    manager.swapEntries(0, 2);
    EXPECT_EQ(entryOrder(manager), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(priorities(manager), (std::vector<int>{0, 1, 2}));
}

TEST(TrackManagerTest, LookupsAndCounts)
{
    Effect effect;
    TrackInterpolate *x = nullptr, *y = nullptr, *z = nullptr;
    effect.addTrack("x", x);
    effect.addTrack("y", y);
    effect.addTrack("z", z);

    TrackManager manager;
    TrackEntry* b = entry("b", startStop(0, {}));
    b->addTrack(x);
    b->addTrack(y);
    TrackEntry* a = entry("a", startStop(1, {}));
    a->addTrack(z);
    manager.addEntry(b);
    manager.addEntry(a);

    // Counted the same before and after the priority list is built.
    EXPECT_EQ(manager.getTotalTrackCount(), 5);
    EXPECT_EQ(manager.getEntryCount(), 0);
    manager.buildEntryList();
    EXPECT_EQ(manager.getTotalTrackCount(), 5);

    EXPECT_EQ(manager.getEntry("a"), a);
    EXPECT_EQ(manager.getEntry("missing"), nullptr);
    EXPECT_EQ(manager.getNameEntryCount(), 2);
    EXPECT_EQ(manager.getEntryByNameIndex(0), a);
    EXPECT_EQ(manager.getEntryByNameIndex(1), b);
    EXPECT_EQ(manager.getEntryByNameIndex(2), nullptr);
    EXPECT_EQ(manager.getEntryByNameIndex(-1), nullptr);
    EXPECT_EQ(manager.getEntryAt(0), b);
    EXPECT_EQ(manager.getEntryAt(2), nullptr);

    EXPECT_EQ(b->getTrack("y"), y);
    EXPECT_EQ(b->getTrack("z"), nullptr);
    EXPECT_EQ(b->getTrackCount(), 2);
    EXPECT_EQ(b->getTrackAt(1), y);
    b->replaceTrack("y", z);
    EXPECT_EQ(b->getTrack("y"), z);
    EXPECT_EQ(b->getTrackAt(1), z);
    EXPECT_EQ(b->getTrackCount(), 2);
}

// Counts live start/stop tracks so that entries are seen to delete theirs.
struct CountedStartStop : TrackStartStop {
    static int live;
    explicit CountedStartStop(int priority) : TrackStartStop(priority) { ++live; }
    ~CountedStartStop() override { --live; }
};
int CountedStartStop::live = 0;

TEST(TrackManagerTest, OwnershipOfEntriesAndTracks)
{
    CountedStartStop::live = 0;
    std::vector<std::string> calls;
    RecordingEffect effect("e", calls);
    TrackInterpolate* value = nullptr;
    effect.addTrack("speedo", value);
    value->addKeyframe(new Keyframe(0, 0, 1.0f));
    {
        TrackManager manager;
        TrackEntry* first = entry("e", new CountedStartStop(0), &effect);
        first->addTrack(value);
        manager.addEntry(first);
        manager.buildEntryList();

        TrackEntry* second = entry("e", new CountedStartStop(0), &effect);
        second->addTrack(value);
        second->setStartStop(new CountedStartStop(3)); // replaces and deletes the one set before
        EXPECT_EQ(CountedStartStop::live, 2);
        manager.addEntry(second); // the first entry is deleted with its start/stop track
        EXPECT_EQ(CountedStartStop::live, 1);
        EXPECT_EQ(manager.getEntry("e"), second);
        manager.addEntry(second); // the same entry again is kept
        EXPECT_EQ(manager.getEntry("e"), second);
        manager.buildEntryList();
        EXPECT_EQ(manager.getEntryCount(), 1);
        manager.run(0, 0, 0);
    }
    EXPECT_EQ(CountedStartStop::live, 0);
    // The effect's own track outlives the manager.
    EXPECT_FLOAT_EQ(value->getValue(100), 1.0f);
}

TEST(TrackManagerTest, LocalTimeSinceTheIntervalBegan)
{
    TrackEntry e("e");
    EXPECT_FALSE(e.isActiveAt(0, 0));
    e.setStartStop(startStop(0, {{10, 20, nullptr}}));
    struct Case {
        int row;
        unsigned timeMs, expected;
    } const cases[] = {
        {10, 500, 0},  {10, 530, 30}, {15, 750, 250}, {19, 999, 499},
        {20, 1000, 1000}, // the stop row has no running start
        {5, 260, 260}, {12, 400, 0}, // a time before the start clamps to 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(e.getLocalTimeMs(c.row, c.timeMs), c.expected) << "row " << c.row << " at " << c.timeMs;
}

TEST(TrackManagerTest, ModifiedAndUpToDateOverAllEntries)
{
    Effect effect;
    TrackInterpolate* value = nullptr;
    effect.addTrack("v", value);
    TrackManager manager;
    TrackEntry* a = entry("a", startStop(0, {{1, 2, nullptr}}));
    TrackEntry* b = entry("b", startStop(0, {}));
    b->addTrack(value);
    manager.addEntry(a);
    manager.addEntry(b);
    EXPECT_TRUE(manager.isModified());
    manager.setModified(false);
    manager.setUpToDate();
    EXPECT_FALSE(manager.isModified());
    EXPECT_TRUE(manager.isUpToDate());

    value->addKeyframe(new Keyframe(1, 0, 1.0f));
    EXPECT_TRUE(b->isModified());
    EXPECT_FALSE(a->isModified());
    EXPECT_TRUE(manager.isModified());
    EXPECT_FALSE(manager.isUpToDate());
    manager.setModified(true);
    EXPECT_TRUE(a->isModified());
    manager.setUpToDate();
    EXPECT_TRUE(manager.isUpToDate());
}

TEST(TrackManagerTest, RandomTestTrackAlternatesFromAStart)
{
    TrackStartStop track(0);
    TrackManager::makeRandomTestTrack(&track);
    std::vector<Keyframe*> keys;
    track.getKeyframes(keys);
    ASSERT_EQ(keys.size(), 1000u);
    unsigned previous = 0;
    for (size_t k = 0; k < keys.size(); ++k) {
        EXPECT_EQ(keys[k]->type, k % 2 == 0 ? 1 : 0);
        EXPECT_GE(keys[k]->row - previous, 1u);
        EXPECT_LE(keys[k]->row - previous, 10u);
        previous = keys[k]->row;
    }
    testsupport::StdoutCapture capture;
    EXPECT_TRUE(track.validate());
}

TEST(TrackManagerTest, RowsPerSecond)
{
    TrackManager manager;
    EXPECT_EQ(manager.getRowsPerSecond(), 20);
    EXPECT_EQ(VLMPulsvek::rowsPerSecond(), 20);
    manager.setRowsPerSecond(25);
    VLMPulsvek::tracks = &manager;
    const int fromManager = VLMPulsvek::rowsPerSecond();
    TrackEntry e("e");
    e.setStartStop(startStop(0, {{10, 20, nullptr}}));
    const unsigned local = e.getLocalTimeMs(12, 500); // start row 10 is at 400 ms
    VLMPulsvek::tracks = nullptr;
    EXPECT_EQ(fromManager, 25);
    EXPECT_EQ(local, 100u);
}

TEST(TrackManagerDeathTest, RowsPerSecondMustGiveWholeMillisecondRows)
{
    TrackManager manager;
    EXPECT_DEATH(manager.setRowsPerSecond(0), "value > 0");
    EXPECT_DEATH(manager.setRowsPerSecond(1001), "value <= 1000");
}

}
