#pragma once
// Binary resources by alias.

#include "engine/runtime/DataPool.h"

class Binary;

class DataBinaryPool : public NamedDataPool<Binary> {
public:
    DataBinaryPool() = default;
    ~DataBinaryPool() override;

    Binary* getBinary(const std::string& name) const { return find(name); }
    void addBinary(const std::string& name, Binary* binary);
    // The i-th binary in name order; null outside 0..size()-1.
    using NamedDataPool::getAt;

    std::string toString() const override;
};

namespace VLMPulsvek {
extern DataBinaryPool* binaryDataPool;
}
