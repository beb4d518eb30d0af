/** @file
 * rezade9 — clean-up lists.
 *
 * A function that builds in several steps keeps a local array of records, a
 * count starting at 0 and a status word starting at 0. After each step that a
 * later failure must undo it writes a record at position `count` and
 * increments `count`; on every return it calls `csys_cleanupExecute_` and
 * returns the status word.
 */
#ifndef REZADE9_CLEANUP_H
#define REZADE9_CLEANUP_H

#include <rezade9/types.h>

#ifdef __cplusplus
extern "C" {
#endif

/** Record kinds: what the record's function does to its target. */
enum {
    /** Takes an object apart in place (the target is the object). */
    csys_cleanupKindDestruct = 0,
    /** Releases a memory block (the target is the address of its pointer). */
    csys_cleanupKindFree = 1
};

/** Record codes: what kind of resource the target is. Informational. */
enum { csys_cleanupCodeBlock = 0x21, csys_cleanupCodeObject = 0x22 };

/** One undo step: four words in the 32-bit layout. */
typedef struct csys_cleanupRecord {
    uint32_t kind; /**< a `csys_cleanupKind` value */
    uint32_t code; /**< a `csys_cleanupCode` value */
    void *target;  /**< what `function` receives */
    /** the undo step, run on `target` */
    cstd_status(CSTD_CALL *function)(void *target);
} csys_cleanupRecord;

/**
 * Runs a clean-up list on a function's return.
 *
 * When `*status` is negative, runs `function(target)` of every registered
 * record, the last registered first, and leaves `*status` as it was (still
 * negative; a failing record does not change it). When `*status` is zero or
 * more, runs none. Either way `*count` becomes 0, so the list is spent.
 *
 * @return `*status` as it stands afterwards.
 */
REZADE9_API cstd_status CSTD_CALL csys_cleanupExecute_(csys_cleanupRecord *records, uint32_t *count,
                                                       cstd_status *status);

#ifdef __cplusplus
}
#endif

#endif /* REZADE9_CLEANUP_H */
