#include "tools/arrangement/Arrangement.h"
#include "tools/synth/Synth.h"

#include "support/Command.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string arrangementPath = std::string(PULSVEK_SOURCE_DIR) + "/content/music/arrangement.txt";

TEST(ArrangementTest, ShowArrangementIsOneTempoInSectionsOfEightOrSixteenBars)
{
    music::Arrangement a;
    std::string error;
    ASSERT_TRUE(music::readArrangement(arrangementPath, a, error)) << error;
    EXPECT_GE(a.tempo, 110);
    EXPECT_LE(a.tempo, 128);
    EXPECT_EQ(a.beatsPerBar, 4);
    EXPECT_GE(a.totalMs(), 180000);
    EXPECT_LE(a.totalMs(), 240000);
    ASSERT_GE(a.sections.size(), 6u);
    for (const music::Section& s : a.sections)
        EXPECT_TRUE(s.bars == 8 || s.bars == 16) << s.name;
    // Starts at bar 0, ends with a section that fades, and has main parts with the lead.
    EXPECT_EQ(a.sections.front().startBar, 0);
    EXPECT_TRUE(a.sections.back().has("fadeout"));
    int withLead = 0;
    for (const music::Section& s : a.sections)
        withLead += s.has("lead") && s.has("kick") ? 1 : 0;
    EXPECT_GE(withLead, 2);
}

TEST(ArrangementTest, BarTimesFollowTheTempo)
{
    music::Arrangement a;
    std::string error;
    ASSERT_TRUE(music::parseArrangement({"tempo 120", "beats_per_bar 4", "section a 0 8", "section b 8 16 kick"},
                                        "a.txt", a, error))
        << error;
    EXPECT_EQ(a.totalBars(), 24);
    EXPECT_EQ(a.barMs(1), 2000);
    EXPECT_EQ(a.totalMs(), 48000);
    EXPECT_EQ(a.barFrame(8, 44100), 8 * 88200);
    ASSERT_NE(a.sectionAt(8), nullptr);
    EXPECT_EQ(a.sectionAt(8)->name, "b");
    EXPECT_TRUE(a.sectionAt(8)->has("kick"));
    EXPECT_EQ(a.sectionAt(24), nullptr);
    EXPECT_EQ(a.findSection("b")->line, 4);

    ASSERT_TRUE(music::parseArrangement({"tempo 125 # comment", "", "beats_per_bar 4", "section a 0 16"}, "a.txt", a,
                                        error));
    EXPECT_EQ(a.barMs(16), 16 * 4 * 480);
}

TEST(ArrangementTest, FaultyFilesAreRefusedWithTheFileAndLine)
{
    const std::string head = "tempo 120\nbeats_per_bar 4\n";
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"gap", head + "section a 0 8\nsection b 9 8", "a.txt:4: section 'b' starts at bar 9, after a gap"},
        {"overlap", head + "section a 0 8\nsection b 4 8", "a.txt:4: section 'b' starts at bar 4, inside"},
        {"late first", head + "section a 2 8", "a.txt:3:"},
        {"unknown part", head + "section a 0 8 cowbell", "a.txt:3: unknown part 'cowbell'"},
        {"twice", head + "section a 0 8\nsection a 8 8", "a.txt:4: section 'a' is named twice (first on line 3)"},
        {"zero length", head + "section a 0 0", "a.txt:3: section 'a' needs a positive length"},
        {"bad tempo", "tempo fast\nbeats_per_bar 4\nsection a 0 8", "a.txt:1: tempo"},
        {"zero tempo", "tempo 0\nbeats_per_bar 4\nsection a 0 8", "a.txt:1: tempo 0 cannot be played"},
        {"slow tempo", "tempo 1\nbeats_per_bar 4\nsection a 0 8", "a.txt:1: tempo 1 cannot be played"},
        {"fast tempo", "tempo 241\nbeats_per_bar 4\nsection a 0 8", "a.txt:1: tempo 241 cannot be played"},
        {"long bars", "tempo 120\nbeats_per_bar 13\nsection a 0 8", "a.txt:2: beats_per_bar 13 cannot be played"},
        {"tempo twice in a line", "tempo 120 130", "a.txt:1:"},
        {"tempo twice", "tempo 120\ntempo 130", "a.txt:2: tempo is given twice (first on line 1)"},
        {"tempo after a section", head + "section a 0 8\ntempo 100", "a.txt:4: tempo belongs before the first section"},
        {"section before the tempo", "section a 0 8\ntempo 120", "a.txt:1: section 'a' comes before the tempo"},
        {"number with junk", "tempo 120\nbeats_per_bar 4x", "a.txt:2:"},
        {"huge number", "tempo 99999999999999999999", "a.txt:1:"},
        {"short section", head + "section a 0", "a.txt:3:"},
        {"longer than the clock", head + "section a 0 601", "a.txt:3: section 'a' ends at bar 601, after the music's 20 minutes"},
        {"ten thousand bars", head + "section a 0 100\nsection b 100 10000", "a.txt:4: section 'b' ends at bar 10100"},
        {"unknown statement", "tempo 120\nswing 60", "a.txt:2: unknown statement 'swing'"},
        {"long word cut short", "tempo 120\n" + std::string(100000, 'x'), "a.txt:2: unknown statement 'xxxx"},
        {"no sections", head, "a.txt:2: the arrangement needs a tempo, beats_per_bar and at least one section"},
        {"empty", "", "a.txt:1: the arrangement needs"},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write("a.txt", c.text);
        music::Arrangement a;
        std::string error;
        EXPECT_FALSE(music::readArrangement(path, a, error)) << c.name;
        EXPECT_EQ(error.rfind(path + ":", 0), 0u) << c.name << ": " << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
        EXPECT_LT(error.size(), 300u) << c.name;
    }
}

TEST(ArrangementTest, UnreadableFilesAreNamed)
{
    testsupport::TempDir dir;
    const std::string folder = dir.path();
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {"/nonexistent/arrangement.txt", "/nonexistent/arrangement.txt:1: cannot read the arrangement"},
        {folder, folder + ":1: cannot read the arrangement (it is a folder)"},
        {dir.write("empty.txt", ""), dir.file("empty.txt") + ":1: the arrangement needs"},
    };
    for (const auto& c : cases) {
        music::Arrangement a;
        std::string error;
        EXPECT_FALSE(music::readArrangement(c.path, a, error));
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
    }
}

// Every tempo and metre the reader takes renders without touching memory the
// synthesiser does not own (the test binary runs under AddressSanitizer), with
// every part in the last section, where a voice runs into the end of the piece.
// One test a metre, each with every part and a spread of tempos.
class EveryMetre : public testing::TestWithParam<int> {};

TEST_P(EveryMetre, RendersEveryPartWithinItsBuffers)
{
    const int beats = GetParam();
    const int tempos[] = {music::minTempo, 60, 97, 124, 133, 171, 200, music::maxTempo};
    const char* const parts[] = {"kick", "snare", "hats", "bass", "pad", "arp", "lead",
                                 "fadein", "riser", "halftime", "lift", "fadeout"};
    for (size_t p = 0; p < std::size(parts); ++p) {
        const int tempo = tempos[(beats * 5 + p) % std::size(tempos)];
        // The last section is long enough for a phrase of the lead (sixteen beats).
        const int lastBars = (16 + beats - 1) / beats;
        const std::string last = std::string(parts[p]) + (p < 7 ? "" : " kick snare hats bass pad arp lead");
        const std::vector<std::string> lines = {"tempo " + std::to_string(tempo),
                                                "beats_per_bar " + std::to_string(beats),
                                                "section a 0 1 kick snare hats bass pad arp riser",
                                                "section b 1 " + std::to_string(lastBars) + " " + last};
        const std::string what = std::to_string(tempo) + " BPM, " + parts[p];
        music::Arrangement a;
        std::string error;
        ASSERT_TRUE(music::parseArrangement(lines, "a.txt", a, error)) << error;
        synth::Rendered sound = synth::renderMusic(a);
        ASSERT_EQ(sound.left.size(), static_cast<size_t>(a.barFrame(a.totalBars(), synth::sampleRate))) << what;
        const auto loudest = std::max_element(sound.left.begin(), sound.left.end(),
                                              [](float x, float y) { return std::fabs(x) < std::fabs(y); });
        EXPECT_TRUE(std::isfinite(*loudest) && std::fabs(*loudest) > 0.01f) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(BeatsPerBar, EveryMetre, testing::Range(1, music::maxBeatsPerBar + 1));

}  // namespace

namespace {

// The synthesiser stops at once on an arrangement it cannot render, with one
// line "<file>:<line>: <what>" on standard error and nothing written.
TEST(SynthTool, RefusesWhatItCannotRenderWithTheFileAndLine)
{
    testsupport::TempDir dir;
    const std::string head = "tempo 120\nbeats_per_bar 4\n";
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {dir.write("slow.txt", "tempo 1\nbeats_per_bar 4\nsection a 0 4 kick\n"), "slow.txt:1: tempo 1 cannot be played"},
        {dir.write("long.txt", head + "section a 0 10000 kick bass\n"), "long.txt:3: section 'a' ends at bar 10000"},
        {dir.write("five.txt", "tempo 120\nbeats_per_bar 13\nsection a 0 4 bass\n"), "five.txt:2: beats_per_bar 13"},
        {dir.write("word.txt", head + std::string(1 << 20, 'w') + "\n"), "word.txt:3: unknown statement 'www"},
        {dir.path(), dir.path() + ":1: cannot read the arrangement (it is a folder)"},
        {dir.file("missing.txt"), "missing.txt:1: cannot read the arrangement"},
    };
    for (const auto& c : cases) {
        const testsupport::CommandResult r = testsupport::runCommand({PULSVEK_SYNTH, c.path, dir.file("out.mp3")}, dir.path());
        EXPECT_EQ(r.status, 1) << c.path;
        EXPECT_EQ(r.out, "") << c.path;
        EXPECT_EQ(r.err.rfind(c.path + ":", 0), 0u) << r.err.substr(0, 200);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err.substr(0, 200);
        EXPECT_LT(r.err.size(), 300u);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err.substr(0, 200);
        EXPECT_FALSE(std::ifstream(dir.file("out.mp3")).good()) << c.path;
    }
}

}  // namespace
