#include "demo/Anisotropy.h"

#include "util/Log.h"

#include <GL/glew.h>

#include <cctype>
#include <string>

namespace Anisotropy {

bool isSoftwareRenderer(const char* renderer)
{
    if (!renderer)
        return false;
    std::string text(renderer);
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.find("llvmpipe") != std::string::npos || text.find("softpipe") != std::string::npos;
}

float forRenderer(const char* renderer, bool& reported)
{
    if (!isSoftwareRenderer(renderer))
        return FULL;
    if (!reported) {
        vlm::logLine("Software rasteriser ", renderer, ": no anisotropic filtering");
        reported = true;
    }
    return 1.0f;
}

float current()
{
    static bool reported = false;
    return forRenderer(reinterpret_cast<const char*>(glGetString(GL_RENDERER)), reported);
}

}
