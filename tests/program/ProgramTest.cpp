// The shipped program under the X server, driven as a viewer would with
// xdotool: the launcher dialog quits ("Crash!", the close button) or starts the
// show ("Drive!") in a window of the chosen size, which Escape ends.

#include "e2e/Child.h"
#include "e2e/LogLines.h"
#include "e2e/XWindow.h"

#include "support/DisplayHold.h"
#include "support/TempDir.h"
#include "util/Archive.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

[[maybe_unused]] ::testing::Environment* const displayHold =
    ::testing::AddGlobalTestEnvironment(new testsupport::DisplayHold());

const std::string kProgram = PULSVEK_PROGRAM;
const std::string kShowArchive = PULSVEK_SHOW_ARCHIVE;
const std::string kDialog = "Velmora Pulsvek v.3.0";
const std::string kShowWindow = "Velmora Devirazoro 3.0";

// Window-relative points of the dialog's controls.
struct Point {
    int x, y;
};
const Point kDrive = {172, 260};
const Point kCrash = {272, 260};
const Point kFullscreen = {190, 175};

using e2e::anyStartsWith;
using e2e::inOrder;
const std::vector<std::string>& kShutdown = e2e::shutdownLog();

std::string shell(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, p))
            out += buffer;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

std::string quoted(const std::string& s)
{
    return "'" + s + "'";
}

std::string regexOf(const std::string& title)
{
    std::string r = "^";
    for (char c : title) {
        if (c == '.')
            r += '\\';
        r += c;
    }
    return r + "$";
}

// The id of the shown window with exactly this title, or "" after timeoutMs.
std::string waitForWindow(const std::string& title, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::string id = shell("xdotool search --onlyvisible --name " + quoted(regexOf(title)) + " 2>/dev/null");
        if (!id.empty())
            return id.substr(0, id.find('\n'));
        if (std::chrono::steady_clock::now() >= end)
            return "";
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

// A press and release at the point; what the program does then is for the
// caller to wait for.
void click(const std::string& window, Point p)
{
    shell("xdotool mousemove --window " + window + " " + std::to_string(p.x) + " " + std::to_string(p.y) +
          " click 1");
}

// WIDTH and HEIGHT of the window, as xdotool reports them.
std::pair<int, int> windowSize(const std::string& window)
{
    const std::string geometry = shell("xdotool getwindowgeometry --shell " + window);
    auto field = [&](const std::string& name) {
        const size_t at = geometry.find(name + "=");
        return at == std::string::npos ? -1 : std::atoi(geometry.c_str() + at + name.size() + 1);
    };
    return {field("WIDTH"), field("HEIGHT")};
}

// Clicks a control that shows its new state, and waits until the dialog has
// drawn it: the toolkit has taken the click then.
::testing::AssertionResult toggle(const std::string& window, Point p)
{
    const unsigned long id = std::stoul(window);
    const auto [w, h] = windowSize(window);
    const std::string before = e2e::windowPixels(id, 0, 0, w, h);
    click(window, p);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (e2e::windowPixels(id, 0, 0, w, h) == before) {
        if (std::chrono::steady_clock::now() > end)
            return ::testing::AssertionFailure() << "the dialog did not redraw after the click";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ::testing::AssertionSuccess();
}

// The show's archive holds its music and its timeline.
bool showArchiveComplete()
{
    if (!fs::exists(kShowArchive) || arc_open(kShowArchive.c_str()) != 0)
        return false;
    const bool complete = arc_find("resources/sound/Kaldrune_320Kbps.mp3") >= 0 &&
                          arc_find("resources/tracks/index.list") >= 0 &&
                          arc_find("resources/tracks/track.data") >= 0;
    arc_close();
    return complete;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "no X display (run under xvfb-run)";
        if (shell("command -v xdotool").empty())
            GTEST_SKIP() << "xdotool is not installed";
    }

    // Starts the program in the working folder and waits for its dialog.
    std::string start(const std::vector<std::string>& envChanges = {})
    {
        std::vector<std::string> env = {
            "LSAN_OPTIONS=suppressions=" + std::string(PULSVEK_SOURCE_DIR) + "/tests/lsan.supp:print_suppressions=0"};
        env.insert(env.end(), envChanges.begin(), envChanges.end());
        child = std::make_unique<e2e::Child>(std::vector<std::string>{kProgram}, dir.path(), env);
        const std::string dialog = waitForWindow(kDialog, 60000);
        if (!dialog.empty()) {
            EXPECT_TRUE(drawn(dialog));
        }
        return dialog;
    }

    // Waits until the window shows more than its background.
    static ::testing::AssertionResult drawn(const std::string& window)
    {
        const unsigned long id = std::stoul(window);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (;;) {
            const auto [w, h] = windowSize(window);
            const std::string pixels = e2e::windowPixels(id, 0, 0, w, h);
            const size_t n = sizeof(unsigned long);
            for (size_t i = n; i + n <= pixels.size(); i += n)
                if (pixels.compare(i, n, pixels, 0, n) != 0)
                    return ::testing::AssertionSuccess();
            if (std::chrono::steady_clock::now() > end)
                return ::testing::AssertionFailure() << "the window shows nothing but one colour";
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    testsupport::TempDir dir;
    std::unique_ptr<e2e::Child> child;
};

TEST_F(Program, CrashQuitsWithoutOpeningTheShow)
{
    const std::string dialog = start();
    ASSERT_FALSE(dialog.empty()) << "no launcher dialog";
    EXPECT_EQ(windowSize(dialog), std::make_pair(450, 300));
    click(dialog, kCrash);
    const e2e::ChildResult result = child->wait(60000);
    EXPECT_EQ(result.status, 0) << result.output;
    // The quit line and nothing of the engine: no window, no context.
    EXPECT_EQ(result.lines(), std::vector<std::string>{"Quit demo"}) << result.output;
}

TEST_F(Program, ClosingTheDialogQuits)
{
    const std::string dialog = start();
    ASSERT_FALSE(dialog.empty()) << "no launcher dialog";
    // Changed settings do not matter when the viewer leaves.
    ASSERT_TRUE(toggle(dialog, kFullscreen));
    ASSERT_TRUE(e2e::sendClose(kDialog));
    const e2e::ChildResult result = child->wait(60000);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.lines(), std::vector<std::string>{"Quit demo"}) << result.output;
}

TEST_F(Program, WithoutTheArchiveTheStartFailsWithItsMessages)
{
    const std::string dialog = start();
    ASSERT_FALSE(dialog.empty()) << "no launcher dialog";
    ASSERT_TRUE(toggle(dialog, kFullscreen));
    click(dialog, kDrive);
    const e2e::ChildResult result = child->wait(60000);
    EXPECT_NE(result.status, 0) << result.output;
    EXPECT_FALSE(result.timedOut);
    const std::vector<std::string> lines = result.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Run demo");
    EXPECT_TRUE(inOrder(lines, {"Run demo", "arc_load : 0", "[Creating DataPools]"})) << result.output;
    EXPECT_TRUE(anyStartsWith(lines, "OpenGL version : ")) << result.output;
    EXPECT_TRUE(inOrder(lines, {"[Shutting Down]", "Message from pulsvek :", "Message from resourceloader"}))
        << result.output;
    EXPECT_TRUE(inOrder(lines, kShutdown)) << result.output;
    EXPECT_EQ(lines.back(), "[Application End]") << result.output;
}

TEST_F(Program, DriveRunsTheShowInAWindowUntilEscape)
{
    if (!showArchiveComplete())
        GTEST_SKIP() << kShowArchive << " lacks the show's music or track data: the show cannot start yet";
    fs::copy_file(kShowArchive, dir.file("resources.7z"));
    // The driver's generated code keeps allocations that leak reports cannot name.
    const std::string dialog = start({"ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_FALSE(dialog.empty()) << "no launcher dialog";
    ASSERT_TRUE(toggle(dialog, kFullscreen));
    click(dialog, kDrive);
    ASSERT_TRUE(child->waitForLine("Run demo", 60000));

    const std::string show = waitForWindow(kShowWindow, 60000);
    if (show.empty()) {
        const e2e::ChildResult result = child->wait(1000);
        FAIL() << "no show window\n" << result.output;
    }
    // The display's only mode is the first entry of the list.
    int displayWidth = 0, displayHeight = 0;
    {
        const std::string size = shell("xdotool getdisplaygeometry");
        std::sscanf(size.c_str(), "%d %d", &displayWidth, &displayHeight);
    }
    EXPECT_EQ(windowSize(show), std::make_pair(displayWidth, displayHeight));
    EXPECT_EQ(waitForWindow(kDialog, 0), "") << "the dialog is still shown";

    // Keys reach the show once its loading is done and its callbacks are set.
    ASSERT_TRUE(child->waitForLine("[Demo Init]", 120000));
    ASSERT_TRUE(e2e::sendUntilLine(*child, e2e::sendEscape, kShowWindow, "[Shutting Down]", 120000));
    const e2e::ChildResult result = child->wait(120000);
    EXPECT_EQ(result.status, 0) << result.output;
    const std::vector<std::string> lines = result.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Run demo");
    EXPECT_TRUE(inOrder(lines, {"Run demo", "arc_load : 1", "[Creating DataPools]"})) << result.output;
    EXPECT_TRUE(anyStartsWith(lines, "Duration : ")) << result.output;
    EXPECT_TRUE(anyStartsWith(lines, "Average FPS = ")) << result.output;
    EXPECT_TRUE(inOrder(lines, kShutdown)) << result.output;
    EXPECT_EQ(lines.back(), "[Application End]") << result.output;
}

}
