// What the fault sweep and the fuzzer share: payload kinds and how to build
// them, a node's list as the system library holds it, and every query
// through one signature.
#pragma once

#include <string>
#include <vector>

#include "probe.hpp"

namespace kit {

using Nodes = std::vector<cstd_tree *>;
using probe::word;
inline constexpr std::uintptr_t kUnset = 0x5A5A; // what an out-parameter holds before a query

inline Nodes listOf(const cstd_vector *list)
{
    void *begin = nullptr;
    uint32_t size = 0;
    cstd_vector__getBeginSize32(const_cast<cstd_vector *>(list), &begin, &size);
    return Nodes(static_cast<cstd_tree **>(begin), static_cast<cstd_tree **>(begin) + size);
}
inline Nodes listOf(const cstd_tree *n) { return listOf(&n->children); }
inline bool isRoot(const cstd_tree *n) { return n->parent == nullptr && n->indexInParent == -1; }
inline cstd_tree *inner(const cstd_tree *n) { return static_cast<cstd_tree *>(n->data); }

// A payload kind: a size and table for the core's sized constructors, or a
// family's own entries (its size and table read off a node it builds); and
// the calls that build it in a record named x.
struct Payload {
    std::string name;
    uint32_t size;
    const cstd_vtable *table;
    const char *built;
    cstd_status(CSTD_CALL *construct)(cstd_tree *) = nullptr;
    cstd_status(CSTD_CALL *make)(cstd_tree **) = nullptr;
    cstd_status build(cstd_tree *t) const
    {
        return construct ? construct(t) : cstd_tree_constructWithSizeAndVtable(t, size, table);
    }
    cstd_status renew(cstd_tree **p) const { return make ? make(p) : cstd_tree_newWithSizeAndVtable(p, size, table); }
};
inline const cstd_vtable kRec = probe::table({}), kDestructOnly = probe::table({false, false, false, true});
inline const Payload kPlain{"plain", 0, nullptr, "^x000", &cstd_tree_construct, &cstd_tree_new},
    kRecording{"recording", 8, &kRec, "^x000 @X (X0 $"};
// The int32, transform and tree families.
inline const std::vector<Payload> &families()
{
    static const std::vector<Payload> all = [] {
        std::vector<Payload> f{
            {"cstd_tree32s", 0, nullptr, "^x000 @X $", &cstd_tree32s_construct, &cstd_tree32s_new},
            {"cstd_tree_cmath_xformLinear", 0, nullptr, "^x000 @X |X $", &cstd_tree_cmath_xformLinear_construct,
             &cstd_tree_cmath_xformLinear_new},
            {"cstd_tree_tree", 0, nullptr, "^x000 @X ^X000 $", &cstd_tree_tree_construct, &cstd_tree_tree_new}};
        for (Payload &k : f) {
            cstd_tree t;
            k.build(&t);
            k.size = t.dataSize, k.table = t.vtable;
            cstd_tree_destruct(&t);
        }
        return f;
    }();
    return all;
}
inline bool treeData(const cstd_tree &n) { return n.vtable == families()[2].table; }

// Every query as one signature: the out-parameter, holding kUnset before, as a word.
using Ask = cstd_status (*)(cstd_tree *, int32_t, std::uint64_t *);
#define KIT_ASK(f, O, ...)                                                                                             \
    +[](cstd_tree *t, [[maybe_unused]] int32_t type, std::uint64_t *out) {                                             \
        O v = (O)kUnset;                                                                                               \
        const cstd_status s = f(t, __VA_ARGS__ & v);                                                                   \
        *out = word(v);                                                                                                \
        return s;                                                                                                      \
    }
// A query by the core's entry and the int32 family's; the search test writes
// "no" before it asks anything.
struct Query {
    const char *name;
    Ask core, family;
    bool zeroes = false;
};
#define KIT_QUERY(op, O)                                                                                               \
    Query { #op, KIT_ASK(cstd_tree_##op, O), KIT_ASK(cstd_tree32s_##op, O) }
inline const Query kQueries[] = {KIT_QUERY(getNumChildren, uint32_t),
                                 KIT_QUERY(hasParent, uint32_t),
                                 KIT_QUERY(getParent, cstd_tree *),
                                 KIT_QUERY(getFirstChild, cstd_tree *),
                                 KIT_QUERY(getFirstChildConst, const cstd_tree *),
                                 KIT_QUERY(hasPrevSibling, uint32_t),
                                 KIT_QUERY(getPrevSibling, cstd_tree *),
                                 KIT_QUERY(hasNextSibling, uint32_t),
                                 KIT_QUERY(getNextSibling, cstd_tree *),
                                 KIT_QUERY(getDepthFromRoot, int32_t),
                                 {"getNextSearchElement", KIT_ASK(cstd_tree_getNextSearchElement, cstd_tree *, type, ),
                                  KIT_ASK(cstd_tree32s_getNextSearchElement, const cstd_tree *, type, )},
                                 {"getNextSearchElementConst",
                                  KIT_ASK(cstd_tree_getNextSearchElementConst, const cstd_tree *, type, ),
                                  KIT_ASK(cstd_tree32s_getNextSearchElementConst, const cstd_tree *, type, )},
                                 {"hasNextSearchElement", KIT_ASK(cstd_tree_hasNextSearchElement, uint32_t, type, ),
                                  KIT_ASK(cstd_tree32s_hasNextSearchElement, uint32_t, type, ), true},
                                 KIT_QUERY(getDataPtr, void *)};
constexpr int kCount = 0, kHasParent = 1, kParent = 2, kFirst = 3, kFirstRO = 4, kHasPrev = 5, kPrev = 6, kHasNext = 7,
              kNext = 8, kDepth = 9, kStep = 10, kStepRO = 11, kTest = 12, kData = 13;

} // namespace kit
