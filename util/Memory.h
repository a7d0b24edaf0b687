#pragma once
// The process's own heap.

namespace vlm {

// For the start-up: freed buffers of 64 KiB and more go back to the system at
// once. The start-up's decoders and the driver's first shader compilations
// free many such buffers between longer-lived ones; in the heap they would
// leave holes that stay resident. Also makes the heap give freed pages back
// soon instead of keeping as much as the largest buffer freed so far (the
// allocator's default grows that allowance with every large buffer freed).
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
