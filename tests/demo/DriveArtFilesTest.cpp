// The drive's pictures and object files as the build writes them.

#include "util/File.h"
#include "util/Image.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace {

const std::string kResources = std::string(PULSVEK_BINARY_DIR) + "/show/resources/";

std::unique_ptr<Image> picture(const std::string& name)
{
    auto image = std::make_unique<Image>((kResources + "graphics/" + name).c_str());
    EXPECT_TRUE(image->isLoaded()) << name;
    return image;
}

// Mean colour (0..255) of one square layer; the loader's rows run bottom-up,
// so layer k is the k-th block of rows of the pixel data.
std::array<double, 3> layerMean(const Image& image, int layer)
{
    const int w = image.getWidth();
    const int bytes = image.getBytesPerPixel();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(image.getPixels()) +
                             static_cast<size_t>(layer) * w * w * bytes;
    std::array<double, 3> sum{0, 0, 0};
    for (int i = 0; i < w * w; ++i)
        for (int c = 0; c < 3; ++c)
            sum[static_cast<size_t>(c)] += p[i * bytes + c];
    for (double& s : sum)
        s /= w * w;
    return sum;
}

TEST(DriveArtFiles, TileArraysHoldSquareLayersInTheirOrder)
{
    struct Case {
        const char* file;
        int layers;
    } cases[] = {{"TextureTiles4.png", 10}, {"RoadTiles.png", 7}};
    for (const Case& c : cases) {
        std::unique_ptr<Image> image = picture(c.file);
        ASSERT_TRUE(image->isLoaded());
        EXPECT_GE(image->getWidth(), 64) << c.file;
        EXPECT_EQ(image->getHeight(), c.layers * image->getWidth()) << c.file;
    }

    std::unique_ptr<Image> tiles = picture("TextureTiles4.png");
    ASSERT_TRUE(tiles->isLoaded());
    const auto grass = layerMean(*tiles, 0), sand = layerMean(*tiles, 1), snow = layerMean(*tiles, 3),
               water = layerMean(*tiles, 5);
    EXPECT_TRUE(grass[1] > grass[0] && grass[1] > grass[2]) << "layer 0 is grass";
    EXPECT_TRUE(sand[0] > sand[1] && sand[1] > sand[2]) << "layer 1 is sand";
    EXPECT_TRUE(snow[0] > 180 && snow[1] > 180 && snow[2] > 200) << "layer 3 is snow";
    EXPECT_TRUE(water[2] > water[0] && water[2] > water[1]) << "layer 5 is water";

    std::unique_ptr<Image> road = picture("RoadTiles.png");
    ASSERT_TRUE(road->isLoaded());
    const auto asphalt = layerMean(*road, 0), edge = layerMean(*road, 1);
    EXPECT_LT(asphalt[0], 90) << "layer 0 is dark asphalt";
    EXPECT_GT(edge[0], asphalt[0] + 20) << "layer 1 carries kerb and edge line";
}

TEST(DriveArtFiles, SkyFacesAreSquareAndOfOneSize)
{
    for (const char* sky : {"Sunset", "Desert", "Forest", "City"}) {
        int side = -1;
        for (const char* face : {"posx", "negx", "posy", "negy", "posz", "negz"}) {
            std::unique_ptr<Image> image = picture(std::string(sky) + "_" + face + ".png");
            ASSERT_TRUE(image->isLoaded());
            EXPECT_EQ(image->getWidth(), image->getHeight()) << sky << face;
            if (side < 0)
                side = image->getWidth();
            EXPECT_EQ(image->getWidth(), side) << sky << face;
        }
        EXPECT_GE(side, 256) << sky;
        EXPECT_LE(side, 512) << sky;
    }
}

TEST(DriveArtFiles, PaintWireframeAndObjectFilesExist)
{
    std::unique_ptr<Image> wire = picture("wireframe.png");
    EXPECT_EQ(wire->getBytesPerPixel(), 4) << "the wireframe's alpha is its line mask";
    std::unique_ptr<Image> paint = picture("Cartexture.png");
    EXPECT_GE(paint->getWidth(), 256);
    for (const char* name : {"hqpoly.vbo", "Sprites.vbo"}) {
        File file(kResources + "objects/" + name, 0);  // read whole
        ASSERT_TRUE(file.isOpen()) << name;
        EXPECT_EQ(file.readInt(), 2) << name << " is a version-2 object file";
    }
}

}
