// The show's picture at fixed moments against reference frames kept in
// tests/data/frames: whatever is made faster must draw the same picture. The
// runner holds the clock at each moment (--still), and the software renderer
// draws the same frame every time, so the frames must match exactly. A frame
// that differs is kept in the build folder under frame-comparison/.

#include "Child.h"
#include "Frame.h"
#include "LogLines.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kDevrun = PULSVEK_DEVRUN;
const std::string kArchive = std::string(PULSVEK_BINARY_DIR) + "/show/resources.7z";
const std::string kReferences = std::string(PULSVEK_TEST_DATA) + "/frames";
const std::string kKept = std::string(PULSVEK_BINARY_DIR) + "/frame-comparison";

// The chase view under the title, the cockpit with its mirror, the rear view,
// the free camera over the road, the helmet in the rain, the city from the
// cockpit, the outro's chase view and the closing card.
const int kMoments[] = {20, 42, 74, 84, 100, 110, 122, 150, 190, 212};

std::string name(int seconds)
{
    char text[16];
    std::snprintf(text, sizeof text, "at%03d.png", seconds);
    return text;
}

struct Difference {
    long pixels = 0;  // pixels with any channel off
    int most = 0;     // the largest difference of a channel
};

Difference compare(const e2e::Frame& a, const e2e::Frame& b)
{
    Difference d;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        int most = 0;
        for (size_t c = 0; c < 3; ++c)
            most = std::max(most, std::abs(static_cast<int>(a.rgb[i + c]) - static_cast<int>(b.rgb[i + c])));
        if (most > 0)
            ++d.pixels;
        d.most = std::max(d.most, most);
    }
    return d;
}

}

TEST(FrameComparison, TheShowDrawsTheReferenceFrames)
{
    REQUIRE_DISPLAY();
    if (!fs::exists(kArchive))
        GTEST_SKIP() << "the show's resources are not built (target show_resources)";
    testsupport::TempDir dir;
    fs::copy_file(kArchive, dir.file("resources.7z"));
    std::vector<std::string> args = {kDevrun, "--mode", "1", "--size", "640x360", "--still"};
    for (int t : kMoments) {
        args.push_back("--shot");
        args.push_back(std::to_string(t));
        args.push_back(dir.file(name(t)));
    }
    const e2e::ChildResult result = e2e::run(args, dir.path(), {}, 240000);
    ASSERT_EQ(result.status, 0) << result.output;

    for (int t : kMoments) {
        e2e::Frame reference, frame;
        ASSERT_TRUE(reference.load(kReferences + "/" + name(t))) << name(t);
        ASSERT_TRUE(frame.load(dir.file(name(t)))) << name(t) << "\n" << result.output;
        ASSERT_EQ(frame.width, reference.width) << name(t);
        ASSERT_EQ(frame.height, reference.height) << name(t);
        const Difference d = compare(frame, reference);
        EXPECT_EQ(d.pixels, 0) << t << " s: " << d.pixels << " pixels differ, by up to " << d.most
                               << "; the frame is kept in " << kKept;
        if (d.pixels > 0) {
            fs::create_directories(kKept);
            fs::copy_file(dir.file(name(t)), kKept + "/" + name(t), fs::copy_options::overwrite_existing);
        }
    }
}
