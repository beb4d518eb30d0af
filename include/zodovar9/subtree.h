/** @file
 * zodovar9 — walking one subtree in pre-order.
 *
 * The depth-first step `cstd_tree_getNextSearchElement` walks the whole tree
 * that holds a node: from a node deep inside, the step after its subtree's
 * last node is the next node of the whole tree. To walk just one subtree,
 * find once, before the walk, the node that follows the subtree in pre-order
 * (the next sibling of the start, or of its nearest ancestor that has one;
 * none when the subtree runs to the end of the whole tree), then stop when
 * the step reaches it: one pointer comparison a step, instead of a depth
 * climb a step.
 *
 * @code
 * const cstd_tree *node = start, *end = NULL;
 * cstd_status status = zodovar9_subtreeEnd(start, &end);
 * if (status >= 0) {
 *     do {
 *         visit(node);
 *     } while ((status = zodovar9_subtreeNext(&node, end)) >= 0);
 * }
 * if (status != cstd_tree_errSearchEnd)
 *     fprintf(stderr, "walk: %s\n", zodovar9_statusText(status));
 * @endcode
 *
 * Both are inline functions of this header over the exported navigation and
 * search operations, not exports of their own. The tree must not change
 * shape during the walk: attaching or detaching a node may move the end.
 */
#ifndef ZODOVAR9_SUBTREE_H
#define ZODOVAR9_SUBTREE_H

#include <zodovar9/status.h>
#include <zodovar9/tree.h>

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/**
 * Writes to `*end` the node that follows the subtree of `start` in
 * pre-order: the next sibling of `start` or of its nearest ancestor that has
 * one, or none when no node of the whole tree follows the subtree.
 *
 * Counts the ancestors first (`cstd_tree_getDepthFromRoot`), so that the
 * climb is bounded even where the parent links loop.
 *
 * @return 0 or the last sibling step's positive status;
 *         `cstd_tree_errParentCycle` if the parent links never reach a root;
 *         a failed list call's status. `*end` is written only on success.
 */
static inline cstd_status zodovar9_subtreeEnd(const cstd_tree *start, const cstd_tree **end)
{
    const cstd_tree *node = start, *sibling = NULL;
    int32_t depth = 0;
    cstd_status status = cstd_tree_getDepthFromRoot(start, &depth);
    if (status < 0) {
        return status;
    }
    for (; depth > 0; --depth) {
        status = cstd_tree_getNextSiblingConst(node, &sibling);
        if (status >= 0) {
            *end = sibling;
            return status;
        }
        if (status != cstd_tree_errNoNextSibling) {
            return status;
        }
        node = node->parent;
    }
    *end = NULL;
    return 0;
}

/**
 * Steps `*node` to the next node of the subtree whose end
 * `zodovar9_subtreeEnd` found: the depth-first step, stopped at `end`.
 *
 * @return the step's status when it delivered a node of the subtree;
 *         `cstd_tree_errSearchEnd` when the subtree has no further node;
 *         a failed step's status. `*node` is written only when a node of
 *         the subtree is delivered.
 */
static inline cstd_status zodovar9_subtreeNext(const cstd_tree **node, const cstd_tree *end)
{
    const cstd_tree *next = NULL;
    cstd_status status = cstd_tree_getNextSearchElementConst(*node, cstd_tree_searchDepthFirst, &next);
    if (status < 0) {
        return status;
    }
    if (next == end) {
        return cstd_tree_errSearchEnd;
    }
    *node = next;
    return status;
}

#ifdef __cplusplus
}
#endif

#endif /* ZODOVAR9_SUBTREE_H */
