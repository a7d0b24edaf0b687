#include "tools/timeline/Timeline.h"

#include "tools/timeline/ProductionSchema.h"

#include "engine/runtime/Effect.h"
#include "engine/runtime/Rows.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackFile.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"
#include "engine/runtime/VLMIO.h"
#include "util/File.h"

#include "support/Capture.h"
#include "support/Command.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// An effect with the named value tracks and nothing else.
class Tracks : public Effect {
public:
    explicit Tracks(const std::vector<std::string>& names)
    {
        for (const std::string& n : names) {
            TrackInterpolate* t = nullptr;
            addTrack(n, t);
        }
    }
};

std::unique_ptr<Timeline> parsed(const std::string& text)
{
    std::unique_ptr<Timeline> t(new Timeline());
    std::string error;
    EXPECT_TRUE(t->parse(text, "show.timeline", error)) << error;
    return t;
}

std::string parseError(const std::string& text)
{
    Timeline t;
    std::string error;
    EXPECT_FALSE(t.parse(text, "show.timeline", error)) << text;
    return error;
}

unsigned firstRow(const std::string& time, const std::string& head = "")
{
    auto t = parsed(head + "instance a\ntrack x\n" + time + " 1\n");
    return t->getInstances()[0].tracks[0].keys[0].row;
}

}

TEST(Timeline, TimesBecomeRows)
{
    const std::string sections = "tempo 120\nbeats_per_bar 4\nsection intro 0 16\nsection main1 32 8\n";
    const struct {
        const char* time;
        unsigned row;
    } cases[] = {
        {"0s", 0},          {"12.5s", 250},        {"1500ms", 30},       {"0.026s", 1},  // nearest row
        {"0:1", 0},         {"16:1", 640},         {"16:2.5", 655},      {"main1", 1280},
        {"main1.end", 1600}, {"intro+2bars", 80},  {"main1-1beat", 1270}, {"4s+1b+250ms", 95},
        {"intro.end-0.5s", 630},
    };
    for (const auto& c : cases)
        EXPECT_EQ(firstRow(c.time, sections), c.row) << c.time;
    // Another tempo and metre move the beats.
    EXPECT_EQ(firstRow("2:1", "tempo 90\nbeats_per_bar 3\n"), 80u);  // 6 beats of 666.7 ms
}

TEST(Timeline, KeysRunsAndRepeatsCompile)
{
    auto t = parsed(
        "tempo 120\n"
        "instance post priority 3\n"
        "  run 0s 10s into offscreen\n"
        "  run 20s forever\n"
        "  track fade = 0.5\n"
        "  track glow\n"
        "    4s 2 easeout\n"
        "    0s 1\n"
        "    repeat 8s 10s every 1beat\n"
        "      +0 3 step\n"
        "      +0.5beat 1 quad\n"
        "    end\n"
        "instance sky\n"
        "  track sky1 = 2\n"
        "  track \"rgb separation\" = 4 # quoted\n");
    const TimelineInstance& post = t->getInstances()[0];
    EXPECT_EQ(post.priority, 3);
    ASSERT_EQ(post.runs.size(), 2u);
    EXPECT_EQ(post.runs[0].start, 0u);
    EXPECT_EQ(post.runs[0].stop, 199u);  // up to, not including, 10 s
    EXPECT_EQ(post.runs[0].target, "offscreen");
    EXPECT_EQ(post.runs[1].target, "screen");
    EXPECT_EQ(post.runs[1].stop, VLMPulsvek::SHOW_END_ROW);
    // Keys in row order, the repeat expanded: 8, 8.25, ... 9.75 s.
    const std::vector<TimelineKey>& glow = post.findTrack("glow")->keys;
    const unsigned rows[] = {0, 80, 160, 165, 170, 175, 180, 185, 190, 195};
    ASSERT_EQ(glow.size(), 10u);
    for (size_t i = 0; i < glow.size(); ++i)
        EXPECT_EQ(glow[i].row, rows[i]) << i;
    EXPECT_EQ(glow[1].type, 1);
    EXPECT_EQ(glow[2].type, 3);
    EXPECT_FLOAT_EQ(glow[3].value, 1.0f);
    EXPECT_EQ(glow[3].type, 4);
    EXPECT_EQ(t->getInstances()[1].priority, 4);  // after the ones before
    EXPECT_NE(t->getInstances()[1].findTrack("rgb separation"), nullptr);

    // Compiled by the engine's writer and read back by the engine's reader.
    testsupport::TempDir dir;
    std::string error;
    ASSERT_TRUE(t->compile(dir.path(), error)) << error;
    Tracks postEffect({"fade", "glow", "unused"}), skyEffect({"sky1", "rgb separation"});
    VLMIO::setLoadMode(0);
    testsupport::StdoutCapture quiet;
    std::unique_ptr<TrackManager> loaded(
        TrackFile(dir.path() + "/").loadFromIndex({"post", "sky"}, {&postEffect, &skyEffect}));
    quiet.text();
    ASSERT_NE(loaded, nullptr);
    TrackEntry* entry = loaded->getEntry("post");
    ASSERT_NE(entry, nullptr);
    std::vector<Keyframe*> keys;
    entry->getStartStop()->getKeyframes(keys);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0]->row, 0u);
    EXPECT_EQ(keys[1]->row, 199u);
    EXPECT_EQ(keys[1]->type, 0);
    EXPECT_EQ(keys[2]->row, 400u);
    EXPECT_EQ(static_cast<StartStopKeyframe*>(keys[2])->targetName, "screen");
    EXPECT_TRUE(entry->getStartStop()->isActiveAt(0, 199));
    EXPECT_FALSE(entry->getStartStop()->isActiveAt(0, 200));
    EXPECT_TRUE(entry->getStartStop()->isActiveAt(0, 50000));
    EXPECT_FLOAT_EQ(postEffect.getTrack(0)->getValue(123456), 0.5f);
    EXPECT_FLOAT_EQ(postEffect.getTrack(1)->getValue(2000), 1.5f);  // half way from 1 to 2, linear
    EXPECT_FLOAT_EQ(postEffect.getTrack(1)->getValue(8100), 3.0f);  // step
    keys.clear();
    postEffect.getTrack(1)->getKeyframes(keys);
    ASSERT_EQ(keys.size(), glow.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i]->row, glow[i].row);
        EXPECT_EQ(keys[i]->type, glow[i].type);
        EXPECT_EQ(keys[i]->value, glow[i].value);
    }
    EXPECT_FLOAT_EQ(skyEffect.getTrack(0)->getValue(0), 2.0f);
    EXPECT_FLOAT_EQ(skyEffect.getTrack(1)->getValue(0), 4.0f);
}

TEST(Timeline, ArrangementGivesTempoAndSections)
{
    testsupport::TempDir dir;
    dir.write("music/arrangement.txt",
              "# the music\ntempo 100\nbeats_per_bar 4\n"
              "section intro 0 4 pad fadein\nsection drop 4 8 kick bass\n");
    dir.write("timeline/show.timeline",
              "arrangement ../music/arrangement.txt\ninstance a\ntrack x\ndrop 1\ndrop.end 2\n");
    Timeline t;
    std::string error;
    ASSERT_TRUE(t.parseFile(dir.file("timeline/show.timeline"), error)) << error;
    EXPECT_EQ(t.getTempo(), 100);
    ASSERT_EQ(t.getSections().size(), 2u);
    EXPECT_DOUBLE_EQ(t.getSections()[1].startMs, 9600);  // 16 beats of 600 ms
    EXPECT_DOUBLE_EQ(t.getSections()[1].endMs, 28800);
    EXPECT_EQ(t.getInstances()[0].tracks[0].keys[0].row, 192u);
    EXPECT_EQ(t.getInstances()[0].tracks[0].keys[1].row, 576u);

    EXPECT_EQ(t.getInputs(), (std::vector<std::string>{dir.file("timeline/show.timeline"),
                                                        dir.file("timeline/../music/arrangement.txt")}));
}

// A fault of the arrangement is reported at its own file and line, and the
// timeline takes the tempo and the metre from it alone.
TEST(Timeline, ArrangementFaultsNameTheArrangement)
{
    testsupport::TempDir dir;
    dir.write("music/good.txt", "tempo 100\nbeats_per_bar 4\nsection intro 0 4\n");
    dir.write("music/gap.txt", "tempo 100\nbeats_per_bar 4\nsection intro 0 4\nsection drop 5 4\n");
    dir.write("music/odd.txt", "tempo 100\nbeats_per_bar 4\nsectoin intro 0 4\n");
    dir.write("music/empty.txt", "");
    const std::string music = dir.file("timeline/../music/");
    const struct {
        std::string source;
        std::string message;
    } cases[] = {
        {"arrangement nowhere.txt\n", dir.file("timeline/nowhere.txt") + ":1: cannot read the arrangement"},
        {"arrangement ../music\n", music.substr(0, music.size() - 1) + ":1: cannot read the arrangement (it is a folder)"},
        {"arrangement ../music/empty.txt\ninstance a\ntrack x\nintro 1\n", music + "empty.txt:1: the arrangement needs"},
        {"arrangement ../music/gap.txt\n", music + "gap.txt:4: section 'drop' starts at bar 5, after a gap"},
        {"arrangement ../music/odd.txt\n", music + "odd.txt:3: unknown statement 'sectoin'"},
        {"arrangement ../music/good.txt\ntempo 100\n", "show.timeline:2: 'tempo' comes from the arrangement of line 1"},
        {"arrangement ../music/good.txt\nbeats_per_bar 3\n", "show.timeline:2: 'beats_per_bar' comes from the arrangement"},
        {"tempo 100\narrangement ../music/good.txt\n", "show.timeline:2: the arrangement gives the tempo and beats_per_bar, set on line 1"},
        {"section intro 0 2\narrangement ../music/good.txt\n", "show.timeline:2: section 'intro' of the arrangement is named here already"},
    };
    {
        Timeline t;
        std::string error;
        EXPECT_FALSE(t.parseFile(dir.path(), error));
        EXPECT_EQ(error, dir.path() + ":1: cannot read the timeline");
    }
    for (const auto& c : cases) {
        Timeline t;
        std::string error;
        const std::string path = dir.write("timeline/show.timeline", c.source);
        EXPECT_FALSE(t.parseFile(path, error)) << c.source;
        const std::string expected = c.message.rfind("show.timeline", 0) == 0 ? dir.file("timeline/") + c.message : c.message;
        EXPECT_EQ(error.rfind(expected, 0), 0u) << "got: " << error << "\nfor: " << c.source;
    }
}

// The compiler names what it read in its depfile, so that the build compiles
// the tracks again when the arrangement changes; a fault of the arrangement
// stops it with the arrangement's own line on standard error.
TEST(Timeline, TheCompilerWritesItsDepfileAndNamesTheFileAtFault)
{
    testsupport::TempDir dir;
    dir.write("my music/a.txt", "tempo 100\nbeats_per_bar 4\nsection intro 0 4\n");
    dir.write("my music/bad.txt", "tempo 100\nbeats_per_bar 4\nsection intro 0 4\nsection drop 2 4\n");
    const std::string good = dir.write("timeline/good.timeline", "arrangement \"../my music/a.txt\"\n");
    const std::string bad = dir.write("timeline/bad.timeline", "# the music\narrangement \"../my music/bad.txt\"\n");
    dir.write("tracks/.keep", "");
    const std::string tracks = dir.path() + "/tracks";
    const std::string depfile = dir.file("tracks.d");

    testsupport::CommandResult r =
        testsupport::runCommand({PULSVEK_TIMELINE, good, tracks, "--depfile", depfile}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string escaped = [&] {
        std::string out;
        for (char c : dir.path())
            out += c == ' ' ? std::string("\\ ") : std::string(1, c);
        return out;
    }();
    EXPECT_EQ(testsupport::readWholeFile(depfile), escaped + "/tracks/index.list " + escaped + "/tracks/track.data: " +
                                                       escaped + "/timeline/good.timeline " + escaped +
                                                       "/my\\ music/a.txt\n");

    r = testsupport::runCommand({PULSVEK_TIMELINE, bad, tracks, "--depfile", depfile}, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, dir.file("timeline/../my music/bad.txt") +
                         ":4: section 'drop' starts at bar 2, inside the previous section, which ends at bar 4\n");
}

// Numbers beyond the music's 20 minutes or a float's range are refused at once.
TEST(Timeline, OutOfRangeNumbersAreRefusedWithTheLine)
{
    const struct {
        std::string source;
        const char* message;
    } cases[] = {
        {"instance a\ntrack x\n1e20s 1\n", "show.timeline:3: '1e20s' lies after the music's 20 minutes"},
        {"instance a\ntrack x\n1000000000:1 1\n", "show.timeline:3: '1000000000:1' lies after the music's 20 minutes"},
        {"instance a\ntrack x\n1:1e300 1\n", "show.timeline:3: '1:1e300' lies after"},
        {"instance a\ntrack x\n1s+1e306s-1e306s 1\n", "show.timeline:3: '1e306s' is longer than the music's 20 minutes"},
        {"instance a\ntrack x\n1201s 1\n", "show.timeline:3: '1201s' lies after the music's 20 minutes"},
        {"instance a\nrun 0s 1e300s\n", "show.timeline:2: '1e300s' lies after the music's 20 minutes"},
        {"instance a\ntrack x\n1s 1e39\n", "show.timeline:3: '1e39' is too large for a track value"},
        {"instance a\ntrack x = -1e39\n", "show.timeline:2: '-1e39' is too large for a track value"},
        {"instance a\ntrack x\n1s inf\n", "show.timeline:3: 'inf' is not a number"},
        {"instance a\ntrack x\nrepeat 0s 1e10s every 50ms\n", "show.timeline:3: '1e10s' lies after the music's 20 minutes"},
        {"instance a\ntrack x\nrepeat 0s 1200s every 50ms\n+0 1\n+25ms 2\nend\n", "show.timeline:3: the repeat makes 48000 keys, more than the 24001 rows"},
        {"instance a\ntrack x\nrepeat 1s 2s every 1s\n+-2s 1\nend\n", "show.timeline:4: the repeat's first key '+-2s' lies before the start of the show"},
        {"instance a\ntrack x\nrepeat 1190s 1200s every 1s\n+20s 1\nend\n", "show.timeline:4: the repeat's key lies after the music's 20 minutes"},
        {"instance a\ntrack x\n1s 1\n1s+1e5bars 2\n", "show.timeline:4: '1e5bars' is longer than"},
        {"tempo 1e300\n", "show.timeline:1: tempo '1e300' lies outside 40 to 240 beats a minute"},
        {"tempo 0.001\n", "show.timeline:1: tempo '0.001' lies outside"},
        {"beats_per_bar 1000\n", "show.timeline:1: bad beats_per_bar '1000' (1 to 12)"},
        {"section s 1000000000\n", "show.timeline:1: section 's' lies after the music's 20 minutes"},
        {"instance a\ntrack x\n" + std::string(1 << 20, '9') + "s 1\n", "show.timeline:3: '9999"},
    };
    for (const auto& c : cases) {
        const std::string error = parseError(c.source);
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << "got: " << error.substr(0, 300) << "\nfor: " << c.source.substr(0, 100);
        EXPECT_LT(error.size(), 300u);
    }
}

// A long repeat that fills the music's rows parses in bounded time: the
// doubles are found by row, not by a walk over every key.
TEST(Timeline, ARepeatOverTheWholeMusicParses)
{
    auto t = parsed("instance a\ntrack x\nrepeat 0s 1200s every 50ms\n+0 1\nend\n");
    EXPECT_EQ(t->getInstances()[0].tracks[0].keys.size(), 24000u);
}

TEST(Timeline, MalformedSourcesNameTheLine)
{
    const struct {
        const char* source;
        const char* message;
    } cases[] = {
        {"instance a\ntrack x\n5 1\n", "show.timeline:3: '5' has no unit"},
        {"instance a\ntrack x\n1s one\n", "show.timeline:3: 'one' is not a number"},
        {"instance a\ntrack x\n1s 1 wobble\n", "show.timeline:3: unknown interpolation 'wobble'"},
        {"instance a\ntrack x\n1s 1\n\n1.01s 2\n", "show.timeline:5: track 'x' has two keys at row 20 (the other on line 3)"},
        {"instance a\ntrack x\nchorus 1\n", "show.timeline:3: unknown section 'chorus'"},
        {"instance a\ntrack x\n3:0 1\n", "show.timeline:3: '3:0' is not a bar:beat time"},
        {"instance a\ntrack x\n1s+2 1\n", "show.timeline:3: '2' is not a duration"},
        {"instance a\nrun 2s 1s\n", "show.timeline:2: the run ends before it starts"},
        {"instance a\nrun 0s 5s\nrun 4s 6s\n", "show.timeline:3: the run starts at row 80, before the run of line 2 has ended (row 99)"},
        {"instance a\nrun 0s\n", "show.timeline:2: write 'run <from> <until> [into <framebuffer>]'"},
        {"run 0s 1s\n", "show.timeline:1: 'run' outside an instance"},
        {"1s 2\n", "show.timeline:1: unknown statement '1s'"},
        {"instance a\n1s 2\n", "show.timeline:2: '1s' is no statement, and no track is open for a key"},
        {"instance a\ninstance a\n", "show.timeline:2: instance 'a' is declared twice (line 1)"},
        {"instance a\ntrack x\ntrack x\n", "show.timeline:3: track 'x' of 'a' is given twice (line 2)"},
        {"instance a\ntrack x\nrepeat 0s 4s every 1beat\n+0 1\n", "show.timeline:3: the repeat block has no 'end'"},
        {"instance a\ntrack x\nrepeat 0s 4s every 10ms\n", "show.timeline:3: repeat every 10ms is shorter than a row"},
        {"instance a\ntrack x\nrepeat 0s 4s every 1b\n2s 1\nend\n", "show.timeline:4: inside repeat"},
        {"instance a\ntrack x\nrepeat 0s 4s every 1b\n+0 1\nend\n2s 5\n", "show.timeline:6: track 'x' has two keys at row 40"},
        {"instance a\nend\n", "show.timeline:2: 'end' without a repeat"},
        {"tempo fast\n", "show.timeline:1: bad tempo 'fast'"},
        {"instance a\ntempo 100\n", "show.timeline:2: 'tempo' belongs before the first instance"},
        {"section s 1\nsection s 2\n", "show.timeline:2: section 's' is named twice"},
        {"section s 1\ninstance a\ntrack x\ns.end 1\n", "show.timeline:4: section 's' has no length"},
        {"instance a priority -1\n", "show.timeline:1: a priority is a whole number of 0 or more"},
        {"instance a priority 2\ninstance b priority 2\n", "show.timeline:2: instance 'b' has the priority of 'a' (2)"},
        {"instance a\ntrack x\n100m 1\n", "show.timeline:3: '100m' is not a time"},
        {"instance a\ntrack x\n0s-1s 1\n", "show.timeline:3: '0s-1s' lies before the start of the show"},
        {"instance a\ntrack x\n6000s 1\n", "show.timeline:3: '6000s' lies after the music's 20 minutes"},
    };
    for (const auto& c : cases) {
        const std::string error = parseError(c.source);
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << "got: " << error << "\nfor: " << c.source;
    }
}

TEST(Timeline, CheckAgainstTheProductionsInstancesAndTracks)
{
    const TimelineSchema schema = {{"sky", {"sky1", "sky2"}}, {"rain", {"rain_move"}}};
    std::string error;
    EXPECT_TRUE(parsed("instance sky\ntrack sky2 = 1\ninstance rain\n")->check(schema, error)) << error;
    EXPECT_FALSE(parsed("instance sky\n\ntrack sky3 = 1\n")->check(schema, error));
    EXPECT_EQ(error, "show.timeline:3: instance 'sky' has no track 'sky3' (it has sky1, sky2)");
    EXPECT_FALSE(parsed("instance cloud\n")->check(schema, error));
    EXPECT_EQ(error, "show.timeline:1: the production has no instance 'cloud' (it has rain, sky)");
}

// The show's own timeline, as the build compiles and packs it.
namespace {

const std::string kShowSource = std::string(PULSVEK_SOURCE_DIR) + "/content/timeline/show.timeline";
const std::string kShowTracks = std::string(PULSVEK_BINARY_DIR) + "/show/resources/tracks/";

struct ShowTimeline : public ::testing::Test {
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(timeline.parseFile(kShowSource, error)) << error;
        schema = productionSchema(&missing);
    }
    Timeline timeline;
    TimelineSchema schema;
    std::vector<std::string> missing;
};

}

TEST_F(ShowTimeline, UsesOnlyTheProductionsInstancesAndTracks)
{
    EXPECT_TRUE(missing.empty()) << "instances without an effect class: " << missing.size();
    std::string error;
    EXPECT_TRUE(timeline.check(schema, error)) << error;
}

TEST_F(ShowTimeline, TheBuiltTrackDataIsWhatTheSourceGives)
{
    if (!std::ifstream(kShowTracks + "index.list"))
        GTEST_SKIP() << "the show's resources are not built (target show_resources)";
    testsupport::TempDir dir;
    std::string error;
    ASSERT_TRUE(timeline.compile(dir.path(), error)) << error;
    for (const char* name : {"index.list", "track.data"})
        EXPECT_TRUE(testsupport::readWholeFile(dir.file(name)) == testsupport::readWholeFile(kShowTracks + name))
            << name << " differs from a fresh compile of " << kShowSource;

    // Every record names an instance of the production and one of its tracks.
    File index(kShowTracks + "index.list", 0);
    ASSERT_TRUE(index.isOpen());
    const int count = index.readInt();
    EXPECT_GT(count, 0);
    for (int i = 0; i < count; ++i) {
        const std::string record = index.readString();
        index.readInt();
        ASSERT_GT(record.size(), 6u);
        ASSERT_EQ(record.compare(record.size() - 6, 6, ".track"), 0) << record;
        const std::string stem = record.substr(0, record.size() - 6);
        const size_t dot = stem.find('.');
        const auto instance = schema.find(stem.substr(0, dot));
        ASSERT_NE(instance, schema.end()) << record << " names no instance of the production";
        if (dot != std::string::npos) {
            const std::string track = stem.substr(dot + 1);
            EXPECT_NE(std::find(instance->second.begin(), instance->second.end(), track), instance->second.end())
                << record << " names no track of " << instance->first;
        }
    }
}

TEST_F(ShowTimeline, EveryTrackStartsAtRowZeroAndReadsBackAsWritten)
{
    testsupport::TempDir dir;
    std::string error;
    ASSERT_TRUE(timeline.compile(dir.path(), error)) << error;
    std::vector<std::string> names;
    std::vector<std::unique_ptr<Tracks>> effects;
    std::vector<Effect*> pointers;
    for (const auto& instance : schema) {
        names.push_back(instance.first);
        effects.emplace_back(new Tracks(instance.second));
        pointers.push_back(effects.back().get());
    }
    VLMIO::setLoadMode(0);
    testsupport::StdoutCapture quiet;
    std::unique_ptr<TrackManager> loaded(TrackFile(dir.path() + "/").loadFromIndex(names, pointers));
    quiet.text();
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->validate());

    for (size_t k = 0; k < names.size(); ++k) {
        const TimelineInstance* source = timeline.findInstance(names[k]);
        ASSERT_NE(source, nullptr) << "the timeline does not set " << names[k];
        for (int t = 0; t < effects[k]->getTrackCount(); ++t) {
            TrackInterpolate* track = effects[k]->getTrack(t);
            std::vector<Keyframe*> keys;
            track->getKeyframes(keys);
            // An empty track reads 0 everywhere: black glow, grey image, zero zoom.
            ASSERT_FALSE(keys.empty()) << names[k] << "." << track->getName() << " has no keys";
            EXPECT_EQ(keys.front()->row, 0u) << names[k] << "." << track->getName() << " has no key at row 0";
            const TimelineTrack* written = source->findTrack(track->getName());
            ASSERT_NE(written, nullptr);
            ASSERT_EQ(keys.size(), written->keys.size()) << track->getName();
            for (size_t i = 0; i < keys.size(); ++i) {
                EXPECT_EQ(keys[i]->row, written->keys[i].row);
                EXPECT_EQ(keys[i]->type, written->keys[i].type);
                EXPECT_EQ(keys[i]->value, written->keys[i].value);
            }
        }
        std::vector<Keyframe*> runs;
        loaded->getEntry(names[k])->getStartStop()->getKeyframes(runs);
        ASSERT_EQ(runs.size(), 2 * source->runs.size()) << names[k];
        // (Without framebuffers every target reads back as the screen; the
        // names are in the bytes compared with a fresh compile above.)
        for (size_t i = 0; i < source->runs.size(); ++i) {
            EXPECT_EQ(runs[2 * i]->row, source->runs[i].start);
            EXPECT_EQ(runs[2 * i]->type, 1);
            EXPECT_EQ(runs[2 * i + 1]->row, source->runs[i].stop);
            EXPECT_EQ(runs[2 * i + 1]->type, 0);
        }
    }
}

TEST_F(ShowTimeline, TheDriveAndItsOverlaysDrawOffscreenAndThePostProcessingLast)
{
    const TimelineInstance* terrain = timeline.findInstance("terrain");
    ASSERT_NE(terrain, nullptr);
    ASSERT_FALSE(terrain->runs.empty());
    EXPECT_EQ(terrain->runs.front().start, 0u);
    for (const char* name : {"terrain", "rain", "dashboard", "title"}) {
        const TimelineInstance* instance = timeline.findInstance(name);
        ASSERT_NE(instance, nullptr) << name;
        ASSERT_FALSE(instance->runs.empty()) << name;
        for (const TimelineRun& run : instance->runs)
            EXPECT_EQ(run.target, "offscreen") << name << ", line " << run.line;
    }
    const TimelineInstance* post = timeline.findInstance("postprocess");
    ASSERT_NE(post, nullptr);
    ASSERT_FALSE(post->runs.empty());
    EXPECT_EQ(post->runs.front().start, 0u);
    EXPECT_EQ(post->runs.back().stop, VLMPulsvek::SHOW_END_ROW);
    for (const TimelineRun& run : post->runs)
        EXPECT_EQ(run.target, "screen");
    for (const TimelineInstance& other : timeline.getInstances()) {
        if (&other != post) {
            EXPECT_LT(other.priority, post->priority) << other.name;
        }
    }
    // The parameter instances only carry tracks.
    for (const char* name : {"sky", "distort", "tiles", "sprites"}) {
        const TimelineInstance* parameters = timeline.findInstance(name);
        EXPECT_TRUE(parameters && parameters->runs.empty()) << name;
    }
}
