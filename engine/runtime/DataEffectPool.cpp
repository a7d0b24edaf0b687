#include "engine/runtime/DataEffectPool.h"

#include "engine/runtime/Effect.h"
#include "util/Log.h"

namespace VLMPulsvek {
DataEffectPool* effectDataPool = nullptr;
DataEffectPool* effectInstanceDataPool = nullptr;
}

DataEffectPool::~DataEffectPool()
{
    vlm::logLine("[Dispose effectPool]");
    deleteEntries();
}

void DataEffectPool::add(const std::string& name, Effect* effect)
{
    store(name, effect);
}

std::string DataEffectPool::toString() const
{
    return "EffectPool {\n" + listEntries("    ", [](const Effect*) { return std::string("Effect\n"); }) + "}\n";
}
