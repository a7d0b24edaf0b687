// The show's own resources with one picture damaged or gone, run by the
// development runner from the folders and from an archive packed from them:
// the start ends by itself with status 1 and the full shutdown log, and the
// message names the picture that failed (for a cube map the face, not the
// pattern) with the decoder's reason on the line after it.

#include "Child.h"
#include "LogLines.h"

#include "support/SevenZip.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kDevrun = PULSVEK_DEVRUN;
const std::string kFolders = std::string(PULSVEK_BINARY_DIR) + "/show/resources";
const std::string kGraphics = "resources/graphics/";

// The lines of the loader's message: after "Message from resourceloader" up
// to the shutdown's "[Deleting Pools]".
std::vector<std::string> loaderMessage(const std::vector<std::string>& lines)
{
    std::vector<std::string> message;
    size_t i = 0;
    while (i < lines.size() && lines[i] != "Message from resourceloader")
        ++i;
    for (++i; i < lines.size() && lines[i] != "[Deleting Pools]"; ++i)
        message.push_back(lines[i]);
    return message;
}

class DamagedPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_SHOW_FILE(kFolders);
    }

    // Runs a copy of the show's resources with the picture changed (or
    // removed, when change leaves it empty), in both load modes, and expects
    // the start to fail with "Failed to load texture!" and these lines.
    void expectMessage(const std::string& picture, const std::function<void(std::string&)>& change,
                       const std::vector<std::string> (&tail)[2])
    {
        for (int mode : {0, 1}) {
            const std::string label = picture + " (mode " + std::to_string(mode) + ")";
            testsupport::TempDir work;
            fs::copy(kFolders, work.file("resources"), fs::copy_options::recursive);
            std::string bytes = testsupport::readWholeFile(work.file(kGraphics + picture));
            change(bytes);
            if (bytes.empty())
                fs::remove(work.file(kGraphics + picture));
            else
                work.write(kGraphics + picture, bytes);
            if (mode == 1) {
                testsupport::packFolder(work.path(), "resources");
                fs::rename(work.file("resources"), work.file("folders"));
            }
            const e2e::ChildResult result = e2e::run(
                {kDevrun, "--mode", std::to_string(mode), "--size", "160x90", "--start", "10", "--end", "11"},
                work.path(), {}, 240000);
            ASSERT_FALSE(result.timedOut) << label << "\n" << result.output;
            EXPECT_EQ(result.status, 1) << label << "\n" << result.output;
            const std::vector<std::string> lines = result.lines();
            std::vector<std::string> expected = {"Failed to load texture!"};
            expected.insert(expected.end(), tail[mode].begin(), tail[mode].end());
            EXPECT_EQ(loaderMessage(lines), expected) << label << "\n" << result.output;
            EXPECT_TRUE(e2e::inOrder(lines, e2e::shutdownLog())) << label << "\n" << result.output;
            EXPECT_FALSE(e2e::contains(lines, "[Demo Init]")) << label;
        }
    }
};

TEST_F(DamagedPicture, APictureCutShortIsNamedWithTheReason)
{
    const std::vector<std::string> both = {"File : 'resources/graphics/Noise.png'", "file cut short"};
    expectMessage("Noise.png", [](std::string& b) { b.resize(b.size() / 2); }, {both, both});
}

TEST_F(DamagedPicture, ACubeMapNamesTheFaceThatFailed)
{
    // The check sum of the first pixel chunk changed.
    const std::vector<std::string> crc = {"File : 'resources/graphics/Sunset_negz.png'", "IDAT: CRC error"};
    expectMessage("Sunset_negz.png",
                  [](std::string& b) {
                      const size_t type = b.find("IDAT");
                      size_t length = 0;
                      for (size_t i = type - 4; i < type; ++i)
                          length = length << 8 | static_cast<unsigned char>(b[i]);
                      b[type + 4 + length] ^= 0x5A;
                  },
                  {crc, crc});
    expectMessage("Desert_posy.png", [](std::string& b) { b.clear(); },
                  {{"File : 'resources/graphics/Desert_posy.png'", "missing"},
                   {"File : 'resources/graphics/Desert_posy.png'", "not in the archive"}});
}

}
