// Subtree deletion: the calls it costs, the order payloads die in, and what
// becomes of the nodes that outlive the node they hung from.
#include <algorithm>
#include <map>
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
        EXPECT_EQ(parent.empty() ? 0 : cstd_tree_addChild(nodes[parent], node), 0);
        return node;
    }
    static std::string nameOf(const void *data) { return static_cast<const char *>(data); }
    static std::string payloadOf(const probe::Call &call)
    {
        return nameOf(reinterpret_cast<const void *>(static_cast<std::uintptr_t>(call.args[0])));
    }

    // The payloads destroyed, in order, read off the log. A node whose
    // payload died is gone.
    std::string settle()
    {
        std::string order;
        for (const probe::Call &call : probe::calls()) {
            if (call.fn == Fn::slot_destruct) {
                const std::string name = payloadOf(call);
                order += (order.empty() ? "" : " ") + name;
                nodes[name] = nullptr;
            }
        }
        probe::reset();
        return order;
    }

    // Where each node stands: "gone", "root", or "P@i" only if P's
    // list holds it at position i (else "stale"); a node whose list is not
    // empty adds its length, so no list keeps an entry left over.
    std::string where()
    {
        std::string out;
        for (const auto &[name, node] : nodes) {
            std::string at = node == nullptr ? "gone" : "root";
            if (node != nullptr && (node->parent != nullptr || node->indexInParent != -1)) {
                const auto siblings = listed(node->parent);
                const auto i = static_cast<std::size_t>(node->indexInParent);
                at = i < siblings.size() && siblings[i] == node ? nameOf(node->parent->data) + '@' + std::to_string(i)
                                                                : "stale";
            }
            if (const auto size = listed(node).size(); size != 0) {
                at += '[' + std::to_string(size) + ']';
            }
            out += (out.empty() ? "" : " ") + name + ':' + at;
        }
        return out;
    }
    // The list of a node still held; nothing for any other pointer.
    std::vector<cstd_tree *> listed(cstd_tree *node) const
    {
        const auto whole = [&](const auto &entry) { return entry.second == node; };
        if (node == nullptr || std::none_of(nodes.begin(), nodes.end(), whole)) {
            return {};
        }
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
            if (node != nullptr && node->parent == nullptr) {
                roots.push_back(node);
            }
        }
        for (cstd_tree *root : roots) {
            EXPECT_GE(cstd_tree_deleteThisAndAllDescendants(&root), 0);
        }
        nodes.clear();
    }

    cstd_vtable table = probe::table({false, false, false, true, -1});
    std::map<std::string, cstd_tree *> nodes;
};

TEST_F(Deletion, NoneAndAnOnlyChildCostExactlyTheirCalls)
{
    for (auto deletion : {cstd_tree_deleteThisAndAllDescendants, cstd_tree_deleteThisButNotDescendants}) {
        cstd_tree *none = nullptr;
        EXPECT_EQ(deletion(&none), 0);
        EXPECT_TRUE(probe::callsAre({}));
    }
    // The walk counts p, takes its first child (count, begin) and removes it
    // (count, find, erase, renumber) with no next-sibling query, then finds c
    // childless. Each childless node has its list emptied, then goes to
    // `cstd_tree_delete`, whose own descendant step counts once more.
    cstd_tree *p = add("p"), *c = add("c", "p");
    const auto count = [](cstd_tree *n) { return step(Fn::cstd_vector__getSize32, &n->children, kAny); };
    const auto begin = [](cstd_tree *n) { return step(Fn::cstd_vector__getBeginEnd, &n->children, kAny, nullptr); };
    std::vector<probe::Step> expected{count(p),
                                      count(p),
                                      begin(p),
                                      count(p),
                                      begin(p),
                                      step(Fn::cstd_vector__eraseElement, &p->children, kAny),
                                      step(Fn::cstd_vector__getBeginSize32, &p->children, kAny, kAny),
                                      count(c)};
    for (const auto &[node, pointer] : {std::pair{c, kAny}, {p, probe::word(&nodes["p"])}}) {
        expected.insert(expected.end(),
                        {step(Fn::cstd_vector__clear, &node->children), count(node),
                         step(Fn::cstd_vector__destruct, &node->children), step(Fn::slot_destruct, node->data),
                         step(Fn::csys_memory_free_internal, pointer)});
    }
    probe::reset();
    ASSERT_EQ(cstd_tree_deleteThisAndAllDescendants(&nodes["p"]), 0);
    EXPECT_TRUE(probe::callsAre(expected));
    EXPECT_EQ(settle(), "c p");
    EXPECT_EQ(where(), "c:gone p:gone");
}

TEST_F(Deletion, DeletingANodeAloneMakesRootsOfTheChildrenThatNameIt)
{
    // b lists its own child z and also x, which names a (as a copy's list would).
    add("a"), add("x", "a"), add("b"), add("z", "b"), add("z1", "z");
    cstd_tree *b = nodes["b"], *x = nodes["x"];
    ASSERT_EQ(cstd_vector__pushBack(&b->children, &x), 0);
    const std::vector<probe::Step> expected{step(Fn::cstd_vector__getBeginSize32, &b->children, kAny, kAny),
                                            step(Fn::cstd_vector__clear, &b->children),
                                            step(Fn::cstd_vector__getSize32, &b->children, kAny),
                                            step(Fn::cstd_vector__destruct, &b->children),
                                            step(Fn::slot_destruct, b->data),
                                            step(Fn::csys_memory_free_internal, &nodes["b"])};
    probe::reset();
    ASSERT_EQ(cstd_tree_deleteThisButNotDescendants(&nodes["b"]), 0);
    EXPECT_TRUE(probe::callsAre(expected));
    EXPECT_EQ(settle(), "b");
    EXPECT_EQ(where(), "a:root[1] b:gone x:a@0 z:root[1] z1:z@0");
}

// Deleting a node still attached: its subtree dies first, then it leaves its
// parent's list, which closes up, and only then does its own payload die.
// A copy keeps its source's parent link without being listed, and outlives
// that parent: destroying it touches nothing but its own list and payload.
TEST_F(Deletion, ACopyOutlivesItsSourcesParent)
{
    add("P"), add("a", "P");
    cstd_tree copy;
    ASSERT_EQ(cstd_tree_constructCopy(&copy, nodes["a"]), 0);
    ASSERT_EQ(cstd_tree_deleteThisAndAllDescendants(&nodes["P"]), 0);
    nodes["a"] = nullptr;
    probe::reset();
    const void *payload = copy.data;
    EXPECT_EQ(cstd_tree_destruct(&copy), 0);
    EXPECT_TRUE(probe::callsAre({step(Fn::cstd_vector__getSize32, &copy.children, kAny),
                                 step(Fn::cstd_vector__destruct, &copy.children), step(Fn::slot_destruct, payload)}));
    EXPECT_EQ(copy.parent, nullptr);
    EXPECT_EQ(copy.indexInParent, -1);
}

// A node assigned over names its source's parent while its former parent P
// still lists it: the deletion is refused there, P is left a root, and the
// other tree is not touched.
TEST_F(Deletion, StopsAtAListedNodeThatNamesAnotherParent)
{
    add("R"), add("P", "R"), add("a", "P"), add("a1", "a"), add("D", "P"), add("Q"), add("s", "Q");
    ASSERT_EQ(cstd_tree_assign(nodes["D"], nodes["s"]), 0);
    probe::reset();
    EXPECT_EQ(cstd_tree_deleteThisAndAllDescendants(&nodes["R"]), cstd_tree_errWrongParent);
    EXPECT_EQ(settle(), "a1 a");
    EXPECT_EQ(where(), "D:stale P:root[1] Q:root[1] R:root a:gone a1:gone s:Q@0");
    EXPECT_EQ(cstd_tree_deleteThisButNotDescendants(&nodes["P"]), 0);
    EXPECT_EQ(cstd_tree_removeChild(nodes["Q"], nodes["D"]), 0);
}

} // namespace
