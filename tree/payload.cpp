// Payload access and node copy.
#include "tree/checked.hpp"
#include "tree/internal.hpp"

namespace {

bool hasAssignSlot(const cstd_vtable *table) { return table != nullptr && table->assign != nullptr; }

// Whether the source's payload fits the destination's, so that assigning it
// writes only inside the destination's own element and orphans no block:
// the same `dataSize` (both values, or blocks of one size), and, where the
// destination's table assigns, the table whose elements that slot knows.
bool payloadsFit(const cstd_tree *destination, const cstd_tree *source)
{
    if (destination->dataSize != source->dataSize) {
        return false;
    }
    return !hasAssignSlot(destination->vtable) || destination->vtable == source->vtable;
}

// The clean-up of a copy's own payload block. It may run before or after the
// record that destroys the node (which releases the block itself when it gets
// that far), so it does its work once and then finds nothing to do. The block
// goes even when the element's `destruct` slot fails: a failed copy leaks no
// block.
cstd_status CSTD_CALL releaseCopiedPayload(void *target)
{
    auto *node = static_cast<cstd_tree *>(target);
    if (node->dataSize == 0) {
        return 0;
    }
    if (node->vtable != nullptr && node->vtable->destruct != nullptr) {
        node->vtable->destruct(node->data);
    }
    const cstd_status status = csys_memory_free_internal(&node->data);
    node->dataSize = 0;
    node->vtable = nullptr;
    return status;
}

} // namespace

extern "C" {

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_setData(cstd_tree *tree, const void *value)
{
    ZODOVAR9_EXPECT_SETTABLE("cstd_tree_setData", tree, value);
    if (hasAssignSlot(tree->vtable)) {
        return tree->vtable->assign(tree->data, value);
    }
    if (tree->dataSize != 0) {
        return csys_memory_copy(tree->dataSize, value, tree->data);
    }
    tree->data = const_cast<void *>(value);
    return 0;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getDataPtr(const cstd_tree *tree, void **data)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_getDataPtr", tree, data);
    *data = tree->data;
    return 0;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_assign(cstd_tree *destination, const cstd_tree *source)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_assign", destination, source);
    if (destination == source) {
        return 0;
    }
    if (!payloadsFit(destination, source)) {
        return cstd_tree_errPayloadMismatch;
    }
    // The destination mirrors the source's place: it is not in that parent's
    // list, but every position read from it stays inside the list.
    destination->parent = source->parent;
    destination->indexInParent = source->indexInParent;
    cstd_status status = cstd_vector__assign(&destination->children, &source->children);
    if (status < 0) {
        return status;
    }
    destination->dataSize = source->dataSize;
    if (hasAssignSlot(destination->vtable)) {
        status = destination->vtable->assign(destination->data, source->data);
        if (status < 0) {
            return status;
        }
    } else if (source->dataSize != 0) {
        status = csys_memory_copy(source->dataSize, source->data, destination->data);
        if (status < 0) {
            return status;
        }
    } else {
        destination->data = source->data;
    }
    destination->vtable = source->vtable;
    return status;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_constructCopy(cstd_tree *tree, const cstd_tree *source)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_constructCopy", tree, source);
    zodovar9::sys::CleanupList<2> cleanup;
    cstd_status &status = cleanup.status();

    tree->parent = nullptr;
    tree->indexInParent = -1;
    status = zodovar9::core::constructChildren(&tree->children);
    if (status < 0) {
        return cleanup.finish();
    }
    tree->data = nullptr;
    tree->dataSize = 0;
    tree->vtable = nullptr;
    cleanup.add(csys_cleanupKindDestruct, csys_cleanupCodeObject, tree, &cstd_tree_destruct);

    // A buffer payload gets a block of its own, built as the sized
    // constructor builds one, for the assignment below to fill.
    if (source->dataSize != 0) {
        status = csys_memory_alloc_internal(source->dataSize, &tree->data);
        if (status < 0) {
            return cleanup.finish();
        }
        tree->dataSize = source->dataSize;
        cleanup.add(csys_cleanupKindDestruct, csys_cleanupCodeBlock, tree, &releaseCopiedPayload);
        zodovar9::core::constructElement(status, source->vtable, tree->data, source->dataSize);
        if (status < 0) {
            return cleanup.finish();
        }
        tree->vtable = source->vtable;
    }

    status = cstd_tree_assign(tree, source);
    return cleanup.finish();
}

} // extern "C"
