// Memory blocks and clean-up lists of rezade9.
#include <rezade9/rezade9.h>
#include <zodovar9/zodovar9.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#if defined(__has_include) && __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#endif

// The plain heap cannot tell an address that is not a live block (here, one
// inside a block) from one that is.
bool heapJudges()
{
    void *block = nullptr;
    uint32_t live = 1;
    csys_memory_alloc_internal(16, &block), csys_memory_isBlockLive(static_cast<char *>(block) + 8, &live);
    return csys_memory_free_internal(&block), live == 0;
}

TEST(Memory, ZeroSizeGivesNoneFreeingClearsAndCopiesMayOverlap)
{
    void *block = &block;
    EXPECT_EQ(csys_memory_alloc_internal(0, &block) | csys_memory_free_internal(&block), 0);
    EXPECT_EQ(block, nullptr);
    ASSERT_EQ(csys_memory_alloc_internal(9, &block), 0);
    std::memcpy(block, "abcdefgh", 9);
    EXPECT_EQ(csys_memory_copy(5, block, static_cast<char *>(block) + 2), 0);
    EXPECT_STREQ(static_cast<char *>(block), "ababcdeh");
    EXPECT_EQ(csys_memory_copy(5, static_cast<char *>(block) + 2, block), 0);
    EXPECT_STREQ(static_cast<char *>(block), "abcdedeh");
    EXPECT_EQ(csys_memory_free_internal(&block), 0);
    EXPECT_EQ(block, nullptr);
}

// Blocks of every size to past the largest class, three of each, made side
// by side in a mixed order and each filled to its last byte: none overlaps
// another, each is aligned as the header promises, and a second release of
// one is refused where the heap can tell (up to 1 KiB).
TEST(Memory, BlocksOfEverySizeHoldEveryByteAndAreReleasedOnce)
{
    const bool judges = heapJudges();
    std::vector<std::pair<unsigned char *, uint32_t>> blocks;
    for (uint32_t i = 0; i < 3300; ++i) {
        void *block = nullptr;
        const uint32_t size = 1 + i * 7 % 1100;
        ASSERT_EQ(csys_memory_alloc_internal(size, &block), 0);
        const uintptr_t alignment = size <= 8 || (size > 16 && size <= 24) ? 8 : 16;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignment, 0u) << size;
        blocks.emplace_back(static_cast<unsigned char *>(std::memset(block, int(i), size)), size);
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const auto [block, size] = blocks[i];
        const auto fill = static_cast<unsigned char>(i);
        EXPECT_TRUE(std::all_of(block, block + size, [fill](unsigned char c) { return c == fill; })) << size;
        void *released = block, *again = block;
        EXPECT_EQ(csys_memory_free_internal(&released), 0);
        EXPECT_TRUE(!judges || size > 1024 || (csys_memory_free_internal(&again) == csys_errBlockNotLive && again));
    }
}

// A node deleted a second time through another pointer to it: its record
// reads as destroyed and the release is refused. The checkers report the
// read itself, and the checked build stops at the deletion (tests/checked).
TEST(Memory, DeletingANodeTwiceIsRefused)
{
#if defined(ZODOVAR9_CHECKED) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP();
#elif defined(RUNNING_ON_VALGRIND)
    if (RUNNING_ON_VALGRIND) GTEST_SKIP();
#endif
    if (!heapJudges()) GTEST_SKIP();
    cstd_tree *node = nullptr;
    ASSERT_EQ(cstd_tree32s_new(&node), 0);
    cstd_tree *alias = node;
    EXPECT_EQ(cstd_tree_delete(&node), 0);
    EXPECT_EQ(cstd_tree_delete(&alias), csys_errBlockNotLive);
}

namespace {
std::string gRan;

cstd_status CSTD_CALL noteAndFail(void *target)
{
    gRan += *static_cast<const char *>(target);
    return CSTD_STATUS_FAILURE(0x77); // must not replace the caller's status
}
} // namespace

TEST(Cleanup, RunsRecordsLastFirstOnlyOnFailureAndSpendsTheList)
{
    static const char names[] = "abc";
    for (const auto &[initial, ran] : {std::pair{CSTD_STATUS_FAILURE(0x10), "cba"}, {0, ""}, {5, ""}}) {
        csys_cleanupRecord records[3];
        for (uint32_t i = 0; i < 3; ++i)
            records[i] = {csys_cleanupKindDestruct, csys_cleanupCodeObject, const_cast<char *>(names + i), noteAndFail};
        uint32_t count = 3;
        cstd_status status = initial;
        gRan.clear();
        EXPECT_EQ(csys_cleanupExecute_(records, &count, &status), initial);
        EXPECT_TRUE(status == initial && count == 0 && gRan == ran) << "status " << initial;
    }
}
