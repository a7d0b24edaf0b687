#include "engine/runtime/DataObjectPool.h"

#include "engine/render/VLMScene.h"
#include "util/Log.h"

namespace VLMPulsvek {
DataObjectPool* sceneDataPool = nullptr;
}

DataObjectPool::~DataObjectPool()
{
    vlm::logLine("[Dispose objectPool]");
    deleteEntries();
    count = 0;
}

void DataObjectPool::addScene(const std::string& name, VLMScene* scene)
{
    if (store(name, scene))
        ++count;
}

std::string DataObjectPool::toString() const
{
    return "DataObjectPool {\n}\n";
}
