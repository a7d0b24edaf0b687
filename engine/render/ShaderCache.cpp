#include "engine/render/ShaderCache.h"

#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/PoolLookup.h"
#include "util/Assert.h"

namespace VLMPulsvek {
ShaderCache* shaderCache = nullptr;
}

ShaderCache::~ShaderCache()
{
    for (auto& entry : entries)
        delete entry.second;
    entries.clear();
}

ShaderCacheEntry* ShaderCache::get(const std::string& name) const
{
    auto it = entries.find(name);
    if (it == entries.end())
        VLM_ASSERT(0);
    return it->second;
}

void ShaderCache::add(const std::string& name, ShaderCacheEntry* entry)
{
    if (exists(name))
        VLM_ASSERT(0);
    entries[name] = entry;
}

Shader* ShaderCache::getShader(const std::string& name)
{
    return lookup::shader(name, VLM_HERE);
}

Texture* ShaderCache::getTexture(const std::string& name)
{
    return lookup::texture(name, VLM_HERE);
}

VLMScene* ShaderCache::getScene(const std::string& name)
{
    return lookup::scene(name, VLM_HERE);
}

FBO* ShaderCache::getFBO(const std::string& name)
{
    return lookup::fbo(name, VLM_HERE);
}

int ShaderCache::getSceneCount()
{
    return VLMPulsvek::sceneDataPool->size();
}

VLMScene* ShaderCache::getSceneAt(int i)
{
    VLM_ASSERT(i >= 0 && i < VLMPulsvek::sceneDataPool->size());
    return VLMPulsvek::sceneDataPool->getAt(i);
}
