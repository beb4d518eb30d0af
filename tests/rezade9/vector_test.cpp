// The generic array of rezade9, with and without element and memory tables.
// Counting slots check that every element built is destroyed once and that no
// slot runs on raw storage; the memory table poisons its blocks and counts them.
#include <rezade9/rezade9.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

bool heapJudges(); // memory_cleanup_test.cpp

namespace {

struct Item {
    int32_t value;
    uint32_t state, spare;
}; // twelve bytes: the general copy paths
using Values = std::vector<int32_t>;
constexpr uint32_t kBuilt = 0xB0B0B0B0u;
constexpr cstd_status kSlotFailure = CSTD_STATUS_FAILURE(0x0F00);

struct Counters { // countdowns: the call that finds 0 fails
    int live, misuse, assigns, blocks, failIn = -1, destructFailIn = -1, allocFailIn = -1;
} g;

bool due(int &countdown) { return countdown >= 0 && countdown-- == 0; }
Item &at(void *element) { return *static_cast<Item *>(element); }
const Item &at(const void *element) { return *static_cast<const Item *>(element); }
bool built(const void *element) { return at(element).state == kBuilt; }
Item item(int32_t value) { return {value, kBuilt, 0}; }

cstd_status build(void *element, int32_t value)
{
    if (due(g.failIn)) return kSlotFailure;
    return at(element) = item(value), ++g.live, 0;
}
cstd_status CSTD_CALL construct(void *e, uint32_t flags) { return g.misuse += flags != 0, build(e, 0); }
cstd_status CSTD_CALL constructCopy(void *d, const void *s) { return g.misuse += !built(s), build(d, at(s).value); }
cstd_status CSTD_CALL assign(void *d, const void *s)
{
    g.misuse += !built(d) || !built(s);
    return due(g.failIn) ? kSlotFailure : (at(d).value = at(s).value, 0);
}
cstd_status CSTD_CALL destruct(void *e)
{
    g.misuse += !built(e);
    return due(g.destructFailIn) ? kSlotFailure : (at(e).state = 0, --g.live, 0);
}
cstd_status CSTD_CALL plainAssign(void *d, const void *s) { return ++g.assigns, at(d).value = at(s).value, 0; }
cstd_status CSTD_CALL poisonAlloc(void *, uint32_t size, void **block) // shows a missing zero-fill
{
    if (due(g.allocFailIn)) return csys_errNoMemory;
    *block = size ? std::memset(std::malloc(size), 0xA5, size) : nullptr;
    return g.blocks += *block != nullptr, 0;
}
cstd_status CSTD_CALL countedRelease(void *, void *block) { return g.blocks -= block != nullptr, std::free(block), 0; }

const cstd_vtable kFull{construct, constructCopy, assign, destruct, -1};
const cstd_vtable kEmptySlots{nullptr, nullptr, plainAssign, nullptr, 0};
const cstd_mtable kPoisoned{poisonAlloc, countedRelease, nullptr};

struct Variant {
    const char *name;
    const cstd_vtable *vtable;
    const cstd_mtable *mtable;
};
void PrintTo(const Variant &v, std::ostream *out) { *out << v.name; }

class VectorTest : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override
    {
        g = {};
        ASSERT_EQ(make(array), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(cstd_vector__destruct(&array), 0);
        EXPECT_TRUE(g.live == 0 && g.misuse == 0 && g.blocks == 0) << g.live << g.misuse << g.blocks;
    }
    bool tracked() const { return GetParam().vtable == &kFull; }
    cstd_status make(cstd_vector &a) const
    {
        return cstd_vector__constructWithVtableWithMtable(&a, 0, sizeof(Item), GetParam().vtable, 0, GetParam().mtable);
    }
    static void push(cstd_vector &a, Values values)
    {
        for (int32_t v : values) {
            const Item it = item(v);
            EXPECT_EQ(cstd_vector__pushBack(&a, &it), 0);
        }
    }
    // Every read of the elements also checks that the storage holds them.
    static Values values(const cstd_vector &a)
    {
        const void *begin;
        uint32_t size;
        cstd_vector__getBeginSize32Const(&a, &begin, &size);
        EXPECT_GE(capacity(a), size);
        Values out;
        for (uint32_t i = 0; i < size; ++i) out.push_back(static_cast<const Item *>(begin)[i].value);
        return out;
    }
    static uint64_t capacity(const cstd_vector &a)
    {
        uint64_t room = 0;
        return cstd_vector__getCapacity(&a, &room), room;
    }
    static Item *begin(cstd_vector &a)
    {
        void *first = nullptr;
        return cstd_vector__getBeginEnd(&a, &first, nullptr), static_cast<Item *>(first);
    }
    cstd_vector array;
};

TEST_P(VectorTest, GrowsByDoublingAndBuildsNewElementsZeroed)
{
    Values expected;
    for (uint64_t room = 0; expected.size() < 100; room = capacity(array)) {
        expected.push_back(int32_t(expected.size()));
        push(array, {expected.back()});
        EXPECT_TRUE(capacity(array) == room || capacity(array) >= 2 * room) << room;
    }
    EXPECT_EQ(values(array), expected);
    const Item seven = item(7);
    ASSERT_EQ(cstd_vector__clear(&array), 0);
    EXPECT_GE(capacity(array), 100u); // clear keeps the storage
    ASSERT_EQ(cstd_vector__resize(&array, 120), 0);
    ASSERT_EQ(cstd_vector__resize(&array, 2) | cstd_vector__resizeFill(&array, 4, &seven), 0);
    EXPECT_EQ(values(array), (Values{0, 0, 7, 7}));
}

TEST_P(VectorTest, InsertAndEraseAtEveryPosition)
{
    const Item two[] = {item(8), item(9), item(4), item(5), item(6), item(7), item(8), item(9)};
    const struct {
        bool insert;
        uint64_t at, count;
        cstd_status status;
        Values after;
    } cases[] = {{true, 1, 8, 0, {1, 8, 9, 4, 5, 6, 7, 8, 9, 2, 3}}, // first: grows past double at once
                 {true, 0, 2, 0, {8, 9, 1, 2, 3}},
                 {true, 2, 2, 0, {1, 2, 8, 9, 3}},
                 {true, 3, 2, 0, {1, 2, 3, 8, 9}},
                 {true, 4, 0, csys_errOutOfRange, {1, 2, 3}},
                 {false, 0, 2, 0, {3}},
                 {false, 1, 1, 0, {1, 3}},
                 {false, 3, 0, 0, {1, 2, 3}},
                 {false, 2, 2, csys_errOutOfRange, {1, 2, 3}}};
    for (const auto &c : cases) {
        cstd_vector__clear(&array), push(array, {1, 2, 3});
        EXPECT_EQ(c.insert ? cstd_vector__insert(&array, c.at, two, c.count)
                           : cstd_vector__erase(&array, c.at, c.count),
                  c.status);
        EXPECT_EQ(values(array), c.after) << c.insert << " at " << c.at << "+" << c.count;
    }
    char *first = reinterpret_cast<char *>(begin(array));
    EXPECT_EQ(cstd_vector__eraseElement(&array, first + 1), csys_errInvalidArgument);
    EXPECT_EQ(cstd_vector__eraseElement(&array, first + 3 * sizeof(Item)), csys_errInvalidArgument);
    EXPECT_EQ(cstd_vector__eraseElement(&array, first + sizeof(Item)) | cstd_vector__popBack(&array), 0);
    EXPECT_EQ(values(array), (Values{1}));
    EXPECT_EQ(cstd_vector__popBack(&array) | cstd_vector__popBack(&array), csys_errOutOfRange);
}

TEST_P(VectorTest, SourcesInsideTheArrayAreReadBeforeTheyMove)
{
    push(array, {1, 2, 3, 4});
    ASSERT_EQ(capacity(array), 4u); // the next addition grows
    ASSERT_EQ(cstd_vector__pushBack(&array, begin(array) + 1), 0);
    ASSERT_EQ(cstd_vector__reserve(&array, 32), 0);
    ASSERT_EQ(cstd_vector__insert(&array, 0, begin(array) + 2, 2), 0);
    ASSERT_EQ(cstd_vector__append(&array, &array), 0);
    ASSERT_EQ(cstd_vector__resizeFill(&array, 15, begin(array)), 0);
    EXPECT_EQ(values(array), (Values{3, 4, 1, 2, 3, 4, 2, 3, 4, 1, 2, 3, 4, 2, 3}));
}

TEST_P(VectorTest, AssignGrowsShrinksAndIgnoresSelf)
{
    cstd_vector longer, copy;
    make(longer), push(longer, {5, 6, 7, 8, 9}), push(array, {1, 2});
    EXPECT_EQ(cstd_vector__assign(&array, &longer) | cstd_vector__assign(&array, &array), 0);
    EXPECT_EQ(values(array), values(longer));
    EXPECT_EQ(cstd_vector__assignElements(&array, begin(longer), 1), 0);
    EXPECT_EQ(values(array), (Values{5}));
    EXPECT_EQ(g.assigns, GetParam().vtable == &kEmptySlots ? 3 : 0);
    ASSERT_EQ(cstd_vector__constructCopy(&copy, &longer), 0);
    EXPECT_EQ(values(copy), values(longer));
    EXPECT_EQ(cstd_vector__destruct(&longer) | cstd_vector__destruct(&copy), 0);
}

// Removing the first element moves none behind it. A record may be swapped
// or moved by its bytes, whether its elements are in it or in a block; of two
// records sharing a block, the second destruction is refused.
TEST_P(VectorTest, FrontRemovalMovesNothingAndRecordsMoveByTheirBytes)
{
    cstd_vector other, moved, copy;
    make(other), push(other, {7}), push(array, {1, 2, 3, 4, 5, 6});
    const Item *second = begin(array) + 1;
    ASSERT_EQ(cstd_vector__erase(&array, 0, 1), 0);
    EXPECT_EQ(begin(array), second);
    push(array, {7, 8, 9, 10});
    ASSERT_EQ(cstd_vector__swap(&array, &other), 0);
    std::memcpy(&moved, &other, sizeof other), std::memcpy(&copy, &other, sizeof other);
    EXPECT_EQ(values(moved), (Values{2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(values(array), Values{7});
    EXPECT_EQ(cstd_vector__destruct(&moved), 0);
    EXPECT_TRUE(GetParam().mtable || !heapJudges() || cstd_vector__destruct(&copy) == csys_errBlockNotLive);
}

TEST_P(VectorTest, FailureLeavesTheArrayAsItWas)
{
    const Item three[] = {item(7), item(8), item(9)};
    const std::function<cstd_status(cstd_vector &)> operations[] = {
        [&](cstd_vector &a) { return cstd_vector__insert(&a, 1, three, 3); },
        [&](cstd_vector &a) { return cstd_vector__resize(&a, 9); },
        [&](cstd_vector &a) { return cstd_vector__resizeFill(&a, 9, three); },
        [&](cstd_vector &a) { return cstd_vector__append(&a, &a); },
        [&](cstd_vector &a) {
            cstd_vector c;
            return cstd_vector__constructCopy(&c, &a);
        }};
    // Refuse one of the first three slot calls, or else the memory table's block.
    const int failures = tracked() ? 3 : GetParam().mtable ? 1 : 0;
    for (uint32_t room : {4u, 16u}) // grows, or builds in place
        for (size_t op = 0; op < std::size(operations); ++op)
            for (int failAt = 0; failAt < failures && (tracked() || room == 4 || op == 4); ++failAt) {
                cstd_vector__clearAndFreeMemory(&array), cstd_vector__reserve(&array, room);
                push(array, {1, 2, 3, 4});
                (tracked() ? g.failIn : g.allocFailIn) = failAt;
                EXPECT_LT(operations[op](array), 0) << op;
                EXPECT_EQ(values(array), (Values{1, 2, 3, 4}));
                EXPECT_EQ(capacity(array), room);
                EXPECT_EQ(g.live, tracked() ? 4 : 0);
                g.allocFailIn = -1;
            }
}

// Only set slots can fail midway.
class TrackedVectorTest : public VectorTest {};

TEST_P(TrackedVectorTest, PartialAssignKeepsItsProgressAndRemovalCanBeRepeated)
{
    const Item source[] = {item(5), item(6), item(7), item(8)};
    push(array, {1, 2});
    g.failIn = 3; // two assigns and one copy succeed
    EXPECT_EQ(cstd_vector__assignElements(&array, source, 4), kSlotFailure);
    EXPECT_EQ(values(array), (Values{5, 6, 7}));
    g.destructFailIn = 1; // 6 goes, 5 refuses: the survivors close up
    EXPECT_EQ(cstd_vector__erase(&array, 0, 2), kSlotFailure);
    EXPECT_EQ(values(array), (Values{5, 7}));
    g.destructFailIn = 1;
    EXPECT_EQ(cstd_vector__destruct(&array), kSlotFailure);
    EXPECT_EQ(values(array), (Values{5}));
}

INSTANTIATE_TEST_SUITE_P(Tables, VectorTest,
                         ::testing::Values(Variant{"Plain", nullptr, nullptr}, Variant{"Full", &kFull, nullptr},
                                           Variant{"EmptySlots", &kEmptySlots, nullptr},
                                           Variant{"PlainMtable", nullptr, &kPoisoned},
                                           Variant{"FullMtable", &kFull, &kPoisoned},
                                           Variant{"EmptySlotsMtable", &kEmptySlots, &kPoisoned}),
                         [](const auto &info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Tables, TrackedVectorTest,
                         ::testing::Values(Variant{"Full", &kFull, nullptr}, Variant{"FullMtable", &kFull, &kPoisoned}),
                         [](const auto &info) { return std::string(info.param.name); });

// Pointer arrays themselves are the trees' child lists, checked by every tree test.
TEST(Vector, Refusals)
{
    cstd_vector a, b;
    ASSERT_EQ(cstd_vector__constructWithVtable(&a, 0, sizeof(void *), nullptr, 0), 0);
    void *pointers[2] = {&a, &b};
    EXPECT_EQ(cstd_vector__constructWithVtable(&b, 1, 0, nullptr, 0), csys_errInvalidArgument);
    EXPECT_EQ(cstd_vector__constructWithVtable(&b, 1, 4, nullptr, 1), csys_errInvalidArgument);
    EXPECT_EQ(cstd_vector__constructWithVtable(&b, 1ull << 32, 1, nullptr, 0), csys_errOverflow);
    EXPECT_EQ(cstd_vector__constructWithVtable(&b, 1u << 30, 4, nullptr, 0), csys_errOverflow);
    ASSERT_EQ(cstd_vector__constructFromBlockWithVtable(&b, 3, nullptr, pointers, 2, 0), 0);
    const uint64_t most = UINT32_MAX / 3; // three bytes: unlike a pointer in either layout
    EXPECT_EQ(cstd_vector__reserve(&b, most + 1), csys_errOverflow);
    EXPECT_EQ(cstd_vector__resize(&b, 1ull << 32), csys_errOverflow);
    EXPECT_EQ(cstd_vector__insert(&b, 0, pointers, most - 1), csys_errOverflow);
    EXPECT_EQ(cstd_vector__assignElements(&b, pointers, most + 1), csys_errOverflow);
    EXPECT_EQ(cstd_vector__append(&a, &b), csys_errInvalidArgument);
    EXPECT_EQ(cstd_vector__assign(&a, &b), csys_errInvalidArgument);
    void *element = &a;
    uint32_t size = 0;
    EXPECT_EQ(cstd_vector__getElement(&b, 2, &element), csys_errOutOfRange);
    EXPECT_TRUE(element == &a && cstd_vector__getSize32(&b, &size) == 0 && size == 2);
    EXPECT_EQ(cstd_vector__destruct(&a) | cstd_vector__destruct(&b), 0);
}

} // namespace
