// Chains a million nodes deep: built, walked, measured and deleted by each
// deletion, with the default stack. Payloads die deepest first.
#include <zodovar9/zodovar9.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int32_t kDepth = 1'000'000;

// Each payload is its node's depth; destruction checks it comes deepest
// first, one level at a time.
int32_t expectedNext;
bool ordered;

cstd_status CSTD_CALL destroyInOrder(void *element)
{
    ordered = ordered && *static_cast<int32_t *>(element) == expectedNext;
    --expectedNext;
    return 0;
}

const cstd_vtable kDepthTable{nullptr, nullptr, nullptr, destroyInOrder, -1};

// Builds the chain below `root` (depth 0) and returns its leaf.
cstd_tree *growChain(cstd_tree *root)
{
    cstd_tree *node = root;
    for (int32_t depth = 1; depth < kDepth; ++depth) {
        cstd_tree *child = nullptr;
        EXPECT_EQ(cstd_tree_newWithSizeAndVtable(&child, sizeof depth, &kDepthTable), 0);
        *static_cast<int32_t *>(child->data) = depth;
        EXPECT_EQ(cstd_tree_addChild(node, child), 0);
        node = child;
    }
    return node;
}

enum class Deletion { thisAndAll, deleteNode, destructInPlace };

std::string deletionName(Deletion deletion)
{
    switch (deletion) {
    case Deletion::thisAndAll:
        return "ThisAndAll";
    case Deletion::deleteNode:
        return "Delete";
    case Deletion::destructInPlace:
        break;
    }
    return "Destruct";
}

class Chain : public ::testing::TestWithParam<Deletion> {};

TEST_P(Chain, IsWalkedAndDeletedWithoutRecursion)
{
    cstd_tree local;
    cstd_tree *root = nullptr;
    if (GetParam() == Deletion::destructInPlace) {
        ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&local, 4, &kDepthTable), 0);
        root = &local;
    } else {
        ASSERT_EQ(cstd_tree_newWithSizeAndVtable(&root, 4, &kDepthTable), 0);
    }
    *static_cast<int32_t *>(root->data) = 0;
    const cstd_tree *leaf = growChain(root);

    int32_t depth = 0;
    EXPECT_EQ(cstd_tree_getDepthFromRoot(leaf, &depth), 0);
    EXPECT_EQ(depth, kDepth - 1);
    // From the leaf the walk climbs the whole chain to find its end.
    cstd_tree *next = root;
    EXPECT_EQ(cstd_tree_getNextSearchElement(const_cast<cstd_tree *>(leaf), 1, &next),
              cstd_tree_errSearchEnd);
    uint32_t more = 1;
    EXPECT_EQ(cstd_tree_hasNextSearchElement(leaf, 1, &more), 0);
    EXPECT_EQ(more, 0u);

    expectedNext = kDepth - 1;
    ordered = true;
    switch (GetParam()) {
    case Deletion::thisAndAll:
        EXPECT_EQ(cstd_tree_deleteThisAndAllDescendants(&root), 0);
        break;
    case Deletion::deleteNode:
        EXPECT_EQ(cstd_tree_delete(&root), 0);
        break;
    case Deletion::destructInPlace:
        EXPECT_EQ(cstd_tree_destruct(root), 0);
        root = nullptr;
        break;
    }
    EXPECT_EQ(root, nullptr);
    EXPECT_TRUE(ordered);
    EXPECT_EQ(expectedNext, -1);
}

INSTANTIATE_TEST_SUITE_P(Tree, Chain,
                         ::testing::Values(Deletion::thisAndAll, Deletion::deleteNode,
                                           Deletion::destructInPlace),
                         [](const auto &info) { return deletionName(info.param); });

} // namespace
