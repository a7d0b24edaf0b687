#include "demo/VisorRegion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// An RGBA mask, zero but for an ellipse of red and alpha.
std::vector<uint8_t> ellipseMask(int w, int h, float cx, float cy, float rx, float ry)
{
    std::vector<uint8_t> m(static_cast<size_t>(w * h * 4), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f - cx) / rx;
            const float dy = (static_cast<float>(y) + 0.5f - cy) / ry;
            if (dx * dx + dy * dy <= 1.0f) {
                uint8_t* t = &m[static_cast<size_t>((y * w + x) * 4)];
                t[0] = t[1] = t[2] = 255;
                t[3] = 255;
            }
        }
    return m;
}

bool anyAround(const std::vector<uint8_t>& m, int w, int h, float u, float v, int channel, int reach)
{
    const int cx = static_cast<int>(std::floor(u * static_cast<float>(w)));
    const int cy = static_cast<int>(std::floor(v * static_cast<float>(h)));
    for (int y = cy - reach; y <= cy + reach; ++y)
        for (int x = cx - reach; x <= cx + reach; ++x)
            if (x >= 0 && y >= 0 && x < w && y < h && m[static_cast<size_t>((y * w + x) * 4 + channel)] != 0)
                return true;
    return false;
}

}

// Every screen pixel whose mask sample may be non-zero reads the scene
// only inside the region, filtering included.
TEST(VisorRegionTest, HoldsEveryScenePixelTheVisorShows)
{
    const int mw = 320, mh = 180;
    const std::vector<uint8_t> mask = ellipseMask(mw, mh, 170.0f, 85.0f, 120.0f, 70.0f);
    for (const auto& size : {std::pair<int, int>{320, 180}, {160, 90}, {480, 270}}) {
        const int sw = size.first, sh = size.second;
        const visor::Rect r = visor::sceneRegion(mask.data(), mw, mh, sw, sh, sw, sh);
        ASSERT_GT(r.width, 0);
        // It leaves something out: the ellipse does not reach the corners.
        EXPECT_LT(static_cast<long>(r.width) * r.height, static_cast<long>(sw) * sh) << sw;
        const int reach = mw / sw + 1;
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x) {
                const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(sw);
                const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(sh);
                if (!anyAround(mask, mw, mh, u, v, 0, reach) || !anyAround(mask, mw, mh, u, v, 3, reach))
                    continue;
                float px = 0.0f, py = 0.0f;
                visor::curve(u, v, px, py);
                // The bilinear footprint of the scene sample.
                const float sx = px * static_cast<float>(sw) - 0.5f;
                const float sy = py * static_cast<float>(sh) - 0.5f;
                const int x0 = std::max(0, static_cast<int>(std::floor(sx)));
                const int y0 = std::max(0, static_cast<int>(std::floor(sy)));
                const int x1 = std::min(sw - 1, static_cast<int>(std::floor(sx)) + 1);
                const int y1 = std::min(sh - 1, static_cast<int>(std::floor(sy)) + 1);
                ASSERT_GE(x0, r.x) << sw << " at " << x << "," << y;
                ASSERT_GE(y0, r.y) << sw << " at " << x << "," << y;
                ASSERT_LT(x1, r.x + r.width) << sw << " at " << x << "," << y;
                ASSERT_LT(y1, r.y + r.height) << sw << " at " << x << "," << y;
            }
    }
}

TEST(VisorRegionTest, EmptyWithoutBothChannelsAndWholeForAFullMask)
{
    const int w = 64, h = 36;
    std::vector<uint8_t> mask(static_cast<size_t>(w * h * 4), 0);
    visor::Rect r = visor::sceneRegion(mask.data(), w, h, w, h, w, h);
    EXPECT_EQ(r.width, 0);
    // Red on the left, alpha on the right: their product is zero everywhere.
    for (int y = 0; y < h; ++y) {
        mask[static_cast<size_t>((y * w + 2) * 4)] = 255;
        mask[static_cast<size_t>((y * w + 60) * 4 + 3)] = 255;
    }
    r = visor::sceneRegion(mask.data(), w, h, w, h, w, h);
    EXPECT_EQ(r.width, 0);
    std::fill(mask.begin(), mask.end(), 255);
    r = visor::sceneRegion(mask.data(), w, h, w, h, 640, 360);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.width, 640);
    EXPECT_EQ(r.height, 360);
    // No mask or no screen: nothing to go by.
    EXPECT_EQ(visor::sceneRegion(nullptr, w, h, w, h, w, h).width, 0);
    EXPECT_EQ(visor::sceneRegion(mask.data(), w, h, 0, h, w, h).width, 0);
}
