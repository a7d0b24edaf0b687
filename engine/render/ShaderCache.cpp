#include "engine/render/ShaderCache.h"

#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
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
    Shader* shader = VLMPulsvek::shaderDataPool->getShader(name);
    VLM_ASSERT(shader != NULL);
    return shader;
}

Texture* ShaderCache::getTexture(const std::string& name)
{
    Texture* tex = VLMPulsvek::textureDataPool->getTexture(name);
    VLM_ASSERT(tex!=NULL);
    return tex;
}

VLMScene* ShaderCache::getScene(const std::string& name)
{
    VLMScene* scene = VLMPulsvek::sceneDataPool->getScene(name);
    VLM_ASSERT(scene != NULL);
    return scene;
}

FBO* ShaderCache::getFBO(const std::string& name)
{
    FBO* fbo = VLMPulsvek::fboDataPool->getFBO(name);
    VLM_ASSERT(fbo != NULL);
    return fbo;
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
