// Subtree deletion.
//
// Every descendant is detached from the front of its parent's list, emptied
// of its own descendants, and deleted, so payloads are destroyed in
// post-order. The walk is a loop, not a recursion, so a chain of any height
// costs no stack, and it allocates nothing: a detached node whose descendants
// are being deleted is named by nothing the caller holds, and its own
// `parent` and `indexInParent` (which a root leaves unused) keep the walk's
// place at that level until the node is deleted (see `keepPlace`). Both are
// reset to none and -1 before the node is handed to a deletion and before
// any return.
//
// Positions owed. A removal from the front renumbers every sibling behind
// the child, and as each of them leaves in turn, a node's K children would
// cost K * K / 2 writes into records all over the heap. Of those positions
// the walk itself reads one, that of the sibling it detaches next, so a
// removal here writes that one, and while the list is as the walk expects
// (that sibling at its front, attached to the level, the count as it should
// be), owes the others: it keeps the list's begin and count as the removal's
// second query gave them. The next removal at that level supersedes the debt
// with a later one; every return pays what is owed at every level on the way
// up, so the positions after any failure are those that renumbering at once
// would have left. One failure cannot be paid in full: when the second query
// fails after an erase, the list has moved and its begin is not known. The
// sibling detached next then gets the position it had before the erase, as a
// failed renumbering leaves it; those behind it keep theirs from before the
// level's first owed removal.
#include "tree/checked.hpp"
#include "tree/internal.hpp"

#if !defined(ZODOVAR9_LEVER_LINEAR_DELETE)
#define ZODOVAR9_LEVER_LINEAR_DELETE 1
#endif

namespace zodovar9::core {
namespace {

constexpr bool kOwePositions = ZODOVAR9_LEVER_LINEAR_DELETE != 0;

// A level's list as a removal's second query left it: its front holds its
// position, positions 1 to count - 1 are still to be written.
struct Owed {
    cstd_tree **begin = nullptr;
    int32_t count = 0;

    void pay() const
    {
        for (int32_t i = 1; i < count; ++i) begin[i]->indexInParent = i;
    }
};

struct Place {
    cstd_tree *parent; // the level's parent
    cstd_tree *next;   // the sibling to delete after this one; none for the last
    int32_t following; // siblings still to delete after this one
    Owed owed;         // the level's positions still owed
};

// A detached child keeps the place of the walk at its level in its own links:
//  - `indexInParent` holds how many of its former siblings still follow it,
//    negated when the level owes positions;
//  - `parent` holds the next of them, which is still attached to the level's
//    parent, or, for the last child, that parent itself; when positions are
//    owed, the begin of the list instead, whose front is that next sibling
//    and whose count is the number following.
void keepPlace(cstd_tree *child, const Place &place)
{
    if (place.owed.count != 0) {
        child->parent = reinterpret_cast<cstd_tree *>(place.owed.begin);
        child->indexInParent = -place.following;
        return;
    }
    child->parent = place.next != nullptr ? place.next : place.parent;
    child->indexInParent = place.next != nullptr ? place.following : 0;
}

Place takePlace(cstd_tree *child)
{
    const int32_t following = child->indexInParent;
    cstd_tree *const link = child->parent;
    child->parent = nullptr;
    child->indexInParent = -1;
    if (following < 0) {
        auto **const begin = reinterpret_cast<cstd_tree **>(link);
        return {begin[0]->parent, begin[0], -following, {begin, -following}};
    }
    return following > 0 ? Place{link->parent, link, following, {}} : Place{link, nullptr, 0, {}};
}

// On a return, every level between `node` and `top` is paid what it is owed,
// and every node between them gets its root state back.
cstd_status unwind(cstd_tree *node, cstd_tree *top, const Owed &owed, cstd_status status)
{
    owed.pay();
    while (node != top) {
        const Place place = takePlace(node);
        place.owed.pay();
        node = place.parent;
    }
    return status;
}

// Detaches `child` from `parent` with the calls of `cstd_tree_removeChild`,
// in its order and with its arguments. It renumbers the list as that does,
// or, where the list is as the walk expects (`next` at its front, attached
// to `parent`, and `following` entries), writes `next`'s position and leaves
// the others in `owed`, which on entry holds what the level owed before.
cstd_status detach(cstd_tree *parent, cstd_tree *child, cstd_tree *next, int32_t following, Owed &owed)
{
    Unlisted list;
    const cstd_status status = unlist(parent, child, list);
    if (status < 0) {
        if (list.erased && owed.count != 0) { // `child` was the front, `next` behind it
            next->indexInParent = 1;
            owed = {};
        }
        return status;
    }
    if (kOwePositions && next != nullptr && list.count > 1 && static_cast<int32_t>(list.count) == following &&
        list.begin[0] == next && next->parent == parent) {
        next->indexInParent = 0;
        owed = {list.begin, following};
        return status;
    }
    owed = {};
    for (int32_t i = 0; i < static_cast<int32_t>(list.count); ++i) list.begin[i]->indexInParent = i;
    return status;
}

// Deletes a detached, childless node (the library's own use of the deletion,
// which needs nothing done about former children).
cstd_status deleteChildless(cstd_tree **p);

} // namespace

cstd_status deleteDescendants(cstd_tree *top)
{
    cstd_tree *level = top; // the node whose children are being deleted
    Owed owed;              // what `level`'s list is owed
    // A sibling that names another parent than the level listing it: its
    // removal is refused once `top` is gone (see below).
    cstd_tree *refused = nullptr;
    bool refusedAsks = false; // whether the walk asks it for its next sibling first
    for (;;) {
        // Enter `level`: count its children and take the first.
        uint32_t count = 0;
        cstd_status status = cstd_vector__getSize32(&level->children, &count);
        if (status < 0) {
            return unwind(level, top, owed, status);
        }
        cstd_tree *child = nullptr;
        int32_t following = static_cast<int32_t>(count) - 1;
        if (count != 0) {
            status = cstd_tree_getFirstChild(level, &child);
            if (status < 0) {
                return unwind(level, top, owed, status);
            }
        }
        // Leave levels whose children are all deleted: delete the level's
        // node itself, then go on with its next sibling, or leave its parent.
        while (child == nullptr) {
            if (level == top && refused == nullptr) {
                return status;
            }
            if (level == top) { // the refusing level's walk goes on after `top`
                status = deleteChildless(&top);
                if (status < 0) {
                    return status;
                }
                cstd_tree *after = nullptr;
                status = refusedAsks ? cstd_tree_getNextSibling(refused, &after) : 0;
                return status < 0 ? status : cstd_tree_errWrongParent;
            }
            const Place place = takePlace(level);
            status = deleteChildless(&level);
            if (status < 0) {
                return unwind(place.parent, top, place.owed, status);
            }
            level = place.parent;
            child = place.next;
            following = place.following - 1;
            owed = place.owed;
        }
        // Detach the child (its next sibling asked for first, while it is
        // attached) and descend into it.
        cstd_tree *next = nullptr;
        if (following > 0) {
            status = cstd_tree_getNextSibling(child, &next);
            if (status < 0) {
                return unwind(level, top, owed, status);
            }
        }
        status = detach(level, child, next, following, owed);
        if (status < 0) {
            return unwind(level, top, owed, status);
        }
        if (next != nullptr && next->parent != level) {
            // A list may hold a node that names another parent (one assigned
            // over, or whose removal failed). Its removal is refused after
            // this child's subtree goes, so this level and those above it
            // end as a failure leaves them: they are settled now, and the
            // child's subtree is deleted as a walk of its own.
            unwind(level, top, owed, 0);
            refused = next;
            refusedAsks = following > 1;
            top = child;
        } else {
            keepPlace(child, {level, next, following, owed});
        }
        level = child;
        owed = {};
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
