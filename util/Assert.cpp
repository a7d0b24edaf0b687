#include "util/Assert.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace vlm {

void assertionFailed(const char* condition, const char* file, int line)
{
    std::cout.flush();
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}

}
