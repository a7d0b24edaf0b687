#pragma once
// Runs a command line tool to its end with its standard output and standard
// error apart.

#include <string>
#include <vector>

namespace testsupport {

struct CommandResult {
    int status = -1;  // exit status; -1 when it did not exit by itself
    std::string out, err;
};

// argv[0] is the program path; the outputs go through files in folder.
CommandResult runCommand(const std::vector<std::string>& argv, const std::string& folder);

}
