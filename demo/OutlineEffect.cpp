#include "demo/OutlineEffect.h"

#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Shader.h"
#include "engine/render/VAO.h"
#include "util/Log.h"

#include <GL/glew.h>

OutlineEffect::OutlineEffect() = default;

OutlineEffect::~OutlineEffect() = default;

void OutlineEffect::update(int) {}

void OutlineEffect::postDraw(int) {}

void OutlineEffect::init() {}

void OutlineEffect::createTracks() {}

Effect* OutlineEffect::clone()
{
    return new OutlineEffect();
}

void OutlineEffect::draw(int, int, FBO*)
{
    Texture* depth = depthSource != nullptr ? fboGetDepthTexture(depthSource) : nullptr;
    if (outlineShader == nullptr || depth == nullptr || fboGetWidth(depthSource) <= 0 ||
        fboGetHeight(depthSource) <= 0) {
        if (!reportedMissing) {
            vlm::logLine("OutlineEffect: no depth source or no shader; nothing drawn");
            reportedMissing = true;
        }
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Geometry::screenQuad->bind(outlineShader);
    outlineShader->setTexture(0, "depth", depth);
    outlineShader->setFloat2("NearFar", 0.1f, 1.0f);
    outlineShader->setFloat2("TexelSize", 1.0f / static_cast<float>(fboGetWidth(depthSource)),
                             1.0f / static_cast<float>(fboGetHeight(depthSource)));
    Geometry::screenQuad->drawMode(GL_TRIANGLES);
    glDisable(GL_BLEND);
}
