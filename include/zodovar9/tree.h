/** @file
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
 * heap node made by a new operation. A node is destroyed as a root: detach
 * an attached node with `cstd_tree_removeChild` before destroying or
 * deleting it.
 *
 * Pointers. No function of the library tests a pointer argument for none:
 * every pointer given must name a valid record or variable, except where a
 * comment says otherwise (the node pointer whose address the new and delete
 * operations take may itself be none). The checked build
 * (`-DZODOVAR9_CHECKED=ON`) tests these duties on entry and stops the
 * program with a message naming the function and the duty.
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
    struct cstd_tree *parent;  /**< the node whose list holds this one; none for a root */
    int32_t indexInParent;     /**< position in the parent's list; -1 for a root */
    cstd_vector children;      /**< `cstd_treePtr` elements, no element table */
    void *data;                /**< the payload block, or the value itself */
    uint32_t dataSize;         /**< bytes of the payload block; 0 for a value payload */
    const cstd_vtable *vtable; /**< the payload's element table, or none */
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
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_constructWithSizeAndVtable(cstd_tree *tree, uint32_t size,
                                                                        const cstd_vtable *table);

/**
 * Takes a constructed node apart in place: deletes every node attached below
 * it (see `cstd_tree_deleteThisAndAllDescendants`), destroys its children
 * list, runs the table's `destruct` slot on `data` and releases a buffer
 * payload's block. The node is destroyed as a root: its own `parent` and
 * `indexInParent` are reset, but its parent is never read or changed, since
 * a legal program may have released it (a copy made by `cstd_tree_assign` or
 * `cstd_tree_constructCopy` keeps its source's link without being listed).
 * Detaching an attached node first, with `cstd_tree_removeChild`, is the
 * caller's duty; otherwise the parent's list goes on naming the destroyed
 * record. The same holds for every operation that destroys the node it is
 * given: `cstd_tree_delete`, the new operations on a pointer that names a
 * node, and both exported deletions. Afterwards the record is raw, with
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

/* ---- subtree deletion -------------------------------------------------- */

/**
 * Deletes the heap node `*p` and every node attached below it, and sets `*p`
 * to none. A none `*p` returns 0 and calls nothing.
 *
 * Children are taken from the front of each list, one at a time: each is
 * detached, emptied of its own descendants and deleted, so payloads are
 * destroyed in post-order (a node after its descendants, siblings first to
 * last). The deletion allocates nothing and uses no stack in proportion to the
 * tree's height: a chain of any depth is deleted. Each child is detached
 * with the calls of `cstd_tree_removeChild`, but of the siblings behind it
 * only the one detached next gets its new position at once; the others'
 * are written before the deletion returns. So the tree's own work for the n
 * children of one node grows as n, on top of what rezade9's erase from the
 * front of a list costs (bench/results.md). The same holds for
 * `cstd_tree_delete`, `cstd_tree_destruct` and a new operation applied to a
 * node.
 *
 * @return the status of the last deletion, or the first negative one. After
 *         a failure the children already handled are deleted and those not
 *         yet handled are still attached, renumbered from 0 unless the failure
 *         was the detachment's own (see `cstd_tree_removeChild`: a failed
 *         detachment can leave the child listed with its link cleared, or
 *         the followers too high: the next one by one position, those behind
 *         it by one more for each child of that node detached before). The
 *         child being handled is a root and not released; `*p` still names
 *         the node unless its own release failed. A listed child whose link
 *         names another node is reached but not detached:
 *         `cstd_tree_errWrongParent`.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_deleteThisAndAllDescendants(cstd_tree **p);

/**
 * Deletes the heap node `*p` alone and sets `*p` to none; its children are
 * neither destroyed nor released. A none `*p` returns 0 and calls nothing.
 *
 * Each listed child whose `parent` names the node becomes a root (`parent`
 * none, `indexInParent` -1) before the list is emptied, so no node is left
 * naming the released record; the caller keeps its own pointers to them. A
 * listed node whose `parent` names another node (a shallow copy lists its
 * source's children) is left untouched. Reading the list costs one call to
 * `cstd_vector__getBeginSize32` before the list is emptied with `cstd_vector__clear`.
 *
 * @return the release's status, or the first negative one; before the
 *         release, `*p` still names the node.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_deleteThisButNotDescendants(cstd_tree **p);

/* ---- attachment -------------------------------------------------------- */

/**
 * Appends `child` to `parent`'s children: `child->parent` becomes `parent`
 * and `child->indexInParent` the number of children before the append.
 *
 * The caller must not attach a node below its own descendant (or itself): the
 * only test made is on the child's own link, and such a call makes the parent
 * links a cycle, which the climbing operations then report as
 * `cstd_tree_errParentCycle`.
 *
 * @return the append's status (may be positive); `cstd_tree_errWrongParent`
 *         if `child` already has a parent, with nothing written. If the count
 *         fails, `child->parent` names `parent` and nothing else changed; if
 *         the append fails, `child->indexInParent` is also one past the last
 *         listed position.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_addChild(cstd_tree *parent, cstd_tree *child);

/**
 * Detaches `child` from `parent`: it becomes a root (`parent` none,
 * `indexInParent` -1), its pointer leaves the list, and every remaining child
 * is renumbered from 0. The child is found by pointer; a child whose link
 * names `parent` but which the list does not hold is detached all the same.
 * Nothing is released.
 *
 * The time grows with the number of children `parent` has: the list is
 * searched, the followers move up one place and every remaining child is
 * renumbered. Emptying a node of n children one detachment at a time is
 * therefore quadratic in n; measured, a detachment from a node of 10,000
 * children takes about 7 microseconds (bench/results.md).
 *
 * @return the status of the last list call; `cstd_tree_errWrongParent` if
 *         `child->parent` is not `parent`, with nothing written. After any
 *         later failure the child is detached; if the failure came before the
 *         erase it is still listed, and if after, the children that followed
 *         it keep their old positions.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_removeChild(cstd_tree *parent, cstd_tree *child);

/* ---- navigation ---------------------------------------------------------
 * Queries read the stored positions and change nothing. A query that delivers
 * a node writes its out-parameter only on success; a truth value is 1 or 0.
 */

/** Writes the number of children. @return `cstd_vector__getSize32`'s status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getNumChildren(const cstd_tree *tree, uint32_t *count);

/** Writes 1 if the node has a parent, else 0. @return 0. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_hasParent(const cstd_tree *tree, uint32_t *truth);

/** Delivers the parent. @return 0; `cstd_tree_errNoParent` for a root. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getParent(cstd_tree *tree, cstd_tree **parent);

/** The read-only name of `cstd_tree_getParent`: the same entry point. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getParentConst(const cstd_tree *tree, const cstd_tree **parent);

/**
 * Delivers the first child.
 * @return the status of the list calls; `cstd_tree_errNoChild` when there are
 *         none; a failed list call's status.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getFirstChild(cstd_tree *tree, cstd_tree **child);

/** As `cstd_tree_getFirstChild`, reading the list through the read-only
 *  accessor `cstd_vector__getBeginEndConst`. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getFirstChildConst(const cstd_tree *tree, const cstd_tree **child);

/** Writes 1 if the node has a parent and a position above 0, else 0; asks no
 *  list. @return 0. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_hasPrevSibling(const cstd_tree *tree, uint32_t *truth);

/**
 * Delivers the sibling before the node, from its stored position (one list
 * call, no count: the list's end, which the same call delivers, bounds the
 * read). A node whose position breaks the invariant finds no previous
 * sibling and nothing outside the list is read: a position of 0 or below
 * (a failed attach leaves -1) is refused before any call, and one whose
 * entry before it lies past the list's end (a copy whose source's parent has
 * lost children since) after the call.
 * @return the list call's status; `cstd_tree_errNoParent` for a root;
 *         `cstd_tree_errNoPrevSibling` for a first child or a position
 *         outside the list.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getPrevSibling(cstd_tree *tree, cstd_tree **sibling);

/** The read-only name of `cstd_tree_getPrevSibling`: the same entry point. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getPrevSiblingConst(const cstd_tree *tree, const cstd_tree **sibling);

/**
 * Writes 1 if the node has a parent and a position below the parent's last,
 * else 0; a root asks no list.
 * @return the count's status, with the truth value untouched if it failed.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_hasNextSibling(const cstd_tree *tree, uint32_t *truth);

/**
 * Delivers the sibling after the node. The parent's count bounds the read: a
 * node whose stored position lies outside its parent's list gets
 * `cstd_tree_errNoNextSibling` and nothing outside the list is read.
 * @return the last list call's status; `cstd_tree_errNoParent` for a root;
 *         `cstd_tree_errNoNextSibling` for a last child.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getNextSibling(cstd_tree *tree, cstd_tree **sibling);

/** The read-only name of `cstd_tree_getNextSibling`: the same entry point. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getNextSiblingConst(const cstd_tree *tree, const cstd_tree **sibling);

/**
 * Writes the number of ancestors: 0 for a root, 1 for its child.
 * @return 0; `cstd_tree_errParentCycle` if the parent links never reach a
 *         root, with -1 written. The climb uses constant memory and stops
 *         within a few laps of the cycle.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getDepthFromRoot(const cstd_tree *tree, int32_t *depth);

/* ---- depth-first search -------------------------------------------------- */

/**
 * Delivers the node that follows `tree` in pre-order of the whole tree that
 * contains it: its first child, else the next sibling of the nearest node on
 * the path up to the root (itself included) that has one. The walk is not
 * bounded by the node a caller began at: a caller that wants one subtree
 * stops by a test of its own (for instance on `cstd_tree_getDepthFromRoot`).
 * Only `cstd_tree_searchDepthFirst` searches; any other type returns 0 and
 * delivers nothing. The climb is a loop, using constant memory.
 *
 * @return the last inner call's status; `cstd_tree_errSearchEnd` after the
 *         last node; `cstd_tree_errParentCycle` if the climb comes round a
 *         cycle of parent links; a failed list call's status. `*next` is
 *         written only when a node is delivered.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getNextSearchElement(cstd_tree *tree, int32_t searchType,
                                                                  cstd_tree **next);

/** The read-only form: hands its arguments to `cstd_tree_getNextSearchElement`
 *  and returns its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getNextSearchElementConst(const cstd_tree *tree, int32_t searchType,
                                                                       const cstd_tree **next);

/**
 * Writes 1 if `cstd_tree_getNextSearchElement` would deliver a node, else 0.
 * The truth value is always written, 0 first.
 * @return the last count's status when a node follows; 0 when none follows
 *         or the type is not `cstd_tree_searchDepthFirst`;
 *         `cstd_tree_errParentCycle` on a cycle of parent links; a failed
 *         count's status (the truth value then 0).
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_hasNextSearchElement(const cstd_tree *tree, int32_t searchType,
                                                                  uint32_t *truth);

/* --- Payload access and node copy ------------------------------------- */

/**
 * Writes the node's payload by the first path that fits:
 * - the table's `assign` slot, when the node has a table with one (whatever
 *   `dataSize` is), called with (`data`, value);
 * - otherwise, for a buffer payload, `dataSize` bytes copied from the address
 *   `value` into the block that `data` names (`csys_memory_copy`);
 * - otherwise `value` itself is stored in `data`.
 * @return the slot's or the copy's status, unchanged, with no field of the
 *         node written; 0 on the storing path, which cannot fail.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_setData(cstd_tree *tree, const void *value);

/** Writes `data` to `*data`: a buffer payload's block address, or a value
 *  payload's value itself. @return 0. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getDataPtr(const cstd_tree *tree, void **data);

/**
 * Copies `source` onto `destination` (a constructed node), children shallow:
 * afterwards the destination's list names the source's very children, whose
 * `parent` links still name the source, and the destination's former
 * children, no longer listed, still name the destination.
 *
 * Steps: the destination takes the source's `parent` and `indexInParent`
 * (it is not entered in that parent's list: it mirrors the source's place,
 * so every sibling query on it reads inside the parent's list and a root
 * source leaves a root); then the list (`cstd_vector__assign`); then
 * `dataSize`; then the payload by the destination's table as it stood on
 * entry (its `assign` slot; otherwise the source's `dataSize` bytes into the
 * destination's block; otherwise the source's value stored); then `vtable`.
 * Assigning a node to itself writes nothing and returns 0.
 *
 * Payloads must fit: the same `dataSize` (two value payloads, or two blocks
 * of one size), and where the destination's table has an `assign` slot, the
 * same table. Any other pair is refused before anything is written, so no
 * byte lands outside the destination's block and no owned block is orphaned.
 *
 * @return the status of the last call made; `cstd_tree_errPayloadMismatch`
 *         for a pair that does not fit (nothing written). A failed list copy
 *         leaves the destination with the source's `parent` and position and
 *         its list as `cstd_vector__assign` left it; a failed payload copy
 *         leaves, besides, the source's list and `dataSize`, `data` as the
 *         slot or copy left it and the destination's own `vtable`. Nothing is
 *         undone.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_assign(cstd_tree *destination, const cstd_tree *source);

/**
 * Builds `tree` (raw storage, overwritten, never released) as a copy of
 * `source`: an empty node, then `cstd_tree_assign`, so the copy lists the
 * source's children without owning them and takes the source's place links.
 *
 * A value payload is shared: the copy holds the same value and table. A
 * buffer payload gets a block of its own of the source's `dataSize`, built as
 * `cstd_tree_constructWithSizeAndVtable` builds one (allocation, then the
 * table's `construct` slot, or zero-fill for a plain-data table) and then
 * filled by the assignment (the table's `assign` slot, otherwise bytes). The
 * table's `constructCopy` slot is never called.
 *
 * @return the status as the clean-up leaves it. If the children list cannot
 *         be built, the node holds `parent` none and `indexInParent` -1 and
 *         is not a constructed node. Any later failure destroys the node with
 *         `cstd_tree_destruct` and releases the copy's payload block, element
 *         destroyed first where it was built. When the list already names the
 *         source's children, that destruction stops at the first of them
 *         (their `parent` is the source), so the source's children are never
 *         deleted; the node then still holds its list, naming them, and no
 *         payload: release the list with `cstd_vector_cstd_treePtr_destruct`
 *         on `&tree->children`.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_constructCopy(cstd_tree *tree, const cstd_tree *source);

#ifdef __cplusplus
}
#endif

#endif /* ZODOVAR9_TREE_H */
