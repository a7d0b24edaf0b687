// Every picture of the show's resource set and of the engine's test production
// is of 24 or 32 bits: a picture of another depth gives a texture without
// image data.

#include "util/Image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(PictureDepths, EveryPictureTheShowsLoadIs24Or32Bits)
{
    for (const std::string& folder : {std::string(PULSVEK_BINARY_DIR) + "/show/resources/graphics",
                                     std::string(PULSVEK_SOURCE_DIR) + "/tests/production/resources/graphics"}) {
        int pictures = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string path = entry.path().string();
            Image image(path.c_str());
            ASSERT_TRUE(image.isLoaded()) << path << ": " << image.getProblem();
            EXPECT_TRUE(image.getBitsPerPixel() == 24 || image.getBitsPerPixel() == 32)
                << path << " has " << image.getBitsPerPixel() << " bits per pixel";
            ++pictures;
        }
        EXPECT_GT(pictures, 0) << folder;
    }
}

}
