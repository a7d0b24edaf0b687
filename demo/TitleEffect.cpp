#include "demo/TitleEffect.h"

#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/runtime/TrackInterpolate.h"
#include "util/Assert.h"

#include <GL/glew.h>

TitleEffect::TitleEffect() = default;

TitleEffect::~TitleEffect()
{
    delete blank;
}

void TitleEffect::update(int) {}

void TitleEffect::postDraw(int) {}

Effect* TitleEffect::clone()
{
    return new TitleEffect();
}

void TitleEffect::createTracks()
{
    addTrack("background_index", backgroundIndex);
    addTrack("text_index", textIndex);
    addTrack("bgxpos", bgxpos);
    addTrack("bgypos", bgypos);
    addTrack("bgzoom", bgzoom);
    addTrack("fgxpos", fgxpos);
    addTrack("fgypos", fgypos);
    addTrack("fgzoom", fgzoom);
}

void TitleEffect::init()
{
    for (Texture* t : text) {
        VLM_ASSERT(t != nullptr);
        t->setWrapAll(GL_CLAMP_TO_EDGE);
    }
    if (blank == nullptr) {
        const unsigned char clear[4] = {0, 0, 0, 0};
        blank = new Texture(1, 1, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, clear);
    }
}

int TitleEffect::backgroundChoice(float b)
{
    if (b >= 0.0f && b < 3.0f)
        return static_cast<int>(b);
    if (b >= 3.0f && b < 5.0f)
        return 3;
    return -1;
}

int TitleEffect::textChoice(float n)
{
    if (n >= 0.0f && n < 5.0f)
        return static_cast<int>(n);
    return -1;
}

void TitleEffect::draw(int timeMs, int, FBO* target)
{
    VLM_ASSERT(titleShader != nullptr && blank != nullptr);
    const auto t = static_cast<unsigned>(timeMs);
    Geometry::screenQuad->bind(titleShader);
    const int b = backgroundChoice(backgroundIndex->getValue(t));
    const int n = textChoice(textIndex->getValue(t));

    fboBind(target);
    fboMarkDirty(target);
    const bool scene = b == 3;
    Texture* backgroundImage = blank;
    if (scene) {
        VLM_ASSERT(offscreen != nullptr && offscreen2 != nullptr);
        fboBind(offscreen2);
        fboMarkDirty(offscreen2);
        backgroundImage = fboGetColorTexture(offscreen, 0);
    } else if (b >= 0) {
        backgroundImage = background[b];
    }
    titleShader->setTexture(0, "background_image", backgroundImage);
    titleShader->setTexture(1, "text_image", n >= 0 ? text[n] : blank);

    titleShader->setFloat("bgxpos", bgxpos->getValue(t));
    titleShader->setFloat("bgypos", bgypos->getValue(t));
    titleShader->setFloat("bgzoom", bgzoom->getValue(t));
    titleShader->setFloat("fgxpos", fgxpos->getValue(t));
    titleShader->setFloat("fgypos", fgypos->getValue(t));
    titleShader->setFloat("fgzoom", fgzoom->getValue(t));
    Geometry::screenQuad->draw();

    // With offscreen2 as the target the pass is already there.
    if (scene && target != offscreen2)
        fboBlitColor(offscreen2, 0, target, 0, GL_NEAREST);
}
