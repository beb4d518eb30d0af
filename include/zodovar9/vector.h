/*
 * zodovar9 — the tree-pointer vector: the system library's generic array
 * (<rezade9/vector.h>) bound to `cstd_treePtr` elements, the type of every
 * node's children list. Each entry makes one call to the generic function and
 * returns its status unchanged; the array never touches the nodes its
 * elements point at.
 */
#ifndef ZODOVAR9_VECTOR_H
#define ZODOVAR9_VECTOR_H

#include <zodovar9/tree.h>

#ifdef __cplusplus
extern "C" {
#endif

/**
 * Destroys a tree-pointer array and releases its storage; the nodes it names
 * are untouched. One call to `cstd_vector__destruct`.
 *
 * @return `cstd_vector__destruct`'s status.
 */
ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_destruct(cstd_vector *array);

#ifdef __cplusplus
}
#endif

#endif /* ZODOVAR9_VECTOR_H */
