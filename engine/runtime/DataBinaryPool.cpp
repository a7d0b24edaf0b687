#include "engine/runtime/DataBinaryPool.h"

#include "engine/runtime/Binary.h"
#include "util/Log.h"
#include "util/StringUtil.h"

namespace VLMPulsvek {
DataBinaryPool* binaryDataPool = nullptr;
}

DataBinaryPool::~DataBinaryPool()
{
    vlm::logLine("[Dispose binaryPool]");
    deleteAll(binaries);
    count = 0;
}

bool DataBinaryPool::contains(const std::string& name) const
{
    return binaries.count(name) != 0;
}

Binary* DataBinaryPool::getBinary(const std::string& name) const
{
    return findIn(binaries, name);
}

void DataBinaryPool::addBinary(const std::string& name, Binary* binary)
{
    if (storeIn(binaries, name, binary))
        ++count;
}

Binary* DataBinaryPool::getAt(int i) const
{
    return entryAt(binaries, i);
}

int DataBinaryPool::size() const
{
    return static_cast<int>(binaries.size());
}

std::string DataBinaryPool::toString() const
{
    std::string text = "DataBinaryPool {\n";
    text += "    num3dObjects = " + StringUtil::toString(size()) + "\n";
    for (const auto& entry : binaries)
        text += "    " + entry.first + " = " + (entry.second ? entry.second->toString() : std::string("null\n"));
    text += "}\n";
    return text;
}
