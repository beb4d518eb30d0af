// Construction, destruction, new and delete: the calls each makes into the
// system library.
#include <algorithm>
#include <cstring>

#include "expect.hpp"

namespace {

using probe::Fn;
using probe::kAny;
using probe::step;

void *const kUnwritten = reinterpret_cast<void *>(std::uintptr_t{0x5A5A});

probe::Step listBuilt(cstd_tree &t)
{
    return step(Fn::cstd_vector__constructWithVtable, &t.children, 0, sizeof(cstd_treePtr), nullptr, 0);
}
probe::Step cleanupRun() { return step(Fn::csys_cleanupExecute_, kAny, kAny, kAny); }
probe::Step counted(cstd_tree &t) { return step(Fn::cstd_vector__getSize32, &t.children, kAny); }
probe::Step listGone(cstd_tree &t) { return step(Fn::cstd_vector__destruct, &t.children); }

// Garbage in every field, so that a test sees what construction wrote.
void scribble(cstd_tree &t)
{
    std::memset(static_cast<void *>(&t), 0x5A, sizeof t);
    t.data = kUnwritten;
    t.vtable = static_cast<const cstd_vtable *>(kUnwritten);
}
bool isFreshRoot(const cstd_tree &t) { return t.parent == nullptr && t.indexInParent == -1; }
bool isRaw(const cstd_tree &t) { return isFreshRoot(t) && t.data == nullptr && t.dataSize == 0 && t.vtable == nullptr; }

// Every test starts with an empty log, and leaves nothing live and no fault armed.
template <class Base>
class Checked : public Base {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override
    {
        probe::reset();
        EXPECT_TRUE(probe::nothingLive());
    }
};

// ---- every payload kind, built and taken apart ---------------------------

struct PayloadCase {
    const char *name;
    uint32_t size;
    bool hasTable;
    probe::Slots slots;
    bool zeroFilled; // the block starts zeroed rather than as allocated
};
void PrintTo(const PayloadCase &c, std::ostream *out) { *out << c.name; }

class PayloadKinds : public Checked<::testing::TestWithParam<PayloadCase>> {};

TEST_P(PayloadKinds, BuildsThenTakesApartWithExactlyTheCallsOfItsKind)
{
    const PayloadCase &c = GetParam();
    const cstd_vtable table = probe::table(c.slots);
    const cstd_vtable *const vtable = c.hasTable ? &table : nullptr;
    const bool constructs = c.hasTable && c.slots.construct, destructs = c.hasTable && c.slots.destruct;
    cstd_tree t;
    scribble(t);
    ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&t, c.size, vtable), 0);
    EXPECT_TRUE(isFreshRoot(t));
    std::vector<probe::Step> calls{listBuilt(t), step(Fn::csys_memory_alloc_internal, c.size, &t.data)};
    if (constructs) {
        calls.push_back(step(Fn::slot_construct, t.data, 0));
    }
    calls.push_back(cleanupRun());
    EXPECT_TRUE(probe::callsAre(calls));
    const auto *bytes = static_cast<const unsigned char *>(t.data);
    const unsigned char fill = c.zeroFilled ? 0 : probe::kFreshByte;
    EXPECT_TRUE(std::all_of(bytes, bytes + c.size, [&](auto b) { return b == fill; }));

    void *const data = t.data;
    probe::reset();
    ASSERT_EQ(cstd_tree_destruct(&t), 0);
    calls = {counted(t), listGone(t)};
    if (destructs) {
        calls.push_back(step(Fn::slot_destruct, data));
    }
    if (c.size != 0) {
        calls.push_back(step(Fn::csys_memory_free_internal, &t.data));
    }
    EXPECT_TRUE(probe::callsAre(calls));
    EXPECT_TRUE(isRaw(t)); // so it may be built again
}

INSTANTIATE_TEST_SUITE_P(
    Tree, PayloadKinds,
    ::testing::Values(PayloadCase{"ValueNoTable", 0, false, {}, false},
                      PayloadCase{"ValueWithSlots", 0, true, {}, false},
                      PayloadCase{"BufferNoTable", 12, false, {}, false},
                      PayloadCase{"BufferWithSlots", 12, true, {}, false},
                      PayloadCase{"BufferEmptyConstructNegativeTag", 12, true, {false, true, true, true, -1}, false},
                      PayloadCase{"BufferEmptyConstructPlainTag", 12, true, {false, false, false, false, 0}, true}),
    [](const auto &info) { return std::string(info.param.name); });

class Lifecycle : public Checked<::testing::Test> {};

TEST_F(Lifecycle, HeapNodesAreMadeAndDeletedThroughTheCallersPointer)
{
    cstd_tree *node = nullptr;
    EXPECT_EQ(cstd_tree_delete(&node), 0);
    EXPECT_TRUE(probe::callsAre({}));

    // The fresh record holds the heap's pattern: construction writes every field.
    ASSERT_EQ(cstd_tree_new(&node), 0);
    EXPECT_TRUE(probe::callsAre({step(Fn::csys_memory_alloc_internal, sizeof(cstd_tree), kAny), listBuilt(*node)}));
    EXPECT_TRUE(isRaw(*node));

    // A new operation over a live node deletes it before allocating.
    cstd_tree *const old = node;
    probe::reset();
    ASSERT_EQ(cstd_tree_newWithSizeAndVtable(&node, 4, nullptr), 0);
    EXPECT_TRUE(probe::callsAre({counted(*old), listGone(*old), step(Fn::csys_memory_free_internal, &node),
                                 step(Fn::csys_memory_alloc_internal, sizeof(cstd_tree), kAny), listBuilt(*node),
                                 step(Fn::csys_memory_alloc_internal, 4, &node->data), cleanupRun()}));

    cstd_tree *const last = node;
    probe::reset();
    ASSERT_EQ(cstd_tree_delete(&node), 0);
    EXPECT_EQ(node, nullptr);
    EXPECT_TRUE(probe::callsAre({counted(*last), listGone(*last), step(Fn::csys_memory_free_internal, &last->data),
                                 step(Fn::csys_memory_free_internal, &node)}));
}

} // namespace
