// Navigation queries: what each delivers, the list calls it makes, and that a
// refused or failed query leaves the caller's variable as it was.
#include <functional>
#include <string>

#include "expect.hpp"

namespace {

using probe::Fn;
using probe::kAny;
using probe::step;

constexpr std::uintptr_t kUnset = 0x5A5A; // what an out-parameter held before the query
constexpr cstd_status kFailed = CSTD_STATUS_FAILURE(0x3101);
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
// The previous sibling's read is bounded by the list's end.
probe::Step beginEndRO(cstd_tree *n) { return step(Fn::cstd_vector__getBeginEndConst, &n->children, kAny, kAny); }

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
        for (cstd_tree **n : {&p, &a, &b, &c, &b1, &f}) { // parents first: a child's link is read
            EXPECT_EQ(cstd_tree_deleteThisButNotDescendants(n), 0);
        }
        EXPECT_TRUE(probe::nothingLive());
    }
    // Each query runs as it is (with the row's fault, if any), then once with
    // each of its calls failing in turn: that call's status comes back, the
    // variable untouched, and nothing is called after it.
    static void run(const std::vector<Row> &rows)
    {
        for (const Row &r : rows) {
            for (unsigned failing = 0; failing <= r.calls.size(); ++failing) {
                SCOPED_TRACE(std::string(r.name) + ", failing call " + std::to_string(failing));
                probe::reset();
                probe::inject(failing ? probe::Fault{Fn::any, failing, kFailed} : r.fault);
                const auto [status, value] = r.query();
                EXPECT_EQ(status, failing ? kFailed : r.status);
                EXPECT_EQ(value, failing ? kUnset : r.value);
                const auto made = r.calls.begin() + (failing ? failing : r.calls.size());
                EXPECT_TRUE(probe::callsAre({r.calls.begin(), made}));
            }
        }
    }
    static uint64_t w(const cstd_tree *n) { return probe::word(n); }
    cstd_tree *p = nullptr, *a = nullptr, *b = nullptr, *c = nullptr, *b1 = nullptr, *f = nullptr;
};

TEST_F(Navigate, EachQueryAnswersWithItsOwnCalls)
{
    const cstd_tree *readOnlyP = p;
    run({
        {"root: has next, asking nothing", hasNext(f), 0, 0, {}},
        {"root: parent", node(cstd_tree_getParent, f), cstd_tree_errNoParent, kUnset, {}},
        {"root: previous", node(cstd_tree_getPrevSibling, f), cstd_tree_errNoParent, kUnset, {}},
        {"root: next", node(cstd_tree_getNextSibling, f), cstd_tree_errNoParent, kUnset, {}},
        {"root: depth", depth(f), 0, 0, {}},
        {"leaf: first child", node(cstd_tree_getFirstChild, f), cstd_tree_errNoChild, kUnset, {size(f)}},
        {"P: count", numChildren(p), 0, 3, {size(p)}},
        {"P: first child", node(cstd_tree_getFirstChild, p), 0, w(a), {size(p), begin(p)}},
        {"P: first child, read-only", node(cstd_tree_getFirstChildConst, readOnlyP), 0, w(a), {size(p), beginRO(p)}},
        {"A: has previous", ask<uint32_t>(cstd_tree_hasPrevSibling, a), 0, 0, {}},
        {"B: has previous", ask<uint32_t>(cstd_tree_hasPrevSibling, b), 0, 1, {}},
        {"B: parent", node(cstd_tree_getParent, b), 0, w(p), {}},
        {"B: previous", node(cstd_tree_getPrevSibling, b), 0, w(a), {beginEndRO(p)}},
        {"B: has next", hasNext(b), 0, 1, {size(p)}},
        {"B: next", node(cstd_tree_getNextSibling, b), 0, w(c), {size(p), beginRO(p)}},
        {"C: next", node(cstd_tree_getNextSibling, c), cstd_tree_errNoNextSibling, kUnset, {size(p)}},
        {"only child: has next", hasNext(b1), 0, 0, {size(b)}},
        {"only child: previous", node(cstd_tree_getPrevSibling, b1), cstd_tree_errNoPrevSibling, kUnset, {}},
        {"grandchild: depth", depth(b1), 0, 2, {}},
        // A positive status is a success, and the one returned.
        {"next: positive begin",
         node(cstd_tree_getNextSibling, b),
         0x22,
         w(c),
         {size(p), beginRO(p)},
         {Fn::cstd_vector__getBeginEndConst, 1, 0x22}},
    });
}

TEST_F(Navigate, APositionOutsideTheParentsListFindsNoSiblingAndReadsNothing)
{
    // A failed count leaves F linked to P at -1; C is moved past the end.
    probe::inject({Fn::cstd_vector__getSize32, 1, kFailed});
    ASSERT_EQ(cstd_tree_addChild(p, f), kFailed);
    c->indexInParent = 7;
    run({
        {"past the end", node(cstd_tree_getNextSibling, c), cstd_tree_errNoNextSibling, kUnset, {size(p)}},
        {"before the start", node(cstd_tree_getNextSibling, f), cstd_tree_errNoNextSibling, kUnset, {size(p)}},
        {"previous, past the end", node(cstd_tree_getPrevSibling, c), cstd_tree_errNoPrevSibling, kUnset, {beginEndRO(p)}},
        {"previous, before the start", node(cstd_tree_getPrevSibling, f), cstd_tree_errNoPrevSibling, kUnset, {}},
    });
    c->indexInParent = 2;
    ASSERT_EQ(cstd_tree_removeChild(p, f), 0);
}

} // namespace
