#include "LogLines.h"

namespace e2e {

::testing::AssertionResult inOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected)
{
    size_t at = 0;
    for (const std::string& want : expected) {
        while (at < lines.size() && lines[at] != want)
            ++at;
        if (at == lines.size())
            return ::testing::AssertionFailure() << "missing or out of order: '" << want << "'";
        ++at;
    }
    return ::testing::AssertionSuccess();
}

bool anyStartsWith(const std::vector<std::string>& lines, const std::string& prefix)
{
    for (const std::string& l : lines)
        if (l.compare(0, prefix.size(), prefix) == 0)
            return true;
    return false;
}

const std::vector<std::string>& shutdownLog()
{
    static const std::vector<std::string> lines = {
        "[Shutting Down]", "[Deleting Pools]", "[Dispose objectPool]", "[Dispose texturePool]",
        "[Dispose effectPool]", "[Dispose effectPool]", "[Dispose binaryPool]", "[Dispose videoPool]",
        "delete VLMPulsvek::tracks", "delete VLMPulsvek::timer", "Query GL for remaining texture objects (1-250)",
        "VLMPulsvek::shutdown()", "[Application End]",
    };
    return lines;
}

}
