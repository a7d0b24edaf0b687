// The test production run end to end in child processes under the X server:
// from its folders, from a "resources.7z" made by its packing command, ended
// by Escape, the window's close button or a signal, and failing cleanly on bad input.

#include "Child.h"
#include "LogLines.h"
#include "TestProduction.h"
#include "XWindow.h"

#include "support/DisplayHold.h"
#include "support/SevenZip.h"
#include "support/SoundFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The X server stays up from the first show to the last.
[[maybe_unused]] ::testing::Environment* const displayHold =
    ::testing::AddGlobalTestEnvironment(new testsupport::DisplayHold());

const std::string kShow = PULSVEK_TESTSHOW;
const std::string kPack = PULSVEK_TESTSHOW_PACK;
const std::string kResources = PULSVEK_TESTSHOW_RESOURCES;

using e2e::contains;
using e2e::durationMs;
using e2e::anyStartsWith;
using e2e::inOrder;
const std::vector<std::string>& kShutdown = e2e::shutdownLog();

// A copy of the production's resources in a fresh working folder.
class TestShow : public ::testing::Test {
protected:
    TestShow()
    {
        // The children's leak checks skip the system libraries' own allocations.
        setenv("LSAN_OPTIONS", ("suppressions=" + std::string(PULSVEK_SOURCE_DIR) + "/tests/lsan.supp").c_str(), 0);
        fs::copy(kResources, dir.file("resources"), fs::copy_options::recursive);
    }

    std::string path(const std::string& name) const { return dir.file("resources/" + name); }

    e2e::ChildResult show(const std::vector<std::string>& args = {}, const std::vector<std::string>& envChanges = {})
    {
        std::vector<std::string> argv = {kShow};
        argv.insert(argv.end(), args.begin(), args.end());
        return e2e::run(argv, dir.path(), envChanges, 120000);
    }

    testsupport::TempDir dir;
};

TEST_F(TestShow, RunsFromTheFoldersToTheEndTime)
{
    REQUIRE_DISPLAY();
    const e2e::ChildResult result = show({"0"});
    ASSERT_EQ(result.status, 0) << result.output;
    const std::vector<std::string> lines = result.lines();
    std::vector<std::string> expected = {
        "[Creating DataPools]",
        "[Defining Resources]",
        "[Define Effects]",
        "[Loading Shaders]",
        "-> Loading color",
        "-> Loading blit",
        "[Loading 3D Objects]",
        "[Loading Textures]",
        "Load : resources/graphics/tint.png",
        "[Loading Binary Data]",
        "[Loading Animation Data]",
        "[Loading Video Data]",
        "[Create track data]",
        "Loading track data from index file",
        "Loading 'blit.track' (1)",
        "Loading 'color.track' (0)",
        "Loading 'color.red'",
        "Loading 'color.green'",
        "[Initializing Effect Instances]",
        "-> Initializing blit",
        "-> Initializing color",
        "-> Initializing idle",
        "Validating StartStop track data.",
        "[Setting up sound]",
        "Play : tone.mp3",
        "[Demo Init]",
        // Red with the define at full brightness, then green through the tint texture.
        "screen 255 0 0",
        "screen 0 128 0",
    };
    expected.insert(expected.end(), kShutdown.begin(), kShutdown.end());
    EXPECT_TRUE(inOrder(lines, expected)) << result.output;
    EXPECT_FALSE(anyStartsWith(lines, "[GL_ERROR")) << result.output;
    EXPECT_FALSE(contains(lines, "Message from pulsvek :")) << result.output;
    EXPECT_FALSE(anyStartsWith(lines, "ERROR: Shader")) << result.output;
    EXPECT_TRUE(anyStartsWith(lines, "Average FPS = ")) << result.output;
    // The first frame past the end time is the last one.
    const long duration = durationMs(lines);
    EXPECT_GT(duration, 1000) << result.output;
    EXPECT_LT(duration, 60000) << result.output;
}

TEST_F(TestShow, RunsFromThePackedArchive)
{
    REQUIRE_DISPLAY();
    // The packer is not a test program: it keeps no GL driver mapped for the leak checker.
    const e2e::ChildResult pack = e2e::run({kPack, "7z"}, dir.path(), {"ASAN_OPTIONS=detect_leaks=0"}, 120000);
    ASSERT_EQ(pack.status, 0) << pack.output;
    ASSERT_TRUE(fs::exists(dir.file("resources.7z"))) << pack.output;

    const std::string script = testsupport::readWholeFile(dir.file("pack_resources.sh"));
    const std::string add = "7z a -ms=off -mx=9  resources.7z ";
    const std::string log = " >> resources.7z.log \n";
    std::string expected = "rm -f  resources.7z \nrm -f resources.7z.log\n";
    for (const char* file :
         {"resources/sound/tone.mp3", "resources/graphics/tint.png", "resources/shaders/color.vert",
          "resources/shaders/color.frag", "resources/shaders/blit.vert", "resources/shaders/blit.frag",
          "resources/tracks/index.list", "resources/tracks/track.data", "resources/shaders/common.glsl",
          "resources/shaders/default_Progress.vert", "resources/shaders/default_Progress.frag"})
        expected += add + file + log;
    EXPECT_EQ(script, expected);

    // Nothing but the archive from here on.
    fs::rename(dir.file("resources"), dir.file("folders"));
    const e2e::ChildResult result = show({"1"});
    ASSERT_EQ(result.status, 0) << result.output;
    const std::vector<std::string> lines = result.lines();
    std::vector<std::string> order = {"arc_load : 1", "[Loading Shaders]", "[Demo Init]", "screen 255 0 0",
                                      "screen 0 128 0"};
    order.insert(order.end(), kShutdown.begin(), kShutdown.end());
    EXPECT_TRUE(inOrder(lines, order)) << result.output;
    EXPECT_FALSE(anyStartsWith(lines, "[GL_ERROR")) << result.output;
}

TEST_F(TestShow, EscapeAndTheCloseButtonEndTheShow)
{
    REQUIRE_DISPLAY();
    struct Case {
        const char* what;
        bool (*send)(const std::string& title);
    } const cases[] = {{"Escape", e2e::sendEscape}, {"close button", e2e::sendClose}};
    for (const Case& c : cases) {
        // A title of its own: other shows may be running on the same display.
        // The end time lies far off: the show ends because it was told to.
        const std::string title = "show " + std::to_string(getpid()) + " " + c.what;
        e2e::Child child({kShow, "0", "10:00:000", title}, dir.path());
        ASSERT_TRUE(child.waitForLine("[Demo Init]", 120000)) << c.what;
        EXPECT_TRUE(e2e::sendUntilLine(child, c.send, title, "[Shutting Down]", 120000)) << c.what;
        const e2e::ChildResult result = child.wait(120000);
        ASSERT_EQ(result.status, 0) << c.what << "\n" << result.output;
        const std::vector<std::string> lines = result.lines();
        EXPECT_TRUE(inOrder(lines, kShutdown)) << c.what << "\n" << result.output;
        EXPECT_LT(durationMs(lines), 600000) << c.what << "\n" << result.output;
    }
}

// SIGINT and SIGTERM, as from a terminal or a logout, end the show as Escape does.
TEST_F(TestShow, InterruptAndTerminateEndTheShowWithItsShutdown)
{
    REQUIRE_DISPLAY();
    struct Case {
        const char* what;
        int number;
    } const cases[] = {{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}};
    for (const Case& c : cases) {
        e2e::Child child({kShow, "0", "10:00:000", "show " + std::to_string(getpid()) + " " + c.what}, dir.path());
        ASSERT_TRUE(child.waitForLine("[Demo Init]", 120000)) << c.what;
        child.signal(c.number);
        const e2e::ChildResult result = child.wait(120000);
        ASSERT_FALSE(result.timedOut) << c.what << "\n" << result.output;
        EXPECT_EQ(result.status, 0) << c.what << "\n" << result.output;
        const std::vector<std::string> lines = result.lines();
        EXPECT_TRUE(inOrder(lines, kShutdown)) << c.what << "\n" << result.output;
        EXPECT_TRUE(anyStartsWith(lines, "Average FPS = ")) << c.what << "\n" << result.output;
        EXPECT_LT(durationMs(lines), 600000) << c.what << "\n" << result.output;
    }
}

TEST_F(TestShow, StartFailuresPrintTheirMessagesAndShutDown)
{
    REQUIRE_DISPLAY();
    struct Case {
        const char* what;
        std::vector<std::string> remove;
        std::vector<std::pair<std::string, std::string>> write;
        std::vector<std::string> message;
        std::vector<std::string> args;
    } const cases[] = {
        {"missing texture", {"graphics/tint.png"}, {},
         {"Failed to load texture!", "File : 'resources/graphics/tint.png'", "missing"}, {}},
        {"missing vertex shader", {"shaders/blit.vert"}, {}, {"Vertex shader 'blit.vert' not found"}, {}},
        {"missing fragment shader", {"shaders/blit.frag"}, {}, {"Fragement shader 'blit.frag' not found"}, {}},
        {"missing include", {"shaders/common.glsl"}, {},
         {"Failed to include '#include common.glsl' in color.frag depth 0"}, {}},
        {"include cycle", {}, {{"shaders/common.glsl", "#include common.glsl\n"}},
         {"Failed to include '#include common.glsl' in common.glsl depth 1"}, {}},
        {"shader error", {}, {{"shaders/blit.frag", "#version 150\nvoid main() { nonsense; }\n"}},
         {"Error while compiling fragment shader", "Shader: blit::blit.frag"}, {}},
        {"missing version line", {}, {{"shaders/blit.vert", "void main() {}\n"}},
         {"Failed to read GLSL shader version"}, {}},
        {"missing index", {"tracks/index.list"}, {},
         {"Failed to load track data!", "File : 'resources/tracks/index.list'"}, {}},
        {"missing track data", {"tracks/track.data"}, {},
         {"Failed to load track data!", "File : 'resources/tracks/track.data'"}, {}},
        {"missing music", {"sound/tone.mp3"}, {}, {"Failed to load sound!", "File : 'tone.mp3'"}, {}},
        {"corrupt music", {}, {{"sound/tone.mp3", std::string(3000, 'x')}},
         {"Failed to load sound!", "File : 'tone.mp3'"}, {}},
        {"no archive", {}, {}, {"Vertex shader 'color.vert' not found",
                                "Archive 'resources.7z' could not be read : file not found"}, {"1"}},
    };
    for (const Case& c : cases) {
        testsupport::TempDir work;
        fs::copy(kResources, work.file("resources"), fs::copy_options::recursive);
        for (const std::string& name : c.remove)
            fs::remove(work.file("resources/" + name));
        for (const auto& file : c.write)
            work.write("resources/" + file.first, file.second);
        std::vector<std::string> argv = {kShow};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const e2e::ChildResult result = e2e::run(argv, work.path(), {}, 120000);
        EXPECT_EQ(result.status, 1) << c.what << "\n" << result.output;
        std::vector<std::string> expected = {"[Shutting Down]", "Message from pulsvek :", "Message from resourceloader"};
        expected.insert(expected.end(), c.message.begin(), c.message.end());
        expected.insert(expected.end(), kShutdown.begin() + 1, kShutdown.end());
        const std::vector<std::string> lines = result.lines();
        EXPECT_TRUE(inOrder(lines, expected)) << c.what << "\n" << result.output;
        EXPECT_FALSE(contains(lines, "[Demo Init]")) << c.what;
    }
}

TEST_F(TestShow, WithoutADisplayTheStartFailsCleanly)
{
    const e2e::ChildResult result = show({"0"}, {"DISPLAY", "WAYLAND_DISPLAY"});
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_TRUE(inOrder(result.lines(), {"[Shutting Down]", "Message from pulsvek :", "Message from resourceloader",
                                         "Failed to initialize GLFW", "[Deleting Pools]", "delete VLMPulsvek::tracks",
                                         "delete VLMPulsvek::timer", "Query GL for remaining texture objects (1-250)",
                                         "VLMPulsvek::shutdown()", "[Application End]"}))
        << result.output;
}

TEST_F(TestShow, WithoutASoundDeviceTheLogHoldsOnlyTheShowsLines)
{
    REQUIRE_DISPLAY();
    // The sound library probes its default driver (no card here: ALSA fails).
    const e2e::ChildResult result = show({"0"}, {"SDL_AUDIODRIVER"});
    ASSERT_EQ(result.status, 0) << result.output;
    const std::vector<std::string> lines = result.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "[Creating DataPools]") << result.output;
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("ALSA"), std::string::npos) << line;
    EXPECT_TRUE(inOrder(lines, {"[Setting up sound]", "Play : tone.mp3", "[Demo Init]", "[Application End]"}))
        << result.output;
}

TEST_F(TestShow, BadStartStopTracksEndTheStartWithAMessage)
{
    REQUIRE_DISPLAY();
    // "blit" starts twice without a stop.
    ASSERT_TRUE(writeTestTracks(path("tracks"), true));
    const e2e::ChildResult result = show({"0"});
    const std::vector<std::string> lines = result.lines();
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_TRUE(inOrder(lines, {"Validating StartStop track data.", "--> StartStop Track : blit has keyframe mismatch",
                                "[Shutting Down]", "Message from pulsvek :", "Message from resourceloader",
                                "Invalid start/stop track data", "File : 'resources/tracks/track.data'",
                                "[Application End]"}))
        << result.output;
}

// Hostile resources: each start ends by itself (no signal, no time-out) with a
// message naming the cause as the last text before the shutdown log.
class HostileShow : public TestShow {
protected:
    using Spoil = std::function<void(const testsupport::TempDir&)>;
    struct Case {
        std::string what;
        // Changes the copy of the resources in the working folder.
        Spoil spoil;
        // Lines logged before the shutdown, in order.
        std::vector<std::string> log;
        // Lines of the failure message, in order; the last one comes right before "[Deleting Pools]".
        std::vector<std::string> message;
        // Instead of an exact last line: its start and its end.
        std::string lastStart = "", lastEnd = "";
    };
    enum class Source { folders, packed, archive };

    // Runs the production on the spoilt copy: from the folders, from a
    // "resources.7z" packed from them, or (archive) from whatever archive the
    // spoiling left.
    void expectCleanFailure(const Case& c, Source source)
    {
        const std::string what = c.what + (source == Source::folders ? " (folders)" : " (archive)");
        testsupport::TempDir work;
        fs::copy(kResources, work.file("resources"), fs::copy_options::recursive);
        c.spoil(work);
        if (source == Source::packed) {
            pack(work);
            fs::rename(work.file("resources"), work.file("folders"));
        }
        const e2e::ChildResult result =
            e2e::run({kShow, source == Source::folders ? "0" : "1"}, work.path(), {}, 120000);
        ASSERT_FALSE(result.timedOut) << what << "\n" << result.output;
        EXPECT_EQ(result.status, 1) << what << "\n" << result.output;
        const std::vector<std::string> lines = result.lines();
        std::vector<std::string> expected = c.log;
        for (const char* line : {"[Shutting Down]", "Message from pulsvek :", "Message from resourceloader"})
            expected.push_back(line);
        expected.insert(expected.end(), c.message.begin(), c.message.end());
        expected.insert(expected.end(), kShutdown.begin() + 1, kShutdown.end());
        EXPECT_TRUE(inOrder(lines, expected)) << what << "\n" << result.output;
        EXPECT_FALSE(contains(lines, "[Demo Init]")) << what;

        size_t pools = 0;
        while (pools < lines.size() && lines[pools] != "[Deleting Pools]")
            ++pools;
        ASSERT_GT(pools, 0u) << what << "\n" << result.output;
        const std::string& last = lines[pools - 1];
        if (c.lastStart.empty()) {
            ASSERT_FALSE(c.message.empty());
            EXPECT_EQ(last, c.message.back()) << what << "\n" << result.output;
        } else {
            EXPECT_EQ(last.rfind(c.lastStart, 0), 0u) << what << ": " << last;
            EXPECT_TRUE(last.size() >= c.lastEnd.size() &&
                        last.compare(last.size() - c.lastEnd.size(), c.lastEnd.size(), c.lastEnd) == 0)
                << what << ": " << last;
        }
    }

    // Every file below resources/, stored uncompressed under its relative path.
    static void pack(const testsupport::TempDir& work) { testsupport::packFolder(work.path(), "resources"); }

    static Spoil rewrite(const std::string& name, std::function<std::string(std::string)> change)
    {
        return [=](const testsupport::TempDir& work) {
            work.write("resources/" + name, change(testsupport::readWholeFile(work.file("resources/" + name))));
        };
    }
};

TEST_F(HostileShow, DamagedPicturesFailTheStartInBothModes)
{
    REQUIRE_DISPLAY();
    // The decoder's reason follows the file: each cut or length reads past the end.
    const std::vector<std::string> message = {"Failed to load texture!", "File : 'resources/graphics/tint.png'",
                                              "file cut short"};
    const Case cases[] = {
        {"cut inside the header chunk", rewrite("graphics/tint.png", [](std::string b) { return b.substr(0, 20); }),
         {}, message},
        {"cut inside the pixel data",
         rewrite("graphics/tint.png", [](std::string b) { return b.substr(0, b.find("IDAT") + 30); }), {}, message},
        {"chunk length past the end",
         rewrite("graphics/tint.png",
                 [](std::string b) {
                     b[b.find("IDAT") - 4] = 0x7F;
                     return b;
                 }),
         {}, message},
    };
    for (const Case& c : cases)
        for (Source source : {Source::folders, Source::packed})
            expectCleanFailure(c, source);
}

TEST_F(HostileShow, DamagedMusicFailsTheStartWithTheClocksMessage)
{
    REQUIRE_DISPLAY();
    const std::string tooLong = testsupport::silentMp3(21 * 60000);
    const std::vector<std::string> message = {"Failed to load sound!", "File : 'tone.mp3'"};
    const Case cases[] = {
        {"cut inside the first frame", rewrite("sound/tone.mp3", [](std::string b) { return b.substr(0, 10); }),
         {"Failed to create sound sysmte sound! Error code: 7"}, message},
        {"longer than the bound", rewrite("sound/tone.mp3", [&](std::string) { return tooLong; }),
         {"Failed to create sound sysmte sound! Error code: 9"}, message},
    };
    for (const Case& c : cases)
        expectCleanFailure(c, Source::folders);
}

TEST_F(HostileShow, AForgedFrameCountInTheMusicStillPlays)
{
    REQUIRE_DISPLAY();
    std::string mp3 = testsupport::readWholeFile(path("sound/tone.mp3"));
    const size_t xing = mp3.find("Xing");
    ASSERT_NE(xing, std::string::npos);
    mp3.replace(xing + 8, 4, "\xFF\xFF\xFF\xFF");
    dir.write("resources/sound/tone.mp3", mp3);
    const e2e::ChildResult result = e2e::run({kShow, "0"}, dir.path(), {}, 120000);
    ASSERT_FALSE(result.timedOut) << result.output;
    ASSERT_EQ(result.status, 0) << result.output;
    std::vector<std::string> expected = {"[Demo Init]", "screen 255 0 0"};
    expected.insert(expected.end(), kShutdown.begin(), kShutdown.end());
    EXPECT_TRUE(inOrder(result.lines(), expected)) << result.output;
}

TEST_F(HostileShow, RunawayIncludesFailTheStartWithTheIncludeMessage)
{
    REQUIRE_DISPLAY();
    // color.frag includes common.glsl, which starts the chain at depth 1.
    Spoil chain = [](const testsupport::TempDir& work) {
        work.write("resources/shaders/common.glsl", "#include chain2.glsl\n");
        for (int i = 2; i < 40; ++i)
            work.write("resources/shaders/chain" + std::to_string(i) + ".glsl",
                       "#include chain" + std::to_string(i + 1) + ".glsl\n");
    };
    Spoil doubling = [](const testsupport::TempDir& work) {
        work.write("resources/shaders/common.glsl", "#include double1.glsl\n#include double1.glsl\n");
        for (int i = 1; i < 30; ++i) {
            const std::string next = "#include double" + std::to_string(i + 1) + ".glsl\n";
            work.write("resources/shaders/double" + std::to_string(i) + ".glsl",
                       i == 14 ? std::string(1000, '/') + "\n" : next + next);
        }
    };
    const Case cases[] = {
        {"nested too deep", chain, {"shaderInclude(..) failed "},
         {"Failed to include '#include chain17.glsl' in chain16.glsl depth 16 : includes nested deeper than 16"}},
        {"expanding without end", doubling, {"shaderInclude(..) failed "}, {}, "Failed to include '#include double",
         " : source grows past 1048576 bytes"},
    };
    for (const Case& c : cases)
        expectCleanFailure(c, Source::folders);
}

TEST_F(HostileShow, AnUnreadableArchiveIsNamedAsTheCause)
{
    REQUIRE_DISPLAY();
    const std::string head = "Archive 'resources.7z' could not be read : ";
    // The archive is the only source; "<none>" leaves none.
    auto archive = [](std::function<std::string(const testsupport::TempDir&)> bytes) -> Spoil {
        return [=](const testsupport::TempDir& work) {
            const std::string content = bytes(work);
            fs::rename(work.file("resources"), work.file("folders"));
            if (content != "<none>")
                work.write("resources.7z", content);
        };
    };
    auto packed = [](const testsupport::TempDir& work) {
        pack(work);
        return testsupport::readWholeFile(work.file("resources.7z"));
    };
    auto damagedMember = [=](const testsupport::TempDir& work) {
        std::string bytes = packed(work);
        const std::string vert = testsupport::readWholeFile(work.file("resources/shaders/color.vert"));
        const size_t at = bytes.find(vert);
        if (at != std::string::npos)
            bytes[at + vert.size() / 2] ^= 0x20;
        return bytes;
    };
    const std::vector<std::string> shader = {"Vertex shader 'color.vert' not found"};
    const Case cases[] = {
        {"missing", archive([](const testsupport::TempDir&) { return std::string("<none>"); }), {"arc_load : 0"},
         {"Vertex shader 'color.vert' not found", head + "file not found"}},
        {"empty", archive([](const testsupport::TempDir&) { return std::string(); }), {"arc_load : 0"},
         {"Vertex shader 'color.vert' not found", head + "file is empty"}},
        {"not an archive", archive([](const testsupport::TempDir&) { return std::string(3000, 'x'); }),
         {"arc_load : 0"}, shader, head + "not a readable 7z archive (", ")"},
        {"cut in half",
         archive([=](const testsupport::TempDir& work) {
             const std::string bytes = packed(work);
             return bytes.substr(0, bytes.size() / 2);
         }),
         {"arc_load : 0"}, shader, head + "not a readable 7z archive (", ")"},
        {"damaged member", archive(damagedMember), {"arc_load : 1"}, shader,
         head + "member 'resources/shaders/color.vert' cannot be read (", ")"},
    };
    for (const Case& c : cases)
        expectCleanFailure(c, Source::archive);
}

// Track data that cannot be read whole is no show: the start fails, naming the
// file and what is wrong with it, instead of playing inactive stand-ins.
TEST_F(HostileShow, DamagedTrackDataFailsTheStartInBothModes)
{
    REQUIRE_DISPLAY();
    const std::string index = "File : 'resources/tracks/index.list'";
    const std::string data = "File : 'resources/tracks/track.data'";
    auto cut = [](const std::string& name, size_t drop) {
        return rewrite(name, [=](std::string b) { return b.substr(0, b.size() > drop ? b.size() - drop : 0); });
    };
    // The last entry (color.green.track) ends with its offset.
    auto lastOffset = [](std::string b) {
        b.replace(b.size() - 4, 4, std::string("\x00\x00\xff\x7f", 4));
        return b;
    };
    const std::string ends = "index.list ends inside entry ";
    const std::string none = "None of the 2 effects' tracks is in index.list";
    const Case cases[] = {
        {"empty index", rewrite("tracks/index.list", [](std::string) { return std::string(); }),
         {ends + "0 of 0"}, {"Failed to load track data!", index, ends + "0 of 0"}},
        {"index cut inside an entry", cut("tracks/index.list", 6), {ends + "3 of 4"},
         {"Failed to load track data!", index, ends + "3 of 4"}},
        {"index without entries", rewrite("tracks/index.list", [](std::string) { return std::string(4, '\0'); }),
         {none}, {"Failed to load track data!", index, none}},
        {"data cut inside the last record", cut("tracks/track.data", 3),
         {"-> 'color.green.track' does not fit in the track data."},
         {"Failed to load track data!", data, "Track 'color.green' does not fit in the track data"}},
        {"entry outside the data", rewrite("tracks/index.list", lastOffset), {},
         {"Failed to load track data!", data, "Entry 'color.green.track' of index.list points to byte 2147418112 of 115"}},
        {"empty data", rewrite("tracks/track.data", [](std::string) { return std::string(); }), {},
         {"Failed to load track data!", data, "Entry 'blit.track' of index.list points to byte 0 of 0"}},
    };
    for (const Case& c : cases)
        for (Source source : {Source::folders, Source::packed})
            expectCleanFailure(c, source);
}

TEST(TestShowTracks, CommittedTrackDataIsCurrent)
{
    testsupport::TempDir tracks;
    ASSERT_TRUE(writeTestTracks(tracks.path()));
    for (const char* name : {"index.list", "track.data"}) {
        EXPECT_EQ(testsupport::readWholeFile(tracks.file(name)),
                  testsupport::readWholeFile(kResources + "/tracks/" + name))
            << name << " differs from writeTestTracks(); rewrite it with writeTestTracks(\""
            << kResources << "/tracks\")";
    }
}

}
