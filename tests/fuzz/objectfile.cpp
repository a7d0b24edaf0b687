// Object files: read into a scene (meshes uploaded to a hidden GL context).

#include "FuzzSupport.h"

#include "engine/render/ObjectFile.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/VLMIO.h"

#include <memory>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLog();
    fuzz::openGLContext();
    VLMIO::loadMode = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::writeScratch("object.vbo", data, size);
    // The reader declares the textures the file names.
    VLMPulsvek::textureDefinitions.clear();
    ObjectFile reader(path);
    std::unique_ptr<VLMScene> scene(reader.load());
    if (scene) {
        scene->updateMatrices(0.5f);
        for (int i = 0; i < scene->getObjectCount(); ++i)
            scene->findObject(scene->getObject(i)->getName());
    }
    VLMPulsvek::textureDefinitions.clear();
    return 0;
}
