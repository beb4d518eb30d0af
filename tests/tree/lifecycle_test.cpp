// Construction, destruction, new and delete: the calls each makes into the
// system library, what each failure leaves, and the statuses passed on.
#include <algorithm>
#include <cstring>
#include <functional>

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
bool isRaw(const cstd_tree &t)
{
    return isFreshRoot(t) && t.data == nullptr && t.dataSize == 0 && t.vtable == nullptr;
}

// Every call answers with a positive status, and the given occurrence of
// `last` with another: a positive status is a success, and the last one made
// is the one returned.
constexpr cstd_status kPositive = 0x71, kLastPositive = 0x77, kFailed = CSTD_STATUS_FAILURE(0x1001);
void answerPositively(Fn last, unsigned occurrence = 1)
{
    probe::reset();
    probe::inject({last, occurrence, kLastPositive});
    probe::inject({Fn::any, 1, kPositive, probe::Mode::fromThenOn});
}

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

TEST_P(PayloadKinds, BuildsThenTakesApartWithExactlyTheCallsOfItsKindPassingPositiveStatuses)
{
    const PayloadCase &c = GetParam();
    const cstd_vtable table = probe::table(c.slots);
    const cstd_vtable *const vtable = c.hasTable ? &table : nullptr;
    const bool constructs = c.hasTable && c.slots.construct, destructs = c.hasTable && c.slots.destruct;
    cstd_tree t;
    scribble(t);
    answerPositively(constructs ? Fn::slot_construct : Fn::csys_memory_alloc_internal);
    ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&t, c.size, vtable), kLastPositive);
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
    answerPositively(c.size ? Fn::csys_memory_free_internal
                            : destructs ? Fn::slot_destruct : Fn::cstd_vector__destruct);
    ASSERT_EQ(cstd_tree_destruct(&t), kLastPositive);
    calls = {counted(t), listGone(t)};
    if (destructs) {
        calls.push_back(step(Fn::slot_destruct, data));
    }
    if (c.size != 0) {
        calls.push_back(step(Fn::csys_memory_free_internal, &t.data));
    }
    EXPECT_TRUE(probe::callsAre(calls));
    EXPECT_TRUE(isRaw(t)); // so it may be built again

    // A building step that fails leaves the record raw, holding the size and
    // table given once they were written, and nothing allocated.
    for (unsigned failing = 1; failing <= (constructs ? 3u : 2u); ++failing) {
        SCOPED_TRACE(failing);
        scribble(t);
        probe::reset();
        probe::inject({Fn::any, failing, kFailed});
        EXPECT_EQ(cstd_tree_constructWithSizeAndVtable(&t, c.size, vtable), kFailed);
        EXPECT_TRUE(isFreshRoot(t));
        EXPECT_TRUE(failing == 1 ? t.data == kUnwritten
                                 : t.data == nullptr && t.dataSize == c.size && t.vtable == vtable);
        EXPECT_TRUE(probe::nothingLive());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tree, PayloadKinds,
    ::testing::Values(
        PayloadCase{"ValueNoTable", 0, false, {}, false}, PayloadCase{"ValueWithSlots", 0, true, {}, false},
        PayloadCase{"BufferNoTable", 12, false, {}, false}, PayloadCase{"BufferWithSlots", 12, true, {}, false},
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
    answerPositively(Fn::cstd_vector__constructWithVtable);
    ASSERT_EQ(cstd_tree_new(&node), kLastPositive);
    EXPECT_TRUE(probe::callsAre({step(Fn::csys_memory_alloc_internal, sizeof(cstd_tree), kAny),
                                 listBuilt(*node)}));
    EXPECT_TRUE(isRaw(*node));

    // A new operation over a live node deletes it before allocating.
    cstd_tree *const old = node;
    probe::reset();
    ASSERT_EQ(cstd_tree_newWithSizeAndVtable(&node, 4, nullptr), 0);
    EXPECT_TRUE(probe::callsAre({counted(*old), listGone(*old), step(Fn::csys_memory_free_internal, &node),
                                 step(Fn::csys_memory_alloc_internal, sizeof(cstd_tree), kAny), listBuilt(*node),
                                 step(Fn::csys_memory_alloc_internal, 4, &node->data), cleanupRun()}));

    cstd_tree *const last = node;
    answerPositively(Fn::csys_memory_free_internal, 2);
    ASSERT_EQ(cstd_tree_delete(&node), kLastPositive);
    EXPECT_EQ(node, nullptr);
    EXPECT_TRUE(probe::callsAre({counted(*last), listGone(*last), step(Fn::csys_memory_free_internal,
                                 &last->data), step(Fn::csys_memory_free_internal, &node)}));
}

// ---- failures ---------------------------------------------------------------

struct World {
    cstd_vtable table = probe::table({});
    cstd_tree node;
    cstd_tree *heap = nullptr;
    bool keepsSizeAndTable() const { return node.dataSize == 8 && node.vtable == &table; }
};

struct FailureCase {
    const char *name;
    probe::Fault fault;
    std::function<void(World &)> arrange; // before the fault is armed
    std::function<cstd_status(World &)> act;
    std::function<void(World &)> check;   // what the failure leaves
    std::function<void(World &)> release; // frees what the failure left allocated
};
void PrintTo(const FailureCase &c, std::ostream *out) { *out << c.name; }

class Failures : public Checked<::testing::TestWithParam<FailureCase>> {};

TEST_P(Failures, ReturnTheStatusAndLeaveTheDocumentedState)
{
    const FailureCase &c = GetParam();
    World w;
    scribble(w.node);
    if (c.arrange) {
        c.arrange(w);
    }
    probe::reset();
    probe::inject(c.fault);
    EXPECT_EQ(c.act(w), c.fault.status) << probe::describe(probe::calls());
    c.check(w);
    probe::reset();
    if (c.release) {
        c.release(w);
    }
}

void built(World &w) { ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&w.node, 8, &w.table), 0); }
cstd_status destruct(World &w) { return cstd_tree_destruct(&w.node); }
void buildHeap(World &w) { ASSERT_EQ(cstd_tree_newWithSizeAndVtable(&w.heap, 8, &w.table), 0); }
cstd_status newOver(World &w) { return cstd_tree_new(&w.heap); }
void releaseRecord(World &w) { EXPECT_EQ(csys_memory_free_internal(reinterpret_cast<void **>(&w.heap)), 0); }
void releaseHeapPayload(World &w)
{
    w.table.destruct(w.heap->data);
    EXPECT_EQ(csys_memory_free_internal(&w.heap->data), 0);
    releaseRecord(w);
}

const FailureCase kFailures[] = {
    {"ConstructList", {Fn::cstd_vector__constructWithVtable, 1, kFailed}, nullptr,
     [](World &w) { return cstd_tree_construct(&w.node); },
     [](World &w) {
         EXPECT_TRUE(isFreshRoot(w.node));
         EXPECT_TRUE(w.node.data == kUnwritten && static_cast<const void *>(w.node.vtable) == kUnwritten);
     },
     nullptr},
    // Destruction stops at the failing step: what comes after stays allocated.
    {"DestructList", {Fn::cstd_vector__destruct, 1, kFailed}, built, destruct,
     [](World &w) { EXPECT_TRUE(w.keepsSizeAndTable() && probe::liveBlocks() == 1); },
     [](World &w) { EXPECT_EQ(cstd_tree_destruct(&w.node), 0); }},
    {"DestructSlot", {Fn::slot_destruct, 1, kFailed}, built, destruct,
     [](World &w) { EXPECT_TRUE(w.keepsSizeAndTable() && probe::liveArrays() == 0 && probe::liveBlocks() == 1); },
     [](World &w) {
         w.table.destruct(w.node.data);
         EXPECT_EQ(csys_memory_free_internal(&w.node.data), 0);
     }},
    {"DestructRelease", {Fn::csys_memory_free_internal, 1, kFailed}, built, destruct,
     [](World &w) { EXPECT_TRUE(w.keepsSizeAndTable() && w.node.data && probe::liveElements() == 0); },
     [](World &w) { EXPECT_EQ(csys_memory_free_internal(&w.node.data), 0); }},
    // A failed destruction releases no record and allocates nothing new.
    {"NewOverOldDestruct", {Fn::slot_destruct, 1, kFailed}, buildHeap, newOver,
     [](World &w) { EXPECT_TRUE(w.heap && probe::liveBlocks() == 2); }, releaseHeapPayload},
    {"NewOverOldRelease", {Fn::csys_memory_free_internal, 2, kFailed}, buildHeap, newOver,
     [](World &w) { EXPECT_TRUE(w.heap && probe::liveBlocks() == 1); }, releaseRecord},
    // Past the old node's deletion, a failure leaves the caller none.
    {"NewAllocation", {Fn::csys_memory_alloc_internal, 1, kFailed}, buildHeap, newOver,
     [](World &w) { EXPECT_EQ(w.heap, nullptr); }, nullptr},
    {"NewConstruct", {Fn::slot_construct, 1, kFailed}, nullptr,
     [](World &w) { return cstd_tree_newWithSizeAndVtable(&w.heap, 8, &w.table); },
     [](World &w) { EXPECT_EQ(w.heap, nullptr); }, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Tree, Failures, ::testing::ValuesIn(kFailures),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
