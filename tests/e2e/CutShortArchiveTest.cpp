// The show's own archive cut short, run by the development runner in archive
// mode: the start ends with status 1, the shutdown log, and a message that
// says the file is cut short with both sizes, wherever it was cut.

#include "Child.h"
#include "LogLines.h"

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
const std::string kArchive = std::string(PULSVEK_BINARY_DIR) + "/show/resources.7z";

uint64_t getLE(const std::string& bytes, size_t at)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

TEST(CutShortArchive, TheStartEndsNamingBothSizes)
{
    REQUIRE_SHOW_FILE(kArchive);
    const std::string whole = testsupport::readWholeFile(kArchive);
    ASSERT_GT(whole.size(), 5000000u);
    // The member list, where the start header places it: at the end of the file.
    const uint64_t listAt = 32 + getLE(whole, 12);
    ASSERT_EQ(listAt + getLE(whole, 20), whole.size());

    for (size_t length : {size_t(5000000), whole.size() - 3}) {
        testsupport::TempDir work;
        work.write("resources.7z", whole.substr(0, length));
        const e2e::ChildResult result =
            e2e::run({kDevrun, "--mode", "1", "--size", "160x90", "--start", "10", "--end", "11"}, work.path(), {},
                     240000);
        const std::string label = std::to_string(length) + " bytes";
        ASSERT_FALSE(result.timedOut) << label << "\n" << result.output;
        EXPECT_EQ(result.status, 1) << label << "\n" << result.output;
        const std::vector<std::string> lines = result.lines();
        const std::string message = "Archive 'resources.7z' could not be read : not a readable 7z archive (cut short: "
                                    "the file ends at byte " +
                                    std::to_string(length) + ", its member list takes bytes " +
                                    std::to_string(listAt) + " to " + std::to_string(whole.size()) + ")";
        EXPECT_TRUE(e2e::inOrder(lines, {"arc_load : 0", "[Shutting Down]", "Message from resourceloader", message,
                                         "[Deleting Pools]", "[Application End]"}))
            << label << "\n" << result.output;
        EXPECT_TRUE(e2e::inOrder(lines, e2e::shutdownLog())) << label << "\n" << result.output;
        EXPECT_FALSE(e2e::contains(lines, "[Demo Init]")) << label;
    }
}

}
