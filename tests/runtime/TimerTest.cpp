#include "engine/runtime/FMODTimer.h"
#include "engine/runtime/Timer.h"

#include "AudioTestSupport.h"
#include "support/Capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace audiotest;

namespace {

enum class Op { Init, Play, Pause, Seek, SetRow, Frame, Look };

// At nowMs: do op (with arg), then the clock must read timeMs and be paused
// or not. A Frame step is the frame loop's t = getTimeMs, getDeltaMs(t): its
// delta must be arg.
struct Step {
    int nowMs;
    Op op;
    int arg;
    int timeMs;
    bool paused;
};

struct Sequence {
    const char* name;
    std::vector<Step> steps;
};

const Sequence kSequences[] = {
    {"a stopped clock holds its time until play",
     {{1000, Op::Init, 0, 0, true},
      {5000, Op::Look, 0, 0, true},
      {5000, Op::Play, 0, 0, false},
      {5250, Op::Look, 0, 250, false}}},
    {"seek while stopped moves at once and stays stopped",
     {{0, Op::Init, 0, 0, true},
      {100, Op::Seek, 3000, 3000, true},
      {900, Op::Look, 0, 3000, true},
      {1000, Op::Play, 0, 3000, false},
      {1100, Op::Look, 0, 3100, false}}},
    {"pause and play continue where the clock stopped",
     {{0, Op::Init, 0, 0, true},
      {0, Op::Play, 0, 0, false},
      {400, Op::Pause, 0, 400, true},
      {2000, Op::Look, 0, 400, true},
      {2000, Op::Play, 0, 400, false},
      {2100, Op::Look, 0, 500, false}}},
    {"a second pause while stopped changes nothing",
     {{0, Op::Init, 0, 0, true},
      {0, Op::Play, 0, 0, false},
      {300, Op::Pause, 0, 300, true},
      {1300, Op::Pause, 0, 300, true},
      {1500, Op::Play, 0, 300, false},
      {1600, Op::Look, 0, 400, false}}},
    {"seek while running keeps running from there",
     {{0, Op::Init, 0, 0, true},
      {0, Op::Play, 0, 0, false},
      {500, Op::Seek, 10000, 10000, false},
      {600, Op::Look, 0, 10100, false}}},
    {"setRow seeks to the row's start",
     {{0, Op::Init, 0, 0, true},
      {10, Op::SetRow, 3, 150, true},
      {20, Op::Play, 0, 150, false},
      {70, Op::Look, 0, 200, false}}},
    {"delta is 0 while stopped and counts from the resume point",
     {{0, Op::Init, 0, 0, true},
      {0, Op::Play, 0, 0, false},
      {100, Op::Frame, 100, 100, false},
      {116, Op::Frame, 16, 116, false},
      {150, Op::Pause, 0, 150, true},
      {200, Op::Frame, 0, 150, true},
      {1000, Op::Play, 0, 150, false},
      {1020, Op::Frame, 20, 170, false}}},
    {"delta after a seek counts from the seek",
     {{0, Op::Init, 0, 0, true},
      {0, Op::Play, 0, 0, false},
      {100, Op::Frame, 100, 100, false},
      {100, Op::Seek, 5000, 5000, false},
      {130, Op::Frame, 30, 5030, false}}},
};

struct ClockKind {
    const char* name;
    std::function<std::unique_ptr<Timer>(unsigned int rowsPerSecond)> make;
};

// The music clock whose music did not load has no channel: it must still
// keep time like the plain clock.
const ClockKind kClocks[] = {
    {"Timer", [](unsigned int rps) { return std::make_unique<Timer>(rps, fakeClock); }},
    {"FMODTimer without music",
     [](unsigned int rps) { return std::make_unique<FMODTimer>("no/such/music.mp3", rps, fakeClock); }},
};

void run(Timer& clock, const Step& step)
{
    setNowMs(step.nowMs);
    switch (step.op) {
    case Op::Init: {
        testsupport::StdoutCapture quiet;
        clock.init();
        break;
    }
    case Op::Play:
        clock.play();
        break;
    case Op::Pause:
        clock.pause();
        break;
    case Op::Seek:
        clock.setTimeMs(step.arg);
        break;
    case Op::SetRow:
        clock.setRow(step.arg);
        break;
    case Op::Frame: {
        int t = clock.getTimeMs();
        EXPECT_EQ(clock.getDeltaMs(t), step.arg) << "delta";
        break;
    }
    case Op::Look:
        break;
    }
    EXPECT_EQ(clock.getTimeMs(), step.timeMs);
    EXPECT_EQ(clock.isPaused(), step.paused);
}

}

TEST(Timer, ClockSequencesOnAFakeTimeSource)
{
    for (const ClockKind& kind : kClocks) {
        for (const Sequence& sequence : kSequences) {
            SCOPED_TRACE(std::string(kind.name) + ": " + sequence.name);
            auto clock = kind.make(20);
            for (size_t i = 0; i < sequence.steps.size(); ++i) {
                SCOPED_TRACE("step " + std::to_string(i));
                run(*clock, sequence.steps[i]);
            }
        }
    }
}

TEST(Timer, RowsAndMillisecondsConvertMultiplyingFirst)
{
    struct Case {
        unsigned int rowsPerSecond;
        int timeMs;
        int row;
        int rowTimeMs;
    };
    const Case cases[] = {
        {20, 0, 0, 0},       {20, 49, 0, 0},       {20, 50, 1, 50},    {20, 149, 2, 100},
        {20, 150, 3, 150},   {20, 599999, 11999, 599950},              {1000, 149, 149, 149},
        {7, 999, 6, 857},    {7, 1000, 7, 1000},   {1, 1999, 1, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rowsPerSecond) + " rows/s at " + std::to_string(c.timeMs) + " ms");
        Timer clock(c.rowsPerSecond, fakeClock);
        setNowMs(0);
        clock.init();
        clock.setTimeMs(c.timeMs);
        EXPECT_EQ(clock.getRow(), c.row);
        EXPECT_EQ(clock.getRowTimeMs(), c.rowTimeMs);
        clock.setRow(c.row);
        EXPECT_EQ(clock.getTimeMs(), c.rowTimeMs);
    }
}

TEST(Timer, InitGivesTenMinutesOfRows)
{
    struct Case {
        unsigned int rowsPerSecond;
        int rows;
    };
    const Case cases[] = {{20, 12000}, {1, 600}, {7, 4225}, {1000, 600000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rowsPerSecond);
        Timer clock(c.rowsPerSecond, fakeClock);
        EXPECT_TRUE(clock.init());
        EXPECT_EQ(clock.getLengthMs(), 600000);
        EXPECT_EQ(clock.getRowCount(), c.rows);
        EXPECT_TRUE(clock.isPaused());
        EXPECT_TRUE(clock.shutdown());
        EXPECT_EQ(clock.getError(), "");
    }
}

TEST(TimerDeathTest, RowsPerSecondOutsideOneToAThousandAreRejected)
{
    for (unsigned int rps : {0u, 1001u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(rps);
        EXPECT_DEATH({ Timer clock(rps, fakeClock); }, "rowsPerSecond >= 1");
        EXPECT_DEATH({ FMODTimer clock("music.mp3", rps, fakeClock); }, "rowsPerSecond >= 1");
    }
}

TEST(Timer, SpectrumWithoutMusicIsRandomButAlwaysFinite)
{
    const int count = 100000;
    // The seed must reach a remainder of 0, the case that used to give 1 / 0.
    std::srand(7);
    int zeros = 0;
    for (int i = 0; i < count; ++i)
        zeros += std::rand() % 10000 == 0;
    ASSERT_GT(zeros, 0);

    Timer clock(20, fakeClock);
    std::vector<float> out(count + 1, -1.0f);
    std::srand(7);
    clock.getSpectrum(5, count, out.data());
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(std::isfinite(out[i])) << i;
        ASSERT_GT(out[i], 0.0f) << i;
        ASSERT_LE(out[i], 1.0f) << i;
    }
    EXPECT_EQ(out[count], -1.0f);

    std::vector<float> untouched(4, -1.0f);
    clock.getSpectrum(0, 0, untouched.data());
    clock.getSpectrum(0, -3, untouched.data());
    clock.getSpectrum(0, 4, nullptr);
    EXPECT_EQ(untouched, std::vector<float>(4, -1.0f));
}
