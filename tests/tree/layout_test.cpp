// Status values that binaries depend on. The record layout is held by the
// binary interface baseline (abi_check) in both layouts.
#include <set>

#include <zodovar9/zodovar9.h>

#include <gtest/gtest.h>

namespace {

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
