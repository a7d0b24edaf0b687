#include "engine/render/Engine.h"

#include "engine/render/Camera.h"
#include "engine/render/ScreenSettings.h"
#include "engine/runtime/Demo.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/Rows.h"
#include "platform/Glfw27.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <algorithm>

namespace VLMPulsvek {
ScreenSettings* screenSettings = nullptr;
bool quit = false;
std::string musicFile;
TimeCode startTime(0, 0, 0);
TimeCode endTime(SHOW_MINUTES, 0, 0);
std::vector<TextureDefinition> textureDefinitions;
std::vector<FileDefinition> objectDefinitions;
std::vector<FileDefinition> animationDefinitions;
std::vector<FileDefinition> binaryDefinitions;
std::vector<ShaderDefinition> shaderDefinitions;
std::vector<FileDefinition> videoDefinitions;
std::vector<std::string> includedFiles;
std::string lastError;
bool glError = false;
int loopStartMs = 0;
unsigned int frameCount = 0;
void (*passListener)(const char*) = nullptr;
Camera* syscam = new Camera("syscam");
}

namespace {

bool openWindow(ScreenSettings* settings, int mode)
{
    VLMPulsvek::screenSettings = settings;
    if (!glfw27::openWindow(settings->getWidth(), settings->getHeight(), 8, 8, 8, 8, 24, 0, mode)) {
        VLMPulsvek::lastError = "Failed to open window";
        return false;
    }
    glfw27::enable(glfw27::MOUSE_CURSOR);
    return true;
}

const char* glErrorName(GLenum code)
{
    switch (code) {
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW: return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW: return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    default: return "Unknown Error";
    }
}

}

bool openFullscreen(ScreenSettings* settings)
{
    if (!openWindow(settings, glfw27::FULLSCREEN))
        return false;
    glfw27::swapInterval(1);
    return true;
}

bool openWindowed(ScreenSettings* settings, const char* title)
{
    if (!openWindow(settings, glfw27::WINDOW))
        return false;
    glfw27::setWindowTitle(title);
    glfw27::swapInterval(1);
    return true;
}

void setQuitFlag(bool quit)
{
    VLMPulsvek::quit = quit;
}

bool getQuitFlag()
{
    return VLMPulsvek::quit;
}

std::string getLastError()
{
    return VLMPulsvek::lastError;
}

float getAverageFPS(unsigned int nowMs)
{
    const unsigned int elapsedMs = nowMs - static_cast<unsigned int>(VLMPulsvek::loopStartMs);
    if (elapsedMs == 0)
        return 0.0f;
    return static_cast<float>(VLMPulsvek::frameCount * 1000.0 / elapsedMs);
}

bool checkGLError(const std::string& where)
{
    const GLenum code = glGetError();
    if (code == GL_NO_ERROR)
        return false;
    VLMPulsvek::glError = true;
    vlm::logLine("[GL_ERROR [", glErrorName(code), " (", code, ")] LOCATION = ['", where, "']");
    return true;
}

void addIncludedFile(const std::string& file)
{
    auto& files = VLMPulsvek::includedFiles;
    if (std::find(files.begin(), files.end(), file) == files.end())
        files.push_back(file);
}

void inputCallback(int key, int action)
{
    if (VLMPulsvek::currentDemo)
        Demo::keyPressed(key, action);
}
