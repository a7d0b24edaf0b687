#include "engine/runtime/DataObjectPool.h"

#include "util/Log.h"

// The pool deletes its scenes once the scene class is part of the build; until
// then it only holds them.
#if __has_include("engine/render/VLMScene.h")
#include "engine/render/VLMScene.h"
#define PULSVEK_POOL_OWNS_SCENES 1
#endif

namespace VLMPulsvek {
DataObjectPool* sceneDataPool = nullptr;
}

DataObjectPool::~DataObjectPool()
{
    vlm::logLine("[Dispose objectPool]");
#ifdef PULSVEK_POOL_OWNS_SCENES
    deleteAll(scenes);
#else
    scenes.clear();
#endif
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
#ifdef PULSVEK_POOL_OWNS_SCENES
    bool added = storeIn(scenes, name, scene);
#else
    bool added = scenes.count(name) == 0;
    scenes[name] = scene;
#endif
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
