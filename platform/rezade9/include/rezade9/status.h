/** @file
 * rezade9 — the system library's own failure statuses.
 *
 * They lie in the 0x80000Bxx range, apart from the tree library's codes, so a
 * status always tells which library refused.
 */
#ifndef REZADE9_STATUS_H
#define REZADE9_STATUS_H

#include <rezade9/types.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    /** 0x80000B01: the heap (or a caller's memory table) had no block. */
    csys_errNoMemory = CSTD_STATUS_FAILURE(0x0B01),
    /** 0x80000B02: an argument the function does not accept: element
     *  size 0, a reserved flag set, an element address outside the array,
     *  arrays of different element descriptions. */
    csys_errInvalidArgument = CSTD_STATUS_FAILURE(0x0B02),
    /** 0x80000B03: an index or position past the end, or `popBack` on an
     *  empty array. */
    csys_errOutOfRange = CSTD_STATUS_FAILURE(0x0B03),
    /** 0x80000B04: a count beyond 32 bits, or a byte size that overflows. */
    csys_errOverflow = CSTD_STATUS_FAILURE(0x0B04),
    /** 0x80000B05: `csys_memory_free_internal` was handed a block that is
     *  not live: released already, or never handed out by this heap. Nothing
     *  is released and the pointer is left as it was. */
    csys_errBlockNotLive = CSTD_STATUS_FAILURE(0x0B05)
};

#ifdef __cplusplus
}
#endif

#endif /* REZADE9_STATUS_H */
