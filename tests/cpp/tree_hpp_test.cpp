// The C++ layer against the shipped library: payload lifetimes counted
// exactly, ranges under standard algorithms, the strong guarantee of a copy
// that fails midway, and the error_code overloads.
#include <zodovar9/tree.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <ranges>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using zodovar9::tree;

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
    static void reset() { defaults = copies = assigns = destroyed = live = throw_at = 0, bad_alloc = false; }
};

class TreeHpp : public ::testing::Test {
protected:
    void SetUp() override { Counted::reset(), blocks_ = live_blocks(); }
    void TearDown() override
    {
        EXPECT_EQ(Counted::live, 0) << "a payload leaked or was destroyed twice";
        EXPECT_EQ(live_blocks(), blocks_) << "a block leaked";
    }
    uint32_t blocks_ = 0;
};

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

std::vector<int> values(const tree<Counted> &t)
{
    std::vector<int> out;
    std::ranges::transform(t.pre_order(), std::back_inserter(out), &Counted::value);
    return out;
}

TEST_F(TreeHpp, PayloadsAreBuiltCopiedAndDestroyedExactlyOnce)
{
    {
        tree<Counted> t = counted_tree();
        EXPECT_EQ(Counted::live, 5);
        EXPECT_EQ(Counted::copies + Counted::defaults + Counted::assigns, 0); // emplaced in place

        const Counted six(6);
        t.root().add_child(six);
        EXPECT_EQ(Counted::copies, 1);

        tree<Counted> copy = t; // one copy constructor per node, nothing else
        EXPECT_EQ(Counted::copies, 1 + 6);
        EXPECT_EQ(Counted::defaults + Counted::assigns, 0);
        EXPECT_EQ(values(copy), values(t));
        EXPECT_NE(copy.root().get(), t.root().get());

        tree<Counted> moved = std::move(copy);
        EXPECT_TRUE(copy.empty());
        EXPECT_EQ(Counted::live, 6 + 6 + 1);
    }
    EXPECT_EQ(Counted::destroyed, 5 + 1 + 6 + 1);
}

TEST_F(TreeHpp, CloneOfAFailingPayloadLeavesNothingAndTheSourceUnchanged)
{
    tree<Counted> t = counted_tree();
    for (bool bad_alloc : {false, true}) {
        for (int at = 1; at <= 5; ++at) {
            SCOPED_TRACE(testing::Message() << "copy " << at << (bad_alloc ? " bad_alloc" : ""));
            Counted::throw_at = at, Counted::bad_alloc = bad_alloc;
            const int live = Counted::live;
            const uint32_t blocks = live_blocks();
            if (bad_alloc)
                EXPECT_THROW(t.clone(), std::bad_alloc); // T's own exception, not a status
            else
                EXPECT_THROW(t.clone(), std::runtime_error);
            EXPECT_EQ(Counted::live, live);
            EXPECT_EQ(live_blocks(), blocks);

            Counted::throw_at = at;
            std::error_code ec;
            tree<Counted> none = t.root().child(0).clone(ec);
            if (at <= 3) { // the subtree of 1 has three nodes
                EXPECT_EQ(ec, bad_alloc ? zodovar9::make_error_code(csys_errNoMemory)
                                        : zodovar9::make_error_code(zodovar9::errPayloadThrew));
                EXPECT_TRUE(none.empty());
            } else {
                EXPECT_FALSE(ec);
            }
            Counted::throw_at = 0;
            EXPECT_EQ(values(t), (std::vector<int>{0, 1, 3, 4, 2}));
        }
    }
    Counted::throw_at = 2, Counted::bad_alloc = false;
    tree<Counted> target = counted_tree();
    EXPECT_THROW(target = t, std::runtime_error); // copy assignment is strong too
    EXPECT_EQ(values(target), values(t));
    Counted::throw_at = 1;
    EXPECT_THROW(t.root().add_child(Counted(9)), std::runtime_error);
    EXPECT_EQ(t.root().child_count(), 2u);
    Counted::throw_at = 0;
}

TEST_F(TreeHpp, PreOrderIsAForwardRangeBoundedByItsSubtree)
{
    static_assert(std::ranges::forward_range<decltype(std::declval<tree<int32_t> &>().pre_order())>);
    static_assert(std::ranges::random_access_range<decltype(std::declval<zodovar9::node_ref<int32_t>>().children())>);

    tree<std::string> t("r");
    auto a = t.root().add_child("a");
    a.add_child("a1");
    a.add_child("a2").add_child("a2a");
    t.root().add_child("b");
    t.root().add_child("c").add_child("c1");

    std::vector<std::string> seen;
    for (auto &v : t.pre_order()) seen.push_back(v);
    EXPECT_EQ(seen, (std::vector<std::string>{"r", "a", "a1", "a2", "a2a", "b", "c", "c1"}));

    struct Case {
        zodovar9::node_ref<std::string> from;
        std::vector<std::string> expected;
    } cases[] = {
        {a, {"a", "a1", "a2", "a2a"}},    // stops before b
        {a.child(1), {"a2", "a2a"}},      // climbs two levels to stop
        {t.root().child(2), {"c", "c1"}}, // runs to the end of the tree
        {t.root().child(1), {"b"}},
    };
    for (const Case &c : cases) EXPECT_TRUE(std::ranges::equal(c.from.pre_order(), c.expected)) << c.expected.front();

    std::ranges::for_each(a.pre_order(), [](std::string &s) { s += '!'; });
    EXPECT_EQ(a.child(1).child(0).value(), "a2a!");
    EXPECT_EQ(t.size(), 8u);

    // Children: random access, reversed, sized; depth and neighbours.
    auto kids = t.root().children();
    ASSERT_EQ(kids.size(), 3u);
    EXPECT_EQ(*kids[2], "c");
    EXPECT_EQ(*std::ranges::rbegin(kids)[1], "b");
    EXPECT_EQ(kids.end() - kids.begin(), 3);
    EXPECT_EQ(kids[1].prev_sibling(), kids[0]);
    EXPECT_EQ(kids[1].next_sibling(), kids[2]);
    EXPECT_FALSE(kids[2].next_sibling());
    EXPECT_FALSE(t.root().parent());
    EXPECT_FALSE(kids[1].first_child());
    EXPECT_EQ(a.child(1).child(0).depth(), 3u);
    EXPECT_EQ(a.child(1).child(0).root(), t.root());

    const tree<std::string> &ct = t;
    EXPECT_EQ(std::ranges::distance(ct.root().child(0).pre_order_nodes()), 4);
}

TEST_F(TreeHpp, EraseReleaseAndRemoveMoveOwnershipAsDocumented)
{
    tree<Counted> t = counted_tree();
    auto one = t.root().child(0);

    tree<Counted> taken = t.root().remove_child(t.root().child(1)); // 2 leaves, owned by the caller
    EXPECT_EQ(values(taken), std::vector<int>{2});
    EXPECT_FALSE(taken.root().parent());
    t.root().add_child(std::move(taken));
    EXPECT_TRUE(taken.empty());
    EXPECT_EQ(values(t), (std::vector<int>{0, 1, 3, 4, 2}));

    std::vector<tree<Counted>> freed = t.release(one); // 1 deleted alone
    EXPECT_EQ(Counted::destroyed, 1);
    ASSERT_EQ(freed.size(), 2u);
    EXPECT_EQ(values(freed[0]), std::vector<int>{3});
    EXPECT_FALSE(freed[1].root().parent());
    EXPECT_EQ(values(t), (std::vector<int>{0, 2}));

    t.erase(t.root().child(0));
    EXPECT_EQ(values(t), std::vector<int>{0});
    EXPECT_EQ(t.release(t.root()).size(), 0u);
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(Counted::destroyed, 3);
}

TEST_F(TreeHpp, FailuresBecomeCodesInTheLibrarysCategory)
{
    EXPECT_STREQ(zodovar9::category().name(), "zodovar9");
    const std::pair<cstd_status, const char *> names[] = {
        {cstd_tree_errWrongParent, "cstd_tree_errWrongParent"},
        {cstd_tree_errSearchEnd, "cstd_tree_errSearchEnd"},
        {cstd_tree_errPayloadMismatch, "cstd_tree_errPayloadMismatch"},
        {csys_errNoMemory, "csys_errNoMemory"},
        {zodovar9::errPayloadThrew, "cstd_tree_errPayloadThrew"},
        {CSTD_STATUS_FAILURE(0x0FFF), "status 0x80000fff"},
    };
    for (auto [status, name] : names) EXPECT_EQ(zodovar9::make_error_code(status).message(), name);
    EXPECT_FALSE(zodovar9::make_error_code(1)); // positive statuses are success
    EXPECT_EQ(zodovar9::make_error_code(csys_errNoMemory), std::errc::not_enough_memory);

    tree<Counted> t = counted_tree(), other = counted_tree();
    auto stranger = other.root().child(0);
    std::error_code ec;

    EXPECT_FALSE(t.root().remove_child(stranger, ec));
    EXPECT_EQ(ec.value(), cstd_tree_errWrongParent);
    EXPECT_FALSE(t.root().child(7, ec));
    EXPECT_EQ(ec.value(), csys_errOutOfRange);
    t.erase(stranger, ec);
    EXPECT_EQ(ec.value(), csys_errInvalidArgument);
    EXPECT_TRUE(t.release(stranger, ec).empty());
    EXPECT_EQ(ec.value(), csys_errInvalidArgument);
    EXPECT_FALSE(t.root().add_child(tree<Counted>(), ec));
    EXPECT_EQ(ec.value(), csys_errInvalidArgument);
    EXPECT_TRUE(t.root().add_child(Counted(5), ec));
    EXPECT_FALSE(ec);

    try {
        t.root().remove_child(stranger);
        FAIL() << "no exception";
    } catch (const zodovar9::error &e) {
        EXPECT_EQ(e.status(), cstd_tree_errWrongParent);
        EXPECT_NE(std::string(e.what()).find("cstd_tree_errWrongParent"), std::string::npos);
    }
    EXPECT_THROW(t.root().child(9), zodovar9::error);
    EXPECT_EQ(values(other), (std::vector<int>{0, 1, 3, 4, 2}));
}

TEST_F(TreeHpp, TheLibrarysOwnFamiliesCarryIntegersTransformsAndTrees)
{
    tree<int32_t> ints(7);
    ints.root().add_child(8).emplace_child();
    EXPECT_EQ(ints.root().get()->dataSize, 4u); // cstd_tree32s: 4 bytes, no table
    EXPECT_EQ(ints.root().get()->vtable, nullptr);
    EXPECT_EQ((std::vector<int32_t>(ints.pre_order().begin(), ints.pre_order().end())),
              (std::vector<int32_t>{7, 8, 0}));

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
            const zodovar9::const_node_ref<int32_t> r(inner_roots[i]);
            EXPECT_EQ(*r, 41);
            EXPECT_EQ(*r.child(0), 42);
        }
    }
    EXPECT_NE(inner_roots[0], inner_roots[1]); // the inner trees are not shared
}

} // namespace
