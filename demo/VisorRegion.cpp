#include "demo/VisorRegion.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

namespace visor {

void curve(float u, float v, float& x, float& y)
{
    // As the helmet shader: p = 0.5 + d (0.94 + 0.12 |d|^2), d = uv - 0.5.
    const float dx = u - 0.5f;
    const float dy = v - 0.5f;
    const float k = 0.94f + 0.12f * (dx * dx + dy * dy);
    x = 0.5f + dx * k;
    y = 0.5f + dy * k;
}

namespace {

// The texels of one channel that are not zero: a box in texels, or false.
bool channelBox(const uint8_t* mask, int w, int h, int channel, int box[4])
{
    box[0] = w;
    box[1] = h;
    box[2] = -1;
    box[3] = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (mask[(static_cast<size_t>(y) * w + x) * 4 + channel] != 0) {
                box[0] = std::min(box[0], x);
                box[1] = std::min(box[1], y);
                box[2] = std::max(box[2], x);
                box[3] = std::max(box[3], y);
            }
    return box[2] >= 0;
}

}

Rect sceneRegion(const uint8_t* mask, int maskWidth, int maskHeight, int screenWidth, int screenHeight,
                 int sceneWidth, int sceneHeight)
{
    Rect none;
    if (!mask || maskWidth <= 0 || maskHeight <= 0 || screenWidth <= 0 || screenHeight <= 0 || sceneWidth <= 0 ||
        sceneHeight <= 0)
        return none;
    int red[4];
    int alpha[4];
    if (!channelBox(mask, maskWidth, maskHeight, 0, red) || !channelBox(mask, maskWidth, maskHeight, 3, alpha))
        return none;
    // A filtered sample of level k reaches two of its texels, 2^k texels of
    // level 0 each; the pass reads the two levels around its minification.
    const float shrink = std::max({static_cast<float>(maskWidth) / static_cast<float>(screenWidth),
                                   static_cast<float>(maskHeight) / static_cast<float>(screenHeight), 1.0f});
    const int topLevel = static_cast<int>(std::ceil(std::log2(shrink))) + 1;
    const int reach = 2 << topLevel;
    // Both channels must be non-zero: the intersection of their boxes.
    const float u0 = static_cast<float>(std::max(red[0], alpha[0]) - reach) / static_cast<float>(maskWidth);
    const float v0 = static_cast<float>(std::max(red[1], alpha[1]) - reach) / static_cast<float>(maskHeight);
    const float u1 = static_cast<float>(std::min(red[2], alpha[2]) + 1 + reach) / static_cast<float>(maskWidth);
    const float v1 = static_cast<float>(std::min(red[3], alpha[3]) + 1 + reach) / static_cast<float>(maskHeight);
    if (u0 >= u1 || v0 >= v1)
        return none;

    // The curve moves each coordinate monotonically with its own and
    // outwards with the other's distance from the middle: its extremes over
    // the box lie on the box's edges, at their ends or their middle.
    float x0 = 1.0f;
    float y0 = 1.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
    auto take = [&](float u, float v) {
        float x = 0.0f;
        float y = 0.0f;
        curve(u, v, x, y);
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    };
    constexpr int STEPS = 256;
    for (int i = 0; i <= STEPS; ++i) {
        const float s = static_cast<float>(i) / STEPS;
        take(u0 + (u1 - u0) * s, v0);
        take(u0 + (u1 - u0) * s, v1);
        take(u0, v0 + (v1 - v0) * s);
        take(u1, v0 + (v1 - v0) * s);
    }
    if (u0 < 0.5f && u1 > 0.5f) {
        take(0.5f, v0);
        take(0.5f, v1);
    }
    if (v0 < 0.5f && v1 > 0.5f) {
        take(u0, 0.5f);
        take(u1, 0.5f);
    }
    // The scene is filtered bilinearly at level 0: two texels more each way.
    const int px0 = std::max(0, static_cast<int>(std::floor(x0 * static_cast<float>(sceneWidth))) - 2);
    const int py0 = std::max(0, static_cast<int>(std::floor(y0 * static_cast<float>(sceneHeight))) - 2);
    const int px1 = std::min(sceneWidth, static_cast<int>(std::ceil(x1 * static_cast<float>(sceneWidth))) + 2);
    const int py1 = std::min(sceneHeight, static_cast<int>(std::ceil(y1 * static_cast<float>(sceneHeight))) + 2);
    if (px0 >= px1 || py0 >= py1)
        return none;
    return {px0, py0, px1 - px0, py1 - py0};
}

ScissorScope::ScissorScope(const Rect* rect) : on(rect != nullptr)
{
    if (!on)
        return;
    glEnable(GL_SCISSOR_TEST);
    glScissor(rect->x, rect->y, rect->width, rect->height);
}

void ScissorScope::end()
{
    if (on)
        glDisable(GL_SCISSOR_TEST);
    on = false;
}

}
