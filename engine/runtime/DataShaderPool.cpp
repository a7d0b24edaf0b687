#include "engine/runtime/DataShaderPool.h"

#include "engine/render/Shader.h"
#include "util/Log.h"

namespace VLMPulsvek {
DataShaderPool* shaderDataPool = nullptr;
}

DataShaderPool::~DataShaderPool()
{
    deleteAll(shaders);
}

bool DataShaderPool::contains(const std::string& name) const
{
    return shaders.count(name) != 0;
}

Shader* DataShaderPool::getShader(const std::string& name) const
{
    return findIn(shaders, name);
}

void DataShaderPool::addShader(const std::string& name, Shader* shader)
{
    storeIn(shaders, name, shader);
}

int DataShaderPool::size() const
{
    return static_cast<int>(shaders.size());
}

std::string DataShaderPool::toString() const
{
    vlm::logLine("Shaders in pool : ", size());
    std::string text = "ShaderPool {\n";
    if (shaders.empty())
        text += "<Empty>\n";
    for (const auto& entry : shaders)
        text += "  " + entry.first + " = " + (entry.second ? entry.second->toString() : std::string("null")) + "\n";
    text += "}\n";
    return text;
}
