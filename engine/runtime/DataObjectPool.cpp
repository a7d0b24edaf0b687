#include "engine/runtime/DataObjectPool.h"

#include "engine/render/VLMScene.h"
#include "util/Log.h"

namespace VLMPulsvek {
DataObjectPool* sceneDataPool = nullptr;
}

DataObjectPool::~DataObjectPool()
{
    vlm::logLine("[Dispose objectPool]");
    deleteAll(scenes);
    count = 0;
}

bool DataObjectPool::contains(const std::string& name) const
{
    return scenes.count(name) != 0;
}

VLMScene* DataObjectPool::getScene(const std::string& name) const
{
    return findIn(scenes, name);
}

void DataObjectPool::addScene(const std::string& name, VLMScene* scene)
{
    bool added = storeIn(scenes, name, scene);
    if (added)
        ++count;
}

VLMScene* DataObjectPool::getAt(int i) const
{
    return entryAt(scenes, i);
}

int DataObjectPool::size() const
{
    return static_cast<int>(scenes.size());
}

std::string DataObjectPool::toString() const
{
    return "DataObjectPool {\n}\n";
}
