// The C++ layer against the library built on the recording system library:
// payload lifetimes counted exactly, placement, moves and every walk against
// a model on random trees, links that would loop refused, every failable
// call of the system library failed in turn, and the error codes.
#include <zodovar9/tree.hpp>

#include <gtest/gtest.h>

#include "probe.hpp"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <random>
#include <ranges>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using zodovar9::errc;
using zodovar9::node_ref;
using zodovar9::tree;
using zodovar9::values;

// What does not make sense does not compile.
template <class Ref, class... Args>
concept can_emplace = requires(Ref r, Args... args)
{
    r.emplace_child(args...);
};
static_assert(can_emplace<node_ref<std::string>, int, char> && !can_emplace<node_ref<std::string>, std::vector<int>>);
static_assert(!can_emplace<zodovar9::const_node_ref<std::string>, const char *>);
static_assert(!std::is_copy_constructible_v<tree<std::unique_ptr<int>>> &&
              std::is_nothrow_move_constructible_v<tree<std::unique_ptr<int>>>);
static_assert(std::ranges::forward_range<zodovar9::post_order_view<int32_t, true>> &&
              std::ranges::borrowed_range<zodovar9::breadth_first_view<int32_t, false>> &&
              std::ranges::random_access_range<zodovar9::children_view<int32_t, false, true>> &&
              std::ranges::view<zodovar9::leaves_view<int32_t, false>>);

uint32_t live_blocks()
{
    uint32_t n = 0;
    csys_memory_getLiveBlockCount(&n);
    return n;
}

// Counts every special member; the copy constructor throws once `throw_at`
// further copies have been made (0: never), `std::bad_alloc` if asked.
struct Counted {
    static inline int defaults, copies, assigns, destroyed, live, throw_at;
    static inline bool bad_alloc;
    int value = 0;

    Counted() { ++defaults, ++live; }
    explicit Counted(int v) : value(v) { ++live; }
    Counted(const Counted &o) : value(o.value)
    {
        if (throw_at && --throw_at == 0) {
            if (bad_alloc) throw std::bad_alloc();
            throw std::runtime_error("copy refused");
        }
        ++copies, ++live;
    }
    Counted &operator=(const Counted &o)
    {
        value = o.value, ++assigns;
        return *this;
    }
    ~Counted() { ++destroyed, --live; }
    bool operator==(const Counted &o) const { return value == o.value; }
    static void reset() { defaults = copies = assigns = destroyed = live = throw_at = 0, bad_alloc = false; }
};

class TreeHpp : public ::testing::Test {
protected:
    void SetUp() override { Counted::reset(), probe::reset(), blocks_ = live_blocks(); }
    void TearDown() override
    {
        EXPECT_EQ(Counted::live, 0) << "a payload leaked or was destroyed twice";
        EXPECT_EQ(live_blocks(), blocks_) << "a block leaked";
    }
    uint32_t blocks_ = 0;
};

std::string text(const Counted &c) { return std::to_string(c.value); }
std::string text(int32_t v) { return std::to_string(v); }
std::string text(const std::string &s) { return s; }

// A subtree written out with its shape, "0(1(3 4) 2)", read through children()
// alone (another path than the walks and copies it checks); '#' marks a child
// whose stored position or parent link is not its place.
template <class Ref>
std::string shape(Ref n)
{
    if (!n) return "-";
    std::string s = text(*n), sep = "(";
    int32_t i = 0;
    for (auto k : n.children())
        s += std::exchange(sep, " ") + shape(k) + (k.get()->indexInParent == i++ && k.parent() == n ? "" : "#");
    return sep == " " ? s + ")" : s;
}

// root(0) { 1 { 3, 4 }, 2 }
tree<Counted> counted_tree()
{
    tree<Counted> t(std::in_place, 0);
    auto one = t.root().emplace_child(1);
    t.root().emplace_child(2);
    one.emplace_child(3);
    one.emplace_child(4);
    return t;
}

TEST_F(TreeHpp, PayloadsAreBuiltCopiedAndDestroyedExactlyOnce)
{
    {
        tree<Counted> t = counted_tree();
        t.root().prepend_child(std::in_place, 5);
        t.root().insert_after(t.root().child(0), std::in_place, 6);
        EXPECT_EQ(Counted::live, 7);
        EXPECT_EQ(Counted::copies + Counted::defaults + Counted::assigns, 0); // emplaced in place

        const Counted seven(7);
        t.root().insert_before(t.root().child(1), seven);
        EXPECT_EQ(Counted::copies, 1);

        tree<Counted> copy = t; // one copy constructor per node, nothing else
        EXPECT_EQ(Counted::copies, 1 + 8);
        EXPECT_EQ(Counted::defaults + Counted::assigns, 0);
        EXPECT_EQ(shape(copy.root()), "0(5 7 6 1(3 4) 2)");
        EXPECT_EQ(shape(copy.root()), shape(t.root()));
        EXPECT_NE(copy.root().get(), t.root().get());

        tree<Counted> moved = std::move(copy);
        EXPECT_TRUE(copy.empty());
        EXPECT_EQ(Counted::live, 8 + 8 + 1);
    }
    EXPECT_EQ(Counted::destroyed, 8 + 8 + 1);

    // A payload that can only move: moved in, moved between trees, never copied.
    tree<std::unique_ptr<int>> a(std::make_unique<int>(1)), b(std::make_unique<int>(2));
    auto three = a.root().add_child(std::make_unique<int>(3));
    b.root().add_child(std::move(a));
    three.move_to(b.root(), b.root().child(0));
    EXPECT_EQ(**b.root().child(0), 3);
    EXPECT_EQ(b.size(), 3u);
}

TEST_F(TreeHpp, AFailingPayloadOrComparisonLeavesTheTreeAsItWas)
{
    tree<Counted> t = counted_tree();
    const std::string before = shape(t.root());
    for (bool bad_alloc : {false, true}) {
        for (int at = 1; at <= 5; ++at) {
            SCOPED_TRACE(testing::Message() << "copy " << at << (bad_alloc ? " bad_alloc" : ""));
            Counted::throw_at = at, Counted::bad_alloc = bad_alloc;
            const int live = Counted::live;
            if (bad_alloc)
                EXPECT_THROW(t.clone(), std::bad_alloc); // T's own exception, not a status
            else
                EXPECT_THROW(t.clone(), std::runtime_error);
            EXPECT_EQ(Counted::live, live);

            Counted::throw_at = at;
            std::error_code ec;
            tree<Counted> none = t.root().child(0).clone(ec);
            EXPECT_EQ(ec, at > 3 ? std::error_code() : bad_alloc ? errc::no_memory : errc::payload_threw);
            EXPECT_EQ(none.empty(), at <= 3); // the subtree of 1 has three nodes
            Counted::throw_at = 0;
            EXPECT_EQ(shape(t.root()), before);
        }
    }
    Counted::throw_at = 2, Counted::bad_alloc = false;
    tree<Counted> target = counted_tree();
    EXPECT_THROW(target = t, std::runtime_error); // copy assignment is strong too
    const Counted nine(9);
    const std::function<void()> placements[] = {
        [&] { t.root().add_child(nine); },
        [&] { t.root().prepend_child(nine); },
        [&] { t.root().insert_before(t.root().child(1), nine); },
        [&] { t.root().insert_after(t.root().child(1), nine); },
        [&] {
            t.root().sort_children([](const Counted &, const Counted &) -> bool { throw std::out_of_range("no"); });
        },
    };
    for (const auto &place : placements) {
        Counted::throw_at = 1;
        EXPECT_ANY_THROW(place());
        EXPECT_EQ(shape(t.root()), before);
    }
    std::error_code ec;
    Counted::throw_at = 1;
    EXPECT_FALSE(t.root().insert_after(t.root().child(0), nine, ec));
    EXPECT_EQ(ec, errc::payload_threw);
    EXPECT_EQ(shape(target.root()), before);
    Counted::throw_at = 0;
}

// A simple model of a forest: each node's parent and children by number;
// node i holds payload i.
struct Model {
    std::vector<int> parent; // -1: a root; -2: deleted
    std::vector<std::vector<int>> kids;
    std::vector<node_ref<int32_t>> at;

    int add(node_ref<int32_t> node)
    {
        parent.push_back(-1), kids.emplace_back(), at.push_back(node);
        return static_cast<int>(at.size()) - 1;
    }
    std::size_t pos(int n) const { return std::ranges::find(kids[parent[n]], n) - kids[parent[n]].begin(); }
    void link(int p, int n, std::size_t i) { parent[n] = p, kids[p].insert(kids[p].begin() + i, n); }
    void unlink(int n) { kids[parent[n]].erase(kids[parent[n]].begin() + pos(n)), parent[n] = -1; }
    bool within(int n, int top) const { return n >= 0 && (n == top || within(parent[n], top)); }
    void pre(int n, std::vector<int> &out) const
    {
        out.push_back(n), std::ranges::for_each(kids[n], [&](int k) { pre(k, out); });
    }
    void post(int n, std::vector<int> &out) const
    {
        std::ranges::for_each(kids[n], [&](int k) { post(k, out); }), out.push_back(n);
    }
    std::string shape(int n) const
    {
        std::string s = std::to_string(n), sep = "(";
        for (int k : kids[n]) s += std::exchange(sep, " ") + shape(k);
        return sep == " " ? s + ")" : s;
    }
    void drop(int n)
    {
        std::ranges::for_each(kids[n], [&](int k) { drop(k); }), parent[n] = -2;
    }
};

template <class Range>
std::vector<int> ids(Range &&range)
{
    std::vector<int> out;
    for (int32_t v : range) out.push_back(v);
    return out;
}

void check_walks(const Model &m, int n)
{
    const node_ref<int32_t> h = m.at[n];
    const zodovar9::const_node_ref<int32_t> c = h;
    std::vector<int> pre, post, leaves, bfs{n}, up;
    m.pre(n, pre), m.post(n, post);
    std::ranges::copy_if(pre, std::back_inserter(leaves), [&](int i) { return m.kids[i].empty(); });
    for (std::size_t i = 0; i < bfs.size(); ++i) bfs.insert(bfs.end(), m.kids[bfs[i]].begin(), m.kids[bfs[i]].end());
    for (int i = m.parent[n]; i >= 0; i = m.parent[i]) up.push_back(i);
    std::error_code ec;
    EXPECT_EQ(ids(h.pre_order()), pre);
    EXPECT_EQ(ids(c.pre_order_nodes(ec) | values), pre);
    EXPECT_EQ(ids(h.post_order() | values), post);
    EXPECT_EQ(ids(c.post_order(ec) | values), post);
    EXPECT_EQ(ids(c.breadth_first() | values), bfs);
    EXPECT_EQ(ids(h.breadth_first(ec) | values), bfs);
    EXPECT_EQ(ids(h.leaves() | values), leaves);
    EXPECT_EQ(ids(c.leaves(ec) | values), leaves);
    EXPECT_EQ(ids(c.ancestors() | values), up);
    EXPECT_EQ(ids(h.ancestors(ec) | values), up);
    EXPECT_EQ(ids(c.children() | values), m.kids[n]);
    EXPECT_FALSE(ec);
}

// Thousands of random shapes, built and rearranged by every placement, move,
// swap, sort and erasure (refused ones among them, which must change
// nothing), each checked link by link against the model, with every walk
// from one of its nodes.
TEST_F(TreeHpp, PlacementMovesAndWalksAgreeWithAModel)
{
    const auto by_last_digit = [](int32_t a, int32_t b) { return a % 10 > b % 10; };
    std::mt19937 rng(2024);
    const auto pick = [&](std::size_t n) { return static_cast<int>(rng() % n); };
    for (int round = 0; round < 120; ++round) {
        tree<int32_t> trees[2] = {tree<int32_t>(0), tree<int32_t>(1)};
        Model m;
        m.add(trees[0].root()), m.add(trees[1].root());
        std::vector<int> live{0, 1};
        for (int step = 0; step < 24; ++step) {
            const int p = live[pick(live.size())], n = live[pick(live.size())];
            const int s = !m.kids[p].empty() && pick(4) ? m.kids[p][pick(m.kids[p].size())] : n;
            const node_ref<int32_t> P = m.at[p], N = m.at[n], S = m.at[s];
            const int id = static_cast<int>(m.at.size()), kind = pick(4);
            std::error_code ec, expected;
            node_ref<int32_t> made;
            switch (pick(7)) {
            case 0: // a new value, or a new tree of two nodes, at one of four places
            case 1: {
                tree<int32_t> sub(id);
                sub.root().add_child(id + 1);
                const bool whole = pick(2);
                if (kind >= 2 && m.parent[s] != p) expected = errc::wrong_parent;
                if (kind == 0) made = whole ? P.add_child(std::move(sub), ec) : P.add_child(id, ec);
                if (kind == 1)
                    made = whole ? P.prepend_child(std::move(sub), ec) : P.prepend_child(ec, std::in_place, id);
                if (kind == 2) made = whole ? P.insert_before(S, std::move(sub), ec) : P.insert_before(S, id, ec);
                if (kind == 3)
                    made = whole ? P.insert_after(S, std::move(sub), ec) : P.insert_after(S, ec, std::in_place, id);
                if (ec) break;
                const std::size_t i = kind == 0 ? m.kids[p].size() : kind == 1 ? 0 : m.pos(s) + (kind == 3);
                m.link(p, m.add(made), i), live.push_back(id);
                EXPECT_EQ(*made, id);
                if (whole) m.link(id, m.add(made.child(0)), 0), live.push_back(id + 1);
                break;
            }
            case 2: // a move, last or before a child of the new parent
                if (kind && m.parent[s] != p)
                    expected = errc::wrong_parent;
                else if (m.parent[n] < 0)
                    expected = errc::no_parent;
                else if (m.within(p, n))
                    expected = errc::parent_cycle;
                kind ? N.move_to(P, S, ec) : N.move_to(P, ec);
                if (ec || (kind && n == s)) break;
                m.unlink(n), m.link(p, n, kind ? m.pos(s) : m.kids[p].size());
                break;
            case 3: // a swap of places
                if (n != p && (m.parent[n] < 0 || m.parent[p] < 0))
                    expected = errc::no_parent;
                else if (n != p && (m.within(n, p) || m.within(p, n)))
                    expected = errc::parent_cycle;
                N.swap_places(P, ec);
                if (ec || n == p) break;
                std::swap(m.kids[m.parent[n]][m.pos(n)], m.kids[m.parent[p]][m.pos(p)]);
                std::swap(m.parent[n], m.parent[p]);
                break;
            case 4: // a stable sort on the payload's last digit
                P.sort_children(by_last_digit, ec);
                std::ranges::stable_sort(m.kids[p], by_last_digit);
                break;
            case 5: // an erasure, or a removal whose tree is then dropped
                if (m.parent[n] < 0) break;
                kind ? trees[m.within(n, 1)].erase(N, ec) : (void)m.at[m.parent[n]].remove_child(N, ec);
                m.unlink(n), m.drop(n), std::erase_if(live, [&](int i) { return m.parent[i] == -2; });
                break;
            default: // a tree placed below one of its own nodes
                expected = errc::parent_cycle;
                P.add_child(std::move(trees[m.within(p, 1)]), ec);
            }
            ASSERT_EQ(ec, expected) << "step " << step << " of round " << round;
            ASSERT_EQ(shape(trees[0].root()) + shape(trees[1].root()), m.shape(0) + m.shape(1));
            check_walks(m, live[pick(live.size())]);
        }
        probe::reset(); // the log of calls grows with every round
    }
    // Equal payloads keep their order among many children too.
    tree<int32_t> wide(0);
    std::vector<int> order(100);
    for (int i = 0; i < 100; ++i) wide.root().add_child(order[i] = i);
    wide.root().sort_children(by_last_digit);
    std::ranges::stable_sort(order, by_last_digit);
    EXPECT_EQ(ids(wide.root().children() | values), order);
}

// A link that would put a node below itself or its own descendant is refused
// by every operation that links, and both trees stay as they were.
TEST_F(TreeHpp, LinksThatWouldMakeALoopAreRefused)
{
    tree<Counted> t = counted_tree(), other = counted_tree();
    const auto one = t.root().child(0), three = one.child(0);
    const std::function<void(std::error_code &)> links[] = {
        [&](auto &ec) { three.add_child(std::move(t), ec); },
        [&](auto &ec) { one.prepend_child(std::move(t), ec); },
        [&](auto &ec) { one.insert_before(three, std::move(t), ec); },
        [&](auto &ec) { t.root().insert_after(one, std::move(t), ec); },
        [&](auto &ec) { one.move_to(three, ec); },
        [&](auto &ec) { one.move_to(one, ec); },
        [&](auto &ec) { one.swap_places(three, ec); },
        [&](auto &ec) { three.swap_places(one, ec); },
    };
    const std::string before = shape(t.root());
    for (const auto &link : links) {
        std::error_code ec;
        link(ec);
        EXPECT_EQ(ec, errc::parent_cycle);
        EXPECT_EQ(shape(t.root()), before);
    }
    EXPECT_THROW(three.add_child(std::move(t)), zodovar9::error);
    EXPECT_THROW(one.move_to(three), zodovar9::error);
    EXPECT_EQ(shape(t.root()), before);
    EXPECT_EQ(shape(other.root()), before);
}

// Every call into the system library that an operation makes and that may
// fail, failed in turn: the failure is reported and every tree stays as it
// was, with nothing leaked.
TEST_F(TreeHpp, EachFailingCallLeavesTheTreesAsTheyWere)
{
    using op = std::function<void(tree<Counted> &, tree<Counted> &, std::error_code &)>;
    tree<Counted> kept; // what an operation gives back, deleted outside the sweep
    const std::pair<const char *, op> operations[] = {
        {"add_child", [](auto &t, auto &, auto &ec) { t.root().child(1).add_child(Counted(5), ec); }},
        {"prepend_child", [](auto &t, auto &o, auto &ec) { t.root().prepend_child(std::move(o), ec); }},
        {"insert_before",
         [](auto &t, auto &, auto &ec) { t.root().insert_before(t.root().child(0), ec, std::in_place, 6); }},
        {"insert_after",
         [](auto &t, auto &o, auto &ec) { t.root().insert_after(t.root().child(1), std::move(o), ec); }},
        {"move_to", [](auto &t, auto &, auto &ec) { t.root().child(0).child(1).move_to(t.root(), ec); }},
        {"move_to another tree", [](auto &t, auto &o, auto &ec) { t.root().child(0).move_to(o.root(), ec); }},
        {"clone", [&](auto &t, auto &, auto &ec) { kept = t.root().child(0).clone(ec); }},
        {"remove_child", [&](auto &t, auto &, auto &ec) { kept = t.root().remove_child(t.root().child(0), ec); }},
    };
    // Reading an array's record cannot fail, nor can the clean-up lists and
    // releases of live blocks.
    const auto may_fail = [](probe::Fn fn) {
        const std::string name = probe::name(fn);
        return std::ranges::none_of(std::array{"get", "cleanup", "free"},
                                    [&](auto w) { return name.find(w) != name.npos; });
    };
    for (const auto &[name, run] : operations) {
        tree<Counted> t = counted_tree(), o = counted_tree();
        probe::reset();
        std::error_code ec;
        run(t, o, ec);
        ASSERT_FALSE(ec) << name;
        const std::vector<probe::Call> made = probe::calls();
        kept.reset();
        for (std::size_t i = 0; i < made.size(); ++i) {
            if (!may_fail(made[i].fn)) continue;
            tree<Counted> t2 = counted_tree(), o2 = counted_tree();
            const auto nth =
                std::count_if(made.begin(), made.begin() + i + 1, [&](auto &c) { return c.fn == made[i].fn; });
            probe::reset();
            probe::inject({made[i].fn, static_cast<unsigned>(nth), csys_errOverflow});
            run(t2, o2, ec);
            probe::reset();
            EXPECT_TRUE(kept.empty());
            EXPECT_EQ(ec, errc::overflow) << name << ": " << probe::name(made[i].fn) << " #" << nth;
            EXPECT_EQ(shape(t2.root()) + shape(o2.root()), "0(1(3 4) 2)0(1(3 4) 2)") << name << " #" << i;
        }
    }
}

TEST_F(TreeHpp, IndexesAndNeighboursAtBothEnds)
{
    tree<int32_t> t(0);
    const auto a = t.root().add_child(1), b = t.root().add_child(2);
    std::error_code ec;
    // child(i): the last index answers, the count is already past the end.
    const std::tuple<node_ref<int32_t>, std::size_t, node_ref<int32_t>> children[] = {
        {t.root(), 0, a}, {t.root(), 1, b}, {t.root(), 2, {}}, {a, 0, {}}};
    for (auto [node, i, expected] : children) {
        EXPECT_EQ(node.child(i, ec), expected) << i;
        EXPECT_EQ(ec == errc::out_of_range, !expected) << i;
        if (!expected) {
            EXPECT_THROW(node.child(i), zodovar9::error);
        }
    }
    // None at either end is an answer, not an error.
    using query = node_ref<int32_t> (node_ref<int32_t>::*)(std::error_code &) const noexcept;
    const query prev = &node_ref<int32_t>::prev_sibling, next = &node_ref<int32_t>::next_sibling,
                first = &node_ref<int32_t>::first_child;
    const std::tuple<query, node_ref<int32_t>, node_ref<int32_t>> neighbours[] = {
        {prev, t.root(), {}}, {prev, a, {}}, {prev, b, a},   {next, t.root(), {}},
        {next, b, {}},        {next, a, b},  {first, a, {}}, {first, t.root(), a}};
    for (auto [ask, node, expected] : neighbours) {
        EXPECT_EQ((node.*ask)(ec), expected);
        EXPECT_FALSE(ec);
    }
    EXPECT_FALSE(t.root().prev_sibling() || t.root().parent() || b.next_sibling());
}

TEST_F(TreeHpp, WalksServeTheStandardAlgorithmsAndTreesCompareByShape)
{
    tree<std::string> t("r");
    const auto a = t.root().add_child("a");
    a.add_child("a1"), a.add_child("a2").add_child("a2a"), t.root().add_child("b");
    auto found = std::ranges::find(t.pre_order(), "a2"); // from a value to its node
    ASSERT_NE(found, t.pre_order().end());
    EXPECT_EQ(found.node().parent(), a);
    EXPECT_EQ(*std::ranges::find_if(a.breadth_first(), [](auto n) { return n.depth() == 3; }), a.child(1).child(0));
    EXPECT_EQ(std::ranges::count_if(t.root().leaves() | values, [](auto &s) { return s.size() == 2; }), 1);
    std::ranges::for_each(a.children() | values, [](std::string &s) { s += '!'; });
    EXPECT_EQ(*std::ranges::rbegin(t.root().children()), t.root().child(1));
    EXPECT_EQ(std::ranges::distance(a.post_order()), 4);
    EXPECT_EQ(shape(t.root()), "r(a(a1! a2!(a2a)) b)");

    // Shape, not just the order of payloads: trees that agree in pre-order
    // differ when one node hangs elsewhere.
    tree<Counted> one = counted_tree(), flat = counted_tree();
    EXPECT_TRUE(one == flat);
    flat.root().child(0).child(1).move_to(flat.root().child(0).child(0)); // 0(1(3(4)) 2)
    EXPECT_FALSE(one == flat);
    EXPECT_TRUE(zodovar9::equal_subtrees(one.root().child(1), flat.root().child(1)));
    flat.root().child(1).value().value = 9;
    EXPECT_FALSE(zodovar9::equal_subtrees(one.root().child(1), flat.root().child(1)));
    EXPECT_TRUE(tree<Counted>() == tree<Counted>());
    EXPECT_FALSE(one == tree<Counted>());
}

TEST_F(TreeHpp, EraseReleaseAndRemoveMoveOwnershipAsDocumented)
{
    tree<Counted> t = counted_tree();
    auto one = t.root().child(0);

    tree<Counted> taken = t.root().remove_child(t.root().child(1)); // 2 leaves, owned by the caller
    EXPECT_EQ(shape(taken.root()), "2");
    EXPECT_TRUE(!taken.root().parent() && taken.root().get()->indexInParent == -1); // a root of its own
    t.root().add_child(std::move(taken));
    EXPECT_TRUE(taken.empty());

    std::vector<tree<Counted>> freed = t.release(one); // 1 deleted alone
    EXPECT_EQ(Counted::destroyed, 1);
    ASSERT_EQ(freed.size(), 2u);
    EXPECT_EQ(shape(freed[0].root()) + shape(freed[1].root()), "34");
    EXPECT_FALSE(freed[1].root().parent());
    EXPECT_EQ(shape(t.root()), "0(2)");

    t.erase(t.root().child(0));
    EXPECT_EQ(shape(t.root()), "0");
    EXPECT_EQ(t.release(t.root()).size(), 0u);
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(Counted::destroyed, 3);
}

TEST_F(TreeHpp, FailuresBecomeCodesThatSayWhatHappened)
{
    // Messages are sentences, not identifiers; a slot's own status keeps its number.
    for (int e = CSTD_STATUS_FAILURE(0x0AC1); e <= CSTD_STATUS_FAILURE(0x0B05); ++e) {
        const std::string message = zodovar9::make_error_code(e).message();
        EXPECT_EQ(message.find("_err"), std::string::npos) << message;
        EXPECT_GT(message.find(' '), 0u) << message;
    }
    EXPECT_NE(zodovar9::make_error_code(CSTD_STATUS_FAILURE(0x0FFF)).message().find("0x80000fff"), std::string::npos);
    EXPECT_EQ(zodovar9::make_error_code(errc::no_child).message(), zodovar9_statusText(cstd_tree_errNoChild));
    EXPECT_STREQ(zodovar9::category().name(), "zodovar9");
    EXPECT_FALSE(zodovar9::make_error_code(1)); // positive statuses are success
    EXPECT_EQ(zodovar9::make_error_code(csys_errNoMemory), std::errc::not_enough_memory);

    tree<Counted> t = counted_tree(), other = counted_tree();
    const auto stranger = other.root().child(0);
    std::error_code ec;
    const std::pair<std::function<void()>, errc> refusals[] = {
        {[&] { t.root().remove_child(stranger, ec); }, errc::wrong_parent},
        {[&] { t.root().insert_before(stranger, Counted(1), ec); }, errc::wrong_parent},
        {[&] { t.root().insert_after({}, Counted(1), ec); }, errc::invalid_argument},
        {[&] { t.root().move_to(other.root(), ec); }, errc::no_parent},
        {[&] { t.erase(stranger, ec); }, errc::invalid_argument},
        {[&] { t.release(stranger, ec); }, errc::invalid_argument},
        {[&] { t.root().add_child(tree<Counted>(), ec); }, errc::invalid_argument},
    };
    for (const auto &[refuse, expected] : refusals) {
        refuse();
        EXPECT_EQ(ec, expected);
    }
    try {
        t.root().remove_child(stranger);
        FAIL() << "no exception";
    } catch (const zodovar9::error &e) {
        EXPECT_EQ(e.status(), cstd_tree_errWrongParent);
        EXPECT_EQ(std::string(e.what()), std::string("remove_child: ") + zodovar9_statusText(cstd_tree_errWrongParent));
    }
    EXPECT_EQ(shape(t.root()) + shape(other.root()), "0(1(3 4) 2)0(1(3 4) 2)");

    // Parent links that loop (made through the C records: the root below its
    // last child) are reported when a walk starts, or at the step that climbs.
    auto walk = t.root().pre_order_nodes(ec);
    auto last = std::ranges::next(walk.begin(), 4);
    t.root().get()->parent = t.root().child(1).get(), t.root().get()->indexInParent = 0;
    EXPECT_TRUE(t.root().child(0).pre_order_nodes(ec).empty());
    EXPECT_EQ(ec, errc::parent_cycle);
    EXPECT_TRUE(t.root().child(0).ancestors(ec).empty());
    EXPECT_EQ(ec, errc::parent_cycle);
    EXPECT_THROW(t.root().child(0).pre_order(), zodovar9::error);
    ec.clear();
    EXPECT_EQ(++last, walk.end());
    EXPECT_EQ(ec, errc::parent_cycle);
    t.root().get()->parent = nullptr, t.root().get()->indexInParent = -1;
}

TEST_F(TreeHpp, TheLibrarysOwnFamiliesCarryIntegersTransformsAndTrees)
{
    tree<int32_t> ints(7);
    ints.root().add_child(8).emplace_child();
    EXPECT_EQ(ints.root().get()->dataSize, 4u); // cstd_tree32s: 4 bytes, no table
    EXPECT_EQ(ints.root().get()->vtable, nullptr);
    EXPECT_EQ(ids(ints.pre_order()), (std::vector<int>{7, 8, 0}));

    tree<cmath_xformLinear> xforms(std::in_place);
    EXPECT_EQ(xforms.root()->matrix[1][1], 1.0f); // the family's identity
    EXPECT_EQ(xforms.clone().root()->matrix[2][2], 1.0f);

    // A tree of trees: each payload node roots an inner tree, copied deeply.
    tree<cstd_tree> outer(std::in_place);
    cstd_tree &inner = *outer.root();
    tree<int32_t> branch(41);
    branch.root().add_child(42);
    ASSERT_GE(cstd_tree_addChild(&inner, branch.disown()), 0);
    outer.root().emplace_child(inner);

    tree<cstd_tree> copy = outer;
    const cstd_tree *inner_roots[2] = {};
    for (int i = 0; i < 2; ++i) {
        const tree<cstd_tree> &t = i ? copy : outer;
        for (const cstd_tree *payload : {&*t.root(), &*t.root().child(0)}) {
            ASSERT_GE(cstd_tree_getFirstChildConst(payload, &inner_roots[i]), 0);
            EXPECT_EQ(shape(zodovar9::const_node_ref<int32_t>(inner_roots[i])), "41(42)");
        }
    }
    EXPECT_NE(inner_roots[0], inner_roots[1]); // the inner trees are not shared
}

} // namespace
