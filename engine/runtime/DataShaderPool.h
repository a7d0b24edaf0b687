#pragma once
// Shader programs by name.

#include "engine/runtime/DataPool.h"

class Shader;

class DataShaderPool : public NamedDataPool<Shader> {
public:
    DataShaderPool() = default;
    ~DataShaderPool() override;

    Shader* getShader(const std::string& name) const { return find(name); }
    void addShader(const std::string& name, Shader* shader);

    // Also prints "Shaders in pool : " and the count.
    std::string toString() const override;
};

namespace VLMPulsvek {
extern DataShaderPool* shaderDataPool;
}
