#pragma once
// The process's own heap.

namespace vlm {

// Makes the heap give freed pages back to the system soon, instead of keeping
// as much as the largest buffers freed so far (the allocator's default grows
// that allowance with every large buffer that is freed).
void configureHeap();
// Hands the heap's free pages back to the system (those of every thread's
// arena), after start-up work has freed large buffers.
void returnFreeMemory();

}
