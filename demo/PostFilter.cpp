#include "demo/PostFilter.h"

#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "util/Assert.h"

#include <GL/glew.h>

#include <algorithm>

namespace PostFilter {

float brightness = 0.0f;
float contrast = 1.0f;

namespace {

Texture* sourceImage(FBO* source)
{
    Texture* image = fboGetColorTexture(source, 0);
    VLM_ASSERT(image != nullptr);
    return image;
}

// The last level a trilinear read of a w x h picture over a tw x th target
// reaches, with one to spare for the rasteriser's rounding of the level.
int sampledLevels(int w, int h, int tw, int th)
{
    const float ratio = std::max(static_cast<float>(w) / static_cast<float>(std::max(tw, 1)),
                                 static_cast<float>(h) / static_cast<float>(std::max(th, 1)));
    int level = 0;
    while (static_cast<float>(2 << level) <= ratio)
        ++level;
    return level + 2;
}

void blur(Shader* shader, FBO* source, FBO* target, bool horizontal)
{
    VLM_ASSERT(shader != nullptr);
    Texture* image = sourceImage(source);
    fboBind(target);
    Geometry::screenQuad->bind(shader);
    const float texel[2] = {horizontal ? 1.0f / static_cast<float>(image->getWidth()) : 0.0f,
                            horizontal ? 0.0f : 1.0f / static_cast<float>(image->getHeight())};
    shader->setVec2fv("TexelSize", texel);
    shader->setTexture(0, "image", image);
    Geometry::screenQuad->draw();
}

}

void brightContrast(Shader* shader, FBO* source, FBO* target)
{
    VLM_ASSERT(shader != nullptr);
    Texture* image = sourceImage(source);
    image->bind();
    // The pass reads the two levels around the one whose size matches the target's;
    // the smaller ones are never sampled.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL,
                    sampledLevels(image->getWidth(), image->getHeight(), fboGetWidth(target),
                                  fboGetHeight(target)));
    glGenerateMipmap(GL_TEXTURE_2D);
    markPass("postprocess: mipmaps");
    image->setFilter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);

    fboBind(target);
    Geometry::screenQuad->bind(shader);
    shader->setTexture(0, "image", image);
    shader->setFloat("contrast", contrast);
    shader->setFloat("brightness", brightness);
    Geometry::screenQuad->draw();

    image->setFilter(GL_LINEAR, GL_LINEAR);
}

void blurHorizontal(Shader* shader, FBO* source, FBO* target)
{
    blur(shader, source, target, true);
}

void blurVertical(Shader* shader, FBO* source, FBO* target)
{
    blur(shader, source, target, false);
}

}
