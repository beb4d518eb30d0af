// The tree-pointer vector: every entry is one generic call with exactly the
// expected words, whose status comes back as it is; and the further names are
// the same entry points.
#include <string>

#include "expect.hpp"

namespace {

using probe::Fn;

constexpr auto kPtr = sizeof(cstd_treePtr);
constexpr cstd_status kFailure = -12345;
constexpr cstd_status kPositive = 23;

// Every argument an entry can take; each row picks its own.
struct Args {
    cstd_vector *array, *other, *raw; // built, built, not yet built
    const cstd_mtable *mtable;
    void *element, **out, **out2;
    uint32_t *out32;
    uint64_t *out64, n, m;
    uint32_t count;
};

const void **ro(void **p) { return const_cast<const void **>(p); }

template <class... T>
std::vector<std::uint64_t> words(T... values)
{
    return {probe::word(values)...};
}

enum class Target { uses, builds, destroys };

struct Row {
    const char *name;
    Fn fn;
    Target target;
    cstd_status (*call)(const Args &);
    std::vector<std::uint64_t> (*expected)(const Args &);
};
void PrintTo(const Row &r, std::ostream *out) { *out << r.name; }

#define ROW(target, entry, generic, args, ...)                                                                         \
    Row                                                                                                                \
    {                                                                                                                  \
#entry, Fn::cstd_vector__##generic, Target::target,                                                            \
            [](const Args &g) { return cstd_vector_cstd_treePtr_##entry args; },                                       \
                                                                              [](const Args &                          \
                                                                                     g) { return words(__VA_ARGS__); } \
    }
#define SAME(target, entry, generic, ...) ROW(target, entry, generic, (__VA_ARGS__), __VA_ARGS__)

const Row kRows[] = {
    ROW(builds, construct, constructWithVtable, (g.raw, g.n), g.raw, g.n, kPtr, nullptr, 0),
    ROW(builds, constructWithMtable, constructWithVtableWithMtable, (g.raw, g.n, g.mtable), g.raw, g.n, kPtr, nullptr,
        0, g.mtable),
    ROW(builds, constructEmpty, constructWithVtable, (g.raw), g.raw, 0, kPtr, nullptr, 0),
    ROW(builds, constructEmptyWithMtable, constructWithVtableWithMtable, (g.raw, g.mtable), g.raw, 0, kPtr, nullptr, 0,
        g.mtable),
    ROW(builds, constructUninit, constructWithVtableUninit, (g.raw, g.n), g.raw, g.n, kPtr, nullptr, 0),
    ROW(builds, constructFill, constructFillWithVtable, (g.raw, g.n, g.element), g.raw, g.n, kPtr, nullptr, g.element,
        0),
    ROW(builds, constructFromBlock, constructFromBlockWithVtable, (g.raw, g.element, g.count), g.raw, kPtr, nullptr,
        g.element, g.count, 0),
    SAME(builds, constructCopy, constructCopy, g.raw, g.other),
    SAME(uses, assign, assign, g.array, g.other),
    SAME(uses, assignElements, assignElements, g.array, g.element, g.n),
    SAME(destroys, destruct, destruct, g.array),
    SAME(uses, resize, resize, g.array, g.n),
    SAME(uses, resizeUninit, resizeUninit, g.array, g.n),
    SAME(uses, resizeFill, resizeFill, g.array, g.n, g.element),
    SAME(uses, reserve, reserve, g.array, g.n),
    SAME(uses, getSize, getSize32, g.array, g.out32),
    SAME(uses, getCapacity, getCapacity, g.array, g.out64),
    SAME(uses, getElementSize, getElementSize, g.array, g.out32),
    SAME(uses, getBeginEnd, getBeginEnd, g.array, g.out, g.out2),
    SAME(uses, getBeginEndConst, getBeginEndConst, g.array, ro(g.out), ro(g.out2)),
    ROW(uses, getBegin, getBeginEnd, (g.array, g.out), g.array, g.out, nullptr),
    ROW(uses, getBeginConst, getBeginEndConst, (g.array, ro(g.out)), g.array, g.out, nullptr),
    SAME(uses, getBeginSize, getBeginSize32, g.array, g.out, g.out32),
    SAME(uses, getBeginSizeConst, getBeginSize32Const, g.array, ro(g.out), g.out32),
    SAME(uses, getElement, getElement, g.array, g.n, g.out),
    SAME(uses, getElementConst, getElementConst, g.array, g.n, ro(g.out)),
    SAME(uses, insert, insert, g.array, g.n, g.element, g.m),
    SAME(uses, insertElement, insertElement, g.array, g.n, g.element),
    SAME(uses, erase, erase, g.array, g.n, g.m),
    SAME(uses, eraseElement, eraseElement, g.array, g.element),
    SAME(uses, pushBack, pushBack, g.array, g.element),
    SAME(uses, popBack, popBack, g.array),
    SAME(uses, clear, clear, g.array),
    SAME(uses, clearAndFreeMemory, clearAndFreeMemory, g.array),
    SAME(uses, append, append, g.array, g.other),
    SAME(uses, swap, swap, g.array, g.other),
};

template <class T>
T *fake(std::uintptr_t address)
{
    return reinterpret_cast<T *>(address);
}

class Words : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override { EXPECT_TRUE(probe::nothingLive()); }
};

TEST_P(Words, MakesOneCallWithTheExpectedWordsAndReturnsItsStatusAsItIs)
{
    const Row &row = GetParam();
    // A failure stands in for every call, so pointers that name nothing are
    // safe even when an entry calls the wrong function; 64-bit values with
    // distinct halves show a word lost or swapped.
    const Args bogus{fake<cstd_vector>(0x1010), fake<cstd_vector>(0x2020),
                     fake<cstd_vector>(0x3030), fake<const cstd_mtable>(0x4040),
                     fake<void>(0x5050),        fake<void *>(0x6060),
                     fake<void *>(0x7070),      fake<uint32_t>(0x8080),
                     fake<uint64_t>(0x9090),    0x0000'0007'0000'0003ull,
                     0x0000'0005'0000'0009ull,  0x33};
    probe::inject({Fn::any, 1, kFailure, probe::Mode::fromThenOn});
    EXPECT_EQ(row.call(bogus), kFailure);
    EXPECT_TRUE(probe::callsAre({{row.fn, row.expected(bogus)}}));

    // A positive status lets the generic function run, on real arrays.
    probe::reset();
    cstd_treePtr cells[2] = {fake<cstd_tree>(0xA0), fake<cstd_tree>(0xB0)};
    cstd_vector built, other, raw;
    ASSERT_EQ(cstd_vector__constructFromBlockWithVtable(&built, kPtr, nullptr, cells, 2, 0), 0);
    ASSERT_EQ(cstd_vector__constructFromBlockWithVtable(&other, kPtr, nullptr, cells, 2, 0), 0);
    void *out = nullptr, *out2 = nullptr;
    uint32_t out32 = 0;
    uint64_t out64 = 0;
    const Args real{&built, &other, &raw, nullptr, cells, &out, &out2, &out32, &out64, 1, 1, 1};
    probe::reset();
    probe::inject({row.fn, 1, kPositive});
    EXPECT_EQ(row.call(real), kPositive);
    const std::vector<probe::Call> log = probe::calls();
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(log[0].fn == row.fn && log[0].args == row.expected(real)) << probe::describe(log);
    EXPECT_EQ(cstd_vector__destruct(&other), 0);
    if (row.target != Target::destroys) {
        EXPECT_EQ(cstd_vector__destruct(&built), 0);
    }
    if (row.target == Target::builds) {
        EXPECT_EQ(cstd_vector__destruct(&raw), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(TreePtr, Words, ::testing::ValuesIn(kRows),
                         [](const auto &info) { return std::string(info.param.name); });

// Read through a volatile copy, so that the comparison is the loader's answer
// rather than the compiler's assumption that two names are two functions.
template <class F>
std::uintptr_t address(F *function)
{
    F *volatile copy = function;
    return reinterpret_cast<std::uintptr_t>(copy);
}

TEST(TreePtrNames, FurtherNamesAreTheSameEntryPoints)
{
    EXPECT_EQ(address(&cstd_vector_cstd_treePtr_getSize32), address(&cstd_vector_cstd_treePtr_getSize));
    EXPECT_EQ(address(&cstd_vector_cstd_treePtr_getBeginSize32), address(&cstd_vector_cstd_treePtr_getBeginSize));
    EXPECT_EQ(address(&cstd_vector_cstd_treePtr_getBeginSize32Const),
              address(&cstd_vector_cstd_treePtr_getBeginSizeConst));
}

} // namespace
