// Attaching and detaching: the list calls each makes, the positions left
// behind, and refusals.
#include <string>

#include "expect.hpp"

namespace {

using probe::Fn;
using probe::kAny;
using probe::step;

// Heap nodes P and Q, with A, B and C attached to P in that order; D a root.
class Attach : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (cstd_tree **n : {&p, &q, &a, &b, &c, &d}) {
            ASSERT_EQ(cstd_tree_new(n), 0);
        }
        for (cstd_tree *n : {a, b, c}) {
            ASSERT_EQ(cstd_tree_addChild(p, n), 0);
        }
        probe::reset();
    }
    void TearDown() override
    {
        probe::reset();
        for (cstd_tree **n : {&p, &q, &a, &b, &c, &d}) { // parents first: a child's link is read
            EXPECT_EQ(cstd_tree_deleteThisButNotDescendants(n), 0);
        }
        EXPECT_TRUE(probe::nothingLive());
    }
    // P's list: each node's name followed by its stored position.
    std::string listed() const
    {
        cstd_tree **begin = nullptr;
        uint32_t count = 0;
        EXPECT_EQ(cstd_vector__getBeginSize32(&p->children, reinterpret_cast<void **>(&begin), &count), 0);
        std::string out;
        for (uint32_t i = 0; i < count; ++i) {
            out += "ABCD"[begin[i] == a ? 0 : begin[i] == b ? 1 : begin[i] == c ? 2 : 3];
            out += std::to_string(begin[i]->indexInParent);
        }
        return out;
    }
    cstd_tree *p = nullptr, *q = nullptr, *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
};

// Middle, first, then only child: each leaves P's list, found by pointer, the
// rest closing up behind it, and goes to the end of Q's, which holds D.
TEST_F(Attach, RemovalErasesByPointerAndRenumbersAndAppendTakesTheCount)
{
    ASSERT_EQ(cstd_tree_addChild(q, d), 0);
    int32_t nextInQ = 1;
    for (const auto &[n, left] : {std::pair{b, "A0C1"}, {a, "C0"}, {c, ""}}) {
        cstd_tree **begin = nullptr;
        ASSERT_EQ(cstd_vector__getBeginEnd(&p->children, reinterpret_cast<void **>(&begin), nullptr), 0);
        cstd_tree **const element = begin + n->indexInParent;
        probe::reset();
        ASSERT_EQ(cstd_tree_removeChild(p, n), 0);
        EXPECT_TRUE(probe::callsAre({step(Fn::cstd_vector__getSize32, &p->children, kAny),
                                     step(Fn::cstd_vector__getBeginEnd, &p->children, kAny, nullptr),
                                     step(Fn::cstd_vector__eraseElement, &p->children, element),
                                     step(Fn::cstd_vector__getBeginSize32, &p->children, kAny, kAny)}));
        EXPECT_TRUE(n->parent == nullptr && n->indexInParent == -1);
        EXPECT_EQ(listed(), left);
        probe::reset();
        ASSERT_EQ(cstd_tree_addChild(q, n), 0);
        EXPECT_TRUE(probe::callsAre({step(Fn::cstd_vector__getSize32, &q->children, kAny),
                                     step(Fn::cstd_vector__pushBack, &q->children, kAny)}));
        EXPECT_TRUE(n->parent == q && n->indexInParent == nextInQ++);
    }
}

TEST_F(Attach, RefusesAWrongLinkWithoutWritingOrCalling)
{
    ASSERT_EQ(cstd_tree_addChild(q, d), 0);
    probe::reset();
    EXPECT_EQ(cstd_tree_addChild(p, b), cstd_tree_errWrongParent);    // attached here already
    EXPECT_EQ(cstd_tree_addChild(q, b), cstd_tree_errWrongParent);    // attached elsewhere
    EXPECT_EQ(cstd_tree_removeChild(q, p), cstd_tree_errWrongParent); // a root
    EXPECT_EQ(cstd_tree_removeChild(p, d), cstd_tree_errWrongParent); // another's child
    EXPECT_TRUE(probe::callsAre({}));
    EXPECT_EQ(listed(), "A0B1C2");
    EXPECT_TRUE(d->parent == q && d->indexInParent == 0 && p->indexInParent == -1);
}

} // namespace
