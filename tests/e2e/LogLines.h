#pragma once
// Checks on the log lines of a program run in a child process.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace e2e {

// Success when every expected line appears in lines, in this order (other lines may come between).
::testing::AssertionResult inOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected);

bool anyStartsWith(const std::vector<std::string>& lines, const std::string& prefix);

// The engine's shutdown log after a started show, from "[Shutting Down]" to "[Application End]".
const std::vector<std::string>& shutdownLog();

}
