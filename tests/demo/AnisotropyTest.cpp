#include "demo/Anisotropy.h"

#include "support/Capture.h"

#include <gtest/gtest.h>

TEST(AnisotropyTest, SixteenTimesExceptOnSoftwareRasterisers)
{
    const struct {
        const char* renderer;
        float expected;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", 1.0f},
        {"softpipe", 1.0f},
        {"Gallium 0.4 on LLVMPIPE", 1.0f},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", 16.0f},
        {"AMD Radeon RX 6800 (navi21, LLVM 15.0.6, DRM 3.49, 6.1.0-18-amd64)", 16.0f},
        {"NVIDIA GeForce RTX 3080/PCIe/SSE2", 16.0f},
        {"", 16.0f},
        {nullptr, 16.0f},
    };
    for (const auto& c : cases) {
        bool reported = false;
        testsupport::StdoutCapture log;
        EXPECT_EQ(Anisotropy::forRenderer(c.renderer, reported), c.expected) << (c.renderer ? c.renderer : "null");
        EXPECT_EQ(reported, c.expected == 1.0f);
        EXPECT_EQ(log.lines().size(), c.expected == 1.0f ? 1u : 0u);
    }
}

TEST(AnisotropyTest, ASoftwareRasteriserIsLoggedOnce)
{
    bool reported = false;
    testsupport::StdoutCapture log;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Anisotropy::forRenderer("llvmpipe (LLVM 15.0.6, 256 bits)", reported), 1.0f);
    const std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("llvmpipe"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("anisotropic"), std::string::npos) << lines[0];
}
