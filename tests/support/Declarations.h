#pragma once
// Empties the engine's resource declaration lists, the included-file list and
// the music file name for its lifetime, and puts them back afterwards.

#include "engine/runtime/ResourceDefinition.h"

#include <string>
#include <vector>

namespace testsupport {

class DeclarationScope {
public:
    DeclarationScope();
    ~DeclarationScope();
    DeclarationScope(const DeclarationScope&) = delete;
    DeclarationScope& operator=(const DeclarationScope&) = delete;

private:
    void swapAll();

    std::vector<TextureDefinition> textures;
    std::vector<FileDefinition> objects, animations, binaries, videos;
    std::vector<ShaderDefinition> shaders;
    std::vector<std::string> included;
    std::string music;
};

}
