/** @file
 * zodovar9 — the library's status codes, all of them, in one place.
 *
 * Every other negative status that an operation returns comes from the
 * system library (<rezade9/status.h>, the 0x80000Bxx range) or from an
 * element-table slot, and is passed on exactly as received. 0x80000AC2 is
 * never returned.
 */
#ifndef ZODOVAR9_STATUS_H
#define ZODOVAR9_STATUS_H

#include <zodovar9/common.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    /** 0x80000AC1: attach: the child already has a parent; detach: the
     *  child's parent is not the node given. */
    cstd_tree_errWrongParent = CSTD_STATUS_FAILURE(0x0AC1),
    /** 0x80000AC3: the node is a root. */
    cstd_tree_errNoParent = CSTD_STATUS_FAILURE(0x0AC3),
    /** 0x80000AC4: the node has no children. */
    cstd_tree_errNoChild = CSTD_STATUS_FAILURE(0x0AC4),
    /** 0x80000AC5: the node is the first child of its parent. */
    cstd_tree_errNoPrevSibling = CSTD_STATUS_FAILURE(0x0AC5),
    /** 0x80000AC6: the node is the last child of its parent. */
    cstd_tree_errNoNextSibling = CSTD_STATUS_FAILURE(0x0AC6),
    /** 0x80000AC7: the depth-first search has no next element. */
    cstd_tree_errSearchEnd = CSTD_STATUS_FAILURE(0x0AC7),
    /** 0x80000AC8: following `parent` links from the node never reaches a
     *  root: the links form a cycle, which attaching a node below its own
     *  descendant creates. Returned by the operations that climb to the root
     *  (`cstd_tree_getDepthFromRoot` and the depth-first search) instead of
     *  climbing for ever. */
    cstd_tree_errParentCycle = CSTD_STATUS_FAILURE(0x0AC8),
    /** 0x80000AC9: `cstd_tree_assign` (and what calls it: `setData` of the
     *  tree-of-trees family, `cstd_tree_constructCopy`) refuses a source
     *  whose payload does not fit the destination's: a different `dataSize`,
     *  or, where the destination's table would assign, a different table.
     *  Nothing is written. */
    cstd_tree_errPayloadMismatch = CSTD_STATUS_FAILURE(0x0AC9),
    /** 0x80000ACA: never returned by the library itself: the status of an
     *  element-table slot made by the C++ layer (<zodovar9/tree.hpp>) whose
     *  payload type threw an exception other than `std::bad_alloc` (which
     *  becomes `csys_errNoMemory`). The library passes it on like any slot's. */
    cstd_tree_errPayloadThrew = CSTD_STATUS_FAILURE(0x0ACA),
    /** 0x80000ACB: never returned by the library itself: the status of a
     *  C++ layer slot whose payload type lacks the operation asked for (a
     *  default constructor, a copy constructor or a copy assignment). */
    cstd_tree_errNoSuchOperation = CSTD_STATUS_FAILURE(0x0ACB)
};

#ifdef __cplusplus
}
#endif

#endif /* ZODOVAR9_STATUS_H */
