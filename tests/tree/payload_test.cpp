// Payload writes, assignment and copies: the path each payload kind takes,
// and the pairs that assignment refuses.
#include <cstring>

#include "expect.hpp"

namespace {

using probe::Fn;
using probe::kAny;
using probe::step;

class Payload : public ::testing::Test {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override { EXPECT_TRUE(probe::nothingLive()); }
    const cstd_vtable recording_ = probe::table({});
    const cstd_vtable noAssign_ = probe::table({.assign = false});
};

TEST_F(Payload, SetDataTakesTheFirstPathThatFits)
{
    int32_t value = -1;
    struct Case {
        uint32_t size;
        const cstd_vtable *table;
        Fn call; // Fn::any: no call, the value is stored
    } cases[] = {
        {0, nullptr, Fn::any},
        {4, nullptr, Fn::csys_memory_copy},
        {0, &recording_, Fn::slot_assign}, // the slot even for a value payload
        {4, &recording_, Fn::slot_assign},
        {4, &noAssign_, Fn::csys_memory_copy},
        {0, &noAssign_, Fn::any},
    };
    for (const Case &c : cases) {
        cstd_tree t;
        ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&t, c.size, c.table), 0);
        void *const block = t.data;
        probe::reset();
        ASSERT_EQ(cstd_tree_setData(&t, &value), 0);
        void *data = nullptr;
        EXPECT_EQ(cstd_tree_getDataPtr(&t, &data), 0);
        if (c.call == Fn::any) {
            EXPECT_TRUE(probe::callsAre({}));
            EXPECT_EQ(data, &value);
            t.data = block; // the stored value is not the node's to release
        } else if (c.call == Fn::csys_memory_copy) {
            EXPECT_TRUE(probe::callsAre({step(c.call, 4, &value, block)}));
            EXPECT_EQ(data, block);
            EXPECT_EQ(*static_cast<int32_t *>(data), -1);
        } else {
            EXPECT_TRUE(probe::callsAre({step(c.call, block, &value)}));
        }
        ASSERT_GE(cstd_tree_destruct(&t), 0);
    }
}

// Two roots with payloads of one kind, and a third node as a parent.
struct Pair {
    cstd_tree destination, source;
};

// The list first, then the payload; where each lands the fault sweep checks.
TEST_F(Payload, AssignCopiesTheListThenThePayload)
{
    Pair p;
    ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&p.destination, 4, nullptr), 0);
    ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&p.source, 4, &noAssign_), 0);
    void *const block = p.destination.data;
    probe::reset();
    ASSERT_EQ(cstd_tree_assign(&p.destination, &p.source), 0);
    EXPECT_TRUE(probe::callsAre({step(Fn::cstd_vector__assign, &p.destination.children, &p.source.children),
                                 step(Fn::csys_memory_copy, 4, p.source.data, block)}));
    ASSERT_EQ(cstd_tree_destruct(&p.destination), 0);
    ASSERT_EQ(cstd_tree_destruct(&p.source), 0);
}

TEST_F(Payload, AssignOntoItselfWritesNothingAndCallsNothing)
{
    cstd_tree t;
    ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&t, 4, &recording_), 0);
    const cstd_tree before = t;
    probe::reset();
    EXPECT_EQ(cstd_tree_assign(&t, &t), 0);
    EXPECT_TRUE(probe::callsAre({}));
    EXPECT_TRUE(probe::sameFields(t, before));
    ASSERT_EQ(cstd_tree_destruct(&t), 0);
}

TEST_F(Payload, AssignIsShallowInTheChildren)
{
    cstd_tree *own = nullptr, *theirs = nullptr, *destination = nullptr, *source = nullptr;
    for (cstd_tree **p : {&own, &theirs, &destination, &source}) {
        ASSERT_EQ(cstd_tree_new(p), 0);
    }
    ASSERT_EQ(cstd_tree_addChild(destination, own), 0);
    ASSERT_EQ(cstd_tree_addChild(source, theirs), 0);
    ASSERT_EQ(cstd_tree_assign(destination, source), 0);

    cstd_tree *first = nullptr;
    ASSERT_EQ(cstd_tree_getFirstChild(destination, &first), 0);
    EXPECT_EQ(first, theirs);
    EXPECT_EQ(cstd_tree_removeChild(destination, theirs), cstd_tree_errWrongParent);
    // Destroying the copy stops at the source's child and releases nothing.
    EXPECT_EQ(cstd_tree_destruct(destination), cstd_tree_errWrongParent);
    EXPECT_EQ(theirs->parent, source);
    // The former child, no longer listed, still names the destination.
    EXPECT_EQ(own->parent, destination);

    own->parent = nullptr;
    own->indexInParent = -1;
    ASSERT_EQ(cstd_tree_delete(&own), 0);
    ASSERT_EQ(cstd_tree_deleteThisButNotDescendants(&destination), 0);
    ASSERT_EQ(cstd_tree_delete(&source), 0);
}

TEST_F(Payload, AssignRefusesPayloadsThatDoNotFitAndWritesNothing)
{
    const cstd_vtable other = probe::table({});
    struct Case {
        const char *name;
        uint32_t destinationSize;
        const cstd_vtable *destinationTable;
        uint32_t sourceSize;
        const cstd_vtable *sourceTable;
        cstd_status expected;
    } cases[] = {
        {"block from value", 4, nullptr, 0, nullptr, cstd_tree_errPayloadMismatch},
        {"value from block", 0, nullptr, 4, nullptr, cstd_tree_errPayloadMismatch},
        {"small block from large", 4, nullptr, 48, nullptr, cstd_tree_errPayloadMismatch},
        {"slot from another table", 4, &recording_, 4, &other, cstd_tree_errPayloadMismatch},
        {"value with no slot from a table", 0, &noAssign_, 0, &other, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Pair p;
        ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&p.destination, c.destinationSize, c.destinationTable), 0);
        ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&p.source, c.sourceSize, c.sourceTable), 0);
        const cstd_tree before = p.destination;
        probe::reset();
        EXPECT_EQ(cstd_tree_assign(&p.destination, &p.source), c.expected);
        if (c.expected < 0) {
            EXPECT_TRUE(probe::callsAre({}));
            EXPECT_TRUE(probe::sameFields(p.destination, before));
        } else {
            EXPECT_EQ(p.destination.vtable, c.sourceTable);
        }
        ASSERT_GE(cstd_tree_destruct(&p.destination), 0);
        ASSERT_GE(cstd_tree_destruct(&p.source), 0);
    }
}

// The calls of a block's copy; what the copy holds, and that a value's copy
// shares it, the fault sweep checks.
TEST_F(Payload, CopyOfABlockBuildsItsOwn)
{
    cstd_tree block, copy;
    ASSERT_EQ(cstd_tree_constructWithSizeAndVtable(&block, 8, &recording_), 0);
    probe::reset();
    ASSERT_EQ(cstd_tree_constructCopy(&copy, &block), 0);
    EXPECT_TRUE(probe::callsAre(
        {step(Fn::cstd_vector__constructWithVtable, &copy.children, 0, sizeof(cstd_treePtr), nullptr, 0),
         step(Fn::csys_memory_alloc_internal, 8, &copy.data), step(Fn::slot_construct, kAny, 0),
         step(Fn::cstd_vector__assign, &copy.children, &block.children), step(Fn::slot_assign, kAny, block.data),
         step(Fn::csys_cleanupExecute_, kAny, kAny, kAny)}));
    ASSERT_EQ(cstd_tree_destruct(&copy), 0);
    ASSERT_EQ(cstd_tree_destruct(&block), 0);
}

} // namespace
