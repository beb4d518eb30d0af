// The implementation behind rezade9's exported entries. The shipped library
// and the test harness's recording library both link it and define their own
// entries over it.
#pragma once

#include <rezade9/rezade9.h>

namespace rezade9::impl {

#define REZADE9_FUNCTION(name, params, args) cstd_status name params;
#define REZADE9_DIAGNOSTIC REZADE9_FUNCTION
#include "functions.inc"
#undef REZADE9_DIAGNOSTIC
#undef REZADE9_FUNCTION

// The heap, counted: every block that rezade9 holds for a caller or for an
// array's storage, so a program can see that nothing is left (heap.cpp).
void *heapAllocate(uint32_t size);
// False, and nothing changed, when the block is not live.
bool heapRelease(void *block);
// False when the block is known not to be live; true for a live block and
// for one that the heap cannot judge (from malloc, or not its own).
bool heapLive(const void *block);
uint32_t heapLiveBlocks();

} // namespace rezade9::impl
