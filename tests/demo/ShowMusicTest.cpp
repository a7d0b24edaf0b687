// The show's soundtrack as the build makes it: its format, its loudness
// headroom, and a length that matches where the timeline puts its ending.

#include "engine/runtime/Rows.h"
#include "tools/timeline/Timeline.h"

#include <gtest/gtest.h>
#include <mpg123.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kMusic = std::string(PULSVEK_BINARY_DIR) + "/show/resources/sound/Kaldrune_320Kbps.mp3";
const std::string kTimeline = std::string(PULSVEK_SOURCE_DIR) + "/content/timeline/show.timeline";

struct Decoded {
    long rate = 0;
    int channels = 0;
    int bitrate = 0;     // kbit/s of the first frame
    bool constant = false;
    size_t frames = 0;   // samples per channel
    int peak = 0;        // largest magnitude of a 16-bit sample
};

bool decode(const std::string& path, Decoded& out)
{
    mpg123_init();
    int error = 0;
    mpg123_handle* h = mpg123_new(nullptr, &error);
    if (!h)
        return false;
    mpg123_param(h, MPG123_FLAGS, MPG123_QUIET, 0);
    bool ok = mpg123_open(h, path.c_str()) == MPG123_OK;
    int encoding = 0;
    ok = ok && mpg123_getformat(h, &out.rate, &out.channels, &encoding) == MPG123_OK;
    if (ok) {
        mpg123_format_none(h);
        mpg123_format(h, out.rate, out.channels, MPG123_ENC_SIGNED_16);
        mpg123_frameinfo info;
        if (mpg123_info(h, &info) == MPG123_OK) {
            out.bitrate = info.bitrate;
            out.constant = info.vbr == MPG123_CBR;
        }
        std::vector<short> buffer(16384);
        size_t samples = 0;
        for (;;) {
            size_t got = 0;
            const int r = mpg123_read(h, reinterpret_cast<unsigned char*>(buffer.data()), buffer.size() * 2, &got);
            for (size_t i = 0; i < got / 2; ++i)
                out.peak = std::max(out.peak, std::abs(static_cast<int>(buffer[i])));
            samples += got / 2;
            if (r == MPG123_DONE)
                break;
            if (r != MPG123_OK && r != MPG123_NEW_FORMAT) {
                ok = false;
                break;
            }
        }
        out.frames = out.channels ? samples / out.channels : 0;
    }
    mpg123_delete(h);
    return ok;
}

}

TEST(ShowMusic, IsA320kbpsStereoMp3WithHeadroomThatEndsWithTheTimeline)
{
    if (!std::ifstream(kMusic))
        GTEST_SKIP() << "the show's resources are not built (target show_resources)";
    Decoded music;
    ASSERT_TRUE(decode(kMusic, music)) << kMusic;
    EXPECT_EQ(music.rate, 44100);
    EXPECT_EQ(music.channels, 2);
    EXPECT_EQ(music.bitrate, 320);
    EXPECT_TRUE(music.constant);
    // Below full scale: no sample at the 16-bit limit.
    EXPECT_LT(music.peak, 32767 * 0.995) << "peak " << music.peak;
    EXPECT_GT(music.peak, 32767 / 8) << "the music is nearly silent";

    const double lengthMs = music.frames * 1000.0 / music.rate;
    EXPECT_GE(lengthMs, 180000.0);
    EXPECT_LE(lengthMs, 240000.0);

    // The timeline's ending: the closing card that is held from the end of
    // the music until Escape.
    Timeline timeline;
    std::string error;
    ASSERT_TRUE(timeline.parseFile(kTimeline, error)) << error;
    const TimelineInstance* title = timeline.findInstance("title");
    ASSERT_NE(title, nullptr);
    ASSERT_FALSE(title->runs.empty());
    const TimelineRun& closing = title->runs.back();
    EXPECT_EQ(closing.stop, VLMPulsvek::SHOW_END_ROW) << "the closing card is not held";
    const double endingMs = closing.start * static_cast<double>(VLMPulsvek::MS_PER_ROW);
    EXPECT_NEAR(lengthMs, endingMs, 250.0) << "the music and the timeline end apart";
    // The sections of the music end where the music does.
    ASSERT_FALSE(timeline.getSections().empty());
    EXPECT_NEAR(timeline.getSections().back().endMs, lengthMs, 250.0);
}
