#pragma once
// Scenes loaded from object files, by alias.

#include "engine/runtime/DataPool.h"

class VLMScene;

class DataObjectPool : public NamedDataPool<VLMScene> {
public:
    DataObjectPool() = default;
    ~DataObjectPool() override;

    VLMScene* getScene(const std::string& name) const { return find(name); }
    void addScene(const std::string& name, VLMScene* scene);
    // The i-th scene in name order; null outside 0..size()-1.
    using NamedDataPool::getAt;
    std::map<std::string, VLMScene*>& getScenes() { return entries; }

    std::string toString() const override;
};

namespace VLMPulsvek {
extern DataObjectPool* sceneDataPool;
}
