#include "demo/RainEffect.h"

#include "engine/render/Camera.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Projection.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/runtime/TrackInterpolate.h"
#include "util/Assert.h"

#include <GL/glew.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cstdlib>

namespace {
constexpr float DEGREES = 0.017453292f;
}

RainEffect::RainEffect() = default;

RainEffect::~RainEffect()
{
    delete[] offsets;
}

void RainEffect::update(int) {}

void RainEffect::postDraw(int) {}

Effect* RainEffect::clone()
{
    return new RainEffect();
}

void RainEffect::createTracks()
{
    addTrack("rain_move", rainMove);
}

void RainEffect::init()
{
    VLM_ASSERT(rainTexture != nullptr);
    rainTexture->setWrapAll(GL_REPEAT);
    rainTexture->setAnisotropy(16.0f);
    planeCount = 10;
    planeDepth = 0.0f;
    delete[] offsets;
    offsets = new float[planesPerFrame()];
    for (int i = 0; i < planesPerFrame(); ++i)
        offsets[i] = static_cast<float>(std::rand() % 10000) / 10000.0f;
}

void RainEffect::drawPlane()
{
    rainShader->setFloat("plane_zpos", planeDepth);
    rainShader->setFloat("rain_move_offset", offsets[offsetIndex]);
    ++offsetIndex;
    Geometry::screenQuad->draw();
}

void RainEffect::draw(int timeMs, int, FBO* target)
{
    VLM_ASSERT(rainShader != nullptr && offsets != nullptr);
    VLM_ASSERT(VLMPulsvek::syscam != nullptr);
    fboBind(target);
    fboMarkDirty(target);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The depth test and depth writes stay as the caller left them.
    offsetIndex = 0;

    Camera* camera = VLMPulsvek::syscam;
    glm::mat4 m = glm::scale(camera->getViewMatrix(), glm::vec3(100.0f));
    Geometry::screenQuad->bind(rainShader);
    rainShader->setTexture(0, "texture0", rainTexture);
    rainShader->setMatrix4("modelview", m);
    rainShader->setMatrix4("projection", camera->getProjection()->getMatrix());
    rainShader->setFloat("rain_move", rainMove->getValue(static_cast<unsigned>(timeMs)));

    const float step = 2.0f / static_cast<float>(planeCount);
    planeDepth = 1.0f;
    for (unsigned i = 0; i <= planeCount; ++i) {
        drawPlane();
        planeDepth -= step;
    }

    m = glm::rotate(m, 90.0f * DEGREES, glm::vec3(0.0f, 1.0f, 0.0f));
    rainShader->setMatrix4("modelview", m);
    planeDepth = -1.0f;
    for (unsigned i = 0; i <= planeCount; ++i) {
        drawPlane();
        planeDepth += step;
    }

    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
}
