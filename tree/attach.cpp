// Child attachment: the only writer of `parent`, `indexInParent` and the
// parent's `children`, which it keeps in step.
#include "tree/checked.hpp"
#include "tree/internal.hpp"

namespace zodovar9::core {

cstd_status unlist(cstd_tree *parent, cstd_tree *child, Unlisted &list)
{
    if (child->parent != parent) {
        return cstd_tree_errWrongParent;
    }
    child->parent = nullptr;
    child->indexInParent = -1;

    // The child is found by pointer, not by its stored position, so a node
    // whose link names this parent but which the list does not hold (a copy,
    // a failed attach) is detached all the same.
    uint32_t count = 0;
    cstd_status status = cstd_vector__getSize32(&parent->children, &count);
    if (status < 0) {
        return status;
    }
    cstd_tree **begin = nullptr;
    status = cstd_vector__getBeginEnd(&parent->children, sys::blockAddress(&begin), nullptr);
    if (status < 0) {
        return status;
    }
    for (int32_t i = 0; i < static_cast<int32_t>(count); ++i) {
        if (begin[i] == child) {
            status = cstd_vector__eraseElement(&parent->children, &begin[i]);
            if (status < 0) {
                return status;
            }
            list.erased = true;
            break;
        }
    }
    return cstd_vector__getBeginSize32(&parent->children, sys::blockAddress(&list.begin), &list.count);
}

} // namespace zodovar9::core

extern "C" {

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_addChild(cstd_tree *parent, cstd_tree *child)
{
    ZODOVAR9_EXPECT_ATTACHABLE("cstd_tree_addChild", parent, child);
    if (child->parent != nullptr) {
        return cstd_tree_errWrongParent;
    }
    child->parent = parent;
    uint32_t count = 0;
    const cstd_status status = cstd_vector__getSize32(&parent->children, &count);
    if (status < 0) {
        return status;
    }
    child->indexInParent = static_cast<int32_t>(count);
    return cstd_vector__pushBack(&parent->children, &child);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_removeChild(cstd_tree *parent, cstd_tree *child)
{
    // Not the places: detaching is how a caller undoes an attach whose count
    // failed, which leaves the child linked at -1.
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_removeChild", parent, child);
    zodovar9::core::Unlisted list;
    const cstd_status status = zodovar9::core::unlist(parent, child, list);
    if (status < 0) {
        return status;
    }
    for (int32_t i = 0; i < static_cast<int32_t>(list.count); ++i) {
        list.begin[i]->indexInParent = i;
    }
    return status;
}

} // extern "C"
