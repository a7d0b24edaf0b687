// The test production run end to end in child processes under the X server:
// from its folders, from a "resources.7z" made by its packing command, ended
// by Escape or by the window's close button, and failing cleanly on bad input.

#include "Child.h"
#include "LogLines.h"
#include "TestProduction.h"
#include "XWindow.h"

#include "support/DisplayHold.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
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

bool hasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

#define REQUIRE_DISPLAY()                                      \
    do {                                                       \
        if (!hasDisplay())                                     \
            GTEST_SKIP() << "no X display (run under xvfb-run)"; \
    } while (0)

bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& l : lines)
        if (l == line)
            return true;
    return false;
}

// The milliseconds of the "Duration : (0000001234)-[...]" line, or -1.
long durationMs(const std::vector<std::string>& lines)
{
    const std::string head = "Duration : (";
    for (const std::string& l : lines)
        if (l.compare(0, head.size(), head) == 0)
            return std::strtol(l.c_str() + head.size(), nullptr, 10);
    return -1;
}

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
        return e2e::run(argv, dir.path(), envChanges);
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
    EXPECT_LT(duration, 10000) << result.output;
}

TEST_F(TestShow, RunsFromThePackedArchive)
{
    REQUIRE_DISPLAY();
    // The packer is not a test program: it keeps no GL driver mapped for the leak checker.
    const e2e::ChildResult pack = e2e::run({kPack, "7z"}, dir.path(), {"ASAN_OPTIONS=detect_leaks=0"});
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
        const std::string title = "show " + std::to_string(getpid()) + " " + c.what;
        e2e::Child child({kShow, "0", "00:30:000", title}, dir.path());
        ASSERT_TRUE(child.waitForLine("[Demo Init]", 60000)) << c.what;
        EXPECT_TRUE(c.send(title)) << c.what;
        const e2e::ChildResult result = child.wait(60000);
        ASSERT_EQ(result.status, 0) << c.what << "\n" << result.output;
        const std::vector<std::string> lines = result.lines();
        EXPECT_TRUE(inOrder(lines, kShutdown)) << c.what << "\n" << result.output;
        EXPECT_LT(durationMs(lines), 30000) << c.what << "\n" << result.output;
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
         {"Failed to load texture!", "File : 'resources/graphics/tint.png'"}, {}},
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
        {"no archive", {}, {}, {"Vertex shader 'color.vert' not found"}, {"1"}},
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
        const e2e::ChildResult result = e2e::run(argv, work.path());
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
                                "Invalid start/stop track data", "[Application End]"}))
        << result.output;
}

TEST_F(TestShow, TruncatedTrackDataStillRuns)
{
    REQUIRE_DISPLAY();
    const std::string data = testsupport::readWholeFile(path("tracks/track.data"));
    dir.write("resources/tracks/track.data", data.substr(0, data.size() - 3));
    const e2e::ChildResult result = show({"0"});
    ASSERT_EQ(result.status, 0) << result.output;
    const std::vector<std::string> lines = result.lines();
    EXPECT_TRUE(contains(lines, "-> 'color.green.track' does not fit in the track data. Keeping dummy."))
        << result.output;
    // Green stays 0: red, then black.
    EXPECT_TRUE(inOrder(lines, {"screen 255 0 0", "screen 0 0 0", "[Application End]"})) << result.output;
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
