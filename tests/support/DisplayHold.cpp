#include "support/DisplayHold.h"

#include <X11/Xlib.h>

namespace testsupport {

void DisplayHold::SetUp()
{
    display = XOpenDisplay(nullptr);
}

void DisplayHold::TearDown()
{
    if (display)
        XCloseDisplay(display);
    display = nullptr;
}

}
