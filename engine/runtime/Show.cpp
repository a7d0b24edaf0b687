#include "engine/runtime/Show.h"

#include "engine/render/ShaderCache.h"
#include "engine/runtime/Demo.h"
#include "engine/runtime/ProgressBar.h"
#include "engine/runtime/ResourceDefinition.h"
#include "util/Assert.h"

bool runShow(int argc, char** argv, ScreenSettings& settings, int resourceMode, const ShowParts& parts)
{
    VLM_ASSERT(parts.makeResources);
    bool ok = false;
    {
        Demo demo(argc, argv);
        if (!parts.title.empty())
            demo.setTitle(parts.title);
        VLMPulsvek::progressBar = new ProgressBar();
        if (parts.makeShaderCache)
            VLMPulsvek::shaderCache = parts.makeShaderCache();
        VLMPulsvek::resources = parts.makeResources();
        const bool started = demo.init(&settings, resourceMode);
        if (parts.afterStart)
            parts.afterStart(started);
        demo.setCallbacks();
        demo.run();
        const bool ranOk = !parts.afterRun || parts.afterRun();
        demo.shutdown();
        ok = demo.isOk() && ranOk;
    }
    // The shutdown deleted the progress bar. The resource definition and the
    // cache hold no GL objects (the light volumes stay with the cache's class).
    delete VLMPulsvek::resources;
    VLMPulsvek::resources = nullptr;
    delete VLMPulsvek::shaderCache;
    VLMPulsvek::shaderCache = nullptr;
    return ok;
}
