#include "demo/DashboardEffect.h"

#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackValue.h"
#include "util/Assert.h"

#include <GL/glew.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cstdlib>

namespace {

constexpr float DEGREES = 0.017453292f;
// Room for three 4-byte values a meter; the 8 x 1 byte texture takes the
// first 24 bytes, one level byte a channel.
constexpr int METER_BYTES = DashboardEffect::METERS * 3 * 4;

glm::mat4 placement(float x, float y, float sx, float sy, float sz)
{
    glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(x, y, 0.0f));
    return glm::scale(m, glm::vec3(sx, sy, sz));
}

void enableBlend()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

}

DashboardEffect::DashboardEffect() = default;

DashboardEffect::~DashboardEffect()
{
    delete meterTexture;
    delete[] meterBuffer;
}

void DashboardEffect::update(int) {}

void DashboardEffect::postDraw(int) {}

Effect* DashboardEffect::clone()
{
    return new DashboardEffect();
}

void DashboardEffect::createTracks()
{
    addTrack("view_direction", viewDirection);
    addTrack("speedo", speedo);
    addTrack("speedo2", speedo2);
    addTrack("scroll", scroll);
}

void DashboardEffect::init()
{
    Texture* scene = fboGetColorTexture(offscreen, 0);
    VLM_ASSERT(scene != nullptr);
    scene->setWrapST(GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);

    if (meterBuffer == nullptr)
        meterBuffer = new unsigned char[METER_BYTES]();
    delete meterTexture;
    meterTexture = new Texture(GL_TEXTURE_1D, 0, GL_RGB, METERS, 1, 0, GL_RGB, GL_UNSIGNED_BYTE,
                               nullptr);
    meterTexture->setWrapAll(GL_CLAMP_TO_EDGE);
}

DashboardEffect::View DashboardEffect::chooseView(float v)
{
    if (v < 0.0f)
        return View::Rear;
    if (v > 0.0f && v <= 1.0f)
        return View::Front;
    if (v > 1.0f && v <= 2.0f)
        return View::Helmet;
    return View::None;
}

glm::mat4 DashboardEffect::needleMatrix(float x, float baseDegrees, float noiseValue)
{
    const float angle = noiseValue * 15.0f + baseDegrees;
    glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(x, -0.85f, 0.0f));
    m = glm::rotate(m, angle * DEGREES, glm::vec3(0.0f, 0.0f, 1.0f));
    return glm::scale(m, glm::vec3(0.008f, 0.08f, 1.0f));
}

void DashboardEffect::fillMeters(int timeMs)
{
    VLM_ASSERT(meterBuffer != nullptr);
    // The runtime library's generator, reseeded: the same levels all through
    // a 50 ms step and whenever that time comes again.
    std::srand(static_cast<unsigned>(timeMs) / 50u);
    for (int k = 0; k < METERS; ++k) {
        const unsigned char level = meterLevel(std::rand());
        meterBuffer[k * 3] = meterBuffer[k * 3 + 1] = meterBuffer[k * 3 + 2] = level;
    }
}

unsigned char DashboardEffect::meterLevel(int randomValue)
{
    // The high bits, so that the levels spread over the meter's whole range.
    const long long r = randomValue < 0 ? 0 : randomValue;
    return static_cast<unsigned char>(r * 256 / (static_cast<long long>(RAND_MAX) + 1));
}

void DashboardEffect::draw(int timeMs, int, FBO* target)
{
    const auto t = static_cast<unsigned>(timeMs);
    glDisable(GL_DEPTH_TEST);
    switch (chooseView(viewDirection->getValue(t))) {
    case View::Rear:
        drawRearView(target);
        break;
    case View::Front:
        drawFrontView(t, target);
        break;
    case View::Helmet:
        drawHelmetView(target);
        break;
    case View::None:
        break;
    }
    glEnable(GL_DEPTH_TEST);
}

void DashboardEffect::drawRearView(FBO* target)
{
    VLM_ASSERT(copyShader != nullptr && rearViewOverlay != nullptr);
    fboBind(target);
    fboMarkDirty(target);
    enableBlend();
    Geometry::screenQuad->bind(copyShader);
    copyShader->setTexture(0, "image", rearViewOverlay);
    Geometry::screenQuad->draw();
    glDisable(GL_BLEND);
}

void DashboardEffect::drawFrontView(unsigned t, FBO* target)
{
    VLM_ASSERT(copyShader != nullptr && dashboardShader != nullptr && speedometerShader != nullptr);
    VLM_ASSERT(scrollerShader != nullptr && meterShader != nullptr && meterTexture != nullptr);
    VLM_ASSERT(mirror != nullptr);
    fboBind(target);
    fboMarkDirty(target);
    enableBlend();

    Geometry::screenQuad->bind(copyShader);
    copyShader->setTexture(0, "image", frontViewOverlay);
    Geometry::screenQuad->draw();

    Geometry::quad->bind(dashboardShader);
    dashboardShader->setTexture(0, "image", fboGetColorTexture(mirror, 0));
    dashboardShader->setTexture(1, "mask", mirrorMask);
    dashboardShader->setMatrix4("modelview", placement(0.23f, 0.76f, 0.6f, 0.29f, 0.29f));
    Geometry::quad->draw();

    const struct {
        TrackInterpolate* track;
        float x;
        float base;
    } needles[2] = {{speedo, -0.515f, 210.0f}, {speedo2, -0.305f, 150.0f}};
    for (const auto& needle : needles) {
        // The noise takes its lattice cell as an int: a finite input.
        const double x = trackvalue::bounded(needle.track->getValue(t), 1.0e9);
        const auto p = static_cast<float>(noise.GetValue(x, 0.0, 0.0));
        Geometry::quad->bind(speedometerShader);
        speedometerShader->setTexture(0, "speedometer", speedometerArrow);
        speedometerShader->setMatrix4("modelview", needleMatrix(needle.x, needle.base, p));
        Geometry::quad->draw();
    }

    Geometry::quad->bind(scrollerShader);
    scrollerShader->setTexture(0, "scrollerimg", scroller);
    scrollerShader->setFloat("dashtexvalue", scroll->getValue(t));
    scrollerShader->setMatrix4("modelview", placement(0.11f, -0.735f, 0.25f, 0.05f, 1.0f));
    Geometry::quad->draw();
    glDisable(GL_BLEND);

    fillMeters(static_cast<int>(t));
    meterTexture->updateTexture(meterBuffer);
    Geometry::quad->bind(meterShader);
    meterShader->setMatrix4("modelview", placement(0.11f, -0.8f, 0.25f, 0.11f, 1.0f));
    meterShader->setTexture(0, "data", meterTexture);
    Geometry::quad->draw();
}

void DashboardEffect::drawHelmetView(FBO* target)
{
    VLM_ASSERT(helmetShader != nullptr && offscreen != nullptr && offscreen2 != nullptr);
    fboBind(offscreen2);
    fboMarkDirty(offscreen2);
    Geometry::screenQuad->bind(helmetShader);
    helmetShader->setTexture(0, "reflection", fboGetColorTexture(offscreen, 0));
    helmetShader->setTexture(1, "mask", helmetMask);
    helmetShader->setTexture(2, "overlay", helmet);
    Geometry::screenQuad->draw();
    if (target == offscreen2)
        return;  // already drawn there
    // Only copied into: the target is neither bound nor marked.
    fboBlitColor(offscreen2, 0, target, 0, GL_NEAREST);
}
