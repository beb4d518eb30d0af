// Compile-time switches for the benchmark's builds that measure what each
// speed-up buys on its own; every shipped build keeps them all on.
#pragma once

#ifndef REZADE9_LEVER_INLINE
#define REZADE9_LEVER_INLINE 1
#endif
#ifndef REZADE9_LEVER_GAP
#define REZADE9_LEVER_GAP 1
#endif
#ifndef REZADE9_LEVER_FASTPATHS
#define REZADE9_LEVER_FASTPATHS 1
#endif

namespace rezade9::impl {

// Short arrays of small plain elements live inside the array record.
constexpr bool kInline = REZADE9_LEVER_INLINE != 0;
// Removing from the front moves the array's start instead of its elements.
constexpr bool kGap = REZADE9_LEVER_GAP != 0;
// Pointer-sized plain elements and small copies take paths of their own.
constexpr bool kFastPaths = REZADE9_LEVER_FASTPATHS != 0;

} // namespace rezade9::impl
