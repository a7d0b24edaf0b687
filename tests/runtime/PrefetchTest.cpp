#include "engine/runtime/Prefetch.h"

#include "util/Archive.h"
#include "util/Image.h"

#include "support/ImageFiles.h"
#include "support/SevenZip.h"
#include "support/SoundFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testsupport::TempDir;

namespace {

// The same files in a folder tree (mode 0) and in an archive (mode 1).
struct PrefetchResources : ::testing::TestWithParam<int> {
    TempDir dir;
    std::string root;

    void SetUp() override
    {
        testsupport::Members members;
        for (int i = 0; i < 9; ++i) {
            const int side = i + 1;
            members.push_back({"p" + std::to_string(i) + ".png",
                               testsupport::makePngRgb(side, 1, 3, testsupport::Bytes(static_cast<size_t>(side) * 3, 9))});
        }
        members.push_back({"junk.png", "not a picture"});
        members.push_back({"picture.bmp", testsupport::makeBmp24(1, 1, {1, 2, 3})});
        members.push_back({"music.mp3", testsupport::silentMp3(500)});
        members.push_back({"garbage.mp3", std::string(3000, 'g')});
        if (GetParam() == 1) {
            testsupport::write7z(dir.file("r.7z"), members);
            ASSERT_TRUE(openArchive(dir.file("r.7z")));
            root = "";
        } else {
            for (const auto& m : members)
                dir.write(m.first, m.second);
            root = dir.path() + "/";
        }
    }
    void TearDown() override
    {
        Prefetch::stop();
        closeArchive();
    }
    std::string path(const std::string& name) const { return root + name; }
    int widthOf(const std::string& name)
    {
        std::unique_ptr<Image> image(Prefetch::takePicture(path(name)));
        return image ? image->getWidth() : -1;
    }
};

}

TEST_P(PrefetchResources, PicturesArriveForTheLoaderToTake)
{
    std::vector<Prefetch::Picture> paths;
    for (int i = 0; i < 9; ++i)
        paths.push_back({path("p" + std::to_string(i) + ".png")});
    paths.insert(paths.begin() + 2, {{path("missing.png")}, {path("junk.png")}, {path("picture.bmp")}, {path("p0.png")}});
    Prefetch::startPictures(paths, GetParam());

    // More pictures than the workers hold ahead, taken in order and out of it.
    EXPECT_EQ(widthOf("p1.png"), 2);
    EXPECT_EQ(widthOf("p0.png"), 1);
    // What did not decode here is left to the loader's own reading.
    EXPECT_EQ(widthOf("missing.png"), -1);
    EXPECT_EQ(widthOf("junk.png"), -1);
    EXPECT_EQ(widthOf("picture.bmp"), -1);
    for (int i = 2; i < 9; ++i)
        EXPECT_EQ(widthOf("p" + std::to_string(i) + ".png"), i + 1) << i;
    // Taken once only; a path never asked for has nothing.
    EXPECT_EQ(widthOf("p0.png"), -1);
    EXPECT_EQ(widthOf("p9.png"), -1);
    if (GetParam() == 1) {
        // The member itself stays readable.
        EXPECT_EQ(arc_size("p4.png"), static_cast<int>(testsupport::makePngRgb(5, 1, 3, testsupport::Bytes(15, 9)).size()));
        std::vector<char> bytes;
        EXPECT_TRUE(arc_take("p4.png", bytes));
    }
}

TEST_P(PrefetchResources, StoppingWithPicturesLeftOverEnds)
{
    std::vector<Prefetch::Picture> paths;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 9; ++i)
            paths.push_back({path("p" + std::to_string(i) + ".png")});
    Prefetch::startPictures(paths, GetParam());
    EXPECT_EQ(widthOf("p0.png"), 1);
    Prefetch::stop();
    EXPECT_EQ(widthOf("p1.png"), -1);
    // A new start replaces the one before.
    Prefetch::startPictures({{path("p3.png")}}, GetParam());
    Prefetch::startPictures({{path("p5.png")}}, GetParam());
    EXPECT_EQ(widthOf("p3.png"), -1);
    EXPECT_EQ(widthOf("p5.png"), 6);
}

TEST_P(PrefetchResources, MusicDecodesOnItsOwnThread)
{
    struct Case {
        const char* file;
        bool read;
        FMOD_RESULT result;
    } const cases[] = {
        {"music.mp3", true, FMOD_OK},
        {"garbage.mp3", true, FMOD_ERR_FORMAT},
        {"missing.mp3", false, FMOD_ERR_FILE_BAD},
    };
    for (const Case& c : cases) {
        Prefetch::startMusic(path(c.file), GetParam());
        FMOD_RESULT result = FMOD_ERR_MEMORY;
        fmodex::DecodedAudio audio;
        // Only the music that was started is handed over.
        EXPECT_FALSE(Prefetch::takeMusic(path("other.mp3"), result, audio)) << c.file;
        ASSERT_EQ(Prefetch::takeMusic(path(c.file), result, audio), c.read) << c.file;
        if (c.read) {
            EXPECT_EQ(result, c.result) << c.file;
        }
        if (c.result == FMOD_OK) {
            EXPECT_EQ(audio.rate, 8000);
            EXPECT_EQ(audio.channels, 1);
            EXPECT_GE(audio.frames, 4000u);
            EXPECT_EQ(audio.samples.size(), audio.frames);
        }
        // Handed over once.
        EXPECT_FALSE(Prefetch::takeMusic(path(c.file), result, audio)) << c.file;
    }
}

INSTANTIATE_TEST_SUITE_P(FoldersAndArchive, PrefetchResources, ::testing::Values(0, 1));
