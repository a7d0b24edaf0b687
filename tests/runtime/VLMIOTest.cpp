#include "engine/runtime/VLMIO.h"

#include "engine/runtime/Binary.h"
#include "util/File.h"
#include "util/Image.h"

#include "support/Capture.h"
#include "support/ImageFiles.h"
#include "support/SevenZip.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>

using testsupport::TempDir;

namespace {

// Works inside a fresh folder holding a small resource tree, once as folders and
// once packed into resources.7z with the same member names.
struct ResourceTree : ::testing::Test {
    TempDir dir;
    std::string previous;
    testsupport::Members members;

    ResourceTree()
    {
        char buffer[4096];
        previous = getcwd(buffer, sizeof buffer) ? buffer : ".";
        std::string picture = testsupport::makePngRgb(2, 2, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        members = {
            {"resources/shaders/plain.vert", "#version 150\r\nvoid main() {}\n"},
            {"resources/misc/blob.bin", std::string("\x00\x80\xFF\x10", 4)},
            {"resources/graphics/Pic.png", picture},
            {"resources/misc/empty.bin", ""},
        };
        for (const auto& m : members)
            dir.write(m.first, m.second);
        testsupport::write7z(dir.file("resources.7z"), members);
        EXPECT_EQ(chdir(dir.path().c_str()), 0);
    }
    ~ResourceTree() override
    {
        VLMIO::releaseArchive();
        VLMIO::setLoadMode(0);
        VLMIO::verbose = false;
        EXPECT_EQ(chdir(previous.c_str()), 0);
    }

    void useMode(int mode)
    {
        testsupport::StdoutCapture capture;
        VLMIO::setLoadMode(mode);
        if (mode == 1) {
            EXPECT_EQ(capture.lines(), std::vector<std::string>{"arc_load : 1"});
        }
    }
};

std::vector<unsigned char> bytesOf(const Binary& b)
{
    std::vector<unsigned char> out;
    for (int i = 0; i < b.size(); ++i)
        out.push_back(b.byteAt(i));
    return out;
}

}

TEST_F(ResourceTree, FoldersAndArchiveGiveTheSameBytes)
{
    EXPECT_EQ(VLMIO::shaderFolder + "plain.vert", "resources/shaders/plain.vert");
    for (int mode : {0, 1}) {
        useMode(mode);
        for (const auto& m : members) {
            std::unique_ptr<File> text(VLMIO::loadTextFile(m.first));
            ASSERT_NE(text, nullptr);
            EXPECT_TRUE(text->isOpen()) << mode << " " << m.first;
            EXPECT_EQ(text->getString(), m.second) << mode << " " << m.first;
            std::unique_ptr<File> file(VLMIO::loadFile(m.first, mode));
            ASSERT_NE(file, nullptr);
            EXPECT_EQ(file->getString(), m.second);

            std::unique_ptr<Binary> binary(VLMIO::loadBinaryFile(m.first));
            ASSERT_NE(binary, nullptr) << mode << " " << m.first;
            EXPECT_EQ(bytesOf(*binary), std::vector<unsigned char>(m.second.begin(), m.second.end()));
        }
        std::unique_ptr<Image> image(VLMIO::loadImage(VLMIO::graphicsFolder + "Pic.png"));
        ASSERT_NE(image, nullptr) << mode;
        EXPECT_EQ(image->getWidth(), 2);
        EXPECT_EQ(image->getPixels()[0], 7);  // bottom row first
        VLMIO::releaseArchive();
    }
}

TEST_F(ResourceTree, MissingResourcesFailInEveryMode)
{
    for (int mode : {0, 1}) {
        useMode(mode);
        for (std::string path : {"resources/misc/none.bin", "resources/misc/Blob.bin", "resources/misc"}) {
            std::unique_ptr<File> file(VLMIO::loadTextFile(path));
            ASSERT_NE(file, nullptr);
            EXPECT_FALSE(file->isOpen()) << mode << " " << path;
            EXPECT_EQ(VLMIO::loadBinaryFile(path), nullptr) << mode << " " << path;
            EXPECT_EQ(VLMIO::loadImage(path), nullptr) << mode << " " << path;
        }
        // Bytes that are not a picture.
        EXPECT_EQ(VLMIO::loadImage("resources/misc/blob.bin"), nullptr) << mode;
        VLMIO::releaseArchive();
    }

    // A mode other than 0 or 1: every loader returns null.
    for (int mode : {2, -1}) {
        VLMIO::setLoadMode(mode);
        EXPECT_EQ(VLMIO::loadTextFile(members[0].first), nullptr);
        EXPECT_EQ(VLMIO::loadFile(members[0].first), nullptr);
        EXPECT_EQ(VLMIO::loadBinaryFile(members[1].first), nullptr);
        EXPECT_EQ(VLMIO::loadImage(members[2].first), nullptr);
        std::unique_ptr<Binary> explicitMode(VLMIO::loadBinaryFile(members[1].first, 0));
        EXPECT_NE(explicitMode, nullptr);
    }
}

TEST_F(ResourceTree, MissingArchiveIsReportedAndNothingLoads)
{
    ASSERT_EQ(std::remove("resources.7z"), 0);
    {
        testsupport::StdoutCapture capture;
        VLMIO::setLoadMode(1);
        EXPECT_EQ(capture.lines(), std::vector<std::string>{"arc_load : 0"});
    }
    for (const auto& m : members) {
        std::unique_ptr<File> file(VLMIO::loadTextFile(m.first));
        ASSERT_NE(file, nullptr);
        EXPECT_FALSE(file->isOpen());
        EXPECT_EQ(VLMIO::loadBinaryFile(m.first), nullptr);
    }
    EXPECT_EQ(VLMIO::loadImage(members[2].first), nullptr);

    // After the archive is released, mode 1 finds nothing either.
    useMode(0);
    testsupport::write7z(dir.file("resources.7z"), members);
    useMode(1);
    VLMIO::releaseArchive();
    std::unique_ptr<File> late(VLMIO::loadTextFile(members[0].first));
    EXPECT_FALSE(late->isOpen());
}

TEST_F(ResourceTree, VerboseLinesNameWhatLoads)
{
    VLMIO::verbose = true;
    VLMIO::setLoadMode(0);
    EXPECT_FALSE(VLMIO::verbose);

    VLMIO::verbose = true;
    testsupport::StdoutCapture capture;
    delete VLMIO::loadTextFile("resources/misc/blob.bin");
    delete VLMIO::loadFile("resources/misc/blob.bin");
    delete VLMIO::loadBinaryFile("resources/misc/blob.bin");
    delete VLMIO::loadImage("resources/graphics/Pic.png");
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Loading text file : resources/misc/blob.bin",
                                                         "Loading file : resources/misc/blob.bin",
                                                         "Loading binary file : resources/misc/blob.bin"}));
}
