// Memory blocks and clean-up lists of rezade9.
#include <rezade9/rezade9.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
    const struct {
        cstd_status status;
        const char *ran;
    } cases[] = {{CSTD_STATUS_FAILURE(0x10), "cba"}, {0, ""}, {5, ""}};
    for (const auto &c : cases) {
        csys_cleanupRecord records[3];
        for (uint32_t i = 0; i < 3; ++i)
            records[i] = {csys_cleanupKindDestruct, csys_cleanupCodeObject, const_cast<char *>(names + i), noteAndFail};
        uint32_t count = 3;
        cstd_status status = c.status;
        gRan.clear();
        EXPECT_EQ(csys_cleanupExecute_(records, &count, &status), c.status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(gRan, c.ran) << "status " << c.status;
    }
}
