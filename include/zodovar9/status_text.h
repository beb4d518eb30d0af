/** @file
 * zodovar9 — any status in words.
 *
 * `zodovar9_statusText` turns a status of the tree library, of the system
 * library or of the C++ layer's element tables into one short English
 * sentence, for messages and logs. It is an inline function of this header,
 * not an export: it costs the library nothing and works from C and C++.
 *
 * @code
 * cstd_status status = cstd_tree_addChild(parent, child);
 * if (status < 0)
 *     fprintf(stderr, "attach: %s\n", zodovar9_statusText(status));
 * @endcode
 */
#ifndef ZODOVAR9_STATUS_TEXT_H
#define ZODOVAR9_STATUS_TEXT_H

#include <zodovar9/status.h>

#ifdef __cplusplus
extern "C" {
#endif

/**
 * One sentence that says what `status` means, without a final full stop.
 * Zero and positive statuses are "success"; a negative status that no
 * library of the product line defines came from an element-table slot of
 * the caller's own. The text is static: never released, never changed.
 */
static inline const char *zodovar9_statusText(cstd_status status)
{
    if (status >= 0) {
        return "success";
    }
    switch (status) {
    case cstd_tree_errWrongParent: return "the child already has a parent, or its parent is not the node given";
    case cstd_tree_errNoParent: return "the node is a root: it has no parent";
    case cstd_tree_errNoChild: return "the node has no children";
    case cstd_tree_errNoPrevSibling: return "the node is the first child of its parent";
    case cstd_tree_errNoNextSibling: return "the node is the last child of its parent";
    case cstd_tree_errSearchEnd: return "the walk has passed the last node of the tree";
    case cstd_tree_errParentCycle:
        return "the parent links form a cycle: a node was attached below itself or its own descendant";
    case cstd_tree_errPayloadMismatch: return "the two payloads differ in size or element table";
    case cstd_tree_errPayloadThrew: return "the payload type threw an exception";
    case cstd_tree_errNoSuchOperation:
        return "the payload type cannot do that (default construction, copy or assignment)";
    case csys_errNoMemory: return "out of memory";
    case csys_errInvalidArgument: return "the system library refused an argument";
    case csys_errOutOfRange: return "an index or position lies past the end of the array";
    case csys_errOverflow: return "a count or size is too large";
    case csys_errBlockNotLive: return "the block is not live: released already, or never handed out";
    default: return "a failure reported by an element-table slot";
    }
}

#ifdef __cplusplus
}
#endif

#endif /* ZODOVAR9_STATUS_TEXT_H */
