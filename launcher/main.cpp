// Program entry: the launcher dialog, then the show in the chosen mode.
// Exit status 1 when the show could not start.

#include "demo/DemoResources.h"
#include "demo/DemoShaderCache.h"
#include "engine/render/ScreenSettings.h"
#include "engine/runtime/Show.h"
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

    ShowParts show;
    show.makeResources = [] { return new DemoResources(); };
    show.makeShaderCache = [] { return new DemoShaderCache(); };
    return runShow(argc, argv, settings, kResourceMode, show) ? 0 : 1;
}
