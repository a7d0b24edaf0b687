#pragma once
// The process's own heap.

namespace vlm {

// For the start-up: buffers under 16 MiB (decoded pictures, archive members,
// the driver's many compilation buffers) come from the heap and are reused
// there once freed, instead of being mapped afresh (every fresh page costs a
// fault). The heap keeps its free pages until the loading ends
// (returnFreeMemory hands them back).
void configureStartupHeap();
// After the start-up (the first frame): the heap's free pages, those of every
// thread's arena too, go back to the system; from then on large buffers come
// from the heap and freed ones stay for reuse, as the allocator's own
// adjustment would have it after a while (steady frames then make no system
// calls for the buffers they take and give back).
void settleHeap();
// Hands the heap's free pages back to the system, those of every thread's arena too.
void returnFreeMemory();

}
