#include "XWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>

namespace e2e {

namespace {

Window findWindow(Display* display, Window window, const std::string& title)
{
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        const bool match = title == name;
        XFree(name);
        if (match)
            return window;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = findWindow(display, children[i], title);
        if (children)
            XFree(children);
    }
    return found;
}

void escape(Display* display, Window window)
{
    for (int type : {KeyPress, KeyRelease}) {
        XEvent event{};
        event.xkey.type = type;
        event.xkey.display = display;
        event.xkey.window = window;
        event.xkey.root = DefaultRootWindow(display);
        event.xkey.keycode = XKeysymToKeycode(display, XStringToKeysym("Escape"));
        event.xkey.same_screen = True;
        XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
    }
}

void close(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
}

bool send(const std::string& title, void (*what)(Display*, Window))
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const Window window = findWindow(display, DefaultRootWindow(display), title);
    if (window)
        what(display, window);
    XFlush(display);
    XCloseDisplay(display);
    return window != 0;
}

}

bool sendEscape(const std::string& title)
{
    return send(title, escape);
}

bool sendClose(const std::string& title)
{
    return send(title, close);
}

bool sendUntilLine(Child& child, bool (*send)(const std::string& title), const std::string& title,
                   const std::string& line, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        send(title);
        if (child.waitForLine(line, 1000))
            return true;
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

std::string windowPixels(unsigned long window, int x, int y, int w, int h)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return "";
    std::string pixels;
    // Errors (a window that is gone) return null rather than end the test.
    int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    if (XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h),
                                  AllPlanes, ZPixmap)) {
        for (int row = 0; row < h; ++row)
            for (int column = 0; column < w; ++column) {
                const unsigned long pixel = XGetPixel(image, column, row);
                pixels.append(reinterpret_cast<const char*>(&pixel), sizeof pixel);
            }
        XDestroyImage(image);
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return pixels;
}

}
