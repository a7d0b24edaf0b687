#include "engine/runtime/Effect.h"

#include "engine/render/ShaderCache.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/PoolLookup.h"
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
    return lookup::shader(name, VLM_HERE);
}

Texture* Effect::getTexture(const std::string& name)
{
    return lookup::texture(name, VLM_HERE);
}

FBO* Effect::getFBO(const std::string& name)
{
    return lookup::fbo(name, VLM_HERE);
}

VLMScene* Effect::getScene(const std::string& name)
{
    return lookup::scene(name, VLM_HERE);
}

Binary* Effect::getBinary(const std::string& name)
{
    return lookup::binary(name, VLM_HERE);
}

Effect* Effect::getEffect(const std::string& name)
{
    return lookup::effect(VLMPulsvek::effectInstanceDataPool, name, VLM_HERE);
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
