#include "engine/runtime/ResourceDefinition.h"

#include "engine/render/Engine.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/FBO.h"
#include "engine/runtime/DataBinaryPool.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "engine/runtime/DataVideoPool.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/Rows.h"
#include "util/Assert.h"

#include <GL/glew.h>

namespace VLMPulsvek {
ResourceDefinition* resources = nullptr;
}

ResourceDefinition::~ResourceDefinition() = default;

void ResourceDefinition::configure(ScreenSettings* settings)
{
    settings->setResolution(1280, 768);
    settings->setFullscreen(false);
    VLMPulsvek::startTime = TimeCode(0, 0, 0);
    VLMPulsvek::endTime = TimeCode(VLMPulsvek::SHOW_MINUTES, 0, 0);
}

void ResourceDefinition::defineResources() {}

void ResourceDefinition::defineEffects() {}

void ResourceDefinition::defineEffectInstances() {}

void ResourceDefinition::defineTexture(const std::string& name, const std::string& file, bool mipmap)
{
    VLMPulsvek::textureDefinitions.push_back({name, file, GL_TEXTURE_2D, mipmap, 0});
}

void ResourceDefinition::defineTexture1D(const std::string& name, const std::string& file, bool mipmap)
{
    VLMPulsvek::textureDefinitions.push_back({name, file, GL_TEXTURE_1D, mipmap, 0});
}

void ResourceDefinition::defineTextureArray(const std::string& name, const std::string& file, int layers,
                                            bool mipmap)
{
    VLMPulsvek::textureDefinitions.push_back({name, file, GL_TEXTURE_2D_ARRAY, mipmap, layers});
}

void ResourceDefinition::defineCubeMap(const std::string& name, const std::string& pattern, bool mipmap)
{
    VLMPulsvek::textureDefinitions.push_back({name, pattern, GL_TEXTURE_CUBE_MAP, mipmap, 0});
}

void ResourceDefinition::defineObject(const FileDefinition& def)
{
    VLMPulsvek::objectDefinitions.push_back(def);
}

void ResourceDefinition::defineBinary(const FileDefinition& def)
{
    VLMPulsvek::binaryDefinitions.push_back(def);
}

void ResourceDefinition::defineAnimation(const FileDefinition& def)
{
    VLMPulsvek::animationDefinitions.push_back(def);
}

void ResourceDefinition::defineVideo(const FileDefinition& def)
{
    VLMPulsvek::videoDefinitions.push_back(def);
}

void ResourceDefinition::defineShader(const ShaderDefinition& def)
{
    VLMPulsvek::shaderDefinitions.push_back(def);
}

void ResourceDefinition::setMusic(const std::string& file)
{
    VLMPulsvek::musicFile = file;
}

void ResourceDefinition::addFBO(const std::string& name, FBO* fbo)
{
    VLM_ASSERT(VLMPulsvek::fboDataPool != NULL);
    VLMPulsvek::fboDataPool->addFBO(name, fbo);
    fboBindAndClear(fbo);
    fboBind(nullptr);
}

void ResourceDefinition::registerEffect(const std::string& className, Effect* prototype)
{
    VLM_ASSERT(VLMPulsvek::effectDataPool != NULL);
    VLMPulsvek::effectDataPool->add(className, prototype);
}

Effect* ResourceDefinition::createEffectInstance(const std::string& className, const std::string& instanceName,
                                                 bool useTrackData)
{
    Effect* effect = VLMPulsvek::effectDataPool ? VLMPulsvek::effectDataPool->get(className) : nullptr;
    VLM_ASSERT(effect != NULL);
    Effect* instance = effect->clone();
    VLM_ASSERT(instance != NULL);
    instance->useTrackData = useTrackData;
    instance->createTracks();
    VLM_ASSERT(VLMPulsvek::effectInstanceDataPool != NULL);
    VLMPulsvek::effectInstanceDataPool->add(instanceName, instance);
    return instance;
}

Shader* ResourceDefinition::getShader(const std::string& name)
{
    Shader* shader = VLMPulsvek::shaderDataPool ? VLMPulsvek::shaderDataPool->getShader(name) : nullptr;
    VLM_ASSERT(shader != NULL);
    return shader;
}

Texture* ResourceDefinition::getTexture(const std::string& name)
{
    Texture* tex = VLMPulsvek::textureDataPool ? VLMPulsvek::textureDataPool->getTexture(name) : nullptr;
    VLM_ASSERT(tex!=NULL);
    return tex;
}

FBO* ResourceDefinition::getFBO(const std::string& name)
{
    FBO* fbo = VLMPulsvek::fboDataPool ? VLMPulsvek::fboDataPool->getFBO(name) : nullptr;
    VLM_ASSERT(fbo != NULL);
    return fbo;
}

VLMScene* ResourceDefinition::getScene(const std::string& name)
{
    VLMScene* scene = VLMPulsvek::sceneDataPool ? VLMPulsvek::sceneDataPool->getScene(name) : nullptr;
    VLM_ASSERT(scene != NULL);
    return scene;
}

Binary* ResourceDefinition::getBinary(const std::string& name)
{
    Binary* bin = VLMPulsvek::binaryDataPool ? VLMPulsvek::binaryDataPool->getBinary(name) : nullptr;
    VLM_ASSERT(bin != NULL);
    return bin;
}

Video* ResourceDefinition::getVideo(const std::string& name)
{
    Video* video = VLMPulsvek::videoDataPool ? VLMPulsvek::videoDataPool->getVideo(name) : nullptr;
    VLM_ASSERT(video != NULL);
    return video;
}
