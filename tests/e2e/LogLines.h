#pragma once
// Checks on the log lines of a program run in a child process.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <string>
#include <vector>

namespace e2e {

// Success when every expected line appears in lines, in this order (other lines may come between).
::testing::AssertionResult inOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected);

bool anyStartsWith(const std::vector<std::string>& lines, const std::string& prefix);

bool contains(const std::vector<std::string>& lines, const std::string& line);

// The milliseconds of the "Duration : (0000001234)-[...]" line, or -1.
long durationMs(const std::vector<std::string>& lines);

bool hasDisplay();

// The engine's shutdown log after a started show, from "[Shutting Down]" to "[Application End]".
const std::vector<std::string>& shutdownLog();

}

#define REQUIRE_DISPLAY()                                        \
    do {                                                         \
        if (!::e2e::hasDisplay())                                \
            GTEST_SKIP() << "no X display (run under xvfb-run)"; \
    } while (0)

// Skips without a display or without the show's built file at path; the
// children's leak checks then skip the system libraries' own allocations.
#define REQUIRE_SHOW_FILE(path)                                                                  \
    do {                                                                                         \
        REQUIRE_DISPLAY();                                                                       \
        if (!std::filesystem::exists(path))                                                      \
            GTEST_SKIP() << "the show's resources are not built (target show_resources)";        \
        setenv("LSAN_OPTIONS", ("suppressions=" + std::string(PULSVEK_SOURCE_DIR) + "/tests/lsan.supp").c_str(), 0); \
    } while (0)
