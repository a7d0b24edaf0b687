// The generated overlay pictures of the show's resource set: present, of the sizes
// the effects are drawn for, with alpha where the effects blend them, and with their
// opaque and clear parts where the dashboard places its needles, mirror and display.

#include "util/Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

const std::string GRAPHICS = std::string(PULSVEK_BINARY_DIR) + "/show/resources/graphics/";

struct Expected {
    const char* file;
    int width;
    int height;
    int bitsPerPixel;
};

const Expected PICTURES[] = {
    {"Vignett.png", 1024, 576, 24},
    {"Gradient.png", 256, 1, 24},
    {"ShadowMask.png", 192, 192, 24},
    {"Noise.png", 256, 256, 24},
    {"Rain.png", 512, 512, 32},
    {"Titles1Background.png", 1280, 720, 24},
    {"Titles2Background.png", 1280, 720, 24},
    {"Titles3Background.png", 1280, 720, 24},
    {"Titles1Text.png", 1280, 720, 32},
    {"Titles2Text.png", 1280, 720, 32},
    {"Titles3Text.png", 1280, 720, 32},
    {"Titles4Text.png", 1280, 720, 32},
    {"Titles5Text.png", 1280, 720, 32},
    {"RearView.png", 1280, 720, 32},
    {"FrontView.png", 1280, 720, 32},
    {"SpeedometerArrow.png", 32, 256, 32},
    {"RearViewMirrorMask.png", 512, 140, 32},
    {"DashBoardScrollText.png", 4096, 58, 32},
    {"Helmet.png", 1280, 720, 32},
    {"HelmetMask.png", 1280, 720, 32},
};

std::unique_ptr<Image> load(const std::string& file)
{
    auto image = std::make_unique<Image>((GRAPHICS + file).c_str());
    return image->isLoaded() ? std::move(image) : nullptr;
}

// Channel c of the pixel at (x, y) counted from the picture's top-left corner; the
// image holds its rows bottom first.
int channel(const Image& image, int x, int y, int c)
{
    const int row = image.getHeight() - 1 - y;
    const long offset = (static_cast<long>(row) * image.getWidth() + x) * image.getBytesPerPixel() + c;
    return static_cast<unsigned char>(image.getPixels()[offset]);
}

int alpha(const Image& image, int x, int y)
{
    return channel(image, x, y, 3);
}

struct Probe {
    const char* file;
    int x;
    int y;
    int channel;
    int low;
    int high;
    const char* what;
};

// Positions in pixels of the 1280 x 720 overlays, from the placements of the dashboard
// effect in device coordinates: pivots (-0.515, -0.85) and (-0.305, -0.85), mirror quad
// x 0.23..0.83 / y 0.76..0.47, scroller x 0.11..0.36 / y -0.735..-0.785, meters down to -0.91.
const Probe PROBES[] = {
    {"FrontView.png", 640, 300, 3, 0, 0, "windscreen is clear"},
    {"FrontView.png", 200, 150, 3, 0, 0, "windscreen is clear at the left"},
    {"FrontView.png", 310, 666, 3, 255, 255, "first dial under its needle's pivot"},
    {"FrontView.png", 445, 666, 3, 255, 255, "second dial under its needle's pivot"},
    {"FrontView.png", 310, 626, 3, 255, 255, "first dial face above its pivot"},
    {"FrontView.png", 790, 634, 3, 255, 255, "display behind the scroller"},
    {"FrontView.png", 790, 668, 3, 255, 255, "display behind the meters"},
    {"FrontView.png", 979, 138, 3, 255, 255, "backing behind the mirror glass"},
    {"FrontView.png", 640, 700, 3, 255, 255, "dashboard"},
    {"RearView.png", 640, 250, 3, 0, 0, "rear window is clear"},
    {"RearView.png", 20, 700, 3, 255, 255, "interior"},
    {"Helmet.png", 640, 360, 3, 0, 0, "visor is clear"},
    {"Helmet.png", 4, 4, 3, 255, 255, "helmet lining in the corner"},
    {"HelmetMask.png", 640, 360, 0, 255, 255, "mask white on the visor"},
    {"HelmetMask.png", 640, 360, 3, 255, 255, "mask opaque on the visor"},
    {"HelmetMask.png", 4, 4, 0, 0, 0, "mask black outside the visor"},
    {"HelmetMask.png", 4, 4, 3, 0, 0, "mask clear outside the visor"},
    {"RearViewMirrorMask.png", 256, 70, 0, 255, 255, "mirror glass white"},
    {"RearViewMirrorMask.png", 256, 70, 3, 255, 255, "mirror glass opaque"},
    {"RearViewMirrorMask.png", 0, 0, 3, 0, 0, "mirror corner clear"},
    {"SpeedometerArrow.png", 16, 2, 3, 255, 255, "needle starts at the pivot (top row)"},
    {"SpeedometerArrow.png", 16, 200, 3, 255, 255, "needle runs down the middle"},
    {"SpeedometerArrow.png", 1, 200, 3, 0, 0, "needle is narrow near its tip"},
    {"SpeedometerArrow.png", 16, 252, 3, 0, 0, "tip ends above the last row"},
};

// Pictures that the effects clamp to the edge: their border must be clear, or the
// clamped edge would smear across the screen when they are moved or zoomed.
const char* const CLEAR_BORDER[] = {
    "Titles1Text.png", "Titles2Text.png", "Titles3Text.png", "Titles4Text.png", "Titles5Text.png",
    "RearViewMirrorMask.png",
};

} // namespace

TEST(OverlayPictures, ExistWithTheirSizesAndDepth)
{
    for (const Expected& e : PICTURES) {
        SCOPED_TRACE(e.file);
        std::unique_ptr<Image> image = load(e.file);
        ASSERT_NE(image, nullptr) << "missing or unreadable: " << GRAPHICS << e.file;
        EXPECT_EQ(image->getWidth(), e.width);
        EXPECT_EQ(image->getHeight(), e.height);
        EXPECT_EQ(image->getBitsPerPixel(), e.bitsPerPixel);
    }
}

TEST(OverlayPictures, OpaqueAndClearWhereTheEffectsDrawThem)
{
    for (const Probe& p : PROBES) {
        SCOPED_TRACE(std::string(p.file) + ": " + p.what);
        std::unique_ptr<Image> image = load(p.file);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->getBytesPerPixel(), 4);
        const int value = channel(*image, p.x, p.y, p.channel);
        EXPECT_GE(value, p.low);
        EXPECT_LE(value, p.high);
    }
}

TEST(OverlayPictures, TextAndMasksHaveClearBordersAndOpaqueContent)
{
    for (const char* file : CLEAR_BORDER) {
        SCOPED_TRACE(file);
        std::unique_ptr<Image> image = load(file);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->getBytesPerPixel(), 4);
        const int w = image->getWidth();
        const int h = image->getHeight();
        int border = 0;
        for (int x = 0; x < w; ++x)
            border = std::max({border, alpha(*image, x, 0), alpha(*image, x, h - 1)});
        for (int y = 0; y < h; ++y)
            border = std::max({border, alpha(*image, 0, y), alpha(*image, w - 1, y)});
        EXPECT_EQ(border, 0);
        int opaque = 0;
        for (int y = 0; y < h; y += 2)
            for (int x = 0; x < w; x += 2)
                opaque += alpha(*image, x, y) == 255;
        EXPECT_GT(opaque, 100) << "no solid content";
    }
}

TEST(OverlayPictures, RainAndScrollTextAreLightOnClear)
{
    // Share of fully clear pixels at least: rain is sparse streaks; the LED text keeps
    // clear gaps between and around its segments.
    const struct {
        const char* file;
        double clearShare;
    } cases[] = {{"Rain.png", 0.5}, {"DashBoardScrollText.png", 0.15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::unique_ptr<Image> image = load(c.file);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->getBytesPerPixel(), 4);
        long clear = 0;
        long bright = 0;
        long total = 0;
        for (int y = 0; y < image->getHeight(); ++y) {
            for (int x = 0; x < image->getWidth(); x += 3) {
                const int a = alpha(*image, x, y);
                clear += a == 0;
                bright += a > 128;
                ++total;
            }
        }
        EXPECT_GT(static_cast<double>(clear), c.clearShare * static_cast<double>(total));
        EXPECT_GT(bright, 0);
    }
}
