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
    deleteAll(effects);
}

int DataEffectPool::size() const
{
    return static_cast<int>(effects.size());
}

std::string DataEffectPool::toString() const
{
    std::string text = "EffectPool {\n";
    for (const auto& entry : effects)
        text += "    " + entry.first + " = Effect\n";
    text += "}\n";
    return text;
}

void DataEffectPool::add(const std::string& name, Effect* effect)
{
    storeIn(effects, name, effect);
}

Effect* DataEffectPool::get(const std::string& name) const
{
    return findIn(effects, name);
}

bool DataEffectPool::contains(const std::string& name) const
{
    return effects.count(name) != 0;
}

void DataEffectPool::remove(const std::string& name)
{
    effects.erase(name);
}

std::string DataEffectPool::nameAt(int index) const
{
    if (index < 0 || index >= size())
        return std::string();
    return std::next(effects.begin(), index)->first;
}
