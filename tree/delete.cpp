// Subtree deletion.
//
// Every descendant is detached from the front of its parent's list, emptied
// of its own descendants, and deleted, so payloads are destroyed in
// post-order. The walk is a loop, not a recursion, so a chain of any height
// costs no stack, and it allocates nothing: a detached node whose descendants
// are being deleted is named by nothing the caller holds, and its own
// `parent` and `indexInParent` (which a root leaves unused) keep the walk's
// place at that level until the node is deleted:
//  - `indexInParent` holds how many of its former siblings still follow it;
//  - `parent` holds the next of them, which is still attached to the level's
//    parent, or, for the last child, that parent itself.
// Both are reset to none and -1 before the node is handed to a deletion and
// before any return.
#include "tree/checked.hpp"
#include "tree/internal.hpp"

namespace zodovar9::core {
namespace {

struct Place {
    cstd_tree *parent; // the level's parent
    cstd_tree *next;   // the sibling to delete after this one; none for the last
    int32_t following; // siblings still to delete after this one
};

void keepPlace(cstd_tree *child, const Place &place)
{
    child->parent = place.following > 0 ? place.next : place.parent;
    child->indexInParent = place.following;
}

Place takePlace(cstd_tree *child)
{
    const int32_t following = child->indexInParent;
    cstd_tree *const link = child->parent;
    child->parent = nullptr;
    child->indexInParent = -1;
    return following > 0 ? Place{link->parent, link, following} : Place{link, nullptr, 0};
}

// On a failure, every node between `node` and `top` gets its root state back.
cstd_status unwind(cstd_tree *node, cstd_tree *top, cstd_status status)
{
    while (node != top) {
        node = takePlace(node).parent;
    }
    return status;
}

// Deletes a detached, childless node (the library's own use of the deletion,
// which needs nothing done about former children).
cstd_status deleteChildless(cstd_tree **p);

} // namespace

cstd_status deleteDescendants(cstd_tree *top)
{
    cstd_tree *level = top; // the node whose children are being deleted
    for (;;) {
        // Enter `level`: count its children and take the first.
        uint32_t count = 0;
        cstd_status status = cstd_vector__getSize32(&level->children, &count);
        if (status < 0) {
            return unwind(level, top, status);
        }
        cstd_tree *child = nullptr;
        int32_t following = static_cast<int32_t>(count) - 1;
        if (count != 0) {
            status = cstd_tree_getFirstChild(level, &child);
            if (status < 0) {
                return unwind(level, top, status);
            }
        }
        // Leave levels whose children are all deleted: delete the level's
        // node itself, then go on with its next sibling, or leave its parent.
        while (child == nullptr) {
            if (level == top) {
                return status;
            }
            const Place place = takePlace(level);
            status = deleteChildless(&level);
            if (status < 0) {
                return unwind(place.parent, top, status);
            }
            level = place.parent;
            child = place.next;
            following = place.following - 1;
        }
        // Detach the child (its next sibling asked for first, while it is
        // attached) and descend into it.
        cstd_tree *next = nullptr;
        if (following > 0) {
            status = cstd_tree_getNextSibling(child, &next);
            if (status < 0) {
                return unwind(level, top, status);
            }
        }
        status = cstd_tree_removeChild(level, child);
        if (status < 0) {
            return unwind(level, top, status);
        }
        keepPlace(child, {level, next, following});
        level = child;
    }
}

namespace {

cstd_status deleteChildless(cstd_tree **p)
{
    const cstd_status status = cstd_vector__clear(&(*p)->children);
    if (status < 0) {
        return status;
    }
    return cstd_tree_delete(p);
}

} // namespace
} // namespace zodovar9::core

extern "C" {

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_deleteThisAndAllDescendants(cstd_tree **p)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_deleteThisAndAllDescendants", p);
    if (*p == nullptr) {
        return 0;
    }
    const cstd_status status = zodovar9::core::deleteDescendants(*p);
    if (status < 0) {
        return status;
    }
    return zodovar9::core::deleteChildless(p);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_deleteThisButNotDescendants(cstd_tree **p)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_deleteThisButNotDescendants", p);
    if (*p == nullptr) {
        return 0;
    }
    // The children stay allocated; those whose link names this node become
    // roots, so none is left naming a released record. Nodes listed by a
    // shallow copy belong to another parent and are left as they are.
    cstd_tree *node = *p;
    cstd_tree **begin = nullptr;
    uint32_t count = 0;
    const cstd_status status =
        cstd_vector__getBeginSize32(&node->children, zodovar9::sys::blockAddress(&begin), &count);
    if (status < 0) {
        return status;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (begin[i]->parent == node) {
            begin[i]->parent = nullptr;
            begin[i]->indexInParent = -1;
        }
    }
    return zodovar9::core::deleteChildless(p);
}

} // extern "C"
