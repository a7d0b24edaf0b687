#pragma once
// Input sent to another process's window on the X server, as a user or a
// window manager would.

#include <string>

namespace e2e {

// Escape pressed and released on the window with this title; false when there is none.
bool sendEscape(const std::string& title);
// The window manager's request to close the window (its close button).
bool sendClose(const std::string& title);

}
