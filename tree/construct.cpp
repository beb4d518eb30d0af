// Node construction and destruction, in place and on the heap.
#include "tree/checked.hpp"
#include "tree/internal.hpp"

#include <cstddef>

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(cstd_vector) == 28, "the array record is seven 32-bit words");
static_assert(sizeof(cstd_tree) == 48, "a node record is 48 bytes in the 32-bit layout");
static_assert(sizeof(cstd_treePtr) == 4 && sizeof(cstd_vtable) == 20);
// Programs built by other compilers read these records by offset: each
// public record's every field sits where the 32-bit binary interface puts it.
static_assert(offsetof(cstd_tree, parent) == 0 && offsetof(cstd_tree, indexInParent) == 4 &&
              offsetof(cstd_tree, children) == 8 && offsetof(cstd_tree, data) == 36 &&
              offsetof(cstd_tree, dataSize) == 40 && offsetof(cstd_tree, vtable) == 44 && alignof(cstd_tree) == 4);
static_assert(offsetof(cstd_vector, begin) == 0 && offsetof(cstd_vector, vtable) == 4 &&
              offsetof(cstd_vector, mtable) == 8 && offsetof(cstd_vector, size) == 12 &&
              offsetof(cstd_vector, capacity) == 16 && offsetof(cstd_vector, elementSize) == 20 &&
              offsetof(cstd_vector, flags) == 24 && alignof(cstd_vector) == 4);
static_assert(offsetof(cstd_vtable, construct) == 0 && offsetof(cstd_vtable, constructCopy) == 4 &&
              offsetof(cstd_vtable, assign) == 8 && offsetof(cstd_vtable, destruct) == 12 &&
              offsetof(cstd_vtable, tag) == 16 && alignof(cstd_vtable) == 4);
static_assert(sizeof(cstd_mtable) == 12 && offsetof(cstd_mtable, alloc) == 0 && offsetof(cstd_mtable, release) == 4 &&
              offsetof(cstd_mtable, context) == 8 && alignof(cstd_mtable) == 4);
static_assert(sizeof(csys_cleanupRecord) == 16 && offsetof(csys_cleanupRecord, kind) == 0 &&
              offsetof(csys_cleanupRecord, code) == 4 && offsetof(csys_cleanupRecord, target) == 8 &&
              offsetof(csys_cleanupRecord, function) == 12 && alignof(csys_cleanupRecord) == 4);
static_assert(sizeof(cmath_xformLinear) == 48 && offsetof(cmath_xformLinear, matrix) == 0 &&
              offsetof(cmath_xformLinear, translation) == 36 && alignof(cmath_xformLinear) == 4);
#endif

using zodovar9::sys::blockAddress;

namespace {

// Record kinds and codes of the sized constructor's clean-up list.
constexpr std::uint32_t kChildrenKind = csys_cleanupKindDestruct;
constexpr std::uint32_t kChildrenCode = csys_cleanupCodeObject;
constexpr std::uint32_t kPayloadKind = csys_cleanupKindFree;
constexpr std::uint32_t kPayloadCode = csys_cleanupCodeBlock;

// The heap half of both new operations: delete the old node, then allocate
// and build a new record with `construct`, which is one of the constructors.
template <class Construct>
cstd_status renew(cstd_tree **p, Construct construct)
{
    cstd_tree *node = nullptr;
    if (*p != nullptr) {
        cstd_status status = cstd_tree_destruct(*p);
        if (status < 0) {
            return status;
        }
        status = csys_memory_free_internal(blockAddress(p));
        if (status < 0) {
            return status;
        }
    }
    cstd_status status = csys_memory_alloc_internal(sizeof(cstd_tree), blockAddress(&node));
    if (status < 0) {
        return status;
    }
    status = construct(node);
    if (status < 0) {
        // The construct's failure is the one to report, whatever the release says.
        csys_memory_free_internal(blockAddress(&node));
        return status;
    }
    *p = node;
    return status;
}

} // namespace

extern "C" {

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_construct(cstd_tree *tree)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_construct", tree);
    tree->parent = nullptr;
    tree->indexInParent = -1;
    const cstd_status status = zodovar9::core::constructChildren(&tree->children);
    if (status < 0) {
        return status;
    }
    tree->data = nullptr;
    tree->dataSize = 0;
    tree->vtable = nullptr;
    return status;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_constructWithSizeAndVtable(cstd_tree *tree, uint32_t size,
                                                                        const cstd_vtable *table)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_constructWithSizeAndVtable", tree);
    zodovar9::sys::CleanupList<2> cleanup;
    cstd_status &status = cleanup.status();

    tree->parent = nullptr;
    tree->indexInParent = -1;
    status = zodovar9::core::constructChildren(&tree->children);
    if (status < 0) {
        return cleanup.finish();
    }
    cleanup.add(kChildrenKind, kChildrenCode, &tree->children, &cstd_vector_cstd_treePtr_destruct);

    tree->data = nullptr;
    tree->dataSize = size;
    tree->vtable = table;
    status = csys_memory_alloc_internal(size, &tree->data);
    if (status < 0) {
        return cleanup.finish();
    }
    cleanup.add(kPayloadKind, kPayloadCode, &tree->data, &csys_memory_free_internal);

    zodovar9::core::constructElement(status, table, tree->data, size);
    return cleanup.finish();
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_destruct(cstd_tree *tree)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_destruct", tree);
    cstd_status status = zodovar9::core::deleteDescendants(tree);
    if (status < 0) {
        return status;
    }
    // The parent is never touched: it may be long gone (a copy keeps its
    // source's link without being listed), so detaching first is the caller's.
    tree->parent = nullptr;
    tree->indexInParent = -1;
    status = cstd_vector__destruct(&tree->children);
    if (status < 0) {
        return status;
    }
    if (tree->vtable != nullptr && tree->vtable->destruct != nullptr) {
        status = tree->vtable->destruct(tree->data);
        if (status < 0) {
            return status;
        }
    }
    if (tree->dataSize != 0) {
        status = csys_memory_free_internal(&tree->data);
        if (status < 0) {
            return status;
        }
    }
    tree->dataSize = 0;
    tree->data = nullptr;
    tree->vtable = nullptr;
    return status;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_delete(cstd_tree **p)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_delete", p);
    if (*p == nullptr) {
        return 0;
    }
    ZODOVAR9_EXPECT_LIVE("cstd_tree_delete", *p);
    const cstd_status status = cstd_tree_destruct(*p);
    if (status < 0) {
        return status;
    }
    return csys_memory_free_internal(blockAddress(p));
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_new(cstd_tree **p)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_new", p);
    return renew(p, [](cstd_tree *node) { return cstd_tree_construct(node); });
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_newWithSizeAndVtable(cstd_tree **p, uint32_t size,
                                                                  const cstd_vtable *table)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_newWithSizeAndVtable", p);
    return renew(p, [size, table](cstd_tree *node) { return cstd_tree_constructWithSizeAndVtable(node, size, table); });
}

} // extern "C"
