#include "util/Memory.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void vlm::configureStartupHeap()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 16 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
}

void vlm::settleHeap()
{
#if defined(__GLIBC__)
    // What the allocator's own adjustment reaches at most: the driver's large
    // per-frame buffers are then reused from the heap, without system calls.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
    returnFreeMemory();
}

void vlm::returnFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
