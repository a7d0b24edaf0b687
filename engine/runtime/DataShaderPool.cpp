#include "engine/runtime/DataShaderPool.h"

#include "engine/render/Shader.h"
#include "util/Log.h"

namespace VLMPulsvek {
DataShaderPool* shaderDataPool = nullptr;
}

DataShaderPool::~DataShaderPool()
{
    deleteEntries();
}

void DataShaderPool::addShader(const std::string& name, Shader* shader)
{
    store(name, shader);
}

std::string DataShaderPool::toString() const
{
    vlm::logLine("Shaders in pool : ", size());
    std::string text = "ShaderPool {\n";
    if (entries.empty())
        text += "<Empty>\n";
    text += listEntries("  ", [](const Shader* s) { return (s ? s->toString() : std::string("null")) + "\n"; });
    text += "}\n";
    return text;
}
