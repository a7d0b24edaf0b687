// The show's own resources with one file damaged, run by the development
// runner from the folders and from an archive packed from them: an object file
// that lacks a name the production looks up, or track data that cannot be read
// whole, ends the start by itself with status 1, a message naming the file and
// the full shutdown log; track values that are not numbers, infinite or huge
// still give a show that runs to its end. A forged archive fails the start in
// bounded memory.

#include "Child.h"
#include "LogLines.h"

#include "support/SevenZip.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kDevrun = PULSVEK_DEVRUN;
const std::string kFolders = std::string(PULSVEK_BINARY_DIR) + "/show/resources";

using Spoil = std::function<void(testsupport::TempDir&)>;

int32_t intAt(const std::string& bytes, size_t at)
{
    int32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

void putInt(std::string& bytes, size_t at, int32_t v)
{
    std::memcpy(&bytes[at], &v, 4);
}

// The node record named name: its id is the int 8 bytes before the name.
size_t nodeName(const std::string& vbo, const std::string& name)
{
    const size_t at = vbo.rfind(std::string(name.c_str(), name.size() + 1));
    return at == std::string::npos || at < 8 ? std::string::npos : at;
}

class DamagedShow : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_SHOW_FILE(kFolders);
    }

    // A fresh copy with the file spoilt, from the folders (mode 0) or from
    // "resources.7z" packed from them (mode 1).
    e2e::ChildResult run(const Spoil& spoil, int mode, const std::vector<std::string>& args)
    {
        testsupport::TempDir work;
        fs::copy(kFolders, work.file("resources"), fs::copy_options::recursive);
        spoil(work);
        if (mode == 1) {
            testsupport::packFolder(work.path(), "resources");
            fs::rename(work.file("resources"), work.file("folders"));
        }
        std::vector<std::string> argv = {kDevrun, "--mode", std::to_string(mode), "--size", "160x90"};
        argv.insert(argv.end(), args.begin(), args.end());
        return e2e::run(argv, work.path(), {}, 240000);
    }

    // Status 1, the message as the last lines before the shutdown log (or
    // else a last line that starts with lastStart), and all of that log.
    void expectStartFailure(const Spoil& spoil, const std::vector<std::string>& message, const std::string& what,
                            const std::string& lastStart = "")
    {
        for (int mode : {0, 1}) {
            const std::string label = what + " (mode " + std::to_string(mode) + ")";
            const e2e::ChildResult result = run(spoil, mode, {"--start", "10", "--end", "11"});
            ASSERT_FALSE(result.timedOut) << label << "\n" << result.output;
            EXPECT_EQ(result.status, 1) << label << "\n" << result.output;
            const std::vector<std::string> lines = result.lines();
            std::vector<std::string> expected = {"[Shutting Down]", "Message from pulsvek :",
                                                 "Message from resourceloader"};
            expected.insert(expected.end(), message.begin(), message.end());
            const std::vector<std::string>& shutdown = e2e::shutdownLog();
            expected.insert(expected.end(), shutdown.begin() + 1, shutdown.end());
            EXPECT_TRUE(e2e::inOrder(lines, expected)) << label << "\n" << result.output;
            EXPECT_FALSE(e2e::contains(lines, "[Demo Init]")) << label;
            size_t pools = 0;
            while (pools < lines.size() && lines[pools] != "[Deleting Pools]")
                ++pools;
            ASSERT_GT(pools, 0u) << label;
            if (lastStart.empty())
                EXPECT_EQ(lines[pools - 1], message.back()) << label;
            else
                EXPECT_EQ(lines[pools - 1].rfind(lastStart, 0), 0u) << label << ": " << lines[pools - 1];
        }
    }

    static Spoil rewrite(const std::string& name, std::function<void(std::string&)> change)
    {
        return [=](testsupport::TempDir& work) {
            std::string bytes = testsupport::readWholeFile(work.file("resources/" + name));
            change(bytes);
            work.write("resources/" + name, bytes);
        };
    }
};

TEST_F(DamagedShow, AnObjectFileWithoutANameTheProductionLooksUpFailsTheStart)
{
    const std::string sprites = "objects/Sprites.vbo";
    const std::string file = "File : 'resources/objects/Sprites.vbo'";
    struct Case {
        const char* what;
        Spoil spoil;
        std::string missing;
    } const cases[] = {
        {"one letter of a node name", rewrite(sprites, [](std::string& b) { b[nodeName(b, "Tumbleweed")] = 'X'; }),
         "Tumbleweed"},
        // The later node of an id replaces the earlier one.
        {"a node id repeated", rewrite(sprites,
                                       [](std::string& b) {
                                           const size_t tree = nodeName(b, "Tree");
                                           putInt(b, tree - 8, intAt(b, nodeName(b, "Tree2") - 8));
                                       }),
         "Tree"},
        // No materials: with one, the first node reads as a material and the rest shifts.
        {"a material count", rewrite(sprites, [](std::string& b) { putInt(b, nodeName(b, "Tree") - 20, 1); }),
         "Tree"},
    };
    for (const Case& c : cases)
        expectStartFailure(c.spoil, {"Failed to find object '" + c.missing + "'!", file}, c.what);
}

TEST_F(DamagedShow, TrackDataThatCannotBeReadWholeFailsTheStart)
{
    const std::string index = "File : 'resources/tracks/index.list'";
    const std::string data = "File : 'resources/tracks/track.data'";
    struct Case {
        const char* what;
        Spoil spoil;
        std::vector<std::string> message;
        std::string lastStart;
    } const cases[] = {
        {"empty index", rewrite("tracks/index.list", [](std::string& b) { b.clear(); }),
         {"Failed to load track data!", index, "index.list ends inside entry 0 of 0"}, ""},
        // The entries of the second half point past the end.
        {"data cut in half", rewrite("tracks/track.data", [](std::string& b) { b.resize(b.size() / 2); }),
         {"Failed to load track data!", data}, "Entry '"},
    };
    for (const Case& c : cases)
        expectStartFailure(c.spoil, c.message, c.what, c.lastStart);
}

// A forged archive whose member list claims tens of millions of folders: the
// start ends with the archive's message, in bounded memory.
TEST_F(DamagedShow, AnArchiveWhoseListClaimsGigabytesFailsTheStartInBoundedMemory)
{
    testsupport::TempDir work;
    fs::copy_file(std::string(PULSVEK_SOURCE_DIR) + "/tests/fuzz/regressions/archive/packed-list-claims-50M-folders.7z",
                  work.file("resources.7z"));
    const e2e::ChildResult result =
        e2e::run({kDevrun, "--mode", "1", "--size", "160x90", "--start", "10", "--end", "11"}, work.path(), {}, 240000);
    ASSERT_FALSE(result.timedOut) << result.output;
    EXPECT_EQ(result.status, 1) << result.output;
    const std::vector<std::string> lines = result.lines();
    EXPECT_TRUE(e2e::contains(lines, "Archive 'resources.7z' could not be read : not a readable 7z archive (its "
                                     "member list claims 50332617 folders in 35 bytes)"))
        << result.output;
    EXPECT_TRUE(e2e::inOrder(lines, e2e::shutdownLog())) << result.output;
    EXPECT_FALSE(e2e::contains(lines, "[Demo Init]"));
    EXPECT_GT(result.peakResidentKb, 0);
    EXPECT_LT(result.peakResidentKb, 400L * 1024) << result.output;
}

// Every key of every parameter track set to one value: each conversion of a
// track value to an integer is bounded first (the sanitizers stop at any that
// is not), and the show plays to its end.
TEST_F(DamagedShow, TrackValuesThatAreNotNumbersInfiniteOrHugeStillPlay)
{
    const float values[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), 3e38f, -3e38f};
    for (float value : values) {
        const Spoil poison = [value](testsupport::TempDir& work) {
            const std::string list = testsupport::readWholeFile(work.file("resources/tracks/index.list"));
            std::string data = testsupport::readWholeFile(work.file("resources/tracks/track.data"));
            size_t at = 4;
            for (int32_t i = 0, n = intAt(list, 0); i < n; ++i) {
                const std::string name = list.c_str() + at;
                at += name.size() + 1;
                const size_t record = static_cast<size_t>(intAt(list, at));
                at += 4;
                // Parameter records are "instance.track.track".
                if (std::count(name.begin(), name.end(), '.') != 2)
                    continue;
                for (int32_t k = 0, keys = intAt(data, record); k < keys; ++k)
                    std::memcpy(&data[record + 4 + 12 * static_cast<size_t>(k) + 8], &value, 4);
            }
            work.write("resources/tracks/track.data", data);
        };
        // The archive once: the values are the same whichever way they come.
        for (int mode : {0, 1}) {
            if (mode == 1 && !std::isnan(value))
                continue;
            const std::string label = std::to_string(value) + " (mode " + std::to_string(mode) + ")";
            // A frame every eight bars across the whole timeline.
            const e2e::ChildResult result = run(poison, mode, {"--start", "1.25", "--end", "214", "--every", "8"});
            ASSERT_FALSE(result.timedOut) << label << "\n" << result.output;
            EXPECT_EQ(result.status, 0) << label << "\n" << result.output;
            const std::vector<std::string> lines = result.lines();
            std::vector<std::string> expected = {"[Demo Init]"};
            const std::vector<std::string>& shutdown = e2e::shutdownLog();
            expected.insert(expected.end(), shutdown.begin(), shutdown.end());
            EXPECT_TRUE(e2e::inOrder(lines, expected)) << label << "\n" << result.output;
            EXPECT_FALSE(e2e::contains(lines, "Message from pulsvek :")) << label;
        }
    }
}

}
