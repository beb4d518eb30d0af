/*
 * zodovar9 — the tree node and its life cycle.
 *
 * Every node is a `cstd_tree` record that the caller places in its own
 * storage (built with `cstd_tree_construct`, taken apart with
 * `cstd_tree_destruct`) or obtains from the library's heap operations
 * (`cstd_tree_new`, `cstd_tree_delete`). Every node is the root of its own
 * subtree: a tree is named by its root node.
 *
 * Payloads. `dataSize` alone decides how `data` is read:
 * - a buffer payload (`dataSize` not 0): `data` names a block of `dataSize`
 *   bytes that the node owns; it is built by the table's `construct` slot and
 *   destroyed by its `destruct` slot, then released;
 * - a value payload (`dataSize` 0): `data` is the caller's value itself (a
 *   pointer or any 32-bit word). The node never releases it; a table's
 *   `destruct` slot, when set, still receives it.
 *
 * Ownership. A node owns its `children` list and a buffer payload's block. It
 * does not own its element table, which must outlive every node that names
 * it. Destroying a node deletes every node still attached below it, releasing
 * each record, so every node attached below a node that is destroyed must be a
 * heap node made by a new operation.
 *
 * Binary layout: in the 32-bit layout a `cstd_tree` is 48 bytes, a
 * `cstd_treePtr` 4 and a `cstd_vtable` five 32-bit words.
 */
#ifndef ZODOVAR9_TREE_H
#define ZODOVAR9_TREE_H

#include <zodovar9/common.h>
#include <zodovar9/status.h>

#ifdef __cplusplus
extern "C" {
#endif

/**
 * The node record: six fields, in this order.
 *
 * Invariants kept by the library's operations: a root has `parent` none and
 * `indexInParent` -1; a child stands at position `indexInParent` of its
 * parent's `children`, and the positions of a parent's children are 0 to n-1
 * in list order.
 */
typedef struct cstd_tree {
    struct cstd_tree *parent;    /**< the node whose list holds this one; none for a root */
    int32_t indexInParent;       /**< position in the parent's list; -1 for a root */
    cstd_vector children;        /**< `cstd_treePtr` elements, no element table */
    void *data;                  /**< the payload block, or the value itself */
    uint32_t dataSize;           /**< bytes of the payload block; 0 for a value payload */
    const cstd_vtable *vtable;   /**< the payload's element table, or none */
} cstd_tree;

/** A pointer to a node: the element type of every children list. */
typedef cstd_tree *cstd_treePtr;

/** Search types of the depth-first successor walk. */
enum {
    /** Pre-order over the whole tree that contains the node: the only type
     *  served. */
    cstd_tree_searchDepthFirst = 1
};

/**
 * Builds an empty root in place: `parent` none, `indexInParent` -1, an empty
 * children list, `data` none, `dataSize` 0 and `vtable` none.
 *
 * @return the status of the children list's construction (may be positive).
 *         On failure the record is raw: `parent` none and `indexInParent` -1
 *         were written, `data`, `dataSize` and `vtable` were not, and nothing
 *         is left to release.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_construct(cstd_tree *tree);

/**
 * Builds a root in place with a payload of `size` bytes described by `table`
 * (none for plain bytes).
 *
 * A block of `size` bytes is requested for every size, 0 included (the system
 * library yields none for 0, and the node keeps it as the first value of a
 * value payload). Then, if `table` has a `construct` slot, the slot is called
 * once with the block and 0. If the slot is empty and `table->tag` is 0 or
 * more, the table describes plain data and the block is zero-filled instead,
 * so its payload never starts out undefined; with a negative tag (or no
 * table) the block is left as allocated.
 *
 * @return the status of the last step (the slot's, or the allocation's when
 *         no slot runs; may be positive), or the first negative one. A failure
 *         leaves the record raw with nothing allocated: the children list is
 *         destroyed again and a block that was allocated is released (`data`
 *         none); `dataSize` and `vtable` hold the values given.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_constructWithSizeAndVtable(cstd_tree *tree,
                                                                         uint32_t size,
                                                                         const cstd_vtable *table);

/**
 * Takes a constructed node apart in place: deletes every node attached below
 * it, destroys its children list, runs the table's `destruct` slot on `data`
 * and releases a buffer payload's block. Afterwards the record is raw, with
 * `parent` none, `indexInParent` -1, `data` none, `dataSize` 0 and `vtable`
 * none, and may be constructed again.
 *
 * @return the status of the last call made, or the first negative one. On
 *         failure: while deleting descendants, the node's own fields are
 *         untouched; at the list, `parent` and `indexInParent` are already
 *         reset; at the `destruct` slot, the list is destroyed and the block
 *         still allocated; at the release, the slot has run and `data` is as
 *         the release left it. `dataSize` and `vtable` stay untouched on every
 *         failure.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_destruct(cstd_tree *tree);

/**
 * Deletes the heap node `*p` (made by a new operation) with its subtree and
 * sets `*p` to none. A none `*p` returns 0 and calls nothing.
 *
 * @return the release's status, or the first negative one. If destruction
 *         fails, the record is not released and `*p` still names it; if the
 *         release fails, the node is destroyed and `*p` is as the system
 *         library left it.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_delete(cstd_tree **p);

/**
 * Makes `*p` name a new heap node built by `cstd_tree_construct`. If `*p`
 * already names a node, that node is deleted first, with its subtree, before
 * anything is allocated.
 *
 * @return the construction's status (may be positive), or the first negative
 *         one. If deleting the old node fails, `*p` still names it (or is as
 *         the failed release left it) and nothing is allocated. If the
 *         allocation or the construction of the new node fails, `*p` is none,
 *         the new record is released and the old node is gone.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_new(cstd_tree **p);

/**
 * As `cstd_tree_new`, building the new node with
 * `cstd_tree_constructWithSizeAndVtable(node, size, table)`.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_newWithSizeAndVtable(cstd_tree **p, uint32_t size,
                                                                   const cstd_vtable *table);

#ifdef __cplusplus
}
#endif

#endif /* ZODOVAR9_TREE_H */
