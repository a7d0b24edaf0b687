#include "util/Log.h"

namespace vlm {

void logWrite(const std::string& line)
{
    std::cout << line << std::endl;
}

}
