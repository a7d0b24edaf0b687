#pragma once
// Videos by alias.

#include "engine/runtime/DataPool.h"

class Video;

class DataVideoPool : public DataPool {
public:
    DataVideoPool() = default;
    ~DataVideoPool() override;

    bool contains(const std::string& name) const;
    Video* getVideo(const std::string& name) const;
    void addVideo(const std::string& name, Video* video);

    int size() const override;
    std::string toString() const override;

private:
    std::map<std::string, Video*> videos;
};

namespace VLMPulsvek {
extern DataVideoPool* videoDataPool;
}
