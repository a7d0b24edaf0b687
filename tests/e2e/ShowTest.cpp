// The show itself, run by the development runner from the packed
// "resources.7z" alone: starts across the timeline, frames read back at
// moments of the timeline, and one quick pass over all of it.

#include "Child.h"
#include "Frame.h"
#include "LogLines.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using e2e::Frame;

namespace {

const std::string kDevrun = PULSVEK_DEVRUN;
const std::string kArchive = std::string(PULSVEK_BINARY_DIR) + "/show/resources.7z";

class Show : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_SHOW_FILE(kArchive);
        // The archive alone: everything must come from it.
        fs::copy_file(kArchive, dir.file("resources.7z"));
    }

    e2e::ChildResult devrun(std::vector<std::string> args)
    {
        args.insert(args.begin(), {kDevrun, "--mode", "1"});
        return e2e::run(args, dir.path(), {}, 240000);
    }

    static void expectCleanLog(const e2e::ChildResult& result, const std::string& what)
    {
        const std::vector<std::string> lines = result.lines();
        EXPECT_EQ(result.status, 0) << what << "\n" << result.output;
        EXPECT_TRUE(e2e::inOrder(lines, {"[Demo Init]"})) << what << "\n" << result.output;
        EXPECT_TRUE(e2e::inOrder(lines, e2e::shutdownLog())) << what << "\n" << result.output;
        for (const std::string& line : lines) {
            EXPECT_EQ(line.find("not found"), std::string::npos) << what << ": " << line;
            EXPECT_NE(line.rfind("[GL_ERROR", 0), 0u) << what << ": " << line;
            EXPECT_EQ(line.find("Message from pulsvek"), std::string::npos) << what << ": " << line;
        }
    }

    testsupport::TempDir dir;
};

}

TEST_F(Show, StartsAcrossTheTimelineAndShutsDownWithTheFullLog)
{
    // The starts run side by side.
    const char* const starts[] = {"0", "47", "101", "150", "212"};
    std::vector<std::unique_ptr<e2e::Child>> children;
    for (const char* start : starts) {
        const std::string end = std::to_string(std::atof(start) + 1.5);
        children.emplace_back(new e2e::Child(
            {kDevrun, "--mode", "1", "--size", "320x180", "--start", start, "--end", end}, dir.path()));
    }
    for (size_t i = 0; i < children.size(); ++i) {
        const double from = std::atof(starts[i]);
        const e2e::ChildResult result = children[i]->wait(240000);
        expectCleanLog(result, std::string("start ") + starts[i]);
        const long ms = e2e::durationMs(result.lines());
        EXPECT_GE(ms, static_cast<long>(from * 1000 + 1500)) << starts[i];
        EXPECT_LT(ms, static_cast<long>(from * 1000 + 180000)) << starts[i];
    }
}

TEST_F(Show, OnePassOverTheWholeTimelineIsClean)
{
    // One frame every other bar (cuts fall on bar lines, most of them every
    // two bars), up to the closing card.
    const e2e::ChildResult result =
        devrun({"--size", "160x90", "--start", "1.25", "--end", "214", "--every", "4"});
    expectCleanLog(result, "the whole timeline");
}

TEST_F(Show, FramesShowWhatTheTimelinePutsThere)
{
    const char* const times[] = {"6", "36", "37", "50", "76", "104", "105", "112", "160", "212", "215"};
    std::vector<std::string> args = {"--size", "480x270"};
    for (const char* t : times) {
        args.push_back("--shot");
        args.push_back(t);
        args.push_back(dir.file(std::string("at") + t + ".png"));
    }
    const e2e::ChildResult result = devrun(args);
    expectCleanLog(result, "frames");
    std::map<std::string, Frame> at;
    for (const char* t : times) {
        Frame& frame = at[t];
        ASSERT_TRUE(frame.load(dir.file(std::string("at") + t + ".png"))) << t << " s\n" << result.output;
        EXPECT_EQ(frame.width, 480);
        EXPECT_EQ(frame.height, 270);
        const Frame::Stats all = frame.stats(0, 0, 1, 1);
        EXPECT_GT(all.spread, 12.0) << t << " s: the frame is of one colour";
        EXPECT_GT(all.luma, 20.0) << t << " s: the frame is black";
    }
    // Regions: the sky band at the top, the road at the bottom centre, the
    // middle of the screen, the dashboard across the bottom quarter.
    auto top = [](const Frame& f) { return f.stats(0, 0, 1, 0.15); };
    auto road = [](const Frame& f) { return f.stats(0.4, 0.85, 0.6, 1); };
    auto middle = [](const Frame& f) { return f.stats(0.2, 0.35, 0.8, 0.6); };

    // The opening card: glowing letters across the middle over the drive.
    EXPECT_GT(middle(at["6"]).luma, road(at["6"]).luma + 40) << "no opening card at 6 s";
    // The cockpit: a dark dashboard that stays put below a bright windscreen
    // whose view moves.
    EXPECT_LT(at["36"].stats(0, 0.8, 1, 1).luma, 60) << "no dashboard at 36 s";
    EXPECT_GT(middle(at["36"]).luma, at["36"].stats(0, 0.8, 1, 1).luma + 60) << "no windscreen at 36 s";
    EXPECT_LT(at["36"].difference(at["37"], 0, 0.8, 1, 1), 6.0) << "the dashboard moves";
    EXPECT_GT(at["36"].difference(at["37"], 0.15, 0.1, 0.85, 0.6), 6.0) << "the view through the windscreen stands still";
    // The chase view in the desert: the bright sky at the top, dark asphalt
    // at the bottom centre.
    const Frame::Stats sky = top(at["50"]);
    EXPECT_GT(sky.luma, road(at["50"]).luma + 40) << "no sky over the road at 50 s";
    // The credits card holds still on its picture.
    EXPECT_GT(middle(at["104"]).luma, 150) << "no credits card at 104 s";
    EXPECT_LT(at["104"].difference(at["105"], 0, 0, 1, 1), 12.0) << "the credits card does not hold";
    // The closing card is held after the music.
    EXPECT_GT(middle(at["212"]).luma, 100) << "no closing card at 212 s";
    EXPECT_LT(at["212"].difference(at["215"], 0, 0, 1, 1), 10.0) << "the closing card is not held";
    // Neighbouring moments differ.
    EXPECT_GT(at["76"].difference(at["112"], 0, 0, 1, 1), 10.0);
    EXPECT_GT(at["112"].difference(at["160"], 0, 0, 1, 1), 10.0);
}

TEST_F(Show, RunsAtAnotherWindowSize)
{
    // Not 16:9, and clear of the launcher dialog that other tests click in
    // the middle of the screen.
    const e2e::ChildResult result = devrun({"--size", "560x380", "--shot", "76", dir.file("other.png")});
    expectCleanLog(result, "560x380");
    Frame frame;
    ASSERT_TRUE(frame.load(dir.file("other.png"))) << result.output;
    EXPECT_EQ(frame.width, 560);
    EXPECT_EQ(frame.height, 380);
    // The picture is letterboxed to 16:9 (315 rows): black bars above and below.
    EXPECT_LT(frame.stats(0, 0, 1, 0.05).luma, 2.0);
    EXPECT_LT(frame.stats(0, 0.95, 1, 1).luma, 2.0);
    EXPECT_GT(frame.stats(0, 0.3, 1, 0.7).spread, 8.0);
}

TEST_F(Show, SteadyFramesAllocateNothingInTheProgramsOwnCode)
{
    // Across a title coming in, the cockpit, the rain and the camera over the
    // road with the car. The clock stands between steps of 100 ms, so that
    // every run draws the same moments, and the count starts after the cut
    // that first draws the car (a mesh makes a vertex array at its first draw
    // with a shader: that frame allocates).
    const e2e::ChildResult result = devrun({"--size", "160x90", "--start", "90", "--still", "--every", "0.1",
                                            "--stats-from", "101", "--end", "114", "--stats"});
    expectCleanLog(result, "stats");
    const std::string marker = " allocations per frame over ";
    for (const std::string& line : result.lines()) {
        if (line.find(marker) == std::string::npos)
            continue;
        EXPECT_EQ(line.rfind("devrun: 0 allocations per frame", 0), 0u) << line;
        EXPECT_NE(line.find("in the program's own code"), std::string::npos) << line;
        return;
    }
    // The sanitizers' allocator replaces the runner's count.
    GTEST_SKIP() << "no allocation count in this build";
}
