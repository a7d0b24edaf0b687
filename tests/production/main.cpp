// Runs the test production: testshow [load mode, 0 folders (default) or 1
// archive] [end time as minutes:seconds:milliseconds] [window title]. Exit
// status 1 when the start failed.

#include "TestProduction.h"

#include "engine/render/ScreenSettings.h"
#include "engine/render/ShaderCache.h"
#include "engine/runtime/Demo.h"
#include "engine/runtime/ProgressBar.h"
#include "engine/runtime/ResourceDefinition.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const int mode = argc > 1 ? std::atoi(argv[1]) : 0;
    const std::string endTime = argc > 2 ? argv[2] : "00:01:000";

    ScreenSettings settings;
    settings.setResolution(320, 180);
    settings.setFullscreen(false);

    Demo demo(argc, argv);
    // A title of its own by default, so that tests looking for the shipped
    // program's window never find this one.
    demo.setTitle(argc > 3 ? argv[3] : "Velmora Pulsvek test production");
    VLMPulsvek::progressBar = new ProgressBar();
    VLMPulsvek::shaderCache = new ShaderCache();
    VLMPulsvek::resources = new TestProduction(endTime);
    demo.init(&settings, mode);
    demo.setCallbacks();
    demo.run();
    demo.shutdown();
    const bool ok = demo.isOk();

    delete VLMPulsvek::resources;
    VLMPulsvek::resources = nullptr;
    delete VLMPulsvek::shaderCache;
    VLMPulsvek::shaderCache = nullptr;
    return ok ? 0 : 1;
}
