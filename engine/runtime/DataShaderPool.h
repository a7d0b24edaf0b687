#pragma once
// Shader programs by name.

#include "engine/runtime/DataPool.h"

class Shader;

class DataShaderPool : public DataPool {
public:
    DataShaderPool() = default;
    ~DataShaderPool() override;

    bool contains(const std::string& name) const;
    Shader* getShader(const std::string& name) const;
    void addShader(const std::string& name, Shader* shader);

    int size() const override;
    // Also prints "Shaders in pool : " and the count.
    std::string toString() const override;

private:
    std::map<std::string, Shader*> shaders;
};

namespace VLMPulsvek {
extern DataShaderPool* shaderDataPool;
}
