#include "util/Memory.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

const int trimThreshold = 1024 * 1024;

}

void vlm::configureStartupHeap()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    mallopt(M_TRIM_THRESHOLD, trimThreshold);
#endif
}

void vlm::settleHeap()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    mallopt(M_TRIM_THRESHOLD, trimThreshold);
    malloc_trim(0);
#endif
}
