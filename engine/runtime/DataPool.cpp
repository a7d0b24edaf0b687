#include "engine/runtime/DataPool.h"

#include "util/StringUtil.h"

DataPool::~DataPool() = default;

int DataPool::size() const
{
    return count;
}

std::string DataPool::toString() const
{
    return "DataPool { size = " + StringUtil::toString(count) + " }\n";
}
