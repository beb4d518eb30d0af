// Trees with shape: attachment positions, the pre-order walk from every
// node, deletion order and a deletion that fails midway, cycles of parents.
#include <map>
#include <string>

#include "expect.hpp"

namespace {

using probe::Fn;

// A tree of heap nodes named by letters, each a value payload naming itself.
class Shape : public ::testing::Test {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override
    {
        // The roots are found before any deletion frees their descendants.
        std::vector<cstd_tree *> roots;
        for (const auto &[name, node] : nodes) {
            if (node != nullptr && node->parent == nullptr) {
                roots.push_back(node);
            }
        }
        for (cstd_tree *root : roots) {
            EXPECT_GE(cstd_tree_deleteThisAndAllDescendants(&root), 0);
        }
        EXPECT_TRUE(probe::nothingLive());
    }
    cstd_tree *add(const std::string &name, const std::string &parent = "")
    {
        cstd_tree *&node = nodes[name];
        EXPECT_EQ(cstd_tree_newWithSizeAndVtable(&node, 0, &table), 0);
        node->data = const_cast<char *>(nodes.find(name)->first.c_str());
        if (!parent.empty()) {
            EXPECT_EQ(cstd_tree_addChild(nodes[parent], node), 0);
        }
        return node;
    }
    static std::string name(const cstd_tree *node) { return static_cast<const char *>(node->data); }
    // The names whose payloads were destroyed, in order, from the log.
    static std::string destroyed()
    {
        std::string order;
        for (const probe::Call &call : probe::calls()) {
            if (call.fn == Fn::slot_destruct) {
                order += *reinterpret_cast<const char *>(static_cast<std::uintptr_t>(call.args[0]));
            }
        }
        return order;
    }
    void forget(const std::string &names)
    {
        for (char c : names) {
            nodes[std::string(1, c)] = nullptr;
        }
    }

    cstd_vtable table = probe::table({false, false, false, true, -1});
    std::map<std::string, cstd_tree *> nodes;
};

TEST_F(Shape, PositionsFollowTheListThroughAttachAndRemove)
{
    cstd_tree *p = add("P");
    cstd_tree *a = add("A", "P"), *b = add("B", "P"), *c = add("C", "P");
    EXPECT_EQ(a->indexInParent + b->indexInParent * 10 + c->indexInParent * 100, 210);
    EXPECT_EQ(cstd_tree_addChild(a, b), cstd_tree_errWrongParent);
    ASSERT_EQ(cstd_tree_removeChild(p, b), 0);
    EXPECT_EQ(b->parent, nullptr);
    EXPECT_EQ(b->indexInParent, -1);
    EXPECT_EQ(c->indexInParent, 1);
    cstd_tree *prev = nullptr;
    EXPECT_EQ(cstd_tree_getPrevSibling(c, &prev), 0);
    EXPECT_EQ(prev, a);
    EXPECT_EQ(cstd_tree_removeChild(p, b), cstd_tree_errWrongParent);
    // A stored position past the list finds no next sibling and reads nothing.
    c->indexInParent = 7;
    cstd_tree *next = p;
    EXPECT_EQ(cstd_tree_getNextSibling(c, &next), cstd_tree_errNoNextSibling);
    EXPECT_EQ(next, p);
    c->indexInParent = 1;
}

TEST_F(Shape, WalkFromEveryNodeGoesOnThroughTheWholeTree)
{
    add("R"), add("A", "R"), add("a", "A"), add("b", "A"), add("c", "b"), add("B", "R");
    add("C", "R"), add("d", "C");
    const std::string preorder = "RAabcBCd";
    for (std::size_t start = 0; start < preorder.size(); ++start) {
        std::string walked;
        const cstd_tree *node = nodes[preorder.substr(start, 1)];
        cstd_status status = 0;
        do {
            uint32_t more = 9;
            EXPECT_GE(cstd_tree_hasNextSearchElement(node, cstd_tree_searchDepthFirst, &more), 0);
            walked += name(node);
            status = cstd_tree_getNextSearchElementConst(node, cstd_tree_searchDepthFirst, &node);
            EXPECT_EQ(more, status >= 0 ? 1u : 0u) << walked;
        } while (status >= 0);
        EXPECT_EQ(status, cstd_tree_errSearchEnd);
        EXPECT_EQ(walked, preorder.substr(start));
    }
    // Another search type searches nothing and asks the system library nothing.
    probe::reset();
    cstd_tree *untouched = nullptr;
    EXPECT_EQ(cstd_tree_getNextSearchElement(nodes["R"], 2, &untouched), 0);
    EXPECT_EQ(untouched, nullptr);
    EXPECT_TRUE(probe::callsAre({}));
}

TEST_F(Shape, DeletionDestroysPayloadsInPostOrder)
{
    add("R"), add("a", "R"), add("1", "a"), add("2", "a"), add("b", "R"), add("c", "R");
    probe::reset();
    ASSERT_EQ(cstd_tree_deleteThisAndAllDescendants(&nodes["R"]), 0);
    EXPECT_EQ(destroyed(), "12abcR");
    forget("12abc");
}

TEST_F(Shape, FailedDestructInTheThirdOfFiveSubtreesLeavesTheRestAttached)
{
    cstd_tree *r = add("R");
    for (const char *child : {"a", "b", "c", "d", "e"}) {
        add(child, "R");
    }
    cstd_tree *x = add("x", "c");
    probe::reset();
    constexpr cstd_status kRefused = CSTD_STATUS_FAILURE(0x2001);
    probe::inject({Fn::slot_destruct, 3, kRefused}); // a, b, then x below c
    EXPECT_EQ(cstd_tree_destruct(r), kRefused);
    EXPECT_EQ(destroyed(), "abx");
    forget("abx");
    // c is detached, a root again, not released; d and e close up.
    EXPECT_EQ(nodes["c"]->parent, nullptr);
    EXPECT_EQ(nodes["c"]->indexInParent, -1);
    EXPECT_EQ(nodes["d"]->indexInParent, 0);
    EXPECT_EQ(nodes["e"]->indexInParent, 1);
    uint32_t count = 0;
    EXPECT_EQ(cstd_tree_getNumChildren(r, &count), 0);
    EXPECT_EQ(count, 2u);
    // x was destroyed up to its refused payload, so its record is ours to release.
    EXPECT_EQ(csys_memory_free_internal(reinterpret_cast<void **>(&x)), 0);
}

TEST_F(Shape, ClimbsThatComeRoundACycleStop)
{
    // A root attached below its own descendant closes a loop of parents.
    constexpr int kLength = 1000;
    cstd_tree *first = add("n0");
    cstd_tree *last = first;
    for (int i = 1; i < kLength; ++i) {
        last = add("n" + std::to_string(i), "n" + std::to_string(i - 1));
    }
    ASSERT_EQ(cstd_tree_addChild(last, first), 0);
    int32_t depth = 0;
    EXPECT_EQ(cstd_tree_getDepthFromRoot(last, &depth), cstd_tree_errParentCycle);
    EXPECT_EQ(depth, -1);
    ASSERT_EQ(cstd_tree_removeChild(last, first), 0);

    // Listed children always offer the walk a way out of a loop; links that
    // name parents whose lists do not hold them (a copy's, a failed attach's)
    // can leave it none, and then the climb itself has to stop.
    cstd_tree *x = add("x"), *y = add("y");
    x->parent = y;
    y->parent = x;
    x->indexInParent = y->indexInParent = 0;
    cstd_tree *next = y;
    EXPECT_EQ(cstd_tree_getNextSearchElement(x, 1, &next), cstd_tree_errParentCycle);
    EXPECT_EQ(next, y);
    uint32_t more = 1;
    EXPECT_EQ(cstd_tree_hasNextSearchElement(x, 1, &more), cstd_tree_errParentCycle);
    EXPECT_EQ(more, 0u);
    x->parent = y->parent = nullptr;
    x->indexInParent = y->indexInParent = -1;
}

} // namespace
