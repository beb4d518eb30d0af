/**
 * @file algorithms.hpp
 * @brief The C++ layer's tree algorithms: sorting a node's children,
 *        exchanging two subtrees' places, and comparing subtrees by shape and
 *        payloads.
 *
 * Part of <zodovar9/tree.hpp>, the header to include. Finding a node is the
 * standard algorithms' work over a walk: `std::ranges::find(t.pre_order(),
 * value).node()`, or `std::ranges::find_if` over any walk of node handles.
 */
#ifndef ZODOVAR9_ALGORITHMS_HPP
#define ZODOVAR9_ALGORITHMS_HPP

#include <zodovar9/owning_tree.hpp>

#include <algorithm>
#include <concepts>
#include <functional>
#include <new>
#include <system_error>
#include <utility>
#include <vector>

namespace zodovar9 {

template <class T, bool Const>
template <class Compare>
void basic_node_ref<T, Const>::sort_children(Compare comp) const
    requires(!Const && std::predicate<Compare &, const T &, const T &>)
{
    detail::throwing("sort_children", [&](std::error_code &ec) { sort_children(comp, ec); });
}

template <class T, bool Const>
template <class Compare>
void basic_node_ref<T, Const>::sort_children(Compare comp, std::error_code &ec) const
    requires(!Const && std::predicate<Compare &, const T &, const T &>)
{
    ec.clear();
    const detail::child_list list = detail::list_of(node_);
    std::vector<cstd_tree *> order;
    try {
        order.assign(list.begin, list.begin + list.size);
    } catch (const std::bad_alloc &) {
        return detail::set(ec, csys_errNoMemory);
    }
    // Sorted aside, so that an exception from `comp` leaves the list as it was.
    std::stable_sort(order.begin(), order.end(), [&comp](const cstd_tree *a, const cstd_tree *b) {
        return std::invoke(comp, *static_cast<const T *>(detail::data_of(a)),
                           *static_cast<const T *>(detail::data_of(b)));
    });
    std::copy(order.begin(), order.end(), list.begin);
    detail::renumber(node_, 0);
}

template <class T, bool Const>
void basic_node_ref<T, Const>::swap_places(basic_node_ref other) const requires(!Const)
{
    detail::throwing("swap_places", [&](std::error_code &ec) { swap_places(other, ec); });
}

template <class T, bool Const>
void basic_node_ref<T, Const>::swap_places(basic_node_ref other, std::error_code &ec) const noexcept requires(!Const)
{
    cstd_tree *a = node_, *b = other.get();
    cstd_status status = b ? 0 : csys_errInvalidArgument;
    if (b && a != b) {
        cstd_tree **entry_a = detail::entry_of(a), **entry_b = detail::entry_of(b);
        if (!a->parent || !b->parent)
            status = cstd_tree_errNoParent;
        else if (!entry_a || !entry_b)
            status = cstd_tree_errWrongParent;
        else if (detail::within(a->parent, b) || detail::within(b->parent, a))
            status = cstd_tree_errParentCycle;
        else {
            *entry_a = b, *entry_b = a;
            std::swap(a->parent, b->parent);
            std::swap(a->indexInParent, b->indexInParent);
        }
    }
    detail::set(ec, status);
}

/**
 * @return true when the subtrees of `a` and `b` have the same shape and equal
 * payloads node for node (two null handles are equal, a null and a node are
 * not); false with `ec` set if a walk fails. Handles' own `==` tells whether
 * they name the same node; this compares what two subtrees hold.
 */
template <class T, bool ConstA, bool ConstB>
requires std::equality_comparable<T>
bool equal_subtrees(basic_node_ref<T, ConstA> a, basic_node_ref<T, ConstB> b, std::error_code &ec)
{
    // The payloads in pre-order, each with its node's child count, fix a
    // subtree's shape.
    auto left = const_node_ref<T>(a).pre_order(ec);
    if (ec) return false;
    auto right = const_node_ref<T>(b).pre_order(ec);
    auto i = left.begin(), j = right.begin();
    for (; i != left.end() && j != right.end(); ++i, ++j) {
        uint32_t m = 0, n = 0;
        cstd_status status = cstd_tree_getNumChildren(i.node().get(), &m);
        if (status >= 0) status = cstd_tree_getNumChildren(j.node().get(), &n);
        detail::set(ec, status);
        if (status < 0 || m != n || !(*i == *j)) return false;
    }
    return !ec && i == left.end() && j == right.end();
}

/** As `equal_subtrees(a, b, ec)`, throwing `error` if a walk fails. */
template <class T, bool ConstA, bool ConstB>
requires std::equality_comparable<T>
bool equal_subtrees(basic_node_ref<T, ConstA> a, basic_node_ref<T, ConstB> b)
{
    return detail::throwing("equal_subtrees", [&](std::error_code &ec) { return equal_subtrees(a, b, ec); });
}

/** @return true when two trees have the same shape and equal payloads, node
 *  for node (two empty trees are equal); throws `error` if a walk fails. */
template <class T>
requires std::equality_comparable<T>
bool operator==(const tree<T> &a, const tree<T> &b) { return equal_subtrees(a.root(), b.root()); }

} // namespace zodovar9

#endif // ZODOVAR9_ALGORITHMS_HPP
