// Trees a million levels deep against the shipped library, under the default
// stack, since nothing may recurse with a tree's height: a chain climbed from
// its bottom, and a comb (a leaf after each spine child), whose deletion keeps
// every level's next sibling all the way down and, refused halfway, hands
// every level its links back. Payloads are post-order ranks, checked as they
// die; under the sanitizers a record left unreleased leaks.
#include <zodovar9/zodovar9.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::uintptr_t kLevels = 1'000'000;
constexpr cstd_status kRefused = CSTD_STATUS_FAILURE(0x4001);

// Ranks must die first to last; `refuse` is refused.
std::uintptr_t next, refuse;
bool ordered;

cstd_status CSTD_CALL destroyRank(void *value)
{
    const auto rank = reinterpret_cast<std::uintptr_t>(value);
    if (rank == refuse) {
        return kRefused;
    }
    ordered = ordered && rank == next++;
    return 0;
}

const cstd_vtable kRankTable{nullptr, nullptr, nullptr, destroyRank, -1};

// A spine of kLevels nodes from `top` (made here if none) and, for a comb, a
// leaf after every spine child, ranked as post-order meets them.
struct Comb {
    std::vector<cstd_tree *> spine = std::vector<cstd_tree *>(kLevels);
    std::vector<cstd_tree *> leaves;
    Comb(cstd_tree *top, bool withLeaves)
    {
        const std::uintptr_t stride = withLeaves ? 2 : 1;
        next = 0, refuse = UINTPTR_MAX, ordered = true;
        spine[0] = top;
        for (std::uintptr_t i = 0; i < kLevels; ++i) {
            make(spine[i], stride * (kLevels - 1 - i), i ? spine[i - 1] : nullptr);
        }
        leaves.resize(withLeaves ? kLevels - 1 : 0);
        for (std::uintptr_t i = 0; i < leaves.size(); ++i) {
            make(leaves[i], 2 * (kLevels - 1 - i) - 1, spine[i]);
        }
    }
    static void make(cstd_tree *&node, std::uintptr_t rank, cstd_tree *parent)
    {
        if (node == nullptr) {
            EXPECT_EQ(cstd_tree_newWithSizeAndVtable(&node, 0, &kRankTable), 0);
        }
        node->data = reinterpret_cast<void *>(rank);
        EXPECT_EQ(parent ? cstd_tree_addChild(parent, node) : 0, 0);
    }
};

TEST(Deep, AChainIsMeasuredAndWalkedFromItsBottom)
{
    Comb chain(nullptr, false);
    cstd_tree *bottom = chain.spine.back();
    int32_t depth = 0;
    EXPECT_EQ(cstd_tree_getDepthFromRoot(bottom, &depth), 0);
    EXPECT_EQ(depth, int32_t{kLevels - 1});
    cstd_tree *after = bottom; // the walk climbs the whole chain to find its end
    EXPECT_EQ(cstd_tree_getNextSearchElement(bottom, cstd_tree_searchDepthFirst, &after), cstd_tree_errSearchEnd);
    uint32_t more = 1;
    EXPECT_EQ(cstd_tree_hasNextSearchElement(bottom, cstd_tree_searchDepthFirst, &more), 0);
    EXPECT_EQ(more, 0u);
    EXPECT_EQ(cstd_tree_deleteThisAndAllDescendants(&chain.spine[0]), 0);
    EXPECT_TRUE(ordered);
    EXPECT_EQ(next, kLevels);
}

TEST(Deep, EachDeletionTakesACombDeepestFirst)
{
    enum Way { thisAndAll, deleteNode, destructOnTheStack };
    for (const Way way : {thisAndAll, deleteNode, destructOnTheStack}) {
        SCOPED_TRACE(way);
        cstd_tree local;
        cstd_tree *top = way == destructOnTheStack ? &local : nullptr;
        ASSERT_EQ(top ? cstd_tree_constructWithSizeAndVtable(top, 0, &kRankTable)
                      : cstd_tree_newWithSizeAndVtable(&top, 0, &kRankTable),
                  0);
        Comb comb(top, true);
        EXPECT_EQ(way == thisAndAll   ? cstd_tree_deleteThisAndAllDescendants(&top)
                  : way == deleteNode ? cstd_tree_delete(&top)
                                      : cstd_tree_destruct(top),
                  0);
        EXPECT_EQ(way == destructOnTheStack ? local.data : top, nullptr);
        EXPECT_TRUE(ordered);
        EXPECT_EQ(next, 2 * kLevels - 1);
    }
}

TEST(Deep, ARefusalHalfwayDownGivesEveryLevelItsLinksBack)
{
    constexpr std::uintptr_t kHalf = kLevels / 2;
    Comb comb(nullptr, true);
    cstd_tree *top = comb.spine[0];
    refuse = 2 * (kLevels - 1 - kHalf); // spine node kHalf's own payload
    EXPECT_EQ(cstd_tree_deleteThisAndAllDescendants(&top), kRefused);
    EXPECT_EQ(top, comb.spine[0]);
    EXPECT_TRUE(ordered); // all below it died, in order
    EXPECT_EQ(next, refuse);

    // Above it, each spine node is a root (the top was one all along) holding
    // its leaf alone, at position 0: none is left naming a sibling.
    std::uintptr_t wrong = 0;
    for (std::uintptr_t i = 0; i < kHalf; ++i) {
        cstd_tree *spine = comb.spine[i], *leaf = comb.leaves[i];
        void *begin = nullptr;
        uint32_t count = 0;
        EXPECT_EQ(cstd_vector__getBeginSize32(&spine->children, &begin, &count), 0);
        wrong += spine->parent == nullptr && spine->indexInParent == -1 && count == 1 &&
                 static_cast<cstd_tree **>(begin)[0] == leaf && leaf->parent == spine &&
                 leaf->indexInParent == 0 ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0u);
    cstd_tree *refused = comb.spine[kHalf];
    EXPECT_TRUE(refused->parent == nullptr && refused->indexInParent == -1);

    // The refused node's record is all that is left of it.
    EXPECT_EQ(csys_memory_free_internal(reinterpret_cast<void **>(&refused)), 0);
    refuse = UINTPTR_MAX;
    for (std::uintptr_t i = 0; i < kHalf; ++i) {
        EXPECT_EQ(cstd_tree_deleteThisAndAllDescendants(&comb.spine[i]), 0);
    }
}

} // namespace
