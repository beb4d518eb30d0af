/** @file
 * rezade9 — memory blocks.
 */
#ifndef REZADE9_MEMORY_H
#define REZADE9_MEMORY_H

#include <rezade9/types.h>

#ifdef __cplusplus
extern "C" {
#endif

/**
 * Allocates a block of `size` bytes and stores its address in `*block`.
 *
 * A request for 0 bytes allocates nothing: `*block` becomes none and the
 * status is 0, so a caller that never releases a zero-size result leaks
 * nothing.
 *
 * A block is aligned for any object of its size: to 16 bytes, except that
 * blocks of up to 8 bytes and of 17 to 24 bytes are aligned to 8.
 * Blocks up to 1 KiB come from regions that each thread cuts for itself,
 * without a per-block header, so blocks made one after another lie side by
 * side; a block may be released by any thread. `REZADE9_PLAIN_HEAP=1` in the
 * environment takes every block from malloc.
 *
 * @return 0; `csys_errNoMemory` when the heap has no block, with `*block`
 *         left as it was.
 */
REZADE9_API cstd_status CSTD_CALL csys_memory_alloc_internal(uint32_t size, void **block);

/**
 * Releases the block that `*block` names and sets `*block` to none.
 * Releasing none is a successful no-op.
 *
 * A block of up to 1 KiB that is not live is refused and nothing changes:
 * one released already, an address inside such a block, an address in the
 * heap's regions that no block starts at. A block that has been handed out
 * again since it was released cannot be told apart from the new one, and is
 * released. Blocks over 1 KiB, and every block of the plain heap, are
 * malloc's, and so is what a second release of one does.
 *
 * @return 0; `csys_errBlockNotLive` for a block that is not live, with
 *         `*block` left as it was.
 */
REZADE9_API cstd_status CSTD_CALL csys_memory_free_internal(void **block);

/**
 * Copies `size` bytes from `source` to `destination`. The ranges may overlap.
 *
 * @return 0.
 */
REZADE9_API cstd_status CSTD_CALL csys_memory_copy(uint32_t size, const void *source, void *destination);

/**
 * Writes how many blocks this library holds from the heap for its callers:
 * blocks from `csys_memory_alloc_internal` not yet released, and the storage
 * of arrays that use no memory table. A program that has released everything
 * sees 0. The count is process-wide and exact once other threads are quiet.
 *
 * @return 0.
 */
REZADE9_API cstd_status CSTD_CALL csys_memory_getLiveBlockCount(uint32_t *count);

/**
 * A diagnostic: writes 0 to `*live` when `block` is known not to be a live
 * block, as `csys_memory_free_internal` would refuse it, and 1 otherwise (a
 * live block, or one the heap cannot judge: over 1 KiB, from the plain heap,
 * or not from this library). Changes nothing. The checked build of the tree
 * library asks it before deleting a node.
 *
 * @return 0.
 */
REZADE9_API cstd_status CSTD_CALL csys_memory_isBlockLive(const void *block, uint32_t *live);

#ifdef __cplusplus
}
#endif

#endif /* REZADE9_MEMORY_H */
