#pragma once
// Input sent to another process's window on the X server, as a user or a
// window manager would.

#include "Child.h"

#include <string>

namespace e2e {

// Escape pressed and released on the window with this title; false when there is none.
bool sendEscape(const std::string& title);
// The window manager's request to close the window (its close button).
bool sendClose(const std::string& title);

// Sends the input again every second until the child prints line: a program
// takes keys only once its callbacks are set. False when the line has not come
// after timeoutMs.
bool sendUntilLine(Child& child, bool (*send)(const std::string& title), const std::string& title,
                   const std::string& line, int timeoutMs);

// The pixels of a w x h box of the window (by its X id) at x, y; empty when
// the window cannot be read.
std::string windowPixels(unsigned long window, int x, int y, int w, int h);

}
