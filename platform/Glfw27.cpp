#include "platform/Glfw27.h"

#include <GLFW/glfw3.h>

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace glfw27 {

static_assert(KEY_ESC == GLFW_KEY_ESCAPE, "key codes are GLFW 3's");

namespace {

struct Hints {
    int major = 1;
    int minor = 0;
    int profile = 0;
    bool forwardCompat = false;
    bool hidden = false;
};

bool initialised = false;
Hints hints;
GLFWwindow* current = nullptr;
KeyFun keyFun = nullptr;
MouseButtonFun mouseButtonFun = nullptr;
WindowCloseFun closeFun = nullptr;

VideoModeSource modeSource = nullptr;

std::vector<VidMode> monitorModes()
{
    std::vector<VidMode> out;
    GLFWmonitor* monitor = initialised ? glfwGetPrimaryMonitor() : nullptr;
    if (!monitor)
        return out;
    int n = 0;
    const GLFWvidmode* modes = glfwGetVideoModes(monitor, &n);
    for (int i = 0; modes && i < n; ++i) {
        VidMode m;
        m.Width = modes[i].width;
        m.Height = modes[i].height;
        m.RedBits = modes[i].redBits;
        m.GreenBits = modes[i].greenBits;
        m.BlueBits = modes[i].blueBits;
        out.push_back(m);
    }
    return out;
}

void onKey(GLFWwindow*, int key, int, int action, int)
{
    if (action == GLFW_REPEAT)
        return;
    if (keyFun)
        keyFun(key, action);
}

void onMouseButton(GLFWwindow*, int button, int action, int)
{
    if (mouseButtonFun)
        mouseButtonFun(button, action);
}

void onClose(GLFWwindow* w)
{
    bool close = closeFun ? closeFun() != 0 : true;
    glfwSetWindowShouldClose(w, close ? GLFW_TRUE : GLFW_FALSE);
}

}

int init()
{
    if (initialised)
        return 1;
    initialised = glfwInit() == GLFW_TRUE;
    return initialised ? 1 : 0;
}

void terminate()
{
    closeWindow();
    if (initialised)
        glfwTerminate();
    initialised = false;
    hints = Hints();
}

void openWindowHint(int target, int hint)
{
    switch (target) {
    case OPENGL_VERSION_MAJOR: hints.major = hint; break;
    case OPENGL_VERSION_MINOR: hints.minor = hint; break;
    case OPENGL_PROFILE: hints.profile = hint; break;
    case OPENGL_FORWARD_COMPAT: hints.forwardCompat = hint != 0; break;
    case WINDOW_HIDDEN: hints.hidden = hint != 0; break;
    default: break;
    }
}

int openWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
               int depthBits, int stencilBits, int mode)
{
    if (!initialised || current || width <= 0 || height <= 0)
        return 0;
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RED_BITS, redBits);
    glfwWindowHint(GLFW_GREEN_BITS, greenBits);
    glfwWindowHint(GLFW_BLUE_BITS, blueBits);
    glfwWindowHint(GLFW_ALPHA_BITS, alphaBits);
    glfwWindowHint(GLFW_DEPTH_BITS, depthBits);
    glfwWindowHint(GLFW_STENCIL_BITS, stencilBits);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, hints.major);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, hints.minor);
    if (hints.profile == OPENGL_CORE_PROFILE) {
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        // A core context above 3.1 needs forward compatibility on some systems.
        glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    } else if (hints.forwardCompat) {
        glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    }
    glfwWindowHint(GLFW_VISIBLE, hints.hidden ? GLFW_FALSE : GLFW_TRUE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);

    GLFWmonitor* monitor = mode == FULLSCREEN ? glfwGetPrimaryMonitor() : nullptr;
    current = glfwCreateWindow(width, height, "", monitor, nullptr);
    if (!current)
        return 0;
    glfwMakeContextCurrent(current);
    pinGLDrivers();
    glfwSetKeyCallback(current, onKey);
    glfwSetMouseButtonCallback(current, onMouseButton);
    glfwSetWindowCloseCallback(current, onClose);
    return 1;
}

void closeWindow()
{
    if (!current)
        return;
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(current);
    current = nullptr;
}

int getWindowParam(int param)
{
    if (param == OPENED)
        return current && !glfwWindowShouldClose(current) ? 1 : 0;
    return 0;
}

void setWindowTitle(const char* title)
{
    if (current)
        glfwSetWindowTitle(current, title ? title : "");
}

void getWindowSize(int* width, int* height)
{
    int w = 0, h = 0;
    if (current)
        glfwGetWindowSize(current, &w, &h);
    if (width)
        *width = w;
    if (height)
        *height = h;
}

void swapInterval(int interval)
{
    if (current)
        glfwSwapInterval(interval);
}

void swapBuffers()
{
    if (!current)
        return;
    glfwSwapBuffers(current);
    glfwPollEvents();
}

void pollEvents()
{
    if (initialised)
        glfwPollEvents();
}

double getTime()
{
    return initialised ? glfwGetTime() : 0.0;
}

void enable(int token)
{
    if (current && token == MOUSE_CURSOR)
        glfwSetInputMode(current, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
}

void disable(int token)
{
    if (current && token == MOUSE_CURSOR)
        glfwSetInputMode(current, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
}

void setKeyCallback(KeyFun fun) { keyFun = fun; }
void setMouseButtonCallback(MouseButtonFun fun) { mouseButtonFun = fun; }
void setWindowCloseCallback(WindowCloseFun fun) { closeFun = fun; }

void getMousePos(int* x, int* y)
{
    double px = 0, py = 0;
    if (current)
        glfwGetCursorPos(current, &px, &py);
    if (x)
        *x = static_cast<int>(px);
    if (y)
        *y = static_cast<int>(py);
}

bool hasCurrentContext()
{
    return glfwGetCurrentContext() != nullptr;
}

int getVideoModes(VidMode* list, int maxCount)
{
    if (!list || maxCount <= 0)
        return 0;
    const std::vector<VidMode> modes = modeSource ? modeSource() : monitorModes();
    std::vector<VidMode> out;
    for (const VidMode& m : modes) {
        if (static_cast<int>(out.size()) == maxCount)
            break;
        bool seen = std::any_of(out.begin(), out.end(), [&](const VidMode& o) {
            return o.Width == m.Width && o.Height == m.Height && o.RedBits == m.RedBits &&
                   o.GreenBits == m.GreenBits && o.BlueBits == m.BlueBits;
        });
        if (!seen)
            out.push_back(m);
    }
    std::copy(out.begin(), out.end(), list);
    return static_cast<int>(out.size());
}

void setVideoModeSource(VideoModeSource source) { modeSource = source; }

void getDesktopMode(VidMode* mode)
{
    if (!mode)
        return;
    *mode = VidMode();
    GLFWmonitor* monitor = initialised ? glfwGetPrimaryMonitor() : nullptr;
    const GLFWvidmode* m = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (!m)
        return;
    mode->Width = m->width;
    mode->Height = m->height;
    mode->RedBits = m->redBits;
    mode->GreenBits = m->greenBits;
    mode->BlueBits = m->blueBits;
}

void pinGLDrivers()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

GLFWwindow* window() { return current; }

}
