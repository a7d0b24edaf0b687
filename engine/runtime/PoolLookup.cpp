#include "engine/runtime/PoolLookup.h"

#include "engine/runtime/DataBinaryPool.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "engine/runtime/DataVideoPool.h"

namespace {

// The pool's answer, or the assertion at the caller's place.
template <typename Pool, typename Get>
auto required(Pool* pool, Get get, const std::string& name, const char* condition, vlm::SourcePlace at)
{
    auto* value = pool ? (pool->*get)(name) : nullptr;
    if (!value)
        vlm::assertionFailed(condition, at.file, at.line);
    return value;
}

}

namespace lookup {

Shader* shader(const std::string& name, vlm::SourcePlace at)
{
    return required(VLMPulsvek::shaderDataPool, &DataShaderPool::getShader, name, "shader != NULL", at);
}

Texture* texture(const std::string& name, vlm::SourcePlace at)
{
    return required(VLMPulsvek::textureDataPool, &DataTexturePool::getTexture, name, "tex!=NULL", at);
}

FBO* fbo(const std::string& name, vlm::SourcePlace at)
{
    return required(VLMPulsvek::fboDataPool, &DataFBOPool::getFBO, name, "fbo != NULL", at);
}

VLMScene* scene(const std::string& name, vlm::SourcePlace at)
{
    return required(VLMPulsvek::sceneDataPool, &DataObjectPool::getScene, name, "scene != NULL", at);
}

Binary* binary(const std::string& name, vlm::SourcePlace at)
{
    return required(VLMPulsvek::binaryDataPool, &DataBinaryPool::getBinary, name, "bin != NULL", at);
}

Video* video(const std::string& name, vlm::SourcePlace at)
{
    return required(VLMPulsvek::videoDataPool, &DataVideoPool::getVideo, name, "video != NULL", at);
}

Effect* effect(DataEffectPool* pool, const std::string& name, vlm::SourcePlace at)
{
    return required(pool, &DataEffectPool::get, name, "effect != NULL", at);
}

}
