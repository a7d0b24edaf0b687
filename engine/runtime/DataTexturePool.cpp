#include "engine/runtime/DataTexturePool.h"

#include "engine/render/Texture.h"
#include "util/Log.h"
#include "util/StringUtil.h"

#include <climits>

namespace VLMPulsvek {
DataTexturePool* textureDataPool = nullptr;
}

DataTexturePool::~DataTexturePool()
{
    vlm::logLine("[Dispose texturePool]");
    deleteEntries();
    aliases.clear();
    textureCount = 0;
}

void DataTexturePool::addTexture(const std::string& alias, Texture* texture)
{
    // A displaced texture's own name no longer leads to this alias.
    Texture* old = find(alias);
    if (old && old != texture) {
        auto it = aliases.find(old->getName());
        if (it != aliases.end() && it->second == alias)
            aliases.erase(it);
    }
    if (store(alias, texture))
        ++textureCount;
    if (texture) {
        std::string name = texture->getName();
        if (!name.empty())
            aliases[name] = alias;
    }
}

void DataTexturePool::createTexture(const std::string& alias, const std::string& textureName, unsigned int glId)
{
    addTexture(alias, new Texture(textureName, glId));
    aliases[textureName] = alias;
}

bool DataTexturePool::containsTextureName(const std::string& name) const
{
    return aliases.count(name) != 0;
}

int DataTexturePool::getTotalMemory() const
{
    long long total = 0;
    for (const auto& entry : entries)
        if (entry.second)
            total += entry.second->getByteSize();
    return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

std::vector<int> DataTexturePool::getTextureIds() const
{
    std::vector<int> ids;
    ids.reserve(entries.size());
    for (const auto& entry : entries)
        if (entry.second)
            ids.push_back(static_cast<int>(entry.second->getId()));
    return ids;
}

int DataTexturePool::getTextureId(const std::string& alias) const
{
    Texture* texture = getTexture(alias);
    return texture ? static_cast<int>(texture->getId()) : 0;
}

int DataTexturePool::getTextureIdByName(const std::string& name) const
{
    auto it = aliases.find(name);
    return it == aliases.end() ? 0 : getTextureId(it->second);
}

std::string DataTexturePool::toString() const
{
    int bytes = getTotalMemory();
    float megabytes = static_cast<float>(bytes) / 1024.0f / 1024.0f;
    std::string text = "DataTexturePool {\n";
    text += "    total memory size : " + StringUtil::toString(megabytes) + " MB - " + StringUtil::toString(bytes) +
            "    numTextures = " + StringUtil::toString(size()) + "\n";
    text += listEntries("    ", [](const Texture* t) { return t ? t->toString() : std::string("null\n"); });
    text += "}\n";
    return text;
}
