#pragma once
// Tests over the lines a show printed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace e2e {

// True when every expected line appears in lines, in this order (other lines may come between).
::testing::AssertionResult inOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected);
bool contains(const std::vector<std::string>& lines, const std::string& line);
bool anyStartsWith(const std::vector<std::string>& lines, const std::string& prefix);
// The milliseconds of the "Duration : (0000001234)-[...]" line, or -1.
long durationMs(const std::vector<std::string>& lines);
// The shutdown log, from "[Shutting Down]" to "[Application End]".
extern const std::vector<std::string> shutdownLines;
bool hasDisplay();

}

#define REQUIRE_DISPLAY()                                        \
    do {                                                         \
        if (!::e2e::hasDisplay())                                \
            GTEST_SKIP() << "no X display (run under xvfb-run)"; \
    } while (0)
