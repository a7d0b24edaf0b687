// The effects' CPU-side tables: palettes, palette pairs, view and picture
// choices, needle placement, meter values and the track names.

#include "demo/DashboardEffect.h"
#include "demo/OutlineEffect.h"
#include "demo/PostProcessEffect.h"
#include "demo/RainEffect.h"
#include "demo/TitleEffect.h"
#include "engine/runtime/TrackInterpolate.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

using Texel = std::array<int, 4>;

struct PaletteStops {
    std::vector<glm::vec4> colours;
    std::vector<std::uint8_t> positions;
};

// The show's four palettes.
const PaletteStops palettes[4] = {
    {{{0.0937f, 0.0156f, 0.1171f, 1}, {0.3281f, 0.1093f, 0.4281f, 1}, {1, 0, 1, 1}, {1, 1, 1, 1}},
     {0, 25, 240, 255}},
    {{{0.0234375f, 0.06640625f, 0.07421875f, 1},
      {0.05078125f, 0.12109375f, 0.140625f, 1},
      {0.546875f, 0.171875f, 0.03125f, 1},
      {0.84765625f, 0.421875f, 0.05078125f, 1},
      {0.9453125f, 0.796875f, 0.05859375f, 1}},
     {0, 24, 42, 96, 255}},
    {{{0, 0, 0.25f, 1}, {0, 1, 0.25f, 1}, {1, 1, 1, 1}}, {0, 127, 255}},
    {{{0, 0.125f, 0.25f, 1}, {0.1f, 0.7f, 0.9f, 1}, {0.2f, 1, 1, 1}, {1, 1, 1, 1}}, {0, 63, 191, 255}},
};

std::vector<unsigned char> fill(const PaletteStops& p)
{
    std::vector<unsigned char> out(PostProcessEffect::PALETTE_SIZE * 4, 0xAB);
    PostProcessEffect::fillPalette(p.colours, p.positions, out.data());
    return out;
}

Texel texel(const std::vector<unsigned char>& buffer, int i)
{
    return {buffer[i * 4], buffer[i * 4 + 1], buffer[i * 4 + 2], buffer[i * 4 + 3]};
}

TEST(PaletteTest, TexelsAtStopsBetweenThemAndAtTheEnd)
{
    struct Case {
        int palette;
        int index;
        Texel want;
    };
    const Case cases[] = {
        // Stops: each channel x 255, truncated.
        {0, 0, {23, 3, 29, 255}},
        {0, 25, {83, 27, 109, 255}},
        {0, 240, {255, 0, 255, 255}},
        {1, 0, {5, 16, 18, 255}},
        {1, 24, {12, 30, 35, 255}},
        {1, 42, {139, 43, 7, 255}},
        {1, 96, {216, 107, 12, 255}},
        {2, 0, {0, 0, 63, 255}},
        {2, 127, {0, 255, 63, 255}},
        {3, 63, {25, 178, 229, 255}},
        {3, 191, {51, 255, 255, 255}},
        // Between stops the step is 1 / (d + 1): texel 12 of 0..25 is x = 12/26.
        {0, 12, {51, 15, 66, 255}},
        {0, 24, {79, 26, 103, 255}},
        // The last texel stops short of the last stop: x = 15/16 and 128/129.
        {0, 255, {255, 239, 255, 255}},
        {2, 255, {253, 255, 253, 255}},
        {3, 255, {251, 255, 255, 255}},
    };
    for (const Case& c : cases) {
        const auto buffer = fill(palettes[c.palette]);
        EXPECT_EQ(texel(buffer, c.index), c.want) << "palette " << c.palette << " texel " << c.index;
    }
}

TEST(PaletteTest, EveryTexelIsWrittenAndRampsDoNotGoBack)
{
    for (const PaletteStops& p : palettes) {
        const auto buffer = fill(p);
        for (int i = 0; i < PostProcessEffect::PALETTE_SIZE; ++i)
            ASSERT_EQ(buffer[i * 4 + 3], 255) << "texel " << i;
    }
    // Palette 2 climbs in green to 127, then in red and blue.
    const auto buffer = fill(palettes[2]);
    for (int i = 1; i < 256; ++i) {
        EXPECT_GE(buffer[i * 4 + 1], buffer[(i - 1) * 4 + 1]) << i;
        EXPECT_GE(buffer[i * 4], buffer[(i - 1) * 4]) << i;
    }
}

TEST(PaletteTest, PairForEveryValueIncludingTheClamp)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        int first;
    };
    const Case cases[] = {
        {0.0f, 0}, {1e-6f, 1}, {0.5f, 1},  {1.0f, 1}, {1.0001f, 2}, {2.0f, 2},
        {2.5f, 3}, {3.0f, 3},  {-0.1f, 0}, {-7.0f, 0}, {3.5f, 3},   {100.0f, 3},
        {nan, 0},  {inf, 3},   {-inf, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PostProcessEffect::palettePair(c.value), c.first) << c.value;
}

TEST(DashboardTest, ViewForEveryDirection)
{
    using V = DashboardEffect::View;
    struct Case {
        float value;
        V view;
    };
    const Case cases[] = {
        {-3.0f, V::Rear},   {-0.01f, V::Rear},  {0.0f, V::None},   {0.01f, V::Front},
        {1.0f, V::Front},   {1.01f, V::Helmet}, {2.0f, V::Helmet}, {2.01f, V::None},
        {std::numeric_limits<float>::quiet_NaN(), V::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DashboardEffect::chooseView(c.value), c.view) << c.value;
}

TEST(DashboardTest, NeedlesTurnAboutTheirPivotByNoiseTimesFifteen)
{
    struct Case {
        float x, base, noise;
        float degrees;
    };
    const Case cases[] = {{-0.515f, 210.0f, 0.0f, 210.0f}, {-0.305f, 150.0f, 0.0f, 150.0f},
                          {-0.515f, 210.0f, 1.0f, 225.0f}, {-0.305f, 150.0f, -0.5f, 142.5f}};
    for (const Case& c : cases) {
        const glm::mat4 m = DashboardEffect::needleMatrix(c.x, c.base, c.noise);
        const glm::vec4 pivot = m * glm::vec4(0, 0, 0, 1);
        const glm::vec4 tip = m * glm::vec4(0, -1, 0, 1);
        EXPECT_NEAR(pivot.x, c.x, 1e-6);
        EXPECT_NEAR(pivot.y, -0.85f, 1e-6);
        // The quad points down (-y) and is 0.08 long; turning by a rotates (0, -1) to (sin a, -cos a).
        const float a = c.degrees * 0.017453292f;
        EXPECT_NEAR(tip.x - pivot.x, 0.08f * std::sin(a), 1e-5) << c.degrees;
        EXPECT_NEAR(tip.y - pivot.y, -0.08f * std::cos(a), 1e-5) << c.degrees;
    }
}

TEST(DashboardTest, PerlinAtZeroLeavesTheNeedlesAtTheirBase)
{
    DashboardEffect effect;
    EXPECT_EQ(effect.noise.GetValue(0.0, 0.0, 0.0), 0.0);
    EXPECT_NE(effect.noise.GetValue(0.37, 0.0, 0.0), 0.0);
}

std::vector<unsigned char> meters(DashboardEffect& effect, int t)
{
    effect.fillMeters(t);
    return {effect.meterBuffer, effect.meterBuffer + DashboardEffect::METERS * 3};
}

TEST(DashboardTest, MetersHoldWithinAStepAndChangeAcrossSteps)
{
    DashboardEffect effect;
    effect.meterBuffer = new unsigned char[DashboardEffect::METERS * 3];
    const auto a = meters(effect, 1000);
    EXPECT_EQ(meters(effect, 1049), a);
    EXPECT_EQ(meters(effect, 1025), a);
    EXPECT_NE(meters(effect, 1050), a);
    EXPECT_NE(meters(effect, 950), a);
    EXPECT_EQ(meters(effect, 1000), a) << "a time always shows the same values";
    // Byte levels, the same in all three channels of a meter, not all equal.
    std::vector<int> levels;
    for (int t = 0; t < 20000; t += 50) {
        const auto m = meters(effect, t);
        for (int k = 0; k < DashboardEffect::METERS; ++k) {
            EXPECT_EQ(m[k * 3], m[k * 3 + 1]);
            EXPECT_EQ(m[k * 3], m[k * 3 + 2]);
            levels.push_back(m[k * 3]);
        }
    }
    int low = 0, high = 0;
    for (int v : levels) {
        low += v < 64;
        high += v >= 192;
    }
    EXPECT_GT(low, 100);
    EXPECT_GT(high, 100);
}

// The meters reseed the process's generator with t / 50 and take its next
// eight numbers, their high bits as the levels; whoever calls rand() next gets
// the ninth number of that seed.
TEST(DashboardTest, MetersComeFromTheReseededProcessGenerator)
{
    DashboardEffect effect;
    effect.meterBuffer = new unsigned char[DashboardEffect::METERS * 3];
    std::srand(1234 / 50);
    int numbers[DashboardEffect::METERS + 1];
    for (int& n : numbers)
        n = std::rand();
    std::srand(4242);
    effect.fillMeters(1234);
    for (int k = 0; k < DashboardEffect::METERS; ++k)
        EXPECT_EQ(effect.meterBuffer[k * 3], numbers[k] * 256LL / (RAND_MAX + 1LL)) << k;
    EXPECT_EQ(std::rand(), numbers[DashboardEffect::METERS]);

    EXPECT_EQ(DashboardEffect::meterLevel(0), 0);
    EXPECT_EQ(DashboardEffect::meterLevel(RAND_MAX / 2), 127);
    EXPECT_EQ(DashboardEffect::meterLevel(RAND_MAX), 255);
}

TEST(TitleTest, PictureChoiceByLowerWholeNumber)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float value;
        int background;
        int text;
    };
    const Case cases[] = {
        {0.0f, 0, 0},  {0.5f, 0, 0},   {0.99f, 0, 0},  {1.0f, 1, 1},  {1.5f, 1, 1},
        {2.0f, 2, 2},  {2.99f, 2, 2},  {3.0f, 3, 3},   {3.5f, 3, 3},  {4.0f, 3, 4},
        {4.99f, 3, 4}, {5.0f, -1, -1}, {-0.5f, -1, -1}, {-1.0f, -1, -1}, {nan, -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TitleEffect::backgroundChoice(c.value), c.background) << c.value;
        EXPECT_EQ(TitleEffect::textChoice(c.value), c.text) << c.value;
    }
}

std::vector<std::string> trackNames(Effect& effect)
{
    effect.createTracks();
    std::vector<std::string> names;
    for (int i = 0; i < effect.getTrackCount(); ++i)
        names.push_back(effect.getTrack(i)->getName());
    return names;
}

TEST(EffectTracksTest, NamesInOrder)
{
    PostProcessEffect post;
    EXPECT_EQ(trackNames(post),
              (std::vector<std::string>{"beam_speed", "rgb separation", "brightness", "contrast",
                                        "palette", "palette_mix", "fade", "fade_r", "fade_g",
                                        "fade_b", "img_bright", "img_contr", "noise_strength",
                                        "noise_offset", "colgrade_toggle", "distort_amount"}));
    EXPECT_EQ(post.paletteTrack->getName(), "palette");
    EXPECT_EQ(post.rgbSeparation->getName(), "rgb separation");
    DashboardEffect dash;
    EXPECT_EQ(trackNames(dash),
              (std::vector<std::string>{"view_direction", "speedo", "speedo2", "scroll"}));
    RainEffect rain;
    EXPECT_EQ(trackNames(rain), (std::vector<std::string>{"rain_move"}));
    TitleEffect title;
    EXPECT_EQ(trackNames(title),
              (std::vector<std::string>{"background_index", "text_index", "bgxpos", "bgypos",
                                        "bgzoom", "fgxpos", "fgypos", "fgzoom"}));
    OutlineEffect outline;
    EXPECT_TRUE(trackNames(outline).empty());
}

TEST(EffectTracksTest, ClonesAreFreshObjectsOfTheSameClass)
{
    PostProcessEffect post;
    DashboardEffect dash;
    RainEffect rain;
    TitleEffect title;
    OutlineEffect outline;
    Effect* all[] = {&post, &dash, &rain, &title, &outline};
    for (Effect* e : all) {
        Effect* copy = e->clone();
        EXPECT_EQ(typeid(*copy), typeid(*e));
        EXPECT_EQ(copy->getTrackCount(), 0);
        delete copy;
    }
}

}
