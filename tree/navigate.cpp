// Navigation queries: where a node stands. They read positions from
// `indexInParent` instead of searching lists, and change nothing.
#include <type_traits>

#include "tree/checked.hpp"
#include "tree/internal.hpp"

using zodovar9::sys::blockAddress;

namespace {

#if !defined(ZODOVAR9_LEVER_PREFETCH)
#define ZODOVAR9_LEVER_PREFETCH 1
#endif
constexpr bool kPrefetch = ZODOVAR9_LEVER_PREFETCH != 0;

// A walk that reaches a child goes on to its next sibling once the child's
// own subtree is done, which in most trees is soon; asking for that record
// now lets it arrive while the caller works on the child. Always inlined: a
// prefetch changes nothing a program can see, so a helper of its own that
// the compiler splits off is judged free of effects and its call dropped.
template <class Node>
[[gnu::always_inline]] inline void prefetchFollowing(Node *const *children, int64_t index, uint32_t count)
{
    if (kPrefetch && index + 1 < int64_t{count}) {
#if defined(__GNUC__)
        __builtin_prefetch(children[index + 1]);
#endif
    }
}

// The first entry of a children list, by the non-const or const accessor.
template <auto GetBegin, class Node>
cstd_status firstChild(Node *tree, Node **child)
{
    uint32_t count = 0;
    cstd_status status = cstd_vector__getSize32(&tree->children, &count);
    if (status < 0) {
        return status;
    }
    if (count == 0) {
        return cstd_tree_errNoChild;
    }
    std::conditional_t<std::is_const_v<Node>, const void *, void *> begin = nullptr;
    status = GetBegin(&tree->children, &begin, nullptr);
    if (status < 0) {
        return status;
    }
    auto *const children = static_cast<Node *const *>(begin);
    *child = children[0];
    prefetchFollowing(children, 0, count);
    return status;
}

} // namespace

extern "C" {

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getNumChildren(const cstd_tree *tree, uint32_t *count)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_getNumChildren", tree, count);
    return cstd_vector__getSize32(&tree->children, count);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_hasParent(const cstd_tree *tree, uint32_t *truth)
{
    ZODOVAR9_EXPECT_PLACED("cstd_tree_hasParent", tree, truth);
    *truth = tree->parent != nullptr ? 1 : 0;
    return 0;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getParent(cstd_tree *tree, cstd_tree **parent)
{
    ZODOVAR9_EXPECT_PLACED("cstd_tree_getParent", tree, parent);
    if (tree->parent == nullptr) {
        return cstd_tree_errNoParent;
    }
    *parent = tree->parent;
    return 0;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getFirstChild(cstd_tree *tree, cstd_tree **child)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_getFirstChild", tree, child);
    return firstChild<&cstd_vector__getBeginEnd>(tree, child);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getFirstChildConst(const cstd_tree *tree, const cstd_tree **child)
{
    ZODOVAR9_EXPECT_GIVEN("cstd_tree_getFirstChildConst", tree, child);
    return firstChild<&cstd_vector__getBeginEndConst>(tree, child);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_hasPrevSibling(const cstd_tree *tree, uint32_t *truth)
{
    ZODOVAR9_EXPECT_PLACED("cstd_tree_hasPrevSibling", tree, truth);
    *truth = tree->parent != nullptr && tree->indexInParent > 0 ? 1 : 0;
    return 0;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getPrevSibling(cstd_tree *tree, cstd_tree **sibling)
{
    ZODOVAR9_EXPECT_PLACED("cstd_tree_getPrevSibling", tree, sibling);
    if (tree->parent == nullptr) {
        return cstd_tree_errNoParent;
    }
    // A position the list cannot hold (a failed attach leaves -1; a copy's
    // parent may have lost children since) finds no previous sibling: below
    // the list it is refused at once, past it the list's end bounds the read.
    if (tree->indexInParent <= 0) {
        return cstd_tree_errNoPrevSibling;
    }
    cstd_tree *const *begin = nullptr;
    cstd_tree *const *end = nullptr;
    const cstd_status status =
        cstd_vector__getBeginEndConst(&tree->parent->children, blockAddress(&begin), blockAddress(&end));
    if (status < 0) {
        return status;
    }
    const int32_t previous = tree->indexInParent - 1;
    if (previous >= end - begin) {
        return cstd_tree_errNoPrevSibling;
    }
    *sibling = begin[previous];
    return status;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_hasNextSibling(const cstd_tree *tree, uint32_t *truth)
{
    ZODOVAR9_EXPECT_PLACED("cstd_tree_hasNextSibling", tree, truth);
    if (tree->parent == nullptr) {
        *truth = 0;
        return 0;
    }
    uint32_t count = 0;
    const cstd_status status = cstd_vector__getSize32(&tree->parent->children, &count);
    if (status < 0) {
        return status;
    }
    *truth = tree->indexInParent < static_cast<int32_t>(count - 1) ? 1 : 0;
    return status;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getNextSibling(cstd_tree *tree, cstd_tree **sibling)
{
    ZODOVAR9_EXPECT_PLACED("cstd_tree_getNextSibling", tree, sibling);
    if (tree->parent == nullptr) {
        return cstd_tree_errNoParent;
    }
    uint32_t count = 0;
    cstd_status status = cstd_vector__getSize32(&tree->parent->children, &count);
    if (status < 0) {
        return status;
    }
    // The count bounds the read: a position that breaks the invariant, past
    // the list or below it, finds no next sibling rather than memory beyond.
    const int64_t next = int64_t{tree->indexInParent} + 1;
    if (tree->indexInParent < 0 || next >= int64_t{count}) {
        return cstd_tree_errNoNextSibling;
    }
    cstd_tree *const *begin = nullptr;
    status = cstd_vector__getBeginEndConst(&tree->parent->children, blockAddress(&begin), nullptr);
    if (status < 0) {
        return status;
    }
    *sibling = begin[next];
    prefetchFollowing(begin, next, count);
    return status;
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getDepthFromRoot(const cstd_tree *tree, int32_t *depth)
{
    ZODOVAR9_EXPECT_PLACED("cstd_tree_getDepthFromRoot", tree, depth);
    int32_t links = 0;
    zodovar9::core::CycleGuard guard(tree);
    for (const cstd_tree *node = tree->parent; node != nullptr; node = node->parent) {
        if (guard.revisits(node)) {
            *depth = -1;
            return cstd_tree_errParentCycle;
        }
        ++links;
    }
    *depth = links;
    return 0;
}

} // extern "C"
