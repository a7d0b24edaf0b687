#include "support/Command.h"

#include "support/TempDir.h"

#include <cstdlib>

#include <sys/wait.h>

namespace testsupport {

namespace {

std::string shellWord(const std::string& word)
{
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv, const std::string& folder)
{
    const std::string out = folder + "/command.out", err = folder + "/command.err";
    std::string line;
    for (const std::string& a : argv)
        line += shellWord(a) + " ";
    line += ">" + shellWord(out) + " 2>" + shellWord(err) + " </dev/null";
    const int status = std::system(line.c_str());
    CommandResult r;
    r.status = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readWholeFile(out);
    r.err = readWholeFile(err);
    return r;
}

}
