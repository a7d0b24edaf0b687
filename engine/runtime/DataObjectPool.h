#pragma once
// Scenes loaded from object files, by alias.

#include "engine/runtime/DataPool.h"

class VLMScene;

class DataObjectPool : public DataPool {
public:
    DataObjectPool() = default;
    ~DataObjectPool() override;

    bool contains(const std::string& name) const;
    VLMScene* getScene(const std::string& name) const;
    void addScene(const std::string& name, VLMScene* scene);
    // The i-th scene in name order; null outside 0..size()-1.
    VLMScene* getAt(int i) const;
    std::map<std::string, VLMScene*>& getScenes() { return scenes; }

    int size() const override;
    std::string toString() const override;

private:
    std::map<std::string, VLMScene*> scenes;
};

namespace VLMPulsvek {
extern DataObjectPool* sceneDataPool;
}
