#include "demo/NoiseRow.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Settings {
    double frequency;
    int octaves;
    double persistence;
    double lacunarity;
    int seed;
    noise::NoiseQuality quality;
};

const Settings SETTINGS[] = {
    {1.0, 6, 0.5, 2.0, 0, noise::QUALITY_STD},    {4.0, 1, 0.5, 2.0, 0, noise::QUALITY_STD},
    {3.3, 8, 0.65, 2.0, 0, noise::QUALITY_STD},   {0.0, 3, 0.5, 2.0, 0, noise::QUALITY_STD},
    {-2.5, 5, 0.4, 2.0, 0, noise::QUALITY_STD},   {5.0, 30, 0.9, 2.0, 0, noise::QUALITY_STD},
    {7.0, 12, 0.5, 2.5, 11, noise::QUALITY_STD},  {2.0, 4, 1.3, 1.7, -3, noise::QUALITY_STD},
    {250.0, 3, 0.5, 2.0, 0, noise::QUALITY_STD},  {3.0, 4, 0.5, 2.0, 0, noise::QUALITY_BEST},
    {3.0, 4, 0.5, 2.0, 0, noise::QUALITY_FAST},
};
const double ROWS[] = {0.0, 1.0 / 128, 0.5, 3.0, 99.9921875, 250.0};
const int WIDTHS[] = {128, 37, 1};

// Compares every sample of the row form with the module's own value.
template <typename Module>
void expectSameAsModule(const std::string& what, const Module& module, NoiseRow& row,
                        void (NoiseRow::*sample)(const Module&, int, double, double*), const Settings& s)
{
    for (int width : WIDTHS) {
        for (double y : ROWS) {
            std::vector<double> samples(width, -99.0);
            (row.*sample)(module, width, y, samples.data());
            for (int i = 0; i < width; ++i) {
                ASSERT_EQ(samples[i], module.GetValue(static_cast<double>(i) / width, y, 0.0))
                    << what << ": frequency " << s.frequency << ", octaves " << s.octaves << ", lacunarity "
                    << s.lacunarity << ", quality " << s.quality << ", width " << width << ", y " << y
                    << ", column " << i;
            }
        }
    }
}

// Modules own their source list: configured in place, never copied.
template <typename Module>
void configure(Module& module, const Settings& s)
{
    module.SetFrequency(s.frequency);
    module.SetOctaveCount(s.octaves);
    module.SetLacunarity(s.lacunarity);
    module.SetSeed(s.seed);
    module.SetNoiseQuality(s.quality);
}

TEST(NoiseRowTest, OctaveModulesEqualTheModulesSampleBySample)
{
    NoiseRow row;
    for (const Settings& s : SETTINGS) {
        noise::module::Perlin perlin;
        configure(perlin, s);
        perlin.SetPersistence(s.persistence);
        expectSameAsModule("Perlin", perlin, row, &NoiseRow::perlin, s);

        noise::module::Billow billow;
        configure(billow, s);
        billow.SetPersistence(s.persistence);
        expectSameAsModule("Billow", billow, row, &NoiseRow::billow, s);

        noise::module::RidgedMulti ridged;
        configure(ridged, s);
        expectSameAsModule("RidgedMulti", ridged, row, &NoiseRow::ridged, s);
    }
}

TEST(NoiseRowTest, VoronoiEqualsTheModuleSampleBySample)
{
    struct Case {
        double frequency;
        double displacement;
        int seed;
        bool distance;
    } const cases[] = {
        {1.0, 1.0, 0, false},  {4.0, 1.0, 0, false},   {3.3, 0.5, 0, false},  {0.0, 1.0, 0, false},
        {0.01, 2.0, 0, false}, {-2.5, 1.0, 0, false},  {17.0, -3.0, 7, false}, {200.0, 1.0, 0, false},
        {1.0e6, 1.0, 0, false}, {6.0, 1.0, -4, false}, {5.0, 1.0, 0, true},
    };
    NoiseRow row;
    for (const Case& c : cases) {
        noise::module::Voronoi voronoi;
        voronoi.EnableDistance(c.distance);
        voronoi.SetFrequency(c.frequency);
        voronoi.SetDisplacement(c.displacement);
        voronoi.SetSeed(c.seed);
        const Settings s = {c.frequency, 0, 0.0, 0.0, c.seed, noise::QUALITY_STD};
        expectSameAsModule("Voronoi", voronoi, row, &NoiseRow::voronoi, s);
    }
}

// Row after row, as the landscape is generated: consecutive rows share cells.
TEST(NoiseRowTest, VoronoiRowAfterRowEqualsTheModule)
{
    NoiseRow row;
    for (double frequency : {2.0, 4.5, 0.3}) {
        noise::module::Voronoi voronoi;
        voronoi.EnableDistance(false);
        voronoi.SetFrequency(frequency);
        std::vector<double> samples(128);
        for (int r = 0; r < 400; ++r) {
            const double y = r / 128.0;
            row.voronoi(voronoi, 128, y, samples.data());
            for (int i = 0; i < 128; ++i)
                ASSERT_EQ(samples[i], voronoi.GetValue(i / 128.0, y, 0.0)) << frequency << ", row " << r << ", " << i;
        }
    }
}

}
