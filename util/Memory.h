#pragma once
// The process's own heap.

namespace vlm {

// For the start-up: freed buffers of 256 KiB and more go back to the system at
// once; smaller ones, of which the driver's shader compilations make and free
// a great many, are reused from the heap instead of being mapped afresh (every
// fresh page costs a fault). The heap keeps its free pages until the loading
// ends (returnFreeMemory).
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
