// Parent links that come round in a cycle, as attaching a node below its own
// descendant makes them: every climb to the root has to stop by itself.
#include <string>

#include "expect.hpp"

namespace {

cstd_tree *const kUnset = reinterpret_cast<cstd_tree *>(std::uintptr_t{0x5A5A});
constexpr int32_t kDepthFirst = cstd_tree_searchDepthFirst;

// A chain n0 ... n(L-1) with a leaf X below its last node, whose parent links
// are closed into a loop by attaching n0 below n(L-1). Short loops meet the
// climb's mark while its span is small; a long one only once the span outgrows it.
class Cycle : public ::testing::TestWithParam<int> {};

TEST_P(Cycle, ClimbsStopWithTheCycleStatus)
{
    std::vector<cstd_tree *> chain(GetParam() + 1, nullptr);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        ASSERT_EQ(cstd_tree_new(&chain[i]), 0);
        ASSERT_EQ(i == 0 ? 0 : cstd_tree_addChild(chain[i - 1], chain[i]), 0);
    }
    cstd_tree *x = chain.back(), *first = chain.front(), *last = chain[chain.size() - 2];
    int32_t depth = 0;
    cstd_tree *next = kUnset;
    uint32_t more = 7;

    // Listed, n0 still gives the walk a way out: it is X's next sibling.
    ASSERT_EQ(cstd_tree_addChild(last, first), 0);
    EXPECT_EQ(cstd_tree_getDepthFromRoot(x, &depth), cstd_tree_errParentCycle);
    EXPECT_EQ(depth, -1);
    EXPECT_EQ(cstd_tree_getNextSearchElement(x, kDepthFirst, &next), 0);
    EXPECT_EQ(next, first);
    ASSERT_EQ(cstd_tree_removeChild(last, first), 0);

    // A failed append links n0 to n(L-1) without listing it: no way out.
    probe::reset();
    probe::inject({probe::Fn::cstd_vector__pushBack, 1, CSTD_STATUS_FAILURE(0x4100)});
    ASSERT_LT(cstd_tree_addChild(last, first), 0);
    next = kUnset;
    depth = 0;
    EXPECT_EQ(cstd_tree_getNextSearchElement(x, kDepthFirst, &next), cstd_tree_errParentCycle);
    EXPECT_EQ(next, kUnset);
    EXPECT_EQ(cstd_tree_getNextSearchElementConst(x, kDepthFirst, const_cast<const cstd_tree **>(&next)),
              cstd_tree_errParentCycle);
    EXPECT_EQ(next, kUnset);
    EXPECT_EQ(cstd_tree_hasNextSearchElement(x, kDepthFirst, &more), cstd_tree_errParentCycle);
    EXPECT_EQ(more, 0u);
    EXPECT_EQ(cstd_tree_getDepthFromRoot(x, &depth), cstd_tree_errParentCycle);
    EXPECT_EQ(depth, -1);

    ASSERT_EQ(cstd_tree_removeChild(last, first), 0);
    EXPECT_EQ(cstd_tree_deleteThisAndAllDescendants(&first), 0);
    EXPECT_TRUE(probe::nothingLive());
}

INSTANTIATE_TEST_SUITE_P(Tree, Cycle, ::testing::Values(1, 2, 3, 1000),
                         [](const auto &info) { return "Length" + std::to_string(info.param); });

} // namespace
