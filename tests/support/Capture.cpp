#include "support/Capture.h"

#include <gtest/gtest.h>

#include <iostream>

namespace testsupport {

StdoutCapture::StdoutCapture() : active(true)
{
    std::cout.flush();
    testing::internal::CaptureStdout();
}

StdoutCapture::~StdoutCapture()
{
    text();
}

std::string StdoutCapture::text()
{
    if (active) {
        std::cout.flush();
        captured = testing::internal::GetCapturedStdout();
        active = false;
    }
    return captured;
}

std::vector<std::string> StdoutCapture::lines()
{
    return splitLines(text());
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> out;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            out.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        out.push_back(line);
    return out;
}

}
