#pragma once
// Videos by alias.

#include "engine/runtime/DataPool.h"

class Video;

class DataVideoPool : public NamedDataPool<Video> {
public:
    DataVideoPool() = default;
    ~DataVideoPool() override;

    Video* getVideo(const std::string& name) const { return find(name); }
    void addVideo(const std::string& name, Video* video);

    std::string toString() const override;
};

namespace VLMPulsvek {
extern DataVideoPool* videoDataPool;
}
