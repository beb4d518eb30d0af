/**
 * @file tree.hpp
 * @brief The C++20 layer: owning trees of any C++ type, node handles that
 *        place, move and walk nodes, and statuses as `std::error_code`.
 *
 * Header-only, over the exported C functions and the tree-pointer vector.
 * This is the header to include; it brings in, one concern each:
 * - errors.hpp: `zodovar9::errc`, `category()`, the exception `error`;
 * - element_table.hpp: how T lives in a node (element tables made from T's
 *   own special members, the library's typed families for `int32_t`,
 *   `cmath_xformLinear` and `cstd_tree`);
 * - walks.hpp: the walks as `std::ranges` views, and `values`;
 * - node_ref.hpp: `node_ref<T>` and `const_node_ref<T>`;
 * - owning_tree.hpp: `tree<T>`;
 * - algorithms.hpp: `sort_children`, `swap_places`, `equal_subtrees`, `==`.
 *
 * Errors. Functions throw `zodovar9::error` (or T's own exception) by
 * default; the overloads that take a `std::error_code&` throw nothing and
 * report there instead.
 *
 * What T must provide: an object type, neither const nor volatile, aligned
 * for `std::max_align_t` at most, with a destructor that does not throw; and
 * for each operation what it uses: the constructor that `std::in_place`
 * arguments name, a copy constructor to copy a value in or to copy a tree
 * (copying a `tree<T>` of a non-copyable T does not compile), a move
 * constructor to move a value in, `==` for comparing trees, and what a
 * `sort_children` comparison reads. A payload never moves in memory.
 *
 * Threads: as for the C interface, a tree is used by one thread at a time.
 */
#ifndef ZODOVAR9_TREE_HPP
#define ZODOVAR9_TREE_HPP

#if !defined(__cplusplus) || (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) < 202002L
#error "<zodovar9/tree.hpp> needs C++20: compile with -std=c++20, or link the CMake target zodovar9::cxx"
#else
#include <zodovar9/algorithms.hpp>
#endif

#endif // ZODOVAR9_TREE_HPP
