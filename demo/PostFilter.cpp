#include "demo/PostFilter.h"

#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "util/Assert.h"

#include <GL/glew.h>

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
