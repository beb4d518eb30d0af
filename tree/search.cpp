// The depth-first successor walk: from any node, the node that follows it in
// pre-order of the whole tree that contains it.
#include "tree/checked.hpp"
#include "tree/internal.hpp"

extern "C" {

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getNextSearchElement(cstd_tree *tree, int32_t searchType, cstd_tree **next)
{
    ZODOVAR9_EXPECT_PLACED("cstd_tree_getNextSearchElement", tree, next);
    if (searchType != cstd_tree_searchDepthFirst) {
        return 0;
    }
    // The node's own children come first.
    uint32_t count = 0;
    cstd_status status = cstd_vector__getSize32(&tree->children, &count);
    if (status < 0) {
        return status;
    }
    if (count != 0) {
        return cstd_tree_getFirstChild(tree, next);
    }
    // Then the next sibling of the nearest node on the way up that has one.
    // The climb is a loop, so a chain of any height costs no stack.
    zodovar9::core::CycleGuard guard(tree);
    for (cstd_tree *node = tree;;) {
        uint32_t hasNext = 0;
        status = cstd_tree_hasNextSibling(node, &hasNext);
        if (status < 0) {
            return status;
        }
        if (hasNext != 0) {
            return cstd_tree_getNextSibling(node, next);
        }
        if (node->parent == nullptr) {
            return cstd_tree_errSearchEnd;
        }
        status = cstd_tree_getParent(node, &node);
        if (status < 0) {
            return status;
        }
        if (guard.revisits(node)) {
            return cstd_tree_errParentCycle;
        }
    }
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_getNextSearchElementConst(const cstd_tree *tree, int32_t searchType,
                                                                       const cstd_tree **next)
{
    return cstd_tree_getNextSearchElement(const_cast<cstd_tree *>(tree), searchType, const_cast<cstd_tree **>(next));
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_hasNextSearchElement(const cstd_tree *tree, int32_t searchType,
                                                                  uint32_t *truth)
{
    ZODOVAR9_EXPECT_PLACED("cstd_tree_hasNextSearchElement", tree, truth);
    *truth = 0;
    if (searchType != cstd_tree_searchDepthFirst) {
        return 0;
    }
    uint32_t count = 0;
    cstd_status status = cstd_vector__getSize32(&tree->children, &count);
    if (status < 0 || count != 0) {
        *truth = status < 0 ? 0 : 1;
        return status;
    }
    // The test counts the lists itself, one count per ancestor with a parent.
    zodovar9::core::CycleGuard guard(tree);
    for (const cstd_tree *node = tree; node->parent != nullptr;) {
        status = cstd_vector__getSize32(&node->parent->children, &count);
        if (status < 0) {
            return status;
        }
        if (node->indexInParent < static_cast<int32_t>(count - 1)) {
            *truth = 1;
            return status;
        }
        node = node->parent;
        if (guard.revisits(node)) {
            return cstd_tree_errParentCycle;
        }
    }
    return 0;
}

} // extern "C"
