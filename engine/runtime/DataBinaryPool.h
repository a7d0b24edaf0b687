#pragma once
// Binary resources by alias.

#include "engine/runtime/DataPool.h"

class Binary;

class DataBinaryPool : public DataPool {
public:
    DataBinaryPool() = default;
    ~DataBinaryPool() override;

    bool contains(const std::string& name) const;
    Binary* getBinary(const std::string& name) const;
    void addBinary(const std::string& name, Binary* binary);
    // The i-th binary in name order; null outside 0..size()-1.
    Binary* getAt(int i) const;

    int size() const override;
    std::string toString() const override;

private:
    std::map<std::string, Binary*> binaries;
};

namespace VLMPulsvek {
extern DataBinaryPool* binaryDataPool;
}
