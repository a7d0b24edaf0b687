#pragma once
// Effects by name: prototypes by class name, instances by instance name. The
// pool owns its effects.

#include "engine/runtime/DataPool.h"

class Effect;

class DataEffectPool : public NamedDataPool<Effect> {
public:
    DataEffectPool() = default;
    ~DataEffectPool() override;

    std::string toString() const override;

    // An effect displaced by a second add under its name is deleted.
    void add(const std::string& name, Effect* effect);
    // The effect under the name. An absent name is entered with a null effect (the
    // pool's size grows) and null is returned.
    Effect* get(const std::string& name) { return entries[name]; }
    // Erases the entry; the caller takes the effect.
    void remove(const std::string& name) { entries.erase(name); }
    // Name of the index-th entry in name order; empty outside 0..size()-1.
    using NamedDataPool::nameAt;
};

namespace VLMPulsvek {
extern DataEffectPool* effectDataPool;         // prototypes by class name
extern DataEffectPool* effectInstanceDataPool; // instances by instance name
}
