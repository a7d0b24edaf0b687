#include "engine/runtime/Effect.h"

#include "engine/render/ShaderCache.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/DataBinaryPool.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "engine/runtime/TrackInterpolate.h"
#include "util/Assert.h"
#include "util/Log.h"

#include <cstddef>

namespace {
std::string startFailure;
}

Effect::Effect() : useTrackData(false) {}

Effect::~Effect()
{
    for (TrackInterpolate* track : tracks)
        delete track;
}

void Effect::update(int) {}

void Effect::draw(int, int, FBO*)
{
    vlm::logLine("Fallback draw method! This should never happen!");
}

void Effect::postDraw(int) {}

void Effect::init() {}

Effect* Effect::clone()
{
    return new Effect();
}

void Effect::createTracks() {}

void Effect::addTrack(const std::string& name, TrackInterpolate*& out)
{
    out = new TrackInterpolate(name);
    tracks.push_back(out);
}

Shader* Effect::getShader(const std::string& name)
{
    Shader* shader = VLMPulsvek::shaderDataPool ? VLMPulsvek::shaderDataPool->getShader(name) : nullptr;
    VLM_ASSERT(shader != NULL);
    return shader;
}

Texture* Effect::getTexture(const std::string& name)
{
    Texture* tex = VLMPulsvek::textureDataPool ? VLMPulsvek::textureDataPool->getTexture(name) : nullptr;
    VLM_ASSERT(tex!=NULL);
    return tex;
}

FBO* Effect::getFBO(const std::string& name)
{
    FBO* fbo = VLMPulsvek::fboDataPool ? VLMPulsvek::fboDataPool->getFBO(name) : nullptr;
    VLM_ASSERT(fbo != NULL);
    return fbo;
}

VLMScene* Effect::getScene(const std::string& name)
{
    VLMScene* scene = VLMPulsvek::sceneDataPool ? VLMPulsvek::sceneDataPool->getScene(name) : nullptr;
    VLM_ASSERT(scene != NULL);
    return scene;
}

Binary* Effect::getBinary(const std::string& name)
{
    Binary* bin = VLMPulsvek::binaryDataPool ? VLMPulsvek::binaryDataPool->getBinary(name) : nullptr;
    VLM_ASSERT(bin != NULL);
    return bin;
}

Effect* Effect::getEffect(const std::string& name)
{
    Effect* effect = VLMPulsvek::effectInstanceDataPool ? VLMPulsvek::effectInstanceDataPool->get(name) : nullptr;
    VLM_ASSERT(effect != NULL);
    return effect;
}

ShaderCacheEntry* Effect::getShaderCacheEntry(const std::string& name)
{
    VLM_ASSERT(VLMPulsvek::shaderCache != NULL);
    return VLMPulsvek::shaderCache->get(name);
}

Object* Effect::findSceneObject(VLMScene* scene, const std::string& name)
{
    VLM_ASSERT(scene != NULL);
    Object* obj = scene->findObject(name);
    if (!obj) {
        const std::string& file = scene->getSourceFile();
        vlm::logLine("Object '", name, "' not found in '", file, "'");
        failStart("Failed to find object '" + name + "'!\nFile : '" + file + "'");
    }
    return obj;
}

void Effect::failStart(const std::string& message)
{
    if (startFailure.empty())
        startFailure = message;
}

std::string Effect::takeStartFailure()
{
    std::string message;
    message.swap(startFailure);
    return message;
}
