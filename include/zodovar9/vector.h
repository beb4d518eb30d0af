/** @file
 * zodovar9 — the tree-pointer vector: the system library's generic array
 * (<rezade9/vector.h>) bound to `cstd_treePtr` elements, the type of every
 * node's children list.
 *
 * The element size is `sizeof(cstd_treePtr)` (4 in the 32-bit layout), with
 * no element table and flags 0: the elements are plain node pointers, copied
 * and dropped as bytes, so the array never touches the nodes its elements
 * point at. Destroying or clearing it neither detaches nor deletes a node.
 *
 * Each entry makes exactly one call to the generic function named in its
 * comment, adding only the words listed there, and returns that function's
 * status unchanged; arguments, failures and effects are the generic
 * function's. Counts, sizes and positions of `uint64_t` are two 32-bit words
 * in the 32-bit layout, passed on as they are.
 */
#ifndef ZODOVAR9_VECTOR_H
#define ZODOVAR9_VECTOR_H

#include <zodovar9/tree.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- construction and destruction ------------------------------------ */

/** Builds a tree-pointer array of `size` elements, each none.
 *  `cstd_vector__constructWithVtable(array, size, sizeof(cstd_treePtr), none, 0)`.
 *  @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_construct(cstd_vector *array, uint64_t size);

/** As `cstd_vector_cstd_treePtr_construct`, with storage from `mtable`.
 *  `cstd_vector__constructWithVtableWithMtable(array, size,
 *  sizeof(cstd_treePtr), none, 0, mtable)`. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructWithMtable(cstd_vector *array, uint64_t size,
                                                                                const cstd_mtable *mtable);

/** Builds an empty tree-pointer array; allocates nothing.
 *  `cstd_vector__constructWithVtable(array, 0, sizeof(cstd_treePtr), none, 0)`.
 *  @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructEmpty(cstd_vector *array);

/** As `cstd_vector_cstd_treePtr_constructEmpty`, with storage from `mtable`.
 *  `cstd_vector__constructWithVtableWithMtable(array, 0, sizeof(cstd_treePtr),
 *  none, 0, mtable)`. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructEmptyWithMtable(cstd_vector *array,
                                                                                     const cstd_mtable *mtable);

/** Builds a tree-pointer array of `size` raw elements, for the caller to
 *  write. `cstd_vector__constructWithVtableUninit(array, size,
 *  sizeof(cstd_treePtr), none, 0)`. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructUninit(cstd_vector *array, uint64_t size);

/** Builds a tree-pointer array of `size` copies of the pointer at `fill`.
 *  `cstd_vector__constructFillWithVtable(array, size, sizeof(cstd_treePtr),
 *  none, fill, 0)`. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructFill(cstd_vector *array, uint64_t size,
                                                                          const void *fill);

/** Builds a tree-pointer array holding the `count` pointers at `block`.
 *  `cstd_vector__constructFromBlockWithVtable(array, sizeof(cstd_treePtr),
 *  none, block, count, 0)`. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructFromBlock(cstd_vector *array, const void *block,
                                                                               uint32_t count);

/** Builds `destination` as a copy of `source`; the nodes are not copied.
 *  `cstd_vector__constructCopy`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_constructCopy(cstd_vector *destination,
                                                                          const cstd_vector *source);

/** Makes `destination` hold `source`'s pointers.
 *  `cstd_vector__assign`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_assign(cstd_vector *destination, const cstd_vector *source);

/** Makes `array` hold the `count` pointers at `elements`.
 *  `cstd_vector__assignElements`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_assignElements(cstd_vector *array, const void *elements,
                                                                           uint64_t count);

/** Destroys a tree-pointer array and releases its storage; the nodes it
 *  names are untouched. `cstd_vector__destruct`, arguments as given.
 *  @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_destruct(cstd_vector *array);

/* ---- size and capacity ----------------------------------------------- */

/** Sets the element count; new elements are none, dropped ones are only
 *  forgotten. `cstd_vector__resize`, arguments as given. @return its
 *  status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_resize(cstd_vector *array, uint64_t size);

/** As `cstd_vector_cstd_treePtr_resize`, leaving new elements raw.
 *  `cstd_vector__resizeUninit`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_resizeUninit(cstd_vector *array, uint64_t size);

/** As `cstd_vector_cstd_treePtr_resize`, new elements copies of the pointer
 *  at `fill`. `cstd_vector__resizeFill`, arguments as given. @return its
 *  status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_resizeFill(cstd_vector *array, uint64_t size,
                                                                       const void *fill);

/** Makes room for at least `capacity` pointers.
 *  `cstd_vector__reserve`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_reserve(cstd_vector *array, uint64_t capacity);

/** Writes the element count. `cstd_vector__getSize32`, arguments as given.
 *  @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getSize(const cstd_vector *array, uint32_t *size);

/** The same entry point as `cstd_vector_cstd_treePtr_getSize`. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getSize32(const cstd_vector *array, uint32_t *size);

/** Writes the number of pointers the storage holds.
 *  `cstd_vector__getCapacity`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getCapacity(const cstd_vector *array, uint64_t *capacity);

/** Writes the element size, `sizeof(cstd_treePtr)` for an array built here.
 *  `cstd_vector__getElementSize`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getElementSize(const cstd_vector *array,
                                                                           uint32_t *elementSize);

/* ---- element access -------------------------------------------------- */

/** Writes the address of the first pointer and, when `end` is not none, one
 *  past the last. `cstd_vector__getBeginEnd`, arguments as given.
 *  @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginEnd(cstd_vector *array, void **begin, void **end);

/** The read-only form of `cstd_vector_cstd_treePtr_getBeginEnd`.
 *  `cstd_vector__getBeginEndConst`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginEndConst(const cstd_vector *array,
                                                                             const void **begin, const void **end);

/** Writes the address of the first pointer.
 *  `cstd_vector__getBeginEnd(array, begin, none)`. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBegin(cstd_vector *array, void **begin);

/** The read-only form of `cstd_vector_cstd_treePtr_getBegin`.
 *  `cstd_vector__getBeginEndConst(array, begin, none)`. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginConst(const cstd_vector *array, const void **begin);

/** Writes the address of the first pointer and the element count.
 *  `cstd_vector__getBeginSize32`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginSize(cstd_vector *array, void **begin,
                                                                         uint32_t *size);

/** The same entry point as `cstd_vector_cstd_treePtr_getBeginSize`. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginSize32(cstd_vector *array, void **begin,
                                                                           uint32_t *size);

/** The read-only form of `cstd_vector_cstd_treePtr_getBeginSize`.
 *  `cstd_vector__getBeginSize32Const`, arguments as given. @return its
 *  status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginSizeConst(const cstd_vector *array,
                                                                              const void **begin, uint32_t *size);

/** The same entry point as `cstd_vector_cstd_treePtr_getBeginSizeConst`. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getBeginSize32Const(const cstd_vector *array,
                                                                                const void **begin, uint32_t *size);

/** Writes the address of pointer `index`.
 *  `cstd_vector__getElement`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getElement(cstd_vector *array, uint64_t index,
                                                                       void **element);

/** The read-only form of `cstd_vector_cstd_treePtr_getElement`.
 *  `cstd_vector__getElementConst`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_getElementConst(const cstd_vector *array, uint64_t index,
                                                                            const void **element);

/* ---- modification ---------------------------------------------------- */

/** Inserts the `count` pointers at `elements` before `position`.
 *  `cstd_vector__insert`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_insert(cstd_vector *array, uint64_t position,
                                                                   const void *elements, uint64_t count);

/** Inserts the pointer at `element` before `position`.
 *  `cstd_vector__insertElement`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_insertElement(cstd_vector *array, uint64_t position,
                                                                          const void *element);

/** Removes `count` pointers from `position` on; their nodes are untouched.
 *  `cstd_vector__erase`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_erase(cstd_vector *array, uint64_t position,
                                                                  uint64_t count);

/** Removes the pointer stored at address `element`; its node is untouched.
 *  `cstd_vector__eraseElement`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_eraseElement(cstd_vector *array, void *element);

/** Appends the pointer at `element`.
 *  `cstd_vector__pushBack`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_pushBack(cstd_vector *array, const void *element);

/** Removes the last pointer; its node is untouched.
 *  `cstd_vector__popBack`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_popBack(cstd_vector *array);

/** Removes every pointer and keeps the storage; the nodes are untouched.
 *  `cstd_vector__clear`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_clear(cstd_vector *array);

/** Removes every pointer and releases the storage; the nodes are untouched.
 *  `cstd_vector__clearAndFreeMemory`, arguments as given. @return its
 *  status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_clearAndFreeMemory(cstd_vector *array);

/** Appends `source`'s pointers.
 *  `cstd_vector__append`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_append(cstd_vector *array, const cstd_vector *source);

/** Exchanges the contents of two arrays.
 *  `cstd_vector__swap`, arguments as given. @return its status. */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_swap(cstd_vector *a, cstd_vector *b);

#ifdef __cplusplus
}
#endif

#endif /* ZODOVAR9_VECTOR_H */
