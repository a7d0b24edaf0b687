#include "demo/NoiseRow.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include <libnoise/interp.h>

namespace terrainnoise {
// The modules' own table of gradient vectors.
#include <libnoise/vectortable.h>
}

namespace {

// The library's lattice cell of a coordinate (0 belongs to cell -1).
int cellOf(double v)
{
    return v > 0.0 ? static_cast<int>(v) : static_cast<int>(v) - 1;
}

// The library's gradient noise at a lattice corner: x column ix, the corner's
// y and z in rowHash, fy and fz the sample's offsets from them. The index is
// built in unsigned arithmetic, which wraps as the library's does.
inline double gradient(double fx, double fy, double fz, int ix, uint32_t rowHash)
{
    const uint32_t X_NOISE_GEN = 1619;
    uint32_t index = X_NOISE_GEN * static_cast<uint32_t>(ix) + rowHash;
    index ^= index >> 8;
    index &= 0xffu;
    const double* vector = &terrainnoise::noise::g_randomVectors[index << 2];
    const double xvPoint = fx - static_cast<double>(ix);
    return ((vector[0] * xvPoint) + (vector[1] * fy) + (vector[2] * fz)) * 2.12;
}

uint32_t rowHash(int iy, int iz, int seed)
{
    const uint32_t Y_NOISE_GEN = 31337;
    const uint32_t Z_NOISE_GEN = 6971;
    const uint32_t SEED_NOISE_GEN = 1013;
    return Y_NOISE_GEN * static_cast<uint32_t>(iy) + Z_NOISE_GEN * static_cast<uint32_t>(iz) +
           SEED_NOISE_GEN * static_cast<uint32_t>(seed);
}

template <typename Module>
void sampleModule(const Module& module, int width, double y, double* out)
{
    for (int i = 0; i < width; ++i)
        out[i] = module.GetValue(static_cast<double>(i) / width, y, 0.0);
}

// Coordinates beyond this leave the int range of the Voronoi cells.
const double VORONOI_LIMIT = 1.0e8;
const int VORONOI_REACH = 2;
const int VORONOI_SIDE = 2 * VORONOI_REACH + 1;

}

void NoiseRow::scaleColumns(int width, double frequency)
{
    xs.resize(width);
    signal.resize(width);
    weight.resize(width);
    for (int i = 0; i < width; ++i)
        xs[i] = (static_cast<double>(i) / width) * frequency;
}

void NoiseRow::growColumns(int width, double lacunarity)
{
    for (int i = 0; i < width; ++i)
        xs[i] *= lacunarity;
}

void NoiseRow::octave(int width, double y, double z, int seed, double* out) const
{
    const double ny = noise::MakeInt32Range(y);
    const double nz = noise::MakeInt32Range(z);
    const int y0 = cellOf(ny);
    const double ys = noise::SCurve3(ny - static_cast<double>(y0));
    // Offsets from the lattice corners; the z = 0 layer alone carries weight
    // (the coherent noise interpolates towards it with weight 1).
    const double fy0 = ny - static_cast<double>(y0);
    const double fy1 = ny - static_cast<double>(y0 + 1);
    const double fz = nz - 0.0;
    const uint32_t hash0 = rowHash(y0, 0, seed);
    const uint32_t hash1 = rowHash(y0 + 1, 0, seed);
    for (int i = 0; i < width; ++i) {
        const double nx = noise::MakeInt32Range(xs[i]);
        const int x0 = cellOf(nx);
        const double xs0 = noise::SCurve3(nx - static_cast<double>(x0));
        double n0 = gradient(nx, fy0, fz, x0, hash0);
        double n1 = gradient(nx, fy0, fz, x0 + 1, hash0);
        const double ix0 = noise::LinearInterp(n0, n1, xs0);
        n0 = gradient(nx, fy1, fz, x0, hash1);
        n1 = gradient(nx, fy1, fz, x0 + 1, hash1);
        const double ix1 = noise::LinearInterp(n0, n1, xs0);
        out[i] = noise::LinearInterp(ix0, ix1, ys);
    }
}

template <typename Module, typename Shape>
void NoiseRow::fractal(const Module& module, int width, double y, double* out, Shape shape)
{
    const double frequency = module.GetFrequency();
    const double lacunarity = module.GetLacunarity();
    const double persistence = module.GetPersistence();
    scaleColumns(width, frequency);
    std::fill(out, out + width, 0.0);
    double curPersistence = 1.0;
    y *= frequency;
    double z = 0.0 * frequency;
    for (int curOctave = 0; curOctave < module.GetOctaveCount(); ++curOctave) {
        octave(width, y, z, module.GetSeed() + curOctave, signal.data());
        for (int i = 0; i < width; ++i)
            out[i] += shape(signal[i]) * curPersistence;
        growColumns(width, lacunarity);
        y *= lacunarity;
        z *= lacunarity;
        curPersistence *= persistence;
    }
}

void NoiseRow::perlin(const noise::module::Perlin& module, int width, double y, double* out)
{
    if (module.GetNoiseQuality() != noise::QUALITY_STD) {
        sampleModule(module, width, y, out);
        return;
    }
    fractal(module, width, y, out, [](double s) { return s; });
}

void NoiseRow::billow(const noise::module::Billow& module, int width, double y, double* out)
{
    if (module.GetNoiseQuality() != noise::QUALITY_STD) {
        sampleModule(module, width, y, out);
        return;
    }
    fractal(module, width, y, out, [](double s) { return 2.0 * std::fabs(s) - 1.0; });
    for (int i = 0; i < width; ++i)
        out[i] += 0.5;
}

void NoiseRow::ridged(const noise::module::RidgedMulti& module, int width, double y, double* out)
{
    if (module.GetNoiseQuality() != noise::QUALITY_STD) {
        sampleModule(module, width, y, out);
        return;
    }
    const double frequency = module.GetFrequency();
    const double lacunarity = module.GetLacunarity();
    if (spectralWeights.empty() || spectralLacunarity != lacunarity) {
        // The module's weights: lacunarity to the power -i.
        spectralWeights.resize(noise::module::RIDGED_MAX_OCTAVE);
        double f = 1.0;
        for (double& w : spectralWeights) {
            w = std::pow(f, -1.0);
            f *= lacunarity;
        }
        spectralLacunarity = lacunarity;
    }
    const double offset = 1.0;
    const double gain = 2.0;
    scaleColumns(width, frequency);
    std::fill(out, out + width, 0.0);
    std::fill(weight.begin(), weight.end(), 1.0);
    y *= frequency;
    double z = 0.0 * frequency;
    for (int curOctave = 0; curOctave < module.GetOctaveCount(); ++curOctave) {
        octave(width, y, z, (module.GetSeed() + curOctave) & 0x7fffffff, signal.data());
        for (int i = 0; i < width; ++i) {
            double s = offset - std::fabs(signal[i]);
            s *= s;
            s *= weight[i];
            double w = s * gain;
            if (w > 1.0)
                w = 1.0;
            if (w < 0.0)
                w = 0.0;
            weight[i] = w;
            out[i] += s * spectralWeights[curOctave];
        }
        growColumns(width, lacunarity);
        y *= lacunarity;
        z *= lacunarity;
    }
    for (int i = 0; i < width; ++i)
        out[i] = (out[i] * 1.25) - 1.0;
}

void NoiseRow::voronoi(const noise::module::Voronoi& module, int width, double y, double* out)
{
    const double frequency = module.GetFrequency();
    const double fy = y * frequency;
    const double fz = 0.0 * frequency;
    const double lastX = (static_cast<double>(width - 1) / width) * frequency;
    const bool inRange = std::fabs(fy) < VORONOI_LIMIT && std::fabs(lastX) < VORONOI_LIMIT;
    if (!inRange || module.IsDistanceEnabled()) {
        sampleModule(module, width, y, out);
        return;
    }
    const int xLow = std::min(cellOf(0.0 * frequency), cellOf(lastX)) - VORONOI_REACH;
    const int xHigh = std::max(cellOf(0.0 * frequency), cellOf(lastX)) + VORONOI_REACH;
    const int span = xHigh - xLow + 1;
    // Very high frequencies visit more cells than the row has samples.
    if (span > 4 * width + VORONOI_SIDE) {
        sampleModule(module, width, y, out);
        return;
    }

    // The module's computation in the same order and precision: the first of
    // the nearest seed points of the 5 x 5 x 5 cells around the sample, then
    // the displaced value of its cell.
    const int seed = module.GetSeed();
    const int yInt = cellOf(fy);
    const int zInt = cellOf(fz);
    // The points depend on the cells alone: rows in the same cells share them.
    const SeedCells cells = {xLow, xHigh, yInt, zInt, seed};
    const bool freshSeeds = !(cells == seedCells) || seeds.empty();
    if (freshSeeds) {
        seeds.resize(static_cast<size_t>(VORONOI_SIDE) * VORONOI_SIDE * span * 3);
        double* point = seeds.data();
        for (int zCur = zInt - VORONOI_REACH; zCur <= zInt + VORONOI_REACH; ++zCur) {
            for (int yCur = yInt - VORONOI_REACH; yCur <= yInt + VORONOI_REACH; ++yCur) {
                for (int xCur = xLow; xCur <= xHigh; ++xCur) {
                    *point++ = xCur + noise::ValueNoise3D(xCur, yCur, zCur, seed);
                    *point++ = yCur + noise::ValueNoise3D(xCur, yCur, zCur, seed + 1);
                    *point++ = zCur + noise::ValueNoise3D(xCur, yCur, zCur, seed + 2);
                }
            }
        }
        seedCells = cells;
    }

    // The y-z part of each seed point's squared distance is the same for the
    // whole row, and with rounding to nearest the computed full sum is never
    // below it: a cell whose part exceeds a distance already found cannot be
    // the nearest. Per column of cells (one x), its 25 cells ordered by that
    // part let the search stop at the first one too far.
    const int layers = VORONOI_SIDE * VORONOI_SIDE;
    nearYZ.resize(static_cast<size_t>(layers) * span);
    byNearness.resize(static_cast<size_t>(layers) * span);
    for (int layer = 0; layer < layers; ++layer) {
        for (int k = 0; k < span; ++k) {
            const double* cell = &seeds[(static_cast<size_t>(layer) * span + k) * 3];
            const double yDist = cell[1] - fy;
            const double zDist = cell[2] - fz;
            nearYZ[static_cast<size_t>(layer) * span + k] = yDist * yDist + zDist * zDist;
        }
    }
    // From one row to the next the order barely changes: insertion sort
    // starting from the previous row's order is nearly linear.
    for (int k = 0; k < span; ++k) {
        uint8_t* order = &byNearness[static_cast<size_t>(k) * layers];
        if (freshSeeds) {
            for (int layer = 0; layer < layers; ++layer)
                order[layer] = static_cast<uint8_t>(layer);
        }
        const auto part = [&](uint8_t layer) { return nearYZ[static_cast<size_t>(layer) * span + k]; };
        for (int j = 1; j < layers; ++j) {
            const uint8_t layer = order[j];
            const double value = part(layer);
            int to = j;
            for (; to > 0 && part(order[to - 1]) > value; --to)
                order[to] = order[to - 1];
            order[to] = layer;
        }
    }

    const double displacement = module.GetDisplacement();
    // Seed points lie up to 1 below and 3 above their cell's corner: the
    // columns of the cell below the sample's and its own usually hold the
    // nearest point.
    const int columnOrder[VORONOI_SIDE] = {1, 2, 0, 3, 4};
    const double none[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < width; ++i) {
        const double fx = (static_cast<double>(i) / width) * frequency;
        const int first = cellOf(fx) - VORONOI_REACH - xLow;
        // The nearest point, and the first in the module's order (layer by
        // layer, x within a layer) among equally near ones; like the module,
        // nothing at or beyond the starting distance counts.
        double minDist = 2147483647.0;
        int minOrder = -1;
        const double* nearest = none;
        for (int xc : columnOrder) {
            const int k = first + xc;
            const uint8_t* order = &byNearness[static_cast<size_t>(k) * layers];
            for (int j = 0; j < layers; ++j) {
                const int layer = order[j];
                const size_t index = static_cast<size_t>(layer) * span + k;
                if (nearYZ[index] > minDist)
                    break;
                const double* cell = &seeds[index * 3];
                const double xDist = cell[0] - fx;
                const double yDist = cell[1] - fy;
                const double zDist = cell[2] - fz;
                const double dist = xDist * xDist + yDist * yDist + zDist * zDist;
                const int scanOrder = layer * VORONOI_SIDE + xc;
                if (dist < minDist || (dist == minDist && minOrder >= 0 && scanOrder < minOrder)) {
                    minDist = dist;
                    minOrder = scanOrder;
                    nearest = cell;
                }
            }
        }
        const double value = noise::ValueNoise3D(static_cast<int>(std::floor(nearest[0])),
                                                 static_cast<int>(std::floor(nearest[1])),
                                                 static_cast<int>(std::floor(nearest[2])));
        out[i] = 0.0 + displacement * value;
    }
}
