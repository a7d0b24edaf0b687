#include "tools/synth/Arrangement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string arrangementPath = std::string(PULSVEK_SOURCE_DIR) + "/content/music/arrangement.txt";

TEST(ArrangementTest, ShowArrangementIsOneTempoInSectionsOfEightOrSixteenBars)
{
    synth::Arrangement a;
    std::string error;
    ASSERT_TRUE(synth::readArrangement(arrangementPath, a, error)) << error;
    EXPECT_GE(a.tempo, 110);
    EXPECT_LE(a.tempo, 128);
    EXPECT_EQ(a.beatsPerBar, 4);
    EXPECT_GE(a.totalMs(), 180000);
    EXPECT_LE(a.totalMs(), 240000);
    ASSERT_GE(a.sections.size(), 6u);
    for (const synth::Section& s : a.sections)
        EXPECT_TRUE(s.bars == 8 || s.bars == 16) << s.name;
    // Starts at bar 0, ends with a section that fades, and has main parts with the lead.
    EXPECT_EQ(a.sections.front().startBar, 0);
    EXPECT_TRUE(a.sections.back().has("fadeout"));
    int withLead = 0;
    for (const synth::Section& s : a.sections)
        withLead += s.has("lead") && s.has("kick") ? 1 : 0;
    EXPECT_GE(withLead, 2);
}

TEST(ArrangementTest, BarTimesFollowTheTempo)
{
    synth::Arrangement a;
    std::string error;
    ASSERT_TRUE(synth::parseArrangement({"tempo 120", "beats_per_bar 4", "section a 0 8", "section b 8 16 kick"},
                                        a, error))
        << error;
    EXPECT_EQ(a.totalBars(), 24);
    EXPECT_EQ(a.barMs(1), 2000);
    EXPECT_EQ(a.totalMs(), 48000);
    EXPECT_EQ(a.barFrame(8, 44100), 8 * 88200);
    ASSERT_NE(a.sectionAt(8), nullptr);
    EXPECT_EQ(a.sectionAt(8)->name, "b");
    EXPECT_TRUE(a.sectionAt(8)->has("kick"));
    EXPECT_EQ(a.sectionAt(24), nullptr);

    ASSERT_TRUE(synth::parseArrangement({"tempo 125 # comment", "", "beats_per_bar 4", "section a 0 16"}, a, error));
    EXPECT_EQ(a.barMs(16), 16 * 4 * 480);
}

TEST(ArrangementTest, FaultyFilesAreRefusedWithTheLine)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        const char* message;
    };
    const Case cases[] = {
        {"gap", {"tempo 120", "beats_per_bar 4", "section a 0 8", "section b 9 8"}, "line 4: section 'b' starts at bar 9"},
        {"overlap", {"tempo 120", "beats_per_bar 4", "section a 0 8", "section b 4 8"}, "line 4:"},
        {"late first", {"tempo 120", "beats_per_bar 4", "section a 2 8"}, "line 3:"},
        {"unknown part", {"tempo 120", "beats_per_bar 4", "section a 0 8 cowbell"}, "unknown part 'cowbell'"},
        {"twice", {"tempo 120", "beats_per_bar 4", "section a 0 8", "section a 8 8"}, "named twice"},
        {"zero length", {"tempo 120", "beats_per_bar 4", "section a 0 0"}, "positive length"},
        {"bad tempo", {"tempo fast", "beats_per_bar 4", "section a 0 8"}, "line 1: tempo"},
        {"zero tempo", {"tempo 0", "beats_per_bar 4", "section a 0 8"}, "line 1:"},
        {"tempo twice in a line", {"tempo 120 130"}, "line 1:"},
        {"number with junk", {"tempo 120", "beats_per_bar 4x"}, "line 2:"},
        {"huge number", {"tempo 99999999999999999999"}, "line 1:"},
        {"short section", {"tempo 120", "beats_per_bar 4", "section a 0"}, "line 3:"},
        {"unknown statement", {"tempo 120", "swing 60"}, "unknown statement 'swing'"},
        {"no tempo", {"beats_per_bar 4", "section a 0 8"}, "needs a tempo"},
        {"no sections", {"tempo 120", "beats_per_bar 4"}, "at least one section"},
        {"empty", {}, "needs a tempo"},
    };
    for (const Case& c : cases) {
        synth::Arrangement a;
        std::string error;
        EXPECT_FALSE(synth::parseArrangement(c.lines, a, error)) << c.name;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    }
}

TEST(ArrangementTest, MissingFileIsAnError)
{
    synth::Arrangement a;
    std::string error;
    EXPECT_FALSE(synth::readArrangement("/nonexistent/arrangement.txt", a, error));
    EXPECT_NE(error.find("/nonexistent/arrangement.txt"), std::string::npos) << error;
}

}  // namespace
