// The typed families: the tree core bound to a fixed payload. Each family's
// `construct` and `new` hand the core's sized constructors the family's size
// and table; every other family operation is a core operation once more.
#include <vuvarod9/vuvarod9.h>

#include "tree/internal.hpp"

namespace {

cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_constructElement(void *element, uint32_t)
{
    return cmath_xformLinear_initIdentity(static_cast<cmath_xformLinear *>(element));
}

// The payload node starts as an empty root with a value payload.
cstd_status CSTD_CALL cstd_tree_tree_constructElement(void *element, uint32_t)
{
    return cstd_tree_construct(static_cast<cstd_tree *>(element));
}

} // namespace

extern "C" {

// The shared entries carry the first of their three names in byte order,
// the `cstd_tree32s_` one; the export list gives them the other two.
#define ZODOVAR9_SHARED(op, params, args)                                                                              \
    ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_##op params { return cstd_tree_##op args; }
#include "typed/shared.inc"
#undef ZODOVAR9_SHARED

// The families' `getNextSearchElement` is the core's read-only entry, where
// this one continues.
ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_getNextSearchElementConst(const cstd_tree *tree, int32_t searchType,
                                                                          const cstd_tree **next)
{
    return cstd_tree_getNextSearchElementConst(tree, searchType, next);
}

} // extern "C"

namespace {

// The two element tables, constant and never exported: a node of the family
// names one. A payload node is built, assigned and destroyed by the same
// entries as the node that holds it. No operation calls a `constructCopy`
// slot. The slots take untyped elements; the entries, nodes.
constexpr cstd_vtable cstd_tree_cmath_xformLinear_vtable = {&cstd_tree_cmath_xformLinear_constructElement, nullptr,
                                                            nullptr, nullptr, -1};
const cstd_vtable cstd_tree_tree_vtable = {
    &cstd_tree_tree_constructElement,
    reinterpret_cast<decltype(cstd_vtable::constructCopy)>(&cstd_tree32s_constructCopy),
    reinterpret_cast<decltype(cstd_vtable::assign)>(&cstd_tree32s_assign),
    reinterpret_cast<decltype(cstd_vtable::destruct)>(&cstd_tree32s_destruct), -1};

} // namespace

extern "C" {

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_construct(cstd_tree *tree)
{
    return cstd_tree_constructWithSizeAndVtable(tree, sizeof(int32_t), nullptr);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree32s_new(cstd_tree **p)
{
    return cstd_tree_newWithSizeAndVtable(p, sizeof(int32_t), nullptr);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_construct(cstd_tree *tree)
{
    return cstd_tree_constructWithSizeAndVtable(tree, sizeof(cmath_xformLinear), &cstd_tree_cmath_xformLinear_vtable);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_cmath_xformLinear_new(cstd_tree **p)
{
    return cstd_tree_newWithSizeAndVtable(p, sizeof(cmath_xformLinear), &cstd_tree_cmath_xformLinear_vtable);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_construct(cstd_tree *tree)
{
    return cstd_tree_constructWithSizeAndVtable(tree, sizeof(cstd_tree), &cstd_tree_tree_vtable);
}

ZODOVAR9_API cstd_status CSTD_CALL cstd_tree_tree_new(cstd_tree **p)
{
    return cstd_tree_newWithSizeAndVtable(p, sizeof(cstd_tree), &cstd_tree_tree_vtable);
}

} // extern "C"
