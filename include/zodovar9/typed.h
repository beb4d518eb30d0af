/** @file
 * zodovar9 — the typed families: the tree core bound to one fixed payload.
 *
 * | family                        | payload                 | `dataSize`  | element table  |
 * |-------------------------------|-------------------------|-------------|----------------|
 * | `cstd_tree32s`                | one `int32_t`           | 4           | none           |
 * | `cstd_tree_cmath_xformLinear` | one `cmath_xformLinear` | 48          | the family's   |
 * | `cstd_tree_tree`              | one `cstd_tree` node    | one node    | the family's   |
 *
 * A family node is an ordinary `cstd_tree`: only the `dataSize` and `vtable`
 * that its `construct` or `new` gave it make it one. Construction allocates
 * the payload block; the transform family fills it with the identity
 * (`cmath_xformLinear_initIdentity`), the tree family builds an empty node in
 * it, and `cstd_tree32s` leaves its 4 bytes unwritten until `setData`.
 * Destroying a tree-family node destroys its payload node, and with it every
 * node linked below the payload node, before the block is released. The
 * payload node is not linked into the outer tree: navigation and search of
 * the outer tree never enter it.
 *
 * Every rule of <zodovar9/tree.h> holds for the families unchanged: no
 * pointer argument may be none (except a node pointer whose address `new`
 * and the deletions take), and a node is detached before it is destroyed.
 *
 * Apart from `construct` and `new`, every family operation is the core
 * operation of the same name (<zodovar9/tree.h>), one entry point exported
 * under the three family names, with the core's arguments, statuses and
 * out-parameter rules; the reference manual describes it there, under the
 * core's name, and the comments below note what a family adds. Family entries accept any node, of any family or of
 * none, and test no membership: nodes of different families may be linked
 * into one tree. `setData` reads one whole payload of the node's family from
 * the address given; `assign` refuses a pair whose payloads do not fit
 * (`cstd_tree_errPayloadMismatch`), as the core does.
 */
#ifndef ZODOVAR9_TYPED_H
#define ZODOVAR9_TYPED_H

#include <zodovar9/tree.h>
#include <vuvarod9/vuvarod9.h>

#ifdef __cplusplus
extern "C" {
#endif

/**
 * Builds a family node in place: the core's sized constructor with the
 * family's `dataSize` and table, one call.
 * @return `cstd_tree_constructWithSizeAndVtable`'s status: besides its own
 *         failures, that of the element constructor
 *         (`cmath_xformLinear_initIdentity`, or `cstd_tree_construct` on the
 *         payload node), after which the block and the list are released.
 * @{
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_construct(cstd_tree *tree);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_construct(cstd_tree *tree);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_construct(cstd_tree *tree);
/** @} */

/** Makes a heap family node in `*p`, deleting the node it named first: the
 *  core's `cstd_tree_newWithSizeAndVtable` with the family's size and table.
 *  @return that call's status. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_new(cstd_tree **p);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_new(cstd_tree **p);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_new(cstd_tree **p);
/** @} */

/** `cstd_tree_constructCopy`: the copy gets the family's size and table and a block of its own. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_constructCopy(cstd_tree *tree, const cstd_tree *source);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_constructCopy(cstd_tree *tree, const cstd_tree *source);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_constructCopy(cstd_tree *tree, const cstd_tree *source);
/** @} */

/** `cstd_tree_destruct`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_destruct(cstd_tree *tree);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_destruct(cstd_tree *tree);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_destruct(cstd_tree *tree);
/** @} */

/** `cstd_tree_delete`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_delete(cstd_tree **p);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_delete(cstd_tree **p);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_delete(cstd_tree **p);
/** @} */

/** `cstd_tree_deleteThisAndAllDescendants`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_deleteThisAndAllDescendants(cstd_tree **p);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_deleteThisAndAllDescendants(cstd_tree **p);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_deleteThisAndAllDescendants(cstd_tree **p);
/** @} */

/** `cstd_tree_deleteThisButNotDescendants`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_deleteThisButNotDescendants(cstd_tree **p);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_deleteThisButNotDescendants(cstd_tree **p);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_deleteThisButNotDescendants(cstd_tree **p);
/** @} */

/** `cstd_tree_setData`: reads one whole payload of the family from `value` (4 bytes, one `cmath_xformLinear`, or one
 * `cstd_tree`, which the payload node is assigned from). @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_setData(cstd_tree *tree, const void *value);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_setData(cstd_tree *tree, const void *value);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_setData(cstd_tree *tree, const void *value);
/** @} */

/** `cstd_tree_getDataPtr`: the payload block's address (for the tree family, the payload node). @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getDataPtr(const cstd_tree *tree, void **data);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getDataPtr(const cstd_tree *tree, void **data);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getDataPtr(const cstd_tree *tree, void **data);
/** @} */

/** `cstd_tree_assign`; both nodes of one family. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_assign(cstd_tree *tree, const cstd_tree *source);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_assign(cstd_tree *tree, const cstd_tree *source);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_assign(cstd_tree *tree, const cstd_tree *source);
/** @} */

/** `cstd_tree_addChild`; nodes of different families may be linked. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_addChild(cstd_tree *tree, cstd_tree *child);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_addChild(cstd_tree *tree, cstd_tree *child);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_addChild(cstd_tree *tree, cstd_tree *child);
/** @} */

/** `cstd_tree_removeChild`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_removeChild(cstd_tree *tree, cstd_tree *child);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_removeChild(cstd_tree *tree, cstd_tree *child);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_removeChild(cstd_tree *tree, cstd_tree *child);
/** @} */

/** `cstd_tree_getNumChildren`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getNumChildren(const cstd_tree *tree, uint32_t *count);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getNumChildren(const cstd_tree *tree, uint32_t *count);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getNumChildren(const cstd_tree *tree, uint32_t *count);
/** @} */

/** `cstd_tree_hasParent`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_hasParent(const cstd_tree *tree, uint32_t *truth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_hasParent(const cstd_tree *tree, uint32_t *truth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_hasParent(const cstd_tree *tree, uint32_t *truth);
/** @} */

/** `cstd_tree_getParent`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getParent(cstd_tree *tree, cstd_tree **parent);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getParent(cstd_tree *tree, cstd_tree **parent);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getParent(cstd_tree *tree, cstd_tree **parent);
/** @} */

/** `cstd_tree_getParent`: the same entry point as the family's `getParent`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getParentConst(const cstd_tree *tree, const cstd_tree **parent);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getParentConst(const cstd_tree *tree,
                                                                              const cstd_tree **parent);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getParentConst(const cstd_tree *tree, const cstd_tree **parent);
/** @} */

/** `cstd_tree_getFirstChild`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getFirstChild(cstd_tree *tree, cstd_tree **child);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getFirstChild(cstd_tree *tree, cstd_tree **child);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getFirstChild(cstd_tree *tree, cstd_tree **child);
/** @} */

/** `cstd_tree_getFirstChildConst`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getFirstChildConst(const cstd_tree *tree, const cstd_tree **child);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getFirstChildConst(const cstd_tree *tree,
                                                                                  const cstd_tree **child);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getFirstChildConst(const cstd_tree *tree, const cstd_tree **child);
/** @} */

/** `cstd_tree_hasPrevSibling`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_hasPrevSibling(const cstd_tree *tree, uint32_t *truth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_hasPrevSibling(const cstd_tree *tree, uint32_t *truth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_hasPrevSibling(const cstd_tree *tree, uint32_t *truth);
/** @} */

/** `cstd_tree_getPrevSibling`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getPrevSibling(cstd_tree *tree, cstd_tree **sibling);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getPrevSibling(cstd_tree *tree, cstd_tree **sibling);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getPrevSibling(cstd_tree *tree, cstd_tree **sibling);
/** @} */

/** `cstd_tree_getPrevSibling`: the same entry point as the family's `getPrevSibling`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getPrevSiblingConst(const cstd_tree *tree, const cstd_tree **sibling);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getPrevSiblingConst(const cstd_tree *tree,
                                                                                   const cstd_tree **sibling);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getPrevSiblingConst(const cstd_tree *tree, const cstd_tree **sibling);
/** @} */

/** `cstd_tree_hasNextSibling`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_hasNextSibling(const cstd_tree *tree, uint32_t *truth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_hasNextSibling(const cstd_tree *tree, uint32_t *truth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_hasNextSibling(const cstd_tree *tree, uint32_t *truth);
/** @} */

/** `cstd_tree_getNextSibling`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getNextSibling(cstd_tree *tree, cstd_tree **sibling);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getNextSibling(cstd_tree *tree, cstd_tree **sibling);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getNextSibling(cstd_tree *tree, cstd_tree **sibling);
/** @} */

/** `cstd_tree_getNextSibling`: the same entry point as the family's `getNextSibling`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getNextSiblingConst(const cstd_tree *tree, const cstd_tree **sibling);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getNextSiblingConst(const cstd_tree *tree,
                                                                                   const cstd_tree **sibling);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getNextSiblingConst(const cstd_tree *tree, const cstd_tree **sibling);
/** @} */

/** `cstd_tree_getDepthFromRoot`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getDepthFromRoot(const cstd_tree *tree, int32_t *depth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getDepthFromRoot(const cstd_tree *tree, int32_t *depth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getDepthFromRoot(const cstd_tree *tree, int32_t *depth);
/** @} */

/** `cstd_tree_hasNextSearchElement`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_hasNextSearchElement(const cstd_tree *tree, int32_t searchType,
                                                                     uint32_t *truth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_hasNextSearchElement(const cstd_tree *tree,
                                                                                    int32_t searchType,
                                                                                    uint32_t *truth);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_hasNextSearchElement(const cstd_tree *tree, int32_t searchType,
                                                                       uint32_t *truth);
/** @} */

/** `cstd_tree_getNextSearchElement`, through the core's read-only entry: the same entry point as
 * `cstd_tree_getNextSearchElementConst`. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getNextSearchElement(const cstd_tree *tree, int32_t searchType,
                                                                     const cstd_tree **next);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getNextSearchElement(const cstd_tree *tree,
                                                                                    int32_t searchType,
                                                                                    const cstd_tree **next);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getNextSearchElement(const cstd_tree *tree, int32_t searchType,
                                                                       const cstd_tree **next);
/** @} */

/** `cstd_tree_getNextSearchElement`, through the families' `getNextSearchElement` entry. @{ */
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getNextSearchElementConst(const cstd_tree *tree, int32_t searchType,
                                                                          const cstd_tree **next);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_getNextSearchElementConst(const cstd_tree *tree,
                                                                                         int32_t searchType,
                                                                                         const cstd_tree **next);
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_getNextSearchElementConst(const cstd_tree *tree, int32_t searchType,
                                                                            const cstd_tree **next);
/** @} */

#ifdef __cplusplus
}
#endif

#endif /* ZODOVAR9_TYPED_H */
