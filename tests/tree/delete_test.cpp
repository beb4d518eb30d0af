// Subtree deletion: the calls each shape costs, the order payloads die in,
// what every failure leaves behind, and what becomes of the nodes that
// outlive the node they hung from.
#include <functional>
#include <map>
#include <set>
#include <string>

#include "expect.hpp"

namespace {

using probe::Fn;
using probe::kAny;
using probe::step;

// Heap nodes named by strings. Each payload is a value naming its node, so
// the log's destruct entries spell out the order of destruction.
class Deletion : public ::testing::Test {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override
    {
        releaseWhatIsLeft();
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
    static std::string nameOf(const void *data) { return static_cast<const char *>(data); }
    static std::string payloadOf(const probe::Call &call)
    {
        return nameOf(reinterpret_cast<const void *>(static_cast<std::uintptr_t>(call.args[0])));
    }

    // The payloads destroyed, in order, read off the log (`!`: refused). A
    // node whose payload died is gone; one whose `destruct` slot refused is a
    // shell, a record with nothing else left to release.
    std::string settle()
    {
        std::string order;
        for (const probe::Call &call : probe::calls()) {
            if (call.fn == Fn::slot_destruct) {
                const std::string name = payloadOf(call);
                order += (order.empty() ? "" : " ") + name + (call.status < 0 ? "!" : "");
                if (call.status < 0) {
                    shells.insert(name);
                } else {
                    nodes[name] = nullptr;
                }
            }
        }
        probe::reset();
        return order;
    }

    // Where each node stands: "gone", "shell", "root" or "P@i", the last only
    // if P's list holds it at position i (else "stale"); a node with children
    // adds how many its list holds, so no list keeps an entry left over.
    std::string where()
    {
        std::string out;
        for (const auto &[name, node] : nodes) {
            std::string at = node == nullptr ? "gone" : shells.count(name) ? "shell" : "root";
            if (node != nullptr && (node->parent != nullptr || node->indexInParent != -1)) {
                const auto siblings = held(node->parent) ? listed(node->parent)
                                                         : std::vector<cstd_tree *>{};
                const auto i = static_cast<std::size_t>(node->indexInParent);
                at = i < siblings.size() && siblings[i] == node
                         ? nameOf(node->parent->data) + '@' + std::to_string(i)
                         : "stale";
            }
            if (held(node) && !listed(node).empty()) {
                at += '[' + std::to_string(listed(node).size()) + ']';
            }
            out += (out.empty() ? "" : " ") + name + ':' + at;
        }
        return out;
    }
    bool held(const cstd_tree *node) const
    {
        for (const auto &[name, candidate] : nodes) {
            if (candidate == node && node != nullptr) {
                return shells.count(name) == 0;
            }
        }
        return false;
    }
    static std::vector<cstd_tree *> listed(cstd_tree *node)
    {
        void *begin = nullptr;
        uint32_t count = 0;
        EXPECT_EQ(cstd_vector__getBeginSize32(&node->children, &begin, &count), 0);
        return {static_cast<cstd_tree **>(begin), static_cast<cstd_tree **>(begin) + count};
    }

    // Roots are found first, before any deletion frees what hangs below them.
    void releaseWhatIsLeft()
    {
        probe::reset();
        std::vector<cstd_tree *> roots;
        for (auto &[name, node] : nodes) {
            if (node != nullptr && shells.count(name)) {
                EXPECT_EQ(csys_memory_free_internal(reinterpret_cast<void **>(&node)), 0);
            } else if (node != nullptr && node->parent == nullptr) {
                roots.push_back(node);
            }
        }
        for (cstd_tree *root : roots) {
            EXPECT_GE(cstd_tree_deleteThisAndAllDescendants(&root), 0);
        }
        nodes.clear();
        shells.clear();
    }

    cstd_vtable table = probe::table({false, false, false, true, -1});
    std::map<std::string, cstd_tree *> nodes;
    std::set<std::string> shells;
};

// How the walk deletes a node once it is childless: the list emptied, then
// `cstd_tree_delete`, whose own descendant step counts once more.
void deletedChildless(std::vector<probe::Step> &steps, cstd_tree *node, std::uint64_t pointer)
{
    steps.insert(steps.end(), {step(Fn::cstd_vector__clear, &node->children),
                               step(Fn::cstd_vector__getSize32, &node->children, kAny),
                               step(Fn::cstd_vector__destruct, &node->children),
                               step(Fn::slot_destruct, node->data),
                               step(Fn::csys_memory_free_internal, pointer)});
}

TEST_F(Deletion, NoneChildlessAndOnlyChildCostExactlyTheirCalls)
{
    for (auto deletion :
         {cstd_tree_deleteThisAndAllDescendants, cstd_tree_deleteThisButNotDescendants}) {
        cstd_tree *none = nullptr;
        EXPECT_EQ(deletion(&none), 0);
        EXPECT_TRUE(probe::callsAre({}));
    }
    cstd_tree *n = add("n");
    std::vector<probe::Step> expected{step(Fn::cstd_vector__getSize32, &n->children, kAny)};
    deletedChildless(expected, n, probe::word(&nodes["n"]));
    probe::reset();
    ASSERT_EQ(cstd_tree_deleteThisAndAllDescendants(&nodes["n"]), 0);
    EXPECT_TRUE(probe::callsAre(expected));

    // An only child: taken first, removed with no next-sibling query.
    cstd_tree *p = add("p"), *c = add("c", "p");
    cstd_vector *const list = &p->children;
    expected = {step(Fn::cstd_vector__getSize32, list, kAny),
                step(Fn::cstd_vector__getSize32, list, kAny),
                step(Fn::cstd_vector__getBeginEnd, list, kAny, nullptr),
                step(Fn::cstd_vector__getSize32, list, kAny),
                step(Fn::cstd_vector__getBeginEnd, list, kAny, nullptr),
                step(Fn::cstd_vector__eraseElement, list, kAny),
                step(Fn::cstd_vector__getBeginSize32, list, kAny, kAny),
                step(Fn::cstd_vector__getSize32, &c->children, kAny)};
    deletedChildless(expected, c, kAny);
    deletedChildless(expected, p, probe::word(&nodes["p"]));
    probe::reset();
    ASSERT_EQ(cstd_tree_deleteThisAndAllDescendants(&nodes["p"]), 0);
    EXPECT_TRUE(probe::callsAre(expected));
    EXPECT_EQ(settle(), "c p");
    EXPECT_EQ(where(), "c:gone n:gone p:gone");
}

TEST_F(Deletion, DeletingANodeAloneMakesRootsOfTheChildrenThatNameIt)
{
    // b lists its own child z and also x, which names a (as a copy's list would).
    add("a"), add("x", "a"), add("b"), add("z", "b"), add("z1", "z");
    cstd_tree *b = nodes["b"], *x = nodes["x"];
    ASSERT_EQ(cstd_vector__pushBack(&b->children, &x), 0);
    const std::vector<probe::Step> expected{
        step(Fn::cstd_vector__getBeginSize32, &b->children, kAny, kAny),
        step(Fn::cstd_vector__clear, &b->children),
        step(Fn::cstd_vector__getSize32, &b->children, kAny),
        step(Fn::cstd_vector__destruct, &b->children), step(Fn::slot_destruct, b->data),
        step(Fn::csys_memory_free_internal, &nodes["b"])};
    probe::reset();
    ASSERT_EQ(cstd_tree_deleteThisButNotDescendants(&nodes["b"]), 0);
    EXPECT_TRUE(probe::callsAre(expected));
    EXPECT_EQ(settle(), "b");
    EXPECT_EQ(where(), "a:root[1] b:gone x:a@0 z:root[1] z1:z@0");
}

// Destroying a node still attached: its subtree dies first, then it leaves
// its parent's list, which closes up, and only then does its own payload die.
TEST_F(Deletion, AnAttachedNodeLeavesItsParentAfterItsDescendants)
{
    using Way = cstd_status (*)(cstd_tree *&);
    const std::pair<const char *, Way> ways[] = {
        {"destruct", [](cstd_tree *&b) {
             const cstd_status status = cstd_tree_destruct(b);
             return csys_memory_free_internal(reinterpret_cast<void **>(&b)) < 0 ? -1 : status;
         }},
        {"delete", [](cstd_tree *&b) { return cstd_tree_delete(&b); }},
        {"new", [](cstd_tree *&b) {
             const cstd_status status = cstd_tree_new(&b); // b is then a fresh root
             return cstd_tree_delete(&b) < 0 ? -1 : status;
         }},
    };
    for (const auto &[way, destroy] : ways) {
        SCOPED_TRACE(way);
        add("P"), add("a", "P"), add("b", "P"), add("b1", "b"), add("c", "P");
        const std::uint64_t parentList = probe::word(&nodes["P"]->children);
        probe::reset();
        ASSERT_EQ(destroy(nodes["b"]), 0);
        std::vector<std::string> order;
        for (const probe::Call &call : probe::calls()) {
            if (call.fn == Fn::slot_destruct) {
                order.push_back(payloadOf(call));
            } else if (call.fn == Fn::cstd_vector__eraseElement && call.args[0] == parentList) {
                order.push_back("leaves P");
            }
        }
        EXPECT_EQ(order, (std::vector<std::string>{"b1", "leaves P", "b"}));
        nodes["b"] = nodes["b1"] = nullptr;
        EXPECT_EQ(where(), "P:root[2] a:P@0 b:gone b1:gone c:P@1");
        releaseWhatIsLeft();
    }
}

// ---- failures: R has children a, b, c, d, e; c has c1, which has c2 ---------

struct FailureCase {
    const char *name;
    probe::Fault fault;
    const char *destroyed; // payloads destroyed, in order
    const char *left;      // where every node stands afterwards
};
void PrintTo(const FailureCase &c, std::ostream *out) { *out << c.name; }

class DeletionFailure : public Deletion, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DeletionFailure, StopsAtOnceAndLeavesNoLinkStale)
{
    const FailureCase &c = GetParam();
    cstd_tree *r = add("R");
    for (const char *child : {"a", "b", "c", "d", "e"}) {
        add(child, "R");
    }
    add("c1", "c"), add("c2", "c1");
    probe::reset();
    probe::inject(c.fault);
    EXPECT_EQ(cstd_tree_deleteThisAndAllDescendants(&nodes["R"]), c.fault.status);
    EXPECT_EQ(nodes["R"], r);
    EXPECT_EQ(settle(), c.destroyed);
    EXPECT_EQ(where(), c.left);
}

// Occurrences: a, b and c are handled in turn, then c1 and c2 below c are
// detached, and payloads die in post-order, c2, c1, c: so the fifth removal is
// c2's, and the fifth clear and destruct are c's own. Each child but the last
// asks for its next sibling first.
const FailureCase kFailures[] = {
    {"NextSiblingQueryOfTheThird",
     {Fn::cstd_vector__getBeginEndConst, 3, CSTD_STATUS_FAILURE(0x3001)},
     "a b", "R:root[3] a:gone b:gone c:R@0[1] c1:c@0[1] c2:c1@0 d:R@1 e:R@2"},
    {"RemovalTwoLevelsDown", {Fn::cstd_vector__getBeginSize32, 5, CSTD_STATUS_FAILURE(0x3002)},
     "a b", "R:root[2] a:gone b:gone c:root c1:root c2:root d:R@0 e:R@1"},
    {"DestructBelowTheThirdOfFive", {Fn::slot_destruct, 3, CSTD_STATUS_FAILURE(0x3003)},
     "a b c2!", "R:root[2] a:gone b:gone c:root c1:root c2:shell d:R@0 e:R@1"},
    {"ClearOfTheThirdItself", {Fn::cstd_vector__clear, 5, CSTD_STATUS_FAILURE(0x3004)},
     "a b c2 c1", "R:root[2] a:gone b:gone c:root c1:gone c2:gone d:R@0 e:R@1"},
    {"DestructOfTheThirdItself", {Fn::slot_destruct, 5, CSTD_STATUS_FAILURE(0x3005)},
     "a b c2 c1 c!", "R:root[2] a:gone b:gone c:shell c1:gone c2:gone d:R@0 e:R@1"},
    {"DestructOfTheLast", {Fn::slot_destruct, 7, CSTD_STATUS_FAILURE(0x3006)},
     "a b c2 c1 c d e!", "R:root a:gone b:gone c:gone c1:gone c2:gone d:gone e:shell"},
};
INSTANTIATE_TEST_SUITE_P(Tree, DeletionFailure, ::testing::ValuesIn(kFailures),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Deletion, PositiveStatusesAreSuccessesAndTheLastIsReturned)
{
    constexpr cstd_status kPositive = 0x33;
    const std::function<cstd_status(cstd_tree **)> deletions[] = {
        cstd_tree_deleteThisAndAllDescendants, cstd_tree_delete,
        cstd_tree_deleteThisButNotDescendants};
    for (const auto &deletion : deletions) {
        add("R"), add("a", "R"), add("a1", "a"), add("b", "R");
        probe::reset();
        probe::inject({Fn::any, 1, kPositive, probe::Mode::fromThenOn});
        EXPECT_EQ(deletion(&nodes["R"]), kPositive);
        EXPECT_EQ(nodes["R"], nullptr);
        settle();
        releaseWhatIsLeft(); // a and b, when R alone was deleted
    }
}

} // namespace
