#pragma once
// The one logging path: every message is one line on standard output, flushed.

#include <iostream>
#include <sstream>
#include <string>

namespace vlm {

void logWrite(const std::string& line);

template <typename... Parts>
void logLine(const Parts&... parts)
{
    std::ostringstream out;
    (out << ... << parts);
    logWrite(out.str());
}

}
