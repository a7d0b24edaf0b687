// The show's own soundtrack cut short, run by the development runner from a
// copy of the resource folders: the show starts at the start asked for,
// whatever the music's length, plays on silently past the music, and says
// once in its log that the file is cut short.

#include "Child.h"
#include "LogLines.h"

#include "platform/FmodEx.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kDevrun = PULSVEK_DEVRUN;
const std::string kFolders = std::string(PULSVEK_BINARY_DIR) + "/show/resources";
const std::string kMusic = "resources/sound/Kaldrune_320Kbps.mp3";
// About 2.5 s of the music.
const size_t kCutBytes = 101136;

// The decoded length, or the one the file's header declares, in ms.
std::string lengthMs(const std::string& bytes, bool stated)
{
    fmodex::DecodedAudio audio;
    EXPECT_EQ(fmodex::decodeMp3(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), audio), FMOD_OK);
    if (audio.rate <= 0)
        return "?";
    return std::to_string((stated ? audio.statedFrames : audio.frames) * 1000 / static_cast<uint64_t>(audio.rate));
}

// The show's time at the first "devrun: saved" line, -1 without one.
long savedAtMs(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        const size_t at = line.rfind(" at ");
        if (line.rfind("devrun: saved ", 0) == 0 && at != std::string::npos)
            return std::strtol(line.c_str() + at + 4, nullptr, 10);
    }
    return -1;
}

}

TEST(ShortSoundtrack, TheShowStartsWhereAskedAndPlaysOnSilentlyPastTheMusic)
{
    REQUIRE_SHOW_FILE(kFolders);

    testsupport::TempDir work;
    fs::copy(kFolders, work.file("resources"), fs::copy_options::recursive);
    const std::string whole = testsupport::readWholeFile(work.file(kMusic));
    ASSERT_GT(whole.size(), kCutBytes);
    const std::string cut = whole.substr(0, kCutBytes);
    work.write(kMusic, cut);
    const std::string lasts = "Music '" + kMusic + "' is cut short: it lasts " + lengthMs(cut, false) + " ms of the " +
                              lengthMs(whole, true) + " ms its header declares; the show runs from ";

    struct Case {
        const char* start;
        const char* end;
        long startMs;
        long endMs;
    } const cases[] = {
        {"40", "41", 40000, 41000},  // past the music's end
        {"0", "3", 0, 3000},         // the music, then silence
    };
    for (const Case& c : cases) {
        const std::string label = std::string("--start ") + c.start + " --end " + c.end;
        // A shot at 0 is saved with the first frame: it tells the show's time there.
        const e2e::ChildResult result =
            e2e::run({kDevrun, "--mode", "0", "--size", "160x90", "--start", c.start, "--end", c.end, "--shot", "0",
                      work.file("first.png")},
                     work.path(), {}, 240000);
        ASSERT_FALSE(result.timedOut) << label << "\n" << result.output;
        EXPECT_EQ(result.status, 0) << label << "\n" << result.output;
        const std::vector<std::string> lines = result.lines();
        const std::string line =
            lasts + std::to_string(c.startMs) + " ms to " + std::to_string(c.endMs) + " ms, silent past the music";
        EXPECT_TRUE(e2e::inOrder(lines, {"[Setting up sound]", "Play : Kaldrune_320Kbps.mp3", line, "[Demo Init]"}))
            << label << "\n" << result.output;
        size_t music = 0;
        for (const std::string& l : lines)
            music += l.rfind("Music '", 0) == 0 ? 1 : 0;
        EXPECT_EQ(music, 1u) << label;
        const long first = savedAtMs(lines);
        EXPECT_GE(first, c.startMs) << label << "\n" << result.output;
        EXPECT_LT(first, c.startMs + 1000) << label << ": the first frame is not at the start\n" << result.output;
        const long duration = e2e::durationMs(lines);
        EXPECT_GE(duration, c.endMs) << label;
        EXPECT_LT(duration, c.endMs + 30000) << label;
        EXPECT_TRUE(e2e::inOrder(lines, e2e::shutdownLog())) << label << "\n" << result.output;
        EXPECT_FALSE(e2e::contains(lines, "Message from pulsvek :")) << label;
    }
}
