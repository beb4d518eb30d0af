// The record layout and status values that binaries depend on.
#include <algorithm>
#include <cstddef>
#include <set>

#include <zodovar9/zodovar9.h>

#include <gtest/gtest.h>

namespace {

TEST(Layout, NodeFieldsStandInTheirOrder)
{
    const std::size_t offsets[] = {offsetof(cstd_tree, parent),   offsetof(cstd_tree, indexInParent),
                                   offsetof(cstd_tree, children), offsetof(cstd_tree, data),
                                   offsetof(cstd_tree, dataSize), offsetof(cstd_tree, vtable)};
    EXPECT_TRUE(std::is_sorted(std::begin(offsets), std::end(offsets)));
    if (sizeof(void *) == 4) {
        EXPECT_EQ(sizeof(cstd_tree), 48u);
        EXPECT_EQ(offsetof(cstd_tree, vtable), 44u);
        EXPECT_EQ(sizeof(csys_cleanupRecord), 16u);
    }
    EXPECT_EQ(sizeof(cmath_xformLinear), 48u);
}

TEST(Status, CodesHaveTheirValuesAndCollideWithNothing)
{
    const std::pair<cstd_status, uint32_t> codes[] = {
        {cstd_tree_errWrongParent, 0x80000AC1u},   {cstd_tree_errNoParent, 0x80000AC3u},
        {cstd_tree_errNoChild, 0x80000AC4u},       {cstd_tree_errNoPrevSibling, 0x80000AC5u},
        {cstd_tree_errNoNextSibling, 0x80000AC6u}, {cstd_tree_errSearchEnd, 0x80000AC7u},
        {cstd_tree_errParentCycle, 0x80000AC8u},
    };
    std::set<cstd_status> seen{csys_errNoMemory, csys_errInvalidArgument, csys_errOutOfRange, csys_errOverflow,
                               static_cast<cstd_status>(0x80000AC2u)};
    for (const auto &[code, value] : codes) {
        EXPECT_EQ(static_cast<uint32_t>(code), value);
        EXPECT_TRUE(seen.insert(code).second) << std::hex << value;
    }
    EXPECT_EQ(cstd_tree_searchDepthFirst, 1);
}

} // namespace
