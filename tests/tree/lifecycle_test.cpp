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

constexpr auto kPtr = sizeof(cstd_treePtr);
void *const kUnwritten = reinterpret_cast<void *>(std::uintptr_t{0x5A5A});

probe::Step listBuilt(cstd_tree &t)
{
    return step(Fn::cstd_vector__constructWithVtable, &t.children, 0, kPtr, nullptr, 0);
}
probe::Step cleanupRun() { return step(Fn::csys_cleanupExecute_, kAny, kAny, kAny); }

// A node's fields before construction, so that a test sees what was written.
void scribble(cstd_tree &t)
{
    std::memset(static_cast<void *>(&t), 0x5A, sizeof t);
    t.data = kUnwritten;
    t.vtable = static_cast<const cstd_vtable *>(kUnwritten);
}

bool isFreshRoot(const cstd_tree &t)
{
    return t.parent == nullptr && t.indexInParent == -1;
}

// ---- construction and destruction of every payload kind ---------------------

struct PayloadCase {
    const char *name;
    uint32_t size;
    bool hasTable;
    probe::Slots slots;
    bool zeroFilled; // the block starts zeroed rather than as allocated
};
void PrintTo(const PayloadCase &c, std::ostream *out) { *out << c.name; }

class PayloadKinds : public ::testing::TestWithParam<PayloadCase> {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override { EXPECT_TRUE(probe::nothingLive()); }
};

TEST_P(PayloadKinds, BuildsThenTakesApartWithExactlyTheCallsOfItsKind)
{
    const PayloadCase &c = GetParam();
    const cstd_vtable table = probe::table(c.slots);
    const cstd_vtable *vtable = c.hasTable ? &table : nullptr;
    const bool constructs = c.hasTable && c.slots.construct;
    const bool destructs = c.hasTable && c.slots.destruct;

    cstd_tree t;
    scribble(t);
    ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&t, c.size, vtable), 0);
    EXPECT_TRUE(isFreshRoot(t));
    EXPECT_EQ(t.dataSize, c.size);
    EXPECT_EQ(t.vtable, vtable);
    EXPECT_EQ(t.data == nullptr, c.size == 0);
    std::vector<probe::Step> built{listBuilt(t), step(Fn::csys_memory_alloc_internal, c.size,
                                                      &t.data)};
    if (constructs) {
        built.push_back(step(Fn::slot_construct, t.data, 0));
    }
    built.push_back(cleanupRun());
    EXPECT_TRUE(probe::callsAre(built));
    if (c.size != 0) {
        const auto *bytes = static_cast<const unsigned char *>(t.data);
        const unsigned char expected = c.zeroFilled ? 0 : probe::kFreshByte;
        EXPECT_TRUE(std::all_of(bytes, bytes + c.size, [&](auto b) { return b == expected; }));
    }

    probe::reset();
    void *const data = t.data;
    ASSERT_EQ(cstd_tree_destruct(&t), 0);
    std::vector<probe::Step> destroyed{step(Fn::cstd_vector__getSize32, &t.children, kAny),
                                       step(Fn::cstd_vector__destruct, &t.children)};
    if (destructs) {
        destroyed.push_back(step(Fn::slot_destruct, data));
    }
    if (c.size != 0) {
        destroyed.push_back(step(Fn::csys_memory_free_internal, &t.data));
    }
    EXPECT_TRUE(probe::callsAre(destroyed));
    EXPECT_TRUE(isFreshRoot(t));
    EXPECT_EQ(t.data, nullptr);
    EXPECT_EQ(t.dataSize, 0u);
    EXPECT_EQ(t.vtable, nullptr);
}

const probe::Slots kAllSlots{};
const probe::Slots kNoConstruct{false, true, true, true, -1};
const probe::Slots kPlainTag{false, false, false, false, 0};

INSTANTIATE_TEST_SUITE_P(
    Tree, PayloadKinds,
    ::testing::Values(PayloadCase{"ValueNoTable", 0, false, {}, false},
                      PayloadCase{"ValueWithSlots", 0, true, kAllSlots, false},
                      PayloadCase{"BufferNoTable", 12, false, {}, false},
                      PayloadCase{"BufferWithSlots", 12, true, kAllSlots, false},
                      PayloadCase{"BufferEmptyConstructNegativeTag", 12, true, kNoConstruct, false},
                      PayloadCase{"BufferEmptyConstructPlainTag", 12, true, kPlainTag, true}),
    [](const auto &info) { return std::string(info.param.name); });

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override { EXPECT_TRUE(probe::nothingLive()); }
};

TEST_F(Lifecycle, PlainConstructBuildsAnEmptyRootWithOneCall)
{
    cstd_tree t;
    scribble(t);
    ASSERT_EQ(cstd_tree_construct(&t), 0);
    EXPECT_TRUE(probe::callsAre({listBuilt(t)}));
    EXPECT_TRUE(isFreshRoot(t));
    EXPECT_EQ(t.data, nullptr);
    EXPECT_EQ(t.dataSize, 0u);
    EXPECT_EQ(t.vtable, nullptr);
    uint32_t count = 1;
    EXPECT_EQ(cstd_vector__getSize32(&t.children, &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(cstd_tree_destruct(&t), 0);
}

TEST_F(Lifecycle, HeapNodesAreMadeAndDeletedThroughTheCallersPointer)
{
    cstd_tree *node = nullptr;
    EXPECT_EQ(cstd_tree_delete(&node), 0);
    EXPECT_TRUE(probe::callsAre({}));

    ASSERT_EQ(cstd_tree_new(&node), 0);
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(probe::callsAre({step(Fn::csys_memory_alloc_internal, sizeof(cstd_tree), kAny),
                                 listBuilt(*node)}));
    EXPECT_TRUE(isFreshRoot(*node));

    // A new operation over a live node deletes it before allocating.
    cstd_tree *const old = node;
    probe::reset();
    ASSERT_EQ(cstd_tree_newWithSizeAndVtable(&node, 4, nullptr), 0);
    EXPECT_TRUE(probe::callsAre(
        {step(Fn::cstd_vector__getSize32, &old->children, kAny),
         step(Fn::cstd_vector__destruct, &old->children),
         step(Fn::csys_memory_free_internal, &node),
         step(Fn::csys_memory_alloc_internal, sizeof(cstd_tree), kAny), listBuilt(*node),
         step(Fn::csys_memory_alloc_internal, 4, &node->data), cleanupRun()}));
    EXPECT_EQ(node->dataSize, 4u);

    probe::reset();
    cstd_tree *const last = node;
    ASSERT_EQ(cstd_tree_delete(&node), 0);
    EXPECT_EQ(node, nullptr);
    EXPECT_TRUE(probe::callsAre({step(Fn::cstd_vector__getSize32, &last->children, kAny),
                                 step(Fn::cstd_vector__destruct, &last->children),
                                 step(Fn::csys_memory_free_internal, &last->data),
                                 step(Fn::csys_memory_free_internal, &node)}));
}

// ---- failures -------------------------------------------------------------

struct World {
    cstd_vtable table = probe::table({});
    cstd_tree node;
    cstd_tree *heap = nullptr;
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

class Failures : public ::testing::TestWithParam<FailureCase> {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override { EXPECT_TRUE(probe::nothingLive()); }
};

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

constexpr cstd_status kListFailed = CSTD_STATUS_FAILURE(0x1001);
constexpr cstd_status kAllocFailed = CSTD_STATUS_FAILURE(0x1002);
constexpr cstd_status kSlotFailed = CSTD_STATUS_FAILURE(0x1003);
constexpr cstd_status kFreeFailed = CSTD_STATUS_FAILURE(0x1004);
constexpr cstd_status kDestroyFailed = CSTD_STATUS_FAILURE(0x1005);

cstd_status buildSized(World &w) { return cstd_tree_constructWithSizeAndVtable(&w.node, 8, &w.table); }
void buildHeap(World &w) { ASSERT_EQ(cstd_tree_newWithSizeAndVtable(&w.heap, 8, &w.table), 0); }
void deleteHeap(World &w) { EXPECT_GE(cstd_tree_delete(&w.heap), 0); }
void destroyNode(World &w) { EXPECT_GE(cstd_tree_destruct(&w.node), 0); }

// A sized construction failed at `step`: nothing is left, dataSize and vtable
// hold the values given.
void sizedConstructLeftRaw(World &w, std::vector<probe::Step> tail)
{
    EXPECT_TRUE(isFreshRoot(w.node));
    EXPECT_EQ(w.node.dataSize, 8u);
    EXPECT_EQ(w.node.vtable, &w.table);
    EXPECT_EQ(w.node.data, nullptr);
    std::vector<probe::Step> calls{listBuilt(w.node),
                                   step(Fn::csys_memory_alloc_internal, 8, &w.node.data)};
    calls.insert(calls.end(), tail.begin(), tail.end());
    EXPECT_TRUE(probe::callsAre(calls));
}

const FailureCase kFailures[] = {
    {"ConstructList", {Fn::cstd_vector__constructWithVtable, 1, kListFailed}, nullptr,
     [](World &w) { return cstd_tree_construct(&w.node); },
     [](World &w) {
         EXPECT_TRUE(isFreshRoot(w.node));
         EXPECT_EQ(w.node.data, kUnwritten);
         EXPECT_EQ(static_cast<const void *>(w.node.vtable), kUnwritten);
     },
     nullptr},
    {"SizedList", {Fn::cstd_vector__constructWithVtable, 1, kListFailed}, nullptr, buildSized,
     [](World &w) {
         EXPECT_TRUE(isFreshRoot(w.node));
         EXPECT_EQ(w.node.data, kUnwritten);
         EXPECT_TRUE(probe::callsAre({listBuilt(w.node), cleanupRun()}));
     },
     nullptr},
    {"SizedAllocation", {Fn::csys_memory_alloc_internal, 1, kAllocFailed}, nullptr, buildSized,
     [](World &w) {
         sizedConstructLeftRaw(w, {cleanupRun(), step(Fn::cstd_vector__destruct, &w.node.children)});
     },
     nullptr},
    {"SizedConstructSlot", {Fn::slot_construct, 1, kSlotFailed}, nullptr, buildSized,
     [](World &w) {
         sizedConstructLeftRaw(w, {step(Fn::slot_construct, kAny, 0), cleanupRun(),
                                   step(Fn::csys_memory_free_internal, &w.node.data),
                                   step(Fn::cstd_vector__destruct, &w.node.children)});
     },
     nullptr},
    {"DestructList", {Fn::cstd_vector__destruct, 1, kDestroyFailed},
     [](World &w) { ASSERT_EQ(buildSized(w), 0); }, [](World &w) { return cstd_tree_destruct(&w.node); },
     [](World &w) {
         EXPECT_TRUE(isFreshRoot(w.node));
         EXPECT_NE(w.node.data, nullptr);
         EXPECT_EQ(w.node.vtable, &w.table);
         EXPECT_EQ(probe::liveBlocks(), 1u);
     },
     destroyNode},
    {"DestructSlot", {Fn::slot_destruct, 1, kSlotFailed},
     [](World &w) { ASSERT_EQ(buildSized(w), 0); }, [](World &w) { return cstd_tree_destruct(&w.node); },
     [](World &w) {
         EXPECT_EQ(probe::liveArrays(), 0u);
         EXPECT_EQ(probe::liveBlocks(), 1u);
         EXPECT_EQ(w.node.dataSize, 8u);
         EXPECT_EQ(w.node.vtable, &w.table);
     },
     [](World &w) {
         w.table.destruct(w.node.data);
         EXPECT_EQ(csys_memory_free_internal(&w.node.data), 0);
     }},
    {"DestructRelease", {Fn::csys_memory_free_internal, 1, kFreeFailed},
     [](World &w) { ASSERT_EQ(buildSized(w), 0); }, [](World &w) { return cstd_tree_destruct(&w.node); },
     [](World &w) {
         EXPECT_NE(w.node.data, nullptr);
         EXPECT_EQ(w.node.dataSize, 8u);
         EXPECT_EQ(w.node.vtable, &w.table);
         EXPECT_EQ(probe::liveElements(), 0u);
     },
     [](World &w) { EXPECT_EQ(csys_memory_free_internal(&w.node.data), 0); }},
    {"DeleteDestruct", {Fn::cstd_vector__destruct, 1, kDestroyFailed}, buildHeap,
     [](World &w) { return cstd_tree_delete(&w.heap); },
     [](World &w) {
         EXPECT_NE(w.heap, nullptr);
         EXPECT_EQ(probe::liveBlocks(), 2u);
     },
     deleteHeap},
    {"DeleteRelease", {Fn::csys_memory_free_internal, 2, kFreeFailed}, buildHeap,
     [](World &w) { return cstd_tree_delete(&w.heap); },
     [](World &w) {
         ASSERT_NE(w.heap, nullptr);
         EXPECT_EQ(w.heap->data, nullptr); // destroyed; only the record is left
         EXPECT_EQ(probe::liveBlocks(), 1u);
     },
     [](World &w) { EXPECT_EQ(csys_memory_free_internal(reinterpret_cast<void **>(&w.heap)), 0); }},
    {"NewOverOldDestruct", {Fn::slot_destruct, 1, kSlotFailed}, buildHeap,
     [](World &w) { return cstd_tree_new(&w.heap); },
     [](World &w) {
         EXPECT_NE(w.heap, nullptr);
         EXPECT_EQ(probe::liveBlocks(), 2u); // nothing new allocated
     },
     [](World &w) {
         w.table.destruct(w.heap->data);
         EXPECT_EQ(csys_memory_free_internal(&w.heap->data), 0);
         EXPECT_EQ(csys_memory_free_internal(reinterpret_cast<void **>(&w.heap)), 0);
     }},
    {"NewOverOldRelease", {Fn::csys_memory_free_internal, 2, kFreeFailed}, buildHeap,
     [](World &w) { return cstd_tree_new(&w.heap); },
     [](World &w) {
         EXPECT_NE(w.heap, nullptr);
         EXPECT_EQ(probe::liveBlocks(), 1u);
     },
     [](World &w) { EXPECT_EQ(csys_memory_free_internal(reinterpret_cast<void **>(&w.heap)), 0); }},
    {"NewAllocation", {Fn::csys_memory_alloc_internal, 1, kAllocFailed}, buildHeap,
     [](World &w) { return cstd_tree_new(&w.heap); },
     [](World &w) { EXPECT_EQ(w.heap, nullptr); }, nullptr},
    {"NewConstruct", {Fn::slot_construct, 1, kSlotFailed}, nullptr,
     [](World &w) { return cstd_tree_newWithSizeAndVtable(&w.heap, 8, &w.table); },
     [](World &w) {
         EXPECT_EQ(w.heap, nullptr);
         const auto calls = probe::calls();
         ASSERT_FALSE(calls.empty());
         EXPECT_EQ(calls.back().fn, Fn::csys_memory_free_internal); // the new record
     },
     nullptr},
};

INSTANTIATE_TEST_SUITE_P(Tree, Failures, ::testing::ValuesIn(kFailures),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- positive statuses are successes, passed on ---------------------------

TEST(PositiveStatus, CountsAsSuccessAndIsTheStatusReturned)
{
    constexpr cstd_status kPositive = 0x77;
    const cstd_vtable table = probe::table({});
    cstd_tree node;
    cstd_tree *heap = nullptr;
    const struct {
        Fn fn;                            // the building call that answers positively
        std::function<cstd_status()> act; // leaves `node` built or `heap` set
        Fn last;                          // the last call of taking it apart
    } cases[] = {
        {Fn::cstd_vector__constructWithVtable, [&] { return cstd_tree_construct(&node); },
         Fn::cstd_vector__destruct},
        {Fn::csys_memory_alloc_internal,
         [&] { return cstd_tree_constructWithSizeAndVtable(&node, 4, nullptr); },
         Fn::csys_memory_free_internal},
        {Fn::slot_construct, [&] { return cstd_tree_constructWithSizeAndVtable(&node, 4, &table); },
         Fn::csys_memory_free_internal},
        {Fn::cstd_vector__constructWithVtable, [&] { return cstd_tree_new(&heap); },
         Fn::csys_memory_free_internal},
    };
    for (const auto &c : cases) {
        probe::reset();
        probe::inject({c.fn, 1, kPositive});
        EXPECT_EQ(c.act(), kPositive) << probe::name(c.fn);
        probe::reset();
        probe::inject({c.last, 1, kPositive + 1, probe::Mode::fromThenOn});
        EXPECT_EQ(heap ? cstd_tree_delete(&heap) : cstd_tree_destruct(&node), kPositive + 1);
        EXPECT_EQ(heap, nullptr);
    }
    EXPECT_TRUE(probe::nothingLive());
}

} // namespace
