// Program entry: the launcher dialog, then the show in the chosen mode.
// Exit status 1 when the show could not start.

#include "demo/DemoResources.h"
#include "demo/DemoShaderCache.h"
#include "engine/render/ScreenSettings.h"
#include "engine/runtime/Demo.h"
#include "engine/runtime/ProgressBar.h"
#include "engine/runtime/ResourceDefinition.h"
#include "launcher/VLMGui.h"
#include "util/Log.h"

#include <FL/Fl.H>

namespace {

// Load from "resources.7z".
constexpr int kResourceMode = 1;

}

int main(int argc, char** argv)
{
    ScreenSettings settings;
    VLMGui gui(450, 300, "Velmora Pulsvek v.3.0");
    Fl::scheme("gtk+");
    Fl::run();

    settings.setResolution(VLMGui::getWidth(), VLMGui::getHeight());
    settings.setFullscreen(VLMGui::getFullscreen());
    settings.setFlag2(true);
    settings.setOption(VLMGui::getOption());

    if (VLMGui::getQuit()) {
        vlm::logLine("Quit demo");
        return 0;
    }
    vlm::logLine("Run demo");

    bool ok = false;
    {
        Demo demo(argc, argv);
        VLMPulsvek::progressBar = new ProgressBar();
        VLMPulsvek::shaderCache = new DemoShaderCache();
        VLMPulsvek::resources = new DemoResources();
        demo.init(&settings, kResourceMode);
        demo.setCallbacks();
        demo.run();
        demo.shutdown();
        ok = demo.isOk();
    }
    // The shutdown deleted the progress bar. The resource definition and the
    // cache hold no GL objects (the light volumes stay with the cache's class).
    delete VLMPulsvek::resources;
    VLMPulsvek::resources = nullptr;
    delete VLMPulsvek::shaderCache;
    VLMPulsvek::shaderCache = nullptr;
    return ok ? 0 : 1;
}
