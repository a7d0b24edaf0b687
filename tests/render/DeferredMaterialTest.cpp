#include "engine/render/DeferredRenderer.h"
#include "engine/render/Material.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned char> packed(const Material& material, bool* written = nullptr)
{
    std::vector<unsigned char> buffer(DeferredRenderer::kMaterialRows * DeferredRenderer::kMaterialRowBytes, 0xAB);
    const bool ok = DeferredRenderer::writeMaterialRow(buffer.data(), material);
    if (written)
        *written = ok;
    return buffer;
}

}

TEST(DeferredMaterials, RowOfMaterialThreeHoldsItsTexels)
{
    const Material m("paint", 3, glm::vec3(1.0f), glm::vec3(0.5f, 1.0f, 0.0f), 40.0f);
    const std::vector<unsigned char> buffer = packed(m);
    const std::vector<unsigned char> row(buffer.begin() + 48, buffer.begin() + 64);
    // Buffer values 0 and 1, the specular colour, the exponent; texel 3 is not touched.
    const std::vector<unsigned char> want = {0, 255, 255, 255, 127, 255, 0, 255,
                                             40, 40, 40, 40, 0xAB, 0xAB, 0xAB, 0xAB};
    EXPECT_EQ(row, want);
    for (size_t i = 0; i < buffer.size(); ++i) {
        if (i < 48 || i >= 60) {
            ASSERT_EQ(buffer[i], 0xAB) << "byte " << i;
        }
    }
}

TEST(DeferredMaterials, ExponentAndColoursSaturate)
{
    struct Case {
        const char* what;
        glm::vec3 specular;
        float shininess;
        unsigned char red, exponent;
    } const cases[] = {
        {"shininess 0 is stored as 1", glm::vec3(0.25f), 0.0f, 63, 1},
        {"shininess 300 is stored as 255", glm::vec3(0.25f), 300.0f, 63, 255},
        {"shininess 254.9 truncates", glm::vec3(0.25f), 254.9f, 63, 254},
        {"specular 1.2 saturates instead of wrapping", glm::vec3(1.2f), 10.0f, 255, 10},
        {"negative specular gives 0", glm::vec3(-0.5f), 10.0f, 0, 10},
    };
    for (const Case& c : cases) {
        const Material m("m", 0, glm::vec3(1.0f), c.specular, c.shininess);
        const std::vector<unsigned char> buffer = packed(m);
        EXPECT_EQ(buffer[4], c.red) << c.what;
        EXPECT_EQ(buffer[8], c.exponent) << c.what;
        EXPECT_EQ(buffer[11], c.exponent) << c.what;
    }
}

TEST(DeferredMaterials, IdsOutsideTheBufferWriteNothing)
{
    for (int id : {-1, 256, 100000}) {
        const Material m("far", id, glm::vec3(1.0f), glm::vec3(1.0f), 10.0f);
        bool written = true;
        const std::vector<unsigned char> buffer = packed(m, &written);
        EXPECT_FALSE(written) << id;
        for (unsigned char b : buffer)
            ASSERT_EQ(b, 0xAB) << id;
    }
    bool written = false;
    packed(Material("last", 255, glm::vec3(1.0f), glm::vec3(1.0f), 10.0f), &written);
    EXPECT_TRUE(written);
}

TEST(DeferredRendererDeathTest, GeometryAndLightFramebuffersComeInPairs)
{
    int a = 0, b = 0, c = 0;
    FBO* first = reinterpret_cast<FBO*>(&a);
    FBO* second = reinterpret_cast<FBO*>(&b);
    FBO* light = reinterpret_cast<FBO*>(&c);
    EXPECT_DEATH(DeferredRenderer(first, second, light, nullptr, nullptr), "geometry1");
    EXPECT_DEATH(DeferredRenderer(first, nullptr, light, second, nullptr), "geometry1");
}
