#include "engine/runtime/TrackStartStop.h"

#include "runtime/KeyRows.h"

#include "support/Capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Framebuffers are only compared as pointers here.
alignas(8) char fboStorage[3][8];
FBO* const fboA = reinterpret_cast<FBO*>(fboStorage[0]);
FBO* const fboB = reinterpret_cast<FBO*>(fboStorage[1]);
FBO* const fboC = reinterpret_cast<FBO*>(fboStorage[2]);

struct Key {
    unsigned row;
    int type;
    FBO* target;
};

void fill(Track& track, const std::vector<Key>& keys)
{
    for (const Key& key : keys) {
        StartStopKeyframe* k = new StartStopKeyframe(key.row, key.type);
        k->target = key.target;
        track.addKeyframe(k);
    }
}

// Two closed intervals and a final start without a stop.
const std::vector<Key> pattern = {
    {4, 1, fboA}, {8, 0, nullptr}, {12, 1, fboB}, {15, 0, nullptr}, {20, 1, fboC}};
// Begins with a stop: there is no start before it.
const std::vector<Key> leadingStop = {{3, 0, nullptr}, {6, 1, fboA}, {9, 0, nullptr}};

struct RowCase {
    unsigned row;
    bool active;
    FBO* target;
    unsigned startRow;
};

void checkRows(const std::vector<Key>& keys, const std::vector<RowCase>& cases, const char* what)
{
    TrackStartStop track(0);
    fill(track, keys);
    for (const RowCase& c : cases) {
        EXPECT_EQ(track.isActiveAt(0, c.row), c.active) << what << " row " << c.row;
        EXPECT_EQ(track.isActiveAtRow(c.row), c.active) << what << " row " << c.row;
        EXPECT_EQ(track.getTarget(c.row), c.target) << what << " row " << c.row;
        EXPECT_EQ(track.getStartRowAt(c.row), c.startRow) << what << " row " << c.row;
    }
}

TEST(TrackStartStopTest, ActivityTargetAndStartRow)
{
    checkRows(pattern,
              {
                  {0, false, nullptr, 0},
                  {3, false, nullptr, 0},
                  {4, true, fboA, 4},
                  {6, true, fboA, 4},
                  {7, true, fboA, 4},
                  {8, true, fboA, 0}, // stop row: still active and drawn, start row 0
                  {9, false, nullptr, 0},
                  {11, false, nullptr, 0},
                  {12, true, fboB, 12},
                  {15, true, fboB, 0},
                  {16, false, nullptr, 0},
                  {20, true, fboC, 0}, // final start: active on its row only
                  {21, false, nullptr, 0},
                  {1000, false, nullptr, 0},
              },
              "pattern");
    checkRows(leadingStop,
              {
                  {0, true, nullptr, 0},
                  {2, true, nullptr, 0},
                  {3, true, nullptr, 0},
                  {4, false, nullptr, 0},
                  {6, true, fboA, 6},
                  {9, true, fboA, 0},
                  {10, false, nullptr, 0},
              },
              "leading stop");
    checkRows({}, {{0, false, nullptr, 0}, {5, false, nullptr, 0}}, "empty");
}

TEST(TrackStartStopTest, PlainKeyTargetsTheScreen)
{
    TrackStartStop track(0);
    track.addKeyframe(new Keyframe(4, 1, 0.0f));
    track.addKeyframe(new Keyframe(8, 0, 0.0f));
    EXPECT_TRUE(track.isActiveAt(0, 6));
    EXPECT_EQ(track.getTarget(6), nullptr);
}

TEST(TrackStartStopTest, Validate)
{
    const std::string startMessage = "--> PREVIOUS LINE IS CORRUPT BECAUSE IT'S NOT TAGGED AS A START KEYFRAME!";
    const std::string stopMessage = "--> PREVIOUS LINE IS CORRUPT BECAUSE IT'S NOT TAGGED AS A STOP KEYFRAME!";
    struct Case {
        const char* what;
        std::vector<Key> keys;
        bool valid;
        std::vector<std::string> log;
    } const cases[] = {
        {"empty", {}, true, {}},
        {"one interval", {{4, 1, nullptr}, {8, 0, nullptr}}, true, {}},
        {"ends on a start", {{4, 1, nullptr}, {8, 0, nullptr}, {12, 1, nullptr}}, true, {}},
        {"two starts", {{4, 1, nullptr}, {8, 1, nullptr}}, false, {"--> row = 8, row=8, type = 1", stopMessage}},
        {"first key a stop", {{3, 0, nullptr}, {6, 1, nullptr}}, false, {"--> row = 3, row=3, type = 0", startMessage}},
        {"two stops", {{4, 1, nullptr}, {8, 0, nullptr}, {9, 0, nullptr}}, false,
         {"--> row = 9, row=9, type = 0", startMessage}},
        {"unknown type where a start belongs", {{4, 2, nullptr}}, false, {"--> row = 4, row=4, type = 2", startMessage}},
        {"unknown type where a stop belongs", {{4, 1, nullptr}, {8, -1, nullptr}}, false,
         {"--> row = 8, row=8, type = -1", stopMessage}},
        {"only the first fault is logged", {{4, 0, nullptr}, {8, 0, nullptr}}, false,
         {"--> row = 4, row=4, type = 0", startMessage}},
    };
    for (const Case& c : cases) {
        TrackStartStop track(0);
        fill(track, c.keys);
        testsupport::StdoutCapture capture;
        const bool valid = track.validate();
        EXPECT_EQ(valid, c.valid) << c.what;
        EXPECT_EQ(capture.lines(), c.log) << c.what;
    }
}

TEST(TrackStartStopTest, KeyframesInRangeAreWholeIntervals)
{
    struct Case {
        unsigned from, to;
        std::vector<unsigned> expected;
    } const cases[] = {
        {5, 6, {4, 8}},
        {4, 8, {4, 8}},
        {8, 12, {4, 8, 12, 15}},
        {13, 13, {12, 15}},
        {0, 3, {}},
        {9, 11, {}},
        {0, 100, {4, 8, 12, 15, 20}},
        {16, 25, {20}},
        {21, 25, {}},
    };
    for (const Case& c : cases) {
        TrackStartStop track(0);
        fill(track, pattern);
        std::vector<Keyframe*> out;
        track.getKeyframesInRange(c.from, c.to, out);
        EXPECT_EQ(rowsOf(out), c.expected) << c.from << ".." << c.to;
    }
    TrackStartStop stopFirst(0);
    fill(stopFirst, leadingStop);
    std::vector<Keyframe*> out;
    stopFirst.getKeyframesInRange(0, 2, out);
    EXPECT_EQ(rowsOf(out), std::vector<unsigned>{}) << "a leading stop has no start to step back to";
}

TEST(TrackStartStopTest, RemoveStartStopPair)
{
    const std::vector<Key> twoIntervals = {{4, 1, nullptr}, {8, 0, nullptr}, {12, 1, nullptr}, {15, 0, nullptr}};
    struct Case {
        const char* what;
        std::vector<Key> keys;
        unsigned row;
        std::vector<unsigned> remaining;
    } const cases[] = {
        {"inside an interval", twoIntervals, 6, {12, 15}},
        {"at the start", twoIntervals, 4, {12, 15}},
        {"at the stop", twoIntervals, 8, {12, 15}},
        {"second interval", twoIntervals, 13, {4, 8}},
        {"between intervals", twoIntervals, 10, {4, 8, 12, 15}},
        {"after the last key", twoIntervals, 30, {4, 8, 12, 15}},
        {"leading stop alone", leadingStop, 1, {6, 9}},
        {"final start alone", pattern, 20, {4, 8, 12, 15}},
    };
    for (const Case& c : cases) {
        TrackStartStop track(0);
        fill(track, c.keys);
        track.setModified(false);
        track.removeStartStopPair(c.row);
        EXPECT_EQ(rowsOf(track), c.remaining) << c.what;
        EXPECT_TRUE(track.isModified()) << c.what;
    }
}

// Counts live keys so that replaced and removed keys are seen to be deleted.
struct CountedKey : StartStopKeyframe {
    static int live;
    CountedKey(unsigned row, int type) : StartStopKeyframe(row, type) { ++live; }
    ~CountedKey() override { --live; }
};
int CountedKey::live = 0;

TEST(TrackStartStopTest, TrackOwnsItsKeys)
{
    CountedKey::live = 0;
    {
        TrackStartStop track(0);
        CountedKey* first = new CountedKey(4, 1);
        track.addKeyframe(first);
        track.addKeyframe(first); // the same key again is kept
        EXPECT_EQ(CountedKey::live, 1);
        EXPECT_EQ(track.getKeyframe(4), first);

        CountedKey* second = new CountedKey(4, 1);
        track.addKeyframe(second); // replaces and deletes the first
        EXPECT_EQ(CountedKey::live, 1);
        EXPECT_EQ(track.getKeyframe(4), second);

        track.addKeyframePair(new CountedKey(10, 1), new CountedKey(14, 0));
        EXPECT_EQ(CountedKey::live, 3);

        track.moveKeyframe(14, 10); // lands on the start at 10, which is deleted
        EXPECT_EQ(CountedKey::live, 2);
        EXPECT_EQ(rowsOf(track), (std::vector<unsigned>{4, 10}));
        EXPECT_EQ(track.getKeyframe(10)->type, 0);
        EXPECT_EQ(track.getKeyframe(10)->row, 10u);

        track.removeStartStopPair(4);
        EXPECT_EQ(CountedKey::live, 0);
        track.addKeyframe(new CountedKey(1, 1));
    }
    EXPECT_EQ(CountedKey::live, 0);
}

TEST(TrackStartStopTest, MoveKeyframe)
{
    TrackStartStop track(0);
    fill(track, {{4, 1, fboA}, {8, 0, nullptr}});
    track.moveKeyframe(8, 10);
    EXPECT_EQ(rowsOf(track), (std::vector<unsigned>{4, 10}));
    EXPECT_EQ(track.getKeyframe(10)->row, 10u);
    track.moveKeyframe(5, 6); // nothing at row 5
    track.moveKeyframe(4, 4);
    EXPECT_EQ(rowsOf(track), (std::vector<unsigned>{4, 10}));
    EXPECT_TRUE(track.isActiveAt(0, 10));
}

TEST(TrackStartStopTest, RowQueries)
{
    TrackStartStop track(3);
    EXPECT_EQ(track.priority, 3);
    EXPECT_TRUE(track.enabled);
    EXPECT_EQ(track.previousKeyRow(5), Track::NO_ROW);
    EXPECT_EQ(track.nextKeyRow(5), Track::NO_ROW);
    EXPECT_TRUE(track.isRangeFree(0, 100));

    fill(track, {{4, 1, nullptr}, {8, 0, nullptr}});
    struct Case {
        unsigned row;
        unsigned previous, next;
        bool hasKey, hasStart;
    } const cases[] = {
        {0, Track::NO_ROW, 4, false, false},
        {4, Track::NO_ROW, 8, true, true},
        {6, 4, 8, false, false},
        {8, 4, Track::NO_ROW, true, false},
        {9, 8, Track::NO_ROW, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(track.previousKeyRow(c.row), c.previous) << "row " << c.row;
        EXPECT_EQ(track.nextKeyRow(c.row), c.next) << "row " << c.row;
        EXPECT_EQ(track.hasKeyframe(c.row), c.hasKey) << "row " << c.row;
        EXPECT_EQ(track.hasStartAt(c.row), c.hasStart) << "row " << c.row;
        EXPECT_EQ(track.getKeyframe(c.row) != nullptr, c.hasKey) << "row " << c.row;
    }
    EXPECT_TRUE(track.isRangeFree(0, 3));
    EXPECT_FALSE(track.isRangeFree(0, 4));
    EXPECT_TRUE(track.isRangeFree(5, 7));
    EXPECT_FALSE(track.isRangeFree(5, 8));
    EXPECT_TRUE(track.isRangeFree(9, 100));
}

TEST(TrackStartStopTest, ModifiedAndUpToDateFlags)
{
    TrackStartStop track(0);
    EXPECT_FALSE(track.isModified());
    EXPECT_TRUE(track.isUpToDate());
    track.addKeyframe(new StartStopKeyframe(4, 1));
    EXPECT_TRUE(track.isModified());
    EXPECT_FALSE(track.isUpToDate());
    track.setModified(false);
    EXPECT_FALSE(track.isModified());
    EXPECT_FALSE(track.isUpToDate()); // only setUpToDate sets it again
    track.setUpToDate();
    EXPECT_TRUE(track.isUpToDate());
    track.moveKeyframe(1, 2); // every edit marks the track, even one that finds no key
    EXPECT_TRUE(track.isModified());
    EXPECT_FALSE(track.isUpToDate());
}

TEST(TrackStartStopTest, NewKeysDrawToTheScreen)
{
    const StartStopKeyframe plain;
    const StartStopKeyframe start(4, 1);
    for (const StartStopKeyframe* key : {&plain, &start}) {
        EXPECT_EQ(key->targetName, "screen");
        EXPECT_EQ(key->target, nullptr);
    }
    EXPECT_EQ(plain.row, 0u);
    EXPECT_EQ(start.row, 4u);
    EXPECT_EQ(start.type, 1);
}

}
