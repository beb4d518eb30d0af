// The depth-first step and its test on R(A(A1, A2(A2a)), B, C(C1)): what each
// gives from every node and with which list calls, failures passed through,
// other search types, and parent links that come round in a cycle.
#include <map>
#include <sstream>
#include <string>

#include "expect.hpp"

namespace {

using probe::Fn;
using probe::kAny;
using probe::step;

cstd_tree *const kUnset = reinterpret_cast<cstd_tree *>(std::uintptr_t{0x5A5A});
constexpr int32_t kDepthFirst = cstd_tree_searchDepthFirst;

class Search : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::pair<const char *, const char *> shape[] = {
            {"R", nullptr}, {"A", "R"}, {"A1", "A"}, {"A2", "A"}, {"A2a", "A2"}, {"B", "R"}, {"C", "R"}, {"C1", "C"}};
        for (const auto &[name, parent] : shape) {
            ASSERT_EQ(cstd_tree_new(&nodes[name]), 0);
            ASSERT_EQ(parent ? cstd_tree_addChild(nodes[parent], nodes[name]) : 0, 0);
        }
        probe::reset();
    }
    void TearDown() override
    {
        probe::reset();
        for (auto &[name, n] : nodes) {
            EXPECT_EQ(cstd_tree_deleteThisButNotDescendants(&n), 0);
        }
        EXPECT_TRUE(probe::nothingLive());
    }
    // "#X" counts X's children; "[X" and "]X" ask their begin, read-write or
    // read-only.
    std::vector<probe::Step> calls(const std::string &script)
    {
        std::vector<probe::Step> steps;
        std::istringstream in(script);
        for (std::string call; in >> call;) {
            cstd_vector *list = &nodes.at(call.substr(1))->children;
            steps.push_back(call[0] == '#'   ? step(Fn::cstd_vector__getSize32, list, kAny)
                            : call[0] == '[' ? step(Fn::cstd_vector__getBeginEnd, list, kAny, nullptr)
                                             : step(Fn::cstd_vector__getBeginEndConst, list, kAny, nullptr));
        }
        return steps;
    }
    std::map<std::string, cstd_tree *> nodes;
};

struct StepRow {
    const char *start;
    const char *next; // empty: the search ends
    const char *stepCalls, *testCalls;
};
void PrintTo(const StepRow &r, std::ostream *out) { *out << r.start; }

class SearchStep : public Search, public ::testing::WithParamInterface<StepRow> {};

TEST_P(SearchStep, DeliversThePreorderSuccessorAndTheTestAgrees)
{
    const StepRow &r = GetParam();
    const bool ends = *r.next == 0;
    for (const bool readOnly : {false, true}) {
        probe::reset();
        cstd_tree *next = kUnset;
        const cstd_tree **out = const_cast<const cstd_tree **>(&next);
        EXPECT_EQ(readOnly ? cstd_tree_getNextSearchElementConst(nodes[r.start], kDepthFirst, out)
                           : cstd_tree_getNextSearchElement(nodes[r.start], kDepthFirst, &next),
                  ends ? cstd_tree_errSearchEnd : 0);
        EXPECT_EQ(next, ends ? kUnset : nodes[r.next]);
        EXPECT_TRUE(probe::callsAre(calls(r.stepCalls)));
    }
    probe::reset();
    uint32_t more = 7;
    EXPECT_EQ(cstd_tree_hasNextSearchElement(nodes[r.start], kDepthFirst, &more), 0);
    EXPECT_EQ(more, ends ? 0u : 1u);
    EXPECT_TRUE(probe::callsAre(calls(r.testCalls)));
}

INSTANTIATE_TEST_SUITE_P(
    Tree, SearchStep,
    ::testing::Values(StepRow{"R", "A", "#R #R [R", "#R"}, StepRow{"A", "A1", "#A #A [A", "#A"},
                      StepRow{"A1", "A2", "#A1 #A #A ]A", "#A1 #A"}, StepRow{"A2", "A2a", "#A2 #A2 [A2", "#A2"},
                      StepRow{"A2a", "B", "#A2a #A2 #A #R #R ]R", "#A2a #A2 #A #R"},
                      StepRow{"B", "C", "#B #R #R ]R", "#B #R"}, StepRow{"C", "C1", "#C #C [C", "#C"},
                      StepRow{"C1", "", "#C1 #C #R", "#C1 #C #R"}),
    [](const auto &info) { return std::string(info.param.start); });

TEST_F(Search, ARemovedNodesWalkEndsWithItsOwnSubtree)
{
    ASSERT_EQ(cstd_tree_removeChild(nodes["R"], nodes["A"]), 0);
    cstd_tree *next = kUnset;
    EXPECT_EQ(cstd_tree_getNextSearchElement(nodes["A2a"], kDepthFirst, &next), cstd_tree_errSearchEnd);
    EXPECT_EQ(next, kUnset);
    EXPECT_EQ(cstd_tree_getNextSearchElement(nodes["R"], kDepthFirst, &next), 0);
    EXPECT_EQ(next, nodes["B"]);
}

TEST_F(Search, OtherSearchTypesDeliverNothingAndAskNothing)
{
    for (const auto &[type, start] : {std::pair{0, "R"}, {2, "R"}, {0, "C1"}, {2, "C1"}}) {
        cstd_tree *next = kUnset;
        uint32_t more = 7;
        EXPECT_EQ(cstd_tree_getNextSearchElement(nodes[start], type, &next), 0);
        EXPECT_EQ(cstd_tree_hasNextSearchElement(nodes[start], type, &more), 0);
        EXPECT_EQ(next, kUnset);
        EXPECT_EQ(more, 0u);
    }
    EXPECT_TRUE(probe::callsAre({}));
}

TEST_F(Search, AFailedListCallEndsTheStepOrTheTestWithItsStatus)
{
    const struct {
        const char *start;
        Fn fn;
        unsigned occurrence;
        bool test; // the test, else the step
    } cases[] = {
        {"R", Fn::cstd_vector__getSize32, 1, false},       {"R", Fn::cstd_vector__getBeginEnd, 1, false},
        {"A1", Fn::cstd_vector__getSize32, 2, false},      {"A1", Fn::cstd_vector__getBeginEndConst, 1, false},
        {"A2a", Fn::cstd_vector__getSize32, 3, false},     {"R", Fn::cstd_vector__getSize32, 1, true},
        {"A2a", Fn::cstd_vector__getSize32, 4, true},
    };
    cstd_status failure = CSTD_STATUS_FAILURE(0x4000);
    for (const auto &k : cases) {
        SCOPED_TRACE(std::string(k.test ? "test from " : "step from ") + k.start + ", " + probe::name(k.fn));
        probe::reset();
        probe::inject({k.fn, k.occurrence, ++failure});
        cstd_tree *next = kUnset;
        uint32_t more = 7;
        EXPECT_EQ(k.test ? cstd_tree_hasNextSearchElement(nodes[k.start], kDepthFirst, &more)
                         : cstd_tree_getNextSearchElement(nodes[k.start], kDepthFirst, &next),
                  failure);
        EXPECT_EQ(next, kUnset);
        EXPECT_EQ(more, k.test ? 0u : 7u);
        EXPECT_EQ(probe::calls().empty() ? Fn::any : probe::calls().back().fn, k.fn); // nothing after it
    }
}

// A chain n0 ... n(L-1) with a leaf X below its last node, whose parent links
// are closed into a loop by attaching n0 below n(L-1).
class SearchCycle : public ::testing::TestWithParam<int> {};

TEST_P(SearchCycle, ClimbsStopWithTheCycleStatus)
{
    std::vector<cstd_tree *> chain(GetParam() + 1, nullptr);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        ASSERT_EQ(cstd_tree_new(&chain[i]), 0);
        ASSERT_EQ(i == 0 ? 0 : cstd_tree_addChild(chain[i - 1], chain[i]), 0);
    }
    cstd_tree *x = chain.back(), *first = chain.front(), *last = chain[chain.size() - 2];
    int32_t depth = 0;
    cstd_tree *next = kUnset;
    uint32_t more = 7;

    // Listed, n0 still gives the walk a way out: it is X's next sibling.
    ASSERT_EQ(cstd_tree_addChild(last, first), 0);
    EXPECT_EQ(cstd_tree_getDepthFromRoot(x, &depth), cstd_tree_errParentCycle);
    EXPECT_EQ(depth, -1);
    EXPECT_EQ(cstd_tree_getNextSearchElement(x, kDepthFirst, &next), 0);
    EXPECT_EQ(next, first);
    ASSERT_EQ(cstd_tree_removeChild(last, first), 0);

    // A failed append links n0 to n(L-1) without listing it: no way out.
    probe::reset();
    probe::inject({Fn::cstd_vector__pushBack, 1, CSTD_STATUS_FAILURE(0x4100)});
    ASSERT_LT(cstd_tree_addChild(last, first), 0);
    next = kUnset;
    depth = 0;
    EXPECT_EQ(cstd_tree_getNextSearchElement(x, kDepthFirst, &next), cstd_tree_errParentCycle);
    EXPECT_EQ(next, kUnset);
    EXPECT_EQ(cstd_tree_hasNextSearchElement(x, kDepthFirst, &more), cstd_tree_errParentCycle);
    EXPECT_EQ(more, 0u);
    EXPECT_EQ(cstd_tree_getDepthFromRoot(x, &depth), cstd_tree_errParentCycle);
    EXPECT_EQ(depth, -1);

    ASSERT_EQ(cstd_tree_removeChild(last, first), 0);
    EXPECT_EQ(cstd_tree_deleteThisAndAllDescendants(&first), 0);
    EXPECT_TRUE(probe::nothingLive());
}

INSTANTIATE_TEST_SUITE_P(Tree, SearchCycle, ::testing::Values(1, 2, 3, 1000),
                         [](const auto &info) { return "Length" + std::to_string(info.param); });

} // namespace
