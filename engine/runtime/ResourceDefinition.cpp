#include "engine/runtime/ResourceDefinition.h"

#include "engine/render/Engine.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/FBO.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/PoolLookup.h"
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
    Effect* instance = lookup::effect(VLMPulsvek::effectDataPool, className, VLM_HERE)->clone();
    VLM_ASSERT(instance != NULL);
    instance->useTrackData = useTrackData;
    instance->createTracks();
    VLM_ASSERT(VLMPulsvek::effectInstanceDataPool != NULL);
    VLMPulsvek::effectInstanceDataPool->add(instanceName, instance);
    return instance;
}

Shader* ResourceDefinition::getShader(const std::string& name)
{
    return lookup::shader(name, VLM_HERE);
}

Texture* ResourceDefinition::getTexture(const std::string& name)
{
    return lookup::texture(name, VLM_HERE);
}

FBO* ResourceDefinition::getFBO(const std::string& name)
{
    return lookup::fbo(name, VLM_HERE);
}

VLMScene* ResourceDefinition::getScene(const std::string& name)
{
    return lookup::scene(name, VLM_HERE);
}

Binary* ResourceDefinition::getBinary(const std::string& name)
{
    return lookup::binary(name, VLM_HERE);
}

Video* ResourceDefinition::getVideo(const std::string& name)
{
    return lookup::video(name, VLM_HERE);
}
