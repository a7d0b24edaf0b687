#include "tools/ResourcePacker.h"

#include "engine/render/Engine.h"
#include "engine/render/Geometry.h"
#include "engine/render/ScreenSettings.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/ResourceLoader.h"
#include "engine/runtime/VLMIO.h"
#include "platform/Glfw27.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace {

// Single quotes for the shell.
std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool load(ResourceLoader& loader, std::string& error)
{
    ScreenSettings settings;
    settings.setResolution(320, 180);
    settings.setFullscreen(false);
    VLMPulsvek::resources->configure(&settings);
    // Whatever the production asks for, the packer's window is small and hidden.
    settings.setResolution(320, 180);
    settings.setFullscreen(false);
    if (!openWindowed(&settings, "pack")) {
        error = getLastError();
        return false;
    }
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK || !GLEW_VERSION_3_2) {
        error = "No OpenGL 3.2 support found!";
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    Geometry::init();
    if (!loader.loadResources()) {
        error = loader.getMessage();
        return false;
    }
    return true;
}

}

int runResourcePacker(ResourceDefinition* production, int argc, char** argv)
{
    const std::string archiver = argc > 1 ? argv[1] : "7z";
    const std::string script = argc > 2 ? argv[2] : "pack_resources.sh";

    VLMPulsvek::resources = production;
    vlm::logLine("[Packing Resources]");
    if (!glfw27::init()) {
        vlm::logLine("Failed to initialize GLFW");
        return 1;
    }
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MAJOR, 3);
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MINOR, 2);
    glfw27::openWindowHint(glfw27::OPENGL_PROFILE, glfw27::OPENGL_CORE_PROFILE);
    glfw27::openWindowHint(glfw27::WINDOW_HIDDEN, 1);

    VLMIO::setLoadMode(0);
    int status = 1;
    {
        ResourceLoader loader;
        loader.createDataPools();
        std::string error;
        if (!load(loader, error)) {
            vlm::logLine("Loading the resources failed:");
            vlm::logLine(error);
        } else if (!loader.writePackScript(archiver, script)) {
            vlm::logLine("Cannot write '", script, "'");
        } else {
            vlm::logLine("Running ", script);
            const int result = std::system(("sh " + quoted(script)).c_str());
            if (result != -1 && WIFEXITED(result) && WEXITSTATUS(result) == 0) {
                vlm::logLine("Packed resources.7z");
                status = 0;
            } else {
                vlm::logLine("Packing failed, see resources.7z.log");
            }
        }
        ResourceLoader::deletePools();
    }
    glfw27::terminate();
    delete VLMPulsvek::resources;
    VLMPulsvek::resources = nullptr;
    return status;
}
