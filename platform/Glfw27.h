#pragma once
// Windowing with GLFW 2.7 call semantics, built on GLFW 3.
//
// One window per process; the calls take no window handle. Events are polled
// inside swapBuffers(), so input callbacks run "inside the swap". Key codes
// are GLFW 3's (Escape is GLFW_KEY_ESCAPE); key repeats are not reported.

#include <vector>

struct GLFWwindow;

namespace glfw27 {

// Window modes of openWindow().
constexpr int WINDOW = 0x00010001;
constexpr int FULLSCREEN = 0x00010002;

// Hint targets of openWindowHint() and their values.
constexpr int OPENGL_VERSION_MAJOR = 0x00020014;
constexpr int OPENGL_VERSION_MINOR = 0x00020015;
constexpr int OPENGL_FORWARD_COMPAT = 0x00020016;
constexpr int OPENGL_PROFILE = 0x00020018;
constexpr int OPENGL_CORE_PROFILE = 0x00050001;
// Not in GLFW 2.7: opens the window hidden (test harness).
constexpr int WINDOW_HIDDEN = 0x00020100;

// enable()/disable() tokens.
constexpr int MOUSE_CURSOR = 0x00030001;

// getWindowParam() parameters.
constexpr int OPENED = 0x00020001;

constexpr int RELEASE = 0;
constexpr int PRESS = 1;

// Key codes handed to the key callback (GLFW 3's values).
constexpr int KEY_ESC = 256;

struct VidMode {
    int Width = 0;
    int Height = 0;
    int RedBits = 0;
    int GreenBits = 0;
    int BlueBits = 0;
};

using KeyFun = void (*)(int key, int action);
using MouseButtonFun = void (*)(int button, int action);
using WindowCloseFun = int (*)();

int init();
void terminate();

void openWindowHint(int target, int hint);
int openWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
               int depthBits, int stencilBits, int mode);
void closeWindow();
int getWindowParam(int param);
void setWindowTitle(const char* title);
void getWindowSize(int* width, int* height);

void swapInterval(int interval);
void swapBuffers();
void pollEvents();
double getTime();

void enable(int token);
void disable(int token);

void setKeyCallback(KeyFun fun);
void setMouseButtonCallback(MouseButtonFun fun);
// Called when the window's close button is pressed; a non-zero result closes the window.
void setWindowCloseCallback(WindowCloseFun fun);
// The cursor position in the window, in pixels from its top-left corner (0, 0 without a window).
void getMousePos(int* x, int* y);

// Fills at most maxCount distinct modes (refresh rates folded), in the order of
// the primary monitor's list (smallest first).
int getVideoModes(VidMode* list, int maxCount);

// Where getVideoModes reads the monitor's modes: the primary monitor's list as
// GLFW 3 reports it, one record per refresh rate (so records repeat). Tests
// install their own list; a source also works before init(). Null restores the
// monitor.
using VideoModeSource = std::vector<VidMode> (*)();
void setVideoModeSource(VideoModeSource source);
void getDesktopMode(VidMode* mode);

// True when this thread has a current GL context (of any window).
bool hasCurrentContext();

// Keeps the loaded GL driver modules mapped until the process ends (openWindow
// does it), so that leak reports at exit can name the driver's own leftovers.
void pinGLDrivers();

// The underlying GLFW 3 window, or null.
GLFWwindow* window();

}
