#include "engine/runtime/DataVideoPool.h"

#include "engine/runtime/Video.h"
#include "util/Log.h"

namespace VLMPulsvek {
DataVideoPool* videoDataPool = nullptr;
}

DataVideoPool::~DataVideoPool()
{
    vlm::logLine("[Dispose videoPool]");
    deleteEntries();
}

void DataVideoPool::addVideo(const std::string& name, Video* video)
{
    store(name, video);
}

std::string DataVideoPool::toString() const
{
    return std::string();
}
