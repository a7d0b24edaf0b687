#pragma once
// The production's hook into resource loading: init runs once after the
// textures are loaded. Holds named entries it owns, and offers asserting
// look-ups into the resource pools.

#include <map>
#include <string>

class FBO;
class Shader;
class VAO;
class Texture;
class VLMScene;

// Base of what a derived cache stores by name; the cache deletes its entries.
class ShaderCacheEntry {
public:
    virtual ~ShaderCacheEntry() = default;
};

class ShaderCache {
public:
    ShaderCache() = default;
    virtual ~ShaderCache();
    ShaderCache(const ShaderCache&) = delete;
    ShaderCache& operator=(const ShaderCache&) = delete;

    virtual void init() {}

    bool exists(const std::string& name) const { return entries.count(name) != 0; }
    ShaderCacheEntry* get(const std::string& name) const;
    // Takes ownership; a name may be added once.
    void add(const std::string& name, ShaderCacheEntry* entry);

    static Shader* getShader(const std::string& name);
    static Texture* getTexture(const std::string& name);
    static VLMScene* getScene(const std::string& name);
    static FBO* getFBO(const std::string& name);

    // The light volumes of deferred lighting, made once and kept to the end of
    // the program: "deferred:cube" (-1..1 on every axis) with its edges
    // "deferred:cubeLines", and "deferred:cone", a square pyramid with its apex
    // at the origin opening along -z to a base of half-width 0.5 at z = -1,
    // with its edges "deferred:coneLines". Positions are "in_Position".
    static void createCubeVolume();
    static void createConeVolume();
    static VAO* cubeVolume;
    static VAO* cubeLinesVolume;
    static VAO* coneVolume;
    static VAO* coneLinesVolume;

    static int getSceneCount();
    // The i-th scene of the object pool in name order.
    static VLMScene* getSceneAt(int i);

private:
    std::map<std::string, ShaderCacheEntry*> entries;
};

namespace VLMPulsvek {
// The engine's one shader cache: set by the program entry, else made by the loader.
extern ShaderCache* shaderCache;
}
