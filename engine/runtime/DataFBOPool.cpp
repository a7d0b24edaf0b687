#include "engine/runtime/DataFBOPool.h"

#include "engine/render/FBO.h"
#include "util/Log.h"

namespace VLMPulsvek {
DataFBOPool* fboDataPool = nullptr;
}

DataFBOPool::~DataFBOPool()
{
    // A framebuffer displaced by a second add under its name stays in the add
    // list, so it is deleted here with the others, once.
    std::set<FBO*> distinct(fboList.begin(), fboList.end());
    for (const auto& entry : entries)
        distinct.insert(entry.second);
    distinct.erase(nullptr);
    entries.clear();
    fboList.clear();
    nameList.clear();
    for (FBO* fbo : distinct)
        delete fbo;
}

FBO* DataFBOPool::getFBO(const std::string& name) const
{
    auto it = entries.find(name);
    if (it == entries.end()) {
        vlm::logLine("FBO::getFBO(", name, ") cannot find the requested VBO");
        return nullptr;
    }
    return it->second;
}

void DataFBOPool::addFBO(const std::string& name, FBO* fbo)
{
    entries[name] = fbo;
    fboList.push_back(fbo);
    nameList.push_back(name);
}

FBO* DataFBOPool::getFBOAt(int i) const
{
    if (i < 0 || i >= static_cast<int>(fboList.size()))
        return nullptr;
    return fboList[static_cast<size_t>(i)];
}

std::string DataFBOPool::getNameAt(int i) const
{
    if (i < 0 || i >= static_cast<int>(nameList.size()))
        return std::string();
    return nameList[static_cast<size_t>(i)];
}

void DataFBOPool::clearDirty()
{
    for (const auto& entry : entries)
        if (fboIsDirty(entry.second))
            fboBindAndClear(entry.second);
    fboBind(nullptr);
}

std::string DataFBOPool::toString() const
{
    return "FBOPool {\n" + listEntries("  ", [](FBO* fbo) { return fboToString(fbo) + "\n"; }) + "}\n";
}
