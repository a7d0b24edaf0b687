#include "engine/runtime/DataVideoPool.h"

#include "engine/runtime/Video.h"
#include "util/Log.h"

namespace VLMPulsvek {
DataVideoPool* videoDataPool = nullptr;
}

DataVideoPool::~DataVideoPool()
{
    vlm::logLine("[Dispose videoPool]");
    deleteAll(videos);
}

bool DataVideoPool::contains(const std::string& name) const
{
    return videos.count(name) != 0;
}

Video* DataVideoPool::getVideo(const std::string& name) const
{
    return findIn(videos, name);
}

void DataVideoPool::addVideo(const std::string& name, Video* video)
{
    storeIn(videos, name, video);
}

int DataVideoPool::size() const
{
    return static_cast<int>(videos.size());
}

std::string DataVideoPool::toString() const
{
    return std::string();
}
