// Navigation queries: what each delivers, the list calls it makes, and that a
// refused or failed query leaves the caller's variable as it was.
#include <functional>

#include "expect.hpp"

namespace {

using probe::Fn;
using probe::kAny;
using probe::step;

constexpr std::uintptr_t kUnset = 0x5A5A; // what an out-parameter held before the query
using Result = std::pair<cstd_status, uint64_t>;

// Runs a query whose out-parameter held kUnset before it.
template <class Out, class Node, class Query>
std::function<Result()> ask(Query query, Node *tree)
{
    return [=] {
        Out out = Out(kUnset);
        const cstd_status status = query(tree, &out);
        return Result{status, probe::word(out)};
    };
}
template <class Node, class Query>
std::function<Result()> node(Query query, Node *tree)
{
    return ask<Node *>(query, tree);
}
const auto numChildren = [](const cstd_tree *t) { return ask<uint32_t>(cstd_tree_getNumChildren, t); };
const auto hasNext = [](const cstd_tree *t) { return ask<uint32_t>(cstd_tree_hasNextSibling, t); };
const auto depth = [](const cstd_tree *t) { return ask<int32_t>(cstd_tree_getDepthFromRoot, t); };

probe::Step size(cstd_tree *n) { return step(Fn::cstd_vector__getSize32, &n->children, kAny); }
probe::Step begin(cstd_tree *n) { return step(Fn::cstd_vector__getBeginEnd, &n->children, kAny, nullptr); }
probe::Step beginRO(cstd_tree *n) { return step(Fn::cstd_vector__getBeginEndConst, &n->children, kAny, nullptr); }

struct Row {
    const char *name;
    std::function<Result()> query;
    cstd_status status;
    uint64_t value;
    std::vector<probe::Step> calls;
    probe::Fault fault = {Fn::any, 0, 0}; // occurrence 0: none
};

// Heap nodes P(A, B(B1), C) and F, a lone root.
class Navigate : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (cstd_tree **n : {&p, &a, &b, &c, &b1, &f}) {
            ASSERT_EQ(cstd_tree_new(n), 0);
        }
        for (cstd_tree *n : {a, b, c}) {
            ASSERT_EQ(cstd_tree_addChild(p, n), 0);
        }
        ASSERT_EQ(cstd_tree_addChild(b, b1), 0);
        probe::reset();
    }
    void TearDown() override
    {
        probe::reset();
        for (cstd_tree **n : {&a, &b, &c, &b1, &f, &p}) {
            EXPECT_EQ(cstd_tree_deleteThisButNotDescendants(n), 0);
        }
        EXPECT_TRUE(probe::nothingLive());
    }
    static void run(const std::vector<Row> &rows)
    {
        for (const Row &r : rows) {
            SCOPED_TRACE(r.name);
            probe::reset();
            probe::inject(r.fault);
            const auto [status, value] = r.query();
            EXPECT_EQ(status, r.status);
            EXPECT_EQ(value, r.value);
            EXPECT_TRUE(probe::callsAre(r.calls));
        }
    }
    static uint64_t w(const cstd_tree *n) { return probe::word(n); }
    static probe::Fault fails(Fn fn, cstd_status status) { return {fn, 1, status}; }
    cstd_tree *p = nullptr, *a = nullptr, *b = nullptr, *c = nullptr, *b1 = nullptr, *f = nullptr;
};

TEST_F(Navigate, EachQueryAnswersWithItsOwnCalls)
{
    const cstd_tree *readOnlyP = p;
    run({
        {"fresh: count", numChildren(f), 0, 0, {size(f)}},
        {"fresh: has next, asking nothing", hasNext(f), 0, 0, {}},
        {"fresh: parent", node(cstd_tree_getParent, f), cstd_tree_errNoParent, kUnset, {}},
        {"fresh: previous", node(cstd_tree_getPrevSibling, f), cstd_tree_errNoParent, kUnset, {}},
        {"fresh: next", node(cstd_tree_getNextSibling, f), cstd_tree_errNoParent, kUnset, {}},
        {"fresh: first child", node(cstd_tree_getFirstChild, f), cstd_tree_errNoChild, kUnset, {size(f)}},
        {"fresh: depth", depth(f), 0, 0, {}},
        {"P: count", numChildren(p), 0, 3, {size(p)}},
        {"P: first child", node(cstd_tree_getFirstChild, p), 0, w(a), {size(p), begin(p)}},
        {"P: first child, read-only", node(cstd_tree_getFirstChildConst, readOnlyP), 0, w(a), {size(p), beginRO(p)}},
        {"B: parent", node(cstd_tree_getParent, b), 0, w(p), {}},
        {"B: has previous", ask<uint32_t>(cstd_tree_hasPrevSibling, b), 0, 1, {}},
        {"B: previous", node(cstd_tree_getPrevSibling, b), 0, w(a), {beginRO(p)}},
        {"B: has next", hasNext(b), 0, 1, {size(p)}},
        {"B: next", node(cstd_tree_getNextSibling, b), 0, w(c), {size(p), beginRO(p)}},
        {"B: depth", depth(b), 0, 1, {}},
        {"C: next", node(cstd_tree_getNextSibling, c), cstd_tree_errNoNextSibling, kUnset, {size(p)}},
        {"only child: has next", hasNext(b1), 0, 0, {size(b)}},
        {"only child: previous", node(cstd_tree_getPrevSibling, b1), cstd_tree_errNoPrevSibling, kUnset, {}},
        {"only child: next", node(cstd_tree_getNextSibling, b1), cstd_tree_errNoNextSibling, kUnset, {size(b)}},
        {"grandchild: depth", depth(b1), 0, 2, {}},
        // A failed list call is returned as it came; a positive one is success.
        {"count fails", numChildren(p), -11, kUnset, {size(p)}, fails(Fn::cstd_vector__getSize32, -11)},
        {"first child: begin fails", node(cstd_tree_getFirstChild, p), -13, kUnset, {size(p), begin(p)},
         fails(Fn::cstd_vector__getBeginEnd, -13)},
        {"previous: begin fails", node(cstd_tree_getPrevSibling, b), -14, kUnset, {beginRO(p)},
         fails(Fn::cstd_vector__getBeginEndConst, -14)},
        {"next: begin fails", node(cstd_tree_getNextSibling, b), -15, kUnset, {size(p), beginRO(p)},
         fails(Fn::cstd_vector__getBeginEndConst, -15)},
        {"has next: count fails", hasNext(b), -16, kUnset, {size(p)}, fails(Fn::cstd_vector__getSize32, -16)},
        {"has next on a root counts nothing", hasNext(f), 0, 0, {}, fails(Fn::cstd_vector__getSize32, -17)},
        {"next: positive begin", node(cstd_tree_getNextSibling, b), 0x22, w(c), {size(p), beginRO(p)},
         fails(Fn::cstd_vector__getBeginEndConst, 0x22)},
    });
}

TEST_F(Navigate, ARemovedNodeAnswersLikeARootAndItsSiblingsCloseUp)
{
    ASSERT_EQ(cstd_tree_removeChild(p, b), 0);
    run({
        {"C: after A", node(cstd_tree_getPrevSibling, c), 0, w(a), {beginRO(p)}},
        {"B: parent", node(cstd_tree_getParent, b), cstd_tree_errNoParent, kUnset, {}},
        {"B: has next", hasNext(b), 0, 0, {}},
        {"B: keeps its child", node(cstd_tree_getFirstChild, b), 0, w(b1), {size(b), begin(b)}},
        {"B: depth", depth(b), 0, 0, {}},
        {"B1: depth from B", depth(b1), 0, 1, {}},
    });
}

TEST_F(Navigate, APositionOutsideTheParentsListFindsNoNextSiblingAndReadsNothing)
{
    // A failed count leaves F linked to P at -1; C is moved past the end.
    probe::inject({Fn::cstd_vector__getSize32, 1, -19});
    ASSERT_EQ(cstd_tree_addChild(p, f), -19);
    c->indexInParent = 7;
    run({
        {"past the end", node(cstd_tree_getNextSibling, c), cstd_tree_errNoNextSibling, kUnset, {size(p)}},
        {"before the start", node(cstd_tree_getNextSibling, f), cstd_tree_errNoNextSibling, kUnset, {size(p)}},
    });
    c->indexInParent = 2;
    ASSERT_EQ(cstd_tree_removeChild(p, f), 0);
}

} // namespace
