#include "engine/runtime/Effect.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackFile.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"
#include "engine/runtime/VLMIO.h"

#include "support/Capture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Little-endian bytes, spelled out for the expected files.
struct Bytes {
    std::string s;
    Bytes& i32(int32_t v)
    {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        for (int k = 0; k < 4; ++k)
            s.push_back(static_cast<char>((u >> (8 * k)) & 0xFF));
        return *this;
    }
    Bytes& f32(float v)
    {
        int32_t i;
        std::memcpy(&i, &v, 4);
        return i32(i);
    }
    Bytes& str(const std::string& v)
    {
        s += v;
        s.push_back('\0');
        return *this;
    }
};

class ParamEffect : public Effect {
public:
    explicit ParamEffect(const std::vector<std::string>& names)
    {
        for (const std::string& name : names) {
            TrackInterpolate* track = nullptr;
            addTrack(name, track);
        }
    }
};

StartStopKeyframe* key(unsigned row, int type, const std::string& target = "")
{
    StartStopKeyframe* k = new StartStopKeyframe(row, type);
    k->targetName = target;
    return k;
}

// "alpha" (priority 1): start at 10 with an empty target name, stop at 20, and
// a "speed" track; "beta" (priority 0): start at 5 into "glow", stop at 6.
struct Production {
    ParamEffect alphaEffect{{"speed"}};
    ParamEffect betaEffect{{}};
    TrackManager manager;

    Production()
    {
        TrackEntry* alpha = new TrackEntry("alpha");
        TrackStartStop* alphaTrack = new TrackStartStop(1);
        alphaTrack->addKeyframe(key(10, 1));
        alphaTrack->addKeyframe(key(20, 0));
        alpha->setStartStop(alphaTrack);
        TrackInterpolate* speed = alphaEffect.getTrack(0);
        speed->addKeyframe(new Keyframe(40, 3, -2.0f));
        speed->addKeyframe(new Keyframe(0, 0, 1.5f));
        alpha->addTrack(speed);
        alpha->setEffect(&alphaEffect);

        TrackEntry* beta = new TrackEntry("beta");
        TrackStartStop* betaTrack = new TrackStartStop(0);
        betaTrack->addKeyframe(key(5, 1, "glow"));
        betaTrack->addKeyframe(key(6, 0));
        beta->setStartStop(betaTrack);
        beta->setEffect(&betaEffect);

        manager.addEntry(beta);
        manager.addEntry(alpha);
        manager.buildEntryList();
    }
};

const std::string kTrackData = Bytes()
                                   // alpha.track at 0
                                   .i32(1).i32(2).i32(10).i32(1).str("").i32(20).i32(0)
                                   // alpha.speed.track at 25
                                   .i32(2).i32(0).i32(0).f32(1.5f).i32(40).i32(3).f32(-2.0f)
                                   // beta.track at 53
                                   .i32(0).i32(2).i32(5).i32(1).str("glow").i32(6).i32(0)
                                   .s;
const std::string kIndex =
    Bytes().i32(3).str("alpha.track").i32(0).str("alpha.speed.track").i32(25).str("beta.track").i32(53).s;

// One line per key of every entry, in priority order.
std::string describe(const TrackManager& manager)
{
    std::ostringstream out;
    for (int i = 0; i < manager.getEntryCount(); ++i) {
        TrackEntry* entry = manager.getEntryAt(i);
        out << entry->getName() << " priority " << entry->getStartStop()->priority << ":";
        std::vector<Keyframe*> keys;
        entry->getStartStop()->getKeyframes(keys);
        for (const Keyframe* k : keys) {
            const StartStopKeyframe* s = dynamic_cast<const StartStopKeyframe*>(k);
            out << " " << k->row << "/" << k->type;
            if (k->type == 1)
                out << "->" << (s ? s->targetName : "?");
        }
        for (int t = 0; t < entry->getTrackCount(); ++t) {
            TrackInterpolate* track = entry->getTrackAt(t);
            out << " | " << track->getName() << ":";
            std::vector<Keyframe*> values;
            track->getKeyframes(values);
            for (const Keyframe* k : values)
                out << " " << k->row << "/" << k->type << "=" << k->value;
        }
        out << "\n";
    }
    return out.str();
}

class TrackFileTest : public ::testing::Test {
protected:
    TrackFileTest() : folder(dir.path() + "/")
    {
        savedMode = VLMIO::loadMode;
        VLMIO::loadMode = 0;
        renewEffects();
    }
    ~TrackFileTest() override { VLMIO::loadMode = savedMode; }

    // Loads the index form for alpha, beta and a gamma that the data lacks.
    std::unique_ptr<TrackManager> load(bool verbose = false)
    {
        TrackFile reader(folder);
        reader.setVerbose(verbose);
        return std::unique_ptr<TrackManager>(
            reader.loadFromIndex({"alpha", "beta", "gamma"}, {alpha.get(), beta.get(), gamma.get()}));
    }

    // Fresh effects for every load of a loop.
    void renewEffects()
    {
        alpha = std::make_unique<ParamEffect>(std::vector<std::string>{"speed"});
        beta = std::make_unique<ParamEffect>(std::vector<std::string>{});
        gamma = std::make_unique<ParamEffect>(std::vector<std::string>{"fade"});
    }

    testsupport::TempDir dir;
    std::string folder;
    int savedMode;
    std::unique_ptr<ParamEffect> alpha, beta, gamma;
};

const char* const kLoaded = "gamma priority 0: | fade:\n"
                            "beta priority 1: 5/1->screen 6/0\n"
                            "alpha priority 2: 10/1->screen 20/0 | speed: 0/0=1.5 40/3=-2\n";

TEST_F(TrackFileTest, IndexFormHasTheExactBytes)
{
    Production production;
    TrackFile writer(dir.path());
    ASSERT_TRUE(writer.saveIndex(&production.manager));
    EXPECT_EQ(testsupport::readWholeFile(dir.file("track.data")), kTrackData);
    EXPECT_EQ(testsupport::readWholeFile(dir.file("index.list")), kIndex);
    EXPECT_TRUE(production.manager.isUpToDate());
}

TEST_F(TrackFileTest, IndexFormRoundTrip)
{
    Production production;
    ASSERT_TRUE(TrackFile(dir.path()).saveIndex(&production.manager));
    testsupport::StdoutCapture capture;
    std::unique_ptr<TrackManager> loaded = load();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(describe(*loaded), kLoaded);
    EXPECT_EQ(loaded->getEntry("alpha")->getEffect(), alpha.get());
    EXPECT_EQ(loaded->getEntry("alpha")->getTrack("speed"), alpha->getTrack(0)) << "read into the effect's own track";
    EXPECT_EQ(loaded->getEntry("gamma")->getTrack("fade"), gamma->getTrack(0));
    EXPECT_FALSE(loaded->isModified());
    EXPECT_TRUE(loaded->isUpToDate());
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Loading 'alpha.track' (1)", "Loading 'alpha.speed'",
                                                         "Loading 'beta.track' (0)"}));
}

TEST_F(TrackFileTest, MissingRecordsAreLoggedOnlyWhenVerbose)
{
    Production production;
    ASSERT_TRUE(TrackFile(dir.path()).saveIndex(&production.manager));
    testsupport::StdoutCapture capture;
    std::unique_ptr<TrackManager> loaded = load(true);
    ASSERT_NE(loaded, nullptr);
    const std::vector<std::string> expected = {
        "Loading 'alpha.track' (1)",
        "Raw string = 'Object'",
        "keyframe 10 : 1, Object",
        "keyframe 20 : 0, ",
        "Loading 'alpha.speed'",
        "keyframe 0 : 0, 1.5",
        "keyframe 40 : 3, -2",
        "Loading 'beta.track' (0)",
        "Raw string = 'glow'",
        "keyframe 5 : 1, glow",
        "keyframe 6 : 0, ",
        "Track 'gamma' do not exit. Creating dummy.",
        "-> 'gamma.fade.track' do not exit. Keeping dummy.",
    };
    EXPECT_EQ(capture.lines(), expected);
}

TEST_F(TrackFileTest, FolderFormRoundTrip)
{
    Production production;
    TrackFile writer(dir.path());
    ASSERT_TRUE(writer.saveToFolder(&production.manager));
    EXPECT_EQ(testsupport::readWholeFile(dir.file("alpha.track")), kTrackData.substr(0, 25));
    EXPECT_EQ(testsupport::readWholeFile(dir.file("alpha.speed.track")), kTrackData.substr(25, 28));
    EXPECT_EQ(testsupport::readWholeFile(dir.file("beta.track")), kTrackData.substr(53));

    testsupport::StdoutCapture capture;
    std::unique_ptr<TrackManager> loaded(
        TrackFile(dir.path()).loadFromFolder({"alpha", "beta", "gamma"}, {alpha.get(), beta.get(), gamma.get()}));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(describe(*loaded), kLoaded);
}

TEST_F(TrackFileTest, PrioritiesAreRenumberedInOrder)
{
    ParamEffect a{{}}, b{{}}, c{{}};
    TrackManager manager;
    const std::pair<const char*, int> entries[] = {{"c", 9}, {"a", 5}, {"b", 5}};
    for (const auto& e : entries) {
        TrackEntry* entry = new TrackEntry(e.first);
        entry->setStartStop(new TrackStartStop(e.second));
        manager.addEntry(entry);
    }
    ASSERT_TRUE(TrackFile(dir.path()).saveIndex(&manager));
    testsupport::StdoutCapture capture;
    std::unique_ptr<TrackManager> loaded(TrackFile(folder).loadFromIndex({"a", "b", "c"}, {&a, &b, &c}));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(describe(*loaded), "a priority 0:\nb priority 1:\nc priority 2:\n");
}

TEST_F(TrackFileTest, MissingFilesFailTheLoad)
{
    struct Case {
        const char* present;
        const char* missing;
    } const cases[] = {{"index.list", "track.data"}, {"track.data", "index.list"}, {nullptr, "index.list"}};
    for (const Case& c : cases) {
        testsupport::TempDir only;
        if (c.present)
            only.write(c.present, "");
        TrackFile reader(only.path() + "/");
        EXPECT_EQ(reader.loadFromIndex({"alpha"}, {alpha.get()}), nullptr) << c.missing;
        EXPECT_EQ(reader.getMissingFile(), only.path() + "/" + c.missing);
    }
}

// Every prefix of each file fails the load, naming the file and what is wrong.
TEST_F(TrackFileTest, TruncatedFilesFailTheLoad)
{
    for (size_t length = 0; length <= kTrackData.size(); ++length) {
        dir.write("index.list", kIndex);
        dir.write("track.data", kTrackData.substr(0, length));
        testsupport::StdoutCapture capture;
        TrackFile reader(folder);
        std::unique_ptr<TrackManager> loaded(
            reader.loadFromIndex({"alpha", "beta", "gamma"}, {alpha.get(), beta.get(), gamma.get()}));
        renewEffects();
        if (length == kTrackData.size()) {
            EXPECT_NE(loaded, nullptr);
            EXPECT_EQ(reader.getMissingFile(), "");
            continue;
        }
        ASSERT_EQ(loaded, nullptr) << length;
        EXPECT_EQ(reader.getMissingFile(), folder + "track.data") << length;
        const std::string size = std::to_string(length);
        std::string problem = "Track 'beta' does not fit in the track data";
        if (length == 0)
            problem = "Entry 'alpha.track' of index.list points to byte 0 of 0";
        else if (length <= 25)
            problem = "Entry 'alpha.speed.track' of index.list points to byte 25 of " + size;
        else if (length <= 53)
            problem = "Entry 'beta.track' of index.list points to byte 53 of " + size;
        EXPECT_EQ(reader.getProblem(), problem) << length;
    }
    for (size_t length = 0; length < kIndex.size(); ++length) {
        dir.write("index.list", kIndex.substr(0, length));
        dir.write("track.data", kTrackData);
        testsupport::StdoutCapture capture;
        TrackFile reader(folder);
        std::unique_ptr<TrackManager> loaded(
            reader.loadFromIndex({"alpha", "beta", "gamma"}, {alpha.get(), beta.get(), gamma.get()}));
        renewEffects();
        ASSERT_EQ(loaded, nullptr) << length;
        EXPECT_EQ(reader.getMissingFile(), folder + "index.list") << length;
        EXPECT_EQ(reader.getProblem().rfind("index.list ends inside entry ", 0), 0u) << reader.getProblem();
        EXPECT_EQ(capture.lines().back(), reader.getProblem()) << length;
    }
}

TEST_F(TrackFileTest, HostileFilesFailTheLoadNamingTheFile)
{
    struct Case {
        const char* what;
        std::string index;
        std::string data;
        const char* file;
        std::string problem;
    } const cases[] = {
        {"offset beyond the data", Bytes().i32(1).str("beta.track").i32(1000).s, kTrackData, "track.data",
         "Entry 'beta.track' of index.list points to byte 1000 of 82"},
        {"negative offset", Bytes().i32(1).str("beta.track").i32(-8).s, kTrackData, "track.data",
         "Entry 'beta.track' of index.list points to byte -8 of 82"},
        {"huge key count", Bytes().i32(1).str("beta.track").i32(0).s, Bytes().i32(3).i32(0x7FFFFFFF).i32(1).s,
         "track.data", "Track 'beta' does not fit in the track data"},
        {"unterminated target name", Bytes().i32(1).str("beta.track").i32(0).s,
         Bytes().i32(3).i32(1).i32(7).i32(1).s + "glo", "track.data", "Track 'beta' does not fit in the track data"},
        {"huge value count", Bytes().i32(1).str("alpha.speed.track").i32(0).s, Bytes().i32(0x40000000).i32(1).s,
         "track.data", "Track 'alpha.speed' does not fit in the track data"},
        {"negative key count", Bytes().i32(1).str("beta.track").i32(0).s, Bytes().i32(4).i32(-3).s, "track.data",
         "Track 'beta' does not fit in the track data"},
        {"negative value count", Bytes().i32(1).str("alpha.speed.track").i32(0).s, Bytes().i32(-1).s,
         "track.data", "Track 'alpha.speed' does not fit in the track data"},
        {"huge index count", Bytes().i32(0x7FFFFFFF).str("beta.track").i32(53).s, kTrackData, "index.list",
         "index.list ends inside entry 1 of 2147483647"},
        {"negative index count", Bytes().i32(-5).str("beta.track").i32(53).s, kTrackData, "index.list",
         "index.list ends inside entry 0 of -5"},
        {"empty files", "", "", "index.list", "index.list ends inside entry 0 of 0"},
        {"empty index", "", kTrackData, "index.list", "index.list ends inside entry 0 of 0"},
        {"no entries", Bytes().i32(0).s, kTrackData, "index.list", "None of the 3 effects' tracks is in index.list"},
        {"only other records", Bytes().i32(1).str("delta.track").i32(53).s, kTrackData, "index.list",
         "None of the 3 effects' tracks is in index.list"},
    };
    for (const Case& c : cases) {
        renewEffects();
        dir.write("index.list", c.index);
        dir.write("track.data", c.data);
        testsupport::StdoutCapture capture;
        TrackFile reader(folder);
        std::unique_ptr<TrackManager> loaded(
            reader.loadFromIndex({"alpha", "beta", "gamma"}, {alpha.get(), beta.get(), gamma.get()}));
        EXPECT_EQ(loaded, nullptr) << c.what;
        EXPECT_EQ(reader.getMissingFile(), folder + c.file) << c.what;
        EXPECT_EQ(reader.getProblem(), c.problem) << c.what;
    }
}

TEST_F(TrackFileTest, InTheFolderFormARecordThatDoesNotFitIsADummy)
{
    Production production;
    ASSERT_TRUE(TrackFile(dir.path()).saveToFolder(&production.manager));
    dir.write("beta.track", kTrackData.substr(53, 10));
    testsupport::StdoutCapture capture;
    std::unique_ptr<TrackManager> loaded(
        TrackFile(dir.path()).loadFromFolder({"alpha", "beta", "gamma"}, {alpha.get(), beta.get(), gamma.get()}));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(describe(*loaded), "beta priority 0:\ngamma priority 1: | fade:\n"
                                 "alpha priority 2: 10/1->screen 20/0 | speed: 0/0=1.5 40/3=-2\n");
    EXPECT_TRUE(capture.text().find("Track 'beta' does not fit in the track data. Creating dummy.") !=
                std::string::npos);
}

TEST_F(TrackFileTest, PropertiesRoundTrip)
{
    Production production;
    production.manager.getEntry("beta")->getStartStop()->enabled = false;
    TrackManager* saved = VLMPulsvek::tracks;
    VLMPulsvek::tracks = &production.manager;
    testsupport::StdoutCapture capture;
    TrackFile file(dir.path());
    ASSERT_TRUE(file.saveProperties());
    EXPECT_EQ(testsupport::readWholeFile(dir.file("track.properties")),
              Bytes().i32(2).str("alpha").i32(0).str("beta").i32(1).s);

    production.manager.getEntry("alpha")->getStartStop()->enabled = false;
    production.manager.getEntry("beta")->getStartStop()->enabled = true;
    dir.write("track.properties", Bytes().i32(3).str("alpha").i32(0).str("nobody").i32(1).str("beta").i32(3).s);
    file.loadProperties();
    EXPECT_TRUE(production.manager.getEntry("alpha")->getStartStop()->enabled);
    EXPECT_FALSE(production.manager.getEntry("beta")->getStartStop()->enabled);
    VLMPulsvek::tracks = saved;
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{"Saving track property for alpha", "Saving track property for beta",
                                        "Loading track property for alpha", "Flag : 0",
                                        "Loading track property for nobody", "Loading track property for beta",
                                        "Flag : 3"}));
}

TEST_F(TrackFileTest, TruncatedPropertiesStopAtTheLastWholeRecord)
{
    Production production;
    TrackManager* saved = VLMPulsvek::tracks;
    VLMPulsvek::tracks = &production.manager;
    const std::string full = Bytes().i32(2).str("alpha").i32(1).str("beta").i32(1).s;
    for (size_t length = 0; length <= full.size(); ++length) {
        production.manager.getEntry("alpha")->getStartStop()->enabled = true;
        production.manager.getEntry("beta")->getStartStop()->enabled = true;
        dir.write("track.properties", full.substr(0, length));
        testsupport::StdoutCapture quiet;
        TrackFile(dir.path()).loadProperties();
        EXPECT_EQ(production.manager.getEntry("alpha")->getStartStop()->enabled, length < 14) << length;
        EXPECT_EQ(production.manager.getEntry("beta")->getStartStop()->enabled, length < full.size()) << length;
    }
    VLMPulsvek::tracks = saved;
}

}
