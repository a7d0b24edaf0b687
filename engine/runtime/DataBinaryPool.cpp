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
    deleteEntries();
    count = 0;
}

void DataBinaryPool::addBinary(const std::string& name, Binary* binary)
{
    if (store(name, binary))
        ++count;
}

std::string DataBinaryPool::toString() const
{
    std::string text = "DataBinaryPool {\n";
    text += "    num3dObjects = " + StringUtil::toString(size()) + "\n";
    text += listEntries("    ", [](const Binary* b) { return b ? b->toString() : std::string("null\n"); });
    text += "}\n";
    return text;
}
