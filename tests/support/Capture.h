#pragma once
// Captures what the engine logs on standard output.

#include <string>
#include <vector>

namespace testsupport {

class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Ends the capture (once) and returns everything printed since construction.
    std::string text();
    std::vector<std::string> lines();

private:
    bool active;
    std::string captured;
};

// Splits text at line feeds; a trailing line feed does not add an empty line.
std::vector<std::string> splitLines(const std::string& text);

}
