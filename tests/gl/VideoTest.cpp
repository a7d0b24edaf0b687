#include "engine/runtime/Video.h"

#include "engine/render/Texture.h"
#include "engine/runtime/VLMIO.h"

#include "support/Capture.h"
#include "support/GLContext.h"
#include "support/SevenZip.h"
#include "support/TempDir.h"

#include <vpx/vp8dx.h>
#include <vpx/vpx_decoder.h>

#include <unistd.h>

#include <memory>

using testsupport::TempDir;

namespace {

using Bytes = std::vector<unsigned char>;

// 34 x 18, 12 frames at rate 10 / scale 1, key frames every 4 frames, a
// different moving pattern in every frame.
Bytes fixture()
{
    std::string bytes = testsupport::readWholeFile(std::string(PULSVEK_TEST_DATA) + "/video/moving-34x18.ivf");
    return Bytes(bytes.begin(), bytes.end());
}

std::unique_ptr<Video> fromBytes(const Bytes& b)
{
    testsupport::StdoutCapture quiet;
    return std::make_unique<Video>(b.data(), static_cast<unsigned int>(b.size()));
}

void put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(at + i) = static_cast<unsigned char>(v >> (8 * i));
}

// Every frame decoded in order, straight through libvpx, copied as Y, U, V
// triples with the bottom row first.
std::vector<Bytes> referencePictures(const Bytes& ivf, int width, int height)
{
    vpx_codec_ctx_t codec;
    EXPECT_EQ(vpx_codec_dec_init(&codec, vpx_codec_vp8_dx(), nullptr, 0), VPX_CODEC_OK);
    std::vector<Bytes> pictures;
    size_t offset = 32;
    while (offset + 12 <= ivf.size()) {
        uint32_t size = ivf[offset] | ivf[offset + 1] << 8 | ivf[offset + 2] << 16 | uint32_t(ivf[offset + 3]) << 24;
        EXPECT_EQ(vpx_codec_decode(&codec, &ivf[offset + 12], size, nullptr, 0), VPX_CODEC_OK);
        vpx_codec_iter_t it = nullptr;
        vpx_image_t* img = vpx_codec_get_frame(&codec, &it);
        EXPECT_NE(img, nullptr);
        Bytes out;
        for (int j = 0; j < height; ++j) {
            int y = height - 1 - j;
            for (int x = 0; x < width; ++x) {
                out.push_back(img->planes[0][y * img->stride[0] + x]);
                out.push_back(img->planes[1][(y / 2) * img->stride[1] + x / 2]);
                out.push_back(img->planes[2][(y / 2) * img->stride[2] + x / 2]);
            }
        }
        pictures.push_back(out);
        offset += 12 + size;
    }
    vpx_codec_destroy(&codec);
    return pictures;
}

}

TEST(Video, LoadsTheIndexAndPrintsTheHeader)
{
    REQUIRE_GL();
    Bytes ivf = fixture();
    testsupport::StdoutCapture capture;
    Video video(ivf.data(), static_cast<unsigned int>(ivf.size()));
    std::vector<std::string> lines = capture.lines();
    ASSERT_TRUE(video.isLoaded());
    EXPECT_EQ(video.getWidth(), 34);
    EXPECT_EQ(video.getHeight(), 18);
    EXPECT_EQ(video.getFrameCount(), 12);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "0 : 68 D");
    EXPECT_EQ(lines[1], "1 : 75 K");

    std::vector<int> keys;
    for (size_t i = 0; i < video.getFrames().size(); ++i)
        if (video.getFrames()[i].key)
            keys.push_back(static_cast<int>(i));
    EXPECT_EQ(keys, (std::vector<int>{0, 4, 8}));

    // The frame count in the header does not matter for the index.
    Bytes claimed = ivf;
    put32(claimed, 24, 500);
    EXPECT_EQ(fromBytes(claimed)->getFrameCount(), 12);

    TempDir dir;
    std::string path = dir.write("v.ivf", std::string(ivf.begin(), ivf.end()));
    testsupport::StdoutCapture quiet;
    Video fromPath(path.c_str());
    EXPECT_TRUE(fromPath.isLoaded());
    EXPECT_EQ(fromPath.getFrameCount(), 12);
}

TEST(Video, AnyOrderOfFramesShowsTheRightPicture)
{
    REQUIRE_GL();
    Bytes ivf = fixture();
    std::vector<Bytes> reference = referencePictures(ivf, 34, 18);
    ASSERT_EQ(reference.size(), 12u);

    struct Step {
        int request;
        int shown;
        bool changed;
    };
    std::vector<std::vector<Step>> sequences = {
        {{0, 0, true}, {0, 0, false}, {1, 1, true}, {2, 2, true}},
        {{6, 6, true}},
        {{11, 11, true}, {2, 2, true}, {3, 3, true}},
        {{1, 1, true}, {7, 7, true}, {5, 5, true}, {10, 10, true}, {9, 9, true}},
        {{3, 3, true}, {6, 6, true}, {6, 6, false}, {7, 7, true}},
        {{-4, 0, true}, {17, 11, true}, {11, 11, false}, {0, 0, true}},
    };
    for (size_t s = 0; s < sequences.size(); ++s) {
        std::unique_ptr<Video> video = fromBytes(ivf);
        for (const Step& step : sequences[s]) {
            EXPECT_EQ(video->gotoFrame(step.request), step.changed) << "sequence " << s << " frame " << step.request;
            EXPECT_EQ(video->getCurrentFrame(), step.shown);
            EXPECT_EQ(video->getPixels(), reference[static_cast<size_t>(step.shown)])
                << "sequence " << s << " frame " << step.request;
        }
    }
}

TEST(Video, TimesChooseFrames)
{
    REQUIRE_GL();
    Bytes ivf = fixture();
    struct Case {
        float seconds;
        int frame;
    } byRate[] = {{0.0f, 0}, {0.55f, 5}, {0.99f, 9}, {1.1f, 11}, {100.0f, 11}, {-3.0f, 0}};
    for (const Case& c : byRate) {
        std::unique_ptr<Video> video = fromBytes(ivf);
        video->gotoTime(c.seconds);
        EXPECT_EQ(video->getCurrentFrame(), c.frame) << c.seconds;
    }

    // Rate over scale gives frames per second.
    Bytes halfRate = ivf;
    put32(halfRate, 20, 2);
    std::unique_ptr<Video> slow = fromBytes(halfRate);
    slow->gotoTime(1.0f);
    EXPECT_EQ(slow->getCurrentFrame(), 5);

    // A header count below 2 chooses frames by their timestamps (0, 100, 200, ...).
    Bytes stamped = ivf;
    put32(stamped, 24, 1);
    {
        std::unique_ptr<Video> probe = fromBytes(stamped);
        for (size_t i = 0; i < probe->getFrames().size(); ++i) {
            size_t at = static_cast<size_t>(probe->getFrames()[i].offset) + 4;
            put32(stamped, at, static_cast<uint32_t>(i * 100));
            put32(stamped, at + 4, 0);
        }
    }
    struct StampCase {
        float seconds;  // t = seconds x 10
        int frame;
    } byStamp[] = {{0.0f, 0}, {9.9f, 0}, {10.0f, 1}, {15.0f, 1}, {25.0f, 2}, {109.0f, 10}, {500.0f, 11}, {-1.0f, 0}};
    for (const StampCase& c : byStamp) {
        std::unique_ptr<Video> video = fromBytes(stamped);
        EXPECT_TRUE(video->gotoTime(c.seconds));
        EXPECT_EQ(video->getCurrentFrame(), c.frame) << c.seconds;
        EXPECT_FALSE(video->gotoTime(c.seconds));
    }
}

TEST(Video, FrameTextureHoldsThePicture)
{
    REQUIRE_GL();
    Bytes ivf = fixture();
    std::vector<Bytes> reference = referencePictures(ivf, 34, 18);
    std::unique_ptr<Video> video = fromBytes(ivf);
    for (int frame : {4, 9}) {
        Texture* texture = video->getFrameTexture(frame);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(video->getTimeTexture(frame / 10.0f + 0.01f), texture);
        glBindTexture(GL_TEXTURE_2D, texture->getId());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        Bytes texels(34 * 18 * 3);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(texels, reference[static_cast<size_t>(frame)]) << frame;
    }
    EXPECT_EQ(testsupport::drainGLErrors(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Video, HeaderSizeRulesThePicture)
{
    REQUIRE_GL();
    Bytes ivf = fixture();
    std::vector<Bytes> reference = referencePictures(ivf, 34, 18);
    struct Case {
        int width, height;
    } cases[] = {{40, 20}, {16, 8}, {34, 18}, {1, 1}};
    for (const Case& c : cases) {
        Bytes patched = ivf;
        patched[12] = static_cast<unsigned char>(c.width);
        patched[14] = static_cast<unsigned char>(c.height);
        std::unique_ptr<Video> video = fromBytes(patched);
        ASSERT_TRUE(video->isLoaded());
        ASSERT_TRUE(video->gotoFrame(2));
        const Bytes& pixels = video->getPixels();
        ASSERT_EQ(pixels.size(), static_cast<size_t>(c.width * c.height * 3));
        // Row j holds picture row height-1-j where the picture has one.
        for (int j = 0; j < c.height; ++j) {
            int y = c.height - 1 - j;
            for (int x = 0; x < c.width; ++x) {
                for (int k = 0; k < 3; ++k) {
                    unsigned char expected = 0;
                    if (x < 34 && y < 18)
                        expected = reference[2][static_cast<size_t>(((17 - y) * 34 + x) * 3 + k)];
                    ASSERT_EQ(pixels[static_cast<size_t>((j * c.width + x) * 3 + k)], expected)
                        << c.width << "x" << c.height << " at " << x << "," << j;
                }
            }
        }
    }
}

TEST(Video, BadInputIsRefusedWithAMessage)
{
    TempDir dir;
    Bytes ivf = fixture();
    Bytes zeroSize = ivf;
    zeroSize[12] = zeroSize[13] = 0;
    Bytes hugeSize = ivf;
    hugeSize[12] = hugeSize[13] = 0xFF;
    struct Case {
        std::string bytes;
        std::string message;
    } cases[] = {
        {"", "Video: movie is not in IVF format"},
        {"DKIF", "Video: movie is not in IVF format"},
        {std::string("DKIF") + std::string(27, '\0'), "Video: movie is not in IVF format"},
        {std::string("RIFF") + std::string(60, '\0'), "Video: movie is not in IVF format"},
        {std::string(zeroSize.begin(), zeroSize.end()), "Video: movie has an invalid size 0x18"},
        {std::string(hugeSize.begin(), hugeSize.end()), "Video: movie has an invalid size 65535x18"},
    };
    for (const Case& c : cases) {
        testsupport::StdoutCapture capture;
        Video video(reinterpret_cast<const unsigned char*>(c.bytes.data()), static_cast<unsigned int>(c.bytes.size()));
        EXPECT_EQ(capture.lines(), std::vector<std::string>{c.message});
        EXPECT_FALSE(video.isLoaded());
        EXPECT_EQ(video.getFrameCount(), 0);
        EXPECT_FALSE(video.gotoFrame(0));
        EXPECT_FALSE(video.gotoTime(1.0f));
        EXPECT_EQ(video.getFrameTexture(0), nullptr);
    }

    struct PathCase {
        std::string path;
        std::string message;
    } paths[] = {
        {dir.file("missing.ivf"), "Video: failed to open '" + dir.file("missing.ivf") + "'"},
        {dir.write("empty.ivf", ""), "Video: failed to read '" + dir.file("empty.ivf") + "'"},
        {dir.write("text.ivf", "hello, not a movie at all, certainly not one"),
         "Video: '" + dir.file("text.ivf") + "' is not in IVF format"},
    };
    for (const PathCase& c : paths) {
        testsupport::StdoutCapture capture;
        Video video(c.path.c_str());
        EXPECT_EQ(capture.lines(), std::vector<std::string>{c.message});
        EXPECT_FALSE(video.isLoaded());
    }

    testsupport::StdoutCapture capture;
    Video null(nullptr, 100);
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"Video: pointer to movie is NULL"});
    EXPECT_FALSE(null.isLoaded());
}

TEST(Video, TruncatedAndDamagedFilesStayInsideTheirData)
{
    REQUIRE_GL();
    Bytes ivf = fixture();
    std::unique_ptr<Video> whole = fromBytes(ivf);
    const std::vector<FrameEntry>& frames = whole->getFrames();

    // A header alone: loaded, no frames, nothing decodes.
    std::unique_ptr<Video> headerOnly = fromBytes(Bytes(ivf.begin(), ivf.begin() + 32));
    EXPECT_TRUE(headerOnly->isLoaded());
    EXPECT_EQ(headerOnly->getFrameCount(), 0);
    EXPECT_FALSE(headerOnly->gotoFrame(0));
    EXPECT_FALSE(headerOnly->gotoTime(0.5f));

    // Cut anywhere: only the frames that are whole are indexed.
    for (size_t cut = 32; cut < ivf.size(); cut += 7) {
        std::unique_ptr<Video> video = fromBytes(Bytes(ivf.begin(), ivf.begin() + static_cast<long>(cut)));
        int whole = 0;
        for (const FrameEntry& f : frames)
            if (static_cast<size_t>(f.offset) + 12 + static_cast<size_t>(f.size) <= cut)
                ++whole;
        EXPECT_EQ(video->getFrameCount(), whole) << cut;
        video->gotoFrame(100);
        video->gotoFrame(0);
    }

    // Damage: a frame size that points far past the end, and random bytes.
    Bytes runaway = ivf;
    put32(runaway, static_cast<size_t>(frames[3].offset), 0xFFFFFFF0u);
    EXPECT_EQ(fromBytes(runaway)->getFrameCount(), 3);

    unsigned seed = 12345;
    for (int round = 0; round < 60; ++round) {
        Bytes damaged = ivf;
        for (int k = 0; k < 4; ++k) {
            seed = seed * 1103515245u + 12345u;
            size_t at = 32 + (seed >> 8) % (damaged.size() - 32);
            damaged[at] = static_cast<unsigned char>(seed >> 24);
        }
        testsupport::StdoutCapture quiet;
        Video video(damaged.data(), static_cast<unsigned int>(damaged.size()));
        for (int f : {0, 5, 11, 2, 3})
            video.getFrameTexture(f);
        video.gotoTime(0.7f);
    }
}

TEST(Video, ResourceLoaderGivesOnlyVideosThatLoad)
{
    REQUIRE_GL();
    TempDir dir;
    Bytes ivf = fixture();
    testsupport::Members members = {{"resources/video/v.ivf", std::string(ivf.begin(), ivf.end())},
                                    {"resources/video/junk.ivf", "DKIF but nothing more"},
                                    {"resources/video/text.ivf", "plain text, no movie in here at all"}};
    for (const auto& m : members)
        dir.write(m.first, m.second);
    testsupport::write7z(dir.file("resources.7z"), members);
    char buffer[4096];
    std::string previous = getcwd(buffer, sizeof buffer) ? buffer : ".";
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    for (int mode : {0, 1}) {
        testsupport::StdoutCapture quiet;
        VLMIO::setLoadMode(mode);
        std::unique_ptr<Video> video(VLMIO::loadVideoFile(VLMIO::videoFolder + "v.ivf"));
        ASSERT_NE(video, nullptr) << mode;
        EXPECT_EQ(video->getFrameCount(), 12);
        for (const char* bad : {"junk.ivf", "text.ivf", "none.ivf", "V.ivf"})
            EXPECT_EQ(VLMIO::loadVideoFile(VLMIO::videoFolder + bad), nullptr) << mode << " " << bad;
        EXPECT_EQ(VLMIO::loadVideoFile(VLMIO::videoFolder + "v.ivf", 2), nullptr);
        VLMIO::releaseArchive();
    }
    VLMIO::setLoadMode(0);
    EXPECT_EQ(chdir(previous.c_str()), 0);
}
