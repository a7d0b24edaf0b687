#pragma once
// Textures by alias, with a record of which alias each texture's own name
// (its file, or a framebuffer attachment name) was added under.

#include "engine/runtime/DataPool.h"

#include <vector>

class Texture;

class DataTexturePool : public NamedDataPool<Texture> {
public:
    DataTexturePool() = default;
    ~DataTexturePool() override;

    Texture* getTexture(const std::string& alias) const { return find(alias); }
    void addTexture(const std::string& alias, Texture* texture);
    // Wraps the existing GL texture glId as a new texture named textureName.
    void createTexture(const std::string& alias, const std::string& textureName, unsigned int glId);

    bool containsTextureName(const std::string& name) const;
    std::map<std::string, std::string> getAliases() const { return aliases; }
    std::map<std::string, Texture*>& getTextures() { return entries; }
    int getTotalMemory() const;
    std::vector<int> getTextureIds() const;
    // GL names; 0 when the alias or the name is absent.
    int getTextureId(const std::string& alias) const;
    int getTextureIdByName(const std::string& name) const;

    std::string toString() const override;

private:
    int textureCount = 0;
    std::map<std::string, std::string> aliases;
};

namespace VLMPulsvek {
extern DataTexturePool* textureDataPool;
}
