// The depth-first step and its test on R(A(A1, A2(A2a)), B, C(C1)): what each
// gives from every node and with which list calls, failures passed through,
// and other search types.
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
        const std::pair<const char *, const char *> shape[] = {{"R", nullptr}, {"A", "R"}, {"A1", "A"}, {"A2", "A"},
                                                               {"A2a", "A2"},  {"B", "R"}, {"C", "R"},  {"C1", "C"}};
        for (const auto &[name, parent] : shape) {
            ASSERT_EQ(cstd_tree_new(&nodes[name]), 0);
            ASSERT_EQ(parent ? cstd_tree_addChild(nodes[parent], nodes[name]) : 0, 0);
        }
        probe::reset();
    }
    void TearDown() override
    {
        probe::reset();
        for (const char *name : {"R", "A", "A1", "A2", "A2a", "B", "C", "C1"}) { // parents first
            EXPECT_EQ(cstd_tree_deleteThisButNotDescendants(&nodes[name]), 0);
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

// Each search runs as it is, then once with each of its calls failing in
// turn: that call's status comes back, nothing is written and nothing called
// after it.
TEST_P(SearchStep, DeliversThePreorderSuccessorAndTheTestAgrees)
{
    const StepRow &r = GetParam();
    const bool ends = *r.next == 0;
    cstd_tree *const start = nodes[r.start];
    constexpr cstd_status kFailed = CSTD_STATUS_FAILURE(0x4001);
    const auto everyFailure = [&](const char *script, auto search) {
        const std::vector<probe::Step> all = calls(script);
        for (unsigned failing = 0; failing <= all.size(); ++failing) {
            SCOPED_TRACE(std::string(script) + ", failing call " + std::to_string(failing));
            probe::reset();
            probe::inject({Fn::any, failing, kFailed}); // occurrence 0: none
            search(failing != 0);
            EXPECT_TRUE(probe::callsAre({all.begin(), all.begin() + (failing ? failing : all.size())}));
        }
    };
    for (const bool readOnly : {false, true}) {
        everyFailure(r.stepCalls, [&](bool failed) {
            cstd_tree *next = kUnset;
            EXPECT_EQ(readOnly ? cstd_tree_getNextSearchElementConst(start, kDepthFirst,
                                                                     const_cast<const cstd_tree **>(&next))
                               : cstd_tree_getNextSearchElement(start, kDepthFirst, &next),
                      failed ? kFailed
                      : ends ? cstd_tree_errSearchEnd
                             : 0);
            EXPECT_EQ(next, failed || ends ? kUnset : nodes[r.next]);
        });
    }
    everyFailure(r.testCalls, [&](bool failed) {
        uint32_t more = 7;
        EXPECT_EQ(cstd_tree_hasNextSearchElement(start, kDepthFirst, &more), failed ? kFailed : 0);
        EXPECT_EQ(more, failed || ends ? 0u : 1u);
    });
}

INSTANTIATE_TEST_SUITE_P(Tree, SearchStep,
                         ::testing::Values(StepRow{"R", "A", "#R #R [R", "#R"}, StepRow{"A", "A1", "#A #A [A", "#A"},
                                           StepRow{"A1", "A2", "#A1 #A #A ]A", "#A1 #A"},
                                           StepRow{"A2", "A2a", "#A2 #A2 [A2", "#A2"},
                                           StepRow{"A2a", "B", "#A2a #A2 #A #R #R ]R", "#A2a #A2 #A #R"},
                                           StepRow{"B", "C", "#B #R #R ]R", "#B #R"},
                                           StepRow{"C", "C1", "#C #C [C", "#C"},
                                           StepRow{"C1", "", "#C1 #C #R", "#C1 #C #R"}),
                         [](const auto &info) { return std::string(info.param.start); });

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

} // namespace
