// The typed families: what each family's construction builds and calls, the
// payload each one copies, and the tree of trees taking its inner tree along.
#include <sstream>
#include <string>

#include "expect.hpp"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

namespace {

using probe::Fn;
using probe::kAny;
using probe::step;

struct Family {
    const char *name;
    cstd_status(CSTD_CALL *construct)(cstd_tree *);
    uint32_t size;
    Fn element; // the call that builds the payload element, or Fn::any for none
};
void PrintTo(const Family &f, std::ostream *out) { *out << f.name; }

const Family kFamilies[] = {
    {"int32", &cstd_tree32s_construct, 4, Fn::any},
    {"xform", &cstd_tree_cmath_xformLinear_construct, 48, Fn::cmath_xformLinear_initIdentity},
    {"tree", &cstd_tree_tree_construct, sizeof(cstd_tree), Fn::cstd_vector__constructWithVtable},
};

class Families : public ::testing::TestWithParam<Family> {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override { EXPECT_TRUE(probe::nothingLive()); }
};
INSTANTIATE_TEST_SUITE_P(All, Families, ::testing::ValuesIn(kFamilies),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_P(Families, ConstructBuildsTheFamilysBlockAndElementOnly)
{
    const Family &f = GetParam();
    cstd_tree t;
    ASSERT_EQ(f.construct(&t), 0);
    EXPECT_EQ(t.dataSize, f.size);
    EXPECT_EQ(t.vtable == nullptr, f.element == Fn::any);
    if (t.vtable != nullptr) {
        EXPECT_EQ(t.vtable->tag, -1);
        EXPECT_EQ(t.vtable->constructCopy == nullptr, f.element != Fn::cstd_vector__constructWithVtable);
    }
    std::vector<probe::Step> calls{
        step(Fn::cstd_vector__constructWithVtable, &t.children, 0, sizeof(cstd_treePtr), nullptr, 0),
        step(Fn::csys_memory_alloc_internal, f.size, &t.data)};
    if (f.element == Fn::cmath_xformLinear_initIdentity) {
        calls.push_back(step(f.element, t.data));
    } else if (f.element == Fn::cstd_vector__constructWithVtable) {
        auto *inner = static_cast<cstd_tree *>(t.data);
        calls.push_back(step(f.element, &inner->children, 0, sizeof(cstd_treePtr), nullptr, 0));
        EXPECT_EQ(inner->parent, nullptr);
        EXPECT_EQ(inner->data, nullptr);
        EXPECT_EQ(inner->dataSize, 0u);
    }
    calls.push_back(step(Fn::csys_cleanupExecute_, kAny, kAny, kAny));
    EXPECT_TRUE(probe::callsAre(calls));
    ASSERT_EQ(cstd_tree32s_destruct(&t), 0);
}

class Family1 : public ::testing::Test {
protected:
    void SetUp() override { probe::reset(); }
    void TearDown() override { EXPECT_TRUE(probe::nothingLive()); }
};

TEST_F(Family1, TransformsCopyAsBytesAndDieWithoutTheMathLibrary)
{
    cstd_tree a, b;
    ASSERT_EQ(cstd_tree_cmath_xformLinear_construct(&a), 0);
    ASSERT_EQ(cstd_tree_cmath_xformLinear_construct(&b), 0);
    static_cast<cmath_xformLinear *>(b.data)->translation[2] = 7.5f;
    probe::reset();
    ASSERT_EQ(cstd_tree_cmath_xformLinear_assign(&a, &b), 0);
    ASSERT_EQ(cstd_tree_cmath_xformLinear_destruct(&b), 0);
    const auto *x = static_cast<const cmath_xformLinear *>(a.data);
    EXPECT_EQ(x->matrix[1][1], 1.0f);
    EXPECT_EQ(x->translation[2], 7.5f);
    for (const probe::Call &call : probe::calls()) {
        EXPECT_NE(call.fn, Fn::cmath_xformLinear_initIdentity);
        EXPECT_NE(call.fn, Fn::slot_assign);
    }
    ASSERT_EQ(cstd_tree_cmath_xformLinear_destruct(&a), 0);
}

// What setData writes into the payload node, and that a new operation over
// the outer node deletes the inner tree's nodes too, the fault sweep checks.
TEST_F(Family1, TreeOfTreesHoldsARootThatTakesOnlyAPlainNode)
{
    cstd_tree *outer = nullptr, *parent = nullptr;
    ASSERT_EQ(cstd_tree_new(&parent), 0);
    ASSERT_EQ(cstd_tree_tree_new(&outer), 0);
    ASSERT_EQ(cstd_tree_addChild(parent, outer), 0);
    cstd_tree *inner = nullptr;
    ASSERT_EQ(cstd_tree_tree_getDataPtr(outer, reinterpret_cast<void **>(&inner)), 0);
    uint32_t truth = 1;
    int32_t depth = -1;
    ASSERT_EQ(cstd_tree_tree_hasParent(inner, &truth), 0);
    ASSERT_EQ(cstd_tree_tree_getDepthFromRoot(inner, &depth), 0);
    EXPECT_EQ(truth + static_cast<uint32_t>(depth), 0u);
    // A node of another family's kind does not fit the payload node.
    cstd_tree number;
    ASSERT_EQ(cstd_tree32s_construct(&number), 0);
    EXPECT_EQ(cstd_tree_tree_setData(outer, &number), cstd_tree_errPayloadMismatch);
    ASSERT_EQ(cstd_tree_destruct(&number), 0);
    ASSERT_EQ(cstd_tree_tree_delete(&parent), 0);
}

// Each family entry answers as the core operation of its name: a forwarder
// that reached another operation would answer otherwise somewhere here.
TEST_F(Family1, SharedEntriesAnswerAsTheirCoreOperations)
{
    cstd_tree *root = nullptr, *a = nullptr, *b = nullptr;
    for (cstd_tree **p : {&root, &a, &b}) {
        ASSERT_EQ(cstd_tree32s_new(p), 0);
    }
    ASSERT_EQ(cstd_tree_addChild(root, a), 0);
    ASSERT_EQ(cstd_tree_addChild(root, b), 0);
    using Query = cstd_status (*)(cstd_tree *, uint64_t *);
    struct Pair {
        const char *name;
        Query family, core;
    };
// A query run through `call`, its out-parameter widened to one word.
#define ZODOVAR9_ASK(call, out)                                                                                        \
    [](cstd_tree *n, uint64_t *w) {                                                                                    \
        out v{};                                                                                                       \
        const cstd_status s = call(n, &v);                                                                             \
        *w = (uint64_t)(uintptr_t)v;                                                                                   \
        return s;                                                                                                      \
    }
#define ZODOVAR9_PAIR(op, out)                                                                                         \
    {                                                                                                                  \
#op, ZODOVAR9_ASK(cstd_tree32s_##op, out), ZODOVAR9_ASK(cstd_tree_##op, out)                                   \
    }
    const Pair pairs[] = {
        ZODOVAR9_PAIR(getNumChildren, uint32_t),  ZODOVAR9_PAIR(hasParent, uint32_t),
        ZODOVAR9_PAIR(getParent, cstd_tree *),    ZODOVAR9_PAIR(getFirstChild, cstd_tree *),
        ZODOVAR9_PAIR(hasPrevSibling, uint32_t),  ZODOVAR9_PAIR(getPrevSibling, cstd_tree *),
        ZODOVAR9_PAIR(hasNextSibling, uint32_t),  ZODOVAR9_PAIR(getNextSibling, cstd_tree *),
        ZODOVAR9_PAIR(getDepthFromRoot, int32_t),
    };
#undef ZODOVAR9_PAIR
#undef ZODOVAR9_ASK
    for (const Pair &pair : pairs) {
        for (cstd_tree *node : {root, a, b}) {
            uint64_t fromFamily = 0, fromCore = 0;
            EXPECT_EQ(pair.family(node, &fromFamily), pair.core(node, &fromCore)) << pair.name;
            EXPECT_EQ(fromFamily, fromCore) << pair.name;
        }
    }
    const cstd_tree *first = nullptr, *next = nullptr;
    uint32_t more = 0;
    EXPECT_EQ(cstd_tree32s_getFirstChildConst(root, &first), 0);
    EXPECT_EQ(first, a);
    EXPECT_EQ(cstd_tree32s_getNextSearchElementConst(a, cstd_tree_searchDepthFirst, &next), 0);
    EXPECT_EQ(next, b);
    EXPECT_EQ(cstd_tree32s_hasNextSearchElement(b, cstd_tree_searchDepthFirst, &more), 0);
    EXPECT_EQ(more, 0u);
    EXPECT_EQ(cstd_tree32s_removeChild(root, a), 0);
    EXPECT_EQ(a->parent, nullptr);
    EXPECT_EQ(cstd_tree32s_deleteThisButNotDescendants(&a), 0);
    EXPECT_EQ(a, nullptr);
    ASSERT_EQ(cstd_tree32s_delete(&root), 0);
}

#if !defined(_WIN32) // the DLL's names are checked by tests/windows
// The families share one entry point per core operation, that of the int32
// family, which answers as the core does (above); "a=b": name a is b's entry.
TEST(FamilyEntries, EachSharedOperationIsTheInt32FamilysEntry)
{
    std::istringstream ops("constructCopy destruct delete deleteThisAndAllDescendants deleteThisButNotDescendants "
                           "setData getDataPtr assign addChild removeChild getNumChildren hasParent getParent "
                           "getParentConst=getParent getFirstChild getFirstChildConst hasPrevSibling getPrevSibling "
                           "getPrevSiblingConst=getPrevSibling hasNextSibling getNextSibling "
                           "getNextSiblingConst=getNextSibling getDepthFromRoot hasNextSearchElement "
                           "getNextSearchElement getNextSearchElementConst");
    const auto at = [](const std::string &name) { return dlsym(RTLD_DEFAULT, name.c_str()); };
    for (std::string op; ops >> op;) {
        const std::string name = op.substr(0, op.find('=')), as = op.substr(op.find('=') + 1);
        ASSERT_NE(at("cstd_tree32s_" + as), nullptr) << as;
        for (const char *family : {"cstd_tree32s_", "cstd_tree_cmath_xformLinear_", "cstd_tree_tree_"})
            EXPECT_EQ(at(family + name), at("cstd_tree32s_" + as)) << family << name;
    }
    // The families' search step is the core's read-only step itself.
    EXPECT_EQ(at("cstd_tree32s_getNextSearchElement"), at("cstd_tree_getNextSearchElementConst"));
}

#endif

} // namespace
