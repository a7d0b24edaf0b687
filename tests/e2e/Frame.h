#pragma once
// A frame of the show read back from a PNG, with statistics over rectangles.

#include "util/Image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace e2e {

// Rectangles are given in shares of the frame (0..1, y downwards).
struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // rows top-down

    bool load(const std::string& path)
    {
        Image image(path.c_str());
        if (!image.isLoaded() || image.getBytesPerPixel() < 3)
            return false;
        width = image.getWidth();
        height = image.getHeight();
        const int bpp = image.getBytesPerPixel();
        const unsigned char* data = reinterpret_cast<const unsigned char*>(image.getPixels());
        rgb.resize(static_cast<size_t>(width) * height * 3);
        // Image rows are bottom-up.
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[(static_cast<size_t>(y) * width + x) * 3 + c] =
                        data[(static_cast<size_t>(height - 1 - y) * width + x) * bpp + c];
        return true;
    }

    struct Stats {
        double mean[3];
        double luma;
        double spread;  // standard deviation of the luminance
    };

    Stats stats(double x0, double y0, double x1, double y1) const
    {
        Stats s{{0, 0, 0}, 0, 0};
        double sum2 = 0;
        long n = 0;
        for (int y = static_cast<int>(y0 * height); y < static_cast<int>(y1 * height); ++y)
            for (int x = static_cast<int>(x0 * width); x < static_cast<int>(x1 * width); ++x) {
                const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                const double l = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
                for (int c = 0; c < 3; ++c)
                    s.mean[c] += p[c];
                s.luma += l;
                sum2 += l * l;
                ++n;
            }
        if (n == 0)
            return s;
        for (double& m : s.mean)
            m /= n;
        s.luma /= n;
        s.spread = std::sqrt(std::max(0.0, sum2 / n - s.luma * s.luma));
        return s;
    }

    // Mean absolute difference of the rectangle against another frame.
    double difference(const Frame& other, double x0, double y0, double x1, double y1) const
    {
        double sum = 0;
        long n = 0;
        for (int y = static_cast<int>(y0 * height); y < static_cast<int>(y1 * height); ++y)
            for (int x = static_cast<int>(x0 * width); x < static_cast<int>(x1 * width); ++x)
                for (int c = 0; c < 3; ++c, ++n) {
                    const size_t i = (static_cast<size_t>(y) * width + x) * 3 + c;
                    sum += std::abs(static_cast<int>(rgb[i]) - static_cast<int>(other.rgb[i]));
                }
        return n ? sum / n : 0;
    }
};

}
