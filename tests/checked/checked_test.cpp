// The checked build: a call that breaks a caller's duty ends the program with
// one line naming the entry and the duty, before anything is read through
// the broken argument. The entries of a source file share their check
// helpers, so each file has a row per message a helper of its writes; each
// row dies in its own process, with its nodes built there.
#include <zodovar9/zodovar9.h>

#include <gtest/gtest.h>

#include <string>

namespace {

cstd_tree *fresh()
{
    auto *node = new cstd_tree;
    return cstd_tree_construct(node), node;
}
cstd_tree *gOut;
const cstd_tree *gConstOut;
uint32_t gTruth;
void *gData;
constexpr int32_t kDepthFirst = cstd_tree_searchDepthFirst;

// A node whose `parent` and `indexInParent` disagree: linked at a negative
// position, or a root at a position other than -1.
cstd_tree *misplaced(bool linked)
{
    cstd_tree *node = fresh();
    node->parent = linked ? fresh() : nullptr;
    return node->indexInParent = linked ? -1 : 0, node;
}

TEST(CheckedDeath, EachMessage)
{
    const struct {
        const char *message; // after "zodovar9: "
        void (*call)();
    } rows[] = {
        // Pointers read or written through, the first or a later one named;
        // `p` of the new and delete entries may name none, but not be none.
        {"cstd_tree_construct: tree is none", [] { cstd_tree_construct(nullptr); }},
        {"cstd_tree_deleteThisAndAllDescendants: p is none", [] { cstd_tree_deleteThisAndAllDescendants(nullptr); }},
        {"cstd_tree_addChild: child is none", [] { cstd_tree_addChild(fresh(), nullptr); }},
        {"cstd_tree_removeChild: parent is none", [] { cstd_tree_removeChild(nullptr, fresh()); }},
        {"cstd_tree_getNumChildren: count is none", [] { cstd_tree_getNumChildren(fresh(), nullptr); }},
        {"cstd_tree_getParent: parent is none", [] { cstd_tree_getParentConst(fresh(), nullptr); }},
        {"cstd_tree_getNextSearchElement: tree is none",
         [] { cstd_tree_getNextSearchElementConst(nullptr, kDepthFirst, &gConstOut); }},
        {"cstd_tree_assign: source is none", [] { cstd_tree_assign(fresh(), nullptr); }},
        // A family entry is the core's, and so is its name in the message.
        {"cstd_tree_getDataPtr: tree is none", [] { cstd_tree_cmath_xformLinear_getDataPtr(nullptr, &gData); }},
        // Places that disagree, for each helper's user: navigation, the
        // search step, attachment.
        {"cstd_tree_getNextSibling: tree has a parent but a negative indexInParent",
         [] { cstd_tree_getNextSibling(misplaced(true), &gOut); }},
        {"cstd_tree_getParent: tree is a root but its indexInParent is not -1",
         [] { cstd_tree_getParent(misplaced(false), &gOut); }},
        {"cstd_tree_hasNextSearchElement: tree has a parent but a negative indexInParent",
         [] { cstd_tree_hasNextSearchElement(misplaced(true), kDepthFirst, &gTruth); }},
        {"cstd_tree_getNextSearchElement: tree is a root but its indexInParent is not -1",
         [] { cstd_tree_getNextSearchElement(misplaced(false), kDepthFirst, &gOut); }},
        {"cstd_tree_addChild: child has a parent but a negative indexInParent",
         [] { cstd_tree_addChild(fresh(), misplaced(true)); }},
        {"cstd_tree_addChild: child is a root but its indexInParent is not -1",
         [] { cstd_tree_addChild(fresh(), misplaced(false)); }},
        // Attaching a node below itself or its own descendant would close the
        // parent links into a cycle; the root here is three levels above.
        {"cstd_tree_addChild: the child is the parent", [] { gOut = fresh(), cstd_tree_tree_addChild(gOut, gOut); }},
        {"cstd_tree_addChild: the child is an ancestor of the parent",
         [] {
             cstd_tree *chain[4] = {fresh(), fresh(), fresh(), fresh()};
             for (int i = 1; i < 4; ++i) ASSERT_EQ(cstd_tree_addChild(chain[i - 1], chain[i]), 0);
             cstd_tree_addChild(chain[3], chain[0]);
         }},
        {"cstd_tree_setData: value is none but the payload is copied from it",
         [] { cstd_tree32s_new(&gOut), cstd_tree32s_setData(gOut, nullptr); }},
        // A node deleted through one pointer and then through another.
        {"cstd_tree_delete: p names a node that is deleted already",
         [] {
             cstd_tree32s_new(&gOut);
             cstd_tree *alias = gOut;
             cstd_tree_delete(&gOut), cstd_tree_delete(&alias);
         }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.message);
        EXPECT_DEATH(row.call(), std::string("^zodovar9: ") + row.message + "\n$");
    }
    // A value payload stores none as it is.
    cstd_tree node;
    ASSERT_EQ(cstd_tree_construct(&node), 0);
    node.data = &node;
    EXPECT_TRUE(cstd_tree_setData(&node, nullptr) == 0 && node.data == nullptr && cstd_tree_destruct(&node) == 0);
}

// The climb from the parent is bounded: links that already come round
// without meeting the child are climbed a few laps, not for ever, and a child
// on such a loop is met wherever it lies, even a whole lap away.
TEST(CheckedDeath, TheClimbFromTheParentEndsOnALoop)
{
    constexpr int kLoop = 1000;
    static cstd_tree loop[kLoop];
    for (int i = 0; i < kLoop; ++i) {
        ASSERT_EQ(cstd_tree_construct(&loop[i]), 0);
        loop[i].parent = &loop[(i + 1) % kLoop];
        loop[i].indexInParent = 0;
    }
    EXPECT_DEATH(cstd_tree_addChild(&loop[kLoop / 2], &loop[kLoop / 2 - 1]),
                 "^zodovar9: cstd_tree_addChild: the child is an ancestor of the parent\n$");
    cstd_tree child;
    ASSERT_EQ(cstd_tree_construct(&child), 0);
    EXPECT_TRUE(cstd_tree_addChild(&loop[0], &child) == 0 && child.parent == &loop[0]);
    EXPECT_TRUE(cstd_tree_removeChild(&loop[0], &child) == 0 && cstd_tree_destruct(&child) == 0);
    for (cstd_tree &node : loop) node.parent = nullptr, node.indexInParent = -1, cstd_tree_destruct(&node);
}

} // namespace
