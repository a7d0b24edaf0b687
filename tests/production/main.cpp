// Runs the test production: testshow [load mode, 0 folders (default) or 1
// archive] [end time as minutes:seconds:milliseconds] [window title]. Exit
// status 1 when the start failed.

#include "TestProduction.h"

#include "engine/render/ScreenSettings.h"
#include "engine/render/ShaderCache.h"
#include "engine/runtime/Show.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const int mode = argc > 1 ? std::atoi(argv[1]) : 0;
    const std::string endTime = argc > 2 ? argv[2] : "00:01:000";

    ScreenSettings settings;
    settings.setResolution(320, 180);
    settings.setFullscreen(false);

    ShowParts show;
    show.makeResources = [&endTime] { return new TestProduction(endTime); };
    show.makeShaderCache = [] { return new ShaderCache(); };
    // A title of its own by default, so that tests looking for the shipped
    // program's window never find this one.
    show.title = argc > 3 ? argv[3] : "Velmora Pulsvek test production";
    return runShow(argc, argv, settings, mode, show) ? 0 : 1;
}
