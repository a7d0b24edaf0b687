#include "support/Declarations.h"

#include "engine/render/Engine.h"

namespace testsupport {

DeclarationScope::DeclarationScope()
{
    swapAll();
}

DeclarationScope::~DeclarationScope()
{
    swapAll();
}

void DeclarationScope::swapAll()
{
    textures.swap(VLMPulsvek::textureDefinitions);
    objects.swap(VLMPulsvek::objectDefinitions);
    animations.swap(VLMPulsvek::animationDefinitions);
    binaries.swap(VLMPulsvek::binaryDefinitions);
    shaders.swap(VLMPulsvek::shaderDefinitions);
    videos.swap(VLMPulsvek::videoDefinitions);
    included.swap(VLMPulsvek::includedFiles);
    music.swap(VLMPulsvek::musicFile);
}

}
