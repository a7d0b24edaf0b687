#include "engine/render/DeferredRenderer.h"

#include "engine/render/Camera.h"
#include "engine/render/CubeMapFBO.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/Light.h"
#include "engine/render/Material.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/Shader.h"
#include "engine/render/ShaderCache.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "util/Assert.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <cmath>
#include <cstring>

void stencilVolumeState()
{
    glDepthFunc(GL_LEQUAL);
    glCullFace(GL_BACK);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_ALWAYS, 1, 1);
    glStencilOp(GL_KEEP, GL_REPLACE, GL_KEEP);
}

void restoreColorMask()
{
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void lightVolumeState()
{
    glDepthFunc(GL_GEQUAL);
    glCullFace(GL_FRONT);
    glStencilFunc(GL_EQUAL, 0, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
}

void resetLightState()
{
    glDepthFunc(GL_LEQUAL);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
}

void drawFullScreenQuad(Shader* shader)
{
    VLM_ASSERT(Geometry::screenQuad != nullptr);
    Geometry::screenQuad->bind(shader);
    Geometry::screenQuad->draw();
}

void drawStencilQuad(Shader* shader)
{
    glStencilFunc(GL_EQUAL, 1, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    drawFullScreenQuad(shader);
}

DeferredRenderer::DeferredRenderer(FBO* geometry0, FBO* geometry1, FBO* light0, FBO* light1,
                                   Shader* volumeShader)
    : viewMatrices(2, glm::mat4(1.0f)), geometryFBO(geometry0), lightFBO(light0),
      volumeShader(volumeShader)
{
    VLM_ASSERT((geometry1 == nullptr) == (light1 == nullptr));
    geometryFBOs.push_back(geometry0);
    if (geometry1)
        geometryFBOs.push_back(geometry1);
    lightFBOs.push_back(light0);
    if (light1)
        lightFBOs.push_back(light1);

    materialData = new unsigned char[kMaterialRows * kMaterialRowBytes]();
    materialTexture = new Texture(4, kMaterialRows, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE, materialData);
    materialTexture->setFilter(GL_NEAREST, GL_NEAREST);
    VLMPulsvek::textureDataPool->addTexture("GeometryMaterials", materialTexture);

    for (FBO* fbo : lightFBOs)
        if (Texture* t = fbo->getColorTexture(0))
            t->setFilter(GL_NEAREST, GL_NEAREST);
    for (FBO* fbo : geometryFBOs)
        for (Texture* t : {fbo->getColorTexture(0), fbo->getColorTexture(1), fbo->getDepthTexture()})
            if (t)
                t->setFilter(GL_NEAREST, GL_NEAREST);
}

DeferredRenderer::~DeferredRenderer()
{
    delete[] materialData;
}

void DeferredRenderer::swap()
{
    index = (index + 1) % static_cast<int>(geometryFBOs.size());
    geometryFBO = geometryFBOs[index];
    lightFBO = lightFBOs[index];
}

FBO* DeferredRenderer::getNextGeometryFBO() const
{
    return geometryFBOs[(index + 1) % geometryFBOs.size()];
}

glm::mat4 DeferredRenderer::getViewMatrix() const
{
    return viewMatrices[index];
}

glm::mat4 DeferredRenderer::getOtherViewMatrix() const
{
    return viewMatrices[(index + 1) % geometryFBOs.size()];
}

void DeferredRenderer::drawGeometry(int pass, VLMScene* scene, bool skipBind)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    if (!skipBind) {
        fboBind(geometryFBO);
        fboMarkDirty(geometryFBO);
    }
    scene->draw(pass, nullptr);
    if (!skipBind)
        fboBind(nullptr);
}

bool DeferredRenderer::writeMaterialRow(unsigned char* buffer, const Material& material)
{
    const int id = material.getId();
    if (id < 0 || id >= kMaterialRows)
        return false;
    material.writeBufferEntry(buffer + id * kMaterialRowBytes);
    return true;
}

void DeferredRenderer::updateMaterials(VLMScene* scene)
{
    for (const auto& entry : scene->getMaterials()) {
        if (!writeMaterialRow(materialData, *entry.second) && !reportedMaterialId) {
            vlm::logLine("DeferredRenderer: material '", entry.first, "' has id ", entry.second->getId(),
                         " outside 0..255 and is left out of the material buffer");
            reportedMaterialId = true;
        }
    }
    materialTexture->setFilter(GL_NEAREST, GL_NEAREST);
    materialTexture->updateTexture(materialData);
}

void DeferredRenderer::setBufferTextures(Shader* shader)
{
    shader->setTexture(0, "diffuseBuffer", fboGetColorTexture(geometryFBO, 0));
    shader->setTexture(1, "depthBuffer", fboGetDepthTexture(geometryFBO));
    shader->setTexture(2, "normalBuffer", fboGetColorTexture(geometryFBO, 1));
    shader->setTexture(3, "materialBuffer", materialTexture);
}

void DeferredRenderer::setScreenUniforms(Shader* shader, Camera* camera)
{
    shader->setFloat2("screensize", static_cast<float>(fboGetWidth(lightFBO)),
                      static_cast<float>(fboGetHeight(lightFBO)));
    shader->setVec2("ProjConst", camera->getProjection()->getDepthConstants());
}

void DeferredRenderer::setCommonUniforms(Shader* shader, Camera* camera)
{
    setBufferTextures(shader);
    setScreenUniforms(shader, camera);
}

void DeferredRenderer::renderLights(Camera* camera, VLMScene* scene, bool skipBind)
{
    if (!skipBind) {
        fboBind(lightFBO);
        fboMarkDirty(lightFBO);
    }
    const std::map<std::string, Light*> lights = scene->getLights();
    const glm::mat4 view = camera->getViewMatrix();
    scene->updateLights(camera);
    viewMatrices[index] = view;
    const glm::mat4 projection = camera->getProjection()->getMatrix();

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glCullFace(GL_BACK);
    glDisable(GL_STENCIL_TEST);

    for (const auto& entry : lights) {
        Light* light = entry.second;
        if (light->getType() != Light::kDirectional || !light->isEnabled())
            continue;
        Shader* shader = light->getShader();
        shader->bind();
        setCommonUniforms(shader, camera);
        const glm::vec3 direction = glm::mat3(view) * -glm::vec3(light->getPlacement()[1]);
        shader->setVec3("lightDirection", direction);
        shader->setVec4("color", light->getColor());
        drawFullScreenQuad(shader);
    }

    glCullFace(GL_FRONT);

    for (const auto& entry : lights) {
        Light* light = entry.second;
        if (light->getType() != Light::kPoint || !light->isEnabled() || light->radius == 0.0f)
            continue;
        Shader* shader = light->getShader();
        ShaderCache::cubeVolume->bind(shader);
        shader->setMatrix4("projM", projection);
        shader->setMatrix4("lightM", light->getVolumeMatrix());
        setBufferTextures(shader);
        if (light->cubeMapTarget) {
            shader->setCubeMap(4, "cubeMap", light->cubeMapTarget->getTextureId(0));
            shader->setMatrix4("objectMatrix", light->objectMatrix);
        }
        setScreenUniforms(shader, camera);
        shader->setFloat("lightRadius", light->radius);
        shader->setVec3("lightPos", glm::vec3(view * glm::vec4(light->getPosition(), 1.0f)));
        shader->setVec4("color", light->getColor());
        ShaderCache::cubeVolume->draw();
    }

    for (const auto& entry : lights) {
        Light* light = entry.second;
        if (light->getType() != Light::kSpot || !light->isEnabled() || light->radius == 0.0f)
            continue;
        const glm::vec3 direction = glm::normalize(-glm::vec3(light->getVolumeMatrix()[2]));
        Shader* shader = light->getShader();
        ShaderCache::coneVolume->bind(shader);
        shader->setMatrix4("projM", projection);
        shader->setMatrix4("lightM", light->getVolumeMatrix());
        setBufferTextures(shader);
        if (light->spotTexture)
            shader->setTexture(4, "spotTexture", light->spotTexture);
        else
            shader->setFloat("LinearAttenuation", light->linearAttenuation);
        setScreenUniforms(shader, camera);
        shader->setVec3("lightPos", glm::vec3(view * glm::vec4(light->getPosition(), 1.0f)));
        shader->setVec3("lightDirection", direction);
        shader->setVec4("color", light->getColor());
        shader->setFloat("lightRadius", light->radius);
        shader->setFloat("FallOff", std::cos(light->coneAngle * 0.5f * 3.14159265358979f / 180.0f));
        ShaderCache::coneVolume->draw();
    }

    glCullFace(GL_BACK);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_BLEND);
    if (!skipBind)
        fboBind(nullptr);
    glEnable(GL_DEPTH_TEST);
}

void DeferredRenderer::drawLightVolumes(Camera* camera, VLMScene* scene, bool, bool point, bool spot)
{
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    volumeShader->bind();
    volumeShader->setMatrix4("ProjM", camera->getProjection()->getMatrix());
    for (const auto& entry : scene->getLights()) {
        Light* light = entry.second;
        if (!light->isEnabled())
            continue;
        VAO* lines = nullptr;
        VAO* fill = nullptr;
        if (light->getType() == Light::kPoint && point) {
            lines = ShaderCache::cubeLinesVolume;
            fill = ShaderCache::cubeVolume;
        } else if (light->getType() == Light::kSpot && spot) {
            lines = ShaderCache::coneLinesVolume;
            fill = ShaderCache::coneVolume;
        } else {
            continue;
        }
        lines->bind(volumeShader);
        volumeShader->setVec4("color", light->getColor());
        volumeShader->setMatrix4("Modelview", light->getVolumeMatrix());
        lines->drawMode(GL_LINES);
        fill->bind(volumeShader);
        volumeShader->setVec4("color", light->getColor() * 0.1f);
        fill->draw();
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}

void DeferredRenderer::drawDebugView()
{
    Shader* gui = ShaderCache::getShader("default_gui_texture");
    const glm::vec2 tile(0.25f, 0.25f);
    fboGetColorTexture(geometryFBO, 0)->drawQuad(gui, tile, glm::vec2(-1.0f, -0.75f));
    fboGetColorTexture(geometryFBO, 1)->drawQuad(gui, tile, glm::vec2(-0.75f, -0.75f));
    Shader* depth = VLMPulsvek::shaderDataPool->getShader("default_linearize_depth");
    if (depth) {
        depth->bind();
        depth->setVec2("NearFar", VLMPulsvek::screenSettings->getProjection()->getNearFar());
    } else {
        depth = gui;
    }
    fboGetDepthTexture(geometryFBO)->drawQuad(depth, tile, glm::vec2(-0.5f, -0.75f));
    fboGetColorTexture(lightFBO, 0)->drawQuad(gui, tile, glm::vec2(-0.25f, -0.75f));
    materialTexture->drawQuad(gui, glm::vec2(0.02f, 1.75f), glm::vec2(-1.0f, 1.0f));
}
