#pragma once
// A row of noise samples at (i / width, y, 0), i = 0 .. width - 1, equal to the
// modules' own GetValue sample by sample, computed a row at a time: the row's
// constants once per octave, only the corners of the z = 0 lattice layer (the
// other layer is weighted 0 at z = 0), the Voronoi seed points once per row of
// cells and only the cells that can hold the nearest one.
// Settings the row form does not cover fall back to the modules.

#include <libnoise/noise.h>

#include <cstdint>
#include <vector>

class NoiseRow {
public:
    void perlin(const noise::module::Perlin& module, int width, double y, double* out);
    void billow(const noise::module::Billow& module, int width, double y, double* out);
    void ridged(const noise::module::RidgedMulti& module, int width, double y, double* out);
    void voronoi(const noise::module::Voronoi& module, int width, double y, double* out);

private:
    // The gradient coherent noise of one octave for every column of xs, at
    // the row's y and z (z is 0 scaled by the octave's frequency).
    void octave(int width, double y, double z, int seed, double* signal) const;
    // The octave sum of Perlin and Billow, each octave's signal shaped first.
    template <typename Module, typename Shape>
    void fractal(const Module& module, int width, double y, double* out, Shape shape);
    void scaleColumns(int width, double frequency);
    void growColumns(int width, double lacunarity);

    // Per column: the scaled x and the running sums of the octaves.
    std::vector<double> xs;
    std::vector<double> signal;
    std::vector<double> weight;
    std::vector<double> spectralWeights;
    double spectralLacunarity = 0.0;
    // Voronoi seed points (x, y, z) of the cells around the row, and the
    // cells they were computed for.
    struct SeedCells {
        int xLow, xHigh, y, z, seed;
        bool operator==(const SeedCells& o) const
        {
            return xLow == o.xLow && xHigh == o.xHigh && y == o.y && z == o.z && seed == o.seed;
        }
    };
    std::vector<double> seeds;
    SeedCells seedCells = {0, 0, 0, 0, 0};
    // Per cell: the y-z part of its squared distance to the row; per column
    // of cells: its cells' layers, nearest first.
    std::vector<double> nearYZ;
    std::vector<uint8_t> byNearness;
};
